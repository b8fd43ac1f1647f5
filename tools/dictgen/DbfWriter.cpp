#include "DbfWriter.h"

#include <shapefil.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace lumex::dictgen {
namespace {

// Windows-1252 as a dBase language driver id: readers decode from it
// without needing a side file.
constexpr const char* kCodePage = "LDID/87";

struct DbfCloser {
    void operator()(DBFInfo* handle) const { DBFClose(handle); }
};
using DbfPtr = std::unique_ptr<DBFInfo, DbfCloser>;

// shapelib replaces any extension by ".dbf", so the scratch name must end
// in ".dbf" itself.
std::filesystem::path scratchPath(const std::filesystem::path& target) {
    std::filesystem::path scratch = target;
    scratch.replace_extension(".partial.dbf");
    return scratch;
}

std::string addColumns(DBFHandle dbf, const EncodedDictionary& dictionary) {
    if (DBFAddField(dbf, std::string(kKeyColumn).c_str(), FTString,
                    static_cast<int>(dictionary.keyWidth), 0) < 0)
        return "cannot add the column " + std::string(kKeyColumn);
    for (const std::string& language : dictionary.languages)
        if (DBFAddField(dbf, language.c_str(), FTString, static_cast<int>(kTextWidth), 0) < 0)
            return "cannot add the column " + language;
    return {};
}

std::string writeRows(DBFHandle dbf, const EncodedDictionary& dictionary) {
    for (std::size_t row = 0; row < dictionary.keys.size(); ++row) {
        const int record = static_cast<int>(row);
        if (!DBFWriteStringAttribute(dbf, record, 0, dictionary.keys[row].c_str()))
            return "cannot write the key " + dictionary.keys[row];
        for (std::size_t i = 0; i < dictionary.languages.size(); ++i)
            if (!DBFWriteStringAttribute(dbf, record, static_cast<int>(i + 1),
                                         dictionary.texts[row][i].c_str()))
                return "cannot write " + dictionary.keys[row] + " " + dictionary.languages[i];
    }
    return {};
}

}  // namespace

std::string writeDictionaryTable(const EncodedDictionary& dictionary, const std::string& path) {
    if (dictionary.keyWidth > kTextWidth) return "a key is longer than 254 characters";
    const std::filesystem::path target(path);
    const std::filesystem::path scratch = scratchPath(target);
    std::string error;
    {
        DbfPtr dbf(DBFCreateEx(scratch.c_str(), kCodePage));
        if (!dbf) return path + ": cannot create " + scratch.string();
        error = addColumns(dbf.get(), dictionary);
        if (error.empty()) error = writeRows(dbf.get(), dictionary);
    }
    std::error_code ec;
    if (error.empty()) {
        std::filesystem::rename(scratch, target, ec);
        if (ec) error = "cannot move " + scratch.string() + " to " + path + ": " + ec.message();
    }
    if (!error.empty()) std::filesystem::remove(scratch, ec);
    return error.empty() ? error : path + ": " + error;
}

}  // namespace lumex::dictgen
