#include "sources/SimulatedFlightServer.h"

#include "core/Error.h"

#include <cstddef>
#include <iterator>

namespace tavrel {

namespace {

// The text fields in the order of texts_.
constexpr std::size_t kTextOffsets[] = {
    offsetof(FlightData, DEDLines),
    offsetof(FlightData, Invert),
    offsetof(FlightData, PFLLines),
    offsetof(FlightData, PFLInvert),
};

const QChar *textAt(const FlightData &data, std::size_t offset)
{
    return reinterpret_cast<const QChar *>(reinterpret_cast<const char *>(&data) + offset);
}

[[noreturn]] void memberNotFound()
{
    throw Error::standard(Error::MemberNotFound);
}

// Members of the record that the server does not offer.
bool offeredByServer(const FieldInfo &field)
{
    return field.kind != FieldKind::Reserved && field.name != "AdiIlsPos2";
}

} // namespace

SimulatedFlightServer::SimulatedFlightServer(Clock clock) : clock_(std::move(clock))
{
    started_.start();
    const QString path = qEnvironmentVariable("TAVREL_DATA_SERVER_JOURNAL");
    if (!path.isEmpty()) {
        auto file = std::make_unique<QFile>(path);
        if (file->open(QIODevice::WriteOnly | QIODevice::Append))
            journal_ = std::move(file);
    }
    syncTexts(); // the zero record: texts of 130 NULs until the first FillFlightData
}

SimulatedFlightServer::~SimulatedFlightServer() = default;

double SimulatedFlightServer::now() const
{
    return clock_ ? clock_() : static_cast<double>(started_.nsecsElapsed()) / 1e9;
}

void SimulatedFlightServer::refuseWhenClosed() const
{
    if (closed_)
        throw Error::standard(Error::ObjectNotSet);
}

// Keeps texts_ in step with the snapshot. A text is copied only when it changed, and then
// into its own buffer unless a caller still shares it, so a steady page costs nothing.
void SimulatedFlightServer::syncTexts()
{
    static_assert(std::tuple_size_v<decltype(texts_)> == std::size(kTextOffsets));
    for (std::size_t i = 0; i < texts_.size(); ++i) {
        const QStringView text(textAt(snapshot_, kTextOffsets[i]), kTextFieldLength);
        if (texts_[i] != text)
            texts_[i].setUnicode(text.data(), text.size());
    }
}

QVariant SimulatedFlightServer::call(std::string_view name)
{
    if (name == "FillFlightData") {
        refuseWhenClosed();
        flight_.sample(now(), snapshot_);
        syncTexts();
        journal(QLatin1String("FillFlightData"));
        return {};
    }
    if (name == "Close") {
        closed_ = true;
        journal(QLatin1String("Close"));
        return {};
    }
    refuseWhenClosed();
    memberNotFound();
}

QVariant SimulatedFlightServer::get(std::string_view name)
{
    refuseWhenClosed();
    if (name == "Ostrely") {
        const bool running = now() >= kStartSeconds;
        journal(running ? QLatin1String("Ostrely\t1") : QLatin1String("Ostrely\t0"));
        return QVariant(running);
    }
    // A caller that reads the fields in the record's order (the cycle's fill does) finds
    // the next one at once; any other name is looked up.
    const FieldInfo *field = nullptr;
    if (nextField_ < kFlightDataFields.size() && kFlightDataFields[nextField_].name == name)
        field = &kFlightDataFields[nextField_];
    else
        field = findFlightDataField(name);
    if (field)
        nextField_ = std::size_t(field - kFlightDataFields.data()) + 1;
    if (!field || !offeredByServer(*field))
        memberNotFound();
    switch (field->kind) {
    case FieldKind::Float:
        return QVariant(static_cast<double>(floatField(snapshot_, *field)));
    case FieldKind::Int:
        return QVariant(static_cast<int>(intField(snapshot_, *field)));
    case FieldKind::Text:
        for (std::size_t i = 0; i < texts_.size(); ++i)
            if (kTextOffsets[i] == field->offset)
                return QVariant(texts_[i]);
        break;
    case FieldKind::Reserved:
        break;
    }
    memberNotFound();
}

void SimulatedFlightServer::journal(QLatin1String line)
{
    if (!journal_)
        return;
    journal_->write(line.data(), line.size());
    journal_->write("\n", 1);
    journal_->flush();
}

} // namespace tavrel
