// The work gate alone: what may run in each state, and the operator's work it holds.
#include "cockpit/WorkGate.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <QString>

#include <optional>

namespace tavrel {
namespace {

using Phase = WorkGate::Phase;
using Work = WorkGate::Work;
using Op = WorkGate::Operator;

TEST(WorkGateTest, WhatMayRunInEachState)
{
    // Which of the polling tick, the liveness tick, a board event and the operator's work
    // may run, as "TLBO" with "-" for held; `busy`: asked from inside held operator work.
    struct Row
    {
        Phase phase;
        bool cycle, box, busy;
        const char *runs;
    };
    const Row rows[] = {
        {Phase::StartingUp, false, false, false, "----"},
        {Phase::StartingUp, false, true, false, "----"},
        {Phase::BuildingTables, false, false, false, "--B-"},
        {Phase::BuildingTables, false, true, false, "----"},
        {Phase::Running, false, false, false, "TLBO"},
        {Phase::Running, false, true, false, "TLBO"}, // a run-time box is a yield
        {Phase::Running, true, false, false, "-LB-"},
        {Phase::Running, true, true, false, "-LB-"}, // a box inside a cycle nests no cycle
        {Phase::Running, false, false, true, "TLB-"},
    };
    for (const Row &row : rows) {
        WorkGate gate;
        gate.setPhase(row.phase);
        std::optional<WorkGate::Scope> cycle, box;
        if (row.cycle)
            cycle.emplace(gate.cycle());
        if (row.box)
            box.emplace(gate.messageBox());
        QString runs;
        const auto ask = [&](auto...) {
            for (const auto &[work, letter] : {std::pair{Work::PollingTick, 'T'},
                                               {Work::LivenessTick, 'L'},
                                               {Work::BoardEvent, 'B'},
                                               {Work::OperatorWork, 'O'}})
                runs += QLatin1Char(gate.mayRun(work) ? letter : '-');
        };
        if (row.busy)
            gate.hold(Op::LampTest), gate.runHeld(ask);
        else
            ask();
        EXPECT_EQ(runs.toStdString(), row.runs)
            << "phase " << int(row.phase) << " cycle " << row.cycle << " box " << row.box << " busy " << row.busy;
    }
}

// Held work runs in the order asked for, after the cycle; work asked for while other work
// runs waits for it; a second gear test tick or lamp test is not held twice.
TEST(WorkGateTest, HeldWorkRunsInOrderOnceEachTimerTick)
{
    WorkGate gate;
    QString ran;
    const auto perform = [&](Op what) {
        ran += QString::number(int(what));
        if (what == Op::OpenEpic)
            gate.hold(Op::CloseEpic); // runs after what is held before it
    };
    {
        const auto cycle = gate.cycle();
        for (Op what : {Op::GearTestTick, Op::OpenEpic, Op::GearTestTick, Op::LampTest, Op::LampTest, Op::GearUp})
            gate.hold(what);
        gate.runHeld(perform);
        EXPECT_EQ(ran, QString());
    }
    gate.runHeld(perform);
    EXPECT_EQ(ran, QStringLiteral("51032"));
}

} // namespace
} // namespace tavrel
