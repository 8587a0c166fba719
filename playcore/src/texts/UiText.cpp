#include "playcore/UiText.h"

#include "UiTextTable.h"

#include <cstdlib>

namespace playcore {

const char* ui_text(int id, int language) {
    if (language < 0 || language >= kUiTextLanguages || id < 0 || id >= kUiTextSlots) {
        return "";
    }
    // Language 1 is a slot-for-slot copy of language 0.
    return id < kUiTextCount ? detail::kUiTexts[id] : "";
}

bool HasUiText(int id, int language) {
    return language >= 0 && language < kUiTextLanguages && id >= 0 && id < kUiTextCount;
}

int UiLanguageForLocale(std::string_view locale) {
    // "en_US", optionally followed by ".codeset" and/or "@modifier".
    if (locale.substr(0, 5) != "en_US") {
        return 0;
    }
    return (locale.size() == 5 || locale[5] == '.' || locale[5] == '@') ? 1 : 0;
}

std::string UserMessagesLocale() {
    for (const char* name : {"LC_ALL", "LC_MESSAGES", "LANG"}) {
        const char* v = std::getenv(name);
        if (v != nullptr && *v != '\0') {
            return v;
        }
    }
    return {};
}

} // namespace playcore
