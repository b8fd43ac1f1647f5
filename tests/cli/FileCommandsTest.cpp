// lumexctl on configuration files: new, get, set, show, diff, validate,
// run as the built program.
#include "CliRun.h"
#include "DefaultFile.h"
#include "JsonCheck.h"

#include <gtest/gtest.h>

#include <regex>

namespace lumex::cli::test {
namespace {

std::string ReplaceLine(std::string text, const std::string& from, const std::string& to)
{
    const auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

std::size_t Count(const std::string& text, const std::string& what)
{
    std::size_t n = 0;
    for (auto at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
    return n;
}

using FileCommands = CliTest;

TEST_F(FileCommands, NewWritesTheDefaultFileByteForByte)
{
    const std::string path = NewFile("default.mrb");
    EXPECT_EQ(ReadText(path), kDefaultFile);
}

TEST_F(FileCommands, NewIntoMissingFolderFails)
{
    const CliResult result = Run({"new", Path("no/such/folder/x.mrb")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_FALSE(result.err.empty());
}

TEST_F(FileCommands, GetPrintsShortestFixedNumbers)
{
    const std::string path = NewFile("a.mrb");
    const struct { const char* ref; const char* expected; } cases[] = {
        {"58", "14.94207419007069"}, {"56", "2000"}, {"ChangeoverRpm", "2000"},
        {"23", "2"}, {"24", "0.14"}, {"0", "800000"}, {"75", "800000"},
        {"25:1", "2"}, {"60:2", "114"}, {"LevelSensorTable:5", "225"},
        {"2", "6"}, {"54", "0.4"}, {"70", "1"}, {"71", "4960"},
    };
    for (const auto& c : cases) {
        const CliResult result = Run({"get", path, c.ref});
        EXPECT_EQ(result.exitCode, 0) << c.ref << ": " << result.err;
        EXPECT_EQ(result.out, std::string(c.expected) + "\n") << c.ref;
    }
}

TEST_F(FileCommands, GetPrintsOneLinePerParamInOrder)
{
    const std::string path = NewFile("a.mrb");
    const CliResult result = Run({"get", path, "24", "56", "25:2"}, "LC_ALL=de_DE.UTF-8");
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, "0.14\n2000\n3.5\n");
}

TEST_F(FileCommands, GetRefusesBadParamsWithoutPrintingValues)
{
    const std::string path = NewFile("a.mrb");
    for (const char* ref : {"x", "NoSuchName", "25:", "25:a", "", "1.5", "56:1:2"}) {
        const CliResult result = Run({"get", path, "56", ref});
        EXPECT_EQ(result.exitCode, 1) << ref;
        EXPECT_EQ(result.out, "") << ref;
        EXPECT_NE(result.err, "") << ref;
    }
}

// Files the strict loader refuses, with the line it must name.
struct BrokenFile {
    const char* what;
    std::string text;
    int line;   // 0: only "FILE:N:" with some N is required
};

std::vector<BrokenFile> BrokenFiles()
{
    const std::string good = kDefaultFile;
    return {
        {"not a number", ReplaceLine(good, "39 39 100\r\n", "39 39 abc\r\n"), 42},
        {"too many values", ReplaceLine(good, "25 12569 0 102 178 ", "25 28953 0 102 178 1 2 3 4 "), 28},
        {"long first line", std::string(90, '#') + good.substr(good.find("\r\n")), 1},
        {"truncated", good.substr(0, good.find("40 40 100")), 0},
    };
}

TEST_F(FileCommands, RefusedFilesNameTheLineAndPrintNothing)
{
    for (const BrokenFile& broken : BrokenFiles()) {
        const std::string path = Path("broken.mrb");
        WriteText(path, broken.text);
        const std::regex pattern("^" + path + ":([0-9]+): .+\n$");
        for (const std::vector<std::string>& args :
             {std::vector<std::string>{"get", path, "56"},
              std::vector<std::string>{"validate", path},
              std::vector<std::string>{"show", path},
              std::vector<std::string>{"set", path, "56", "2200"}}) {
            const CliResult result = Run(args);
            EXPECT_EQ(result.exitCode, 1) << broken.what << " " << args[0];
            EXPECT_EQ(result.out, "") << broken.what << " " << args[0];
            std::smatch match;
            ASSERT_TRUE(std::regex_match(result.err, match, pattern))
                << broken.what << " " << args[0] << ": " << result.err;
            if (broken.line != 0) {
                EXPECT_EQ(match[1], std::to_string(broken.line)) << broken.what;
            }
        }
        EXPECT_EQ(ReadText(path), broken.text) << broken.what << ": set must not touch it";
    }
}

TEST_F(FileCommands, MissingFileIsRefused)
{
    const std::string path = Path("missing.mrb");
    const CliResult result = Run({"validate", path});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err.rfind(path + ":", 0), 0u) << result.err;
}

TEST_F(FileCommands, ValidateAcceptsAGoodFile)
{
    const std::string path = NewFile("a.mrb");
    const CliResult result = Run({"validate", path});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out, path + ": ok\n");
}

struct SetCase {
    const char* ref;
    const char* value;
    const char* result;     // line 1
    const char* words;      // line 2
    const char* readBack;   // get PARAM afterwards
};

TEST_F(FileCommands, SetPrintsResultAndWordsAndSavesTheFile)
{
    const SetCase cases[] = {
        {"65", "1", "1", "8", "1"},                 // OptionFlags bit 8
        {"73", "1", "1", "4", "0"},                 // SwitchType bit 4; not in files
        {"70", "3", "1", "253", "3"},               // band bits, exit-time bits kept
        {"71", "1000", "1", "51", "960"},           // exit-time bits, band bits kept
        {"72", "5", "1", "", "800000"},             // customer code: nothing stored
        {"56", "2200", "1", "54", "2200"},
        {"ChangeoverRpm", "499", "1", "255", "0"},
        {"23", "2.01", "1", "102", "2"},
        {"25:1", "2.5", "1", "0 127 178", "2.5"},
        {"60:2", "-7", "1", "25 55 -7 161 215 225", "-7"},
        {"63", "3", "1", "4", "3"},
    };
    for (const SetCase& c : cases) {
        const std::string path = NewFile("set.mrb");
        const CliResult set = Run({"set", path, c.ref, c.value}, "LC_NUMERIC=de_DE.UTF-8");
        EXPECT_EQ(set.exitCode, 0) << c.ref << ": " << set.err;
        EXPECT_EQ(set.out, std::string(c.result) + "\n" + c.words + "\n") << c.ref;
        const bool keptInFile = std::string(c.ref) != "73" && std::string(c.ref) != "72";
        EXPECT_EQ(set.err.empty(), keptInFile) << c.ref << ": " << set.err;
        const CliResult get = Run({"get", path, c.ref});
        EXPECT_EQ(get.out, std::string(c.readBack) + "\n") << c.ref << ": " << get.err;
    }
}

TEST_F(FileCommands, SetRewritesOnlyTheChangedLine)
{
    const std::string path = NewFile("a.mrb");
    ASSERT_EQ(Run({"set", path, "56", "2200"}).exitCode, 0);
    EXPECT_EQ(ReadText(path), ReplaceLine(kDefaultFile, "56 56 60\r\n", "56 56 54\r\n"));
}

TEST_F(FileCommands, SetThatTheRecordDoesNotTakeReportsItsResultAndChangesNothing)
{
    const struct { const char* ref; const char* out; } cases[] = {
        {"1", "0\n0\n"},    // OptionFlags is read-only as a whole
        {"0", "0\n\n"},
        {"-3", "-1\n\n"},   // a negative index, not an option
        {"56:0", "0\n60\n"},
    };
    for (const auto& c : cases) {
        const std::string path = NewFile("a.mrb");
        const CliResult result = Run({"set", path, c.ref, "5"});
        EXPECT_EQ(result.exitCode, 0) << c.ref;
        EXPECT_EQ(result.out, c.out) << c.ref;
        EXPECT_NE(result.err.find("did not take"), std::string::npos) << c.ref;
        EXPECT_EQ(ReadText(path), kDefaultFile) << c.ref;
    }
}

TEST_F(FileCommands, SetRejectsValuesThatAreNotNumbers)
{
    const std::string path = NewFile("a.mrb");
    for (const char* value : {"abc", "2,5", "", "inf", "nan", "1e999"}) {
        const CliResult result = Run({"set", path, "56", value});
        EXPECT_EQ(result.exitCode, 1) << value;
        EXPECT_EQ(result.out, "") << value;
    }
    EXPECT_EQ(ReadText(path), kDefaultFile);
}

TEST_F(FileCommands, DiffListsChangedParametersInUserUnits)
{
    const std::string a = NewFile("a.mrb");
    const std::string b = NewFile("b.mrb");
    CliResult result = Run({"diff", a, b});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.out, "no differences\n");

    ASSERT_EQ(Run({"set", b, "56", "2200"}).exitCode, 0);
    ASSERT_EQ(Run({"set", b, "65", "1"}).exitCode, 0);
    result = Run({"diff", a, b});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_EQ(result.out,
              "1 OptionFlags: 0 -> 8 (raw 0 -> 8)\n"
              "56 ChangeoverRpm: 2000 rpm -> 2200 rpm (raw 60 -> 54)\n"
              "65 YellowWireUse: 0 Stacca Iniettori -> 1 Stacca Memoria\n");

    result = Run({"diff", a, b, "--json"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_TRUE(JsonCheck::IsValid(result.out)) << result.out;
    EXPECT_EQ(Count(result.out, "\"index\":"), 6u);  // three pairs
}

TEST_F(FileCommands, DiffFailsWhenAFileDoesNotLoad)
{
    const std::string a = NewFile("a.mrb");
    const CliResult result = Run({"diff", a, Path("missing.mrb")});
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.out, "");
}

TEST_F(FileCommands, ShowListsEveryParameterWithStorageOrView)
{
    const std::string path = NewFile("a.mrb");
    const CliResult result = Run({"show", path});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    const auto lines = Lines(result.out);
    // 57 indices with storage and 7 bit views.
    EXPECT_EQ(lines.size(), 64u);
    const auto lineOf = [&lines](const std::string& name) {
        for (const auto& line : lines)
            if (line.find(" " + name + " ") != std::string::npos) return line;
        return std::string();
    };
    EXPECT_NE(lineOf("ChangeoverRpm").find("raw 60 "), std::string::npos);
    EXPECT_NE(lineOf("ChangeoverRpm").find("2000 rpm"), std::string::npos);
    EXPECT_NE(lineOf("IgnitionType").find("6 biBobina"), std::string::npos);
    EXPECT_NE(lineOf("ChangeoverTemp").find("14.94207419007069 °C"), std::string::npos);
    EXPECT_NE(lineOf("TpsThresholds").find("0 2 3.5 V"), std::string::npos);
    EXPECT_NE(lineOf("DecelExitTime").find("251 (in DecelSettings)"), std::string::npos);
    EXPECT_NE(lineOf("FuelOverlapTime").find("0.4 s"), std::string::npos);
}

TEST_F(FileCommands, ShowJsonIsValidAndLocaleIndependent)
{
    const std::string path = NewFile("a \"quoted\" name.mrb");
    const CliResult plain = Run({"show", path, "--json"});
    ASSERT_EQ(plain.exitCode, 0) << plain.err;
    EXPECT_TRUE(JsonCheck::IsValid(plain.out)) << plain.out;
    EXPECT_EQ(Count(plain.out, "\"index\":"), 64u);
    EXPECT_NE(plain.out.find("\"value\":14.94207419007069"), std::string::npos);
    EXPECT_NE(plain.out.find("\"value\":[0,2,3.5]"), std::string::npos);

    const CliResult german = Run({"show", path, "--json"}, "LC_ALL=de_DE.UTF-8");
    EXPECT_EQ(german.out, plain.out);
}

TEST_F(FileCommands, EveryCommandHasHelpAndUsageErrorsExitOne)
{
    for (const char* command : {"new", "get", "set", "show", "diff", "validate", "ident", "read",
                                "write", "monitor"}) {
        const CliResult help = Run({command, "--help"});
        EXPECT_EQ(help.exitCode, 0) << command;
        EXPECT_EQ(help.out.rfind("usage: lumexctl", 0), 0u) << command;
    }
    EXPECT_EQ(Run({"--help"}).exitCode, 0);
    for (const std::vector<std::string>& args :
         {std::vector<std::string>{}, {"frobnicate"}, {"new"}, {"show", "a", "--xml"},
          {"--bogus", "new", "x"}}) {
        const CliResult result = Run(args);
        EXPECT_EQ(result.exitCode, 1) << (args.empty() ? "" : args[0]);
        EXPECT_NE(result.err, "");
    }
}

}  // namespace
}  // namespace lumex::cli::test
