#include "core/Controls.h"

#include "core/Error.h"

#include <algorithm>

namespace tavrel {

namespace {
[[noreturn]] void invalidValue(const char *control)
{
    throw Error::standard(Error::InvalidPropertyValue, QLatin1String(control));
}
} // namespace

void copyText(QString &target, QStringView text)
{
    if (target.isDetached() && target.capacity() >= text.size()) {
        target.resize(text.size());
        std::copy(text.begin(), text.end(), target.data());
        return;
    }
    QString fresh;
    fresh.reserve(std::max<qsizetype>(text.size(), 32));
    fresh.append(text);
    target = std::move(fresh);
}

void Control::setCaption(const QString &caption)
{
    if (caption_ == caption)
        return;
    // A view keeps the caption it was last given; by the next change it has let go of
    // the one before, so the two buffers take turns and a live caption never allocates.
    if (!caption_.isDetached())
        std::swap(caption_, spare_);
    copyText(caption_, caption);
    notify();
}

void Control::setEnabled(bool enabled)
{
    if (enabled_ == enabled)
        return;
    enabled_ = enabled;
    notify();
}

void Form::move(int left, int top)
{
    if (left == left_ && top == top_)
        return;
    left_ = left;
    top_ = top;
    notify();
}

void CheckBox::setValue(int value)
{
    if (value < 0 || value > 2)
        invalidValue("CheckBox");
    if (value_ == value)
        return;
    value_ = value;
    notify();
    Q_EMIT click();
}

void OptionButton::select()
{
    markSelected();
    Q_EMIT click();
}

void OptionButton::markSelected()
{
    for (OptionButton *other : std::as_const(group_)) {
        if (other != this && other->value_) {
            other->value_ = false;
            other->notify();
        }
    }
    if (!value_) {
        value_ = true;
        notify();
    }
}

void OptionButton::setBold(bool bold)
{
    if (bold_ == bold)
        return;
    bold_ = bold;
    notify();
}

void Slider::setValue(int value)
{
    if (value < min_ || value > max_)
        invalidValue("Slider");
    if (value_ == value)
        return;
    value_ = value;
    notify();
    Q_EMIT change();
}

void Slider::setRange(int minimum, int maximum, int smallChange, int largeChange)
{
    min_ = minimum;
    max_ = maximum;
    smallChange_ = smallChange;
    largeChange_ = largeChange;
    notify();
}

void TextBox::setText(const QString &text)
{
    if (text_ == text)
        return;
    text_ = text;
    notify();
}

const QString &StatusBar::panelText(int panel) const
{
    if (panel < 1 || panel > panels_.size())
        throw Error::standard(Error::IndexOutOfBounds, QStringLiteral("StatusBar"));
    return panels_[panel - 1];
}

void StatusBar::setPanelText(int panel, const QString &text)
{
    if (panelText(panel) == text)
        return;
    panels_[panel - 1] = text;
    notify();
}

void TabStrip::setTabs(const QStringList &captions)
{
    tabs_ = captions;
    enabled_ = QList<bool>(captions.size(), true);
    visible_ = QList<bool>(captions.size(), true);
    notify();
}

bool TabStrip::isTabEnabled(int index) const
{
    return index >= 0 && index < enabled_.size() && enabled_[index];
}

void TabStrip::setTabEnabled(int index, bool enabled)
{
    if (index < 0 || index >= enabled_.size())
        throw Error::standard(Error::IndexOutOfBounds, QStringLiteral("TabStrip"));
    if (enabled_[index] == enabled)
        return;
    enabled_[index] = enabled;
    notify();
}

bool TabStrip::isTabVisible(int index) const
{
    return index >= 0 && index < visible_.size() && visible_[index];
}

void TabStrip::setTabVisible(int index, bool visible)
{
    if (index < 0 || index >= visible_.size())
        throw Error::standard(Error::IndexOutOfBounds, QStringLiteral("TabStrip"));
    if (visible_[index] == visible)
        return;
    visible_[index] = visible;
    notify();
}

} // namespace tavrel
