// The virtual ECU as a unit: parameter memory and its write rules, factory
// defaults and erase, code forms, connection messages, identification, the
// gauge test, diagnostics and ten minutes of live pages.

#include "Catalogue.h"
#include "Conversions.h"
#include "EngineModel.h"
#include "RecordingLink.h"
#include "VirtualEcu.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <memory>
#include <set>
#include <vector>

namespace lumex {
namespace {

constexpr std::int32_t kGuard = -77777;

class ManualClock {
public:
    VirtualEcu::Clock Function() const
    {
        auto now = m_now;
        return [now] { return *now; };
    }
    void Advance(std::int64_t ms) { *m_now += ms; }

private:
    std::shared_ptr<std::int64_t> m_now = std::make_shared<std::int64_t>(0);
};

class VirtualEcuTest : public ::testing::Test {
protected:
    VirtualEcuTest() : ecu(1, clock.Function())
    {
        ecu.SetScreen(&screen);
        ecu.OpenPort();
        ecu.Connect();
        screen.Clear();
    }

    std::int32_t Read(std::uint32_t code)
    {
        std::int32_t word = kGuard;
        EXPECT_TRUE(ecu.ReadParam(code, &word)) << "code " << code;
        return word;
    }

    ManualClock clock;
    test::RecordingScreen screen;
    VirtualEcu ecu;
};

// ---- memory layout and factory defaults ----

TEST_F(VirtualEcuTest, HasExactlyTheCatalogueNumbersWithTheirElementCounts)
{
    std::set<unsigned> expected;
    for (unsigned n = 1; n <= 68; ++n) expected.insert(n);
    for (unsigned n : {11u, 20u, 21u, 26u, 29u, 37u, 47u, 49u, 50u, 65u, 67u}) expected.erase(n);
    for (unsigned n = 0; n < 256; ++n) {
        EXPECT_EQ(ecu.HasParam(n), expected.count(n) == 1) << "number " << n;
        const int count = n == 25 ? 3 : n == 27 ? 2 : (n == 60 || n == 61) ? 6 : expected.count(n) ? 1 : 0;
        EXPECT_EQ(ecu.ElementCount(n), count) << "number " << n;
    }
}

TEST_F(VirtualEcuTest, FactoryDefaultsAreTheCatalogueDefaults)
{
    for (ParamIndex index = 0; index < kParamCount; ++index) {
        const auto entry = CatalogueEntry(index);
        if (!entry || entry->storage < 0 || index == OverlapTimeMs) continue;
        const unsigned number = CodeEcuNumber(entry->descriptor);
        for (int e = 0; e < entry->elements; ++e)
            EXPECT_EQ(ecu.Memory(number, e), entry->defaults[static_cast<std::size_t>(e)])
                << "index " << index << " element " << e;
    }
    EXPECT_EQ(ecu.Memory(54), 20);   // the shared cell keeps the fuel overlap default
    EXPECT_EQ(ecu.Memory(57), 0);    // LowLevelReturn
    EXPECT_EQ(ecu.Memory(27, 1), 0);
}

TEST_F(VirtualEcuTest, EraseRestoresFactoryDefaults)
{
    ASSERT_TRUE(ecu.WriteParam(DescriptorOf(IgnitionType), 36));
    ASSERT_TRUE(ecu.WriteParamItem(DescriptorOf(LevelSensorTable), 5, 9));
    ASSERT_TRUE(ecu.WriteParam(7, 65500));
    ASSERT_TRUE(ecu.WriteParam(54, 3));
    ASSERT_TRUE(ecu.WriteParam(52, 7));
    ASSERT_TRUE(ecu.WriteParam(40, 150));

    EXPECT_TRUE(ecu.WriteParamItem(0, 0, 0));

    EXPECT_EQ(Read(2), 50);
    std::array<std::int32_t, 6> table{};
    ASSERT_TRUE(ecu.ReadParam(DescriptorOf(LevelSensorTable), table.data()));
    EXPECT_EQ(table, (std::array<std::int32_t, 6>{25, 55, 114, 161, 215, 225}));
    EXPECT_EQ(Read(7), 0);
    EXPECT_EQ(Read(54), 20);
    EXPECT_EQ(Read(52), 0);
    EXPECT_EQ(Read(40), 100);
}

TEST_F(VirtualEcuTest, EraseNeedsTheConnection)
{
    ASSERT_TRUE(ecu.WriteParam(2, 36));
    ecu.SetConnectedWithoutNotice(false);
    EXPECT_FALSE(ecu.WriteParamItem(0, 0, 0));
    EXPECT_EQ(ecu.Memory(2), 36);
}

// ---- write rules ----

struct WriteCase {
    const char* what;
    std::uint32_t code;
    int element;
    std::int32_t value;
    bool accepted;
};

class WriteRules : public VirtualEcuTest, public ::testing::WithParamInterface<WriteCase> {};

TEST_P(WriteRules, AcceptOrRefuseAndLeaveMemoryAlone)
{
    const WriteCase& c = GetParam();
    const unsigned number = CodeEcuNumber(c.code);
    const int elements = std::max(ecu.ElementCount(number), 1);
    const bool inRange = c.element >= 0 && c.element < elements;
    const std::int32_t before = inRange ? ecu.Memory(number, c.element) : 0;

    EXPECT_EQ(ecu.WriteParamItem(c.code, c.element, c.value), c.accepted) << c.what;
    if (!inRange) return;
    if (c.accepted)
        EXPECT_EQ(ecu.Memory(number, c.element), c.value) << c.what;
    else
        EXPECT_EQ(ecu.Memory(number, c.element), before) << c.what;
}

INSTANTIATE_TEST_SUITE_P(
    VirtualEcu, WriteRules,
    ::testing::Values(
        WriteCase{"byte cell top", 9, 0, 255, true},
        WriteCase{"byte cell zero", 9, 0, 0, true},
        WriteCase{"byte cell above", 9, 0, 256, false},
        WriteCase{"byte cell negative", 9, 0, -1, false},
        WriteCase{"tristate limit", 7, 0, 65500, true},
        WriteCase{"tristate above", 7, 0, 65501, false},
        WriteCase{"tristate by descriptor", 519, 0, 65500, true},
        WriteCase{"tristate negative", 519, 0, -1, false},
        WriteCase{"table element 5", 24892, 5, 200, true},
        WriteCase{"table element 6", 24892, 6, 1, false},
        WriteCase{"table element -1", 60, -1, 1, false},
        WriteCase{"table element above 255", 60, 3, 300, false},
        WriteCase{"threshold element 2", 25, 2, 190, true},
        WriteCase{"threshold element 3", 25, 3, 190, false},
        WriteCase{"single cell element 1", 9, 1, 5, false},
        WriteCase{"customer code", 64, 0, 999, true},
        WriteCase{"customer code above", 64, 0, 1000, false},
        WriteCase{"unknown 11", 11, 0, 1, false},
        WriteCase{"unknown 65", 65, 0, 1, false},
        WriteCase{"unknown 200", 200, 0, 1, false},
        WriteCase{"unknown 0", 0, 0, 1, false}),
    [](const auto& info) { return "case" + std::to_string(info.index); });

TEST_F(VirtualEcuTest, CustomerCodeIsWriteOnly)
{
    ASSERT_TRUE(ecu.WriteParam(64, 123));
    EXPECT_EQ(ecu.Memory(64), 123);   // observable by tests, never by a read
    std::int32_t word = kGuard;
    EXPECT_FALSE(ecu.ReadParam(64, &word));
    EXPECT_FALSE(ecu.ReadParam(DescriptorOf(CustomerCode), &word));
    EXPECT_EQ(word, kGuard);
}

TEST_F(VirtualEcuTest, RefusedParameterRefusesWritesOnlyUntilAccepted)
{
    ecu.RefuseParam(56);
    EXPECT_FALSE(ecu.WriteParam(56, 54));
    EXPECT_FALSE(ecu.WriteParamItem(56, 0, 54));
    EXPECT_TRUE(ecu.WriteParam(62, 40));
    EXPECT_EQ(Read(56), 60);
    ecu.AcceptParam(56);
    EXPECT_TRUE(ecu.WriteParam(56, 54));
    EXPECT_EQ(Read(56), 54);
}

// Refusing everything and being disconnected look the same to the caller:
// every operation fails and no buffer is touched.
TEST_F(VirtualEcuTest, UnreachableUnitRefusesEverythingAndTouchesNoBuffer)
{
    for (int mode = 0; mode < 2; ++mode) {
        SCOPED_TRACE(mode == 0 ? "refuse everything" : "not connected");
        ecu.RefuseEverything(mode == 0);
        ecu.SetConnectedWithoutNotice(mode == 0);

        std::array<std::int32_t, 8> words;
        words.fill(kGuard);
        EXPECT_FALSE(ecu.ReadParam(DescriptorOf(LevelSensorTable), words.data()));
        EXPECT_FALSE(ecu.ReadParam(2, words.data()));
        EXPECT_TRUE(std::all_of(words.begin(), words.end(), [](auto w) { return w == kGuard; }));
        EXPECT_FALSE(ecu.WriteParam(2, 36));
        EXPECT_FALSE(ecu.WriteParamItem(25, 1, 10));
        EXPECT_EQ(ecu.Memory(2), 50);

        std::array<std::uint8_t, 4> ident{9, 9, 9, 9};
        EXPECT_FALSE(ecu.ReadIdent(ident.data()));
        EXPECT_EQ(ident, (std::array<std::uint8_t, 4>{9, 9, 9, 9}));

        std::array<std::uint8_t, 20> page;
        page.fill(0xAA);
        int length = 20;
        EXPECT_FALSE(ecu.ReadLive(0, page.data(), length));
        EXPECT_EQ(length, 20);
        EXPECT_TRUE(std::all_of(page.begin(), page.end(), [](auto b) { return b == 0xAA; }));
    }
}

// ---- code forms ----

TEST_F(VirtualEcuTest, DescriptorAndBareNumberAddressTheSameCell)
{
    for (ParamIndex index = 1; index < kParamCount; ++index) {
        const auto entry = CatalogueEntry(index);
        if (!entry || entry->storage < 0) continue;
        const ParamDescriptor descriptor = entry->descriptor;
        const unsigned number = CodeEcuNumber(descriptor);
        const std::int32_t value = 17 + static_cast<std::int32_t>(number);
        ASSERT_TRUE(ecu.WriteParamItem(descriptor, entry->elements - 1, value)) << index;
        std::array<std::int32_t, 6> viaDescriptor{};
        ASSERT_TRUE(ecu.ReadParam(descriptor, viaDescriptor.data()));
        EXPECT_EQ(viaDescriptor[static_cast<std::size_t>(entry->elements - 1)], value) << index;
        ASSERT_TRUE(ecu.WriteParam(number, value + 1));
        EXPECT_EQ(Read(descriptor), value + 1) << index;
    }
}

TEST_F(VirtualEcuTest, SharedParameter54IsOneCellForBothIndices)
{
    ASSERT_TRUE(ecu.WriteParam(DescriptorOf(FuelOverlapTime), 33));
    EXPECT_EQ(Read(DescriptorOf(OverlapTimeMs)), 33);
    ASSERT_TRUE(ecu.WriteParam(DescriptorOf(OverlapTimeMs), 5));
    EXPECT_EQ(Read(DescriptorOf(FuelOverlapTime)), 5);
    EXPECT_EQ(ecu.Memory(57), 0);   // LowLevelReturn is a cell of its own
}

struct MultiReadCase {
    std::uint32_t code;
    int filled;
};

class MultiReads : public VirtualEcuTest, public ::testing::WithParamInterface<MultiReadCase> {};

TEST_P(MultiReads, FillExactlyTheElementCount)
{
    const MultiReadCase& c = GetParam();
    std::array<std::int32_t, 10> buffer;
    buffer.fill(kGuard);
    ASSERT_TRUE(ecu.ReadParam(c.code, buffer.data() + 1));
    EXPECT_EQ(buffer[0], kGuard);
    for (int i = 1; i <= 9; ++i) {
        if (i <= c.filled)
            EXPECT_NE(buffer[static_cast<std::size_t>(i)], kGuard) << "word " << i - 1;
        else
            EXPECT_EQ(buffer[static_cast<std::size_t>(i)], kGuard) << "word " << i - 1;
    }
}

INSTANTIATE_TEST_SUITE_P(
    VirtualEcu, MultiReads,
    ::testing::Values(MultiReadCase{24892, 6},                       // LevelSensorTable
                      MultiReadCase{24893, 6},                       // GaugeOutputTable
                      MultiReadCase{60, 1},                          // bare number: element 0
                      MultiReadCase{12569, 3},                       // TpsThresholds
                      MultiReadCase{8475, 2},                        // LambdaReferences
                      MultiReadCase{256u | (2u << 12) | 60u, 2},     // fewer than the cell has
                      MultiReadCase{256u | (9u << 12) | 25u, 3},     // more than the cell has
                      MultiReadCase{519, 1}));

// ---- connection, identification, gauge ----

TEST(VirtualEcuConnection, MessagesOnConnectAndUnplugButNotOnUserDisconnect)
{
    VirtualEcu ecu;
    test::RecordingScreen screen;
    ecu.SetScreen(&screen);
    const test::ScreenMessage up{WM_LINK_STATE, 0, 1}, down{WM_LINK_STATE, 0, 0};

    EXPECT_EQ(ecu.Connect(), 0);   // port not open yet
    EXPECT_TRUE(screen.Messages().empty());

    ASSERT_TRUE(ecu.OpenPort());
    EXPECT_EQ(ecu.Connect(), 1);
    EXPECT_EQ(ecu.IsConnected(), 1);
    EXPECT_EQ(screen.Messages(), std::vector<test::ScreenMessage>{up});

    ecu.Disconnect();
    EXPECT_EQ(ecu.IsConnected(), 0);
    EXPECT_EQ(screen.Messages(), std::vector<test::ScreenMessage>{up});

    ASSERT_TRUE(ecu.OpenPort());
    ASSERT_EQ(ecu.Connect(), 1);
    ecu.Unplug();
    EXPECT_EQ(ecu.IsConnected(), 0);
    EXPECT_EQ(screen.Messages(), (std::vector<test::ScreenMessage>{up, up, down}));
    ecu.Unplug();   // nothing left to drop
    EXPECT_EQ(screen.Messages().size(), 3u);
}

TEST(VirtualEcuConnection, PortAndConnectabilitySettings)
{
    VirtualEcu ecu;
    EXPECT_EQ(ecu.GetPort(), 0);
    ecu.SetPortAvailable(false);
    EXPECT_FALSE(ecu.OpenPort());
    EXPECT_EQ(ecu.Connect(), 0);
    ecu.SetPortAvailable(true);
    ecu.SetConnectable(false);
    EXPECT_TRUE(ecu.OpenPort());
    EXPECT_EQ(ecu.Connect(), 0);
    EXPECT_EQ(ecu.IsConnected(), 0);
}

TEST_F(VirtualEcuTest, IdentificationDefaultsAndSetting)
{
    std::array<std::uint8_t, 4> ident{};
    ASSERT_TRUE(ecu.ReadIdent(ident.data()));
    EXPECT_EQ(ident, (std::array<std::uint8_t, 4>{7, 0, 1, 32}));
    ecu.SetIdent({7, 2, 0, 40});
    ASSERT_TRUE(ecu.ReadIdent(ident.data()));
    EXPECT_EQ(ident, (std::array<std::uint8_t, 4>{7, 2, 0, 40}));
}

TEST_F(VirtualEcuTest, GaugeTestIsRecordedOnlyWhileConnected)
{
    EXPECT_EQ(ecu.LastGaugeValue(), -1);
    ecu.TestGauge(150, -1);
    ecu.TestGauge(20, -1);
    EXPECT_EQ(ecu.LastGaugeValue(), 20);
    EXPECT_EQ(ecu.GaugeTestCount(), 2);
    ecu.Unplug();
    ecu.TestGauge(99, -1);
    EXPECT_EQ(ecu.LastGaugeValue(), 20);
    EXPECT_EQ(ecu.GaugeTestCount(), 2);
}

// ---- diagnostics ----

TEST_F(VirtualEcuTest, ForcedEpisodeFaultsOnlyWhenItsCheckIsEnabledAndClearsWithZero)
{
    clock.Advance(40000);
    ecu.Engine().ForceEpisode(LambdaEpisode::Lean, 40000);
    clock.Advance(10000);
    EXPECT_EQ(Read(DescriptorOf(DiagnosticsErrors)), 0);   // lean check off

    ASSERT_TRUE(ecu.WriteParam(DescriptorOf(DiagnosticsEnable), 2));
    clock.Advance(1000);
    EXPECT_EQ(Read(53), 2);
    EXPECT_EQ(ecu.Memory(53), 2);

    ASSERT_TRUE(ecu.WriteParam(53, 0));
    clock.Advance(10000);
    EXPECT_EQ(Read(53), 0);
}

// ---- live pages ----

TEST_F(VirtualEcuTest, LivePageRequestsAreChecked)
{
    std::array<std::uint8_t, 24> buffer;
    buffer.fill(0xAA);
    int length = 20;
    EXPECT_FALSE(ecu.ReadLive(2, buffer.data(), length));
    EXPECT_FALSE(ecu.ReadLive(-1, buffer.data(), length));
    length = 5;
    EXPECT_FALSE(ecu.ReadLive(0, buffer.data(), length));
    EXPECT_TRUE(std::all_of(buffer.begin(), buffer.end(), [](auto b) { return b == 0xAA; }));

    clock.Advance(20000);
    for (int page = 0; page < 2; ++page) {
        buffer.fill(0xAA);
        length = 20;
        ASSERT_TRUE(ecu.ReadLive(page, buffer.data(), length));
        EXPECT_EQ(length, 20);
        const std::size_t used = page == 0 ? 6 : 5;
        for (std::size_t i = used; i < 20; ++i) EXPECT_EQ(buffer[i], 0) << "page " << page << " byte " << i;
        for (std::size_t i = 20; i < 24; ++i) EXPECT_EQ(buffer[i], 0xAA);
    }

    // A buffer shorter than a page gets only what fits.
    buffer.fill(0xAA);
    length = 8;
    ASSERT_TRUE(ecu.ReadLive(0, buffer.data(), length));
    EXPECT_EQ(length, 8);
    for (std::size_t i = 8; i < 24; ++i) EXPECT_EQ(buffer[i], 0xAA);
}

TEST_F(VirtualEcuTest, DefaultPositionReadsBackAsWrittenAndOnPageOne)
{
    ASSERT_TRUE(ecu.WriteParam(DescriptorOf(DefaultPosition), 140));
    EXPECT_EQ(Read(40), 140);
    std::array<std::uint8_t, 20> page{};
    int length = 20;
    ASSERT_TRUE(ecu.ReadLive(1, page.data(), length));
    EXPECT_EQ(page[4], 140);
}

TEST(VirtualEcuLive, PagesAreDeterministicForASeedAndClock)
{
    ManualClock clockA, clockB;
    VirtualEcu a(42, clockA.Function()), b(42, clockB.Function());
    for (VirtualEcu* ecu : {&a, &b}) {
        ecu->OpenPort();
        ecu->Connect();
    }
    for (int tick = 0; tick < 3000; ++tick) {
        clockA.Advance(100);
        clockB.Advance(100);
        std::array<std::uint8_t, 20> pa{}, pb{};
        int la = 20, lb = 20;
        const int page = tick % 11 == 0 ? 1 : 0;
        ASSERT_TRUE(a.ReadLive(page, pa.data(), la));
        ASSERT_TRUE(b.ReadLive(page, pb.data(), lb));
        ASSERT_EQ(pa, pb) << "tick " << tick;
    }
}

// Someone who opens the live display right after start-up should see the
// changeover to gas, the range bars at idle and a probe episode within the
// first minute on the factory settings; the episode becomes a fault only
// when its check is enabled.
struct FirstMinuteCase {
    std::uint32_t seed;
    int diagnosticsEnable;
};

class FirstMinute : public ::testing::TestWithParam<FirstMinuteCase> {};

TEST_P(FirstMinute, FactorySettingsShowGasRangeBarsAndAProbeEpisode)
{
    const FirstMinuteCase& c = GetParam();
    ManualClock clock;
    VirtualEcu ecu(c.seed, clock.Function());
    ecu.OpenPort();
    ecu.Connect();
    ASSERT_TRUE(ecu.WriteParam(52, c.diagnosticsEnable));

    int gasAtMs = -1, rangeBarsAtMs = -1, episodeAtMs = -1, faults = 0;
    for (int ms = 100; ms <= 60000; ms += 100) {
        clock.Advance(100);
        std::array<std::uint8_t, 20> page{};
        int length = 20;
        ASSERT_TRUE(ecu.ReadLive(1, page.data(), length));
        if (gasAtMs < 0 && (page[2] & 8)) gasAtMs = ms;
        if (rangeBarsAtMs < 0 && (page[2] & 1)) rangeBarsAtMs = ms;
        if (episodeAtMs < 0 && ecu.Engine().Read().episode != LambdaEpisode::None)
            episodeAtMs = ms;
        std::int32_t word = 0;
        ASSERT_TRUE(ecu.ReadParam(53, &word));
        faults |= word;
    }
    EXPECT_GT(gasAtMs, 0);
    EXPECT_LE(gasAtMs, 15000);
    EXPECT_GT(rangeBarsAtMs, 0);
    EXPECT_LE(rangeBarsAtMs, 20000);
    EXPECT_GT(episodeAtMs, EngineModel::kProbeWarmMs);
    EXPECT_LE(episodeAtMs, 45000);
    if (c.diagnosticsEnable == 0)
        EXPECT_EQ(faults, 0);
    else
        EXPECT_NE(faults, 0);
}

INSTANTIATE_TEST_SUITE_P(VirtualEcu, FirstMinute,
                         ::testing::Values(FirstMinuteCase{1, 7}, FirstMinuteCase{1, 0},
                                           FirstMinuteCase{3, 7}, FirstMinuteCase{42, 7},
                                           FirstMinuteCase{42, 0}));

// What the live display sees over ten minutes of polling with factory
// settings, and with tight actuator limits written through the link.
struct LiveRunCase {
    const char* name;
    int lower;
    int upper;
};

class TenMinutes : public ::testing::TestWithParam<LiveRunCase> {};

TEST_P(TenMinutes, LivePagesCoverTheWholeScenario)
{
    const LiveRunCase& c = GetParam();
    ManualClock clock;
    VirtualEcu ecu(1, clock.Function());
    ecu.OpenPort();
    ecu.Connect();
    ASSERT_TRUE(ecu.WriteParam(35, c.lower));
    ASSERT_TRUE(ecu.WriteParam(36, c.upper));

    std::set<int> zones, lambdaStates;
    int minRpm = 99999, maxRpm = 0, idleSamples = 0;
    bool upperFlag = false, lowerFlag = false, cutOff = false, gas = false, rangeBars = false;
    int firstTemp = -1, lastTemp = -1, firstLevel = -1, lastLevel = -1;
    int previousSpeedByte = -1, speedChanges = 0;
    for (int tick = 0; tick < 6000; ++tick) {
        clock.Advance(100);
        std::array<std::uint8_t, 20> p{};
        int length = 20;
        ASSERT_TRUE(ecu.ReadLive(0, p.data(), length));
        const int rpm = (p[0] == 0 || p[0] == 255) ? 0 : 120000 / p[0];
        if (tick > 50) {   // the engine has started
            minRpm = std::min(minRpm, rpm);
            if (rpm >= 700 && rpm <= 1100) ++idleSamples;
        }
        maxRpm = std::max(maxRpm, rpm);
        speedChanges += p[0] != previousSpeedByte;
        previousSpeedByte = p[0];
        zones.insert(p[3] & 3);
        lambdaStates.insert((p[3] >> 4) & 3);
        ASSERT_EQ(p[3] & 0xCC, 0);
        ASSERT_EQ(p[4] & ~(128 | 64 | 4), 0);
        ASSERT_GE(p[5], c.lower);
        ASSERT_LE(p[5], c.upper);
        ASSERT_EQ((p[4] & 128) != 0, p[5] == c.upper);
        ASSERT_EQ((p[4] & 64) != 0, p[5] == c.lower);
        upperFlag |= (p[4] & 128) != 0;
        lowerFlag |= (p[4] & 64) != 0;
        cutOff |= (p[4] & 4) != 0;

        if (tick % 11 == 0) {
            ASSERT_TRUE(ecu.ReadLive(1, p.data(), length));
            if (firstTemp < 0) firstTemp = p[0], firstLevel = p[1];
            lastTemp = p[0];
            lastLevel = p[1];
            ASSERT_EQ(p[2] & ~(8 | 1), 0);
            if (gas) { ASSERT_TRUE(p[2] & 8) << "back to petrol at tick " << tick; }
            gas |= (p[2] & 8) != 0;
            rangeBars |= (p[2] & 1) != 0;
            if (p[2] & 1) { ASSERT_TRUE(p[2] & 8); }
            ASSERT_GE(p[4], c.lower);
            ASSERT_LE(p[4], c.upper);
        }
    }
    EXPECT_GT(idleSamples, 500);
    EXPECT_GE(minRpm, 600);
    EXPECT_GT(maxRpm, 5000);
    EXPECT_GT(speedChanges, 1000);
    EXPECT_EQ(zones, (std::set<int>{0, 1, 2, 3}));
    for (int state : {0, 1, 2}) EXPECT_TRUE(lambdaStates.count(state)) << state;
    EXPECT_TRUE(upperFlag);
    EXPECT_TRUE(lowerFlag);
    EXPECT_TRUE(cutOff);
    EXPECT_TRUE(gas);
    EXPECT_TRUE(rangeBars);
    EXPECT_NEAR(Celsius(firstTemp), 15, 1.5);
    EXPECT_GT(Celsius(lastTemp), 80);
    EXPECT_NEAR(firstLevel, 200, 1);
    EXPECT_LT(lastLevel, firstLevel - 5);
}

INSTANTIATE_TEST_SUITE_P(VirtualEcu, TenMinutes,
                         ::testing::Values(LiveRunCase{"factoryLimits", 0, 255},
                                           LiveRunCase{"tightLimits", 70, 160}),
                         [](const auto& info) { return info.param.name; });

}  // namespace
}  // namespace lumex
