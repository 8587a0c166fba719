// The mounted removable media (SD cards, card readers, USB sticks), listed by
// mount point. They stand where a desktop shows drive letters: the source
// dialog offers them and start-up opens the last one that is present.
#pragma once

#include <string>
#include <vector>

namespace playcore {

struct RemovableDrives {
    std::vector<std::string> roots; // mount points, in the system's mount order
    int lastIndex = -1;             // index of the last root, -1 when there is none
};

// Reads /proc/self/mountinfo and /sys. A mount counts when its block device
// (or the disk a partition belongs to) reports removable media, or is an SD
// card in a built-in card slot. The system's own root ("/") and /boot mounts
// are left out; a mount point mounted twice is listed once.
RemovableDrives ListRemovableDrives();

// The same with the two sources given (tests): the text of a mountinfo file
// and the folder that stands for /sys.
RemovableDrives ListRemovableDrives(const std::string& mountInfoPath, const std::string& sysRoot);

// Whether `path` is the mount point of one of the listed media.
bool IsRemovableRoot(const std::string& path, const RemovableDrives& drives);

} // namespace playcore
