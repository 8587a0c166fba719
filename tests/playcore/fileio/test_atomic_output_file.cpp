#include "playcore/AtomicOutputFile.h"

#include "TestSupport.h"

#include <algorithm>
#include <fcntl.h>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace playcore;
using namespace testsupport;
namespace fs = std::filesystem;

namespace {

mode_t ModeOf(const fs::path& p) {
    struct stat st {};
    EXPECT_EQ(::stat(p.c_str(), &st), 0) << p;
    return st.st_mode & 07777;
}

// Bytes that differ at every offset within a cycle longer than any buffer
// boundary, so a shifted or repeated chunk shows.
std::string Pattern(size_t n) {
    std::string s(n, '\0');
    uint32_t x = 12345;
    for (size_t i = 0; i < n; ++i) {
        x = x * 1103515245u + 12345u;
        s[i] = static_cast<char>(x >> 24);
    }
    return s;
}

} // namespace

TEST(AtomicOutputFile, NothingUnderTheFinalNameBeforeCommit) {
    TempDir dir;
    const fs::path target = dir.path() / "out.bin";
    AtomicOutputFile out;
    ASSERT_TRUE(out.Open(target.string())) << out.error();
    ASSERT_TRUE(out.Write("hello ", 6));
    ASSERT_TRUE(out.Write("world", 5));
    EXPECT_FALSE(fs::exists(target));
    // The temporary is a hidden sibling, so the rename stays on one file system.
    const fs::path temp = out.temporaryPath();
    EXPECT_EQ(temp.parent_path(), dir.path());
    EXPECT_EQ(temp.filename().string().rfind(".out.bin.", 0), 0u) << temp;
    EXPECT_EQ(out.BytesWritten(), 11u);

    ASSERT_TRUE(out.Commit()) << out.error();
    EXPECT_EQ(ReadFileBytes(target), "hello world");
    EXPECT_FALSE(fs::exists(temp));
    EXPECT_TRUE(out.temporaryPath().empty());
    EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{"out.bin"});
    // A plain create's mode, not mkostemp's 0600.
    const mode_t mask = ::umask(022);
    ::umask(mask);
    EXPECT_EQ(ModeOf(target), 0666 & ~mask);
    // A second commit has nothing to commit.
    EXPECT_FALSE(out.Commit());
}

TEST(AtomicOutputFile, AbandonAndDestructorRemoveTheTemporaryAndKeepTheOldFile) {
    TempDir dir;
    const fs::path target = dir.path() / "keep.txt";
    WriteFileBytes(target, "old");
    {
        AtomicOutputFile out;
        ASSERT_TRUE(out.Open(target.string()));
        ASSERT_TRUE(out.Write("new", 3));
        const std::string temp = out.temporaryPath();
        EXPECT_TRUE(fs::exists(temp));
        out.Abandon();
        EXPECT_FALSE(fs::exists(temp));
        EXPECT_FALSE(out.Write("x", 1));        // closed after Abandon
        ASSERT_TRUE(out.Open(target.string())); // reusable
        ASSERT_TRUE(out.Write("newer", 5));
    } // destroyed uncommitted
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{"keep.txt"});
}

TEST(AtomicOutputFile, ReplacesOrRefusesAnExistingFile) {
    TempDir dir;
    const fs::path target = dir.path() / "a.csv";
    WriteFileBytes(target, "previous contents, longer than the new ones");
    {
        AtomicOutputFile out;
        ASSERT_TRUE(out.Open(target.string()));
        ASSERT_TRUE(out.Write("second", 6));
        EXPECT_FALSE(out.Commit(/*replaceExisting=*/false));
        EXPECT_TRUE(out.finalExisted());
        EXPECT_FALSE(out.error().empty());
        EXPECT_EQ(ReadFileBytes(target), "previous contents, longer than the new ones");
        EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{"a.csv"});
    }
    AtomicOutputFile out;
    ASSERT_TRUE(out.Open(target.string()));
    ASSERT_TRUE(out.Write("second", 6));
    ASSERT_TRUE(out.Commit());
    EXPECT_FALSE(out.finalExisted());
    EXPECT_EQ(ReadFileBytes(target), "second");

    // Refusing to replace still creates a new name.
    AtomicOutputFile fresh;
    ASSERT_TRUE(fresh.Open((dir.path() / "b.csv").string()));
    ASSERT_TRUE(fresh.Commit(false));
    EXPECT_EQ(ReadFileBytes(dir.path() / "b.csv"), "");
}

TEST(AtomicOutputFile, ModeOptionsAndFollowedLinks) {
    TempDir dir;
    const fs::path real = dir.path() / "real.ini";
    const fs::path link = dir.path() / "link.ini";
    WriteFileBytes(real, "old");
    ASSERT_EQ(::chmod(real.c_str(), 0640), 0);
    fs::create_symlink(real, link);

    AtomicOutputFile::Options keep;
    keep.mode = 0644;
    keep.keepExistingMode = true;
    keep.followSymlink = true;
    AtomicOutputFile out;
    ASSERT_TRUE(out.Open(link.string(), keep)) << out.error();
    EXPECT_EQ(fs::path(out.finalPath()), fs::canonical(real));
    ASSERT_TRUE(out.Write("new", 3));
    ASSERT_TRUE(out.Commit()) << out.error();
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(real), "new");
    EXPECT_EQ(ModeOf(real), 0640u);

    // Without the options the link itself is replaced; a new file gets the
    // given mode whatever the umask.
    AtomicOutputFile::Options fixed;
    fixed.mode = 0604;
    ASSERT_TRUE(out.Open(link.string(), fixed));
    ASSERT_TRUE(out.Write("own", 3));
    ASSERT_TRUE(out.Commit());
    EXPECT_FALSE(fs::is_symlink(link));
    EXPECT_EQ(ReadFileBytes(link), "own");
    EXPECT_EQ(ReadFileBytes(real), "new");
    EXPECT_EQ(ModeOf(link), 0604u);
}

