#include "core/ErrorTally.h"

#include "core/Error.h"
#include "core/Log.h"

namespace tavrel {

using namespace Qt::StringLiterals;

namespace {
thread_local ErrorTally *active = nullptr;
} // namespace

void noteSkippedError(const Error &error)
{
    ErrorTally::note(error);
}

ErrorTally::Counting::Counting(ErrorTally &tally, qint64 now) : previous_(active)
{
    tally.now_ = now;
    tally.category_ = lcSource; // the cycle begins with its data source
    tally.where_ = u"data source";
    active = &tally;
}

ErrorTally::Counting::~Counting()
{
    ErrorTally *tally = active;
    active = previous_;
    if (tally)
        tally->flush(tally->now_);
}

ErrorTally::Pause::Pause() : paused_(active)
{
    active = nullptr;
}

ErrorTally::Pause::~Pause()
{
    active = paused_;
}

void ErrorTally::at(Category category, QStringView where)
{
    if (active) {
        active->category_ = category;
        active->where_ = where;
    }
}

void ErrorTally::note(const Error &error)
{
    if (active)
        active->count(error);
}

void ErrorTally::count(const Error &error)
{
    Kind *kind = nullptr;
    for (int i = 0; i < used_ && !kind; ++i) {
        Kind &k = kinds_[std::size_t(i)];
        if (k.category == category_ && k.number == error.number() && k.where == where_ && k.source == error.source())
            kind = &k;
    }
    if (!kind) {
        // A table full of kinds counts the rest into its last one.
        kind = &kinds_[std::size_t(used_ < kKinds ? used_++ : kKinds - 1)];
        kind->category = category_;
        kind->where = where_;
        kind->number = error.number();
        kind->source = error.source();
        kind->description = error.description();
    }
    ++kind->pending;
    if (now_ - kind->reportedAt >= kReportEveryMs)
        report(*kind);
}

void ErrorTally::flush(qint64 now)
{
    now_ = now;
    for (int i = 0; i < used_; ++i) {
        Kind &kind = kinds_[std::size_t(i)];
        if (kind.pending > 0 && now - kind.reportedAt >= kReportEveryMs)
            report(kind);
    }
}

void ErrorTally::report(Kind &kind)
{
    const QString error = u"%1: %2error %3 \"%4\" skipped"_s.arg(kind.where,
                                                                 kind.source.isEmpty() ? QString() : kind.source + u' ',
                                                                 QString::number(kind.number), kind.description);
    const bool first = kind.reportedAt == kNever;
    if (first)
        qCWarning(kind.category).noquote() << error << u"(repeats are counted, one line a second at most)"_s;
    else
        qCWarning(kind.category).noquote()
            << error
            << u"%1 times in the last %2 s"_s.arg(kind.pending).arg(double(now_ - kind.reportedAt) / 1000.0, 0, 'f', 1);
    kind.pending = 0;
    kind.reportedAt = now_;
}

} // namespace tavrel
