#pragma once
// Conversions between the ECU's raw parameter words and the values the user
// sees (volts, milliseconds, seconds, engine speed, degrees Celsius, list
// positions). Pure functions of their arguments and constant tables: safe
// from any thread. ConfCar applies them per parameter; the live display and
// the editors call them directly.
//
// The results must match the ECU's own arithmetic at exact decimal
// boundaries, so every conversion is evaluated in extended precision
// (long double, 64-bit mantissa) in a fixed order, and the temperature curve
// in single precision where the sensor table is.

#include <array>
#include <cstdint>
#include <limits>
#include <optional>
#include <span>

namespace lumex {

static_assert(std::numeric_limits<long double>::digits == 64,
              "Lumex needs an 80-bit long double (64-bit mantissa): the raw/user "
              "conversions round differently at decimal boundaries otherwise. "
              "Build with GCC or Clang on x86 (or MinGW-w64), not MSVC.");

// --- Code lists: position in the editor's choice list -> ECU code ---------
inline constexpr std::array<std::int32_t, 7> kIgnitionCodes{51, 36, 37, 22, 24, 97, 50};
inline constexpr std::array<std::int32_t, 6> kTpsCodes{0, 1, 4, 5, 2, 8};
inline constexpr std::array<std::int32_t, 6> kLambdaCodes{0, 6, 10, 7, 11, 16};
inline constexpr std::array<std::int32_t, 4> kChangeoverCodes{0, 1, 2, 4};
inline constexpr std::array<std::int32_t, 8> kLevelSensorCodes{129, 2, 4, 131, 193, 66, 68, 195};

// Position of the first entry equal to code, -1 when the list lacks it.
int CodePosition(std::span<const std::int32_t> list, std::int32_t code);
// The code at trunc(position); nullopt for a position outside the list.
std::optional<std::int32_t> CodeAtPosition(std::span<const std::int32_t> list, double position);

// --- Truncation -----------------------------------------------------------
// trunc toward zero into a 32-bit word; saturates outside the word's range
// and gives 0 for NaN, so absurd user input never becomes undefined behaviour.
std::int32_t TruncToWord(long double value);

// --- Volts on a 0..5 V scale of 255 steps ----------------------------------
// volts(x) = trunc((x + 0.5) * 500 * (1/255)) * 0.01
double Volts(std::int64_t raw);
// trunc(v * 100 * 255 * 0.002)
std::int32_t VoltsToRaw(double volts);
// trunc(trunc(v * 100) * 255 * 0.002): the user value cut to hundredths first.
std::int32_t HundredthsVoltsToRaw(double volts);
// trunc((5 - v) * 100 * 255 * 0.002): a sensor that reads 5 V at rest.
std::int32_t InvertedVoltsToRaw(double volts);
// The TPS thresholds' own rounding: c = trunc(v * 100) (or trunc((5 - v) * 100)
// when inverted), raw = (c * 255) div 500.
std::int32_t ThresholdVoltsToRaw(double volts, bool inverted);
// A live-data voltage byte in hundredths of a volt: trunc((b + 0.5) * 500 / 255).
int Hundredths(int byte);

// --- Times counted in 20 ms ticks ------------------------------------------
double TicksToMs(std::int64_t ticks);            // w * 20
std::int32_t MsToTicks(double ms);               // trunc(0.05 * v)
double TicksToWholeSeconds(std::int64_t ticks);  // (w * 20) div 1000
double TicksToSeconds(std::int64_t ticks);       // w * 20 * 0.001
std::int32_t SecondsToTicks(double seconds);     // trunc(v * 1000 * 0.05)

// --- Multiples of five -----------------------------------------------------
double TimesFive(std::int64_t raw);              // w * 5
std::int32_t FifthToRaw(double value);           // trunc(0.2 * v)

// --- Engine speed coded as an ignition period ------------------------------
// 0 for the codes 0 and 255 (off), else ((120000 div w) div 100) * 100.
double PeriodToRpm(std::int64_t period);
// 255 below 500 rpm, else 120000 div trunc(v).
std::int32_t RpmToPeriod(double rpm);

// --- Coolant temperature ----------------------------------------------------
inline constexpr int kTemperatureSteps = 48;     // -55 .. 180 degC every 5 degC
inline constexpr double kNoSensorCelsius = -1000.0;
// Sensor resistance relative to its 25 degC value, entry k at -55 + 5k degC.
inline constexpr std::array<float, kTemperatureSteps> kTemperatureRatios{
    97.578f, 67.65f, 47.538f, 33.831f, 24.359f, 17.753f,
    13.067f, 9.7228f, 7.3006f, 5.5361f, 4.2332f, 3.266f,
    2.5392f, 1.9902f, 1.5709f, 1.2492f, 1.0f, 0.805f,
    0.65326f, 0.5329f, 0.4371f, 0.36f, 0.299f, 0.2493f,
    0.2088f, 0.1757f, 0.148f, 0.1262f, 0.1076f, 0.09215f,
    0.07922f, 0.0683f, 0.05924f, 0.05153f, 0.04492f, 0.0392f,
    0.0343f, 0.03018f, 0.02665f, 0.023594f, 0.0209f, 0.0186f,
    0.0166f, 0.01486f, 0.01332f, 0.01198f, 0.01079f, 0.00974f,
};
// The temperature a raw divider reading stands for; -1000 for 255 (no
// sensor). Readings colder than the table (253, 254) extend its first
// interval and so read below -55; readings 0..2 extend its last one.
double Celsius(std::int64_t raw);
// The raw reading of a temperature; values outside -55..180 are clamped.
std::int32_t TemperatureCode(double celsius);

}  // namespace lumex
