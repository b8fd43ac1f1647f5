// The tool's building blocks called directly: number text, JSON strings,
// argument splitting, live-page decoding and the progress bar.
#include "Commands.h"
#include "Json.h"
#include "LiveSample.h"
#include "NumberText.h"
#include "ProgressBar.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdio>

namespace lumex::cli {
namespace {

TEST(NumberText, FormatsShortestFixedTextThatReadsBack)
{
    const struct { double value; const char* text; } cases[] = {
        {2.0, "2"}, {0.14, "0.14"}, {-1000.0, "-1000"}, {800000.0, "800000"},
        {14.94207419007069, "14.94207419007069"}, {0.1 + 0.2, "0.30000000000000004"},
        {1e21, "1000000000000000000000"}, {-0.0, "-0"},
    };
    for (const auto& c : cases) EXPECT_EQ(FormatNumber(c.value), c.text) << c.text;
}

TEST(NumberText, IgnoresTheProcessLocale)
{
    // Only meaningful where the locale exists; harmless elsewhere.
    const char* set = std::setlocale(LC_ALL, "de_DE.UTF-8");
    EXPECT_EQ(FormatNumber(0.14), "0.14");
    EXPECT_EQ(ParseNumber("2.5"), 2.5);
    EXPECT_EQ(ParseNumber("2,5"), std::nullopt);
    if (set != nullptr) std::setlocale(LC_ALL, "C");
}

TEST(NumberText, HundredthsKeepTwoPlaces)
{
    EXPECT_EQ(FormatHundredths(45), "0.45");
    EXPECT_EQ(FormatHundredths(500), "5.00");
    EXPECT_EQ(FormatHundredths(7), "0.07");
    EXPECT_EQ(FormatHundredths(-5), "-0.05");
}

TEST(NumberText, ParsesWholeTextsOnly)
{
    EXPECT_EQ(ParseNumber("-3.25"), -3.25);
    EXPECT_EQ(ParseInt("-3"), -3);
    for (const char* bad : {"", " 1", "1 ", "+1", "1x", "0x10", "1e999"})
        EXPECT_EQ(ParseNumber(bad), std::nullopt) << bad;
    for (const char* bad : {"", "1.0", "99999999999", "7:"})
        EXPECT_EQ(ParseInt(bad), std::nullopt) << bad;
}

TEST(Json, EscapesQuotesBackslashesAndControls)
{
    EXPECT_EQ(JsonString("a\"b\\c"), "\"a\\\"b\\\\c\"");
    EXPECT_EQ(JsonString("x\ny\t\x01"), "\"x\\ny\\t\\u0001\"");
    EXPECT_EQ(JsonString("°C"), "\"°C\"");
    EXPECT_EQ(JsonNumber(0.5), "0.5");
    EXPECT_EQ(JsonNumber(1.0 / 0.0), "null");
}

TEST(Args, NumbersAreValuesAndOptionsMayTakeOne)
{
    const ParsedArgs args = ParseArgs({"f", "-3", "-o", "out", "--count=4", "--json", "--", "--x"},
                                      {"-o"});
    EXPECT_EQ(args.positionals, (std::vector<std::string>{"f", "-3", "--x"}));
    EXPECT_EQ(args.ValueOf("-o"), "out");
    EXPECT_EQ(args.ValueOf("--count"), "4");
    EXPECT_TRUE(args.Has("--json"));
    EXPECT_FALSE(args.Has("--once"));
}

TEST(LiveDecode, ConvertsBothPages)
{
    LivePage page0 = {60, 23, 255, 0x32, 128 | 4, 117};
    LivePage page1 = {128, 90, 8 | 1, 0, 100};
    const LiveSample s = DecodeLive(page0, page1);
    EXPECT_EQ(s.rpm, 2000);
    EXPECT_EQ(s.lambdaHundredths, 46);   // trunc(23.5 * 500 / 255) = trunc(46.07)
    EXPECT_EQ(s.tpsHundredths, 500);
    EXPECT_EQ(s.tpsZone, 2);
    EXPECT_EQ(s.lambdaState, 3);
    EXPECT_TRUE(s.atUpperLimit);
    EXPECT_FALSE(s.atLowerLimit);
    EXPECT_TRUE(s.cutOff);
    EXPECT_EQ(s.actuatorPosition, 117);
    EXPECT_EQ(s.celsius, 24);            // celsius(128) is about 24.84
    EXPECT_EQ(s.gasLevel, 90);
    EXPECT_TRUE(s.onGas);
    EXPECT_EQ(FormatSample(s),
              "rpm 2000  lambda 0.46 V  tps 5.00 V zone 2  actuator 117 upper,cutoff  "
              "temp 24 °C  level 90  gas");
}

TEST(LiveDecode, TemperatureZeroAndNoSensorShowNothing)
{
    for (const std::uint8_t raw : {std::uint8_t{0}, std::uint8_t{255}}) {
        LivePage page0 = {};
        LivePage page1 = {raw};
        const LiveSample s = DecodeLive(page0, page1);
        EXPECT_FALSE(s.celsius.has_value()) << int(raw);
        EXPECT_NE(FormatSample(s).find("temp n/a"), std::string::npos);
        EXPECT_NE(FormatSample(s).find("rpm 0 "), std::string::npos);
        EXPECT_NE(FormatSample(s).find("actuator 0 -"), std::string::npos);
    }
}

TEST(Progress, AddsStepsAndSetsPositions)
{
    std::FILE* sink = std::tmpfile();
    ASSERT_NE(sink, nullptr);
    ProgressBar bar(sink);
    for (int i = 0; i < 11; ++i) bar.SendToActiveWindow(WM_LINK_PROGRESS, 9, 1);
    EXPECT_EQ(bar.Position(), 99);
    bar.SendToActiveWindow(WM_LINK_STATE, 0, 0);
    EXPECT_EQ(bar.Position(), 99);
    bar.SendToActiveWindow(WM_LINK_PROGRESS, 100, 0);
    EXPECT_EQ(bar.Position(), 100);
    std::fclose(sink);
}

}  // namespace
}  // namespace lumex::cli
