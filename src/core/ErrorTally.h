#pragma once

#include <QLoggingCategory>
#include <QString>
#include <QStringView>

#include <array>
#include <limits>

namespace tavrel {

class Error;

// The errors an update cycle skips by design (a pulled board, a value a servo refuses, a
// member the data server lacks), counted per kind and logged at most once a second per
// kind: the first one at once, then how many followed. A kind is where the error arose
// (the table or step the cycle was at) and the error's source and number. Counting, and
// logging nothing new, allocates nothing: the cycle stays free of allocations.
class ErrorTally
{
public:
    static constexpr qint64 kReportEveryMs = 1000;
    using Category = const QLoggingCategory &(*)();

    // While one lives, the errors attempt() swallows on this thread count into `tally`, at
    // the time `now` (milliseconds on a clock that never goes back). At its end what is
    // due is logged.
    class Counting
    {
    public:
        Counting(ErrorTally &tally, qint64 now);
        ~Counting();
        Counting(const Counting &) = delete;
        Counting &operator=(const Counting &) = delete;

    private:
        ErrorTally *previous_;
    };
    // While one lives nothing counts: the events that run in a cycle's yields are not the
    // cycle's.
    class Pause
    {
    public:
        Pause();
        ~Pause();
        Pause(const Pause &) = delete;
        Pause &operator=(const Pause &) = delete;

    private:
        ErrorTally *paused_;
    };

    // Where the errors counted from now on arise: the layer's category and a name that
    // lives as long as the program (a section name, a step's name).
    static void at(Category category, QStringView where);
    // Called for every error attempt() swallows.
    static void note(const Error &error);

    // Logs every kind that has counted errors since its last line, once a second has
    // passed since that line.
    void flush(qint64 now);

private:
    static constexpr int kKinds = 32;
    static constexpr qint64 kNever = std::numeric_limits<qint64>::min() / 2;
    struct Kind
    {
        Category category = nullptr;
        QStringView where;
        int number = 0;
        QString source;
        QString description;
        qint64 pending = 0;
        qint64 reportedAt = kNever;
    };
    void count(const Error &error);
    void report(Kind &kind);

    std::array<Kind, kKinds> kinds_;
    int used_ = 0;
    qint64 now_ = 0;
    Category category_ = nullptr;
    QStringView where_;
};

} // namespace tavrel
