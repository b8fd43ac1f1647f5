#include "NumberText.h"

#include <charconv>
#include <cmath>
#include <cstdlib>

namespace lumex::cli {

std::string FormatNumber(double value)
{
    // Fixed notation of a double needs at most ~330 characters (1e308).
    char buffer[400];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value,
                                      std::chars_format::fixed);
    if (result.ec != std::errc{}) return "nan";
    return std::string(buffer, result.ptr);
}

std::string FormatInt(long long value)
{
    char buffer[32];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, result.ptr);
}

std::string FormatHundredths(int hundredths)
{
    const int whole = std::abs(hundredths) / 100;
    const int fraction = std::abs(hundredths) % 100;
    std::string text = hundredths < 0 ? "-" : "";
    text += FormatInt(whole);
    text += '.';
    text += static_cast<char>('0' + fraction / 10);
    text += static_cast<char>('0' + fraction % 10);
    return text;
}

std::optional<double> ParseNumber(std::string_view text)
{
    double value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end) return std::nullopt;
    return value;
}

std::optional<int> ParseInt(std::string_view text)
{
    int value = 0;
    const char* end = text.data() + text.size();
    const auto result = std::from_chars(text.data(), end, value);
    if (text.empty() || result.ec != std::errc{} || result.ptr != end) return std::nullopt;
    return value;
}

}  // namespace lumex::cli
