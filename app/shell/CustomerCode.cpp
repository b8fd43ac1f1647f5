#include "CustomerCode.h"

#include <array>

namespace lumex::app {

namespace {
// Each byte of the prefix XOR (0x5A + 7 * its position).
constexpr std::array<unsigned char, 6> kScrambledPrefix{0x11, 0x15, 0x1e, 0x2c, 0x1a, 0x14};
constexpr int kCodeLength = 3;
}

QString AccessPrefix() {
    QString prefix;
    for (size_t i = 0; i < kScrambledPrefix.size(); ++i)
        prefix += QChar(char(kScrambledPrefix[i] ^ ((0x5A + 7 * i) & 0xFF)));
    return prefix;
}

std::optional<int> CustomerCodeFromEntry(const QString& entry) {
    const QString prefix = AccessPrefix();
    if (entry.size() != prefix.size() + kCodeLength || !entry.startsWith(prefix))
        return std::nullopt;
    bool ok = false;
    const int value = entry.right(kCodeLength).toInt(&ok);
    if (!ok)
        return std::nullopt;
    return value;
}

}  // namespace lumex::app
