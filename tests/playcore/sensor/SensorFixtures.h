// Byte-level fixtures for the sensor tests: sensor records, "gps0" boxes and
// small files laid out like a recording (ftyp, mdat, gps0), built field by
// field so each test shows the bytes it is about.
#pragma once

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace fixtures {

// The fields of one 79-byte record, as text; each is padded with spaces or
// cut to its width.
struct Record {
    std::string lead = "$GPRM"; // bytes 0..4; byte 0 is the previous record's flag byte
    char status = 'A';
    std::string lat = "3540.8741";
    char latSign = 'N';
    std::string lng = "13946.0275";
    char lngSign = 'E';
    std::string speed = "42.0";
    std::string date = "240517093000"; // yymmddhhmmss
    std::string correction = "*00";
    std::string a1 = "+0010"; // first value (record bytes 57..61)
    std::string a2 = "-0020"; // second value
    std::string a3 = "+1000"; // third value
    char b72 = '0';
    char axis = '0';
    char b74 = '0';
    uint8_t status78 = 'M';
};

inline void Put(std::string& out, std::size_t at, const std::string& text, std::size_t width) {
    for (std::size_t i = 0; i < width; ++i) {
        out[at + i] = i < text.size() ? text[i] : ' ';
    }
}

inline std::string RecordBytes(const Record& r) {
    std::string b(79, ' ');
    Put(b, 0, r.lead, 5);
    b[5] = r.status;
    Put(b, 6, r.lat, 9);
    b[15] = r.latSign;
    Put(b, 16, r.lng, 10);
    b[26] = r.lngSign;
    Put(b, 27, r.speed, 4);
    Put(b, 31, r.date, 12);
    b[43] = ',';
    Put(b, 44, r.correction, 3);
    Put(b, 47, "0000000000", 10);
    Put(b, 57, r.a1, 5);
    Put(b, 62, r.a2, 5);
    Put(b, 67, r.a3, 5);
    b[72] = r.b72;
    b[73] = r.axis;
    b[74] = r.b74;
    Put(b, 75, "000", 3);
    b[78] = static_cast<char>(r.status78);
    return b;
}

inline void PutBE32(std::string& out, std::size_t at, uint32_t v) {
    out[at] = static_cast<char>(v >> 24);
    out[at + 1] = static_cast<char>(v >> 16);
    out[at + 2] = static_cast<char>(v >> 8);
    out[at + 3] = static_cast<char>(v);
}

inline std::string Box(const char* type, const std::string& payload) {
    std::string b(8, '\0');
    PutBE32(b, 0, static_cast<uint32_t>(8 + payload.size()));
    std::memcpy(&b[4], type, 4);
    return b + payload;
}

// The 26-byte header block.
struct Header {
    std::string chars4 = "F102";
    std::string chars2 = "05";
    std::string ref1 = "0300", ref2 = "0250", ref3 = "0400";
    char orientation = 'N';
    std::string tail = "0000000";
};

inline std::string HeaderBytes(const Header& h) {
    std::string b(26, ' ');
    Put(b, 0, h.chars4, 4);
    Put(b, 4, h.chars2, 2);
    Put(b, 6, h.ref1, 4);
    Put(b, 10, h.ref2, 4);
    Put(b, 14, h.ref3, 4);
    b[18] = h.orientation;
    Put(b, 19, h.tail, 7);
    return b;
}

// A complete "gps0" box; `count` overrides the stored record count (-1: the
// number of records given).
inline std::string Gps0Box(const std::vector<Record>& records, const Header& h = Header{},
                           int count = -1) {
    std::string payload = "CSODAT" + HeaderBytes(h);
    const uint32_t n = count < 0 ? static_cast<uint32_t>(records.size()) : uint32_t(count);
    payload += static_cast<char>(n >> 8);
    payload += static_cast<char>(n & 0xFF);
    for (const Record& r : records) {
        payload += RecordBytes(r);
    }
    payload += "CSOEND";
    return Box("gps0", payload);
}

inline std::string Ftyp() {
    return Box("ftyp", std::string("isom\0\0\0\0isomavc1", 16));
}

// ftyp, an "mdat" of `mdatBytes` zero bytes, then the given boxes.
inline std::string Recording(const std::string& after, std::size_t mdatBytes = 64) {
    return Ftyp() + Box("mdat", std::string(mdatBytes, '\0')) + after;
}

// `n` ordinary records whose values and times step with k.
inline std::vector<Record> Drive(int n) {
    std::vector<Record> out;
    for (int k = 0; k < n; ++k) {
        Record r;
        char buf[32];
        std::snprintf(buf, sizeof buf, "%+05d", 10 * k);
        r.a1 = buf;
        std::snprintf(buf, sizeof buf, "%+05d", -5 * k);
        r.a2 = buf;
        std::snprintf(buf, sizeof buf, "%+05d", 1000 + (k % 3));
        r.a3 = buf;
        std::snprintf(buf, sizeof buf, "2405170930%02d", (k / 10) % 60);
        r.date = buf;
        out.push_back(r);
    }
    return out;
}

} // namespace fixtures
