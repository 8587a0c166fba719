// The table of user-visible texts, addressed by a small integer id. The table
// has two language rows of 260 slots; ids 0..211 are filled and both rows hold
// the same Japanese texts (UTF-8). The row is chosen once from the user's
// locale and handed to whoever shows texts; nothing here is process-wide.
#pragma once

#include <string>
#include <string_view>

namespace playcore {

inline constexpr int kUiTextCount = 212; // ids 0..211 hold a text
inline constexpr int kUiTextSlots = 260; // slots per language row
inline constexpr int kUiTextLanguages = 2;

// The text in slot language * 260 + id; "" for an empty slot (212..259) and
// for an id or language outside the table. Never null.
const char* ui_text(int id, int language = 0);

// Whether the slot holds a text.
bool HasUiText(int id, int language = 0);

// The language row for a user locale name such as "en_US.UTF-8": 1 for
// English (United States), else 0.
int UiLanguageForLocale(std::string_view locale);

// The user's locale for messages as the C library resolves it: the first
// non-empty of LC_ALL, LC_MESSAGES and LANG, or "" when none is set.
std::string UserMessagesLocale();

// The text row of the given language, for code that keeps the choice.
class UiTexts {
public:
    explicit UiTexts(int language = 0) : language_(language) {}
    // The language from the environment's locale.
    static UiTexts FromEnvironment() { return UiTexts(UiLanguageForLocale(UserMessagesLocale())); }

    const char* operator()(int id) const { return ui_text(id, language_); }
    int language() const { return language_; }

private:
    int language_;
};

} // namespace playcore
