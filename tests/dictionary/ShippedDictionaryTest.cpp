// The dictionary the build ships: the table must hold every row of its
// source, in Windows-1252, and every key a window looks up must have a text
// in every language that fits the smallest maximum any window cuts it to.
#include "Cp1252.h"
#include "DictionarySource.h"

#include <gtest/gtest.h>
#include <shapefil.h>

#include <array>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

using namespace lumex::dictgen;

struct WindowKeys {
    std::string window;
    int code = 0;
    std::vector<std::pair<std::string, int>> lookups;  // key, maximum length
};

// Reads keys-by-window.txt; a line it cannot read fails the calling test.
std::vector<WindowKeys> readKeysByWindow(const std::string& path) {
    std::ifstream in(path);
    EXPECT_TRUE(in) << path;
    std::vector<WindowKeys> windows;
    std::string line;
    int lineNo = 0;
    while (std::getline(in, line)) {
        ++lineNo;
        if (line.empty() || line.front() == '#') continue;
        std::istringstream fields(line);
        if (line.front() == '[') {
            WindowKeys window;
            std::string word;
            fields >> window.window >> word >> window.code;
            EXPECT_TRUE(window.window.size() > 2 && window.window.back() == ']' && word == "code" &&
                        fields)
                << path << ":" << lineNo << ": " << line;
            window.window = window.window.substr(1, window.window.size() - 2);
            windows.push_back(window);
            continue;
        }
        std::string key;
        int maximum = 0;
        std::string rest;
        fields >> key >> maximum;
        EXPECT_TRUE(fields && maximum > 0 && !(fields >> rest) && !windows.empty())
            << path << ":" << lineNo << ": " << line;
        if (!windows.empty()) windows.back().lookups.emplace_back(key, maximum);
    }
    return windows;
}

std::size_t characterCount(const std::string& utf8) {
    std::size_t count = 0;
    for (const char c : utf8)
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++count;
    return count;
}

struct DbfCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};

// The built table, read once into memory: column names and raw cells.
struct BuiltTable {
    std::vector<std::string> columns;
    std::vector<std::vector<std::string>> cells;  // [record][column], Windows-1252
    std::string codePage;
};

BuiltTable readBuiltTable(const std::string& path) {
    BuiltTable table;
    std::unique_ptr<DBFInfo, DbfCloser> dbf(DBFOpen(path.c_str(), "rb"));
    if (!dbf) {
        ADD_FAILURE() << "cannot open " << path;
        return table;
    }
    if (const char* codePage = DBFGetCodePage(dbf.get())) table.codePage = codePage;
    for (int i = 0; i < DBFGetFieldCount(dbf.get()); ++i) {
        char name[XBASE_FLDNAME_LEN_READ + 1] = {};
        int width = 0;
        int decimals = 0;
        EXPECT_EQ(DBFGetFieldInfo(dbf.get(), i, name, &width, &decimals), FTString) << name;
        table.columns.emplace_back(name);
    }
    for (int record = 0; record < DBFGetRecordCount(dbf.get()); ++record) {
        auto& row = table.cells.emplace_back();
        for (std::size_t column = 0; column < table.columns.size(); ++column)
            row.emplace_back(DBFReadStringAttribute(dbf.get(), record, static_cast<int>(column)));
    }
    return table;
}

class ShippedDictionary : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        source_ = new ParseResult(readDictionarySource(LUMEX_DICTIONARY_SOURCE));
        table_ = new BuiltTable(readBuiltTable(LUMEX_DICTIONARY_TABLE));
    }
    static void TearDownTestSuite() {
        delete source_;
        delete table_;
    }
    void SetUp() override { ASSERT_TRUE(source_->ok()) << source_->error; }

    const DictionarySource& source() const { return source_->source; }
    const BuiltTable& table() const { return *table_; }

    // Decoded texts of a key, by language column name; empty when absent.
    std::map<std::string, std::string> textsOf(const std::string& key) const {
        std::map<std::string, std::string> texts;
        for (const auto& row : table().cells)
            if (row.front() == key) {
                for (std::size_t i = 1; i < row.size(); ++i)
                    texts[table().columns[i]] = cp1252ToUtf8(row[i]);
                break;
            }
        return texts;
    }

private:
    static inline ParseResult* source_ = nullptr;
    static inline BuiltTable* table_ = nullptr;
};

TEST_F(ShippedDictionary, ColumnsAreTheKeyThenEveryLanguageOfTheSource) {
    std::vector<std::string> expected{"IDENTIF"};
    expected.insert(expected.end(), source().languages.begin(), source().languages.end());
    EXPECT_EQ(table().columns, expected);
    ASSERT_GE(table().columns.size(), 3u);
    EXPECT_EQ(table().columns[1], "ITALIANO");
    EXPECT_EQ(table().columns[2], "ENGLISH");
}

TEST_F(ShippedDictionary, CodePageIsMarkedAsWindows1252ByTheLanguageDriver) {
    EXPECT_EQ(table().codePage, "LDID/87");
    std::ifstream file(LUMEX_DICTIONARY_TABLE, std::ios::binary);
    std::array<char, 32> header{};
    file.read(header.data(), header.size());
    EXPECT_EQ(static_cast<unsigned char>(header[29]), 0x57);
    // A side file would override the driver byte for some readers.
    std::filesystem::path cpg(LUMEX_DICTIONARY_TABLE);
    EXPECT_FALSE(std::filesystem::exists(cpg.replace_extension(".cpg")));
}

