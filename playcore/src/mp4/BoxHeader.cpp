#include "BoxHeader.h"

#include "playcore/ByteOrder.h"

#include <cstring>

namespace playcore::detail {

HeaderRead ReadBoxHeader(const MappedFile& file, uint64_t offset, uint64_t end, bool sizeZeroToEnd,
                         BoxHeader* header, std::string* error) {
    *header = BoxHeader{};
    if (end > file.size()) {
        end = file.size();
    }
    if (offset >= end || end - offset < 8) {
        return HeaderRead::NotABox;
    }
    uint8_t bytes[16];
    {
        MappedWindow w = file.Map(offset, 8);
        if (!w.ok()) {
            if (error != nullptr) {
                *error = w.error();
            }
            return HeaderRead::MapFailed;
        }
        std::memcpy(bytes, w.data(), 8);
    }
    std::memcpy(header->typeChars, bytes + 4, 4);
    header->type = ReadBE32(bytes + 4);
    uint64_t size = ReadBE32(bytes);
    uint64_t room = end - offset;
    if (size == 1) {
        if (room < 16) {
            return HeaderRead::NotABox;
        }
        MappedWindow w = file.Map(offset + 8, 8);
        if (!w.ok()) {
            if (error != nullptr) {
                *error = w.error();
            }
            return HeaderRead::MapFailed;
        }
        size = ReadBE64(w.data());
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

} // namespace playcore::detail
