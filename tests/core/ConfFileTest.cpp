// The configuration file: the exact text SaveFile writes, what LoadFile
// accepts and how, what it refuses (leaving the record and the ECU alone),
// and that a failed save never destroys the previous file.
#include "ConfCar.h"
#include "ConfFile.h"
#include "RecordingLink.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <unistd.h>

using namespace lumex;
using lumex::test::LinkCall;
using lumex::test::RecordingLink;

namespace fs = std::filesystem;

namespace {

std::string Crlf(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        if (c == '\n') out += '\r';
        out += c;
    }
    return out;
}

// The default record saved while no ECU is connected, written out by hand.
const std::string kDefaultFile = Crlf(R"(#define start  "MORBEL ConfigFile"
7 0 1 0
0 256 800000
1 1 0
2 2 50
3 3 0
4 4 0
5 5 18
6 6 18
7 519 0
8 8 1
9 9 60
10 10 80
11 11 800000
12 12 40
13 13 60
14 14 20
15 15 80
16 16 40
17 17 0
18 18 5
19 19 250
20 20 800000
21 21 800000
22 22 251
23 23 102
24 24 7
25 12569 0 102 178 
26 26 800000
27 8475 28 0 
28 28 28
29 29 800000
30 30 40
31 31 25
32 32 25
33 33 40
34 34 40
35 35 0
36 36 255
37 37 800000
38 38 255
39 39 100
40 40 100
41 41 12
42 42 80
43 43 0
44 44 0
45 45 1
46 46 4
47 47 800000
48 48 30
49 49 800000
50 50 800000
51 51 1
52 52 0
53 53 0
54 54 20
55 55 0
56 56 60
57 54 5
58 58 156
59 59 129
60 24892 25 55 114 161 215 225 
61 24893 20 50 100 150 200 250 
62 62 12
63 63 0
64 1 800000
65 1 800000
66 57 0
67 1 800000
68 1 800000
69 1 800000
70 22 800000
71 22 800000
72 64 800000
#define end  "MORBEL ConfigFile"
)");

// The physical line of a parameter index in a well-formed file.
constexpr int LineOf(ParamIndex index) { return index + 3; }

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') line.pop_back();
        lines.push_back(line);
    }
    return lines;
}

std::string JoinCrlf(const std::vector<std::string>& lines)
{
    std::string out;
    for (const auto& line : lines) out += line + "\r\n";
    return out;
}

// The default file with line `number` (1-based) replaced.
std::string WithLine(int number, const std::string& replacement)
{
    auto lines = SplitLines(kDefaultFile);
    lines[static_cast<std::size_t>(number - 1)] = replacement;
    return JoinCrlf(lines);
}

// The default file cut after line `count`.
std::string FirstLines(int count)
{
    auto lines = SplitLines(kDefaultFile);
    lines.resize(static_cast<std::size_t>(count));
    return JoinCrlf(lines);
}

std::string WithoutLine(const std::string& text, int number)
{
    auto lines = SplitLines(text);
    lines.erase(lines.begin() + (number - 1));
    return JoinCrlf(lines);
}

// A fresh folder per test, removed afterwards.
class TempDir {
public:
    TempDir()
    {
        static std::atomic<int> counter{0};
        m_path = fs::temp_directory_path() /
                 ("lumex-core-" + std::to_string(::getpid()) + "-" + std::to_string(counter++));
        fs::create_directories(m_path);
    }
    ~TempDir()
    {
        std::error_code ignored;
        fs::remove_all(m_path, ignored);
    }
    const fs::path& Path() const { return m_path; }
    std::string File(const std::string& name) const { return (m_path / name).string(); }

private:
    fs::path m_path;
};

void WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> FolderEntries(const fs::path& folder)
{
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

class ConfFileTest : public ::testing::Test {
public:  // the case tables' checks reach Word()
    ConfFileTest() { record.AttachLink(&link); }

    FileStatus Load(const std::string& text)
    {
        const std::string path = dir.File("in.mrb");
        WriteBytes(path, text);
        record.SetFileName(path);
        return record.LoadFile();
    }

    std::int32_t& Word(ParamIndex index, int element = 0) { return record.MemberOf(index)[element]; }

    TempDir dir;
    RecordingLink link;
    ConfCar record;
};

TEST_F(ConfFileTest, DefaultRecordSavesByteForByte)
{
    EXPECT_EQ(record.FormatFile(), kDefaultFile);
    const std::string path = dir.File("default.mrb");
    record.SetFileName(path);
    ASSERT_TRUE(record.SaveFile().ok);
    EXPECT_EQ(ReadBytes(path), kDefaultFile);
    // The temporary file is gone.
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"default.mrb"});
}

