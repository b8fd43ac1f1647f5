// Tables of the live display's arithmetic at the values where it can go wrong:
// the stopped-engine bytes, the reversed lambda probe, clamping, exact pixel
// boundaries and the limit cases of the actuator range bars.
#include "LiveMath.h"

#include <gtest/gtest.h>

namespace lumex::live {
namespace {

TEST(LiveMath, EngineSpeedFromPeriodByte)
{
    struct Case { int byte; int rpm; };
    const Case cases[] = {
        {60, 2000}, {20, 6000}, {0, 0}, {255, 0},
        {7, 17100},    // 120000 div 7 = 17142, cut to whole hundreds
        {1, 120000}, {254, 400},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RpmFromPeriod(static_cast<std::uint8_t>(c.byte)), c.rpm) << "byte " << c.byte;
}

TEST(LiveMath, LambdaScaleByProbeType)
{
    struct Case { int position; int offset; LambdaScale scale; };
    const Case cases[] = {
        {0, 40, {0, 100}}, {1, 40, {0, 500}}, {2, 40, {0, 500}},
        {3, 40, {500, 0}}, {4, 40, {500, 0}}, {5, 40, {40, 120}},
        {-1, 40, {0, 100}}, {6, 40, {0, 100}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LambdaScaleFor(c.position, c.offset), c.scale) << "position " << c.position;
}

TEST(LiveMath, LambdaSegment)
{
    const LambdaScale zeroToOne{0, 100};
    const LambdaScale zeroToFive{0, 500};
    const LambdaScale fiveToZero{500, 0};
    const LambdaScale narrowBand{40, 120};   // 0.8 - 1.6 V probe, offset 0.40 V
    struct Case { LambdaScale scale; int lambda; int segment; };
    const Case cases[] = {
        {zeroToOne, 0, 0}, {zeroToOne, 9, 0}, {zeroToOne, 10, 1},
        {zeroToOne, 99, 9}, {zeroToOne, 100, 9}, {zeroToOne, 450, 9},
        {zeroToFive, 250, 5}, {zeroToFive, 499, 9},
        {fiveToZero, 0, 9}, {fiveToZero, 49, 9}, {fiveToZero, 50, 8},
        {fiveToZero, 250, 4}, {fiveToZero, 500, 0},
        {narrowBand, 30, 0},    // below the scale
        {narrowBand, 40, 0}, {narrowBand, 48, 1}, {narrowBand, 119, 9},
        {narrowBand, 130, 9},   // (130 - 40) div 8 = 11, clamped
    };
    for (const auto& c : cases)
        EXPECT_EQ(LambdaSegment(c.lambda, c.scale), c.segment)
            << "scale " << c.scale.minimum << ".." << c.scale.maximum << " lambda " << c.lambda;
}

TEST(LiveMath, LambdaSegmentOnADegenerateScaleDoesNotDivideByZero)
{
    EXPECT_EQ(LambdaSegment(300, LambdaScale{40, 45}), 0);
    EXPECT_EQ(LambdaSegment(300, LambdaScale{45, 40}), 0);
}

TEST(LiveMath, ZoneNeverPassesTheLastSegment)
{
    EXPECT_EQ(ClampZone(0), 0);
    EXPECT_EQ(ClampZone(3), 3);
    EXPECT_EQ(ClampZone(7), 3);
    EXPECT_EQ(ClampZone(-2), 0);
}

TEST(LiveMath, MinimumTpsCorrection)
{
    struct Case { int raw; int hysteresis; bool fixedIdle; bool inverted; int expected; };
    const Case cases[] = {
        {51, 20, false, false, 100},
        {51, 20, true, false, 120},
        {51, 20, true, true, 380},
        {51, 20, false, true, 400},
        {250, 20, true, false, 491},   // 491 + 20 leaves the 5 V scale: not added
        {244, 21, true, false, 479},   // 479 + 21 = 500 exactly: not added
        {244, 20, true, false, 499},
        {250, 20, true, true, 9},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CorrectedMinTps(static_cast<std::uint8_t>(c.raw), c.hysteresis, c.fixedIdle,
                                  c.inverted),
                  c.expected)
            << "raw " << c.raw << " hysteresis " << c.hysteresis;
}

TEST(LiveMath, TemperatureDisplayValue)
{
    struct Case { int raw; double celsius; int shown; };
    const Case cases[] = {
        {0, 226.4, kNoTemperature},       // no reading yet
        {255, -1000.0, kNoTemperature},   // no sensor
        {128, 24.84, 24},
        {51, 59.93, 59},
        {230, -12.7, -12},                // toward zero, not down
        {254, -55.0, -55},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LiveTemperature(static_cast<std::uint8_t>(c.raw), c.celsius), c.shown)
            << "raw " << c.raw;
}

TEST(LiveMath, NeedleAngleAndEndPoint)
{
    const Point centre{200, 200};
    const int radius = 100;   // needle 60 pixels long
    struct Case { int rpm; double angle; Point end; };
    const Case cases[] = {
        {0, 225.0, {158, 242}},     // bottom left
        {2000, 135.0, {158, 158}},  // upper left
        {3000, 90.0, {200, 140}},   // straight up
        {6000, -45.0, {242, 242}},  // bottom right
        {7000, -90.0, {200, 260}},  // past the scale it keeps turning
    };
    EXPECT_EQ(NeedleLength(radius), 60);
    for (const auto& c : cases) {
        EXPECT_DOUBLE_EQ(NeedleAngleDegrees(c.rpm), c.angle) << c.rpm << " rpm";
        EXPECT_EQ(NeedleEnd(centre, radius, c.rpm), c.end) << c.rpm << " rpm";
    }
}

TEST(LiveMath, DialGeometryFromTheBevel)
{
    const DialGeometry g = DialFor(10, 20, 300, 349, 8);
    EXPECT_EQ(g.radius, 99);            // 349 / 3.5 = 99.7
    EXPECT_EQ(g.centre, (Point{160, 194}));
    EXPECT_EQ(g.k, 70);                 // 99 / 1.414 = 70.01
    const std::array<Point, 7> labels{{{75, 269}, {46, 186}, {70, 109}, {155, 75},
                                       {240, 109}, {269, 186}, {235, 269}}};
    EXPECT_EQ(g.labels, labels);
    EXPECT_EQ(g.contaGiriTop, 263);
    EXPECT_EQ(g.giriTop, 313);
    EXPECT_EQ(InnerRadius(g.radius), 95);
    EXPECT_EQ(InnerDiagonal(g.radius), 67);   // 95 / 1.414 = 67.2
}

TEST(LiveMath, ActuatorScaleFollowsTheScreenWidth)
{
    struct Case { int width; int usable; int offset; };
    const Case cases[] = {
        {800, 169, 54},
        {1024, 160, 55},   // 200 - 39.68, 50 + trunc(5.12)
        {640, 175, 53},    // 200 - 24.8, 50 + trunc(3.2)
    };
    for (const auto& c : cases) {
        const ActuatorScale s = ActuatorScaleFor(c.width, 200, 50);
        EXPECT_EQ(s.usableHeight, c.usable) << "screen " << c.width;
        EXPECT_EQ(s.offset, c.offset) << "screen " << c.width;
    }
}

TEST(LiveMath, DefaultMarkerTop)
{
    const ActuatorScale scale{169, 54};
    EXPECT_EQ(DefaultMarkerTop(0, scale), 223);
    EXPECT_EQ(DefaultMarkerTop(255, scale), 54);
    EXPECT_EQ(DefaultMarkerTop(128, scale), 138);   // 127/255 * 169 = 84.17
}

class RangeBars : public ::testing::Test {
protected:
    ActuatorLimits limits{.lower = 20, .upper = 200, .idleOpenMax = 30, .idleCloseMax = 40,
                          .offIdleOpenMax = 50, .offIdleCloseMax = 60, .offIdleOpen = 25};
};

TEST_F(RangeBars, IdleRangeStopsAtTheLimits)
{
    struct Case { int defaultPosition; StepRange range; };
    const Case cases[] = {
        {100, {30, 40}},
        {170, {30, 40}},    // 170 + 30 reaches the upper limit exactly: kept
        {180, {20, 40}},    // cut to the upper limit
        {60, {30, 40}},     // 60 - 40 reaches the lower limit exactly: kept
        {50, {30, 30}},     // cut to the lower limit
        {10, {30, 246}},    // default under the limit wraps like a byte
    };
    for (const auto& c : cases)
        EXPECT_EQ(IdleRange(c.defaultPosition, limits), c.range) << "default " << c.defaultPosition;
}

TEST_F(RangeBars, OffIdleRangeUsesTheOpenStepsInZoneOne)
{
    struct Case { int defaultPosition; int zone; int offIdleOpen; StepRange range; };
    const Case cases[] = {
        {100, 1, 25, {25, 60}},
        {100, 2, 25, {50, 60}},
        {100, 0, 25, {50, 60}},
        {100, 1, 70, {50, 60}},   // not below the maximum: the maximum
        {170, 0, 25, {30, 60}},
        {70, 0, 25, {50, 50}},
        {80, 0, 25, {50, 60}},
        {5, 1, 25, {25, 241}},
    };
    for (const auto& c : cases) {
        limits.offIdleOpen = c.offIdleOpen;
        EXPECT_EQ(OffIdleRange(c.defaultPosition, c.zone, limits), c.range)
            << "default " << c.defaultPosition << " zone " << c.zone;
    }
}

TEST_F(RangeBars, BarAroundTheMarker)
{
    const ActuatorScale scale{169, 54};
    // 30 * 169 / 255 = 19.88 above the middle; 70 * 169 / 255 = 46.39 tall
    EXPECT_EQ(RangeBarFor({30, 40}, 138, scale), (RangeBar{118, 46}));
    EXPECT_EQ(RangeBarFor({0, 0}, 138, scale), (RangeBar{138, 0}));
    EXPECT_EQ(RangeBarFor({255, 0}, 223, scale), (RangeBar{54, 169}));
}

}  // namespace
}  // namespace lumex::live
