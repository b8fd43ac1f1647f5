// lumexctl's port commands against the built-in virtual ECU ("sim").
#include "CliRun.h"
#include "DefaultFile.h"

#include <gtest/gtest.h>

#include <regex>

namespace lumex::cli::test {
namespace {

using PortCommands = CliTest;

TEST_F(PortCommands, IdentPrintsTheFourBytesFirst)
{
    const CliResult result = Run({"--port", "sim", "ident"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = Lines(result.out);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("7 0 1 [0-9]+"))) << lines[0];
    EXPECT_NE(lines[1].find("family 7"), std::string::npos);
}

TEST_F(PortCommands, PortComesFromTheEnvironmentToo)
{
    const CliResult result = Run({"ident"}, "LUMEX_PORT=sim");
    EXPECT_EQ(result.exitCode, 0) << result.err;
}

TEST_F(PortCommands, MissingOrUnknownPortFails)
{
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{"ident"}, {"--port", "nowhere", "ident"},
          {"--port", "nowhere", "monitor", "--once"}, {"--port"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 1) << args.back();
        EXPECT_EQ(result.out, "") << args.back();
        EXPECT_NE(result.err, "") << args.back();
    }
}

TEST_F(PortCommands, ReadSavesAFileThatValidatesWithTheEcuDefaults)
{
    const std::string path = Path("read.mrb");
    const CliResult read = Run({"--port", "sim", "read", "-o", path});
    ASSERT_EQ(read.exitCode, 0) << read.err;
    // Not a terminal: no progress bar in the captured error output.
    EXPECT_EQ(read.err, "");

    const CliResult validate = Run({"validate", path});
    EXPECT_EQ(validate.exitCode, 0) << validate.err;
    const CliResult get = Run({"get", path, "56", "58", "60:5"});
    EXPECT_EQ(get.out, "2000\n14.94207419007069\n225\n");
    // Read while connected: the identification line is the ECU's own.
    EXPECT_TRUE(std::regex_search(ReadText(path), std::regex("^#define start  \"MORBEL ConfigFile\"\r\n7 0 1 [0-9]+\r\n")));
}

TEST_F(PortCommands, ReadNeedsAnOutputFile)
{
    EXPECT_EQ(Run({"--port", "sim", "read"}).exitCode, 1);
    EXPECT_EQ(Run({"--port", "sim", "read", "-o"}).exitCode, 1);
}

TEST_F(PortCommands, WriteSendsAFileAndCountsRefusals)
{
    const std::string path = Path("a.mrb");
    WriteText(path, kDefaultFile);
    const CliResult result = Run({"--port", "sim", "write", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_NE(result.out.find(" 0 refused"), std::string::npos) << result.out;

    // A value no ECU cell holds is refused by the unit.
    ASSERT_EQ(Run({"set", path, "60:2", "-7"}).exitCode, 0);
    ASSERT_EQ(Run({"set", path, "59", "3"}).exitCode, 0);  // table is sent for code 131
    const CliResult refused = Run({"--port", "sim", "write", path});
    EXPECT_EQ(refused.exitCode, 1);
    EXPECT_NE(refused.out.find(" 1 refused"), std::string::npos) << refused.out;
}

TEST_F(PortCommands, WriteOfABrokenFileSendsNothing)
{
    const std::string path = Path("broken.mrb");
    WriteText(path, "#define start  \"MORBEL ConfigFile\"\r\n7 0 1 0\r\n0 256 800000\r\n");
    const CliResult result = Run({"--port", "sim", "write", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind(path + ":", 0), 0u) << result.err;
}

TEST_F(PortCommands, MonitorPrintsSamplesWithDotsWhateverTheLocale)
{
    const std::regex sample(
        "rpm [0-9]+  lambda [0-9]+\\.[0-9]{2} V  tps [0-9]+\\.[0-9]{2} V zone [0-3]  "
        "actuator [0-9]+ [-a-z,]+  temp (-?[0-9]+ °C|n/a)  level [0-9]+  (petrol|gas)");
    for (const char* env : {"LC_ALL=de_DE.UTF-8", "LC_NUMERIC=C"}) {
        const CliResult once = Run({"--port", "sim", "monitor", "--once"}, env);
        ASSERT_EQ(once.exitCode, 0) << once.err;
        const auto lines = Lines(once.out);
        ASSERT_EQ(lines.size(), 1u) << once.out;
        EXPECT_TRUE(std::regex_match(lines[0], sample)) << lines[0];
    }
    const CliResult three = Run({"--port", "sim", "monitor", "--count", "3"});
    EXPECT_EQ(three.exitCode, 0) << three.err;
    EXPECT_EQ(Lines(three.out).size(), 3u);
    EXPECT_EQ(Run({"--port", "sim", "monitor", "--count", "0"}).exitCode, 1);
}

}  // namespace
}  // namespace lumex::cli::test
