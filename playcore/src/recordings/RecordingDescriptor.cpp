#include "playcore/RecordingDescriptor.h"

#include "playcore/RecordingNames.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace playcore {
namespace {

bool HasMp4Extension(std::string_view name) {
    const std::size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || name.size() - dot != 4) {
        return false;
    }
    const std::string_view ext = name.substr(dot + 1);
    return (ext[0] == 'M' || ext[0] == 'm') && (ext[1] == 'P' || ext[1] == 'p') && ext[2] == '4';
}

// Opens the file for reading and returns its size; nothing for a path that
// does not name a readable regular file.
bool OpenedFileSize(const std::string& path, uint64_t& size) {
    if (path.empty()) {
        return false;
    }
    int fd = -1;
    do {
        fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    } while (fd < 0 && errno == EINTR);
    if (fd < 0) {
        return false;
    }
    struct stat st {};
    const bool ok = ::fstat(fd, &st) == 0 && S_ISREG(st.st_mode);
    ::close(fd);
    if (ok) {
        size = static_cast<uint64_t>(st.st_size);
    }
    return ok;
}

} // namespace

const std::string& DescriptorName(const RecordingDescriptor& d) {
    return d.mainName.empty() ? d.rearName : d.mainName;
}

bool PairRecordingFile(const std::string& path, const RecordingList& list, std::string& mainOut,
                       std::string& rearOut) {
    const std::string_view name = FileNamePart(path);
    std::string main;
    std::string rear;
    if (IsMainFileName(name)) {
        main = path;
        rear = FindPartnerFile(path);
    } else if (IsRearFileName(name)) {
        rear = path;
        main = FindPartnerFile(path);
    } else {
        return false;
    }
    for (const RecordingDescriptor& d : list) {
        if ((!main.empty() && d.mainPath == main) || (!rear.empty() && d.rearPath == rear)) {
            return false;
        }
    }
    mainOut = std::move(main);
    rearOut = std::move(rear);
    return true;
}

bool MakeRecordingDescriptor(const std::string& mainPath, const std::string& rearPath,
                             RecordingList& list, DescriptorCounters& counters) {
    const std::string_view mainName = FileNamePart(mainPath);
    const std::string_view rearName = FileNamePart(rearPath);
    const bool mainOk = IsMainFileName(mainName) && HasMp4Extension(mainName);
    if (!mainOk && !(IsRearFileName(rearName) && HasMp4Extension(rearName))) {
        return false;
    }
    RecordingDescriptor d;
    d.mainPath = mainPath;
    d.mainName = std::string(mainName);
    d.rearPath = rearPath;
    d.rearName = std::string(rearName);
    d.listIndex = counters.listCounter++;
    d.serial = counters.serials->Next();
    d.group = 0;
    d.marked = 0;

    const bool mainOpened = OpenedFileSize(mainPath, d.mainSize);
    const bool rearOpened = OpenedFileSize(rearPath, d.rearSize);
    if (!mainOpened && !rearOpened) {
        return false;
    }
    d.parking = IsParkingTrigger(TriggerCode(DescriptorName(d))) ? 1 : 0;
    d.nameInitial = TriggerCode(d.mainName) != kNoTrigger ? FirstUtf16Unit(d.mainName) : 0;
    list.push_back(std::move(d));
    return true;
}

void MakeFolderDescriptor(const std::string& folderPath, RecordingList& list) {
    RecordingDescriptor d;
    d.mainPath = folderPath;
    std::string_view trimmed = folderPath;
    while (trimmed.size() > 1 && trimmed.back() == '/') {
        trimmed.remove_suffix(1);
    }
    d.mainName = std::string(FileNamePart(trimmed));
    d.listIndex = -1;
    d.serial = -1;
    d.group = -1;
    d.mainSize = kFolderEntrySize;
    d.rearSize = kFolderEntrySize;
    list.push_back(std::move(d));
}

} // namespace playcore
