// The record's single-parameter accessors: conversions per index, what goes
// to the link, and that nothing is stored unless the link accepted it.
#include "ConfCar.h"
#include "OfflineLink.h"
#include "RecordingLink.h"

#include <gtest/gtest.h>

#include <vector>

using namespace lumex;
using lumex::test::LinkCall;
using lumex::test::RecordingLink;

namespace {

class ConfCarTest : public ::testing::Test {
protected:
    ConfCarTest() { record.AttachLink(&link); }

    std::int32_t& Word(ParamIndex index, int element = 0) { return record.MemberOf(index)[element]; }

    RecordingLink link;
    ConfCar record;
};

TEST_F(ConfCarTest, ReadValueConvertsPerIndex)
{
    struct Case {
        ParamIndex index;
        ParamIndex wordOf;  // the word the case sets up
        std::int32_t raw;
        double expected;
    };
    const Case cases[] = {
        {IgnitionType, IgnitionType, 50, 6},
        {IgnitionType, IgnitionType, 0, -1},
        {LevelSensorType, LevelSensorType, 195, 7},
        {ChangeoverRpm, ChangeoverRpm, 60, 2000},
        {ChangeoverRpm, ChangeoverRpm, 7, 17100},
        {ChangeoverRpm, ChangeoverRpm, 0, 0},
        {ChangeoverRpm, ChangeoverRpm, 255, 0},
        {BoschHysteresis, BoschHysteresis, 102, 2.00},
        {IdleTpsHysteresis, IdleTpsHysteresis, 7, 0.14},
        {CruiseLambdaRef, CruiseLambdaRef, 28, 0.55},
        {FuelOverlapTime, FuelOverlapTime, 20, 0.4},
        {EmulTristateTime, EmulTristateTime, 149, 2},
        {EmulHighTime, EmulHighTime, 18, 360},
        {OverlapTimeMs, OverlapTimeMs, 5, 100},
        {LambdaReadDelay, LambdaReadDelay, 3, 15},
        {DecelBandWidth, DecelSettings, 251, 1},
        {DecelExitTime, DecelSettings, 251, 4960},
        {ChangeoverTemp, ChangeoverTemp, 255, -1000},
        {ChangeoverMode, ChangeoverMode, 0x24, 3},  // only the low four bits count
        {ChangeoverMode, ChangeoverMode, 3, -1},
        {RpmSignalType, OptionFlags, 16, 1},
        {YellowWireUse, OptionFlags, ~8, 0},
        {SwitchType, SwitchType, 4, 1},
        {SwitchType, SwitchType, ~4, 0},
        {OptionFlags, OptionFlags, 0x3F, 0x3F},
        {KickdownPosition, KickdownPosition, 100, 100},
    };
    for (const auto& c : cases) {
        Word(c.wordOf) = c.raw;
        EXPECT_EQ(record.ReadValue(c.index), c.expected) << "index " << c.index << " raw " << c.raw;
    }
}

TEST_F(ConfCarTest, DefaultTemperaturesReadBack)
{
    EXPECT_NEAR(record.ReadValue(ChangeoverTemp), 14.94, 0.005);
    EXPECT_NEAR(record.ReadValue(GasStartTemp), 59.93, 0.005);
}

TEST_F(ConfCarTest, IndicesWithoutValueReadNoValue)
{
    for (const ParamIndex index : {0, 11, 20, 21, 25, 26, 27, 29, 37, 47, 49, 50, 60, 61, 72, 75, -1})
        EXPECT_EQ(record.ReadValue(index), NoValue) << index;
    EXPECT_TRUE(link.ParamCalls().empty());
}

TEST_F(ConfCarTest, RefreshedParametersAskTheEcuFirst)
{
    link.SetReadValues(40, {77});
    link.SetReadValues(53, {5});
    EXPECT_EQ(record.ReadValue(DefaultPosition), 77);
    EXPECT_EQ(record.ReadValue(DiagnosticsErrors), 5);
    EXPECT_EQ(link.ParamCalls(), (std::vector{LinkCall::Read(40), LinkCall::Read(53)}));

    // A failed read is not looked at: the word keeps what it had.
    link.RefuseEverything();
    EXPECT_EQ(record.ReadValue(DefaultPosition), 77);
}

TEST_F(ConfCarTest, WriteValueSendsTheRawWordAndStoresIt)
{
    struct Case {
        ParamIndex index;
        double user;
        std::uint32_t code;
        std::int32_t raw;
    };
    const Case cases[] = {
        {ChangeoverRpm, 499.0, 56, 255},
        {ChangeoverRpm, 2000.0, 56, 60},
        {ChangeoverRpm, 2200.0, 56, 54},
        {OverRevRpm, 3000.0, 62, 40},
        {BoschHysteresis, 2.0, 23, 101},
        {BoschHysteresis, 2.01, 23, 102},
        {BoschHysteresis, 3.5, 23, 178},
        {CruiseLambdaRef, 0.06, 28, 2},
        {LambdaRefOffset, 2.01, 30, 101},
        {FuelOverlapTime, 0.4, 54, 20},
        {OverlapTimeMs, 100.0, 54, 5},
        {EmulTristateTime, 1310.0, 519, 65500},
        {EmulHighTime, 360.0, 5, 18},
        {LambdaReadDelay, 15.0, 51, 3},
        {ChangeoverTemp, 15.0, 58, 156},
        {GasStartTemp, 60.0, 68, 51},
        {IgnitionType, 1.0, 2, 36},
        {TpsType, 5.0, 3, 8},
        // The default level sensor (129) reads inverted.
        {LowLevelReturn, 30.0, 57, 225},
        {KickdownPosition, 42.9, 39, 42},
        {LevelSensorType, 3.0, 59, 131},
    };
    for (const auto& c : cases) {
        link.ClearCalls();
        EXPECT_EQ(record.WriteValue(c.index, c.user), 1) << "index " << c.index;
        EXPECT_EQ(link.Writes(), std::vector{LinkCall::Write(c.code, c.raw)}) << "index " << c.index;
        EXPECT_EQ(Word(c.index), c.raw) << "index " << c.index;
    }
}

TEST_F(ConfCarTest, ChangeoverModeKeepsBitsFourToSeven)
{
    Word(ChangeoverMode) = 0x25;
    EXPECT_EQ(record.WriteValue(ChangeoverMode, 3.0), 1);
    EXPECT_EQ(link.Writes(), std::vector{LinkCall::Write(63, 36)});

    Word(ChangeoverMode) = 0x1F3;  // bits 8 and up are dropped
    record.WriteValue(ChangeoverMode, 1.0);
    EXPECT_EQ(Word(ChangeoverMode), 0xF1);
}

TEST_F(ConfCarTest, RefusedWriteKeepsTheStoredWord)
{
    link.RefuseEcuNumber(56);
    EXPECT_EQ(record.WriteValue(ChangeoverRpm, 3000.0), 0);
    EXPECT_EQ(Word(ChangeoverRpm), 60);
    EXPECT_EQ(link.Writes(), std::vector{LinkCall::Write(56, 40)});
}

TEST_F(ConfCarTest, WriteValueWithoutConversionSendsNothing)
{
    EXPECT_EQ(record.WriteValue(-3, 1.0), -1);
    for (const ParamIndex index : {0, 1, 11, 20, 25, 27, 60, 61, 75})
        EXPECT_EQ(record.WriteValue(index, 5.0), 0) << index;
    // Positions outside a code list are not written either.
    EXPECT_EQ(record.WriteValue(IgnitionType, 7.0), 0);
    EXPECT_EQ(record.WriteValue(ChangeoverMode, -1.0), 0);
    EXPECT_TRUE(link.Writes().empty());
    EXPECT_EQ(Word(IgnitionType), 50);
}

TEST_F(ConfCarTest, CustomerCodeIsSentButNeverStored)
{
    const ConfCar::Words before = record.RawWords();
    link.RefuseEverything();
    EXPECT_EQ(record.WriteValue(CustomerCode, 12345.0), 1);
    EXPECT_EQ(link.Writes(), std::vector{LinkCall::Write(64, 12345)});
    EXPECT_EQ(record.RawWords(), before);
}

TEST_F(ConfCarTest, BitViewsWriteTheWholeWordAndKeepNeighbours)
{
    struct Case {
        ParamIndex index;
        ParamIndex holder;
        std::uint32_t code;
        std::int32_t before;
        double user;
        std::int32_t after;
    };
    const Case cases[] = {
        {YellowWireUse, OptionFlags, 1, 0x25, 1.0, 0x2D},
        {YellowWireUse, OptionFlags, 1, 0x2D, 0.0, 0x25},
        {RpmSignalType, OptionFlags, 1, 0x2F, 1.0, 0x3F},
        {FixedDefault, OptionFlags, 1, 0x3E, 2.0, 0x3F},
        {FixedIdleTps, OptionFlags, 1, 0x3F, 0.0, 0x3B},
        {RichWhenCorrect, OptionFlags, 1, 0x20, 1.0, 0x22},
        {SwitchType, SwitchType, 66, 0xF3, 1.0, 0xF7},
        {SwitchType, SwitchType, 66, 0xF7, 0.0, 0xF3},
        {DecelBandWidth, DecelSettings, 22, 251, 3.0, 253},   // band 3 -> 5 in bits 0-2
        {DecelBandWidth, DecelSettings, 22, 251, -2.0, 248},
        {DecelExitTime, DecelSettings, 22, 251, 1000.0, 51},  // 1000 div 20 = 50 -> 48
        {DecelExitTime, DecelSettings, 22, 3, 4960.0, 251},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ConfCar::HoldingIndex(c.index), c.holder);
        Word(c.holder) = c.before;
        link.ClearCalls();
        link.RefuseEverything(true);
        EXPECT_EQ(record.WriteValue(c.index, c.user), 0);
        EXPECT_EQ(Word(c.holder), c.before) << "refused write of index " << c.index << " stored";
        EXPECT_EQ(link.Writes(), std::vector{LinkCall::Write(c.code, c.after)}) << "index " << c.index;

        link.RefuseEverything(false);
        EXPECT_EQ(record.WriteValue(c.index, c.user), 1);
        EXPECT_EQ(Word(c.holder), c.after) << "index " << c.index;
    }
}

