#include "ui/FrmTavrel.h"

#include "cockpit/Cockpit.h"
#include "ui/ControlBinding.h"
#include "ui/Layout.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMenuBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QVBoxLayout>

namespace tavrel {

namespace {
QString indexed(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

// The small design frames leave little room: tight margins keep every caption whole.
template <typename Layout> Layout *frameLayout(QGroupBox *frame)
{
    auto *layout = new Layout(frame);
    layout->setContentsMargins(6, 2, 6, 4);
    layout->setSpacing(3);
    return layout;
}

QLabel *boundLabel(Label &model, QWidget *parent, const QString &name)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    binding::bind(label, model);
    return label;
}
} // namespace

FrmTavrel::FrmTavrel(Cockpit &cockpit, QWidget *parent)
    : QMainWindow(parent)
    , cockpit_(cockpit)
{
    setObjectName(QStringLiteral("frmTavrel"));
    // The frames' twips were laid out for an 8-point face; both scale with the dpi.
    QFont face = font();
    face.setPointSizeF(8.0);
    setFont(face);
    buildMenu();
    buildTabs();
    buildControlTab();
    buildTextDisplayFrames();

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("sbStatusBar"));
    status->setFixedHeight(pixels(layout::kStatusBarHeight) + 4);
    binding::bind(status, cockpit_.controls().sbStatusBar);
    setStatusBar(status);

    resize(pixels(layout::kClientWidth), pixels(layout::kClientHeight) + menuBar()->sizeHint().height());
    bindForm();
}

// The caption and the place on the screen come from the program; the size is the view's.
void FrmTavrel::bindForm()
{
    Form &form = cockpit_.controls().frmTavrel;
    form.setSize(layout::toTwips(width(), logicalDpiX()), layout::toTwips(height(), logicalDpiY()));
    const auto refresh = [this, &form] {
        setWindowTitle(form.caption());
        move(pixels(form.left()), pixels(form.top()));
    };
    refresh();
    connect(&form, &Control::changed, this, refresh);
}

void FrmTavrel::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    cockpit_.controls().frmTavrel.setSize(layout::toTwips(width(), logicalDpiX()),
                                          layout::toTwips(height(), logicalDpiY()));
}

FrmTavrel::~FrmTavrel() = default;

int FrmTavrel::pixels(int twips) const
{
    return layout::toPixels(twips, logicalDpiY());
}

void FrmTavrel::buildMenu()
{
    QMenu *file = menuBar()->addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("mnuFile"));
    QAction *exit = file->addAction(QStringLiteral("E&xit"));
    exit->setObjectName(QStringLiteral("mnuExit"));
    connect(exit, &QAction::triggered, this, &QWidget::close);
}

void FrmTavrel::buildTabs()
{
    auto *central = new QWidget(this);
    setCentralWidget(central);
    tabGlimra_ = new QTabWidget(central);
    tabGlimra_->setObjectName(QStringLiteral("tabGlimra"));
    tabGlimra_->setGeometry(layout::toPixels(layout::kTabStrip, logicalDpiY()));

    auto &controls = cockpit_.controls();
    for (int tab = 0; tab < static_cast<int>(layout::kFramesOnTab.size()); ++tab) {
        auto *page = new QWidget;
        for (int frame : layout::kFramesOnTab[static_cast<std::size_t>(tab)]) {
            if (frame < 0)
                continue;
            auto *box = new QGroupBox(page);
            box->setObjectName(indexed("fraGlimra", frame));
            box->setGeometry(layout::toPixels(layout::kFrames[static_cast<std::size_t>(frame)], logicalDpiY()));
            binding::bind(box, controls.fraGlimra[static_cast<std::size_t>(frame)]);
            frames_[static_cast<std::size_t>(frame)] = box;
        }
        tabGlimra_->addTab(page, controls.tabGlimra.tabs().value(tab));
    }
    binding::bind(tabGlimra_, controls.tabGlimra);
}