TEST_F(ConfFileTest, DefaultFixtureMatchesTheWriter)
{
    EXPECT_EQ(ReadBytes(std::string(LUMEX_TEST_DATA) + "/default.mrb"), kDefaultFile);
}

TEST_F(ConfFileTest, IdentificationLine)
{
    const struct {
        bool connected;
        bool identOk;
        bool reduced;
        const char* line;
    } cases[] = {
        {false, true, false, "7 0 1 0"},
        {false, true, true, "7 2 1 0"},
        {true, true, false, "7 2 3 42"},  // the ECU's own bytes
        // Connected but silent: the unconnected values, never stray bytes.
        {true, false, false, "7 0 1 0"},
        {true, false, true, "7 2 1 0"},
    };
    for (const auto& c : cases) {
        link.SetConnected(c.connected);
        link.SetIdent({7, 2, 3, 42}, c.identOk);
        record.ReducedModel = c.reduced;
        EXPECT_EQ(SplitLines(record.FormatFile())[1], c.line);
    }
}

TEST_F(ConfFileTest, SaveAndLoadReproduceEveryWord)
{
    for (std::size_t i = 0; i < record.RawWords().size(); ++i)
        record.RawWords()[i] = static_cast<std::int32_t>(i * 997) - 30000;
    *record.MemberOf(EmulTristateTime) = 65500;
    const ConfCar::Words saved = record.RawWords();
    const std::string path = dir.File("all.mrb");
    record.SetFileName(path);
    ASSERT_TRUE(record.SaveFile().ok);

    RecordingLink otherLink;
    ConfCar loaded(path);
    loaded.AttachLink(&otherLink);
    *loaded.MemberOf(SwitchType) = 4;
    *loaded.MemberOf(GasStartTemp) = 77;
    const FileStatus status = loaded.LoadFile();
    ASSERT_TRUE(status.ok) << status.Describe(path);

    ConfCar::Words expected = saved;
    expected[static_cast<std::size_t>(StorageOf(SwitchType))] = 4;  // not in the file
    expected[static_cast<std::size_t>(StorageOf(GasStartTemp))] = 77;
    EXPECT_EQ(loaded.RawWords(), expected);
}

TEST_F(ConfFileTest, LoadSendsTheLoadedRecordToTheEcu)
{
    ASSERT_TRUE(Load(WithLine(LineOf(IdleOpenStepsMax), "31 31 30")).ok);
    const auto writes = link.Writes();
    ASSERT_EQ(writes.size(), 62u);  // WriteAll's walk for sensor 129
    EXPECT_EQ(writes.front(), LinkCall::Write(1, 0));
    EXPECT_NE(std::find(writes.begin(), writes.end(), LinkCall::Write(31, 30)), writes.end());
}

