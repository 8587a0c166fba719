#include "playcore/SourceKind.h"

namespace playcore {

const char* SourceKindKey(SourceKind kind) {
    switch (kind) {
    case SourceKind::Removable:
        return "SD";
    case SourceKind::Folder:
        return "FOLDER";
    case SourceKind::File:
        return "FILE";
    case SourceKind::None:
        break;
    }
    return "";
}

std::optional<SourceKind> SourceKindFromKey(std::string_view key) {
    if (key == "SD") {
        return SourceKind::Removable;
    }
    if (key == "FOLDER") {
        return SourceKind::Folder;
    }
    if (key == "FILE") {
        return SourceKind::File;
    }
    return std::nullopt;
}

} // namespace playcore