TEST_F(ConfCarTest, InvertedSensors)
{
    // TpsType 1 ("lineare 5-0V") inverts KickdownTps and the TPS thresholds.
    Word(TpsType) = 1;
    ASSERT_TRUE(record.TpsInverted());
    Word(KickdownTps) = 255;
    EXPECT_EQ(record.ReadValue(KickdownTps), 0.0);
    Word(KickdownTps) = 0;
    EXPECT_EQ(record.ReadValue(KickdownTps), 5.0);
    EXPECT_EQ(record.WriteValue(KickdownTps, 1.0), 1);
    EXPECT_EQ(Word(KickdownTps), 203);
    Word(TpsThresholds, 1) = 153;
    EXPECT_EQ(record.ReadItem(TpsThresholds, 1), 2.0);
    EXPECT_EQ(record.WriteItem(TpsThresholds, 2, 1.0), 1.0);
    EXPECT_EQ(Word(TpsThresholds, 2), 204);

    Word(TpsType) = 4;
    ASSERT_FALSE(record.TpsInverted());
    EXPECT_EQ(record.ReadItem(TpsThresholds, 1), 3.0);
    EXPECT_EQ(record.WriteItem(TpsThresholds, 2, 1.0), 1.0);
    EXPECT_EQ(Word(TpsThresholds, 2), 51);

    // LevelSensorType 193 carries the bit of value 128.
    Word(LevelSensorType) = 193;
    ASSERT_TRUE(record.LevelSensorInverted());
    Word(LowLevelReturn) = 5;
    EXPECT_EQ(record.ReadValue(LowLevelReturn), 250);
    EXPECT_EQ(record.WriteValue(LowLevelReturn, 200.0), 1);
    EXPECT_EQ(Word(LowLevelReturn), 55);
    Word(LevelSensorType) = 2;
    EXPECT_EQ(record.ReadValue(LowLevelReturn), 55);
}

