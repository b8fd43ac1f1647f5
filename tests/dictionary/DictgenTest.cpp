// The dictionary generator: its Windows-1252 conversion, its reading of the
// source table, and the tool as the build runs it.
#include "Cp1252.h"
#include "DictionarySource.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <unistd.h>

namespace {

using namespace lumex::dictgen;
namespace fs = std::filesystem;

TEST(Cp1252, EncodesLatinLettersAndTheHighBlock) {
    struct Case {
        std::string utf8;
        std::string bytes;
    };
    const Case cases[] = {
        {"verrà", "verr\xE0"},
        {"già più è", "gi\xE0 pi\xF9 \xE8"},
        {"°C", "\xB0"
               "C"},
        {"€", "\x80"},
        {"Œ…—™ž", "\x8C\x85\x97\x99\x9E"},
        {"ÿ", "\xFF"},
        {"a\nb", "a\nb"},
    };
    for (const Case& c : cases) {
        const Cp1252Result result = utf8ToCp1252(c.utf8);
        EXPECT_TRUE(result.ok()) << c.utf8 << ": " << result.error;
        EXPECT_EQ(result.bytes, c.bytes) << c.utf8;
    }
}

TEST(Cp1252, RefusesWhatTheCodePageCannotHoldAndMalformedInput) {
    struct Case {
        std::string utf8;
        std::string errorPart;
    };
    const Case cases[] = {
        {"ā", "U+0101"},                  // Latin, but outside the code page
        {"x\u0081", "U+0081"},           // C1 control: its byte means something else here
        {"\xF0\x9F\x98\x80", "U+1F600"},  // beyond the BMP
        {"ab\xC3", "malformed UTF-8 at byte 3"},
        {"\xC0\xAF", "malformed"},        // overlong '/'
        {"\xED\xA0\x80", "malformed"},    // surrogate
        {"\xE0\xA4", "malformed"},        // truncated
    };
    for (const Case& c : cases) {
        const Cp1252Result result = utf8ToCp1252(c.utf8);
        EXPECT_FALSE(result.ok()) << c.errorPart;
        EXPECT_NE(result.error.find(c.errorPart), std::string::npos) << result.error;
    }
}

TEST(Cp1252, EveryAssignedByteRoundTripsAndUnassignedOnesDecodeToReplacement) {
    for (int b = 1; b < 256; ++b) {
        const std::string byte(1, static_cast<char>(b));
        const std::string decoded = cp1252ToUtf8(byte);
        if (b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D) {
            EXPECT_EQ(decoded, "\uFFFD") << b;
            continue;
        }
        EXPECT_EQ(utf8ToCp1252(decoded).bytes, byte) << b;
    }
}

TEST(DictionarySource, ReadsRowsSkippingCommentsAndResolvingEscapes) {
    const std::string text =
        "\xEF\xBB\xBFIDENTIF\tITALIANO\tENGLISH\r\n"
        "# comment\r\n"
        "\r\n"
        "MessA\tRiga uno\\nRiga due\tLine one\\nLine two\r\n"
        "Path\tC:\\\\dati\tC:\\\\data\n"
        "messa\tminuscola\tlower case\n";
    const ParseResult parsed = parseDictionarySource(text, "d.tsv");
    ASSERT_TRUE(parsed.ok()) << parsed.error;
    EXPECT_EQ(parsed.source.languages, (std::vector<std::string>{"ITALIANO", "ENGLISH"}));
    ASSERT_EQ(parsed.source.rows.size(), 3u);
    EXPECT_EQ(parsed.source.rows[0].key, "MessA");
    EXPECT_EQ(parsed.source.rows[0].line, 4);
    EXPECT_EQ(parsed.source.rows[0].texts[0], "Riga uno\nRiga due");
    EXPECT_EQ(parsed.source.rows[1].texts[1], "C:\\data");
    // Keys differing only in case are different keys.
    EXPECT_EQ(parsed.source.rows[2].key, "messa");
}

TEST(DictionarySource, RefusesMalformedSourcesNamingTheLine) {
    struct Case {
        const char* what;
        std::string text;
        std::string error;
    };
    const std::string header = "IDENTIF\tITALIANO\tENGLISH\n";
    const Case cases[] = {
        {"key column", "KEY\tITALIANO\n", "d.tsv:1: the first column must be named IDENTIF"},
        {"no language", "IDENTIF\n", "d.tsv:1: no language column"},
        {"name cut by dBase", "IDENTIF\tITALIANOXYZ\n", "d.tsv:1: language column \"ITALIANOXYZ\""},
        {"non-ASCII name", "IDENTIF\tFRANÇAIS\n", "d.tsv:1: language column"},
        {"same language twice", "IDENTIF\tENGLISH\tEnglish\n", "d.tsv:1: column \"English\" appears twice"},
        {"missing cell", header + "A\ta\tb\nB\tb\n", "d.tsv:3: expected 3 tab-separated cells, found 2"},
        {"extra cell", header + "A\ta\tb\tc\n", "d.tsv:2: expected 3"},
        {"duplicate key", header + "A\ta\tb\n# x\nA\tc\td\n", "d.tsv:4: key A already defined on line 2"},
        {"empty key", header + "\ta\tb\n", "d.tsv:2: key \"\""},
        {"unknown escape", header + "A\ta\\tb\tb\n", "d.tsv:2: ITALIANO: unknown escape"},
        {"lone backslash", header + "A\ta\tb\\\n", "d.tsv:2: ENGLISH: unknown escape"},
        {"outer blank", header + "A\ta \tb\n", "d.tsv:2: ITALIANO: text starts or ends with a blank"},
        {"control character", header + "A\ta\x01\tb\n", "d.tsv:2: ITALIANO: control character"},
        {"empty file", "", "d.tsv:1: empty file"},
    };
    for (const Case& c : cases) {
        const ParseResult parsed = parseDictionarySource(c.text, "d.tsv");
        EXPECT_EQ(parsed.error.substr(0, c.error.size()), c.error) << c.what;
    }
}

TEST(DictionarySource, EncodingRefusesUnstorableAndOverlongTextsNamingLineAndLanguage) {
    const std::string fits(kTextWidth, 'x');
    const std::string header = "IDENTIF\tITALIANO\tENGLISH\n";
    struct Case {
        std::string rows;
        std::string error;  // empty: accepted
    };
    const Case cases[] = {
        {"A\ta\t" + fits + "\n", ""},
        {"A\ta\tb\nB\tb\t" + fits + "x\n", "d.tsv:3: B ENGLISH: text of 255 characters"},
        {"A\ta\tb\n# c\nB\tCittà\tCaf\xC4\x81\n", "d.tsv:4: B ENGLISH: character U+0101"},
    };
    for (const Case& c : cases) {
        const ParseResult parsed = parseDictionarySource(header + c.rows, "d.tsv");
        ASSERT_TRUE(parsed.ok()) << parsed.error;
        const EncodedDictionary encoded = encodeDictionary(parsed.source, "d.tsv");
        EXPECT_EQ(encoded.error.substr(0, c.error.size()), c.error);
        EXPECT_EQ(encoded.ok(), c.error.empty()) << encoded.error;
    }
}

// Runs the tool the build runs, in a scratch folder of its own.
class DictgenTool : public ::testing::Test {
protected:
    void SetUp() override {
        folder_ = fs::temp_directory_path() /
                  ("lumex-dictgen-" + std::to_string(::getpid()) + "-" +
                   ::testing::UnitTest::GetInstance()->current_test_info()->name());
        fs::remove_all(folder_);
        fs::create_directories(folder_);
    }
    void TearDown() override { fs::remove_all(folder_); }

