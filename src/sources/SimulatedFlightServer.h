#pragma once

#include "sources/LateBound.h"
#include "sources/SimulatedFlight.h"

#include <QElapsedTimer>
#include <QFile>
#include <QLatin1String>
#include <QString>

#include <array>
#include <functional>
#include <memory>

namespace tavrel {

// The built-in stand-in for the "Ostrel.clsFlightData" data server on platforms without
// COM. It offers the same members by name: FillFlightData takes a snapshot of the
// simulated flight, one property per FlightData field returns it, Ostrely turns true a
// short while after creation, Close lets go.
//
// When the environment variable TAVREL_DATA_SERVER_JOURNAL names a file, every method
// call and every Ostrely read is appended to it as one line ("FillFlightData",
// "Ostrely<TAB>1", "Close"), flushed at once; it belongs to this stand-in alone. Only
// what the server carries out is journalled; a refused member raises instead.
//
// After Close the object is let go: every member but Close raises Error 91 ("Object
// variable or With block variable not set"), as using a released object does.
class SimulatedFlightServer final : public LateBound
{
public:
    using Clock = std::function<double()>; // seconds since the server was created

    static constexpr double kStartSeconds = 2.0; // "simulator starting" before Ostrely

    explicit SimulatedFlightServer(Clock clock = {});
    ~SimulatedFlightServer() override;

    QVariant get(std::string_view name) override;
    QVariant call(std::string_view name) override;

private:
    double now() const;
    void refuseWhenClosed() const;
    void syncTexts();
    void journal(QLatin1String line);

    Clock clock_;
    QElapsedTimer started_; // the clock when none is given
    SimulatedFlight flight_;
    FlightData snapshot_{};
    std::array<QString, 4> texts_; // the four text fields as shared strings
    std::size_t nextField_ = 0;    // the field after the one read last
    bool closed_ = false;
    std::unique_ptr<QFile> journal_;
};

} // namespace tavrel
