// Converts UTF-8 text to the character set of the user's locale, as exported
// text files are written in it. The character set is the locale's codeset
// (the environment's LC_ALL / LC_CTYPE / LANG, read without touching the
// process-wide locale); UTF-8 on most systems. A locale whose codeset is plain
// ASCII (the "C" locale: no locale configured at all) writes UTF-8, since it
// cannot hold the program's own Japanese texts.
#pragma once

#include <memory>
#include <string>
#include <string_view>

namespace playcore {

class CharsetEncoder {
public:
    // `charset` names the target (as iconv knows it); empty: the locale's.
    explicit CharsetEncoder(std::string charset = {});
    ~CharsetEncoder();
    CharsetEncoder(const CharsetEncoder&) = delete;
    CharsetEncoder& operator=(const CharsetEncoder&) = delete;

    // Whether the converter could be set up; when not, Encode() fails.
    bool ok() const;
    // The target character set in use ("UTF-8" when no conversion is needed).
    const std::string& charset() const { return charset_; }

    // Converts `utf8`. A character the target set cannot hold becomes '?', as
    // the system's own conversions do; invalid UTF-8 bytes become '?' as
    // well. False only when the converter is unusable.
    bool Encode(std::string_view utf8, std::string* out) const;

    // The locale's codeset as this class resolves it (before the ASCII rule).
    static std::string LocaleCodeset();

private:
    struct Impl;
    std::string charset_;
    std::unique_ptr<Impl> impl_;
};

} // namespace playcore
