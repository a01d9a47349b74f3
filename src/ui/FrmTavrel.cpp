#include "ui/FrmTavrel.h"

#include "core/Error.h"
#include "ui/ControlBinding.h"
#include "ui/GridView.h"

#include <algorithm>

#include <QCloseEvent>
#include <QGroupBox>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QTabWidget>

namespace tavrel {

namespace {

QString indexed(const char *name, int index)
{
    return QLatin1String(name) + QLatin1Char('_') + QString::number(index);
}

// A height or width below zero is refused, as the window's controls refuse it.
void setLength(int &target, int twips)
{
    if (twips < 0)
        throw Error::standard(Error::InvalidPropertyValue, QStringLiteral("Form_Resize"));
    target = twips;
}

} // namespace

FrmTavrel::FrmTavrel(CockpitControls &controls, QWidget *parent) : QMainWindow(parent), controls_(controls)
{
    setObjectName(QStringLiteral("frmTavrel"));
    // The twips were laid out for an 8-point face of Arial's metrics; both scale with
    // the dpi. Faces with the same metrics come first, the desktop's own last.
    QFont face = font();
    face.setFamilies(
        {QStringLiteral("Liberation Sans"), QStringLiteral("Arial"), QStringLiteral("Helvetica"), face.family()});
    face.setPointSizeF(8.0);
    setFont(face);

    placement_.tabStrip = layout::kTabStrip;
    placement_.frames = layout::kFrames;
    for (std::size_t i = 0; i < placement_.grids.size(); ++i)
        placement_.grids[i] = layout::kGrids[i].rect;

    buildMenu();
    buildTabs();
    buildGrids();
    buildControlTab();
    buildTextDisplayFrames();
    buildServoFrame();
    buildEpicTab();
    buildSwitchesTab();

    auto *status = new QStatusBar(this);
    status->setObjectName(QStringLiteral("sbStatusBar"));
    status->setFixedHeight(pixels(layout::kStatusBarHeight) + 4);
    binding::bind(status, controls_.sbStatusBar);
    setStatusBar(status);

    resize(pixels(layout::kClientWidth), pixels(layout::kClientHeight) + menuBar()->sizeHint().height()
                                             + status->height() - pixels(layout::kStatusBarHeight));
    applyPlacement();
    bindForm();
}

FrmTavrel::~FrmTavrel() = default;

int FrmTavrel::pixels(int twips) const
{
    return layout::toPixels(twips, logicalDpiY());
}

QRect FrmTavrel::pixels(const layout::Twips &rect) const
{
    return layout::toPixels(rect, logicalDpiY());
}

QWidget *FrmTavrel::page(int tab) const
{
    return tabGlimra_->widget(tab);
}

// The caption and the place on the screen come from the program; the size is the view's,
// outer size as the placement counts it.
void FrmTavrel::bindForm()
{
    Form &form = controls_.frmTavrel;
    const QSize outer = outerSize();
    form.setSize(layout::toTwips(outer.width(), logicalDpiX()), layout::toTwips(outer.height(), logicalDpiY()));
    const auto refresh = [this, &form] {
        setWindowTitle(form.caption());
        move(pixels(form.left()), pixels(form.top()));
    };
    refresh();
    connect(&form, &Control::changed, this, refresh);
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
    tabGlimra_->setUsesScrollButtons(true);

    auto &controls = controls_;
    for (int tab = 0; tab < int(layout::kFramesOnTab.size()); ++tab) {
        auto *tabPage = new QWidget;
        tabPage->setObjectName(indexed("tabGlimraPage", tab));
        for (int frame : layout::kFramesOnTab[std::size_t(tab)]) {
            if (frame < 0)
                continue;
            auto *box = new QGroupBox(tabPage);
            box->setObjectName(indexed("fraGlimra", frame));
            binding::bind(box, controls.fraGlimra[std::size_t(frame)]);
            frames_[std::size_t(frame)] = box;
        }
        tabGlimra_->addTab(tabPage, controls.tabGlimra.tabs().value(tab));
    }
    binding::bind(tabGlimra_, controls.tabGlimra);
    // The design places the frames relative to the whole tab strip, tab row included;
    // the pages start below the row, so the frames move whenever the pages do.
    page(TabControl)->installEventFilter(this);
}

void FrmTavrel::buildGrids()
{
    auto &controls = controls_;
    for (std::size_t i = 0; i < layout::kGrids.size(); ++i) {
        const int frame = layout::kGrids[i].frame;
        QWidget *parent = frame >= 0 ? static_cast<QWidget *>(frames_[std::size_t(frame)]) : page(TabEpic);
        auto *view = new GridView(controls.grdTavrel[i], parent);
        view->setObjectName(indexed("grdTavrel", int(i)));
        grids_[i] = view;
    }
}

// Puts every placed widget where the placement says, in pixels of this screen.
void FrmTavrel::applyPlacement()
{
    tabGlimra_->setGeometry(pixels(placement_.tabStrip));
    const QPoint pageOrigin = page(TabControl)->mapTo(tabGlimra_, QPoint());
    for (std::size_t i = 0; i < frames_.size(); ++i)
        if (frames_[i])
            frames_[i]->setGeometry(pixels(placement_.frames[i]).translated(-pageOrigin));
    for (std::size_t i = 0; i < grids_.size(); ++i) {
        QRect rect = pixels(placement_.grids[i]);
        const int frame = layout::kGrids[i].frame;
        if (frame < 0)
            rect.translate(-pageOrigin);
        else // its top below the frame's border line, however tall the style draws the caption
            rect.setTop(std::max(rect.top(), frames_[std::size_t(frame)]->contentsRect().top()));
        grids_[i]->setGeometry(rect);
    }
    for (const auto &[widget, rect] : extraPlaced_)
        widget->setGeometry(pixels(rect).translated(-pageOrigin));
}

QMargins FrmTavrel::frameExtents() const
{
    if (isFullScreen())
        return {};
    const QRect outer = frameGeometry();
    const QRect inner = geometry();
    const QMargins reported(inner.left() - outer.left(), inner.top() - outer.top(), outer.right() - inner.right(),
                            outer.bottom() - inner.bottom());
    // A frame without a title bar (bare borders, as a tiling window manager or the
    // offscreen platform gives) counts as none: the standard one keeps the tab strip
    // reaching down to the status bar.
    if (reported.top() > reported.bottom())
        return reported;
    const int border = style()->pixelMetric(QStyle::PM_MdiSubWindowFrameWidth, nullptr, this);
    const int title = style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, this);
    return {border, border + title, border, border};
}