TEST_F(ConfCarTest, ItemsReadAndWriteOneElement)
{
    EXPECT_EQ(record.ReadItem(LambdaReferences, 1), 0.0);  // defined before any read
    EXPECT_EQ(record.ReadItem(LevelSensorTable, 2), 114);
    EXPECT_EQ(record.ReadItem(GaugeOutputTable, 5), 250);

    EXPECT_EQ(record.WriteItem(LambdaReferences, 0, 0.06), 1.0);
    EXPECT_EQ(record.WriteItem(GaugeOutputTable, 3, 99.9), 1.0);
    EXPECT_EQ(link.Writes(), (std::vector{LinkCall::WriteItem(8475, 0, 2),
                                          LinkCall::WriteItem(24893, 3, 99)}));
    EXPECT_EQ(Word(LambdaReferences, 0), 2);
    EXPECT_EQ(Word(GaugeOutputTable, 3), 99);

    link.RefuseEverything();
    EXPECT_EQ(record.WriteItem(GaugeOutputTable, 3, 10.0), 0.0);
    EXPECT_EQ(Word(GaugeOutputTable, 3), 99);
}

TEST_F(ConfCarTest, ItemsOutsideTheTablesAreRefusedWithoutACall)
{
    const struct {
        ParamIndex index;
        int element;
    } cases[] = {{TpsThresholds, 3}, {LambdaReferences, 2}, {LevelSensorTable, 6},
                 {GaugeOutputTable, -1}, {ChangeoverRpm, 0}, {75, 0}};
    for (const auto& c : cases) {
        EXPECT_EQ(record.ReadItem(c.index, c.element), NoValue);
        EXPECT_EQ(record.WriteItem(c.index, c.element, 1.0), 0.0);
    }
    EXPECT_TRUE(link.ParamCalls().empty());
}

