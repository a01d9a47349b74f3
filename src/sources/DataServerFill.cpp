#include "sources/DataServerFill.h"

#include "core/Convert.h"
#include "core/Error.h"
#include "sources/LateBound.h"

#include <cfloat>
#include <cmath>

namespace tavrel {

namespace {

[[noreturn]] void typeMismatch()
{
    throw Error::standard(Error::TypeMismatch);
}

// A property value as a number, the way the server's variants convert: numbers and
// booleans (true is -1) directly, text only when the whole text is a number.
double toNumber(const QVariant &value)
{
    switch (value.typeId()) {
    case QMetaType::UnknownType:
        return 0.0; // an empty value reads as zero
    case QMetaType::Bool:
        return value.toBool() ? -1.0 : 0.0;
    // What servers answer nearly always, read without the general conversion.
    case QMetaType::Float:
        return *static_cast<const float *>(value.constData());
    case QMetaType::Double:
        return *static_cast<const double *>(value.constData());
    case QMetaType::Int:
        return *static_cast<const int *>(value.constData());
    case QMetaType::QString: {
        bool ok = false;
        const double number = value.toString().trimmed().toDouble(&ok); // C locale, never the user's
        if (!ok)
            typeMismatch();
        return number;
    }
    default: {
        bool ok = false;
        const double number = value.toDouble(&ok);
        if (!ok)
            typeMismatch();
        return number;
    }
    }
}

float toFloat(const QVariant &value)
{
    const double number = toNumber(value);
    if (std::isfinite(number) && std::fabs(number) > FLT_MAX)
        throw Error::standard(Error::Overflow);
    return static_cast<float>(number);
}

std::int32_t toInt(const QVariant &value)
{
    const auto rounded = convert::toInt32(toNumber(value));
    if (!rounded)
        throw Error::standard(Error::Overflow);
    return *rounded;
}

bool filledByServer(const FieldInfo &field)
{
    return field.kind != FieldKind::Reserved && field.name != "AdiIlsPos2";
}

} // namespace

void fillFromDataServer(LateBound &server, FlightData &data)
{
    attempt([&] { server.call("FillFlightData"); });
    for (const FieldInfo &field : kFlightDataFields) {
        if (!filledByServer(field))
            continue;
        attempt([&] {
            const QVariant value = server.get(field.name);
            switch (field.kind) {
            case FieldKind::Float:
                floatField(data, field) = toFloat(value);
                break;
            case FieldKind::Int:
                intField(data, field) = toInt(value);
                break;
            case FieldKind::Text:
                if (!value.canConvert<QString>())
                    typeMismatch();
                convert::setFixedText(textField(data, field), value.toString());
                break;
            case FieldKind::Reserved:
                break;
            }
        });
    }
}

} // namespace tavrel
