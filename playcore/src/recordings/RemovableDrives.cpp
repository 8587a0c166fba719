#include "playcore/RemovableDrives.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

namespace playcore {
namespace {

namespace fs = std::filesystem;

// mountinfo writes space, tab, newline and backslash as \ooo octal escapes.
std::string UnescapeMountField(const std::string& field) {
    std::string out;
    out.reserve(field.size());
    for (std::size_t i = 0; i < field.size(); ++i) {
        if (field[i] == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1];
            const char b = field[i + 2];
            const char c = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && c >= '0' && c <= '7') {
                out += static_cast<char>((a - '0') * 64 + (b - '0') * 8 + (c - '0'));
                i += 3;
                continue;
            }
        }
        out += field[i];
    }
    return out;
}

std::string FirstLineOf(const fs::path& file) {
    std::ifstream in(file);
    std::string line;
    std::getline(in, line);
    while (!line.empty() && (line.back() == '\n' || line.back() == '\r' || line.back() == ' ')) {
        line.pop_back();
    }
    return line;
}

// Whether the block device major:minor holds removable media.
bool IsRemovableDevice(const std::string& sysRoot, const std::string& majorMinor) {
    std::error_code ec;
    fs::path device = fs::canonical(fs::path(sysRoot) / "dev" / "block" / majorMinor, ec);
    if (ec) {
        return false;
    }
    if (fs::exists(device / "partition", ec)) {
        device = device.parent_path();
    }
    if (FirstLineOf(device / "removable") == "1") {
        return true;
    }
    // Built-in card slots report their cards as fixed; the card type tells an
    // SD card from soldered-on eMMC storage.
    return FirstLineOf(device / "device" / "type") == "SD";
}

bool IsSystemMount(const std::string& mountPoint) {
    return mountPoint == "/" || mountPoint == "/boot" || mountPoint.rfind("/boot/", 0) == 0;
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') {
        path.pop_back();
    }
    return path;
}

} // namespace

RemovableDrives ListRemovableDrives() {
    return ListRemovableDrives("/proc/self/mountinfo", "/sys");
}

RemovableDrives ListRemovableDrives(const std::string& mountInfoPath, const std::string& sysRoot) {
    RemovableDrives drives;
    std::ifstream in(mountInfoPath);
    std::string line;
    while (std::getline(in, line)) {
        // id parent major:minor root mountpoint options [optional...] - type source super
        std::istringstream fields(line);
        std::string id, parent, majorMinor, root, mountPoint;
        if (!(fields >> id >> parent >> majorMinor >> root >> mountPoint)) {
            continue;
        }
        if (majorMinor.rfind("0:", 0) == 0) {
            continue; // no block device behind it (proc, tmpfs, network ...)
        }
        mountPoint = UnescapeMountField(mountPoint);
        if (IsSystemMount(mountPoint) ||
            std::find(drives.roots.begin(), drives.roots.end(), mountPoint) != drives.roots.end()) {
            continue;
        }
        if (IsRemovableDevice(sysRoot, majorMinor)) {
            drives.roots.push_back(mountPoint);
        }
    }
    drives.lastIndex = static_cast<int>(drives.roots.size()) - 1;
    return drives;
}

bool IsRemovableRoot(const std::string& path, const RemovableDrives& drives) {
    if (path.empty()) {
        return false;
    }
    std::error_code ec;
    const fs::path canon = fs::weakly_canonical(fs::path(path), ec);
    const std::string wanted = WithoutTrailingSlash(ec ? path : canon.string());
    for (const std::string& root : drives.roots) {
        if (WithoutTrailingSlash(root) == wanted) {
            return true;
        }
    }
    return false;
}

} // namespace playcore
