// Conversion between UTF-8 and Windows-1252, the code page the dictionary
// table is stored in. Used by the dictionary generator (at build time) and
// by the dictionary tests; plain functions without state, callable from any
// thread.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace lumex::dictgen {

struct Cp1252Result {
    std::string bytes;  // the Windows-1252 text when ok
    std::string error;  // empty when ok, else why the text cannot be stored
    bool ok() const { return error.empty(); }
};

// Encodes a UTF-8 text. Fails on malformed UTF-8 and on any character that
// Windows-1252 has no byte for; the error names the offending character.
Cp1252Result utf8ToCp1252(std::string_view utf8);

// Decodes Windows-1252 bytes; the five unassigned bytes become U+FFFD.
std::string cp1252ToUtf8(std::string_view bytes);

}  // namespace lumex::dictgen
