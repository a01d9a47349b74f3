#include "cockpit/Cockpit.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "core/Log.h"
#include "core/Version.h"
#include "epic/EpicLink.h"
#include "sources/DataServerFill.h"
#include "sources/ProgIdRegistry.h"

namespace tavrel {

namespace {

// Texts of the message line and the status bar, made once so the cycle never allocates.
const QString kOstrel = QStringLiteral("Ostrel");
const QString kFalconInactive = QStringLiteral("Falcon Inactive");

constexpr int kDefaultPollingMs = 100;
constexpr int kLivenessMs = 1000;

// A data server property as a boolean: numbers are true when not 0, text "True" and
// "False" (any case) or a number; anything else does not convert.
bool toBoolean(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::Bool:
        return value.toBool();
    case QMetaType::QString: {
        const QString text = value.toString().trimmed();
        if (text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
            return true;
        if (text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
            return false;
        bool ok = false;
        const double number = text.toDouble(&ok);
        if (!ok)
            break;
        return number != 0.0;
    }
    default: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            break;
        return number != 0.0;
    }
    }
    throw Error::standard(Error::TypeMismatch);
}

[[noreturn]] void objectNotSet()
{
    throw Error::standard(Error::ObjectNotSet);
}

} // namespace

Cockpit::Cockpit(Platform &platform, ObjectFactory createObject, QObject *parent)
    : QObject(parent)
    , platform_(platform)
    , createObject_(createObject ? std::move(createObject) : ObjectFactory(&tavrel::createObject))
    , roster_(
          controls_, flags_, platform, [this] { return mayRun(Work::BoardEvent); },
          [this] { outputs_->yieldToEvents(); })
    , relay_(controls_, flags_, flightData_,
             {.yieldToEvents = [this] { outputs_->yieldToEvents(); },
              .darken = [this] { darkenCockpit(); },
              .restoreDisplays = [this] { restoreDisplays(); },
              .recordCame = [this] { noteRecord(); },
              .askAfterSimulator = [this] { setTimerEnabled(tmrOstrel_, true); }})
    , outputs_(std::make_unique<CockpitOutputs>(outputState()))
    , F4Lib_([this] { outputs_->yieldToEvents(); })
{
    setUpControls();
    setUpGearTest();

    tmrGlimra_.setTimerType(Qt::PreciseTimer);
    tmrGlimra_.setInterval(kDefaultPollingMs);
    connect(&tmrGlimra_, &QTimer::timeout, this, &Cockpit::tmrGlimra_Timer);
    tmrOstrel_.setInterval(kLivenessMs);
    connect(&tmrOstrel_, &QTimer::timeout, this, [this] {
        if (mayRun(Work::LivenessTick))
            tmrOstrel_Timer();
    });

    // Both timers run from the moment the window exists; cycles wait for SimActive.
    tmrGlimra_.start();
    tmrOstrel_.start();
}

Cockpit::~Cockpit() = default;

void Cockpit::setUpControls()
{
    auto &c = controls_;
    const std::array<const char *, 3> checks = {"Update Lights/Gauges - Not Screen", "All Lamps On",
                                                "Update Values Without EPIC Present"};
    for (int i : {ChkNoScreenUpdate, ChkAllLampsOn, ChkEpicAnyway}) {
        c.chkGlimra[i].setCaption(QLatin1String(checks[i]));
        connect(&c.chkGlimra[i], &CheckBox::click, this, [this, i] { chkGlimra_Click(i); });
    }

    c.optConnectType[OptTcpIp].setCaption(QStringLiteral("TCP/IP"));
    c.optConnectType[OptDcom].setCaption(QStringLiteral("DCOM"));
    for (int i : {OptTcpIp, OptDcom}) {
        c.optConnectType[i].setGroup({&c.optConnectType[OptTcpIp], &c.optConnectType[OptDcom]});
        connect(&c.optConnectType[i], &OptionButton::click, this, [this, i] { optConnectType_Click(i); });
    }

    // The lamp brightness runs over the LED boards' range; the cockpit starts bright.
    c.sldGlimra[SldBrightness].setRange(0, 100, 1, 10);
    c.sldGlimra[SldBrightness].setValue(100);
    c.sldGlimra[SldPollingRate].setRange(1, 250, 1, 5);
    c.sldGlimra[SldPollingRate].setValue(kDefaultPollingMs);
    for (int i : {SldBrightness, SldPollingRate})
        connect(&c.sldGlimra[i], &Slider::change, this, [this, i] { sldGlimra_Change(i); });

    const std::array<const char *, kFrameCount> frames = {"Devices",
                                                          "Communication",
                                                          "Phidget 0/16/16 - 1",
                                                          "Lighting Options",
                                                          "Phidget TextLCD - 1",
                                                          "Phidget TextLED - 1",
                                                          "Phidget Servo / G-Suit Beta",
                                                          "PhidgetLED 64 - 1",
                                                          "PhidgetLED 64 - 2",
                                                          "Phidget 0/16/16 - 2",
                                                          "DED",
                                                          "Analog Data",
                                                          "Left MFD",
                                                          "Right MFD",
                                                          "Program Control",
                                                          "EPIC Controls",
                                                          "PFD",
                                                          "Phidget TextLED - 2",
                                                          "Phidget TextLCD - 2",
                                                          "Epic Data Settings",
                                                          "SIOC/IOCP"};
    for (std::size_t i = 0; i < frames.size(); ++i)
        c.fraGlimra[i].setCaption(QLatin1String(frames[i]));

    c.tabGlimra.setTabs({QStringLiteral("Control"), QStringLiteral("PhidgetLED-64"), QStringLiteral("Phidget 0/16/16"),
                         QStringLiteral("Text Displays"), QStringLiteral("Gauges"), QStringLiteral("G-Suit"),
                         QStringLiteral("MFDs"), QStringLiteral("HUD"), QStringLiteral("EPIC (USB)"),
                         QStringLiteral("Switches")});

    c.btnOpenEpic.setCaption(QStringLiteral("Open Epic"));
    c.btnCloseEpic.setCaption(QStringLiteral("Close Epic"));
    connect(&c.btnOpenEpic, &CommandButton::click, this, &Cockpit::btnOpenEpic_Click);
    connect(&c.btnCloseEpic, &CommandButton::click, this, &Cockpit::btnCloseEpic_Click);
}

OutputState Cockpit::outputState()
{
    return {controls_,
            flags_,
            flightData_,
            tables_,
            maGAUGES_,
            roster_,
            [this]() -> EpicLibrary & { return epicLibrary(); },
            [this](const QString &title, const QString &text) { messageBox(title, text); }};
}

EpicLibrary &Cockpit::epicLibrary()
{
    if (!EFReader_)
        EFReader_ = createEpicLibrary();
    return *EFReader_;
}

void Cockpit::btnOpenEpic_Click()
{
    operatorWork(Operator::OpenEpic);
}

void Cockpit::btnCloseEpic_Click()
{
    operatorWork(Operator::CloseEpic);
}

void Cockpit::setOutputs(std::unique_ptr<CockpitOutputs> outputs)
{
    outputs_ = std::move(outputs);
}

void Cockpit::enter(Phase phase)
{
    gate_.setPhase(phase);
    runHeldWork();
    roster_.resume();
}

void Cockpit::messageBox(const QString &title, const QString &text)
{
    const auto open = gate_.messageBox();
    platform_.messageBox(title, text);
}

void Cockpit::operatorWork(Operator what)
{
    gate_.hold(what);
    runHeldWork();
}

void Cockpit::runHeldWork()
{
    gate_.runHeld([this](Operator what) { attempt([&] { perform(what); }); });
}

void Cockpit::perform(Operator what)
{
    switch (what) {
    case Operator::LampTest:
        outputs_->LampTest(controls_.chkGlimra[ChkAllLampsOn].value() == 1, false);
        break;
    case Operator::OpenEpic:
        outputs_->ConnectEpic();
        break;
    case Operator::CloseEpic:
        outputs_->DisconnectEpic();
        break;
    case Operator::GearUp:
        pressGearUp();
        break;
    case Operator::GearDown:
        pressGearDown();
        break;
    case Operator::GearTestTick:
        gearTestTick();
        break;
    }
}

void Cockpit::tmrGlimra_Timer()
{
    if (controls_.chkGlimra[ChkAllLampsOn].value() == 1)
        return; // the lamp test owns the outputs
    if (!flags_.SimActive)
        return;
    if (!mayRun(Work::PollingTick))
        return;
    UpdateCycle();
}

void Cockpit::UpdateCycle()
{
    {
        const auto underWay = gate_.cycle();
        const ErrorTally::Counting counting(errorTally_, relay_.now()); // what the cycle skips, for the log
        cycleSteps();
    }
    // What the operator asked for meanwhile runs from the event loop, not inside the tick
    // that ran this cycle: a message box it opens then lets the polling timer tick again.
    if (gate_.hasHeldWork() && !heldWorkPosted_) {
        heldWorkPosted_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                heldWorkPosted_ = false;
                runHeldWork();
            },
            Qt::QueuedConnection);
    }
}

