#include "Json.h"

#include <charconv>
#include <cmath>
#include <cstdio>

namespace {

// Length of the valid UTF-8 sequence at `s[i]`, or 0 when it is not one
// (overlong forms, surrogates and values past U+10FFFF included).
std::size_t Utf8Length(std::string_view s, std::size_t i) {
    const auto b = [&](std::size_t k) { return static_cast<unsigned char>(s[k]); };
    const unsigned char c = b(i);
    std::size_t n = 0;
    uint32_t cp = 0;
    if (c < 0x80) {
        return 1;
    } else if ((c & 0xE0) == 0xC0) {
        n = 2;
        cp = c & 0x1F;
    } else if ((c & 0xF0) == 0xE0) {
        n = 3;
        cp = c & 0x0F;
    } else if ((c & 0xF8) == 0xF0) {
        n = 4;
        cp = c & 0x07;
    } else {
        return 0;
    }
    if (i + n > s.size()) {
        return 0;
    }
    for (std::size_t k = 1; k < n; ++k) {
        if ((b(i + k) & 0xC0) != 0x80) {
            return 0;
        }
        cp = (cp << 6) | (b(i + k) & 0x3F);
    }
    static constexpr uint32_t kMin[] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[n] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        return 0;
    }
    return n;
}

} // namespace

std::string JsonWriter::Quote(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 2);
    out += '"';
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
            ++i;
        } else if (c < 0x20 || c == 0x7F) {
            switch (c) {
            case '\n':
                out += "\\n";
                break;
            case '\r':
                out += "\\r";
                break;
            case '\t':
                out += "\\t";
                break;
            case '\b':
                out += "\\b";
                break;
            case '\f':
                out += "\\f";
                break;
            default: {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04x", c);
                out += buf;
            }
            }
            ++i;
        } else {
            const std::size_t n = Utf8Length(text, i);
            if (n == 0) {
                out += "\\ufffd";
                ++i;
            } else {
                out.append(text.substr(i, n));
                i += n;
            }
        }
    }
    out += '"';
    return out;
}

void JsonWriter::NewLine() {
    if (indent_ > 0) {
        out_ += '\n';
        out_.append(stack_.size() * static_cast<std::size_t>(indent_), ' ');
    }
}

void JsonWriter::BeforeValue() {
    if (afterKey_) {
        afterKey_ = false;
        return;
    }
    if (!stack_.empty()) {
        if (!stack_.back().empty) {
            out_ += ',';
        }
        stack_.back().empty = false;
        NewLine();
    }
    wroteValue_ = true;
}

JsonWriter& JsonWriter::Open(bool object) {
    BeforeValue();
    out_ += object ? '{' : '[';
    stack_.push_back({object, true});
    return *this;
}

JsonWriter& JsonWriter::Close(char bracket) {
    const bool empty = stack_.back().empty;
    stack_.pop_back();
    if (!empty) {
        NewLine();
    }
    out_ += bracket;
    return *this;
}

JsonWriter& JsonWriter::Key(std::string_view name) {
    if (!stack_.back().empty) {
        out_ += ',';
    }
    stack_.back().empty = false;
    NewLine();
    out_ += Quote(name);
    out_ += indent_ > 0 ? ": " : ":";
    afterKey_ = true;
    return *this;
}

JsonWriter& JsonWriter::String(std::string_view text) {
    BeforeValue();
    out_ += Quote(text);
    return *this;
}

JsonWriter& JsonWriter::Number(double value) {
    if (!std::isfinite(value)) {
        return Null();
    }
    BeforeValue();
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, r.ptr);
    return *this;
}

JsonWriter& JsonWriter::Number(float value) {
    if (!std::isfinite(value)) {
        return Null();
    }
    BeforeValue();
    char buf[32];
    const auto r = std::to_chars(buf, buf + sizeof buf, value);
    out_.append(buf, r.ptr);
    return *this;
}

JsonWriter& JsonWriter::Int(int64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::UInt(uint64_t value) {
    BeforeValue();
    out_ += std::to_string(value);
    return *this;
}

JsonWriter& JsonWriter::Bool(bool value) {
    BeforeValue();
    out_ += value ? "true" : "false";
    return *this;
}

JsonWriter& JsonWriter::Null() {
    BeforeValue();
    out_ += "null";
    return *this;
}