TEST_F(ShippedDictionary, AccentedLetterIsOneWindows1252ByteAndDecodesBack) {
    bool found = false;
    for (const auto& row : table().cells) {
        const std::string& italian = row[1];
        if (italian.find("verr\xE0") == std::string::npos) continue;
        found = true;
        EXPECT_NE(cp1252ToUtf8(italian).find("verrà"), std::string::npos);
    }
    EXPECT_TRUE(found) << "no Italian text with \"verrà\" stored as byte 0xE0";
}

TEST_F(ShippedDictionary, HoldsEveryRowOfTheSourceInOrderWithNonEmptyTexts) {
    ASSERT_EQ(table().cells.size(), source().rows.size());
    for (std::size_t r = 0; r < source().rows.size(); ++r) {
        const DictionaryRow& expected = source().rows[r];
        const auto& stored = table().cells[r];
        ASSERT_EQ(stored.front(), expected.key) << "record " << r;
        for (std::size_t i = 0; i < expected.texts.size(); ++i) {
            const std::string& language = source().languages[i];
            EXPECT_FALSE(expected.texts[i].empty()) << expected.key << " " << language;
            EXPECT_EQ(cp1252ToUtf8(stored[i + 1]), expected.texts[i]) << expected.key << " " << language;
        }
    }
}

TEST_F(ShippedDictionary, KeysAreUnique) {
    std::set<std::string> keys;
    for (const auto& row : table().cells)
        EXPECT_TRUE(keys.insert(row.front()).second) << "duplicate key " << row.front();
}

TEST_F(ShippedDictionary, EveryWindowKeyHasTextsThatFitItsSmallestMaximum) {
    const auto windows = readKeysByWindow(LUMEX_KEYS_BY_WINDOW);
    ASSERT_FALSE(windows.empty());
    std::map<std::string, std::pair<int, std::string>> smallest;  // key -> max, window
    for (const auto& window : windows) {
        EXPECT_FALSE(window.lookups.empty()) << window.window;
        for (const auto& [key, maximum] : window.lookups) {
            auto [it, added] = smallest.try_emplace(key, maximum, window.window);
            if (!added && maximum < it->second.first) it->second = {maximum, window.window};
        }
    }
    for (const auto& [key, limit] : smallest) {
        const auto texts = textsOf(key);
        if (texts.empty()) {
            ADD_FAILURE() << key << " (looked up by " << limit.second << ") is not in the dictionary";
            continue;
        }
        for (const auto& [language, text] : texts) {
            EXPECT_FALSE(text.empty()) << key << " " << language;
            EXPECT_LE(characterCount(text), static_cast<std::size_t>(limit.first))
                << key << " " << language << " \"" << text << "\" is cut in " << limit.second;
        }
    }
}

TEST_F(ShippedDictionary, MenuLinguaNamesEachLanguageInItself) {
    const auto names = textsOf("MenuLingua");
    EXPECT_EQ(names.at("ITALIANO"), "Italiano");
    EXPECT_EQ(names.at("ENGLISH"), "English");
}

// 24-bit, 36 x 36, and the top-left colour (the program's transparent
// colour) must not occur inside the flag, or holes would appear in it.
TEST_F(ShippedDictionary, EveryLanguageHasAFlagWithATransparentBorderColour) {
    for (const std::string& language : source().languages) {
        SCOPED_TRACE(language);
        std::ifstream file(std::string(LUMEX_FLAG_FOLDER) + "/" + language + ".bmp", std::ios::binary);
        ASSERT_TRUE(file);
        const std::vector<unsigned char> bmp{std::istreambuf_iterator<char>(file), {}};
        ASSERT_GT(bmp.size(), 54u);
        auto number = [&](std::size_t at, int bytes) {
            std::int64_t value = 0;
            for (int i = bytes - 1; i >= 0; --i) value = value * 256 + bmp[at + i];
            return value;
        };
        ASSERT_EQ(bmp[0], 'B');
        ASSERT_EQ(bmp[1], 'M');
        const auto width = number(18, 4), height = number(22, 4), bits = number(28, 2);
        ASSERT_EQ(width, 36);
        ASSERT_EQ(height, 36);  // positive: rows stored bottom-up
        ASSERT_EQ(bits, 24);
        const std::size_t offset = static_cast<std::size_t>(number(10, 4));
        const std::size_t stride = 36 * 3;  // already a multiple of 4
        ASSERT_GE(bmp.size(), offset + stride * 36);
        auto pixel = [&](int x, int y) {
            const std::size_t at = offset + static_cast<std::size_t>(35 - y) * stride + x * 3;
            return std::array<unsigned char, 3>{bmp[at], bmp[at + 1], bmp[at + 2]};
        };
        const auto transparent = pixel(0, 0);
        for (int y = 1; y < 35; ++y)
            for (int x = 1; x < 35; ++x)
                ASSERT_NE(pixel(x, y), transparent) << "at " << x << "," << y;
    }
}

}  // namespace
