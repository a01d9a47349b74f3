#include "ui/ControlBinding.h"

#include "core/Error.h"
#include "ui/Layout.h"

#include <QCheckBox>
#include <QGroupBox>
#include <QHelpEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QStatusBar>
#include <QTabWidget>
#include <QTimer>
#include <QToolTip>

#include <array>
#include <memory>

namespace tavrel::binding {

namespace {

// The status bar's tooltip, asked of the model each time it is shown (the panels pass the
// event on to the bar, having none of their own).
class StatusToolTip : public QObject
{
public:
    StatusToolTip(QStatusBar *bar, const StatusBar &model) : QObject(bar), model_(model) {}

    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() != QEvent::ToolTip)
            return false;
        const QString text = model_.toolTip();
        if (text.isEmpty())
            return false;
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text, static_cast<QWidget *>(watched));
        return true;
    }

private:
    const StatusBar &model_;
};

// Runs `refresh` now and whenever the model changes, for as long as the widget lives.
template <typename Widget, typename Model, typename Refresh>
void follow(Widget *widget, Model &model, Refresh refresh)
{
    refresh();
    QObject::connect(&model, &Control::changed, widget, refresh);
}
} // namespace

void bind(QCheckBox *widget, CheckBox &model, QLabel *caption)
{
    follow(widget, model, [widget, &model, caption] {
        const QSignalBlocker block(widget);
        if (caption) {
            caption->setText(model.caption());
            caption->setEnabled(model.isEnabled());
            widget->setAccessibleName(model.caption());
        } else {
            widget->setText(model.caption());
        }
        widget->setEnabled(model.isEnabled());
        widget->setCheckState(model.value() == 0   ? Qt::Unchecked
                              : model.value() == 1 ? Qt::Checked
                                                   : Qt::PartiallyChecked);
    });
    QObject::connect(widget, &QCheckBox::clicked, &model,
                     [&model](bool checked) { attempt([&] { model.setValue(checked ? 1 : 0); }); });
}

void bind(QRadioButton *widget, OptionButton &model)
{
    follow(widget, model, [widget, &model] {
        const QSignalBlocker block(widget);
        widget->setText(model.caption());
        widget->setEnabled(model.isEnabled());
        widget->setChecked(model.value());
        QFont font = widget->font();
        font.setBold(model.isBold());
        widget->setFont(font);
    });
    // A click on the selected button runs its handler again, as the operator expects.
    QObject::connect(widget, &QRadioButton::clicked, &model, [&model] { model.select(); });
}

void bind(QPushButton *widget, CommandButton &model)
{
    follow(widget, model, [widget, &model] {
        widget->setText(model.caption());
        widget->setEnabled(model.isEnabled());
    });
    QObject::connect(widget, &QPushButton::clicked, &model, [&model] { model.press(); });
}

void bind(QSlider *widget, Slider &model)
{
    follow(widget, model, [widget, &model] {
        const QSignalBlocker block(widget);
        widget->setEnabled(model.isEnabled());
        widget->setRange(model.minimum(), model.maximum());
        widget->setSingleStep(model.smallChange());
        widget->setPageStep(model.largeChange());
        widget->setValue(model.value());
    });
    // The rate changes while the slider is dragged, so the label follows the hand.
    QObject::connect(widget, &QSlider::valueChanged, &model,
                     [&model](int value) { attempt([&] { model.setValue(value); }); });
}

void bind(QLineEdit *widget, TextBox &model)
{
    follow(widget, model, [widget, &model] {
        widget->setEnabled(model.isEnabled());
        if (widget->text() != model.text())
            widget->setText(model.text());
    });
    QObject::connect(widget, &QLineEdit::textEdited, &model, [&model](const QString &text) { model.setText(text); });
}

void bind(QLabel *widget, Label &model)
{
    follow(widget, model, [widget, &model] {
        widget->setEnabled(model.isEnabled());
        widget->setText(model.caption());
    });
}

void bindThrottled(QLabel *widget, Label &model, int intervalMs)
{
    const auto refresh = [widget, &model] {
        widget->setEnabled(model.isEnabled());
        widget->setText(model.caption());
    };
    refresh();
    auto *quiet = new QTimer(widget); // running while a redraw would come too soon
    quiet->setSingleShot(true);
    quiet->setInterval(intervalMs);
    auto pending = std::make_shared<bool>(false);
    QObject::connect(&model, &Control::changed, widget, [=] {
        if (quiet->isActive()) {
            *pending = true;
            return;
        }
        refresh();
        quiet->start();
    });
    QObject::connect(quiet, &QTimer::timeout, widget, [=] {
        if (!*pending)
            return;
        *pending = false;
        refresh();
        quiet->start();
    });
}

void bindLines(QLabel *widget, Label &model)
{
    // Two buffers take turns, as the label keeps the text it was given last: a new text
    // costs no allocation once both have held the longest one.
    follow(widget, model, [widget, &model, shown = std::array<QString, 2>{}, turn = 0]() mutable {
        turn ^= 1;
        QString &text = shown[std::size_t(turn)];
        copyText(text, model.caption());
        text.replace(u'\r', u'\n');
        widget->setEnabled(model.isEnabled());
        widget->setText(text);
    });
}

void bind(QGroupBox *widget, Frame &model)
{
    follow(widget, model, [widget, &model] {
        widget->setTitle(model.caption());
        widget->setEnabled(model.isEnabled());
    });
}

void bind(QStatusBar *widget, StatusBar &model)
{
    // Panel 1 springs to take the free width; panel 2 is centred and sized to its text.
    auto *panel1 = new QLabel(widget);
    auto *panel2 = new QLabel(widget);
    const qreal dpi = widget->logicalDpiX();
    panel1->setMinimumWidth(layout::toPixels(layout::kStatusPanel1MinWidth, dpi));
    panel2->setMinimumWidth(layout::toPixels(layout::kStatusPanel2MinWidth, dpi));
    panel2->setAlignment(Qt::AlignCenter);
    panel1->setObjectName(QStringLiteral("sbStatusBarPanel1"));
    panel2->setObjectName(QStringLiteral("sbStatusBarPanel2"));
    widget->addWidget(panel1, 1);
    widget->addPermanentWidget(panel2);
    follow(widget, model, [panel1, panel2, &model] {
        panel1->setText(model.panelCount() >= 1 ? model.panelText(1) : QString());
        panel2->setText(model.panelCount() >= 2 ? model.panelText(2) : QString());
    });
    widget->installEventFilter(new StatusToolTip(widget, model));
}

void bind(QTabWidget *widget, TabStrip &model)
{
    follow(widget, model, [widget, &model] {
        for (int i = 0; i < widget->count() && i < model.tabs().size(); ++i) {
            widget->setTabText(i, model.tabs()[i]);
            // A hidden tab is disabled too: Ctrl+Tab passes over disabled tabs only.
            widget->setTabEnabled(i, model.isTabEnabled(i) && model.isTabVisible(i));
            widget->setTabVisible(i, model.isTabVisible(i));
        }
    });
}

} // namespace tavrel::binding
