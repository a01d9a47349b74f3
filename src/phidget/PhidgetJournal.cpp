#include "phidget/PhidgetJournal.h"

#include "core/Convert.h"

namespace tavrel {

PhidgetJournal::PhidgetJournal(const QString &path) : file_(path)
{
}

QString PhidgetJournal::escape(QStringView text)
{
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text) {
        switch (ch.unicode()) {
        case u'\\':
            out += QLatin1String("\\\\");
            break;
        case u'\t':
            out += QLatin1String("\\t");
            break;
        case u'\r':
            out += QLatin1String("\\r");
            break;
        case u'\n':
            out += QLatin1String("\\n");
            break;
        default:
            out += ch;
            break;
        }
    }
    return out;
}

void PhidgetJournal::write(std::int32_t serial, QLatin1String member, std::optional<int> index, bool value)
{
    writeLine(serial, member, index, value ? QByteArrayView("1") : QByteArrayView("0"));
}

void PhidgetJournal::write(std::int32_t serial, QLatin1String member, std::optional<int> index, std::int32_t value)
{
    const auto text = convert::shortest(std::int64_t(value));
    writeLine(serial, member, index, QByteArrayView(text.data, text.size));
}

void PhidgetJournal::write(std::int32_t serial, QLatin1String member, std::optional<int> index, double value)
{
    // A value the program worked out as a 32-bit float (a servo position) shows in the
    // float's shortest form: -0.86, not the 15 digits of its double.
    const auto single = convert::toFloat32(value);
    const auto text = single && double(*single) == value ? convert::shortest(*single) : convert::shortest(value);
    writeLine(serial, member, index, QByteArrayView(text.data, text.size));
}

void PhidgetJournal::write(std::int32_t serial, QLatin1String member, std::optional<int> index, QStringView text)
{
    writeLine(serial, member, index, escape(text).toUtf8());
}

void PhidgetJournal::writeLine(std::int32_t serial, QLatin1String member, std::optional<int> index,
                               QByteArrayView value)
{
    if (!file_.isOpen())
        return;
    QByteArray &line = file_.startLine();
    line.append(QByteArray::number(serial)).append('\t').append(member.data(), member.size()).append('\t');
    if (index)
        line.append(QByteArray::number(*index));
    line.append('\t').append(value.data(), value.size());
    file_.endLine();
}

} // namespace tavrel
