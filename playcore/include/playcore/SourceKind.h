// What the viewer has open: nothing, a removable medium, a folder or a file.
#pragma once

#include <optional>
#include <string_view>

namespace playcore {

enum class SourceKind { None = 0, Removable = 1, Folder = 2, File = 3 };

// The word stored under SOURCE/SELECT: "SD", "FOLDER", "FILE"; "" for None.
const char* SourceKindKey(SourceKind kind);

// The kind a stored word names; nothing for any other text.
std::optional<SourceKind> SourceKindFromKey(std::string_view key);

} // namespace playcore
