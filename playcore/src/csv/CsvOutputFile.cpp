#include "playcore/CsvOutputFile.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <sys/stat.h>
#include <unistd.h>

namespace playcore {

namespace fs = std::filesystem;

namespace {

// The process's umask without changing it (umask() would, and is not
// thread-safe): Linux reports it in /proc/self/status.
mode_t CurrentUmask() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("Umask:", 0) == 0) {
            return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
        }
    }
    return 022;
}

} // namespace

CsvOutputFile::~CsvOutputFile() {
    Abandon();
}

bool CsvOutputFile::Fail(const std::string& what, int err) {
    diskFailed_ = err != 0;
    error_ = what;
    if (err != 0) {
        error_ += ": ";
        error_ += std::strerror(err);
    }
    return false;
}

bool CsvOutputFile::Create(const fs::path& finalPath) {
    Abandon();
    error_.clear();
    existed_ = false;
    lines_ = 0;
    finalPath_ = finalPath;
    if (!encoder_.ok()) {
        return Fail("unknown character set " + encoder_.charset(), 0);
    }
    const fs::path dir = finalPath.has_parent_path() ? finalPath.parent_path() : fs::path(".");
    std::string tmpl = (dir / ("." + finalPath.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(tmpl.data(), O_CLOEXEC);
    if (fd < 0) {
        return Fail("cannot create a file in " + dir.string(), errno);
    }
    ::fchmod(fd, 0666 & ~CurrentUmask());
    fd_ = fd;
    tempPath_ = tmpl;
    return true;
}

bool CsvOutputFile::Append(const std::string& bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd_, bytes.data() + done, bytes.size() - done);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            return Fail("cannot write " + tempPath_.string(), errno);
        }
        done += static_cast<std::size_t>(n);
    }
    return true;
}

bool CsvOutputFile::WriteLine(std::string_view line) {
    return WritePieces({line});
}

bool CsvOutputFile::WritePieces(std::initializer_list<std::string_view> pieces) {
    if (fd_ < 0) {
        return Fail("the file is not open", 0);
    }
    std::string all;
    std::string converted;
    for (std::string_view piece : pieces) {
        if (!encoder_.Encode(piece, &converted)) {
            return Fail("cannot convert the text to " + encoder_.charset(), 0);
        }
        if (converted.size() > kMaxLineBytes) {
            return Fail("a line is longer than 259 bytes", 0);
        }
        all += converted;
    }
    if (!Append(all)) {
        return false;
    }
    ++lines_;
    return true;
}

bool CsvOutputFile::Finish(bool replaceExisting) {
    if (fd_ < 0) {
        return Fail("the file is not open", 0);
    }
    const int fd = fd_;
    fd_ = -1;
    const bool synced = ::fsync(fd) == 0;
    const int syncErr = errno;
    const bool closed = ::close(fd) == 0;
    const int closeErr = errno;
    if (!synced || !closed) {
        ::unlink(tempPath_.c_str());
        const std::string where = tempPath_.string();
        tempPath_.clear();
        return Fail("cannot write " + where, synced ? closeErr : syncErr);
    }
    int r = 0;
    if (replaceExisting) {
        r = ::rename(tempPath_.c_str(), finalPath_.c_str());
    } else {
        r = ::renameat2(AT_FDCWD, tempPath_.c_str(), AT_FDCWD, finalPath_.c_str(),
                        RENAME_NOREPLACE);
        if (r != 0 && (errno == EINVAL || errno == ENOSYS)) {
            // The filesystem cannot refuse by itself: test first.
            std::error_code ec;
            if (fs::exists(finalPath_, ec)) {
                errno = EEXIST;
                r = -1;
            } else {
                r = ::rename(tempPath_.c_str(), finalPath_.c_str());
            }
        }
    }
    if (r != 0) {
        const int err = errno;
        existed_ = err == EEXIST;
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
        return Fail("cannot create " + finalPath_.string(), err);
    }
    const fs::path dir = finalPath_.has_parent_path() ? finalPath_.parent_path() : fs::path(".");
    const int dirFd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd >= 0) {
        ::fsync(dirFd);
        ::close(dirFd);
    }
    tempPath_.clear();
    return true;
}

void CsvOutputFile::Abandon() {
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
    }
    if (!tempPath_.empty()) {
        ::unlink(tempPath_.c_str());
        tempPath_.clear();
    }
}

} // namespace playcore
