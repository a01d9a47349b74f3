#pragma once

#include <QMainWindow>

#include <array>

class QGroupBox;
class QTabWidget;

namespace tavrel {

class Cockpit;

// The window: a view over the cockpit's control models. It builds the widgets, binds each
// to its model and lays them out from the design's twips; it has no behaviour of its own
// beyond layout. Closing it (or File > Exit) asks for shutdown.
class FrmTavrel : public QMainWindow
{
    Q_OBJECT
public:
    explicit FrmTavrel(Cockpit &cockpit, QWidget *parent = nullptr);
    ~FrmTavrel() override;

    QTabWidget *tabStrip() const { return tabGlimra_; }
    QGroupBox *frame(int index) const { return frames_[static_cast<std::size_t>(index)]; }

Q_SIGNALS:
    // The operator closed the window or chose Exit.
    void shutdownRequested();

protected:
    void closeEvent(QCloseEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;

private:
    void bindForm();
    void buildMenu();
    void buildTabs();
    void buildControlTab();
    void buildTextDisplayFrames();
    int pixels(int twips) const;

    Cockpit &cockpit_;
    QTabWidget *tabGlimra_ = nullptr;
    std::array<QGroupBox *, 21> frames_{};
    bool closing_ = false;
};

} // namespace tavrel
