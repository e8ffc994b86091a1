// A small, strict JSON reader for the tests of machine-readable output: the whole text must be
// one value, strings must be valid (escapes, \u with surrogate pairs), anything else throws.
#pragma once

#include "common/text.h"

#include <cstdint>
#include <map>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace jsontest {

struct CValue {
    enum Kind { Null, Bool, Number, String, Array, Object } m_kind = Null;
    bool m_bool = false;
    double m_number = 0.0;
    std::string m_string; // UTF-8
    std::vector<CValue> m_array;
    std::map<std::string, CValue> m_object;

    bool IsNull() const { return m_kind == Null; }
    const CValue& operator[](const std::string& key) const {
        const auto found = m_object.find(key);
        if (m_kind != Object || found == m_object.end()) {
            throw std::runtime_error("no member " + key);
        }
        return found->second;
    }
};

class CReader {
public:
    explicit CReader(std::string_view text) : m_text(text) {}

    CValue ReadDocument() {
        CValue value = ReadValue();
        SkipSpace();
        if (m_at != m_text.size()) {
            Fail("text after the value");
        }
        return value;
    }

private:
    [[noreturn]] void Fail(const std::string& what) const {
        throw std::runtime_error("JSON: " + what + " at " + std::to_string(m_at));
    }
    void SkipSpace() {
        while (m_at < m_text.size() && (m_text[m_at] == ' ' || m_text[m_at] == '\n' ||
                                        m_text[m_at] == '\r' || m_text[m_at] == '\t')) {
            ++m_at;
        }
    }
    bool Take(char c) {
        SkipSpace();
        if (m_at < m_text.size() && m_text[m_at] == c) {
            ++m_at;
            return true;
        }
        return false;
    }
    void Expect(char c) {
        if (!Take(c)) {
            Fail(std::string("expected ") + c);
        }
    }
    bool TakeWord(std::string_view word) {
        if (m_text.substr(m_at, word.size()) == word) {
            m_at += word.size();
            return true;
        }
        return false;
    }

    CValue ReadValue() {
        SkipSpace();
        if (m_at >= m_text.size()) {
            Fail("missing value");
        }
        CValue value;
        const char c = m_text[m_at];
        if (c == '{') {
            ++m_at;
            value.m_kind = CValue::Object;
            if (!Take('}')) {
                do {
                    SkipSpace();
                    if (m_at >= m_text.size() || m_text[m_at] != '"') {
                        Fail("expected a key");
                    }
                    std::string key = ReadString();
                    Expect(':');
                    if (!value.m_object.emplace(key, ReadValue()).second) {
                        Fail("duplicate key " + key);
                    }
                } while (Take(','));
                Expect('}');
            }
        } else if (c == '[') {
            ++m_at;
            value.m_kind = CValue::Array;
            if (!Take(']')) {
                do {
                    value.m_array.push_back(ReadValue());
                } while (Take(','));
                Expect(']');
            }
        } else if (c == '"') {
            value.m_kind = CValue::String;
            value.m_string = ReadString();
        } else if (TakeWord("null")) {
            value.m_kind = CValue::Null;
        } else if (TakeWord("true")) {
            value.m_kind = CValue::Bool;
            value.m_bool = true;
        } else if (TakeWord("false")) {
            value.m_kind = CValue::Bool;
        } else {
            value.m_kind = CValue::Number;
            const std::size_t begin = m_at;
            while (m_at < m_text.size() &&
                   std::string_view("+-0123456789.eE").find(m_text[m_at]) != std::string::npos) {
                ++m_at;
            }
            if (begin == m_at) {
                Fail("unexpected character");
            }
            value.m_number = std::stod(std::string(m_text.substr(begin, m_at - begin)));
        }
        return value;
    }

    unsigned Hex4() {
        if (m_at + 4 > m_text.size()) {
            Fail("short \\u escape");
        }
        unsigned value = 0;
        for (int i = 0; i < 4; ++i) {
            const char h = m_text[m_at++];
            value <<= 4;
            if (h >= '0' && h <= '9') {
                value |= static_cast<unsigned>(h - '0');
            } else if (h >= 'a' && h <= 'f') {
                value |= static_cast<unsigned>(h - 'a' + 10);
            } else if (h >= 'A' && h <= 'F') {
                value |= static_cast<unsigned>(h - 'A' + 10);
            } else {
                Fail("bad \\u escape");
            }
        }
        return value;
    }

    // A string literal; raw bytes must be valid UTF-8 and no control characters.
    std::string ReadString() {
        ++m_at; // the opening quote
        std::string out;
        while (true) {
            if (m_at >= m_text.size()) {
                Fail("unterminated string");
            }
            const auto c = static_cast<unsigned char>(m_text[m_at++]);
            if (c == '"') {
                return out;
            }
            if (c < 0x20) {
                Fail("raw control character in a string");
            }
            if (c == '\\') {
                if (m_at >= m_text.size()) {
                    Fail("unterminated escape");
                }
                const char e = m_text[m_at++];
                switch (e) {
                case '"':
                case '\\':
                case '/':
                    out += e;
                    break;
                case 'b':
                    out += '\b';
                    break;
                case 'f':
                    out += '\f';
                    break;
                case 'n':
                    out += '\n';
                    break;
                case 'r':
                    out += '\r';
                    break;
                case 't':
                    out += '\t';
                    break;
                case 'u': {
                    std::uint32_t code = Hex4();
                    if (code >= 0xD800 && code < 0xDC00) {
                        if (!TakeWord("\\u")) {
                            Fail("lone high surrogate");
                        }
                        const unsigned low = Hex4();
                        if (low < 0xDC00 || low >= 0xE000) {
                            Fail("bad low surrogate");
                        }
                        code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
                    } else if (code >= 0xDC00 && code < 0xE000) {
                        Fail("lone low surrogate");
                    }
                    my::AppendUtf8(out, static_cast<char32_t>(code));
                    break;
                }
                default:
                    Fail("unknown escape");
                }
                continue;
            }
            if (c < 0x80) {
                out += static_cast<char>(c);
                continue;
            }
            // A UTF-8 sequence: checked for its length, continuation bytes and range.
            int extra = 0;
            std::uint32_t code = 0;
            std::uint32_t minimum = 0;
            if ((c & 0xE0) == 0xC0) {
                extra = 1, code = c & 0x1F, minimum = 0x80;
            } else if ((c & 0xF0) == 0xE0) {
                extra = 2, code = c & 0x0F, minimum = 0x800;
            } else if ((c & 0xF8) == 0xF0) {
                extra = 3, code = c & 0x07, minimum = 0x10000;
            } else {
                Fail("invalid UTF-8 lead byte");
            }
            for (int k = 0; k < extra; ++k) {
                if (m_at >= m_text.size() ||
                    (static_cast<unsigned char>(m_text[m_at]) & 0xC0) != 0x80) {
                    Fail("invalid UTF-8 continuation");
                }
                code = (code << 6) | (static_cast<unsigned char>(m_text[m_at++]) & 0x3F);
            }
            if (code < minimum || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) {
                Fail("invalid UTF-8 code point");
            }
            my::AppendUtf8(out, static_cast<char32_t>(code));
        }
    }

    std::string_view m_text;
    std::size_t m_at = 0;
};

inline CValue Parse(std::string_view text) {
    return CReader(text).ReadDocument();
}

} // namespace jsontest
