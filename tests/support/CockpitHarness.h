#pragma once

#include "cockpit/Cockpit.h"
#include "support/QtPrinters.h"
#include "support/RecordingOutputs.h"
#include "support/ScriptedServer.h"
#include "support/TestPlatform.h"
#include "support/Wait.h"

#include <memory>

namespace tavrel::test {

// A real cockpit on the test platform, in a folder of its own, with a scripted data server;
// and every reach into the cockpit's parts a test makes, in this one place.
class CockpitHarness
{
public:
    // Tavrel.cfg holds `config`. Each data server made is noted in the platform's events as
    // "create <ProgID>"; an unregistered one cannot be made.
    explicit CockpitHarness(const QByteArray &config = {}, bool registered = true);

    TestPlatform platform;
    std::shared_ptr<ServerScript> script = std::make_shared<ServerScript>();
    Cockpit cockpit;

    // Start-up and shutdown; whether they ended the process.
    bool startUp();
    bool shutdown();

    CockpitControls &controls() { return cockpit.controls(); }
    CockpitFlags &flags() { return cockpit.flags(); }
    FlightData &flight() { return cockpit.flightData(); }
    LateBound *dataServer() { return cockpit.dataServer(); }
    bool isCycleRunning() const { return cockpit.isCycleRunning(); }

    // The timers: every tick a test wants, it runs by hand.
    QTimer &pollingTimer() { return cockpit.pollingTimer(); }
    QTimer &livenessTimer() { return cockpit.livenessTimer(); }
    void stopTimers();
    void setClock(RelayLink::Clock clock) { cockpit.relay().setClock(std::move(clock)); }

    // The output routines replaced by the test's own, made for this cockpit.
    template <class Outputs = RecordingOutputs>
    Outputs &useOutputs()
    {
        auto outputs = std::make_unique<Outputs>(cockpit.outputState());
        Outputs &kept = *outputs;
        cockpit.setOutputs(std::move(outputs));
        return kept;
    }
    CockpitOutputs &outputs() { return cockpit.outputs(); }

    // The board slot of that [BOARDS] name ("PLED64-1", "PSERVO-2", ...).
    Board &slot(QStringView name);
    const std::array<int, kBoardKindCount> &attachCounts() const { return cockpit.roster().attachCounts(); }
    // No board manager now, and none made at start-up: the slots are the test's.
    void noBoards();
    // What start-up makes its board manager with.
    void makeBoardsWith(BoardRoster::ManagerFactory factory) { cockpit.roster().setManagerFactory(std::move(factory)); }
    void setManager(std::unique_ptr<PhidgetManager> manager) { cockpit.roster().setManager(std::move(manager)); }
    PhidgetManager *manager() { return cockpit.roster().manager(); }
    // The board events, as a manager delivers them.
    void attach(const Board &board) { cockpit.roster().PhidgetManager_OnAttach(board); }
    void detach(const Board &board) { cockpit.roster().PhidgetManager_OnDetach(board); }
    void fail(const Board &board, const QString &text, int code)
    {
        cockpit.roster().PhidgetManager_OnError(board, text, code);
    }
    // The EPIC card's row in the "Devices" list, as "Open Epic" lists it.
    void listEpicCard() { cockpit.roster().AddDeviceRow(1, QStringLiteral("EPIC USB"), {}, {}); }

    // The relay link; `step` done, waits until the cockpit has handled one more arrival.
    WinsockClient &socket() { return cockpit.relay().socket(); }
    bool afterArrival(const std::function<void()> &step);
    FlightData &relayRecord() { return cockpit.relay().stagingRecord(); }
    int droppedRecords() const { return cockpit.relay().droppedRecords(); }
    bool isDark() const { return cockpit.relay().isDark(); }

    void setEpicLibrary(std::unique_ptr<EpicLibrary> library) { cockpit.setEpicLibrary(std::move(library)); }
    EpicLibrary &epicLibrary() { return cockpit.epicLibrary(); }

private:
    int arrivals_ = 0;
};

} // namespace tavrel::test