TEST_F(ConfFileTest, AcceptedFilesAndWhatTheyChange)
{
    struct Case {
        const char* name;
        std::string text;
        std::function<void(ConfFileTest&)> check;
    };
    const std::string shifted =
        WithoutLine(WithLine(LineOf(LevelSensorTable), "60 60 7 61 24893 1 2 3 4 5 6"),
                    LineOf(GaugeOutputTable));
    const std::string firstLine79 = std::string(79, '#');
    const std::vector<Case> cases = {
        {"800000 keeps the value", WithLine(LineOf(31), "31 31 800000"),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 77); }},
        {"a value is set", WithLine(LineOf(31), "31 31 30"),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 30); }},
        {"index numbers are not examined", WithLine(LineOf(31), "99 31 30"),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 30); }},
        {"numbers may spread over lines", WithLine(LineOf(31), "31\r\n31\r\n\t30"),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 30); }},
        {"no end marker", FirstLines(75), [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 25); }},
        {"anything after the last line", FirstLines(75) + "garbage\r\n",
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 25); }},
        {"plain line feeds", SplitLines(kDefaultFile)[0] + "\n7 0 1 0\n" +
                                 [] {
                                     std::string s;
                                     for (std::size_t i = 2; i < 75; ++i) s += SplitLines(kDefaultFile)[i] + "\n";
                                     return s;
                                 }(),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 25); }},
        {"first line of 79 characters", WithLine(1, firstLine79),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(31), 25); }},
        {"junk after a line without storage", WithLine(LineOf(0), "0 256 whatever is here"),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(1), 0); }},
        {"a multi-value descriptor of no values skips its line",
         WithLine(LineOf(TpsThresholds), "25 256 junk"),
         [](ConfFileTest& t) { EXPECT_EQ(t.Word(TpsThresholds, 1), 102); }},
        {"fewer values than the index holds", WithLine(LineOf(LevelSensorTable), "60 8508 1 2"),
         [](ConfFileTest& t) {
             EXPECT_EQ(t.Word(LevelSensorTable, 1), 2);
             EXPECT_EQ(t.Word(LevelSensorTable, 2), 114);
         }},
        {"single-value descriptor on a table sets element 0",
         WithLine(LineOf(LevelSensorTable), "60 60 7"),
         [](ConfFileTest& t) {
             EXPECT_EQ(t.Word(LevelSensorTable, 0), 7);
             EXPECT_EQ(t.Word(LevelSensorTable, 1), 55);
             EXPECT_EQ(t.Word(GaugeOutputTable, 0), 20);
         }},
        {"the numbers after it are the next index's line", shifted,
         [](ConfFileTest& t) {
             EXPECT_EQ(t.Word(LevelSensorTable, 0), 7);
             EXPECT_EQ(t.Word(LevelSensorTable, 5), 225);
             EXPECT_EQ(t.Word(GaugeOutputTable, 0), 1);
             EXPECT_EQ(t.Word(GaugeOutputTable, 5), 6);
         }},
    };
    for (const auto& c : cases) {
        record.ResetDefaults();
        Word(31) = 77;
        const FileStatus status = Load(c.text);
        EXPECT_TRUE(status.ok) << c.name << ": " << status.Describe("in.mrb");
        if (status.ok) c.check(*this);
    }
}

TEST_F(ConfFileTest, RefusedFilesLeaveRecordAndEcuAlone)
{
    struct Case {
        const char* name;
        std::string text;
        int line;
        const char* reason;
    };
    const std::vector<Case> cases = {
        {"first line too long", WithLine(1, std::string(80, '#')), 1, "longer than 79"},
        {"empty file", "", 1, "ends"},
        {"identification not a number", WithLine(2, "7 0 x 0"), 2, "not a number"},
        {"ends before index 40", FirstLines(LineOf(39)), LineOf(39), "ends"},
        {"ends inside a table", FirstLines(LineOf(59)) + "60 24892 25 55", LineOf(60), "ends"},
        {"text where a value belongs", WithLine(LineOf(31), "31 31 abc"), LineOf(31), "not a number"},
        {"number glued to text", WithLine(LineOf(31), "31 31 30x"), LineOf(31), "not a number"},
        {"descriptor not a number", WithLine(LineOf(31), "31 3l 30"), LineOf(31), "descriptor"},
        {"number beyond 32 bits", WithLine(LineOf(31), "31 31 99999999999"), LineOf(31), "out of range"},
        {"table descriptor announcing 7 values", WithLine(LineOf(60), "60 28988 1 2 3 4 5 6 7"),
         LineOf(60), "announces 7"},
        {"single word announcing 2 values", WithLine(LineOf(31), "31 8479 1 2"), LineOf(31),
         "announces 2"},
        // The skip of a line without storage stops after 100 characters; what
        // follows is read as the next line.
        {"junk beyond the skip", WithLine(LineOf(0), "0 256 " + std::string(120, 'z')), LineOf(0),
         "not a number"},
    };
    for (const auto& c : cases) {
        record.ResetDefaults();
        Word(31) = 77;
        Word(LevelSensorTable, 0) = 9;
        const ConfCar::Words before = record.RawWords();
        link.ClearCalls();
        const FileStatus status = Load(c.text);
        EXPECT_FALSE(status.ok) << c.name;
        EXPECT_EQ(status.line, c.line) << c.name << ": " << status.reason;
        EXPECT_NE(status.reason.find(c.reason), std::string::npos) << c.name << ": " << status.reason;
        EXPECT_EQ(record.RawWords(), before) << c.name;
        EXPECT_TRUE(link.Writes().empty()) << c.name;
    }
}

