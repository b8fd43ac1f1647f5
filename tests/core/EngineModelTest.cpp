// The engine model behind the virtual ECU's live pages: determinism, the
// lambda probe on every scale, probe episodes and diagnostics faults, the
// changeover conditions, the actuator limits and the inverted TPS sensor.

#include "Conversions.h"
#include "EngineModel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <set>

namespace lumex {
namespace {

// A clock the test moves by hand.
class ManualClock {
public:
    EngineClock Function() const
    {
        auto now = m_now;
        return [now] { return *now; };
    }
    void Advance(std::int64_t ms) { *m_now += ms; }
    std::int64_t Now() const { return *m_now; }

private:
    std::shared_ptr<std::int64_t> m_now = std::make_shared<std::int64_t>(0);
};

struct Page0 {
    std::array<std::uint8_t, 6> bytes{};
    int zone() const { return bytes[3] & 3; }
    LambdaState state() const { return static_cast<LambdaState>((bytes[3] >> 4) & 3); }
};

// Visits one reading every periodMs for seconds of engine time.
template <typename Visit>
void RunFor(EngineModel& model, ManualClock& clock, int seconds, int periodMs, Visit visit)
{
    const std::int64_t end = clock.Now() + seconds * 1000LL;
    while (clock.Now() < end) {
        clock.Advance(periodMs);
        visit(model.Read());
    }
}

TEST(EngineModel, PagesDependOnSeedAndClockOnlyNotOnHowOftenTheyAreRead)
{
    ManualClock clockA, clockB, clockC;
    EngineModel often(7, clockA.Function());
    EngineModel once(7, clockB.Function());
    EngineModel otherSeed(8, clockC.Function());

    for (int i = 0; i < 1234; ++i) {   // 123.4 s of 100 ms polls
        clockA.Advance(100);
        std::array<std::uint8_t, 6> scratch{};
        often.FillPage0(scratch.data());
    }
    clockB.Advance(123400);
    clockC.Advance(123400);

    std::array<std::uint8_t, 6> a0{}, b0{}, c0{};
    std::array<std::uint8_t, 5> a1{}, b1{};
    often.FillPage0(a0.data());
    once.FillPage0(b0.data());
    otherSeed.FillPage0(c0.data());
    often.FillPage1(a1.data());
    once.FillPage1(b1.data());
    EXPECT_EQ(a0, b0);
    EXPECT_EQ(a1, b1);
    EXPECT_NE(a0, c0);
}

// The probe's voltage must stay on its scale, use a good part of it, and the
// reported state must agree with the side of the reference it is on.
struct ProbeCase {
    const char* name;
    int lambdaType;
    int refOffset;
    double low;     // volts
    double high;
    bool richIsLow;
};

class ProbeScales : public ::testing::TestWithParam<ProbeCase> {};

TEST_P(ProbeScales, SwingStaysOnTheScaleAndStateMatchesTheSide)
{
    const ProbeCase& c = GetParam();
    ManualClock clock;
    EngineModel model(3, clock.Function());
    EngineSettings settings;
    settings.lambdaType = c.lambdaType;
    settings.lambdaRefOffset = c.refOffset;
    model.Configure(settings);
    clock.Advance(30000);   // past the cold probe

    double minSeen = 99, maxSeen = -99;
    std::set<LambdaState> states;
    double leanSum = 0, richSum = 0;
    int leanCount = 0, richCount = 0;
    RunFor(model, clock, 120, 100, [&](const EngineReading& r) {
        minSeen = std::min(minSeen, r.lambdaVolts);
        maxSeen = std::max(maxSeen, r.lambdaVolts);
        states.insert(r.lambdaState);
        if (r.lambdaState == LambdaState::Lean) { leanSum += r.lambdaVolts; ++leanCount; }
        if (r.lambdaState == LambdaState::Rich) { richSum += r.lambdaVolts; ++richCount; }
    });

    const double span = c.high - c.low;
    EXPECT_GE(minSeen, c.low - 0.011) << c.name;
    EXPECT_LE(maxSeen, c.high + 0.011) << c.name;
    EXPECT_GT(maxSeen - minSeen, 0.6 * span) << c.name;
    ASSERT_GT(leanCount, 0);
    ASSERT_GT(richCount, 0);
    EXPECT_TRUE(states.count(LambdaState::Ok)) << c.name;
    const double leanMean = leanSum / leanCount, richMean = richSum / richCount;
    if (c.richIsLow)
        EXPECT_LT(richMean, leanMean) << c.name;
    else
        EXPECT_GT(richMean, leanMean) << c.name;
}

INSTANTIATE_TEST_SUITE_P(
    EngineModel, ProbeScales,
    ::testing::Values(ProbeCase{"zeroToOne", 0, 40, 0.0, 1.0, false},
                      ProbeCase{"zeroToFiveA", 6, 40, 0.0, 5.0, false},
                      ProbeCase{"fiveToZeroB", 11, 40, 0.0, 5.0, true},
                      ProbeCase{"offsetScale", 16, 40, 0.79, 1.59, false},
                      ProbeCase{"unknownCode", 99, 40, 0.0, 1.0, false}),
    [](const auto& info) { return info.param.name; });

// A forced episode sets its own bit only when its check is enabled.
struct EpisodeCase {
    LambdaEpisode kind;
    int enabled;
    int expectedFaults;
};

class Episodes : public ::testing::TestWithParam<EpisodeCase> {};

TEST_P(Episodes, FaultBitFollowsTheEnabledCheck)
{
    const EpisodeCase& c = GetParam();
    ManualClock clock;
    EngineModel model(5, clock.Function());
    EngineSettings settings;
    settings.diagnosticsEnable = c.enabled;
    model.Configure(settings);
    clock.Advance(EngineModel::kProbeWarmMs);   // warm, before any spontaneous episode
    EXPECT_EQ(model.Faults(), 0);

    model.ForceEpisode(c.kind, 20000);
    clock.Advance(12000);
    EXPECT_EQ(model.Faults(), c.expectedFaults);
}

INSTANTIATE_TEST_SUITE_P(
    EngineModel, Episodes,
    ::testing::Values(EpisodeCase{LambdaEpisode::Stuck, 1, 1}, EpisodeCase{LambdaEpisode::Stuck, 6, 0},
                      EpisodeCase{LambdaEpisode::Lean, 2, 2}, EpisodeCase{LambdaEpisode::Lean, 5, 0},
                      EpisodeCase{LambdaEpisode::Rich, 4, 4}, EpisodeCase{LambdaEpisode::Rich, 3, 0},
                      EpisodeCase{LambdaEpisode::Rich, 7, 4}, EpisodeCase{LambdaEpisode::Lean, 0, 0}));

TEST(EngineModel, EpisodesShowOnTheProbe)
{
    ManualClock clock;
    EngineModel model(5, clock.Function());
    clock.Advance(40000);

    model.ForceEpisode(LambdaEpisode::Lean, 10000);
    clock.Advance(2000);
    EXPECT_EQ(model.Read().lambdaState, LambdaState::Lean);
    model.ForceEpisode(LambdaEpisode::Rich, 10000);
    clock.Advance(2000);
    EXPECT_EQ(model.Read().lambdaState, LambdaState::Rich);

    model.ForceEpisode(LambdaEpisode::Stuck, 10000);
    clock.Advance(500);
    const double stuckAt = model.Read().lambdaVolts;
    RunFor(model, clock, 5, 100, [&](const EngineReading& r) {
        EXPECT_EQ(r.lambdaState, LambdaState::Fault);
        EXPECT_DOUBLE_EQ(r.lambdaVolts, stuckAt);
    });
    clock.Advance(6000);
    EXPECT_EQ(model.Read().episode, LambdaEpisode::None);
}

TEST(EngineModel, ClearedFaultStaysClearUntilTheNextEpisode)
{
    ManualClock clock;
    EngineModel model(5, clock.Function());
    EngineSettings settings;
    settings.diagnosticsEnable = 7;
    model.Configure(settings);
    clock.Advance(EngineModel::kProbeWarmMs);   // before any spontaneous episode

    model.ForceEpisode(LambdaEpisode::Rich, 30000);
    clock.Advance(10000);
    ASSERT_EQ(model.Faults(), 4);
    model.SetFaults(0);
    clock.Advance(15000);   // the same episode goes on
    EXPECT_EQ(model.Faults(), 0);

    clock.Advance(10000);   // episode over
    model.ForceEpisode(LambdaEpisode::Stuck, 20000);
    clock.Advance(6000);
    EXPECT_EQ(model.Faults(), 1);
}

// Episodes wait for the warm probe, the first one comes within the first
// minute (a demo should show one), and they keep coming after it.
TEST(EngineModel, SpontaneousEpisodesComeOnceTheProbeIsWarm)
{
    ManualClock clock;
    EngineModel model(11, clock.Function());
    EngineSettings settings;
    settings.diagnosticsEnable = 7;
    model.Configure(settings);
    std::int64_t firstEpisodeMs = -1;
    int starts = 0;
    LambdaEpisode previous = LambdaEpisode::None;
    RunFor(model, clock, 900, 500, [&](const EngineReading& r) {
        if (r.episode != LambdaEpisode::None) {
            EXPECT_GT(r.elapsedMs, EngineModel::kProbeWarmMs);
            if (firstEpisodeMs < 0) firstEpisodeMs = r.elapsedMs;
            if (previous == LambdaEpisode::None) ++starts;
        }
        previous = r.episode;
    });
    ASSERT_GE(firstEpisodeMs, 0);
    EXPECT_LE(firstEpisodeMs, 60000);
    EXPECT_GE(starts, 3);
    EXPECT_NE(model.Faults(), 0);
}

// Changeover needs both: coolant warmer than the changeover temperature and
// engine speed above the changeover speed.
TEST(EngineModel, ChangeoverWaitsForTheConfiguredTemperatureAndSpeed)
{
    ManualClock clock;
    EngineModel model(2, clock.Function());
    EngineSettings settings;
    settings.changeoverTemp = TemperatureCode(60.0);
    settings.changeoverRpm = RpmToPeriod(2500.0);
    model.Configure(settings);

    bool changed = false;
    double rpmBefore = 0;
    RunFor(model, clock, 600, 10, [&](const EngineReading& r) {
        if (r.onGas && !changed) {
            changed = true;
            EXPECT_GT(r.coolantCelsius, 59.5);
            EXPECT_GT(std::max(rpmBefore, r.rpm), 2300);
        }
        if (changed) { EXPECT_TRUE(r.onGas); }   // no way back to petrol
        rpmBefore = r.rpm;
    });
    EXPECT_TRUE(changed);
}

TEST(EngineModel, StartOnGasModeChangesOverWhenWarmWithoutSpeed)
{
    ManualClock clock;
    EngineModel model(2, clock.Function());
    EngineSettings settings;
    settings.changeoverMode = 4;
    settings.gasStartTemp = TemperatureCode(20.0);
    settings.changeoverRpm = RpmToPeriod(9000.0);   // never reached
    model.Configure(settings);
    clock.Advance(3000);
    EXPECT_FALSE(model.Read().onGas);
    clock.Advance(15000);   // about 26 degC by now
    EXPECT_TRUE(model.Read().onGas);
}

struct LimitCase {
    int lower;
    int upper;
    int defaultPosition;
};

class ActuatorLimits : public ::testing::TestWithParam<LimitCase> {};

TEST_P(ActuatorLimits, StaysInsideAndTouchesBothLimits)
{
    const LimitCase& c = GetParam();
    ManualClock clock;
    EngineModel model(4, clock.Function());
    EngineSettings settings;
    settings.actuatorLowerLimit = c.lower;
    settings.actuatorUpperLimit = c.upper;
    settings.defaultPosition = c.defaultPosition;
    model.Configure(settings);
    bool upper = false, lower = false;
    std::set<int> positions;
    RunFor(model, clock, 240, 50, [&](const EngineReading& r) {
        ASSERT_GE(r.actuator, std::min(c.lower, c.upper));
        ASSERT_LE(r.actuator, std::max(c.lower, c.upper));
        upper |= r.atUpperLimit;
        lower |= r.atLowerLimit;
        positions.insert(r.actuator);
    });
    EXPECT_TRUE(upper);
    EXPECT_TRUE(lower);
    // Wide limits leave room to wander; tight ones mostly pin it to a limit.
    const int travel = std::abs(c.upper - c.lower);
    EXPECT_GE(positions.size(), travel >= 100 ? 6u : 2u);
}

INSTANTIATE_TEST_SUITE_P(EngineModel, ActuatorLimits,
                         ::testing::Values(LimitCase{0, 255, 100}, LimitCase{60, 180, 120},
                                           LimitCase{100, 110, 200},   // default outside the limits
                                           LimitCase{180, 60, 120}));  // limits swapped

TEST(EngineModel, InvertedTpsSensorMirrorsBytesButKeepsZones)
{
    ManualClock clock;
    EngineModel model(1, clock.Function());
    EngineSettings settings;
    settings.tpsType = 1;
    settings.tpsThresholds = {255, 153, 77};   // the usual thresholds as an inverted sensor stores them
    model.Configure(settings);
    std::set<int> zones;
    RunFor(model, clock, 240, 100, [&](const EngineReading& r) {
        zones.insert(r.tpsZone);
        if (r.tpsZone == 0) { EXPECT_GT(r.tpsVolts, 4.0); }
        if (r.tpsZone == 3) { EXPECT_LT(r.tpsVolts, 1.6); }
    });
    EXPECT_EQ(zones, (std::set<int>{0, 1, 2, 3}));
    std::array<std::uint8_t, 5> page1{};
    model.FillPage1(page1.data());
    EXPECT_EQ(page1[3], 255 - 23);
}

TEST(EngineModel, AdaptedDefaultStaysNearTheCellAndResets)
{
    ManualClock clock;
    EngineModel model(9, clock.Function());
    std::set<int> seen;
    RunFor(model, clock, 1200, 1000, [&](const EngineReading& r) {
        EXPECT_LE(std::abs(r.defaultPosition - 100), 3);
        seen.insert(r.defaultPosition);
    });
    EXPECT_GT(seen.size(), 1u);
    model.ResetAdaptation();
    EXPECT_EQ(model.AdaptedDefault(), 100);
}

}  // namespace
}  // namespace lumex
