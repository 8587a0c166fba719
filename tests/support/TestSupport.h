// Small helpers shared by the tests: a self-removing temporary folder and a
// way to run a program and capture what it prints.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace testsupport {

// A fresh folder under the system's temporary directory, removed with all its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

private:
    std::filesystem::path path_;
};

struct RunResult {
    int exitCode = -1; // exit status, or 128 + signal number
    std::string out;
    std::string err;
};

// Runs argv[0] with the arguments (no shell), waits for it and returns what it
// printed on each stream.
RunResult Run(const std::vector<std::string>& argv);

// Path of a program built into build/bin (for example "brivona-tool").
std::string BuiltProgram(const std::string& name);

// Whole contents of a file as bytes; empty when it cannot be read.
std::string ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::string& bytes);

// Names of the entries of a folder, sorted (to tell that nothing was left
// beside an output).
std::vector<std::string> FileNamesIn(const std::filesystem::path& dir);

} // namespace testsupport
