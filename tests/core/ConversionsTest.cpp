// The raw <-> user conversions, case by case. Many expected values sit on an
// exact decimal boundary where only extended-precision arithmetic in the
// fixed order gives the ECU's answer (a plain double evaluation is off by one
// there); those cases carry a note.
#include "Conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace lumex;

namespace {

struct RawToUser {
    std::int64_t raw;
    double user;
};

struct UserToRaw {
    double user;
    std::int32_t raw;
};

TEST(ConversionsTest, VoltsReadTruncatesToHundredths)
{
    const RawToUser cases[] = {
        {102, 2.00}, {7, 0.14}, {0, 0.0}, {1, 0.02}, {255, 5.0}, {51, 1.0},
        // (x + 0.5) * 500 / 255 is a whole number here: the result must not
        // drop a hundredth below it.
        {25, 0.5}, {76, 1.5}, {127, 2.5}, {178, 3.5}, {229, 4.5},
    };
    for (const auto& c : cases) EXPECT_EQ(Volts(c.raw), c.user) << "raw " << c.raw;
}

TEST(ConversionsTest, VoltsWriteVariants)
{
    struct Case {
        double volts;
        std::int32_t plain, hundredths, inverted;
    };
    const Case cases[] = {
        // 2.0 * 100 * 255 * 0.002 lands just below 102 in extended precision.
        {2.0, 101, 101, 153},
        // 2.01 is a hair below itself: cut to hundredths it becomes 2.00.
        {2.01, 102, 101, 152},
        {3.5, 178, 178, 76},
        {1.0, 50, 50, 203},
        {3.0, 153, 153, 101},
        {0.14, 7, 7, 247},
        // Only the hundredths variant cuts 2.55 to 2.54 first (2.55 is a hair
        // below itself as a double).
        {2.55, 130, 129, 124},
        {5.0, 254, 254, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(VoltsToRaw(c.volts), c.plain) << c.volts;
        EXPECT_EQ(HundredthsVoltsToRaw(c.volts), c.hundredths) << c.volts;
        EXPECT_EQ(InvertedVoltsToRaw(c.volts), c.inverted) << c.volts;
    }
    // 0.06 * 100 truncates to 5 before scaling.
    EXPECT_EQ(HundredthsVoltsToRaw(0.06), 2);
}

TEST(ConversionsTest, ThresholdVoltsUseIntegerScaling)
{
    // (c * 255) div 500 rounds differently from the 0.002 product.
    const struct {
        double volts;
        bool inverted;
        std::int32_t raw;
    } cases[] = {
        {1.0, false, 51}, {4.0, false, 204}, {5.0, false, 255}, {2.01, false, 102},
        {1.0, true, 204}, {3.0, true, 102}, {5.0, true, 0}, {0.0, true, 255},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ThresholdVoltsToRaw(c.volts, c.inverted), c.raw) << c.volts << " inv " << c.inverted;
}

TEST(ConversionsTest, LiveHundredths)
{
    const struct {
        int byte, hundredths;
    } cases[] = {{0, 0}, {1, 2}, {25, 50}, {51, 100}, {102, 200}, {178, 350}, {255, 500}};
    for (const auto& c : cases) EXPECT_EQ(Hundredths(c.byte), c.hundredths) << c.byte;
}

TEST(ConversionsTest, TickTimes)
{
    EXPECT_EQ(TicksToMs(18), 360.0);
    EXPECT_EQ(TicksToWholeSeconds(149), 2.0);  // 2980 div 1000
    EXPECT_EQ(TicksToWholeSeconds(150), 3.0);
    EXPECT_EQ(TicksToWholeSeconds(65500), 1310.0);
    EXPECT_EQ(TicksToSeconds(20), 0.4);
    EXPECT_EQ(TicksToSeconds(7), 0.14);
    EXPECT_EQ(TicksToSeconds(149), 2.98);

    const UserToRaw seconds[] = {
        {0.4, 20}, {0.02, 1}, {1.0, 50}, {2.0, 100}, {1310.0, 65500},
        // 0.7 and 3.3 are a hair below themselves as doubles; in extended
        // precision the product keeps that and truncates one tick lower.
        {0.7, 34}, {3.3, 164},
    };
    for (const auto& c : seconds) EXPECT_EQ(SecondsToTicks(c.user), c.raw) << c.user;

    const UserToRaw ms[] = {{20.0, 1}, {19.99, 0}, {100.0, 5}, {360.0, 18}, {60.0, 3}};
    for (const auto& c : ms) EXPECT_EQ(MsToTicks(c.user), c.raw) << c.user;

    const UserToRaw fifths[] = {{5.0, 1}, {4.99, 0}, {15.0, 3}, {35.0, 7}};
    for (const auto& c : fifths) EXPECT_EQ(FifthToRaw(c.user), c.raw) << c.user;
    EXPECT_EQ(TimesFive(3), 15.0);
}

TEST(ConversionsTest, PeriodCodedEngineSpeed)
{
    const RawToUser reads[] = {
        {60, 2000}, {7, 17100}, {0, 0}, {255, 0}, {54, 2200}, {1, 120000}, {254, 400},
    };
    for (const auto& c : reads) EXPECT_EQ(PeriodToRpm(c.raw), c.user) << c.raw;

    const UserToRaw writes[] = {
        {499.0, 255}, {499.99, 255}, {500.0, 240}, {500.9, 240}, {2000.0, 60},
        {3000.0, 40}, {2200.0, 54}, {-10.0, 255},
    };
    for (const auto& c : writes) EXPECT_EQ(RpmToPeriod(c.user), c.raw) << c.user;
    EXPECT_EQ(RpmToPeriod(std::nan("")), 255);
}

TEST(ConversionsTest, CelsiusFromRaw)
{
    EXPECT_EQ(Celsius(156), 14.94207419007069);
    EXPECT_NEAR(Celsius(51), 59.93, 0.005);
    EXPECT_NEAR(Celsius(128), 24.84, 0.005);
    EXPECT_NEAR(Celsius(0), 226.4, 0.05);
    EXPECT_EQ(Celsius(255), -1000.0);
    // Just inside the table, and the two readings colder than its first entry.
    EXPECT_GT(Celsius(252), -55.0);
    EXPECT_LT(Celsius(252), -50.0);
    EXPECT_LE(Celsius(253), -55.0);
    EXPECT_LE(Celsius(254), Celsius(253));
    EXPECT_TRUE(std::isfinite(Celsius(254)));
}

TEST(ConversionsTest, CelsiusDecreasesWithTheReading)
{
    for (int raw = 1; raw <= 254; ++raw)
        EXPECT_LT(Celsius(raw), Celsius(raw - 1)) << "raw " << raw;
}

TEST(ConversionsTest, TemperatureCode)
{
    const UserToRaw cases[] = {
        {15.0, 156}, {60.0, 51}, {25.0, 128}, {0.0, 195}, {100.0, 16}, {17.5, 149},
        {-55.0, 252}, {180.0, 2},
        // Outside the curve the temperature is clamped to its ends.
        {-100.0, 252}, {1000.0, 2},
    };
    for (const auto& c : cases) EXPECT_EQ(TemperatureCode(c.user), c.raw) << c.user;
}

TEST(ConversionsTest, TemperatureRoundTripsEveryReadingInsideTheCurve)
{
    for (int raw = 3; raw <= 252; ++raw) EXPECT_EQ(TemperatureCode(Celsius(raw)), raw);
}

TEST(ConversionsTest, CodeLists)
{
    EXPECT_EQ(CodePosition(kIgnitionCodes, 50), 6);
    EXPECT_EQ(CodePosition(kIgnitionCodes, 0), -1);
    EXPECT_EQ(CodePosition(kLevelSensorCodes, 195), 7);
    EXPECT_EQ(CodeAtPosition(kTpsCodes, 4.9), 2);
    EXPECT_EQ(CodeAtPosition(kChangeoverCodes, 3.0), 4);
    EXPECT_EQ(CodeAtPosition(kChangeoverCodes, 4.0), std::nullopt);
    EXPECT_EQ(CodeAtPosition(kLambdaCodes, -1.0), std::nullopt);
}

TEST(ConversionsTest, TruncationSaturatesInsteadOfOverflowing)
{
    EXPECT_EQ(TruncToWord(-2.9L), -2);
    EXPECT_EQ(TruncToWord(1e30L), std::numeric_limits<std::int32_t>::max());
    EXPECT_EQ(TruncToWord(-1e30L), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncToWord(std::numeric_limits<long double>::quiet_NaN()), 0);
}

}  // namespace
