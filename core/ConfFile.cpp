#include "ConfFile.h"

#include <cerrno>
#include <charconv>
#include <filesystem>
#include <fstream>
#include <random>
#include <system_error>

namespace lumex {
namespace {

constexpr std::string_view kLineEnd = "\r\n";

void AppendParamLine(std::string& out, ParamIndex index, const ConfCar::Words& words)
{
    const ParamDescriptor descriptor = DescriptorOf(index);
    out += std::to_string(index);
    out += ' ';
    out += std::to_string(descriptor);
    const int storage = StorageOf(index);
    if (storage < 0) {
        out += ' ';
        out += std::to_string(NoValueWord);
    } else if (CodeIsMulti(descriptor)) {
        // Every value of a multi-value line is followed by a space, so the
        // line ends with one before the line end.
        out += ' ';
        const unsigned count = CodeElementCount(descriptor);
        for (unsigned e = 0; e < count; ++e) {
            out += std::to_string(words[static_cast<std::size_t>(storage) + e]);
            out += ' ';
        }
    } else {
        out += ' ';
        out += std::to_string(words[static_cast<std::size_t>(storage)]);
    }
    out += kLineEnd;
}

bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\r' || c == '\v' || c == '\f';
}

// Walks the file text number by number, keeping the physical line so that
// every complaint can name it. CRLF pairs count as one line end character,
// as a text-mode reader sees them.
class FileCursor {
public:
    explicit FileCursor(std::string_view text) : m_text(Normalise(text)) {}

    // The first line is a free-form marker; only its length is limited.
    FileStatus SkipFirstLine()
    {
        const std::size_t end = m_text.find('\n');
        const std::size_t length = end == std::string::npos ? m_text.size() : end;
        if (length > kMaxFirstLineLength)
            return FileStatus::Fail(1, "the first line is longer than " +
                                           std::to_string(kMaxFirstLineLength) + " characters");
        SkipRestOfLine(length + 1);
        return FileStatus::Ok();
    }

    // Skips at most `limit` characters, stopping after a line end.
    void SkipRestOfLine(std::size_t limit = kLineSkipLength)
    {
        for (std::size_t n = 0; n < limit && m_pos < m_text.size(); ++n)
            if (Advance() == '\n') break;
    }

    // Reads one signed decimal 32-bit number; `what` names it for errors.
    FileStatus ReadNumber(std::int32_t& value, const std::string& what)
    {
        while (m_pos < m_text.size() && IsBlank(m_text[m_pos])) Advance();
        if (m_pos >= m_text.size())
            return FileStatus::Fail(LastLine(), "the file ends where " + what + " was expected");
        const int line = m_line;
        m_tokenLine = line;
        const std::size_t start = m_pos;
        while (m_pos < m_text.size() && !IsBlank(m_text[m_pos])) Advance();
        const std::string_view token(m_text.data() + start, m_pos - start);
        return ParseToken(token, line, value, what);
    }

    // The line of the number read last.
    int TokenLine() const { return m_tokenLine; }

private:
    static std::string Normalise(std::string_view text)
    {
        std::string out;
        out.reserve(text.size());
        for (std::size_t i = 0; i < text.size(); ++i) {
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n') continue;
            out += text[i];
        }
        return out;
    }

    static FileStatus ParseToken(std::string_view token, int line, std::int32_t& value,
                                 const std::string& what)
    {
        // A leading '+' is allowed, but not before a '-'.
        std::string_view digits = token;
        if (!digits.empty() && digits.front() == '+') {
            digits.remove_prefix(1);
            if (!digits.empty() && digits.front() == '-') digits = {};
        }
        const char* last = digits.data() + digits.size();
        const auto [end, error] = std::from_chars(digits.data(), last, value);
        if (error == std::errc::result_out_of_range)
            return FileStatus::Fail(line, Quote(token) + " is out of range (" + what + ")");
        if (error != std::errc() || end != last)
            return FileStatus::Fail(line, Quote(token) + " is not a number (" + what + ")");
        return FileStatus::Ok();
    }

    static std::string Quote(std::string_view token)
    {
        constexpr std::size_t kShown = 24;
        std::string shown(token.substr(0, kShown));
        if (token.size() > kShown) shown += "...";
        return "'" + shown + "'";
    }

    char Advance()
    {
        const char c = m_text[m_pos++];
        if (c == '\n') ++m_line;
        return c;
    }

    // The end of the file lies on its last line, not on a line after a final
    // line end.
    int LastLine() const
    {
        const bool endsWithNewline = !m_text.empty() && m_text.back() == '\n';
        return endsWithNewline && m_line > 1 ? m_line - 1 : m_line;
    }

