#include "playcore/TrackExport.h"

#include <charconv>
#include <cstdio>
#include <ctime>

namespace playcore {

namespace {

// Appends `text` with every invalid UTF-8 sequence replaced by U+FFFD, passing
// each valid code point to `emit` (code point, its bytes).
template <class Emit> void ForEachCodePoint(std::string_view text, Emit emit) {
    std::size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        std::size_t len = 0;
        uint32_t cp = 0;
        if (b0 < 0x80) {
            len = 1;
            cp = b0;
        } else if (b0 >= 0xC2 && b0 <= 0xDF) {
            len = 2;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            len = 3;
            cp = b0 & 0x0F;
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            len = 4;
            cp = b0 & 0x07;
        }
        bool ok = len > 0 && i + len <= text.size();
        for (std::size_t k = 1; ok && k < len; ++k) {
            const auto b = static_cast<unsigned char>(text[i + k]);
            ok = (b & 0xC0) == 0x80;
            cp = (cp << 6) | (b & 0x3F);
        }
        // Overlong forms, surrogates and values beyond U+10FFFF are invalid too.
        if (ok && ((len == 3 && cp < 0x800) || (len == 4 && (cp < 0x10000 || cp > 0x10FFFF)) ||
                   (cp >= 0xD800 && cp <= 0xDFFF))) {
            ok = false;
        }
        if (ok) {
            emit(cp, text.substr(i, len));
            i += len;
        } else {
            emit(0xFFFD, std::string_view("\xEF\xBF\xBD"));
            ++i;
        }
    }
}

std::string XmlEscape(std::string_view text) {
    std::string out;
    ForEachCodePoint(text, [&](uint32_t cp, std::string_view bytes) {
        switch (cp) {
        case '&':
            out += "&amp;";
            break;
        case '<':
            out += "&lt;";
            break;
        case '>':
            out += "&gt;";
            break;
        case '"':
            out += "&quot;";
            break;
        case '\'':
            out += "&apos;";
            break;
        default:
            // XML 1.0 admits no control characters other than tab, LF, CR.
            if (cp < 0x20 && cp != '\t' && cp != '\n' && cp != '\r') {
                out += "\xEF\xBF\xBD";
            } else if (cp == 0xFFFE || cp == 0xFFFF) {
                out += "\xEF\xBF\xBD";
            } else {
                out += bytes;
            }
        }
    });
    return out;
}

std::string JsonString(std::string_view text) {
    std::string out = "\"";
    ForEachCodePoint(text, [&](uint32_t cp, std::string_view bytes) {
        switch (cp) {
        case '"':
            out += "\\\"";
            break;
        case '\\':
            out += "\\\\";
            break;
        case '\n':
            out += "\\n";
            break;
        case '\r':
            out += "\\r";
            break;
        case '\t':
            out += "\\t";
            break;
        default:
            if (cp < 0x20) {
                char buf[8];
                std::snprintf(buf, sizeof buf, "\\u%04X", static_cast<unsigned>(cp));
                out += buf;
            } else {
                out += bytes;
            }
        }
    });
    return out + "\"";
}

std::string CsvField(std::string_view text) {
    std::string clean;
    ForEachCodePoint(text, [&](uint32_t, std::string_view bytes) { clean += bytes; });
    if (clean.find_first_of(",\"\r\n") == std::string::npos) {
        return clean;
    }
    std::string out = "\"";
    for (char c : clean) {
        out += c;
        if (c == '"') {
            out += '"';
        }
    }
    return out + "\"";
}

// Fixed-point text of `v` with `decimals` digits, independent of the locale.
std::string Fixed(double v, int decimals) {
    char buf[64];
    const auto r = std::to_chars(buf, buf + sizeof buf, v, std::chars_format::fixed, decimals);
    std::string s(buf, r.ptr);
    if (s.find_first_not_of("-0.") == std::string::npos) {
        s.erase(0, s.front() == '-' ? 1 : 0); // no "-0.0000000"
    }
    return s;
}

std::string Gpx(const std::vector<RecordingTrack>& tracks) {
    std::string out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"BrivonaS\" xmlns=\"http://www.topografix.com/GPX/1/1\"\n"
        "     xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\"\n"
        "     xmlns:gpxtpx=\"http://www.garmin.com/xmlschemas/TrackPointExtension/v2\"\n"
        "     xsi:schemaLocation=\"http://www.topografix.com/GPX/1/1 "
        "http://www.topografix.com/GPX/1/1/gpx.xsd\">\n";
    for (const RecordingTrack& t : tracks) {
        if (t.fixes.empty()) {
            continue;
        }
        out += "  <trk>\n    <name>" + XmlEscape(t.name) + "</name>\n    <trkseg>\n";
        for (const TrackFix& f : t.fixes) {
            out += "      <trkpt lat=\"" + Fixed(f.lat, 7) + "\" lon=\"" + Fixed(f.lng, 7) +
                   "\"><time>" + IsoLocalTime(f.time) +
                   "</time><extensions><gpxtpx:TrackPointExtension><gpxtpx:speed>" +
                   Fixed(f.speedKmh / 3.6, 3) +
                   "</gpxtpx:speed></gpxtpx:TrackPointExtension></extensions></trkpt>\n";
        }
        out += "    </trkseg>\n  </trk>\n";
    }
    return out + "</gpx>\n";
}

std::string GeoJson(const std::vector<RecordingTrack>& tracks) {
    std::string out = "{\"type\":\"FeatureCollection\",\"features\":[";
    bool firstFeature = true;
    for (const RecordingTrack& t : tracks) {
        if (t.fixes.empty()) {
            continue;
        }
        out += firstFeature ? "\n" : ",\n";
        firstFeature = false;
        std::string coords;
        std::string times;
        std::string speeds;
        for (std::size_t i = 0; i < t.fixes.size(); ++i) {
            const TrackFix& f = t.fixes[i];
            const char* sep = i == 0 ? "" : ",";
            coords += std::string(sep) + "[" + Fixed(f.lng, 7) + "," + Fixed(f.lat, 7) + "]";
            times += std::string(sep) + "\"" + IsoLocalTime(f.time) + "\"";
            speeds += std::string(sep) + Fixed(f.speedKmh, 1);
        }
        const bool single = t.fixes.size() == 1;
        out += "{\"type\":\"Feature\",\"geometry\":{\"type\":\"" +
               std::string(single ? "Point" : "LineString") +
               "\",\"coordinates\":" + (single ? coords : "[" + coords + "]") +
               "},\"properties\":{\"name\":" + JsonString(t.name) +
               ",\"file\":" + JsonString(t.path) + ",\"start\":\"" +
               IsoLocalTime(t.fixes.front().time) + "\",\"end\":\"" +
               IsoLocalTime(t.fixes.back().time) + "\",\"coordTimes\":[" + times +
               "],\"speedsKmh\":[" + speeds + "]}}";
    }
    return out + "\n]}\n";
}

std::string Kml(const std::vector<RecordingTrack>& tracks) {
    std::string out = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
                      "<kml xmlns=\"http://www.opengis.net/kml/2.2\" "
                      "xmlns:gx=\"http://www.google.com/kml/ext/2.2\">\n"
                      "<Document>\n"
                      "  <Schema id=\"fix\">\n"
                      "    <gx:SimpleArrayField name=\"speed\" type=\"float\">\n"
                      "      <displayName>Speed (km/h)</displayName>\n"
                      "    </gx:SimpleArrayField>\n"
                      "  </Schema>\n";
    for (const RecordingTrack& t : tracks) {
        if (t.fixes.empty()) {
            continue;
        }
        out += "  <Placemark>\n    <name>" + XmlEscape(t.name) + "</name>\n    <gx:Track>\n";
        for (const TrackFix& f : t.fixes) {
            out += "      <when>" + IsoLocalTime(f.time) + "</when>\n";
        }
        for (const TrackFix& f : t.fixes) {
            out += "      <gx:coord>" + Fixed(f.lng, 7) + " " + Fixed(f.lat, 7) + " 0</gx:coord>\n";
        }
        out += "      <ExtendedData>\n        <SchemaData schemaUrl=\"#fix\">\n"
               "          <gx:SimpleArrayData name=\"speed\">\n";
        for (const TrackFix& f : t.fixes) {
            out += "            <gx:value>" + Fixed(f.speedKmh, 1) + "</gx:value>\n";
        }
        out += "          </gx:SimpleArrayData>\n        </SchemaData>\n      </ExtendedData>\n"
               "    </gx:Track>\n  </Placemark>\n";
    }
    return out + "</Document>\n</kml>\n";
}

std::string Csv(const std::vector<RecordingTrack>& tracks) {
    std::string out = "recording,record,time,latitude,longitude,speed_kmh\r\n";
    for (const RecordingTrack& t : tracks) {
        const std::string name = CsvField(t.name);
        for (const TrackFix& f : t.fixes) {
            out += name + "," + std::to_string(f.record) + "," + IsoLocalTime(f.time) + "," +
                   Fixed(f.lat, 7) + "," + Fixed(f.lng, 7) + "," + Fixed(f.speedKmh, 1) + "\r\n";
        }
    }
    return out;
}

} // namespace

