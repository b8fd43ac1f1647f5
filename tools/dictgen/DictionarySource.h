// The reviewable source of the language dictionary: a UTF-8, tab-separated
// table whose header is "IDENTIF" followed by one column per language, one
// row per key. Rows starting with '#' and blank rows are comments. In a
// text, "\n" stands for a line break and "\\" for a backslash.
//
// Parsing and encoding are plain functions without state, used by the
// generator at build time and by the dictionary tests; any thread.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace lumex::dictgen {

inline constexpr std::string_view kKeyColumn = "IDENTIF";
// Longest text a string column of the table can hold, in bytes.
inline constexpr std::size_t kTextWidth = 254;
// dBase cuts longer column names silently, which would rename a language.
inline constexpr std::size_t kMaxColumnName = 10;

struct DictionaryRow {
    std::string key;
    std::vector<std::string> texts;  // UTF-8, escapes resolved, one per language
    int line = 0;                    // 1-based line in the source file
};

struct DictionarySource {
    std::vector<std::string> languages;  // column names after IDENTIF
    std::vector<DictionaryRow> rows;     // in file order
};

struct ParseResult {
    DictionarySource source;
    std::string error;  // "file:line: reason", empty when ok
    bool ok() const { return error.empty(); }
};

// Parses the text of a source file; `fileName` only labels the errors.
ParseResult parseDictionarySource(std::string_view text, const std::string& fileName);
ParseResult readDictionarySource(const std::string& path);

// The source converted for the table: each text in Windows-1252.
struct EncodedDictionary {
    std::vector<std::string> languages;
    std::vector<std::string> keys;
    std::vector<std::vector<std::string>> texts;  // [row][language]
    std::size_t keyWidth = 1;                     // longest key, at least 1
    std::string error;                            // "file:line: reason"
    bool ok() const { return error.empty(); }
};

// Refuses a text that Windows-1252 cannot hold or that is longer than a
// column holds, naming the source line and the language.
EncodedDictionary encodeDictionary(const DictionarySource& source,
                                   const std::string& fileName);

}  // namespace lumex::dictgen
