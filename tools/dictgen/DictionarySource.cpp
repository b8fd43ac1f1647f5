#include "DictionarySource.h"

#include "Cp1252.h"

#include <algorithm>
#include <cctype>
#include <fstream>
#include <optional>
#include <sstream>
#include <unordered_map>

namespace lumex::dictgen {
namespace {

std::vector<std::string> splitTabs(std::string_view line) {
    std::vector<std::string> cells;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        cells.emplace_back(line.substr(start, tab - start));
        if (tab == std::string_view::npos) return cells;
        start = tab + 1;
    }
}

bool isNameChar(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

bool isAsciiName(std::string_view s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), isNameChar);
}

std::string located(const std::string& file, int line, const std::string& what) {
    return file + ":" + std::to_string(line) + ": " + what;
}

// Resolves the escapes; nullopt with `why` set when the text is not valid.
std::optional<std::string> unescape(std::string_view raw, std::string& why) {
    std::string text;
    for (std::size_t i = 0; i < raw.size(); ++i) {
        const char c = raw[i];
        if (static_cast<unsigned char>(c) < 0x20) {
            why = "control character in text (write \\n for a line break)";
            return std::nullopt;
        }
        if (c != '\\') { text += c; continue; }
        const char next = i + 1 < raw.size() ? raw[i + 1] : '\0';
        if (next == 'n') text += '\n';
        else if (next == '\\') text += '\\';
        else {
            why = "unknown escape in text (only \\n and \\\\ are allowed)";
            return std::nullopt;
        }
        ++i;
    }
    // The table reader strips outer blanks, so they would not survive.
    if (!text.empty() && (text.front() == ' ' || text.back() == ' ')) {
        why = "text starts or ends with a blank, which the table cannot keep";
        return std::nullopt;
    }
    return text;
}

std::string upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string checkHeader(const std::vector<std::string>& header) {
    if (header.empty() || header.front() != kKeyColumn)
        return "the first column must be named " + std::string(kKeyColumn);
    if (header.size() < 2) return "no language column after " + std::string(kKeyColumn);
    std::vector<std::string> seen;
    for (std::size_t i = 1; i < header.size(); ++i) {
        const std::string& name = header[i];
        if (!isAsciiName(name) || name.size() > kMaxColumnName ||
            std::isdigit(static_cast<unsigned char>(name.front())))
            return "language column \"" + name + "\" must be 1 to " +
                   std::to_string(kMaxColumnName) +
                   " ASCII letters, digits or '_', starting with a letter";
        const std::string folded = upper(name);
        if (folded == kKeyColumn || std::find(seen.begin(), seen.end(), folded) != seen.end())
            return "column \"" + name + "\" appears twice";
        seen.push_back(folded);
    }
    return {};
}

}  // namespace

ParseResult parseDictionarySource(std::string_view text, const std::string& fileName) {
    ParseResult result;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);
    std::unordered_map<std::string, int> firstLineOfKey;
    int lineNo = 0;
    bool headerSeen = false;
    std::size_t columns = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) end = text.size();
        std::string_view line = text.substr(pos, end - pos);
        pos = end + 1;
        ++lineNo;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!headerSeen) {
            const auto header = splitTabs(line);
            if (auto why = checkHeader(header); !why.empty()) {
                result.error = located(fileName, lineNo, why);
                return result;
            }
            result.source.languages.assign(header.begin() + 1, header.end());
            columns = header.size();
            headerSeen = true;
            continue;
        }
        if (line.empty() || line.front() == '#') continue;
        const auto cells = splitTabs(line);
        if (cells.size() != columns) {
            result.error = located(fileName, lineNo,
                                   "expected " + std::to_string(columns) + " tab-separated cells, found " +
                                       std::to_string(cells.size()));
            return result;
        }
        DictionaryRow row{cells.front(), {}, lineNo};
        if (!isAsciiName(row.key)) {
            result.error = located(fileName, lineNo,
                                   "key \"" + row.key + "\" must be ASCII letters, digits or '_'");
            return result;
        }
        if (auto [it, added] = firstLineOfKey.emplace(row.key, lineNo); !added) {
            result.error = located(fileName, lineNo,
                                   "key " + row.key + " already defined on line " +
                                       std::to_string(it->second));
            return result;
        }
        for (std::size_t i = 1; i < cells.size(); ++i) {
            std::string why;
            auto unescaped = unescape(cells[i], why);
            if (!unescaped) {
                result.error = located(fileName, lineNo,
                                       result.source.languages[i - 1] + ": " + why);
                return result;
            }
            row.texts.push_back(std::move(*unescaped));
        }
        result.source.rows.push_back(std::move(row));
    }
    if (!headerSeen) result.error = located(fileName, 1, "empty file: no header line");
    return result;
}

ParseResult readDictionarySource(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        ParseResult result;
        result.error = path + ": cannot open";
        return result;
    }
    std::ostringstream text;
    text << in.rdbuf();
    return parseDictionarySource(text.str(), path);
}

EncodedDictionary encodeDictionary(const DictionarySource& source, const std::string& fileName) {
    EncodedDictionary out;
    out.languages = source.languages;
    for (const DictionaryRow& row : source.rows) {
        out.keyWidth = std::max(out.keyWidth, row.key.size());
        out.keys.push_back(row.key);
        auto& cells = out.texts.emplace_back();
        for (std::size_t i = 0; i < row.texts.size(); ++i) {
            const std::string& language = source.languages[i];
            Cp1252Result encoded = utf8ToCp1252(row.texts[i]);
            if (!encoded.ok()) {
                out.error = located(fileName, row.line, row.key + " " + language + ": " + encoded.error);
                return out;
            }
            if (encoded.bytes.size() > kTextWidth) {
                out.error = located(fileName, row.line,
                                    row.key + " " + language + ": text of " +
                                        std::to_string(encoded.bytes.size()) +
                                        " characters, the table holds at most " +
                                        std::to_string(kTextWidth));
                return out;
            }
            cells.push_back(std::move(encoded.bytes));
        }
    }
    return out;
}

}  // namespace lumex::dictgen
