// The data server link through COM, against the test data server (registered with
// regsvr32 before this runs): names in any letter case, a value the system's variant
// conversion turns into a number, and the errors COM failures become. (com.sh then has
// tavrel.exe poll it: a value of each field kind reaches the boards.)
#include "core/Error.h"
#include "sources/ProgIdRegistry.h"
#include "support/QtPrinters.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace tavrel;
using namespace Qt::StringLiterals;

namespace {

// The ProgID in another letter case than the registration's: the registry ignores it.
const QString kProgId = u"OSTREL.clsflightdata"_s;

// The error the action raised, as "number description (source)"; empty for none.
QString errorOf(const std::function<void()> &action)
{
    try {
        action();
    } catch (const Error &e) {
        return u"%1 %2 (%3)"_s.arg(e.number()).arg(e.description(), e.source());
    }
    return {};
}

class ComDataServer : public ::testing::Test
{
protected:
    void SetUp() override
    {
        ASSERT_EQ(errorOf([&] { server = createObject(kProgId); }), QString());
    }
    std::unique_ptr<LateBound> server;
};

} // namespace

TEST_F(ComDataServer, ACurrencyValueComesThroughTheSystemsConversion)
{
    const QVariant currency = server->get("oddCURRENCY"); // the member's name in another case too
    EXPECT_EQ(currency.typeId(), QMetaType::Double);
    EXPECT_EQ(currency.toDouble(), 1234.5678);
}

TEST_F(ComDataServer, FailuresBecomeTheProgramsErrors)
{
    EXPECT_EQ(errorOf([] { createObject(u"Ostrel.NoSuchServer"); }),
              u"429 ActiveX component can't create object (Ostrel.NoSuchServer)"_s);
    EXPECT_EQ(errorOf([&] { server->get("NoSuchMember"); }),
              u"438 Object doesn't support this property or method (%1)"_s.arg(kProgId));
    EXPECT_EQ(errorOf([&] { server->get("OddRaise"); }), u"1001 The flight recorder is offline (Ostrel.Recorder)"_s);
}