void Cockpit::cycleSteps()
{
    CockpitOutputs &out = *outputs_;

    sourceStep();
    if (relay_.isDark() || relay_.awaitingRecord())
        return; // stale or old relay data: the outputs wait for a fresh record
    flags_.SpeedBrakeOpen = flightData_.SpeedBrake > 0.0f;

    attempt([&] { out.BuildTextLedContent(3); });
    attempt([&] { out.BuildTextLedContent(11); });
    attempt([&] { out.BuildTextLcdContent(6); });
    attempt([&] { out.BuildTextLcdContent(12); });
    attempt([&] { out.UpdateGaugeValues(); });
    out.yieldToEvents();

    for (int grid : {0, 1, 2, 5})
        attempt([&] { out.DriveDiscreteOutputs(grid); });
    attempt([&] { out.WriteTextLed(3); });
    attempt([&] { out.WriteTextLed(11); });
    attempt([&] { out.WriteTextLcd(6); });
    attempt([&] { out.WriteTextLcd(12); });

    if (flags_.ScreenUpdate)
        attempt([&] { out.ShowTextDisplay(0); });
    out.yieldToEvents();
    if (flags_.ScreenUpdate)
        attempt([&] { out.ShowTextDisplay(2); });
    out.yieldToEvents();

    attempt([&] { out.DriveGaugeServos(); });
    if (flags_.EpicOpen || flags_.UpdateEpicAnyway)
        attempt([&] { out.SendEpicData(); });
    attempt([&] { out.DriveGForceServo(); });
}

