#include "input/KeyInjector.h"

#include "input/KeyJournal.h"
#include "input/XTestInjector.h"

#include <QtGlobal>

#include <cstdio>

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
    NoKeyInjector()
    {
        std::fputs("tavrel: keys are not pressed: no X display with the XTEST extension\n", stderr);
    }
    int send(std::span<const KeyRecord>) override { return 0; }
};

} // namespace
#endif

std::unique_ptr<KeyInjector> makeKeyInjector()
{
    const QString journal = qEnvironmentVariable("TAVREL_KEY_JOURNAL");
    if (!journal.isEmpty())
        return std::make_unique<KeyJournal>(journal);
#ifdef _WIN32
    return makeSendInputInjector();
#else
#ifdef TAVREL_HAVE_XTEST
    if (auto injector = openXTestInjector())
        return injector;
#endif
    return std::make_unique<NoKeyInjector>();
#endif
}

} // namespace tavrel
