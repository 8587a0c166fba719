#include "playcore/DirectoryEntry.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <sys/stat.h>

namespace playcore {

bool ListDirectory(const std::string& path, DirectoryListing& entries) {
    entries.clear();
    // An empty path names no folder (it must not fall back to the working
    // directory).
    DIR* dir = path.empty() ? nullptr : ::opendir(path.c_str());
    if (dir == nullptr) {
        return false;
    }
    const int dirFd = ::dirfd(dir);
    for (;;) {
        errno = 0;
        const dirent* e = ::readdir(dir);
        if (e == nullptr) {
            break; // end of the listing, or a read error: keep what was read
        }
        DirectoryEntry entry;
        entry.name = e->d_name;
        if (e->d_type == DT_DIR) {
            entry.isDirectory = true;
        } else if (e->d_type == DT_LNK || e->d_type == DT_UNKNOWN) {
            // Links count as what they point to; some file systems do not
            // report the type in the listing at all.
            struct stat st {};
            entry.isDirectory = ::fstatat(dirFd, e->d_name, &st, 0) == 0 && S_ISDIR(st.st_mode);
        }
        entries.push_back(std::move(entry));
    }
    ::closedir(dir);
    return true;
}

bool NameLess(const std::string& a, const std::string& b) {
    // std::string compares with char_traits<char>, which orders as unsigned char.
    return a < b;
}

void SortDirectoryEntriesByName(DirectoryListing& entries) {
    std::stable_sort(
        entries.begin(), entries.end(),
        [](const DirectoryEntry& a, const DirectoryEntry& b) { return NameLess(a.name, b.name); });
}

void SortDirectoryEntries(DirectoryListing& entries) {
    std::stable_sort(entries.begin(), entries.end(),
                     [](const DirectoryEntry& a, const DirectoryEntry& b) {
                         if (a.isDirectory != b.isDirectory) {
                             return a.isDirectory;
                         }
                         return NameLess(a.name, b.name);
                     });
}

std::string JoinPath(const std::string& folder, const std::string& name) {
    if (folder.empty()) {
        return name;
    }
    if (folder.back() == '/') {
        return folder + name;
    }
    std::string full;
    full.reserve(folder.size() + 1 + name.size());
    full += folder;
    full += '/';
    full += name;
    return full;
}

} // namespace playcore
