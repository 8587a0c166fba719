#include "BoxHeader.h"

#include "playcore/ByteOrder.h"

#include <algorithm>
#include <cstring>

namespace playcore::detail {

int64_t WindowReader::Read(uint64_t offset, void* out, uint64_t length, std::string* error) {
    const uint64_t size = file_.size();
    if (offset >= size || length == 0) {
        return 0;
    }
    const uint64_t n = std::min<uint64_t>(length, size - offset);
    if (n > window_) {
        return file_.Read(offset, out, n, error);
    }
    if (!mapped_.ok() || offset < mapped_.offset() ||
        offset + n > mapped_.offset() + mapped_.size()) {
        mapped_ = file_.Map(offset, window_);
        if (!mapped_.ok()) {
            if (error != nullptr) {
                *error = mapped_.error();
            }
            return -1;
        }
    }
    std::memcpy(out, mapped_.data() + (offset - mapped_.offset()), static_cast<std::size_t>(n));
    return static_cast<int64_t>(n);
}

HeaderRead ReadBoxHeader(WindowReader& reader, uint64_t offset, uint64_t end, bool sizeZeroToEnd,
                         BoxHeader* header, std::string* error) {
    *header = BoxHeader{};
    if (end > reader.file().size()) {
        end = reader.file().size();
    }
    if (offset >= end || end - offset < 8) {
        return HeaderRead::NotABox;
    }
    uint8_t bytes[8];
    if (reader.Read(offset, bytes, 8, error) != 8) {
        return HeaderRead::MapFailed;
    }
    std::memcpy(header->typeChars, bytes + 4, 4);
    header->type = ReadBE32(bytes + 4);
    uint64_t size = ReadBE32(bytes);
    const uint64_t room = end - offset;
    if (size == 1) {
        if (room < 16) {
            return HeaderRead::NotABox;
        }
        uint8_t large[8];
        if (reader.Read(offset + 8, large, 8, error) != 8) {
            return HeaderRead::MapFailed;
        }
        size = ReadBE64(large);
        header->headerSize = 16;
    } else if (size == 0 && sizeZeroToEnd) {
        size = room;
    }
    header->size = size;
    if (size < header->headerSize) {
        return HeaderRead::NotABox;
    }
    if (size > room) {
        return HeaderRead::Truncated;
    }
    return HeaderRead::Box;
}

HeaderRead ReadBoxHeader(const MappedFile& file, uint64_t offset, uint64_t end, bool sizeZeroToEnd,
                         BoxHeader* header, std::string* error) {
    WindowReader reader(file, 8);
    return ReadBoxHeader(reader, offset, end, sizeZeroToEnd, header, error);
}

} // namespace playcore::detail
