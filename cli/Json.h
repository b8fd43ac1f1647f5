#pragma once
// Just enough JSON for lumexctl's --json output: string escaping and a
// number text that is valid JSON whatever the locale. Pure functions.

#include <string>
#include <string_view>

namespace lumex::cli {

// The text as a quoted JSON string, with quotes, backslashes and control
// characters escaped. Other bytes (UTF-8 such as "°C") pass unchanged.
std::string JsonString(std::string_view text);
// A finite double as a JSON number; non-finite values become null because
// JSON has no text for them.
std::string JsonNumber(double value);

}  // namespace lumex::cli
