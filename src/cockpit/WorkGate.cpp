#include "cockpit/WorkGate.h"

namespace tavrel {

bool WorkGate::mayRun(Work work) const
{
    switch (phase_) {
    case Phase::StartingUp:
        return false;
    case Phase::BuildingTables:
        return work == Work::BoardEvent && openBoxes_ == 0;
    case Phase::Running:
        break;
    }
    // At run time an open box changes nothing here: its loop is one more yield.
    switch (work) {
    case Work::PollingTick:
        return cycleRunning_ == 0; // skipped, never nested
    case Work::LivenessTick:
    case Work::BoardEvent:
        return true;
    case Work::OperatorWork:
        return cycleRunning_ == 0 && operatorBusy_ == 0;
    }
    return false;
}

void WorkGate::hold(Operator what)
{
    const bool once = what == Operator::LampTest || what == Operator::GearTestTick;
    if (once && held_.contains(what))
        return;
    held_.append(what);
}

} // namespace tavrel
