#pragma once
// The configuration file format: the text ConfCar::SaveFile writes and the
// strict parser behind ConfCar::LoadFile, plus the file access both need.
// Pure functions over their arguments (the file helpers touch only the path
// they are given): safe from any thread.
//
// A file is CRLF text: a start marker line, the four identification values,
// one line "index descriptor value..." for each index 0..72 and an end marker.

#include "ConfCar.h"

#include <string>
#include <string_view>

namespace lumex {

inline constexpr std::string_view kFileStartMarker = "#define start  \"MORBEL ConfigFile\"";
inline constexpr std::string_view kFileEndMarker = "#define end  \"MORBEL ConfigFile\"";
inline constexpr std::size_t kMaxFirstLineLength = 79;
// How far a line is skipped when its values are not read (no storage, or a
// multi-value descriptor announcing no values), line end included.
inline constexpr std::size_t kLineSkipLength = 100;

// The complete file text for these identification bytes and record words.
std::string FormatConfigFile(const EcuIdentBytes& ident, const ConfCar::Words& words);

// Parses a whole file text into words. The words are changed only when the
// whole text is acceptable: a refused text leaves them exactly as they were.
// A value of 800000 keeps the word's current value.
FileStatus ParseConfigFile(std::string_view text, ConfCar::Words& words);

// A saved file is about 1.5 KB; anything far beyond is not one of ours.
inline constexpr std::size_t kMaxFileBytes = 1024 * 1024;

// Reads a whole file; fails (line 0) when it cannot be opened or read, or
// holds more than kMaxFileBytes.
FileStatus ReadTextFile(const std::string& path, std::string& text);

// Writes text to path without ever leaving a half-written file there: the
// text goes into a temporary file beside it which then replaces the old file
// in one rename. On failure the old file is untouched and the temporary
// file removed.
FileStatus WriteFileReplacing(const std::string& path, std::string_view text);

}  // namespace lumex
