#pragma once

#include "core/JournalFile.h"
#include "epic/EpicLibrary.h"

#include <array>
#include <memory>

namespace tavrel {

// The built-in stand-in for the card's driver library, used where no library file loads.
// It offers every function: OpenEpic and CloseEpic answer 1 (0 for a card that is not
// there), the pigeonhole and value stores keep the last of each per channel and light-bit
// word until its send, and every call, in the order made, goes to the journal when one is
// given: one line per call, the function's name, a tab, and the argument in decimal
// (nothing after the tab for functions without one).
class VirtualEpicCard final : public EpicLibrary
{
public:
    // `journalPath` may be empty (no journal).
    explicit VirtualEpicCard(bool present = true, const QString &journalPath = QString());
    // From TAVREL_EPIC_JOURNAL (the journal) and TAVREL_EPIC_CARD ("absent": a card that
    // is not there). Problems go to standard error.
    static std::unique_ptr<VirtualEpicCard> fromEnvironment();

    bool provides(epic::Function) const override { return true; }
    std::int32_t call(epic::Function function, std::int32_t argument) override;
    QString name() const override { return QStringLiteral("virtual card"); }

    // What the card holds for a channel: its last pigeonhole and value (0 before any).
    std::int32_t pigeonhole(EpicChannel channel) const { return pigeonholes_[std::size_t(channel)]; }
    std::int32_t value(EpicChannel channel) const { return values_[std::size_t(channel)]; }
    // The pigeonhole selected last for light-bit word 1, 2 or 3.
    std::int32_t lightBitsPigeonhole(int word) const { return lightBitPigeonholes_[std::size_t(word - 1)]; }

private:
    bool present_;
    std::unique_ptr<JournalFile> journal_;
    std::array<std::int32_t, kEpicChannelCount> pigeonholes_{};
    std::array<std::int32_t, kEpicChannelCount> values_{};
    std::array<std::int32_t, 3> lightBitPigeonholes_{};
};

} // namespace tavrel
