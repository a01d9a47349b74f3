// The data server link through COM, checked against the test data server (registered
// with regsvr32 before this runs): names in any letter case, a value the system's variant
// conversion turns into a number, and the errors COM failures become. (com.sh has
// tavrel.exe poll it: a value of each field kind reaches the boards.) One line per failed
// check; the exit code is the number of failures.
#include "core/Error.h"
#include "sources/ProgIdRegistry.h"

#include <cstdio>
#include <functional>
#include <optional>
#include <tuple>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

int failures = 0;

void fail(const char *check, const QString &detail)
{
    ++failures;
    std::printf("FAILED %s: %s\n", check, qPrintable(detail));
}

std::optional<Error> errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &error) {
        return error;
    }
    return std::nullopt;
}

QString describe(const Error &error)
{
    return u"%1 \"%2\" from \"%3\""_s.arg(error.number()).arg(error.description(), error.source());
}

} // namespace

int main()
{
    const QString progId = u"OSTREL.clsflightdata"_s; // the registry ignores letter case
    std::unique_ptr<LateBound> server;
    if (const auto error = errorOf([&] { server = createObject(progId); })) {
        fail("creating the data server", describe(*error));
        return failures;
    }

    // A currency value through the system's conversion to a number, the name in another case.
    QVariant currency;
    if (const auto error = errorOf([&] { currency = server->get("oddCURRENCY"); }))
        fail("OddCurrency", describe(*error));
    else if (currency.typeId() != QMetaType::Double || currency.toDouble() != 1234.5678)
        fail("OddCurrency", u"read %1 (%2)"_s.arg(currency.toString(), QLatin1StringView(currency.typeName())));

    // What is checked, the action that fails and the error's number, description and source.
    const std::tuple<const char *, std::function<void()>, int, QString, QString> failuresExpected[] = {
        {"unknown ProgID", [] { createObject(u"Ostrel.NoSuchServer"); }, 429,
         u"ActiveX component can't create object"_s, u"Ostrel.NoSuchServer"_s},
        {"unknown member", [&] { server->get("NoSuchMember"); }, 438,
         u"Object doesn't support this property or method"_s, progId},
        {"server's exception", [&] { server->get("OddRaise"); }, 1001, u"The flight recorder is offline"_s,
         u"Ostrel.Recorder"_s},
    };
    for (const auto &[check, action, number, description, source] : failuresExpected) {
        const auto error = errorOf(action);
        if (!error || error->number() != number || error->description() != description || error->source() != source)
            fail(check, error ? describe(*error) : u"no error"_s);
    }

    std::printf(failures ? "data server check: %d failed\n" : "data server check: passed\n", failures);
    return failures;
}