TEST_F(ConfCarTest, ReadTableRefreshesAndCopiesSixWords)
{
    link.SetReadValues(60, {1, 2, 3, 4, 5, 6});
    std::int32_t out[6] = {};
    EXPECT_EQ(record.ReadTable(LevelSensorTable, out), 1);
    EXPECT_EQ(link.ParamCalls(), std::vector{LinkCall::Read(24892)});
    EXPECT_EQ(std::vector(out, out + 6), (std::vector{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Word(LevelSensorTable, 5), 6);
}

TEST_F(ConfCarTest, WriteTableStoresOnlyWhenAllSixAreAccepted)
{
    const std::int32_t table[6] = {10, 20, 30, 40, 50, 60};
    link.RefuseParamCall(3);
    EXPECT_EQ(record.WriteTable(LevelSensorTable, table), 0);
    EXPECT_EQ(link.Writes(), (std::vector{LinkCall::WriteItem(60, 0, 10), LinkCall::WriteItem(60, 1, 20),
                                          LinkCall::WriteItem(60, 2, 30)}));
    for (int e = 0; e < 6; ++e) EXPECT_EQ(Word(LevelSensorTable, e), (std::array{25, 55, 114, 161, 215, 225}[e]));

    link.ClearCalls();
    EXPECT_EQ(record.WriteTable(GaugeOutputTable, table), 1);
    EXPECT_EQ(link.Writes().size(), 6u);
    EXPECT_EQ(link.Writes().back(), LinkCall::WriteItem(61, 5, 60));
    for (int e = 0; e < 6; ++e) EXPECT_EQ(Word(GaugeOutputTable, e), table[e]);
}

TEST_F(ConfCarTest, SensorTable)
{
    Word(OptionFlags) = 32;
    const struct {
        std::int32_t sensor;
        bool active;
    } cases[] = {{129, false}, {131, true}, {4, true}, {2, false}};
    for (const auto& c : cases) {
        Word(LevelSensorType) = c.sensor;
        EXPECT_EQ(record.SensorTableActive(), c.active) << c.sensor;
    }
    Word(OptionFlags) = 0;
    EXPECT_FALSE(record.SensorTableActive());

    Word(OptionFlags) = 0x05;
    link.RefuseEverything();
    EXPECT_FALSE(record.SetSensorTableEnable(true));
    EXPECT_EQ(Word(OptionFlags), 0x05);
    link.RefuseEverything(false);
    EXPECT_TRUE(record.SetSensorTableEnable(true));
    EXPECT_EQ(Word(OptionFlags), 0x25);
    EXPECT_TRUE(record.SetSensorTableEnable(false));
    EXPECT_EQ(Word(OptionFlags), 0x05);
    EXPECT_EQ(link.Writes(), (std::vector{LinkCall::Write(1, 0x25), LinkCall::Write(1, 0x25),
                                          LinkCall::Write(1, 0x05)}));
}

TEST(ConfCarLinkTest, WithoutLinkEveryWriteIsRefused)
{
    ConfCar record;
    EXPECT_EQ(record.WriteValue(IdleOpenStepsMax, 30.0), 0);
    EXPECT_EQ(record.WriteItem(GaugeOutputTable, 0, 1.0), 0.0);
    EXPECT_EQ(*record.MemberOf(IdleOpenStepsMax), 25);
    EXPECT_EQ(record.ReadValue(DefaultPosition), 100);
}

TEST(ConfCarLinkTest, AcceptingOfflineLinkStoresEveryWrite)
{
    ConfCar record;
    OfflineLink offline(OfflineLink::Writes::AcceptAll);
    record.AttachLink(&offline);
    EXPECT_EQ(record.WriteValue(IdleOpenStepsMax, 30.0), 1);
    EXPECT_EQ(*record.MemberOf(IdleOpenStepsMax), 30);
    // Reads through it change nothing.
    EXPECT_EQ(record.ReadValue(DefaultPosition), 100);
    std::uint8_t ident[4] = {9, 9, 9, 9};
    EXPECT_FALSE(offline.ReadIdent(ident));
    EXPECT_EQ(offline.IsConnected(), 0);
}

TEST(ConfCarDefaultsTest, ResetDefaultsRestoresTheCatalogue)
{
    ConfCar record;
    record.RawWords().fill(-7);
    record.ReducedModel = true;
    record.ResetDefaults();
    EXPECT_EQ(*record.MemberOf(IgnitionType), 50);
    EXPECT_EQ(record.MemberOf(LambdaReferences)[1], 0);
    EXPECT_EQ(record.MemberOf(LevelSensorTable)[5], 225);
    EXPECT_EQ(*record.MemberOf(GasStartTemp), 51);
    EXPECT_TRUE(record.ReducedModel);  // not a parameter
    for (const std::int32_t word : record.RawWords()) EXPECT_NE(word, -7);
}

TEST(ConfCarDefaultsTest, MemberOfNamesTheStorage)
{
    ConfCar record;
    for (const ParamIndex index : {0, 11, 20, 21, 26, 29, 37, 47, 49, 50, 64, 65, 67, 68, 69, 70, 71, 72, 75, -1})
        EXPECT_EQ(record.MemberOf(index), nullptr) << index;
    EXPECT_EQ(record.MemberOf(OptionFlags), &record.RawWords()[0]);
    EXPECT_EQ(record.MemberOf(GasStartTemp), &record.RawWords()[69]);
}

}  // namespace