std::optional<TrackFormat> TrackFormatFromName(std::string_view name) {
    std::string n;
    for (char c : name) {
        n += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    }
    if (n == "gpx") {
        return TrackFormat::Gpx;
    }
    if (n == "geojson" || n == "json") {
        return TrackFormat::GeoJson;
    }
    if (n == "kml") {
        return TrackFormat::Kml;
    }
    if (n == "csv") {
        return TrackFormat::Csv;
    }
    return std::nullopt;
}

const char* TrackFormatExtension(TrackFormat format) {
    switch (format) {
    case TrackFormat::Gpx:
        return "gpx";
    case TrackFormat::GeoJson:
        return "geojson";
    case TrackFormat::Kml:
        return "kml";
    case TrackFormat::Csv:
        return "csv";
    }
    return "txt";
}

std::string IsoLocalTime(const CalendarTime& time) {
    std::tm tm{};
    tm.tm_year = time.year - 1900;
    tm.tm_mon = time.month - 1;
    tm.tm_mday = time.day;
    tm.tm_hour = time.hour;
    tm.tm_min = time.minute;
    tm.tm_sec = time.second;
    tm.tm_isdst = -1;
    const time_t secs = std::mktime(&tm); // normalises the fields, fills tm_gmtoff
    long offset = secs == static_cast<time_t>(-1) ? 0 : tm.tm_gmtoff;
    char zone[48] = "Z";
    if (offset != 0) {
        const char sign = offset < 0 ? '-' : '+';
        const int a = static_cast<int>((offset < 0 ? -offset : offset) % 86400);
        std::snprintf(zone, sizeof zone, "%c%02d:%02d", sign, a / 3600, (a / 60) % 60);
    }
    char buf[128];
    std::snprintf(buf, sizeof buf, "%04d-%02d-%02dT%02d:%02d:%02d.%03d%s", tm.tm_year + 1900,
                  tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec,
                  time.milliseconds % 1000, zone);
    return buf;
}

std::string FormatTracks(const std::vector<RecordingTrack>& tracks, TrackFormat format) {
    switch (format) {
    case TrackFormat::Gpx:
        return Gpx(tracks);
    case TrackFormat::GeoJson:
        return GeoJson(tracks);
    case TrackFormat::Kml:
        return Kml(tracks);
    case TrackFormat::Csv:
        return Csv(tracks);
    }
    return {};
}

} // namespace playcore
