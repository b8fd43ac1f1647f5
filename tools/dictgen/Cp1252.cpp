#include "Cp1252.h"

#include <array>
#include <cstdint>
#include <cstdio>

namespace lumex::dictgen {
namespace {

// Windows-1252 differs from Latin-1 only in 0x80..0x9F; zero marks the
// five bytes that the code page leaves unassigned.
constexpr std::array<char32_t, 32> kHighBlock = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0,      0x017D, 0,
    0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

std::optional<unsigned char> byteFor(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF))
        return static_cast<unsigned char>(c);
    for (std::size_t i = 0; i < kHighBlock.size(); ++i)
        if (kHighBlock[i] != 0 && kHighBlock[i] == c)
            return static_cast<unsigned char>(0x80 + i);
    return std::nullopt;
}

std::string codePointName(char32_t c) {
    char name[16];
    std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(c));
    return name;
}

void appendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

// Reads one code point at `pos`, advancing it; nullopt on malformed input
// (bad lead byte, truncated sequence, overlong form, surrogate, > U+10FFFF).
std::optional<char32_t> nextCodePoint(std::string_view s, std::size_t& pos) {
    const auto lead = static_cast<unsigned char>(s[pos]);
    int extra = 0;
    char32_t c = 0;
    if (lead < 0x80) { ++pos; return lead; }
    if ((lead & 0xE0) == 0xC0) { extra = 1; c = lead & 0x1F; }
    else if ((lead & 0xF0) == 0xE0) { extra = 2; c = lead & 0x0F; }
    else if ((lead & 0xF8) == 0xF0) { extra = 3; c = lead & 0x07; }
    else return std::nullopt;
    if (pos + extra >= s.size()) return std::nullopt;
    for (int i = 1; i <= extra; ++i) {
        const auto b = static_cast<unsigned char>(s[pos + i]);
        if ((b & 0xC0) != 0x80) return std::nullopt;
        c = (c << 6) | (b & 0x3F);
    }
    static constexpr char32_t kSmallest[] = {0, 0x80, 0x800, 0x10000};
    if (c < kSmallest[extra] || (c >= 0xD800 && c <= 0xDFFF) || c > 0x10FFFF)
        return std::nullopt;
    pos += extra + 1;
    return c;
}

}  // namespace

Cp1252Result utf8ToCp1252(std::string_view utf8) {
    Cp1252Result result;
    std::size_t pos = 0;
    while (pos < utf8.size()) {
        const std::size_t start = pos;
        const auto c = nextCodePoint(utf8, pos);
        if (!c) {
            result.error = "malformed UTF-8 at byte " + std::to_string(start + 1);
            return result;
        }
        const auto byte = byteFor(*c);
        if (!byte) {
            result.error = "character " + codePointName(*c) + " (\"" +
                           std::string(utf8.substr(start, pos - start)) +
                           "\") has no Windows-1252 byte";
            return result;
        }
        result.bytes += static_cast<char>(*byte);
    }
    return result;
}

std::string cp1252ToUtf8(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size() * 2);
    for (const char ch : bytes) {
        const auto b = static_cast<unsigned char>(ch);
        char32_t c = b;
        if (b >= 0x80 && b <= 0x9F)
            c = kHighBlock[b - 0x80] != 0 ? kHighBlock[b - 0x80] : char32_t{0xFFFD};
        appendUtf8(out, c);
    }
    return out;
}

}  // namespace lumex::dictgen
