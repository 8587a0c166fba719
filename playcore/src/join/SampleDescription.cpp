#include "SampleDescription.h"

#include "playcore/ByteOrder.h"

#include <cstring>

namespace playcore {

namespace {

bool IsVisual(uint32_t t) {
    for (uint32_t v : {FourCC("avc1"), FourCC("avc3"), FourCC("hvc1"), FourCC("hev1"),
                       FourCC("mp4v"), FourCC("av01"), FourCC("vp09"), FourCC("jpeg")}) {
        if (t == v) {
            return true;
        }
    }
    return false;
}

bool IsAudio(uint32_t t) {
    for (uint32_t a :
         {FourCC("mp4a"), FourCC("ac-3"), FourCC("ec-3"), FourCC("Opus"), FourCC("fLaC"),
          FourCC("sowt"), FourCC("twos"), FourCC("ulaw"), FourCC("alaw")}) {
        if (t == a) {
            return true;
        }
    }
    return false;
}

// Length field of an MPEG-4 descriptor (up to four 7-bit groups).
bool DescriptorLength(const std::vector<uint8_t>& b, size_t* at, size_t* length) {
    *length = 0;
    for (int i = 0; i < 4; ++i) {
        if (*at >= b.size()) {
            return false;
        }
        const uint8_t v = b[(*at)++];
        *length = (*length << 7) | (v & 0x7F);
        if ((v & 0x80) == 0) {
            return true;
        }
    }
    return true;
}

// Zeroes bufferSizeDB, maxBitrate and avgBitrate of the decoder
// configuration inside an "esds" payload (version and flags first).
void MaskEsdsRates(std::vector<uint8_t>& esds) {
    size_t at = 4;
    if (at >= esds.size() || esds[at] != 0x03) {
        return;
    }
    ++at;
    size_t length = 0;
    if (!DescriptorLength(esds, &at, &length) || at + 3 > esds.size()) {
        return;
    }
    const uint8_t flags = esds[at + 2];
    at += 3; // ES_ID, flags
    if ((flags & 0x80) != 0) {
        at += 2; // dependsOn_ES_ID
    }
    if ((flags & 0x40) != 0) {
        if (at >= esds.size()) {
            return;
        }
        at += 1 + esds[at]; // URL
    }
    if ((flags & 0x20) != 0) {
        at += 2; // OCR_ES_ID
    }
    if (at >= esds.size() || esds[at] != 0x04) {
        return;
    }
    ++at;
    if (!DescriptorLength(esds, &at, &length) || at + 13 > esds.size()) {
        return;
    }
    std::memset(esds.data() + at + 2, 0, 11); // after objectType and streamType
}

void AppendChildren(const uint8_t* p, size_t size, std::vector<uint8_t>& out) {
    size_t at = 0;
    while (at + 8 <= size) {
        const uint32_t boxSize = ReadBE32(p + at);
        const uint32_t type = ReadBE32(p + at + 4);
        if (boxSize < 8 || boxSize > size - at) {
            out.insert(out.end(), p + at, p + size); // not boxes: keep as they are
            return;
        }
        if (type == FourCC("esds")) {
            std::vector<uint8_t> esds(p + at + 8, p + at + boxSize);
            MaskEsdsRates(esds);
            out.insert(out.end(), p + at, p + at + 8);
            out.insert(out.end(), esds.begin(), esds.end());
        } else if (type != FourCC("btrt")) {
            out.insert(out.end(), p + at, p + at + boxSize);
        }
        at += boxSize;
    }
    out.insert(out.end(), p + at, p + size);
}

} // namespace

std::vector<uint8_t> SampleDescriptionKey(const std::vector<uint8_t>& stsd) {
    std::vector<uint8_t> key;
    if (stsd.size() < 8) {
        return stsd;
    }
    key.insert(key.end(), stsd.begin(), stsd.begin() + 8);
    const uint32_t entries = ReadBE32(stsd.data() + 4);
    size_t at = 8;
    for (uint32_t i = 0; i < entries && at + 8 <= stsd.size(); ++i) {
        const uint32_t size = ReadBE32(stsd.data() + at);
        const uint32_t type = ReadBE32(stsd.data() + at + 4);
        if (size < 8 || size > stsd.size() - at) {
            break;
        }
        const uint8_t* e = stsd.data() + at;
        size_t fields = size; // unknown entries are compared whole
        if (IsVisual(type)) {
            fields = 86;
        } else if (IsAudio(type) && size >= 36) {
            const uint16_t version = ReadBE16(e + 16);
            fields = version == 1 ? 52 : version == 2 ? 72 : 36;
        }
        if (fields > size) {
            fields = size;
        }
        key.insert(key.end(), e, e + fields);
        AppendChildren(e + fields, size - fields, key);
        at += size;
    }
    key.insert(key.end(), stsd.begin() + static_cast<long>(at), stsd.end());
    return key;
}

} // namespace playcore
