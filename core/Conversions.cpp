#include "Conversions.h"

#include <cmath>

namespace lumex {
namespace {

using Ext = long double;

// Each decimal constant is rounded once, to extended precision, exactly as
// the ECU's arithmetic does; writing 0.002 (a double) instead would round it
// twice and move results that land on whole numbers.
constexpr Ext kTwentieth = 0.05L;
constexpr Ext kFifth = 0.2L;
constexpr Ext kVoltsFactor = 0.002L;
constexpr Ext kThousandth = 0.001L;
constexpr Ext kHundredth = 0.01L;
constexpr Ext kOver255 = 1.0L / 255;

constexpr Ext kDividerOhms = 4700;
constexpr int kNoSensorRaw = 255;

}  // namespace

int CodePosition(std::span<const std::int32_t> list, std::int32_t code)
{
    for (std::size_t i = 0; i < list.size(); ++i)
        if (list[i] == code) return static_cast<int>(i);
    return -1;
}

std::optional<std::int32_t> CodeAtPosition(std::span<const std::int32_t> list, double position)
{
    const std::int32_t index = TruncToWord(position);
    if (index < 0 || static_cast<std::size_t>(index) >= list.size()) return std::nullopt;
    return list[static_cast<std::size_t>(index)];
}

std::int32_t TruncToWord(long double value)
{
    if (std::isnan(value)) return 0;
    const Ext truncated = std::trunc(value);
    if (truncated >= static_cast<Ext>(std::numeric_limits<std::int32_t>::max()))
        return std::numeric_limits<std::int32_t>::max();
    if (truncated <= static_cast<Ext>(std::numeric_limits<std::int32_t>::min()))
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(truncated);
}

double Volts(std::int64_t raw)
{
    const Ext steps = std::trunc((static_cast<Ext>(raw) + 0.5L) * 500 * kOver255);
    return static_cast<double>(steps * kHundredth);
}

std::int32_t VoltsToRaw(double volts)
{
    return TruncToWord(static_cast<Ext>(volts) * 100 * 255 * kVoltsFactor);
}

std::int32_t HundredthsVoltsToRaw(double volts)
{
    const Ext hundredths = std::trunc(static_cast<Ext>(volts) * 100);
    return TruncToWord(hundredths * 255 * kVoltsFactor);
}

std::int32_t InvertedVoltsToRaw(double volts)
{
    return TruncToWord((5 - static_cast<Ext>(volts)) * 100 * 255 * kVoltsFactor);
}

std::int32_t ThresholdVoltsToRaw(double volts, bool inverted)
{
    const Ext user = inverted ? 5 - static_cast<Ext>(volts) : static_cast<Ext>(volts);
    const std::int64_t hundredths = TruncToWord(user * 100);
    return static_cast<std::int32_t>(hundredths * 255 / 500);
}

int Hundredths(int byte)
{
    return static_cast<int>(std::trunc((static_cast<Ext>(byte) + 0.5L) * 500 / 255));
}

double TicksToMs(std::int64_t ticks)
{
    return static_cast<double>(ticks * 20);
}

std::int32_t MsToTicks(double ms)
{
    return TruncToWord(kTwentieth * static_cast<Ext>(ms));
}

double TicksToWholeSeconds(std::int64_t ticks)
{
    return static_cast<double>(ticks * 20 / 1000);
}

double TicksToSeconds(std::int64_t ticks)
{
    return static_cast<double>(static_cast<Ext>(ticks) * 20 * kThousandth);
}

std::int32_t SecondsToTicks(double seconds)
{
    return TruncToWord(static_cast<Ext>(seconds) * 1000 * kTwentieth);
}

double TimesFive(std::int64_t raw)
{
    return static_cast<double>(raw * 5);
}

std::int32_t FifthToRaw(double value)
{
    return TruncToWord(kFifth * static_cast<Ext>(value));
}

double PeriodToRpm(std::int64_t period)
{
    if (period == 0 || period == 255) return 0;
    return static_cast<double>(120000 / period / 100 * 100);
}

std::int32_t RpmToPeriod(double rpm)
{
    // Written so that NaN also lands on "off" instead of dividing by zero.
    if (!(rpm >= 500)) return 255;
    return 120000 / TruncToWord(rpm);
}

double Celsius(std::int64_t raw)
{
    if (raw == kNoSensorRaw) return kNoSensorCelsius;
    const auto ratio = static_cast<float>(static_cast<Ext>(raw) * kDividerOhms /
                                          (static_cast<Ext>(kNoSensorRaw - raw) * kDividerOhms));
    int k = kTemperatureSteps - 1;
    for (int i = 0; i < kTemperatureSteps; ++i) {
        if (ratio >= kTemperatureRatios[static_cast<std::size_t>(i)]) {
            k = i;
            break;
        }
    }
    // Colder than the table's first entry: continue its first interval
    // downwards, so the result stays defined and below -55.
    const int upper = k == 0 ? 0 : k - 1;
    const int lower = k == 0 ? 1 : k;
    const Ext atK = kTemperatureRatios[static_cast<std::size_t>(k)];
    const Ext span = static_cast<Ext>(kTemperatureRatios[static_cast<std::size_t>(upper)]) -
                     kTemperatureRatios[static_cast<std::size_t>(lower)];
    return static_cast<double>(-55 + 5 * (k - (static_cast<Ext>(ratio) - atK) / span));
}

std::int32_t TemperatureCode(double celsius)
{
    Ext clamped = celsius;
    if (!(clamped >= -55)) clamped = -55;
    if (clamped > 180) clamped = 180;
    const auto shifted = static_cast<float>(clamped + 55);
    const auto position = static_cast<float>(static_cast<Ext>(shifted) / 5);
    int k = static_cast<int>(std::trunc(position));
    // 180 degC sits on the table's last entry: interpolate in the last interval.
    if (k > kTemperatureSteps - 2) k = kTemperatureSteps - 2;
    const Ext atK = kTemperatureRatios[static_cast<std::size_t>(k)];
    const Ext next = kTemperatureRatios[static_cast<std::size_t>(k + 1)];
    const auto ratio = static_cast<float>(atK + (static_cast<Ext>(position) - k) * (next - atK));
    const Ext scaled = kDividerOhms * static_cast<Ext>(ratio);
    return TruncToWord(scaled * 255 / (scaled + kDividerOhms) + 0.5L);
}

}  // namespace lumex