TEST_F(ConfFileTest, MissingFileIsRefused)
{
    const ConfCar::Words before = record.RawWords();
    record.SetFileName(dir.File("absent.mrb"));
    const FileStatus status = record.LoadFile();
    EXPECT_FALSE(status.ok);
    EXPECT_EQ(status.line, 0);
    EXPECT_EQ(record.RawWords(), before);
    EXPECT_TRUE(link.Writes().empty());

    record.SetFileName(dir.Path().string());  // a folder
    EXPECT_FALSE(record.LoadFile().ok);
    EXPECT_TRUE(link.Writes().empty());
}

TEST_F(ConfFileTest, OversizedInputIsRefusedWithoutReadingItAll)
{
    // A good file padded with blanks past the limit: refused as a whole,
    // although its numbers all come first.
    const ConfCar::Words before = record.RawWords();
    const FileStatus status = Load(kDefaultFile + std::string(kMaxFileBytes, ' '));
    EXPECT_FALSE(status.ok);
    EXPECT_NE(status.reason.find("larger than"), std::string::npos) << status.reason;
    EXPECT_EQ(record.RawWords(), before);
    EXPECT_TRUE(link.Writes().empty());

    // A device that never ends must not be read until memory runs out.
    record.SetFileName("/dev/zero");
    EXPECT_FALSE(record.LoadFile().ok);
    EXPECT_TRUE(link.Writes().empty());
}

TEST_F(ConfFileTest, SaveReplacesAnExistingFile)
{
    const std::string path = dir.File("car.mrb");
    WriteBytes(path, "old contents");
    record.SetFileName(path);
    *record.MemberOf(IdleOpenStepsMax) = 30;
    ASSERT_TRUE(record.SaveFile().ok);
    EXPECT_EQ(ReadBytes(path), record.FormatFile());
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"car.mrb"});
}

TEST_F(ConfFileTest, FailedSaveKeepsWhatWasThere)
{
    // The target is a folder holding a file: the rename must fail, and
    // neither the folder nor its file may suffer.
    const fs::path target = dir.Path() / "car.mrb";
    fs::create_directory(target);
    WriteBytes((target / "inside").string(), "keep me");
    record.SetFileName(target.string());
    const FileStatus status = record.SaveFile();
    EXPECT_FALSE(status.ok);
    EXPECT_FALSE(status.reason.empty());
    EXPECT_TRUE(fs::is_directory(target));
    EXPECT_EQ(ReadBytes((target / "inside").string()), "keep me");
    EXPECT_EQ(FolderEntries(dir.Path()), std::vector<std::string>{"car.mrb"});  // no temporary left

    record.SetFileName(dir.File("no-such-folder/car.mrb"));
    EXPECT_FALSE(record.SaveFile().ok);
}

TEST_F(ConfFileTest, PathsOfAnyLength)
{
    fs::path deep = dir.Path();
    for (int i = 0; i < 4; ++i) deep /= std::string(60, static_cast<char>('a' + i));
    fs::create_directories(deep);
    const std::string path = (deep / "long-name-configuration.mrb").string();
    ASSERT_GT(path.size(), 183u);
    record.SetFileName(path);
    *record.MemberOf(IdleOpenStepsMax) = 30;
    ASSERT_TRUE(record.SaveFile().ok);
    record.ResetDefaults();
    ASSERT_TRUE(record.LoadFile().ok);
    EXPECT_EQ(*record.MemberOf(IdleOpenStepsMax), 30);
}

TEST(FileStatusTest, DescribeNamesFileAndLine)
{
    EXPECT_EQ(FileStatus::Fail(12, "bad").Describe("car.mrb"), "car.mrb:12: bad");
    EXPECT_EQ(FileStatus::Fail(0, "cannot open").Describe("car.mrb"), "car.mrb: cannot open");
}

TEST(ParseConfigFileTest, RefusalLeavesTheWordsAsTheyWere)
{
    ConfCar record;
    ConfCar::Words words = record.RawWords();
    const ConfCar::Words before = words;
    // Index 31's new value comes before the fault further down.
    const std::string text = WithLine(LineOf(31), "31 31 30");
    EXPECT_FALSE(ParseConfigFile(text.substr(0, text.size() - 200), words).ok);
    EXPECT_EQ(words, before);
    EXPECT_TRUE(ParseConfigFile(text, words).ok);
    EXPECT_EQ(words[static_cast<std::size_t>(StorageOf(31))], 30);
}

}  // namespace
