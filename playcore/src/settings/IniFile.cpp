#include "playcore/IniFile.h"

#include <cstddef>

namespace playcore {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && IsBlank(s.front())) {
        s.remove_prefix(1);
    }
    while (!s.empty() && IsBlank(s.back())) {
        s.remove_suffix(1);
    }
    return s;
}

char FoldAscii(char c) {
    return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c;
}

bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i])) {
            return false;
        }
    }
    return true;
}

// A line's role in the file.
struct LineInfo {
    enum Kind { Other, Section, Key } kind = Other;
    std::string_view name; // section name or key, trimmed
    std::string_view value;
};

LineInfo Classify(std::string_view line) {
    LineInfo info;
    const std::string_view t = Trim(line);
    if (t.empty() || t.front() == ';') {
        return info;
    }
    if (t.front() == '[') {
        std::string_view inner = t.substr(1);
        const std::size_t close = inner.find(']');
        if (close != std::string_view::npos) {
            inner = inner.substr(0, close);
        }
        info.kind = LineInfo::Section;
        info.name = Trim(inner);
        return info;
    }
    const std::size_t eq = t.find('=');
    if (eq == std::string_view::npos) {
        return info;
    }
    info.kind = LineInfo::Key;
    info.name = Trim(t.substr(0, eq));
    std::string_view v = Trim(t.substr(eq + 1));
    if (v.size() >= 2 && (v.front() == '"' || v.front() == '\'') && v.back() == v.front()) {
        v = v.substr(1, v.size() - 2);
    }
    info.value = v;
    return info;
}

} // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    if (text.substr(0, 3) == "\xEF\xBB\xBF") {
        ini.bom_ = true;
        text.remove_prefix(3);
    }
    bool eolKnown = false;
    while (!text.empty()) {
        const std::size_t nl = text.find('\n');
        std::string_view line = text.substr(0, nl);
        const bool crlf = !line.empty() && line.back() == '\r';
        if (crlf) {
            line.remove_suffix(1);
        }
        if (!eolKnown && nl != std::string_view::npos) {
            ini.eol_ = crlf ? "\r\n" : "\n";
            eolKnown = true;
        }
        ini.lines_.emplace_back(line);
        if (nl == std::string_view::npos) {
            break;
        }
        text.remove_prefix(nl + 1);
    }
    return ini;
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    bool inSection = false;
    bool seenSection = false;
    for (const std::string& line : lines_) {
        const LineInfo info = Classify(line);
        if (info.kind == LineInfo::Section) {
            if (inSection) {
                // Only the first section of that name is looked at.
                return std::nullopt;
            }
            inSection = !seenSection && EqualNoCase(info.name, section);
            seenSection = seenSection || inSection;
        } else if (inSection && info.kind == LineInfo::Key && EqualNoCase(info.name, key)) {
            return std::string(info.value);
        }
    }
    return std::nullopt;
}

void IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    section = Trim(section);
    key = Trim(key);
    std::size_t sectionLine = lines_.size();
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        const LineInfo info = Classify(lines_[i]);
        if (info.kind == LineInfo::Section && EqualNoCase(info.name, section)) {
            sectionLine = i;
            break;
        }
    }
    if (sectionLine == lines_.size()) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(std::string(key) + "=" + std::string(value));
        return;
    }
    // Insert after the section's last key or other content, before blank
    // lines that separate it from the next section.
    std::size_t insertAt = sectionLine + 1;
    for (std::size_t i = sectionLine + 1; i < lines_.size(); ++i) {
        const LineInfo info = Classify(lines_[i]);
        if (info.kind == LineInfo::Section) {
            break;
        }
        if (info.kind == LineInfo::Key && EqualNoCase(info.name, key)) {
            lines_[i] = std::string(info.name) + "=" + std::string(value);
            return;
        }
        if (!Trim(lines_[i]).empty()) {
            insertAt = i + 1;
        }
    }
    lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                  std::string(key) + "=" + std::string(value));
}

std::string IniFile::Serialize() const {
    std::string out = bom_ ? "\xEF\xBB\xBF" : "";
    for (const std::string& line : lines_) {
        out += line;
        out += eol_;
    }
    return out;
}

bool IniFile::IsValidSettingText(std::string_view section, std::string_view key,
                                 std::string_view value) {
    constexpr std::string_view kBreaks("\0\r\n", 3);
    if (section.find_first_of(kBreaks) != std::string_view::npos ||
        key.find_first_of(kBreaks) != std::string_view::npos ||
        value.find_first_of(kBreaks) != std::string_view::npos) {
        return false;
    }
    const std::string_view s = Trim(section);
    const std::string_view k = Trim(key);
    if (s.empty() || s.find(']') != std::string_view::npos) {
        return false;
    }
    if (k.empty() || k.find('=') != std::string_view::npos || k.front() == '[' ||
        k.front() == ';') {
        return false;
    }
    return true;
}

} // namespace playcore
