#include "phidget/PhidgetBoard.h"

#include "core/Error.h"

#include <limits>

namespace tavrel {

void PhidgetBoard::memberNotFound()
{
    throw Error::standard(Error::MemberNotFound);
}

int PhidgetBoard::numOutputs() const
{
    memberNotFound();
}
void PhidgetBoard::setOutputState(int, bool)
{
    memberNotFound();
}
int PhidgetBoard::ledCount() const
{
    memberNotFound();
}
void PhidgetBoard::setDiscreteLED(int, std::int32_t)
{
    memberNotFound();
}
void PhidgetBoard::setBrightness(std::int32_t)
{
    memberNotFound();
}
void PhidgetBoard::setBacklight(bool)
{
    memberNotFound();
}
void PhidgetBoard::setCursorOn(bool)
{
    memberNotFound();
}
int PhidgetBoard::rowCount() const
{
    memberNotFound();
}
void PhidgetBoard::setDisplayString(int, QStringView)
{
    memberNotFound();
}
int PhidgetBoard::numMotors() const
{
    memberNotFound();
}
void PhidgetBoard::setMotorPosition(int, double)
{
    memberNotFound();
}

std::optional<std::int32_t> readSerialNumber(QStringView text)
{
    if (text.isEmpty() || text.size() > 10)
        return std::nullopt;
    qint64 value = 0;
    for (const QChar ch : text) {
        if (ch < u'0' || ch > u'9')
            return std::nullopt;
        value = value * 10 + (ch.unicode() - u'0');
    }
    if (value < 1 || value > std::numeric_limits<std::int32_t>::max())
        return std::nullopt;
    return std::int32_t(value);
}

} // namespace tavrel
