// Fuzzes the settings file parser: any bytes parse, and a key written into
// them reads back as written while the other keys keep their values.
#include "playcore/IniFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    playcore::IniFile ini = playcore::IniFile::Parse(text);
    const std::optional<std::string> before = ini.Get("DISPLAY", "ASPECT");
    ini.Set("DISPLAY", "VOLUME", "123");
    const playcore::IniFile again = playcore::IniFile::Parse(ini.Serialize());
    if (again.Get("display", "volume") != std::optional<std::string>("123")) {
        std::abort();
    }
    if (again.Get("DISPLAY", "ASPECT") != before) {
        std::abort();
    }
    return 0;
}
