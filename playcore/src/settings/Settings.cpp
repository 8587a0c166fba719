#include "playcore/Settings.h"

#include "playcore/AtomicOutputFile.h"
#include "playcore/IniFile.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace playcore {

namespace fs = std::filesystem;

namespace {

// A settings file beyond this size is not ours; it is neither parsed nor
// rewritten.
constexpr off_t kMaxFileBytes = 4 * 1024 * 1024;

enum class ReadResult { Ok, Missing, Failed };

ReadResult ReadWholeFile(const fs::path& path, std::string& out) {
    out.clear();
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        return errno == ENOENT ? ReadResult::Missing : ReadResult::Failed;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size > kMaxFileBytes) {
        ::close(fd);
        return ReadResult::Failed;
    }
    char buf[8192];
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            ::close(fd);
            return ReadResult::Failed;
        }
        if (n == 0) {
            break;
        }
        out.append(buf, static_cast<std::size_t>(n));
        if (out.size() > static_cast<std::size_t>(kMaxFileBytes)) {
            ::close(fd);
            return ReadResult::Failed;
        }
    }
    ::close(fd);
    return ReadResult::Ok;
}

// Cuts `s` to at most `maxChars` UTF-8 characters.
std::string CutToChars(std::string s, std::size_t maxChars) {
    std::size_t chars = 0;
    for (std::size_t i = 0; i < s.size(); ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        if ((c & 0xC0) != 0x80) {
            if (chars == maxChars) {
                s.resize(i);
                return s;
            }
            ++chars;
        }
    }
    return s;
}

// Holds an exclusive advisory lock on the start directory for one
// read-modify-write, so two running copies do not lose each other's key.
class DirectoryLock {
public:
    explicit DirectoryLock(const fs::path& dir)
        : fd_(::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0) {
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
        }
    }
    ~DirectoryLock() {
        if (fd_ >= 0) {
            ::close(fd_); // releases the lock
        }
    }
    DirectoryLock(const DirectoryLock&) = delete;
    DirectoryLock& operator=(const DirectoryLock&) = delete;

private:
    int fd_;
};

} // namespace

fs::path SettingsFilePath(const fs::path& startDir) {
    return startDir / settings::kFileName;
}

bool SettingsFileExists(const fs::path& startDir) {
    std::error_code ec;
    return fs::exists(SettingsFilePath(startDir), ec);
}

std::string ReadSetting(const fs::path& startDir, std::string_view section, std::string_view key) {
    std::string text;
    if (ReadWholeFile(SettingsFilePath(startDir), text) != ReadResult::Ok) {
        return {};
    }
    std::optional<std::string> value = IniFile::Parse(text).Get(section, key);
    if (!value) {
        return {};
    }
    return CutToChars(std::move(*value), settings::kMaxValueChars);
}

bool WriteSetting(const fs::path& startDir, std::string_view section, std::string_view key,
                  std::string_view value) {
    if (!IniFile::IsValidSettingText(section, key, value)) {
        return false;
    }
    // A settings file that is a link stays a link: the file it names is
    // replaced, keeping its permissions (a new file gets 0644).
    AtomicOutputFile::Options options;
    options.mode = 0644;
    options.keepExistingMode = true;
    options.followSymlink = true;
    AtomicOutputFile out;
    if (!out.Open(SettingsFilePath(startDir).string(), options)) {
        return false;
    }
    const fs::path target = out.finalPath();
    const fs::path dir = target.parent_path().empty() ? fs::path(".") : target.parent_path();
    DirectoryLock lock(dir);

    std::string text;
    if (ReadWholeFile(target, text) == ReadResult::Failed) {
        return false; // never replace a file that could not be read back
    }
    IniFile ini = IniFile::Parse(text);
    ini.Set(section, key, value);
    const std::string bytes = ini.Serialize();
    return out.Write(bytes.data(), bytes.size()) && out.Commit();
}

bool WriteSettingNumber(const fs::path& startDir, std::string_view section, std::string_view key,
                        int value) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "%d", value);
    return WriteSetting(startDir, section, key, buf);
}

int ParseSettingDecimal(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || (text[i] >= '\t' && text[i] <= '\r'))) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long v = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        v = v * 10 + (text[i] - '0');
        if (v > static_cast<long long>(INT_MAX) + 1) {
            v = static_cast<long long>(INT_MAX) + 1;
        }
    }
    if (negative) {
        v = -v;
    }
    if (v > INT_MAX) {
        return INT_MAX;
    }
    return static_cast<int>(v);
}

int VolumeFromSetting(std::string_view text) {
    if (text.empty()) {
        return settings::kDefaultVolume;
    }
    const int v = ParseSettingDecimal(text);
    return v < 0 ? 0 : (v > 65535 ? 65535 : v);
}

int ModelSelectFromSetting(std::string_view text) {
    const int v = ParseSettingDecimal(text);
    return (v >= 0 && v <= 2) ? v : 0;
}

bool HardwareDecodeFromSetting(std::string_view text) {
    return text == "on";
}

bool WriteFirstRunDefaults(const fs::path& startDir) {
    bool ok = WriteSetting(startDir, settings::kDisplay, settings::kInfoCheck, "31");
    ok = WriteSetting(startDir, settings::kDisplay, settings::kAspect, "on") && ok;
    ok = WriteSettingNumber(startDir, settings::kDisplay, settings::kVolume,
                            settings::kDefaultVolume) &&
         ok;
    return ok;
}

StartupSettings LoadStartupSettings(const fs::path& startDir) {
    StartupSettings s;
    s.fileExisted = SettingsFileExists(startDir);
    if (!s.fileExisted) {
        WriteFirstRunDefaults(startDir); // a failed write is not reported
    }
    s.hardwareDecode =
        HardwareDecodeFromSetting(ReadSetting(startDir, settings::kDecode, settings::kHw));
    s.volume = VolumeFromSetting(ReadSetting(startDir, settings::kDisplay, settings::kVolume));
    if (s.fileExisted) {
        s.modelSelect = ModelSelectFromSetting(
            ReadSetting(startDir, settings::kDisplay, settings::kModelSelect));
    }
    return s;
}

} // namespace playcore
