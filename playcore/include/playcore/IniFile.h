// An in-memory profile file ("[SECTION]" headers and "key=value" lines) with
// the lookup rules of the classic private-profile functions: sections and
// keys compare without regard to ASCII case, the first match wins, and
// surrounding blanks (and one pair of matching quotes) are not part of a
// value. Every line is kept as read, so rewriting one key leaves comments,
// order and the other keys untouched.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace playcore {

class IniFile {
public:
    IniFile() = default;

    // Splits `text` into lines; accepts LF and CR LF line ends and a leading
    // UTF-8 byte-order mark, which Serialize() writes back.
    static IniFile Parse(std::string_view text);

    // The value of `key` in `section`, or nothing when either is missing.
    std::optional<std::string> Get(std::string_view section, std::string_view key) const;

    // Replaces the value of an existing key (keeping the key's spelling),
    // adds the key at the end of its section, or appends the section.
    // The caller guarantees that the texts hold no line breaks (see
    // IsValidSettingText).
    void Set(std::string_view section, std::string_view key, std::string_view value);

    // The file's text: every line followed by the file's line end (CR LF when
    // the parsed text used CR LF, else LF).
    std::string Serialize() const;

    // Whether section, key and value can be stored without changing the
    // file's structure: no NUL, CR or LF anywhere; a non-empty section
    // without ']'; a non-empty key without '=' that does not start with '['
    // or ';'.
    static bool IsValidSettingText(std::string_view section, std::string_view key,
                                   std::string_view value);

private:
    std::vector<std::string> lines_;
    std::string eol_ = "\n";
    bool bom_ = false;
};

} // namespace playcore
