#include "BoxTreeWriter.h"

#include "playcore/ByteOrder.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace playcore {

namespace {

constexpr uint64_t kMaxBox32 = 0xFFFFFFFFull;
constexpr uint64_t kRecordBytes = 79;
constexpr uint64_t kSensorRecordsOffset = 34; // payload offset of the first record
constexpr uint64_t kSensorHeaderOffset = 6;   // payload offset of the 26-byte header block
constexpr uint64_t kSensorHeaderBytes = 26;
constexpr uint64_t kCopyWindow = 32ull * 1024 * 1024;

bool Cancelled(const std::atomic<bool>* cancel) {
    return cancel != nullptr && cancel->load();
}

// A source file opened for one copy; closed when it goes away.
class SourceFd {
public:
    explicit SourceFd(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {}
    ~SourceFd() {
        if (fd_ >= 0) {
            ::close(fd_);
        }
    }
    SourceFd(const SourceFd&) = delete;
    SourceFd& operator=(const SourceFd&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

bool CopyRange(AtomicOutputFile& out, const std::string& path, uint64_t offset, uint64_t length,
               const std::atomic<bool>* cancel, std::string* error) {
    SourceFd src(path);
    if (src.fd() < 0) {
        *error = "cannot open " + path + ": " + std::strerror(errno);
        return false;
    }
    while (length > 0) {
        if (Cancelled(cancel)) {
            *error = "cancelled";
            return false;
        }
        const uint64_t chunk = length < kCopyWindow ? length : kCopyWindow;
        if (!out.CopyFrom(src.fd(), offset, chunk)) {
            *error = out.error();
            return false;
        }
        offset += chunk;
        length -= chunk;
    }
    return true;
}

bool WriteHeader(AtomicOutputFile& out, uint64_t size, const char* type, std::string* error) {
    if (size > kMaxBox32) {
        *error = std::string("box \"") + type + "\" would pass 4 GiB";
        return false;
    }
    uint8_t header[8];
    WriteBE32(header, static_cast<uint32_t>(size));
    std::memcpy(header + 4, type, 4);
    if (!out.Write(header, sizeof header)) {
        *error = out.error();
        return false;
    }
    return true;
}

uint64_t SensorCountToWrite(const sTAGNODE& gps0, uint64_t fileSize) {
    return gps0.sensorJoinedCount != 0 ? gps0.sensorJoinedCount
                                       : AvailableSensorRecords(gps0, fileSize);
}

// Size of the file a node comes from, for bounding what may be read of it.
uint64_t SourceFileSize(const sTAGNODE& node) {
    if (node.sourcePath == nullptr) {
        return 0;
    }
    struct stat st {};
    if (::stat(node.sourcePath->c_str(), &st) != 0) {
        return 0;
    }
    return static_cast<uint64_t>(st.st_size);
}

bool WriteSensorBox(AtomicOutputFile& out, const sTAGNODE& node, std::string* error) {
    const uint64_t firstSize = SourceFileSize(node);
    const uint64_t count = SensorCountToWrite(node, firstSize);
    if (!WriteHeader(out, 48 + kRecordBytes * count, "gps0", error)) {
        return false;
    }
    if (!out.Write("CSODAT", 6)) {
        *error = out.error();
        return false;
    }
    if (!CopyRange(out, *node.sourcePath, node.initialPayloadOffset + kSensorHeaderOffset,
                   kSensorHeaderBytes, nullptr, error)) {
        return false;
    }
    uint8_t n[2];
    WriteBE16(n, static_cast<uint16_t>(count));
    if (!out.Write(n, 2)) {
        *error = out.error();
        return false;
    }
    uint64_t written = 0;
    auto copyRecords = [&](const sTAGNODE& part, uint64_t records) {
        written += records;
        return CopyRange(out, *part.sourcePath, part.initialPayloadOffset + kSensorRecordsOffset,
                         kRecordBytes * records, nullptr, error);
    };
    if (!copyRecords(node, AvailableSensorRecords(node, firstSize))) {
        return false;
    }
    for (const sTAGNODE* seg : node.segments) {
        if (!copyRecords(*seg, AvailableSensorRecords(*seg, SourceFileSize(*seg)))) {
            return false;
        }
    }
    if (written != count) {
        *error = "sensor records changed while joining";
        return false;
    }
    if (!out.Write("CSOEND", 6)) {
        *error = out.error();
        return false;
    }
    return true;
}

bool WriteLeaf(AtomicOutputFile& out, const sTAGNODE& node, SensorBoxRule rule,
               const std::atomic<bool>* cancel, std::string* error) {
    if (node.isType("gps0") && rule == SensorBoxRule::Joined) {
        return WriteSensorBox(out, node, error);
    }
    if (!WriteHeader(out, OutputBoxSize(node, rule), node.type, error)) {
        return false;
    }
    if (node.isType("mdat") || node.isType("gps0")) {
        if (!CopyRange(out, *node.sourcePath, node.initialPayloadOffset, node.initialPayloadLength,
                       cancel, error)) {
            return false;
        }
        for (size_t i = 0; i < node.segments.size(); ++i) {
            const sTAGNODE* seg = node.segments[i];
            const uint64_t pad = i < node.segmentPadding.size() ? node.segmentPadding[i] : 0;
            if (pad > 0) {
                const std::vector<uint8_t> zeros(static_cast<size_t>(pad), 0);
                if (!out.Write(zeros.data(), zeros.size())) {
                    *error = out.error();
                    return false;
                }
            }
            if (!CopyRange(out, *seg->sourcePath, seg->initialPayloadOffset,
                           seg->initialPayloadLength, cancel, error)) {
                return false;
            }
        }
        return true;
    }
    if (!node.payload.empty() && !out.Write(node.payload.data(), node.payload.size())) {
        *error = out.error();
        return false;
    }
    return true;
}

bool CheckNode(const sTAGNODE& node, uint64_t coverLength, bool isRoot, SensorBoxRule rule,
               std::string* error) {
    if (!isRoot && OutputBoxSize(node, rule) > kMaxBox32) {
        *error = std::string("box \"") + node.type + "\" would pass 4 GiB";
        return false;
    }
    const bool container = !node.children.empty() || (node.leaf == 0 && !isRoot);
    if (isRoot || container) {
        uint64_t covered = 0;
        for (const sTAGNODE& child : node.children) {
            covered += child.headerSize + child.initialPayloadLength;
            if (!CheckNode(child, child.initialPayloadLength, false, rule, error)) {
                return false;
            }
        }
        if (covered != coverLength) {
            *error = std::string("the structure of box \"") + (isRoot ? "file" : node.type) +
                     "\" is not fully understood; rewriting it would lose data";
            return false;
        }
        return true;
    }
    if (node.isType("mdat") || node.isType("gps0")) {
        return true;
    }
    if (node.payload.size() != node.payloadLength) {
        *error = std::string("box \"") + node.type + "\" could not be read whole";
        return false;
    }
    return true;
}

} // namespace

uint64_t AvailableSensorRecords(const sTAGNODE& gps0, uint64_t fileSize) {
    const uint64_t box = gps0.initialPayloadLength;
    uint64_t present = box > kSensorRecordsOffset ? (box - kSensorRecordsOffset) / kRecordBytes : 0;
    const uint64_t start = gps0.initialPayloadOffset + kSensorRecordsOffset;
    if (fileSize > 0) {
        const uint64_t inFile = fileSize > start ? (fileSize - start) / kRecordBytes : 0;
        present = present < inFile ? present : inFile;
    }
    return gps0.sensorRecordCount < present ? gps0.sensorRecordCount : present;
}

uint64_t OutputBoxSize(const sTAGNODE& node, SensorBoxRule rule) {
    if (!node.children.empty()) {
        uint64_t size = 8;
        for (const sTAGNODE& child : node.children) {
            size += OutputBoxSize(child, rule);
        }
        return size;
    }
    if (node.isType("gps0")) {
        if (rule == SensorBoxRule::Joined) {
            return 48 + kRecordBytes * SensorCountToWrite(node, SourceFileSize(node));
        }
        uint64_t size = 8 + node.initialPayloadLength;
        for (const sTAGNODE* seg : node.segments) {
            size += seg->initialPayloadLength;
        }
        return size;
    }
    return 8 + node.payloadLength;
}

bool CheckWritable(const sMP4MOVIE& movie, SensorBoxRule rule, std::string* error) {
    for (const sTAGNODE& top : movie.root.children) {
        if (top.isType("gps0") && rule == SensorBoxRule::Joined &&
            top.initialPayloadLength < kSensorRecordsOffset) {
            *error = "the sensor box of " + movie.path + " is damaged";
            return false;
        }
    }
    return CheckNode(movie.root, movie.fileSize, true, rule, error);
}

bool WriteBox(AtomicOutputFile& out, const sTAGNODE& node, SensorBoxRule rule,
              const std::atomic<bool>* cancel, std::string* error) {
    if (Cancelled(cancel)) {
        *error = "cancelled";
        return false;
    }
    if (node.children.empty()) {
        return WriteLeaf(out, node, rule, cancel, error);
    }
    if (!WriteHeader(out, OutputBoxSize(node, rule), node.type, error)) {
        return false;
    }
    for (const sTAGNODE& child : node.children) {
        if (!WriteBox(out, child, rule, cancel, error)) {
            return false;
        }
    }
    return true;
}

namespace {

// The top-level boxes in the order they are written.
std::vector<const sTAGNODE*> WriteOrder(const sMP4MOVIE& movie, bool deferMdat) {
    std::vector<const sTAGNODE*> order;
    const sTAGNODE* held = nullptr;
    for (const sTAGNODE& top : movie.root.children) {
        if (deferMdat && held == nullptr && top.isType("mdat")) {
            held = &top;
            continue;
        }
        order.push_back(&top);
        if (held != nullptr && top.isType("moov")) {
            order.push_back(held);
            held = nullptr;
        }
    }
    if (held != nullptr) {
        order.push_back(held); // no "moov" after it: it stays where it was
    }
    return order;
}

} // namespace

bool WriteTopLevel(AtomicOutputFile& out, const sMP4MOVIE& movie, SensorBoxRule rule,
                   bool deferMdat, const std::atomic<bool>* cancel, std::string* error) {
    for (const sTAGNODE* top : WriteOrder(movie, deferMdat)) {
        if (!WriteBox(out, *top, rule, cancel, error)) {
            return false;
        }
    }
    return true;
}

uint64_t OutputMdatPayloadOffset(const sMP4MOVIE& movie, SensorBoxRule rule, bool deferMdat) {
    uint64_t offset = 0;
    for (const sTAGNODE* top : WriteOrder(movie, deferMdat)) {
        if (top->isType("mdat")) {
            return offset + 8;
        }
        offset += OutputBoxSize(*top, rule);
    }
    return 0;
}

bool ShiftChunkOffsets(sMP4MOVIE& movie, int64_t delta, std::string* error) {
    if (delta == 0) {
        return true;
    }
    std::vector<sTAGNODE*> stco;
    std::vector<sTAGNODE*> co64;
    CollectNodes(movie.root, "stco", &stco);
    CollectNodes(movie.root, "co64", &co64);
    // Check everything first so that a refusal leaves the tree as it was.
    auto entries = [](const sTAGNODE& n, uint64_t width, uint64_t* count) {
        if (n.payload.size() < 8) {
            return false;
        }
        *count = ReadBE32(n.payload.data() + 4);
        return 8 + *count * width <= n.payload.size();
    };
    for (sTAGNODE* n : stco) {
        uint64_t count = 0;
        if (!entries(*n, 4, &count)) {
            *error = "a chunk offset table is damaged";
            return false;
        }
        for (uint64_t i = 0; i < count; ++i) {
            const int64_t v = static_cast<int64_t>(ReadBE32(n->payload.data() + 8 + 4 * i)) + delta;
            if (v < 0 || v > static_cast<int64_t>(kMaxBox32)) {
                *error = "a chunk offset would pass 4 GiB";
                return false;
            }
        }
    }
    for (sTAGNODE* n : co64) {
        uint64_t count = 0;
        if (!entries(*n, 8, &count)) {
            *error = "a chunk offset table is damaged";
            return false;
        }
    }
    for (sTAGNODE* n : stco) {
        const uint64_t count = ReadBE32(n->payload.data() + 4);
        for (uint64_t i = 0; i < count; ++i) {
            uint8_t* p = n->payload.data() + 8 + 4 * i;
            WriteBE32(p, static_cast<uint32_t>(static_cast<int64_t>(ReadBE32(p)) + delta));
        }
    }
    for (sTAGNODE* n : co64) {
        const uint64_t count = ReadBE32(n->payload.data() + 4);
        for (uint64_t i = 0; i < count; ++i) {
            uint8_t* p = n->payload.data() + 8 + 8 * i;
            WriteBE64(p, static_cast<uint64_t>(static_cast<int64_t>(ReadBE64(p)) + delta));
        }
    }
    return true;
}

} // namespace playcore