QSize FrmTavrel::outerSize() const
{
    return size().grownBy(frameExtents());
}

void FrmTavrel::Form_Resize()
{
    const QSize outer = outerSize();
    Form_Resize(layout::toTwips(outer.width(), logicalDpiX()), layout::toTwips(outer.height(), logicalDpiY()));
}

void FrmTavrel::Form_Resize(int outerWidthTwips, int outerHeightTwips)
{
    if (isMinimized())
        return;
    auto &p = placement_;
    attempt([&] { setLength(p.tabStrip.height, outerHeightTwips - layout::kTabStripHeightMargin); });
    attempt([&] { setLength(p.tabStrip.width, outerWidthTwips - layout::kTabStripWidthMargin); });
    attempt([&] { setLength(p.frames[FraLed64_1].height, p.tabStrip.height - layout::kFrameMargin); });

    // Every later length is taken from the height frame 7 ("PhidgetLED 64 - 1") has now.
    const auto frame = [&](int i) {
        attempt([&] { setLength(p.frames[std::size_t(i)].height, p.frames[FraLed64_1].height); });
    };
    const auto grid = [&](int i, int margin) {
        attempt([&] { setLength(p.grids[std::size_t(i)].height, p.frames[FraLed64_1].height - margin); });
    };
    frame(FraLed64_2);
    grid(GrdLed64_1, layout::kGridMarginNarrow);
    grid(GrdLed64_2, layout::kGridMarginNarrow);
    frame(FraKit1);
    frame(FraKit2);
    grid(GrdKit1, layout::kGridMarginNarrow);
    grid(GrdKit2, layout::kGridMarginNarrow);
    frame(FraAnalogData);
    grid(GrdGauges, layout::kGridMarginWide);
    frame(FraDevices);
    grid(GrdDevices, layout::kGridMarginWide);
    frame(FraEpicDataSettings);
    grid(GrdEpic, layout::kGridMarginWide);
    frame(FraLeftMfd);
    grid(GrdLeftMfd, layout::kGridMarginWide);
    frame(FraRightMfd);
    grid(GrdRightMfd, layout::kGridMarginWide);
    applyPlacement();
}

// The program's view of the window's size follows its outer size, and the layout with it.
void FrmTavrel::followOuterSize()
{
    outerFollowed_ = outerSize();
    controls_.frmTavrel.setSize(layout::toTwips(outerFollowed_.width(), logicalDpiX()),
                                layout::toTwips(outerFollowed_.height(), logicalDpiY()));
    Form_Resize();
}

void FrmTavrel::resizeEvent(QResizeEvent *event)
{
    QMainWindow::resizeEvent(event);
    followOuterSize();
}

bool FrmTavrel::event(QEvent *event)
{
    const bool handled = QMainWindow::event(event);
    switch (event->type()) {
    case QEvent::WindowStateChange: // restoring from minimized recomputes every size
        if (!isMinimized())
            followOuterSize();
        break;
    case QEvent::Move: // the window manager framed the window, or changed its frame
    case QEvent::WindowActivate:
        if (outerSize() != outerFollowed_)
            followOuterSize();
        break;
    default:
        break;
    }
    return handled;
}

bool FrmTavrel::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == page(TabControl) && (event->type() == QEvent::Move || event->type() == QEvent::Resize))
        applyPlacement();
    return QMainWindow::eventFilter(watched, event);
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
