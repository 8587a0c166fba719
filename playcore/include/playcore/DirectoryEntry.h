// One entry of a folder listing, and the listing and its sort orders.
#pragma once

#include <string>
#include <vector>

namespace playcore {

struct DirectoryEntry {
    std::string name;         // file name, "." and ".." included in listings
    bool isDirectory = false; // a folder (a symbolic link counts as what it points to)

    friend bool operator==(const DirectoryEntry&, const DirectoryEntry&) = default;
};

using DirectoryListing = std::vector<DirectoryEntry>;

// All entries of the folder in the order the system returns them, "." and
// ".." included. False, with no entries, when the folder cannot be listed.
bool ListDirectory(const std::string& path, DirectoryListing& entries);

// Directories first, then the other entries, each part ascending by name in
// unsigned code-unit order (case matters: "B" before "a").
void SortDirectoryEntries(DirectoryListing& entries);

// The whole listing ascending by name in one piece.
void SortDirectoryEntriesByName(DirectoryListing& entries);

// Unsigned code-unit order of two names. Byte order on UTF-8 is the order of
// the UTF-16 units for every character the camera's names can hold.
bool NameLess(const std::string& a, const std::string& b);

// "<folder>/<name>"; no separator is doubled when the folder ends in '/', and
// an empty folder gives the name alone.
std::string JoinPath(const std::string& folder, const std::string& name);

} // namespace playcore
