// The data server link through COM, checked against the test data server (registered
// with regsvr32 before this runs): the polled values, names in any letter case, the
// conversion of odd values, and the errors COM failures become. One line per failed
// check; the exit code is the number of failures.
#include "TestDataServer.h"
#include "core/Error.h"
#include "sources/DataServerFill.h"
#include "sources/ProgIdRegistry.h"
#include "sources/SimulatedFlight.h"

#include <windows.h>

#include <cstdio>
#include <cstring>
#include <functional>
#include <optional>

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

const char *firstDifference(const FlightData &a, const FlightData &b)
{
    for (const FieldInfo &field : kFlightDataFields)
        if (std::memcmp(reinterpret_cast<const char *>(&a) + field.offset,
                        reinterpret_cast<const char *>(&b) + field.offset, fieldSize(field.kind)))
            return field.name.data();
    return nullptr;
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

    // Each poll reads the flight one step on, every field through its own name.
    const SimulatedFlight flight;
    FlightData polled{}, expected{};
    for (int fill = 1; fill <= 2; ++fill) {
        fillFromDataServer(*server, polled);
        flight.sample(fill * test::kSecondsPerFill, expected);
        if (const char *field = firstDifference(polled, expected))
            fail("poll", u"%1 differs from the server's flight at fill %2"_s.arg(QLatin1StringView(field)).arg(fill));
    }

    struct Read
    {
        const char *member;
        QVariant expected;
    };
    const Read reads[] = {
        {"ostrely", QVariant(true)},
        {"kias", QVariant(static_cast<double>(polled.KIAS))},
        {"OddTextNumber", QVariant(u"12.5"_s)},
        {"OddCurrency", QVariant(1234.5678)},
        {"OddDate", QVariant(36526.5)},
        {"OddEmpty", QVariant()},
    };
    for (const Read &read : reads) {
        QVariant value;
        if (const auto error = errorOf([&] { value = server->get(read.member); }))
            fail(read.member, describe(*error));
        else if (value.typeId() != read.expected.typeId() || value != read.expected)
            fail(read.member, u"read %1 (%2)"_s.arg(value.toString(), QLatin1StringView(value.typeName())));
    }

    // An empty expected description stands for the system's own text of the failure.
    const QString notSupported = u"Object doesn't support this property or method"_s;
    struct Failure
    {
        const char *check;
        std::function<void()> action;
        int number;
        QString description;
        QString source;
    };
    const Failure failuresExpected[] = {
        {"unknown ProgID", [] { createObject(u"Ostrel.NoSuchServer"); }, 429,
         u"ActiveX component can't create object"_s, u"Ostrel.NoSuchServer"_s},
        {"unknown member", [&] { server->get("NoSuchMember"); }, 438, notSupported, progId},
        {"property called as a method", [&] { server->call("KIAS"); }, 438, notSupported, progId},
        {"server's exception", [&] { server->get("OddRaise"); }, 1001, u"The flight recorder is offline"_s,
         u"Ostrel.Recorder"_s},
        {"type mismatch", [&] { server->get("OddMismatch"); }, 13, u"Type mismatch"_s, progId},
        {"overflow", [&] { server->get("OddOverflow"); }, 6, u"Overflow"_s, progId},
        {"Null", [&] { server->get("OddNull"); }, 94, u"Invalid use of Null"_s, progId},
        {"other failure", [&] { server->get("OddDenied"); }, static_cast<int>(E_ACCESSDENIED), QString(), progId},
    };
    for (const Failure &expectedFailure : failuresExpected) {
        const auto error = errorOf(expectedFailure.action);
        const bool described = expectedFailure.description.isEmpty()
            ? error && !error->description().isEmpty() && error->description() != u"Automation error"_s
            : error && error->description() == expectedFailure.description;
        if (!error || error->number() != expectedFailure.number || !described
            || error->source() != expectedFailure.source)
            fail(expectedFailure.check, error ? describe(*error) : u"no error"_s);
    }

    std::printf(failures ? "data server check: %d failed\n" : "data server check: passed\n", failures);
    return failures;
}