    std::string m_text;
    std::size_t m_pos = 0;
    int m_line = 1;
    int m_tokenLine = 1;
};

FileStatus ParseParamLine(FileCursor& cursor, ParamIndex index, ConfCar::Words& words)
{
    const std::string ofIndex = " of index " + std::to_string(index);
    std::int32_t ignored = 0;
    if (auto s = cursor.ReadNumber(ignored, "the index number" + ofIndex); !s.ok) return s;
    std::int32_t fileDescriptor = 0;
    if (auto s = cursor.ReadNumber(fileDescriptor, "the descriptor" + ofIndex); !s.ok) return s;

    const int storage = StorageOf(index);
    if (storage < 0) {
        cursor.SkipRestOfLine();
        return FileStatus::Ok();
    }
    // The file's own descriptor, not the catalogue's, says how many values
    // follow; it may never promise more than the index has words for.
    const auto code = static_cast<std::uint32_t>(fileDescriptor);
    const unsigned count = CodeIsMulti(code) ? CodeElementCount(code) : 1;
    if (count == 0) {
        cursor.SkipRestOfLine();
        return FileStatus::Ok();
    }
    const auto room = static_cast<unsigned>(ElementsOf(index));
    if (count > room)
        return FileStatus::Fail(cursor.TokenLine(),
                                "descriptor " + std::to_string(fileDescriptor) + " announces " +
                                    std::to_string(count) + " values but index " +
                                    std::to_string(index) + " holds " + std::to_string(room));
    for (unsigned e = 0; e < count; ++e) {
        std::int32_t value = 0;
        const std::string what = "value " + std::to_string(e + 1) + ofIndex;
        if (auto s = cursor.ReadNumber(value, what); !s.ok) return s;
        if (value != NoValueWord) words[static_cast<std::size_t>(storage) + e] = value;
    }
    return FileStatus::Ok();
}

}  // namespace

std::string FormatConfigFile(const EcuIdentBytes& ident, const ConfCar::Words& words)
{
    std::string out;
    out.reserve(2048);
    out += kFileStartMarker;
    out += kLineEnd;
    out += std::to_string(ident.family) + ' ' + std::to_string(ident.model) + ' ' +
           std::to_string(ident.options) + ' ' + std::to_string(ident.firmware);
    out += kLineEnd;
    for (ParamIndex i = 0; i < kFileParamCount; ++i) AppendParamLine(out, i, words);
    out += kFileEndMarker;
    out += kLineEnd;
    return out;
}

FileStatus ParseConfigFile(std::string_view text, ConfCar::Words& words)
{
    FileCursor cursor(text);
    if (auto s = cursor.SkipFirstLine(); !s.ok) return s;
    for (int v = 1; v <= 4; ++v) {
        std::int32_t ignored = 0;
        const std::string what = "identification value " + std::to_string(v);
        if (auto s = cursor.ReadNumber(ignored, what); !s.ok) return s;
    }
    ConfCar::Words scratch = words;
    for (ParamIndex i = 0; i < kFileParamCount; ++i)
        if (auto s = ParseParamLine(cursor, i, scratch); !s.ok) return s;
    words = scratch;
    return FileStatus::Ok();
}

}  // namespace lumex

namespace lumex {
namespace {

std::string ErrnoText()
{
    return errno != 0 ? std::generic_category().message(errno) : std::string("unknown error");
}

std::string RandomSuffix()
{
    static constexpr std::string_view kChars = "abcdefghijklmnopqrstuvwxyz0123456789";
    static thread_local std::mt19937 generator{std::random_device{}()};
    std::uniform_int_distribution<std::size_t> pick(0, kChars.size() - 1);
    std::string suffix(4, 'x');
    for (char& c : suffix) c = kChars[pick(generator)];
    return suffix;
}

// Creates "<path>.tmp-XXXX" under a name nobody uses yet.
bool OpenTemporaryBeside(const std::string& path, std::string& tempPath, std::ofstream& out)
{
    constexpr int kAttempts = 16;
    for (int attempt = 0; attempt < kAttempts; ++attempt) {
        tempPath = path + ".tmp-" + RandomSuffix();
        std::error_code ec;
        if (std::filesystem::exists(std::filesystem::symlink_status(tempPath, ec))) continue;
        errno = 0;
        out.open(tempPath, std::ios::binary | std::ios::trunc);
        if (out.is_open()) return true;
        out.clear();
    }
    return false;
}

}  // namespace

FileStatus ReadTextFile(const std::string& path, std::string& text)
{
    std::error_code ec;
    if (std::filesystem::is_directory(path, ec))
        return FileStatus::Fail(0, "is a folder, not a configuration file");
    errno = 0;
    std::ifstream in(path, std::ios::binary);
    if (!in.is_open()) return FileStatus::Fail(0, "cannot open the file: " + ErrnoText());
    // Read in bounded steps: a device or a huge file given by mistake must
    // be refused, not read until memory runs out.
    std::string content;
    char chunk[4096];
    while (in.read(chunk, sizeof chunk) || in.gcount() > 0) {
        content.append(chunk, static_cast<std::size_t>(in.gcount()));
        if (content.size() > kMaxFileBytes)
            return FileStatus::Fail(0, "is larger than " + std::to_string(kMaxFileBytes) +
                                           " bytes: not a configuration file");
    }
    if (in.bad()) return FileStatus::Fail(0, "cannot read the file: " + ErrnoText());
    text = std::move(content);
    return FileStatus::Ok();
}

FileStatus WriteFileReplacing(const std::string& path, std::string_view text)
{
    std::string tempPath;
    std::ofstream out;
    if (!OpenTemporaryBeside(path, tempPath, out))
        return FileStatus::Fail(0, "cannot create a temporary file in the file's folder: " +
                                       ErrnoText());
    errno = 0;
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.flush();
    out.close();
    std::error_code ignored;
    if (out.fail()) {
        const std::string reason = "cannot write the file: " + ErrnoText();
        std::filesystem::remove(tempPath, ignored);
        return FileStatus::Fail(0, reason);
    }
    std::error_code ec;
    std::filesystem::rename(tempPath, path, ec);
    if (ec) {
        std::filesystem::remove(tempPath, ignored);
        return FileStatus::Fail(0, "cannot replace the file: " + ec.message());
    }
    return FileStatus::Ok();
}

}  // namespace lumex
