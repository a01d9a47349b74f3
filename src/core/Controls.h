#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include <functional>

// Control models: the small core objects behind every control that behaviour reads or
// writes. Setting a value from code fires the same notification a user's click fires,
// so a handler runs whether the operator or the program changed the control. The window
// binds one widget to each model and follows its changed() signal.
namespace tavrel {

// Copies `text` into `target`, reusing the target's room when no one else holds it, so a
// control or a cell rewritten every cycle never allocates once its text has been at its
// longest. The target never shares the caller's buffer afterwards.
void copyText(QString &target, QStringView text);

// What every control has: a caption, an enabled state and a change notification for
// the view. Setters notify only when something actually changed.
class Control : public QObject
{
    Q_OBJECT
public:
    explicit Control(QObject *parent = nullptr) : QObject(parent) {}

    const QString &caption() const { return caption_; }
    void setCaption(const QString &caption);
    bool isEnabled() const { return enabled_; }
    void setEnabled(bool enabled);

Q_SIGNALS:
    void changed();

protected:
    void notify() { Q_EMIT changed(); }

private:
    QString caption_;
    QString spare_; // the caption before last, whose room the next change reuses
    bool enabled_ = true;
};

using Label = Control;
using Frame = Control;

// The window itself: its caption (the control's) and its place and size on the screen in
// twips. The program moves it; the view reports its size.
class Form : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    int left() const { return left_; }
    int top() const { return top_; }
    int width() const { return width_; }
    int height() const { return height_; }
    void move(int left, int top);
    // The view's own size, as the window shows it; no notification.
    void setSize(int width, int height) { width_ = width, height_ = height; }

private:
    int left_ = 0;
    int top_ = 0;
    int width_ = 0;
    int height_ = 0;
};

// A check box: value 0 (unchecked), 1 (checked) or 2 (grayed). click() fires when the
// value changes, by the operator or from code.
class CheckBox : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    int value() const { return value_; }
    void setValue(int value);

Q_SIGNALS:
    void click();

private:
    int value_ = 0;
};

// A command button: click() fires when the operator presses it or the program does.
class CommandButton : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    void press() { Q_EMIT click(); }

Q_SIGNALS:
    void click();
};

// An option button of a group: selecting one clears the others of its group. click()
// fires every time it is selected, even when it already was (the connection handler
// relies on that to re-run its set-up).
class OptionButton : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    bool value() const { return value_; }
    // Selects this button (clearing the others of its group) and fires click().
    void select();
    // Selects it without firing click(): the handler's own "mark selected".
    void markSelected();
    void setGroup(QList<OptionButton *> group) { group_ = std::move(group); }
    bool isBold() const { return bold_; }
    void setBold(bool bold);

Q_SIGNALS:
    void click();

private:
    bool value_ = false;
    bool bold_ = false;
    QList<OptionButton *> group_;
};

// A slider with a range and steps; change() fires when the value changes. A value
// outside the range is a failed statement (the value stays).
class Slider : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    int value() const { return value_; }
    void setValue(int value);
    int minimum() const { return min_; }
    int maximum() const { return max_; }
    int smallChange() const { return smallChange_; }
    int largeChange() const { return largeChange_; }
    void setRange(int minimum, int maximum, int smallChange, int largeChange);

Q_SIGNALS:
    void change();

private:
    int value_ = 0;
    int min_ = 0;
    int max_ = 10;
    int smallChange_ = 1;
    int largeChange_ = 1;
};

// A one-line text box.
class TextBox : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    const QString &text() const { return text_; }
    void setText(const QString &text);

private:
    QString text_;
};

// The status bar: panels with their texts (panel numbers start at 1 as the operator
// counts them).
class StatusBar : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    int panelCount() const { return static_cast<int>(panels_.size()); }
    void addPanel()
    {
        panels_.append(QString());
        notify();
    }
    const QString &panelText(int panel) const;
    void setPanelText(int panel, const QString &text);
    // The tooltip, made when the operator points at the bar (it may say what changes all
    // the time, such as when the last record came).
    void setToolTipSource(std::function<QString()> source) { toolTipSource_ = std::move(source); }
    QString toolTip() const { return toolTipSource_ ? toolTipSource_() : QString(); }

private:
    QStringList panels_;
    std::function<QString()> toolTipSource_;
};

// The tab strip: which tabs exist and which are usable.
class TabStrip : public Control
{
    Q_OBJECT
public:
    using Control::Control;
    void setTabs(const QStringList &captions);
    const QStringList &tabs() const { return tabs_; }
    bool isTabEnabled(int index) const;
    void setTabEnabled(int index, bool enabled);
    bool isTabVisible(int index) const;
    void setTabVisible(int index, bool visible);

private:
    QStringList tabs_;
    QList<bool> enabled_;
    QList<bool> visible_;
};

} // namespace tavrel
