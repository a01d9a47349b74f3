#pragma once

#include <QVarLengthArray>

namespace tavrel {

// What may run now, decided in one place. Everything runs on one thread, and events are
// delivered only where it yields: in the cycle's and the output steps' yields, and in the
// event loop of every message box while it is open.
//
// - Start-up runs alone. Ticks are skipped and board events and the operator's work wait,
//   inside its message boxes too; board events run only in the yields of building the
//   device tables, which find the tables built so far.
// - At run time a message box's loop is a yield like any other: board events, socket data
//   and liveness ticks run, and a polling tick starts a cycle when none is under way. A box
//   opened inside a cycle keeps that cycle under way, so cycles never nest.
// - The operator's work (the lamp test, the EPIC buttons, the gear test) never starts in
//   the middle of a cycle or of other operator work: it is held, in the order asked for,
//   and runs once they are over. Timer-driven work never piles up: a lamp test or a gear
//   test tick that finds one of its kind already waiting is not held twice.
class WorkGate
{
public:
    enum class Phase { StartingUp, BuildingTables, Running };
    enum class Work { PollingTick, LivenessTick, BoardEvent, OperatorWork };
    enum class Operator { LampTest, OpenEpic, CloseEpic, GearUp, GearDown, GearTestTick };

    bool mayRun(Work work) const;

    Phase phase() const { return phase_; }
    void setPhase(Phase phase) { phase_ = phase; }
    bool cycleRunning() const { return cycleRunning_; }
    int openBoxes() const { return openBoxes_; }

    // Marks what is under way for as long as the returned object lives.
    class Scope
    {
    public:
        explicit Scope(int &count) : count_(&count) { ++*count_; }
        Scope(Scope &&other) noexcept : count_(other.count_) { other.count_ = nullptr; }
        Scope(const Scope &) = delete;
        Scope &operator=(const Scope &) = delete;
        Scope &operator=(Scope &&) = delete;
        ~Scope()
        {
            if (count_)
                --*count_;
        }

    private:
        int *count_;
    };
    [[nodiscard]] Scope cycle() { return Scope(cycleRunning_); }
    [[nodiscard]] Scope messageBox() { return Scope(openBoxes_); }

    // Keeps the operator's work until it may run.
    void hold(Operator what);
    // Runs what is held, in order, for as long as operator work may run; `perform` runs one
    // piece and may yield (what is asked for meanwhile joins the queue).
    template <typename Perform>
    void runHeld(Perform &&perform)
    {
        while (!held_.isEmpty() && mayRun(Work::OperatorWork)) {
            const Operator what = held_.front();
            held_.remove(0);
            const Scope busy(operatorBusy_);
            perform(what);
        }
    }
    bool hasHeldWork() const { return !held_.isEmpty(); }

private:
    Phase phase_ = Phase::Running;
    int cycleRunning_ = 0;
    int openBoxes_ = 0;
    int operatorBusy_ = 0;
    QVarLengthArray<Operator, 8> held_;
};

} // namespace tavrel
