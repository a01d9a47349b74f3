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
    // may run, as "TLBO" with "-" for held.
    struct Row
    {
        Phase phase;
        bool cycle;
        bool box;
        const char *runs;
    };
    const Row rows[] = {
        {Phase::StartingUp, false, false, "----"},
        {Phase::StartingUp, false, true, "----"},
        {Phase::BuildingTables, false, false, "--B-"},
        {Phase::BuildingTables, false, true, "----"},
        {Phase::Running, false, false, "TLBO"},
        {Phase::Running, false, true, "TLBO"}, // a run-time box is a yield
        {Phase::Running, true, false, "-LB-"},
        {Phase::Running, true, true, "-LB-"}, // a box inside a cycle nests no cycle
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
        for (const auto &[work, letter] : {std::pair{Work::PollingTick, 'T'},
                                           {Work::LivenessTick, 'L'},
                                           {Work::BoardEvent, 'B'},
                                           {Work::OperatorWork, 'O'}})
            runs += QLatin1Char(gate.mayRun(work) ? letter : '-');
        EXPECT_EQ(runs, QLatin1String(row.runs))
            << "phase " << int(row.phase) << " cycle " << row.cycle << " box " << row.box;
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
        if (what == Op::OpenEpic) {
            gate.hold(Op::CloseEpic);
            gate.runHeld([&](Op) { ran += u'!'; }); // nothing nests
        }
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
