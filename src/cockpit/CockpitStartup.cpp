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
    c.tabGlimra.setTabVisible(6, false);
    c.tabGlimra.setTabVisible(7, false);
    c.tabGlimra.setTabEnabled(9, qEnvironmentVariable("TAVREL_SWITCHES_TAB") == u"1"_s);

    outputs_->CreatePhidgetManager();
    AttachCount_.fill(0);

    msConfigFile_ = readConfigurationText();
    readConfiguration();
    flags_.ScreenUpdate = c.chkGlimra[0].value() == 0;

    outputs_->SetupDeviceList();
    buildDeviceGrids();

    flags_.EpicOpen = false;
    flags_.UpdateEpicAnyway = c.chkGlimra[2].value() == 1;
    msConfigFile_.clear();

    if (!c.optConnectType[0].value() && !c.optConnectType[1].value())
        c.optConnectType[1].select();

    const int interval = c.sldGlimra[CockpitControls::kPollingRate].value();
    tmrGlimra_.setInterval(interval);
    c.lblTimerValue.setCaption(QString::number(interval));
    c.fraGlimra[20].setEnabled(false); // SIOC/IOCP: no function behind it
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
            qCCritical(lcConfig).noquote() << u"%1 is missing, and there is no %2 beside it in %3: the program ends"_s.arg(
                QFileInfo(config).fileName(), kOldConfigFile, QDir::toNativeSeparators(folder.absolutePath()));
            messageBox(u"Missing Config"_s, u"Tavrel.cfg File Is Missing - Program will Terminate"_s);
            platform_.endProcess();
        }
        textfile::copy(old, config);
        qCInfo(lcConfig).noquote() << u"%1 copied to %2"_s.arg(QDir::toNativeSeparators(old),
                                                               QDir::toNativeSeparators(config));
        messageBox(u"Upgrade Complete"_s,
                             u"Glimra.cfg File Has Been Copied to Tavrel.cfg for Use with Tavrel.  "
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
    const auto checked = [&] { return convert::equalsUpperLatin(setting.value, u"TRUE") ? 1 : 0; };
    if (setting.section == u"COMPREF"_s)
        c.optConnectType[setting.value == u"DCOM"_s ? 1 : 0].select();
    else if (setting.section == u"TCPIP-IP"_s)
        c.fldGlimra[0].setText(setting.value);
    else if (setting.section == u"TCPIP-PORT"_s)
        c.fldGlimra[1].setText(setting.value);
    else if (setting.section == u"NOSCREENUPDATE"_s)
        c.chkGlimra[0].setValue(checked());
    else if (setting.section == u"UPDATEEPICANYWAY"_s)
        c.chkGlimra[2].setValue(checked());
    else if (setting.section == kRecoverSection)
        recovery_.on = checked() == 1;
    else if (setting.section == kBoardsSection) {
        const QString error = boardBinding_.addLine(setting.value);
        if (!error.isEmpty())
            boardBindingErrors_ << u"Tavrel.cfg [BOARDS]: line \"%1\" left out: %2"_s.arg(setting.value, error);
    }
}

void Cockpit::buildDeviceGrids()
{
    CockpitOutputs &out = *outputs_;
    const auto build = [&](int grid) { out.BuildDeviceGrid(grid); };
    build(0); // LED-64 boards
    build(1);
    yieldToBoards();
    build(2); // interface kits
    build(5);
    yieldToBoards();
    build(3); // text LEDs, each with its value columns
    build(11);
    build(6); // text LCDs, each with its line columns
    build(12);
    build(7); // gauges and the servo table
    build(10); // EPIC pigeonholes
    for (int label : {15, 24, 25})
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
    attempt([&] { tmrReconnect_.stop(); });
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
    const QString library = PhidgetManager_ ? PhidgetManager_->libraryName() : u"none"_s;
    const QString record = lastRecordAt_ == 0 ? u"none yet"_s
                                              : QDateTime::fromMSecsSinceEpoch(lastRecordAt_).toString(u"HH:mm:ss.zzz"_s);
    return u"Board library: %1\nLast record: %2"_s.arg(library, record);
}

void Cockpit::noteRecord()
{
    lastRecordAt_ = QDateTime::currentMSecsSinceEpoch();
}

void Cockpit::CloseSockets()
{
    attempt([&] { sktTavrel_.close(); });
}

} // namespace tavrel