TEST(AtomicOutputFile, CopyFromCopiesTheRangeExactly) {
    TempDir dir;
    // More than the 4 MiB fallback buffer, at an odd offset and length.
    const std::string data = Pattern(9 * 1024 * 1024 + 77);
    const uint64_t offset = 1234567;
    const uint64_t length = data.size() - offset - 4321;

    std::vector<fs::path> sources = {dir.path() / "source.bin"}; // same file system
    // A file on another file system forces the copy through memory (the
    // kernel refuses copy_file_range across them).
    const fs::path shm = fs::path("/dev/shm") / ("atomic_output_" + std::to_string(::getpid()));
    std::error_code ec;
    if (fs::is_directory("/dev/shm", ec)) {
        sources.push_back(shm);
    }
    for (const fs::path& source : sources) {
        SCOPED_TRACE(source.string());
        WriteFileBytes(source, data);
        const int fd = ::open(source.c_str(), O_RDONLY | O_CLOEXEC);
        ASSERT_GE(fd, 0);
        const fs::path target = dir.path() / "copy.bin";
        AtomicOutputFile out;
        ASSERT_TRUE(out.Open(target.string()));
        ASSERT_TRUE(out.Write("head", 4));
        ASSERT_TRUE(out.CopyFrom(fd, offset, length)) << out.error();
        ASSERT_TRUE(out.CopyFrom(fd, 0, 0));
        ASSERT_TRUE(out.Write("tail", 4));
        EXPECT_EQ(out.BytesWritten(), length + 8);

        // Beyond the end of the source is an error, not a short file.
        AtomicOutputFile past;
        ASSERT_TRUE(past.Open((dir.path() / "past.bin").string()));
        EXPECT_FALSE(past.CopyFrom(fd, data.size() - 10, 11));
        EXPECT_FALSE(past.error().empty());
        ::close(fd);

        ASSERT_TRUE(out.Commit());
        EXPECT_EQ(ReadFileBytes(target), "head" + data.substr(offset, length) + "tail");
    }
    fs::remove(shm, ec);
}

TEST(AtomicOutputFile, CopyFromPseudoFilesAndPipes) {
    // /proc files report a size of 0 and do not take copy_file_range; the
    // copy must still give their bytes.
    std::string expected;
    {
        const int rfd = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
        ASSERT_GE(rfd, 0);
        char buf[4096];
        ssize_t n = 0;
        while ((n = ::read(rfd, buf, sizeof buf)) > 0) {
            expected.append(buf, static_cast<size_t>(n));
        }
        ::close(rfd);
    }
    ASSERT_FALSE(expected.empty());
    TempDir dir;
    const fs::path target = dir.path() / "cmdline";
    const int fd = ::open("/proc/self/cmdline", O_RDONLY | O_CLOEXEC);
    ASSERT_GE(fd, 0);
    AtomicOutputFile out;
    ASSERT_TRUE(out.Open(target.string()));
    ASSERT_TRUE(out.CopyFrom(fd, 1, expected.size() - 1)) << out.error();
    ::close(fd);
    ASSERT_TRUE(out.Commit());
    EXPECT_EQ(ReadFileBytes(target), expected.substr(1));

    // A pipe has no offsets: a clear error, nothing under the final name.
    int pipeFds[2];
    ASSERT_EQ(::pipe(pipeFds), 0);
    ASSERT_EQ(::write(pipeFds[1], "abcdef", 6), 6);
    AtomicOutputFile piped;
    ASSERT_TRUE(piped.Open((dir.path() / "piped").string()));
    EXPECT_FALSE(piped.CopyFrom(pipeFds[0], 0, 6));
    EXPECT_FALSE(piped.error().empty());
    piped.Abandon();
    ::close(pipeFds[0]);
    ::close(pipeFds[1]);
    EXPECT_FALSE(fs::exists(dir.path() / "piped"));
}

TEST(AtomicOutputFile, FailingFolders) {
    TempDir dir;
    AtomicOutputFile out;
    EXPECT_FALSE(out.Open((dir.path() / "missing" / "x.bin").string()));
    EXPECT_NE(out.error().find("missing"), std::string::npos) << out.error();
    EXPECT_FALSE(out.isOpen());
    EXPECT_FALSE(out.Write("x", 1));

    // A final name that is a folder: the rename fails, the temporary goes.
    const fs::path folder = dir.path() / "taken";
    fs::create_directory(folder);
    WriteFileBytes(folder / "inside", "x");
    ASSERT_TRUE(out.Open(folder.string()));
    ASSERT_TRUE(out.Write("data", 4));
    EXPECT_FALSE(out.Commit());
    EXPECT_NE(out.error().find("taken"), std::string::npos) << out.error();
    EXPECT_FALSE(out.finalExisted());
    EXPECT_TRUE(out.temporaryPath().empty());
    EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{"taken"});

    // A folder that cannot be written (root writes anyway).
    if (::geteuid() != 0) {
        const fs::path locked = dir.path() / "locked";
        fs::create_directory(locked);
        ::chmod(locked.c_str(), 0555);
        EXPECT_FALSE(out.Open((locked / "x.bin").string()));
        EXPECT_FALSE(out.error().empty());
        ::chmod(locked.c_str(), 0755);
        EXPECT_TRUE(fs::is_empty(locked));
    }
}
