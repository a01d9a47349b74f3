#pragma once

#include <QString>
#include <QStringView>

namespace tavrel {

// A value read from a table cell's text, read again only when the cell holds another text.
// The cycle reads the same cells every time and they seldom change, so a number is taken
// out of its text once per text, not once per cycle. The text read last is kept as a
// reference, not a copy: characters still in the same place are the same text (a change
// made to shared characters copies them first), and nothing is allocated. Keep readings
// only of cells the cycle does not rewrite in place: a kept reference makes the rewrite
// copy.
template <typename Value>
class TextReading
{
public:
    // Whether the value was read from this very text.
    bool isOf(const QString &text) const
    {
        // The same characters in the same place: the kept reference holds them there, and
        // a change to shared characters copies them first. (Literal text has no shared
        // header to compare, and cannot change.)
        return text_.constData() == text.constData() && text_.size() == text.size();
    }

    template <typename Read>
    const Value &of(const QString &text, Read &&read)
    {
        if (!isOf(text)) {
            text_ = text;
            value_ = read(QStringView(text));
        }
        return value_;
    }

private:
    QString text_;
    Value value_{};
};

} // namespace tavrel