    int run(const std::string& source) {
        std::ofstream(folder_ / "in.tsv", std::ios::binary) << source;
        const std::string command = "'" + std::string(LUMEX_DICTGEN) + "' '" + (folder_ / "in.tsv").string() +
                                    "' '" + output().string() + "' 2> '" + (folder_ / "err.txt").string() + "'";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::string errors() const {
        std::ifstream in(folder_ / "err.txt");
        std::stringstream text;
        text << in.rdbuf();
        return text.str();
    }
    fs::path output() const { return folder_ / "Out.dbf"; }

private:
    fs::path folder_;
};

TEST_F(DictgenTool, WritesKeyColumnAsWideAsTheLongestKeyAndLineBreaksAsLineFeeds) {
    ASSERT_EQ(run("IDENTIF\tITALIANO\tENGLISH\n"
                  "MenuLingua\tItaliano\tEnglish\n"
                  "MessCancEe\tVerrà cancellata.\\nContinuare?\tIt will be erased.\\nContinue?\n"),
              0)
        << errors();
    DBFHandle dbf = DBFOpen(output().c_str(), "rb");
    ASSERT_NE(dbf, nullptr);
    char name[XBASE_FLDNAME_LEN_READ + 1] = {};
    int width = 0;
    EXPECT_EQ(DBFGetFieldInfo(dbf, 0, name, &width, nullptr), FTString);
    EXPECT_STREQ(name, "IDENTIF");
    EXPECT_EQ(width, 10);
    EXPECT_EQ(DBFGetFieldInfo(dbf, 2, name, &width, nullptr), FTString);
    EXPECT_STREQ(name, "ENGLISH");
    EXPECT_EQ(width, 254);
    EXPECT_STREQ(DBFReadStringAttribute(dbf, 1, 1), "Verr\xE0 cancellata.\nContinuare?");
    EXPECT_STREQ(DBFGetCodePage(dbf), "LDID/87");
    DBFClose(dbf);
}

TEST_F(DictgenTool, FailsWithFileAndLineAndLeavesNoTableBehind) {
    const int code = run("IDENTIF\tITALIANO\tENGLISH\n"
                         "A\ta\tb\n"
                         "B\tb\t\xE2\x82\xBD\n");  // the rouble sign
    EXPECT_NE(code, 0);
    EXPECT_NE(errors().find("in.tsv:3: B ENGLISH: character U+20BD"), std::string::npos) << errors();
    EXPECT_FALSE(fs::exists(output()));
    EXPECT_FALSE(fs::exists(fs::path(output()).replace_extension(".partial.dbf")));
}

TEST_F(DictgenTool, FailedRunKeepsThePreviousTable) {
    ASSERT_EQ(run("IDENTIF\tITALIANO\nMenuLingua\tItaliano\n"), 0) << errors();
    const auto before = fs::file_size(output());
    EXPECT_NE(run("IDENTIF\tITALIANO\nMenuLingua\tItaliano\nMenuLingua\tDoppio\n"), 0);
    EXPECT_NE(errors().find("in.tsv:3: key MenuLingua already defined on line 2"), std::string::npos)
        << errors();
    ASSERT_TRUE(fs::exists(output()));
    EXPECT_EQ(fs::file_size(output()), before);
}

}  // namespace
