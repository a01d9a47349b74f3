// Start-up and shutdown of the cockpit: the order of both is fixed, step by step, because
// board events and socket events may run in the yields between the steps and must find
// what the earlier steps built.
#include "cockpit/Cockpit.h"

#include "check/ConfigCheck.h"
#include "core/CommandLine.h"
#include "core/Convert.h"
#include "core/Error.h"
#include "core/Log.h"
#include "core/TextFile.h"
#include "core/Version.h"
#include "phidget/LampOutputs.h"

#include <QDate>
#include <QDateTime>
#include <QDir>
#include <QFileInfo>

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {

const QString kConfigFile = u"Tavrel.cfg"_s;
const QString kOldConfigFile = u"Glimra.cfg"_s;

// The window opens near the right edge of the screen, this far down.
constexpr int kRightMarginTwips = 100;
constexpr int kTopTwips = 1000;

QString creditLine(const VersionRecord &version)
{
    return u"%1 cockpit interface by the %1 developers, (c) 2025-%2"_s.arg(version.productName)
        .arg(QDate::currentDate().year());
}

} // namespace

// Nothing else runs until start-up is done, not even inside its message boxes (the gate
// holds it): boards that report meanwhile wait for the yields of building the device tables.
void Cockpit::startUp()
{
    gate_.setPhase(Phase::StartingUp);
    try {
        runStartUp();
    } catch (const Error &error) {
        messageBox(u"Tavrel Error"_s, errorReport(error, u"Form_Load"));
        shutdown();
    }
    enter(Phase::Running);
}

void Cockpit::runStartUp()
{
    auto &c = controls_;
    const VersionRecord &version = versionRecord();
    qCInfo(lcConfig).noquote() << u"%1 %2 starts"_s.arg(version.productName, versionString());

    if (platform_.anotherInstanceRunning()) {
        messageBox(u"Duplicate Execution"_s,
                   u"A Previous Instance of "_s + version.productName + u" Is Running.  Please Press Ok"_s);
        platform_.endProcess();
    }

    c.frmTavrel.setCaption(windowCaption(version));
    c.frmTavrel.move(platform_.screenWidthTwips() - c.frmTavrel.width() - kRightMarginTwips, kTopTwips);
    flags_.SimActive = false;

    while (c.sbStatusBar.panelCount() < 2)
        c.sbStatusBar.addPanel();
    c.sbStatusBar.setPanelText(2, u"Os'l"_s);
    c.sbStatusBar.setPanelText(1, creditLine(version));
    c.sbStatusBar.setToolTipSource([this] { return statusToolTip(); });

    // The MFD and HUD pages have nothing on them: their tabs go. The switch page holds
    // the gear test: its tab stays in sight, greyed, unless a cockpit builder asks for it
    // to try the key combinations against the simulator.
    c.tabGlimra.setTabVisible(TabMfds, false);
    c.tabGlimra.setTabVisible(TabHud, false);
    c.tabGlimra.setTabEnabled(TabSwitches, qEnvironmentVariable("TAVREL_SWITCHES_TAB") == u"1"_s);

    outputs_->CreatePhidgetManager();
    roster_.resetCounts();

    msConfigFile_ = readConfigurationText();
    readConfiguration();
    flags_.ScreenUpdate = c.chkGlimra[ChkNoScreenUpdate].value() == 0;

    outputs_->SetupDeviceList();
    buildDeviceGrids();

    flags_.EpicOpen = false;
    flags_.UpdateEpicAnyway = c.chkGlimra[ChkEpicAnyway].value() == 1;
    msConfigFile_.clear();

    if (!c.optConnectType[OptTcpIp].value() && !c.optConnectType[OptDcom].value())
        c.optConnectType[OptDcom].select();

    const int interval = c.sldGlimra[SldPollingRate].value();
    tmrGlimra_.setInterval(interval);
    c.lblTimerValue.setCaption(QString::number(interval));
    c.fraGlimra[FraSiocIocp].setEnabled(false); // no function behind it
}

QString Cockpit::configFile() const
{
    return configFile_.isEmpty() ? QDir(platform_.workingDirectory()).filePath(kConfigFile) : configFile_;
}

QString Cockpit::readConfigurationText()
{
    const QString config = configFile();
    const QDir folder = QFileInfo(config).absoluteDir();
    qCInfo(lcConfig).noquote() << u"configuration: "_s + QDir::toNativeSeparators(config);
    if (!textfile::exists(config)) {
        const QString old = folder.filePath(kOldConfigFile);
        if (!textfile::exists(old)) {
            qCCritical(lcConfig).noquote()
                << u"%1 is missing, and there is no %2 beside it in %3: the program ends"_s.arg(
                       QFileInfo(config).fileName(), kOldConfigFile, QDir::toNativeSeparators(folder.absolutePath()));
            messageBox(u"Missing Config"_s, u"Tavrel.cfg File Is Missing - Program will Terminate"_s);
            platform_.endProcess();
        }
        textfile::copy(old, config);
        qCInfo(lcConfig).noquote() << u"%1 copied to %2"_s.arg(QDir::toNativeSeparators(old),
                                                               QDir::toNativeSeparators(config));
        messageBox(u"Upgrade Complete"_s, u"Glimra.cfg File Has Been Copied to Tavrel.cfg for Use with Tavrel.  "
                                          u"All Future Configuration Must Be Done In Tavrel.cfg"_s);
    }
    // One character past the limit is enough for the reader to refuse a file too long.
    QString text = textfile::readAnsi(config, kMaxConfigLength + 1);
    logFindings(QDir::toNativeSeparators(config), text);
    return text;
}

