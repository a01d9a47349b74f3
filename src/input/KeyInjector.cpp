#include "input/KeyInjector.h"

#include "input/KeyJournal.h"
#include "input/XTestInjector.h"

#include "core/Log.h"

#include <QtGlobal>

namespace tavrel {

#ifdef _WIN32
std::unique_ptr<KeyInjector> makeSendInputInjector(); // SendInputInjector.cpp
#endif

#ifndef _WIN32
namespace {

// Where nothing can take key events: every batch is refused.
class NoKeyInjector final : public KeyInjector
{
public:
    NoKeyInjector() { qCWarning(lcKeys) << "keys are not pressed: no X display with the XTEST extension"; }
    int send(std::span<const KeyRecord>) override { return 0; }
};

} // namespace
#endif

std::unique_ptr<KeyInjector> makeKeyInjector()
{
    const QString journal = qEnvironmentVariable("TAVREL_KEY_JOURNAL");
    if (!journal.isEmpty()) {
        qCInfo(lcKeys).noquote() << QStringLiteral("keys go to the journal %1 (TAVREL_KEY_JOURNAL)").arg(journal);
        return std::make_unique<KeyJournal>(journal);
    }
#ifdef _WIN32
    qCInfo(lcKeys) << "keys go to the desktop through SendInput";
    return makeSendInputInjector();
#else
#ifdef TAVREL_HAVE_XTEST
    if (auto injector = openXTestInjector()) {
        qCInfo(lcKeys) << "keys go to the X display through XTEST";
        return injector;
    }
#endif
    return std::make_unique<NoKeyInjector>();
#endif
}

} // namespace tavrel
