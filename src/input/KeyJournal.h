#pragma once

#include "input/KeyInjector.h"

#include <QFile>
#include <QString>

namespace tavrel {

// Records key events instead of injecting them, for bench tests without a simulator:
// per batch one line `batch<TAB>n`, then one line per record in the order sent,
//
//     down|up <TAB> virtual key <TAB> scan code <TAB> flags
//
// appended and flushed at once. Every record of a batch is accepted; a file that cannot
// be opened or written accepts none.
class KeyJournal final : public KeyInjector
{
public:
    explicit KeyJournal(const QString &path);
    int send(std::span<const KeyRecord> records) override;

private:
    QFile file_;
};

} // namespace tavrel