// tavrel-check's rules on the text just read: each finding to the log with its line, as
// tavrel-check prints it, before the reader acts on the file.
void Cockpit::logFindings(const QString &file, const QString &text)
{
    const QList<check::Finding> findings = check::checkText(text);
    for (const check::Finding &finding : findings) {
        const QString where = finding.line > 0 ? u"%1:%2"_s.arg(file).arg(finding.line) : file;
        if (finding.level == check::Level::Error)
            qCCritical(lcConfig).noquote() << where + u": "_s + finding.message;
        else
            qCWarning(lcConfig).noquote() << where + u": "_s + finding.message;
    }
    qCInfo(lcConfig).noquote() << check::summary(file, findings);
}

void Cockpit::readConfiguration()
{
    const ConfigReadResult result = tavrel::readConfiguration(msConfigFile_);
    const QString title = versionRecord().productName;
    switch (result.error) {
    case ConfigError::None:
        applyConfiguration(result.config);
        return;
    case ConfigError::Format:
        // What stood before the fault has taken effect, as it was read.
        applyConfiguration(result.config);
        messageBox(title, formatMessage());
        platform_.endProcess();
    case ConfigError::TooLong:
        messageBox(title, tooLongMessage());
        platform_.endProcess();
    }
}

void Cockpit::applyConfiguration(const Configuration &config)
{
    for (int i = 0; i < kDeviceSectionCount; ++i)
        if (!config.tables[std::size_t(i)].isEmpty())
            tables_[std::size_t(i)] = config.tables[std::size_t(i)];
    for (const ConfigSwitch &setting : config.switches)
        attempt([&] { applySwitch(setting); });
    if (!boardBindingErrors_.isEmpty()) {
        messageBox(versionRecord().productName, boardBindingErrors_.join(u'\r'));
        boardBindingErrors_.clear();
    }
}

void Cockpit::applySwitch(const ConfigSwitch &setting)
{
    auto &c = controls_;
    const int checked = convert::equalsUpperLatin(setting.value, u"TRUE") ? 1 : 0;
    switch (setting.section) {
    case SwitchSection::COMPREF:
        c.optConnectType[setting.value == u"DCOM"_s ? OptDcom : OptTcpIp].select();
        break;
    case SwitchSection::TCPIP_IP:
        c.fldGlimra[FldRelayAddress].setText(setting.value);
        break;
    case SwitchSection::TCPIP_PORT:
        c.fldGlimra[FldRelayPort].setText(setting.value);
        break;
    case SwitchSection::NOSCREENUPDATE:
        c.chkGlimra[ChkNoScreenUpdate].setValue(checked);
        break;
    case SwitchSection::UPDATEEPICANYWAY:
        c.chkGlimra[ChkEpicAnyway].setValue(checked);
        break;
    case SwitchSection::TCPIP_RECOVER:
        relay_.setRecovery(checked == 1);
        break;
    case SwitchSection::BOARDS:
        if (const QString error = roster_.addBindingLine(setting.value); !error.isEmpty())
            boardBindingErrors_ << u"Tavrel.cfg [BOARDS]: line \"%1\" left out: %2"_s.arg(setting.value, error);
        break;
    }
}

void Cockpit::buildDeviceGrids()
{
    CockpitOutputs &out = *outputs_;
    out.BuildDeviceGrid(GrdLed64_1);
    out.BuildDeviceGrid(GrdLed64_2);
    yieldToBoards();
    out.BuildDeviceGrid(GrdKit1);
    out.BuildDeviceGrid(GrdKit2);
    yieldToBoards();
    out.BuildDeviceGrid(GrdTextLed1); // each with its value columns
    out.BuildDeviceGrid(GrdTextLed2);
    out.BuildDeviceGrid(GrdTextLcd1); // each with its line columns
    out.BuildDeviceGrid(GrdTextLcd2);
    out.BuildDeviceGrid(GrdGauges); // and the servo table
    out.BuildDeviceGrid(GrdEpic);
    for (int label : {LblGLoad, LblServo1, LblServo2})
        controls_.lblGlimra[std::size_t(label)].setCaption(QString());
    out.BuildButtonTables();
    yieldToBoards();
}

// The boards that reported so far attach here, and find the tables built so far.
void Cockpit::yieldToBoards()
{
    enter(Phase::BuildingTables);
    outputs_->yieldToEvents();
    gate_.setPhase(Phase::StartingUp);
}

void Cockpit::shutdown()
{
    qCInfo(lcConfig) << "shutdown: lamps and displays dark, boards and card let go, then the end";
    attempt([&] { tmrGlimra_.stop(); });
    attempt([&] { tmrOstrel_.stop(); });
    attempt([&] { relay_.reconnectTimer().stop(); });
    darkenCockpit();
    attempt([&] { outputs_->ReleaseBoards(); });
    if (flags_.EpicOpen)
        attempt([&] { outputs_->DisconnectEpic(); });
    CloseSockets();
    closeDataServer();
    platform_.endProcess();
}

QString Cockpit::statusToolTip() const
{
    const QString library = roster_.libraryName();
    const QString record = lastRecordAt_ == 0
                               ? u"none yet"_s
                               : QDateTime::fromMSecsSinceEpoch(lastRecordAt_).toString(u"HH:mm:ss.zzz"_s);
    return u"Board library: %1\nLast record: %2"_s.arg(library, record);
}

void Cockpit::noteRecord()
{
    lastRecordAt_ = QDateTime::currentMSecsSinceEpoch();
}

void Cockpit::CloseSockets()
{
    relay_.close();
}

void Cockpit::darkenCockpit()
{
    attempt([&] { outputs_->LampTest(false, true); });
    attempt([&] { DarkenBoards(roster_.unslotted()); });
}

void Cockpit::restoreDisplays()
{
    RestoreDisplays(roster_.slots(), controls_.sldGlimra[SldBrightness].value());
}

} // namespace tavrel
