#pragma once
// Locale-independent number text for lumexctl. Scripts parse what the tool
// prints and workshops run it under any locale, so numbers never go through
// iostream formatting: they are written with std::to_chars and read with
// std::from_chars. Pure functions, safe from any thread.

#include <optional>
#include <string>
#include <string_view>

namespace lumex::cli {

// The shortest fixed-notation text that reads back as the same double:
// "2", "0.14", "-1000", "14.94207419007069".
std::string FormatNumber(double value);
std::string FormatInt(long long value);
// Hundredths as a decimal with two places: 45 -> "0.45", -5 -> "-0.05".
std::string FormatHundredths(int hundredths);

// The whole text must be the number; nullopt otherwise. A leading '+' is not
// accepted (from_chars does not either), a leading '-' is.
std::optional<double> ParseNumber(std::string_view text);
std::optional<int> ParseInt(std::string_view text);

}  // namespace lumex::cli