void FrmTavrel::buildControlTab()
{
    auto &c = cockpit_.controls();

    // "Communication": the source choice and the relay address.
    auto *comm = frameLayout<QGridLayout>(frames_[1]);
    for (int i = 0; i < 2; ++i) {
        auto *option = new QRadioButton(frames_[1]);
        option->setObjectName(indexed("optConnectType", i));
        binding::bind(option, c.optConnectType[static_cast<std::size_t>(i)]);
        comm->addWidget(option, i, 0, 1, 2);
    }
    const std::array<const char *, 2> boxLabels = {"Address:", "Port:"};
    for (int i = 0; i < 2; ++i) {
        auto *box = new QLineEdit(frames_[1]);
        box->setObjectName(indexed("fldGlimra", i));
        binding::bind(box, c.fldGlimra[static_cast<std::size_t>(i)]);
        comm->addWidget(new QLabel(QLatin1String(boxLabels[static_cast<std::size_t>(i)]), frames_[1]), 2 + i, 0);
        comm->addWidget(box, 2 + i, 1);
    }
    comm->addWidget(new QLabel(QStringLiteral("Message:"), frames_[1]), 4, 0);
    QLabel *message = boundLabel(c.lblTCPIPMsg, frames_[1], QStringLiteral("lblTCPIPMsg"));
    message->setWordWrap(true);
    comm->addWidget(message, 4, 1);
    comm->setRowStretch(5, 1);

    // "Lighting Options": screen updates, the lamp test and the lamp brightness.
    auto *lighting = frameLayout<QVBoxLayout>(frames_[3]);
    for (int i : {0, 1}) {
        auto *check = new QCheckBox(frames_[3]);
        check->setObjectName(indexed("chkGlimra", i));
        binding::bind(check, c.chkGlimra[static_cast<std::size_t>(i)]);
        lighting->addWidget(check);
    }
    auto *brightnessRow = new QHBoxLayout;
    auto *brightness = new QSlider(Qt::Horizontal, frames_[3]);
    brightness->setObjectName(indexed("sldGlimra", 0));
    brightness->setInvertedAppearance(true); // bright by day on the left, dim by night on the right
    binding::bind(brightness, c.sldGlimra[0]);
    brightnessRow->addWidget(new QLabel(QStringLiteral("Day"), frames_[3]));
    brightnessRow->addWidget(brightness, 1);
    brightnessRow->addWidget(new QLabel(QStringLiteral("Night"), frames_[3]));
    lighting->addLayout(brightnessRow);

    // "Program Control": the polling rate.
    auto *program = frameLayout<QGridLayout>(frames_[14]);
    program->addWidget(new QLabel(QStringLiteral("Polling Timer (milliseconds)"), frames_[14]), 0, 0, 1, 2);
    auto *rate = new QSlider(Qt::Horizontal, frames_[14]);
    rate->setObjectName(indexed("sldGlimra", 1));
    binding::bind(rate, c.sldGlimra[1]);
    program->addWidget(rate, 1, 0);
    QLabel *rateValue = boundLabel(c.lblTimerValue, frames_[14], QStringLiteral("lblTimerValue"));
    rateValue->setMinimumWidth(fontMetrics().horizontalAdvance(QStringLiteral("0000")));
    rateValue->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    program->addWidget(rateValue, 1, 1);

    // "EPIC Controls": the card's buttons arrive with the card support.
    auto *epic = frameLayout<QGridLayout>(frames_[15]);
    auto *epicAnyway = new QCheckBox(frames_[15]);
    epicAnyway->setObjectName(indexed("chkGlimra", 2));
    binding::bind(epicAnyway, c.chkGlimra[2]);
    epic->addWidget(epicAnyway, 0, 0, 1, 2);
    epic->addWidget(new QPushButton(QStringLiteral("Open Epic"), frames_[15]), 1, 0);
    epic->addWidget(new QPushButton(QStringLiteral("Close Epic"), frames_[15]), 1, 1);
    epic->setRowStretch(2, 1);

    // "SIOC/IOCP": present for the cockpits that expect it, with nothing behind it.
    auto *sioc = frameLayout<QGridLayout>(frames_[20]);
    sioc->addWidget(new QLabel(QStringLiteral("Server IP"), frames_[20]), 0, 0);
    sioc->addWidget(new QLineEdit(frames_[20]), 0, 1);
    sioc->addWidget(new QLabel(QStringLiteral("Port:"), frames_[20]), 1, 0);
    sioc->addWidget(new QLineEdit(frames_[20]), 1, 1);
    sioc->addWidget(new QPushButton(QStringLiteral("Connect"), frames_[20]), 2, 0);
    sioc->addWidget(new QPushButton(QStringLiteral("Disconnect"), frames_[20]), 2, 1);
}

void FrmTavrel::buildTextDisplayFrames()
{
    auto &c = cockpit_.controls();
    const QFont fixed = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    for (auto [frame, label] : {std::pair{10, 0}, std::pair{16, 2}}) {
        auto *box = frameLayout<QVBoxLayout>(frames_[static_cast<std::size_t>(frame)]);
        QLabel *text = boundLabel(c.lblGlimra[static_cast<std::size_t>(label)], frames_[static_cast<std::size_t>(frame)],
                                  indexed("lblGlimra", label));
        text->setFont(fixed);
        text->setAlignment(Qt::AlignLeft | Qt::AlignTop);
        box->addWidget(text);
    }
}

void FrmTavrel::closeEvent(QCloseEvent *event)
{
    if (!closing_) {
        closing_ = true;
        Q_EMIT shutdownRequested();
    }
    event->accept();
}

} // namespace tavrel
