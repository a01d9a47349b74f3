#pragma once

#include <QString>
#include <QStringView>

namespace tavrel {

// A value read from a table cell's text, read again only when the cell holds another text.
// The cycle reads the same cells every time and they seldom change, so a number is taken
// out of its text once per text, not once per cycle. The text read last is kept as a
// reference, not a copy: a text still shared with the cell is the same text (a change
// made to a shared text copies it first), and nothing is allocated. Keep readings only of
// cells the cycle does not rewrite in place: a kept reference makes the rewrite copy.
template <typename Value>
class TextReading
{
public:
    // Whether the value was read from this very text.
    bool isOf(const QString &text) const { return text_.isSharedWith(text) && text_.size() == text.size(); }

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
