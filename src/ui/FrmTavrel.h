#pragma once

#include "cockpit/CockpitControls.h"
#include "ui/Layout.h"

#include <QList>
#include <QMainWindow>

#include <array>

class QGroupBox;
class QTabWidget;

namespace tavrel {

class GridView;

// The window: a view over the cockpit's control models. It builds the widgets, binds each
// to its model and places them from the design's twips; its only behaviour is the layout
// and the resize rule. Closing it (or File > Exit) asks for shutdown.
class FrmTavrel : public QMainWindow
{
    Q_OBJECT
public:
    explicit FrmTavrel(CockpitControls &controls, QWidget *parent = nullptr);
    ~FrmTavrel() override;

    QTabWidget *tabStrip() const { return tabGlimra_; }
    QGroupBox *frame(int index) const { return frames_[std::size_t(index)]; }
    GridView *grid(int index) const { return grids_[std::size_t(index)]; }

    // Where the tab strip, the frames and the grids stand now, in twips (frames relative
    // to the tab strip, grids to their frame or tab).
    struct Placement
    {
        layout::Twips tabStrip;
        std::array<layout::Twips, kFrameCount> frames;
        std::array<layout::Twips, kGridCount> grids;
    };
    const Placement &placement() const { return placement_; }

    // The frame around the window: title bar and borders as the window system reports
    // them once it has framed the window; where it reports none with a title bar (no
    // window manager, or not framed yet) the style's standard title bar and borders, so
    // that the first layout is already the right one. A full-screen window has none.
    QMargins frameExtents() const;

    // The resize rule, run on every change of the window's outer size (frame, title bar
    // and menu bar included): the tab strip follows it and the nine device frames and
    // their grids stretch with it. Each statement that fails (a height below zero) is
    // passed over.
    void Form_Resize();
    void Form_Resize(int outerWidthTwips, int outerHeightTwips);

Q_SIGNALS:
    // The operator closed the window or chose Exit.
    void shutdownRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    bool event(QEvent *event) override;
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void bindForm();
    void buildMenu();
    void buildTabs();
    void buildGrids();
    // The contents of the frames and tabs (FrmTavrelFrames.cpp).
    void buildControlTab();
    void buildTextDisplayFrames();
    void buildServoFrame();
    void buildEpicTab();
    void buildSwitchesTab();
    void applyPlacement();
    QSize outerSize() const;
    void followOuterSize();
    int pixels(int twips) const;
    QRect pixels(const layout::Twips &rect) const;
    QWidget *page(int tab) const;

    CockpitControls &controls_;
    QTabWidget *tabGlimra_ = nullptr;
    std::array<QGroupBox *, kFrameCount> frames_{};
    std::array<GridView *, kGridCount> grids_{};
    // Controls placed directly on a tab page, at their design twips.
    QList<std::pair<QWidget *, layout::Twips>> extraPlaced_;
    Placement placement_{};
    QSize outerFollowed_;
    bool closing_ = false;
};

} // namespace tavrel
