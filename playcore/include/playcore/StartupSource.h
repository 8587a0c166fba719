// The source the viewer opens by itself when it starts.
#pragma once

#include "playcore/RemovableDrives.h"
#include "playcore/SourceKind.h"

#include <functional>
#include <string>
#include <string_view>

namespace playcore {

struct StartupSource {
    std::string path;
    SourceKind kind = SourceKind::None;
};

// Reads one setting (section, key); "" when it is not set.
using SettingReader = std::function<std::string(std::string_view section, std::string_view key)>;

// The last listed medium that is present; else SOURCE/FOLDER when that folder
// exists; else SOURCE/FILE when that file exists; else nothing.
StartupSource ChooseStartupSource(const RemovableDrives& drives, const SettingReader& readSetting);

} // namespace playcore
