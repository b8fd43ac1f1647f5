// Writes the encoded dictionary as a dBase table: the key column IDENTIF,
// then one text column per language, code page Windows-1252 marked by the
// language-driver byte. Used by the generator and the tests; any thread,
// one call per output file.
#pragma once

#include "DictionarySource.h"

#include <string>

namespace lumex::dictgen {

// Writes `path` (replacing it only once the whole table is written);
// returns an empty string on success, else the reason.
std::string writeDictionaryTable(const EncodedDictionary& dictionary, const std::string& path);

}  // namespace lumex::dictgen
