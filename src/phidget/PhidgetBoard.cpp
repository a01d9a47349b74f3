#include "phidget/PhidgetBoard.h"

#include "core/Error.h"

namespace tavrel {

void PhidgetBoard::memberNotFound()
{
    throw Error(Error::MemberNotFound, QStringLiteral("Object doesn't support this property or method"));
}

int PhidgetBoard::numOutputs() const { memberNotFound(); }
void PhidgetBoard::setOutputState(int, bool) { memberNotFound(); }
int PhidgetBoard::ledCount() const { memberNotFound(); }
void PhidgetBoard::setDiscreteLED(int, std::int32_t) { memberNotFound(); }
void PhidgetBoard::setBrightness(std::int32_t) { memberNotFound(); }
void PhidgetBoard::setBacklight(bool) { memberNotFound(); }
void PhidgetBoard::setCursorOn(bool) { memberNotFound(); }
int PhidgetBoard::rowCount() const { memberNotFound(); }
void PhidgetBoard::setDisplayString(int, QStringView) { memberNotFound(); }
int PhidgetBoard::numMotors() const { memberNotFound(); }
void PhidgetBoard::setMotorPosition(int, double) { memberNotFound(); }

} // namespace tavrel
