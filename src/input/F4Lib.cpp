#include "input/F4Lib.h"

#include "core/Error.h"
#include "core/Log.h"

#include <QStringList>

#include <array>

namespace tavrel {

F4Lib::F4Lib(std::function<void()> yield) : yield_(std::move(yield))
{
}

F4Lib::~F4Lib() = default;

std::int16_t F4Lib::PressKeys(std::uint8_t k1, std::uint8_t k2, std::uint8_t k3, std::uint8_t k4)
{
    const std::array<std::uint8_t, 4> keys = {k1, k2, k3, k4};
    std::size_t n = 0; // the index of the last key used
    while (n < 3 && keys[n + 1] != 0)
        ++n;

    std::array<KeyRecord, 4> records{};
    for (std::size_t i = 0; i <= n; ++i)
        records[i] = KeyRecord{0, keys[i], kKeyScanCode, 0, 0};
    send(std::span(records.data(), n + 1));

    for (std::size_t i = n + 1; i-- > 0;)
        records[i] = KeyRecord{keys[i], keys[i], kKeyScanCode | kKeyUp, 0, 0};
    const int accepted = send(std::span(records.data(), n + 1));
    QStringList pressed;
    for (std::size_t i = 0; i <= n; ++i)
        pressed += QString::number(keys[i]);
    const QString line =
        QStringLiteral("keys %1 pressed: %2 of %3 key releases taken").arg(pressed.join(u'+')).arg(accepted).arg(n + 1);
    if (accepted == int(n + 1))
        qCInfo(lcKeys).noquote() << line;
    else
        qCWarning(lcKeys).noquote() << line;

    yield_();
    return static_cast<std::int16_t>(accepted);
}

// A batch that fails lets pending events run and counts as none accepted; the routine
// goes on with its next statement.
int F4Lib::send(std::span<const KeyRecord> records)
{
    int accepted = 0;
    if (!attempt([&] {
            if (!injector_)
                injector_ = makeKeyInjector();
            accepted = injector_->send(records);
        }))
        yield_();
    return accepted;
}

} // namespace tavrel
