#include "playcore/StartupSource.h"

#include <filesystem>
#include <system_error>

namespace playcore {

StartupSource ChooseStartupSource(const RemovableDrives& drives, const SettingReader& readSetting) {
    namespace fs = std::filesystem;
    std::error_code ec;
    for (auto it = drives.roots.rbegin(); it != drives.roots.rend(); ++it) {
        if (!it->empty() && fs::exists(*it, ec)) {
            return {*it, SourceKind::Removable};
        }
    }
    if (readSetting) {
        const std::string folder = readSetting("SOURCE", "FOLDER");
        if (!folder.empty() && fs::exists(folder, ec)) {
            return {folder, SourceKind::Folder};
        }
        const std::string file = readSetting("SOURCE", "FILE");
        if (!file.empty() && fs::exists(file, ec)) {
            return {file, SourceKind::File};
        }
    }
    return {};
}

} // namespace playcore
