// Finding removable media, the start-up source and free space.
#include "playcore/DiskSpace.h"
#include "playcore/RemovableDrives.h"
#include "playcore/StartupSource.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

namespace {

using namespace playcore;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
namespace fs = std::filesystem;

// A stand-in for /sys: /dev/block/<major:minor> links into a device folder
// as the kernel lays them out (a partition inside its disk).
class FakeSys {
public:
    explicit FakeSys(const fs::path& root) : root_(root) {
        fs::create_directories(root_ / "dev" / "block");
    }
    // A disk with one partition; `removable` and the optional card type.
    void AddDisk(const std::string& disk, const std::string& diskDev, const std::string& partDev,
                 bool removable, const std::string& type = "") {
        const fs::path d = root_ / "devices" / "pci0" / "block" / disk;
        const fs::path p = d / (disk + "1");
        fs::create_directories(p);
        WriteFileBytes(d / "removable", removable ? "1\n" : "0\n");
        WriteFileBytes(p / "partition", "1\n");
        if (!type.empty()) {
            fs::create_directories(d / "device");
            WriteFileBytes(d / "device" / "type", type + "\n");
        }
        fs::create_directory_symlink(d, root_ / "dev" / "block" / diskDev);
        fs::create_directory_symlink(p, root_ / "dev" / "block" / partDev);
    }

private:
    fs::path root_;
};

TEST(RemovableDrives, MountInfoAndSysfs) {
    TempDir dir;
    FakeSys sys(dir / "sys");
    sys.AddDisk("sda", "8:0", "8:1", false);                // the system disk
    sys.AddDisk("sdb", "8:16", "8:17", true);               // a USB card reader
    sys.AddDisk("mmcblk0", "179:0", "179:1", false, "SD");  // built-in slot, SD card
    sys.AddDisk("mmcblk1", "179:8", "179:9", false, "MMC"); // soldered eMMC
    sys.AddDisk("sdc", "8:32", "8:33", true);
    const std::string mountinfo =
        "22 1 8:1 / / rw,relatime shared:1 - ext4 /dev/sda1 rw\n"
        "23 22 0:21 / /proc rw - proc proc rw\n"
        "30 22 8:17 / /media/user/CARD\\040ONE rw,nosuid shared:5 - vfat /dev/sdb1 rw\n"
        "31 22 179:1 / /media/user/SLOT rw - exfat /dev/mmcblk0p1 rw\n"
        "32 22 179:9 / /home rw - ext4 /dev/mmcblk1p1 rw\n"
        "33 22 8:17 / /media/user/CARD\\040ONE rw - vfat /dev/sdb1 rw\n" // mounted twice
        "34 22 8:33 / /boot/efi rw - vfat /dev/sdc1 rw\n"
        "35 22 8:16 / /mnt/whole rw - vfat /dev/sdb rw\n"
        "garbage\n";
    WriteFileBytes(dir / "mountinfo", mountinfo);
    const RemovableDrives drives =
        ListRemovableDrives((dir / "mountinfo").string(), (dir / "sys").string());
    ASSERT_EQ(drives.roots.size(), 3u);
    EXPECT_EQ(drives.roots[0], "/media/user/CARD ONE");
    EXPECT_EQ(drives.roots[1], "/media/user/SLOT");
    EXPECT_EQ(drives.roots[2], "/mnt/whole");
    EXPECT_EQ(drives.lastIndex, 2);

    const RemovableDrives none =
        ListRemovableDrives((dir / "missing").string(), (dir / "sys").string());
    EXPECT_TRUE(none.roots.empty());
    EXPECT_EQ(none.lastIndex, -1);
}

TEST(RemovableDrives, RootTest) {
    TempDir dir;
    RemovableDrives drives;
    drives.roots = {dir.path().string()};
    EXPECT_TRUE(IsRemovableRoot(dir.path().string(), drives));
    EXPECT_TRUE(IsRemovableRoot(dir.path().string() + "/", drives));
    EXPECT_FALSE(IsRemovableRoot((dir / "sub").string(), drives));
    EXPECT_FALSE(IsRemovableRoot("", drives));
}

TEST(StartupSource, DrivesThenFolderThenFile) {
    TempDir dir;
    fs::create_directories(dir / "cardA");
    fs::create_directories(dir / "cardB");
    fs::create_directories(dir / "folder");
    WriteFileBytes(dir / "file.MP4", "x");
    std::map<std::string, std::string> settings = {{"FOLDER", (dir / "folder").string()},
                                                   {"FILE", (dir / "file.MP4").string()}};
    const SettingReader read = [&](std::string_view section, std::string_view key) {
        EXPECT_EQ(section, "SOURCE");
        auto it = settings.find(std::string(key));
        return it == settings.end() ? std::string() : it->second;
    };

    RemovableDrives drives;
    drives.roots = {(dir / "cardA").string(), (dir / "cardB").string(), (dir / "gone").string()};
    // The last medium that is present.
    StartupSource s = ChooseStartupSource(drives, read);
    EXPECT_EQ(s.path, (dir / "cardB").string());
    EXPECT_EQ(s.kind, SourceKind::Removable);

    drives.roots.clear();
    s = ChooseStartupSource(drives, read);
    EXPECT_EQ(s.path, (dir / "folder").string());
    EXPECT_EQ(s.kind, SourceKind::Folder);

    settings["FOLDER"] = (dir / "moved").string();
    s = ChooseStartupSource(drives, read);
    EXPECT_EQ(s.kind, SourceKind::File);

    settings["FILE"] = "";
    s = ChooseStartupSource(drives, read);
    EXPECT_EQ(s.kind, SourceKind::None);
    EXPECT_EQ(s.path, "");
}

TEST(SourceKind, Keys) {
    EXPECT_STREQ(SourceKindKey(SourceKind::Removable), "SD");
    EXPECT_STREQ(SourceKindKey(SourceKind::Folder), "FOLDER");
    EXPECT_STREQ(SourceKindKey(SourceKind::File), "FILE");
    EXPECT_EQ(SourceKindFromKey("FILE"), SourceKind::File);
    EXPECT_EQ(SourceKindFromKey("sd"), std::nullopt);
}

TEST(DiskSpace, FreeSpaceAndRoom) {
    TempDir dir;
    const uint64_t free = FreeSpaceOf(dir.path().string());
    ASSERT_GT(free, 0u);
    // A file about to be written is measured at its folder.
    const uint64_t later = FreeSpaceOf((dir / "not" / "yet" / "out.mp4").string());
    EXPECT_GT(later, 0u);
    EXPECT_EQ(FreeSpaceOf(""), 0u);

    RecordingDescriptor d;
    d.mainPath = (dir / "001_120000A_M.MP4").string();
    d.mainSize = 1000;
    d.rearSize = 1000;
    EXPECT_TRUE(HasRoomForRecording(d));
    d.mainSize = free;
    EXPECT_FALSE(HasRoomForRecording(d));
    // Rear path when there is no main file; a folder entry never fits.
    d.mainPath.clear();
    d.rearPath = (dir / "001_120000A_R.MP4").string();
    d.mainSize = 0;
    EXPECT_TRUE(HasRoomForRecording(d));
    d.mainSize = d.rearSize = ~uint64_t{0};
    EXPECT_FALSE(HasRoomForRecording(d));
}

} // namespace
