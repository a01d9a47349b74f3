#include "core/Convert.h"

#include <QString>

#include <benchmark/benchmark.h>

#include <array>
#include <cstddef>
#include <string_view>

using namespace tavrel::convert;

namespace {

// A number field as relay peers send it: right-aligned, padded with blanks.
constexpr std::string_view kRelayField = "  1234.5678";

void BM_LeadingNumberRelayField(benchmark::State &state)
{
    const QString field = QString::fromLatin1(kRelayField.data(), qsizetype(kRelayField.size()));
    for (auto _ : state)
        benchmark::DoNotOptimize(leadingNumber(QStringView(field)));
}
BENCHMARK(BM_LeadingNumberRelayField);

void BM_LeadingNumberRelayField8Bit(benchmark::State &state)
{
    std::string_view field = kRelayField;
    for (auto _ : state) {
        benchmark::DoNotOptimize(field);
        benchmark::DoNotOptimize(leadingNumber(field));
    }
}
BENCHMARK(BM_LeadingNumberRelayField8Bit);

// Instrument values cycled through so the work cannot be folded away.
constexpr std::array<double, 8> kValues = {0.0, 1.5, -2.5, 1234.5678, 32767.5, -0.49, 29.92, 350.25};

void BM_ToInt32(benchmark::State &state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(toInt32(kValues[i]));
        i = (i + 1) % kValues.size();
    }
}
BENCHMARK(BM_ToInt32);

void BM_ShortestFloat(benchmark::State &state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(shortest(static_cast<float>(kValues[i])));
        i = (i + 1) % kValues.size();
    }
}
BENCHMARK(BM_ShortestFloat);

void BM_FormatWhole(benchmark::State &state)
{
    std::size_t i = 0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatWhole(kValues[i]));
        i = (i + 1) % kValues.size();
    }
}
BENCHMARK(BM_FormatWhole);

} // namespace
