#include "epic/VirtualEpicCard.h"

#include "core/Convert.h"
#include "core/Log.h"

namespace tavrel {

VirtualEpicCard::VirtualEpicCard(bool present, const QString &journalPath) : present_(present)
{
    if (journalPath.isEmpty())
        return;
    journal_ = std::make_unique<JournalFile>(journalPath);
    if (!journal_->isOpen())
        qCWarning(lcEpic).noquote() << QStringLiteral("virtual EPIC card: journal %1 cannot be written: %2")
                                           .arg(journalPath, journal_->errorString());
}

std::unique_ptr<VirtualEpicCard> VirtualEpicCard::fromEnvironment()
{
    const QString card = qEnvironmentVariable("TAVREL_EPIC_CARD");
    const bool absent = card == QLatin1String("absent");
    if (!absent && !card.isEmpty() && card != QLatin1String("present"))
        qCWarning(lcEpic).noquote() << QStringLiteral("virtual EPIC card: TAVREL_EPIC_CARD \"%1\" is neither present "
                                                      "nor absent; the card is present")
                                           .arg(card);
    return std::make_unique<VirtualEpicCard>(!absent, qEnvironmentVariable("TAVREL_EPIC_JOURNAL"));
}

std::int32_t VirtualEpicCard::call(epic::Function function, std::int32_t argument)
{
    if (journal_) {
        QByteArray &line = journal_->startLine();
        const QLatin1String name = epic::functionName(function);
        line.append(name.data(), name.size()).append('\t');
        if (epic::takesArgument(function)) {
            const auto text = convert::shortest(std::int64_t(argument));
            line.append(text.data, text.size);
        }
        journal_->endLine();
    }
    using namespace epic;
    if (function >= storePigeonhole(EpicChannel::RPM) && function < SendINTWINGPH) {
        const auto channel = std::size_t((function - storePigeonhole(EpicChannel::RPM)) / 3);
        if (function == storePigeonhole(EpicChannel(channel)))
            pigeonholes_[channel] = argument;
        else if (function == storeValue(EpicChannel(channel)))
            values_[channel] = argument;
    } else if (function >= selectLightBits(1) && function <= selectLightBits(3)) {
        lightBitPigeonholes_[std::size_t(function - selectLightBits(1))] = argument;
    }
    return present_ ? 1 : 0;
}

} // namespace tavrel
