#include "playcore/CsvOutputFile.h"

namespace playcore {

namespace fs = std::filesystem;

CsvOutputFile::~CsvOutputFile() = default;

bool CsvOutputFile::Fail(const std::string& what, bool disk) {
    diskFailed_ = disk;
    error_ = what;
    return false;
}

bool CsvOutputFile::Create(const fs::path& finalPath) {
    Abandon();
    error_.clear();
    lines_ = 0;
    finalPath_ = finalPath;
    if (!encoder_.ok()) {
        return Fail("unknown character set " + encoder_.charset(), false);
    }
    if (!out_.Open(finalPath.string())) {
        return Fail(out_.error(), true);
    }
    return true;
}

bool CsvOutputFile::WriteLine(std::string_view line) {
    return WritePieces({line});
}

bool CsvOutputFile::WritePieces(std::initializer_list<std::string_view> pieces) {
    if (!out_.isOpen()) {
        return Fail("the file is not open", false);
    }
    std::string all;
    std::string converted;
    for (std::string_view piece : pieces) {
        if (!encoder_.Encode(piece, &converted)) {
            return Fail("cannot convert the text to " + encoder_.charset(), false);
        }
        if (converted.size() > kMaxLineBytes) {
            return Fail("a line is longer than 259 bytes", false);
        }
        all += converted;
    }
    if (!out_.Write(all.data(), all.size())) {
        return Fail(out_.error(), true);
    }
    ++lines_;
    return true;
}

bool CsvOutputFile::Finish(bool replaceExisting) {
    if (!out_.isOpen()) {
        return Fail("the file is not open", false);
    }
    if (!out_.Commit(replaceExisting)) {
        return Fail(out_.error(), true);
    }
    return true;
}

void CsvOutputFile::Abandon() {
    out_.Abandon();
}

} // namespace playcore
