#pragma once

#include "cockpit/CockpitControls.h"
#include "phidget/BoardBinding.h"
#include "phidget/BoardKind.h"
#include "phidget/PhidgetManager.h"

#include <QList>
#include <QObject>
#include <QString>

#include <array>
#include <functional>
#include <memory>
#include <vector>

namespace tavrel {

class Platform;

// The boards of the cockpit: the twelve slots the outputs drive, every board attached
// now, the attach counters and [BOARDS], kept up to date from the manager's events. Each
// kind of board is handled by one row of a table (its counter, the frames it enables, its
// slot pair and its start settings). The "Devices" list (grdTavrel(4)) has one row per
// serial number: its name cell green attached, red pulled, yellow failing; the row's
// tooltip says which and since when.
class BoardRoster : public QObject
{
    Q_OBJECT
public:
    // `mayHandleEvents` is asked before every board event is delivered; `yield` lets the
    // window's events run after an attach.
    BoardRoster(CockpitControls &controls, CockpitFlags &flags, Platform &platform,
                std::function<bool()> mayHandleEvents, std::function<void()> yield);
    ~BoardRoster() override;

    BoardSlots &slots() { return slots_; }
    const BoardSlots &slots() const { return slots_; }
    // Every board attached now, in attach order, whether a slot holds it or not.
    const std::vector<Board> &attached() const { return attached_; }
    // The attached boards no slot holds: shutdown darkens them too.
    QList<PhidgetBoard *> unslotted() const;

    // The attach counters by kind; each counts every attach of its kind since start-up.
    const std::array<int, kBoardKindCount> &attachCounts() const { return attachCounts_; }
    int attachCount(BoardKind kind) const { return attachCounts_[std::size_t(kind)]; }
    void resetCounts() { attachCounts_.fill(0); }

    // One [BOARDS] line; on a line that does not read, why.
    QString addBindingLine(QStringView line) { return binding_.addLine(line); }

    // The manager, and what start-up makes it with (by default the library's, vendor or
    // virtual; a test puts its own virtual boards in place).
    PhidgetManager *manager() { return manager_.get(); }
    void setManager(std::unique_ptr<PhidgetManager> manager);
    using ManagerFactory = std::function<std::unique_ptr<PhidgetManager>()>;
    void setManagerFactory(ManagerFactory factory) { managerFactory_ = std::move(factory); }
    std::unique_ptr<PhidgetManager> makeManager();
    // Board events held while the cockpit could not take them go out now.
    void resume();
    // Every slot emptied (board 1 before board 2 of each kind, the kinds in a fixed
    // order), then the manager goes, and with it every board event still waiting.
    void release();
    // What the boards are driven through: "virtual board" or the library's path.
    const QString &libraryNote() const { return libraryNote_; }
    QString libraryName() const;

    void PhidgetManager_OnAttach(const Board &board);
    void PhidgetManager_OnDetach(const Board &board);
    void PhidgetManager_OnError(const Board &board, const QString &description, int scode);
    // `library` is the second line of the row's tooltip: what the device is driven
    // through. The EPIC link lists its card here too.
    void AddDeviceRow(int number, const QString &name, const QString &version, const QString &serial,
                      const QString &library = QString());
    void MarkDeviceRow(const Board &board, quint32 colour, const QString &toolTip);

private:
    void bind(BoardKind kind, const Board &board);
    void startSettings(BoardKind kind, PhidgetBoard &board, std::optional<int> motors);

    CockpitControls &controls_;
    CockpitFlags &flags_;
    Platform &platform_;
    std::function<bool()> mayHandleEvents_;
    std::function<void()> yield_;
    BoardSlots slots_;
    std::vector<Board> attached_;
    std::array<int, kBoardKindCount> attachCounts_{};
    BoardBinding binding_;
    std::unique_ptr<PhidgetManager> manager_;
    ManagerFactory managerFactory_;
    QString libraryNote_;
};

} // namespace tavrel
