// Hand-made movie bytes for the box reader's tests: just enough structure to
// show one behaviour, and the malformed shapes real parsers have tripped on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace mp4fixture {

inline std::string U16(uint32_t v) {
    return {static_cast<char>((v >> 8) & 0xff), static_cast<char>(v & 0xff)};
}
inline std::string U32(uint32_t v) {
    return U16(v >> 16) + U16(v & 0xffff);
}
inline std::string U64(uint64_t v) {
    return U32(static_cast<uint32_t>(v >> 32)) + U32(static_cast<uint32_t>(v));
}

// A box with its 32-bit size computed from the payload.
inline std::string Box(std::string_view type, const std::string& payload) {
    return U32(static_cast<uint32_t>(payload.size() + 8)) + std::string(type) + payload;
}
// A box with a declared size that need not match the payload.
inline std::string RawBox(uint32_t size, std::string_view type, const std::string& payload) {
    return U32(size) + std::string(type) + payload;
}
// A box with a 64-bit size.
inline std::string LargeBox(std::string_view type, const std::string& payload) {
    return U32(1) + std::string(type) + U64(payload.size() + 16) + payload;
}

inline std::string Ftyp() {
    return Box("ftyp", "isom" + U32(0x200) + "isomiso2avc1mp41");
}

inline std::string Stts(const std::vector<std::pair<uint32_t, uint32_t>>& entries) {
    std::string p = U32(0) + U32(static_cast<uint32_t>(entries.size()));
    for (auto [count, delta] : entries) {
        p += U32(count) + U32(delta);
    }
    return Box("stts", p);
}

inline std::string Mvhd(uint32_t timescale, uint32_t duration) {
    std::string p = U32(0) + U32(0) + U32(0) + U32(timescale) + U32(duration);
    p += U32(0x00010000) + U16(0x0100) + std::string(10, '\0') + std::string(36, '\0') +
         std::string(24, '\0') + U32(2);
    return Box("mvhd", p);
}

inline std::string MvhdV1(uint32_t timescale, uint64_t duration) {
    std::string p = U32(0x01000000) + U64(0) + U64(0) + U32(timescale) + U64(duration);
    p += U32(0x00010000) + U16(0x0100) + std::string(10, '\0') + std::string(36, '\0') +
         std::string(24, '\0') + U32(2);
    return Box("mvhd", p);
}

// An "stsd" with one visual sample entry of the given size.
inline std::string Stsd(uint16_t width, uint16_t height) {
    std::string entry = std::string(6, '\0') + U16(1) + std::string(16, '\0') + U16(width) +
                        U16(height) + U32(0x00480000) + U32(0x00480000) + U32(0) + U16(1) +
                        std::string(32, '\0') + U16(24) + U16(0xffff);
    return Box("stsd", U32(0) + U32(1) + Box("avc1", entry));
}

inline std::string Stsz(uint32_t count) {
    std::string p = U32(0) + U32(0) + U32(count);
    for (uint32_t i = 0; i < count; ++i) {
        p += U32(1000 + i);
    }
    return Box("stsz", p);
}

inline std::string Stco(const std::vector<uint32_t>& offsets) {
    std::string p = U32(0) + U32(static_cast<uint32_t>(offsets.size()));
    for (uint32_t o : offsets) {
        p += U32(o);
    }
    return Box("stco", p);
}

inline std::string Hdlr(std::string_view handler) {
    return Box("hdlr", U32(0) + U32(0) + std::string(handler) + std::string(12, '\0') + "x" +
                           std::string(1, '\0'));
}

inline std::string Mdhd(uint32_t timescale, uint32_t duration) {
    return Box("mdhd", U32(0) + U32(0) + U32(0) + U32(timescale) + U32(duration) + U32(0));
}

// One 79-byte sensor record with the given date digits (yymmddhhmmss) and
// seconds correction (three characters, "***" for none).
inline std::string SensorRecord(std::string_view date = "260314102030",
                                std::string_view correction = "+00") {
    std::string r(79, '0');
    r.replace(0, 5, "$GPRM");
    r[5] = 'A';
    r.replace(6, 9, "3540.1234");
    r[15] = 'N';
    r.replace(16, 10, "13945.6789");
    r[26] = 'E';
    r.replace(27, 4, "0042");
    r.replace(31, 12, std::string(date));
    r[43] = ',';
    r.replace(44, 3, std::string(correction));
    r.replace(57, 15, "+0010-0020+1000");
    r[72] = ' ';
    r[73] = 'Z';
    r[74] = ' ';
    r[78] = 7;
    return r;
}

// A "gps0" box holding `records` (each 79 bytes); `declaredCount` overrides
// the record count field when not negative.
inline std::string Gps0(const std::vector<std::string>& records, int declaredCount = -1) {
    std::string p = "CSODAT";
    p += "VR01AB1000-050+980N0000000"; // 26-byte header block
    p += U16(declaredCount >= 0 ? static_cast<uint32_t>(declaredCount)
                                : static_cast<uint32_t>(records.size()));
    for (const auto& r : records) {
        p += r;
    }
    p += "CSOEND";
    return Box("gps0", p);
}

using SttsTable = std::vector<std::pair<uint32_t, uint32_t>>;
inline SttsTable ThirtyFrames() {
    return SttsTable(1, {30, 33333});
}

struct MovieParts {
    SttsTable stts = ThirtyFrames();
    uint32_t timescale = 1000;
    uint32_t duration = 2000;
    uint16_t width = 1920;
    uint16_t height = 1080;
    uint32_t frames = 30;
    std::size_t mdatBytes = 4096;
    int gpsRecords = 3; // -1: no "gps0"
    bool moovFirst = false;
    uint32_t mediaTimescale = 1000000; // the camera counts video time in microseconds
};

inline std::string Trak(const MovieParts& m) {
    std::string stbl =
        Box("stbl", Stsd(m.width, m.height) + Stts(m.stts) + Stsz(m.frames) +
                        Box("stsc", U32(0) + U32(1) + U32(1) + U32(1) + U32(1)) + Stco({48}));
    std::string minf =
        Box("minf", Box("vmhd", U32(1) + std::string(8, '\0')) +
                        Box("dinf", Box("dref", U32(0) + U32(1) + Box("url ", U32(1)))) + stbl);
    std::string mdia = Box("mdia", Mdhd(m.mediaTimescale, m.duration * 1000) + Hdlr("vide") + minf);
    std::string tkhd = Box("tkhd", U32(3) + std::string(80, '\0'));
    std::string edts =
        Box("edts", Box("elst", U32(0) + U32(1) + U32(m.duration) + U32(0) + U32(0x00010000)));
    return Box("trak", tkhd + edts + mdia);
}

// A small camera-like recording: ftyp, mdat, moov, gps0 (trailer last).
inline std::string Movie(const MovieParts& m = {}) {
    std::string moov = Box("moov", Mvhd(m.timescale, m.duration) + Trak(m));
    std::string mdat = Box("mdat", std::string(m.mdatBytes, '\x11'));
    std::string gps;
    if (m.gpsRecords >= 0) {
        std::vector<std::string> recs;
        for (int i = 0; i < m.gpsRecords; ++i) {
            recs.push_back(SensorRecord());
        }
        gps = Gps0(recs);
    }
    return m.moovFirst ? Ftyp() + moov + mdat + gps : Ftyp() + mdat + moov + gps;
}

} // namespace mp4fixture