void Cockpit::sourceStep()
{
    if (controls_.optConnectType[OptDcom].value()) {
        // Without a data server every member call fails, so nothing is filled.
        if (dataServer_) {
            fillFromDataServer(*dataServer_, flightData_);
            noteRecord();
        }
        return;
    }
    relay_.requestRecord();
}

void Cockpit::tmrOstrel_Timer()
{
    auto &c = controls_;
    const bool wasActive = flags_.SimActive;
    if (c.optConnectType[OptDcom].value()) {
        attempt([&] {
            if (!dataServer_)
                objectNotSet();
            flags_.SimActive = toBoolean(dataServer_->get("Ostrely"));
        });
    } else {
        relay_.askLiveness();
    }
    if (flags_.SimActive != wasActive)
        qCInfo(lcSource) << (flags_.SimActive ? "the simulator is active" : "the simulator is inactive");
    attempt([&] { c.sbStatusBar.setPanelText(2, flags_.SimActive ? kOstrel : kFalconInactive); });
    setTimerEnabled(tmrOstrel_, !flags_.SimActive);
}

void Cockpit::optConnectType_Click(int index)
{
    auto &c = controls_;
    qCInfo(lcSource) << "data source:" << (index == OptTcpIp ? "TCP/IP, the relay peer" : "DCOM, the data server");
    c.optConnectType[OptTcpIp].setBold(false);
    c.optConnectType[index].markSelected();
    setMessage(QString());
    relay_.resetRecovery();

    const bool relay = index == OptTcpIp;
    c.fldGlimra[FldRelayAddress].setEnabled(relay);
    c.fldGlimra[FldRelayPort].setEnabled(relay);
    if (relay) {
        closeDataServer();
        relay_.connectRelay();
        const QStringView state = WinsockClient::stateText(relay_.socket().state());
        if (flags_.ScreenUpdate)
            setMessage(state.toString());
    } else {
        CloseSockets();
        // A server that cannot be created leaves the reference as it was.
        attempt([&] { dataServer_ = createObject_(kDataServerProgId); });
    }
    tmrOstrel_Timer();
}

void Cockpit::chkGlimra_Click(int index)
{
    auto &c = controls_;
    switch (index) {
    case ChkNoScreenUpdate:
        flags_.ScreenUpdate = c.chkGlimra[ChkNoScreenUpdate].value() == 0;
        setMessage(QString());
        break;
    case ChkAllLampsOn:
        operatorWork(Operator::LampTest);
        break;
    case ChkEpicAnyway:
        flags_.UpdateEpicAnyway = c.chkGlimra[ChkEpicAnyway].value() == 1;
        break;
    default:
        break;
    }
}

void Cockpit::sldGlimra_Change(int index)
{
    if (index != SldPollingRate)
        return; // the brightness slider is read by the lamps where they need it
    const int interval = controls_.sldGlimra[SldPollingRate].value();
    tmrGlimra_.setInterval(interval);
    controls_.lblTimerValue.setCaption(QString::number(interval));
}

void Cockpit::closeDataServer()
{
    attempt([&] {
        if (!dataServer_)
            objectNotSet();
        dataServer_->call("Close");
    });
    dataServer_.reset();
}

void Cockpit::setMessage(const QString &text)
{
    controls_.lblTCPIPMsg.setCaption(text);
}

void Cockpit::setTimerEnabled(QTimer &timer, bool enabled)
{
    // Enabling a running timer leaves its count alone; only a stopped one starts anew.
    if (enabled && !timer.isActive())
        timer.start();
    else if (!enabled)
        timer.stop();
}

} // namespace tavrel
