#pragma once
// A strict little JSON syntax checker for the tests: tells whether a text is
// one valid JSON value and nothing else.

#include <cctype>
#include <string_view>

namespace lumex::cli::test {

class JsonCheck {
public:
    static bool IsValid(std::string_view text)
    {
        JsonCheck check(text);
        check.SkipSpace();
        if (!check.Value()) return false;
        check.SkipSpace();
        return check.m_pos == text.size();
    }

private:
    explicit JsonCheck(std::string_view text) : m_text(text) {}

    bool Value()
    {
        SkipSpace();
        if (m_pos >= m_text.size()) return false;
        switch (m_text[m_pos]) {
        case '{': return Object();
        case '[': return Array();
        case '"': return String();
        case 't': return Word("true");
        case 'f': return Word("false");
        case 'n': return Word("null");
        default: return Number();
        }
    }
    bool Object()
    {
        ++m_pos;
        SkipSpace();
        if (Eat('}')) return true;
        do {
            SkipSpace();
            if (!String()) return false;
            SkipSpace();
            if (!Eat(':') || !Value()) return false;
            SkipSpace();
        } while (Eat(','));
        return Eat('}');
    }
    bool Array()
    {
        ++m_pos;
        SkipSpace();
        if (Eat(']')) return true;
        do {
            if (!Value()) return false;
            SkipSpace();
        } while (Eat(','));
        return Eat(']');
    }
    bool String()
    {
        if (!Eat('"')) return false;
        while (m_pos < m_text.size()) {
            const char c = m_text[m_pos++];
            if (c == '"') return true;
            if (static_cast<unsigned char>(c) < 0x20) return false;
            if (c == '\\') {
                if (m_pos >= m_text.size()) return false;
                const char e = m_text[m_pos++];
                if (e == 'u') {
                    for (int i = 0; i < 4; ++i)
                        if (m_pos >= m_text.size() || !std::isxdigit(static_cast<unsigned char>(m_text[m_pos++])))
                            return false;
                } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
                    return false;
                }
            }
        }
        return false;
    }
    bool Number()
    {
        Eat('-');
        if (Eat('0')) {
        } else if (!Digits()) {
            return false;
        }
        if (Eat('.') && !Digits()) return false;
        if (Eat('e') || Eat('E')) {
            if (!Eat('+')) Eat('-');
            if (!Digits()) return false;
        }
        return true;
    }
    bool Digits()
    {
        const auto start = m_pos;
        while (m_pos < m_text.size() && std::isdigit(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
        return m_pos > start;
    }
    bool Word(std::string_view word)
    {
        if (m_text.substr(m_pos, word.size()) != word) return false;
        m_pos += word.size();
        return true;
    }
    bool Eat(char c)
    {
        if (m_pos < m_text.size() && m_text[m_pos] == c) {
            ++m_pos;
            return true;
        }
        return false;
    }
    void SkipSpace()
    {
        while (m_pos < m_text.size() && std::isspace(static_cast<unsigned char>(m_text[m_pos]))) ++m_pos;
    }

    std::string_view m_text;
    std::size_t m_pos = 0;
};

}  // namespace lumex::cli::test
