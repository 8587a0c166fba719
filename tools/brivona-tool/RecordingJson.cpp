#include "RecordingJson.h"

#include "playcore/RecordingNames.h"

#include <cstdio>

namespace recjson {
namespace {

std::string Time(const playcore::CalendarTime& t) {
    char text[200];
    std::snprintf(text, sizeof text,
                  "{\"year\": %u, \"month\": %u, \"dayOfWeek\": %u, \"day\": %u, \"hour\": %u, "
                  "\"minute\": %u, \"second\": %u, \"milliseconds\": %u}",
                  t.year, t.month, t.dayOfWeek, t.day, t.hour, t.minute, t.second, t.milliseconds);
    return text;
}

std::string Number(long long v) {
    return std::to_string(v);
}
std::string Unsigned(unsigned long long v) {
    return std::to_string(v);
}

std::string Float(float v) {
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", static_cast<double>(v));
    return text;
}

} // namespace

std::string Quote(std::string_view text) {
    std::string out = "\"";
    for (const char ch : text) {
        const auto c = static_cast<unsigned char>(ch);
        switch (c) {
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
            if (c < 0x20 || c == 0x7F) {
                char esc[8];
                std::snprintf(esc, sizeof esc, "\\u%04x", c);
                out += esc;
            } else {
                out += ch;
            }
        }
    }
    out += '"';
    return out;
}

std::string Descriptor(const playcore::RecordingDescriptor& d) {
    const std::string& name = playcore::DescriptorName(d);
    std::string out = "{";
    out += "\"mainPath\": " + Quote(d.mainPath);
    out += ", \"mainName\": " + Quote(d.mainName);
    out += ", \"rearPath\": " + Quote(d.rearPath);
    out += ", \"rearName\": " + Quote(d.rearName);
    out += ", \"listIndex\": " + Number(d.listIndex);
    out += ", \"serial\": " + Number(d.serial);
    out += ", \"group\": " + Number(d.group);
    out += ", \"nameInitial\": " + Number(d.nameInitial);
    out += ", \"marked\": " + Number(d.marked);
    out += ", \"parking\": " + Number(d.parking);
    out += ", \"resolutionCode\": " + Number(d.resolutionCode);
    out += ", \"frameRate\": " + Float(d.frameRate);
    out += ", \"startTime\": " + Time(d.startTime);
    out += ", \"endTime\": " + Time(d.endTime);
    out += ", \"mainSize\": " + Unsigned(d.mainSize);
    out += ", \"rearSize\": " + Unsigned(d.rearSize);
    out += ", \"trigger\": " + Number(playcore::TriggerCode(name));
    out += ", \"label\": " + Quote(playcore::TriggerLabel(name));
    out += "}";
    return out;
}

std::string DescriptorLine(const playcore::RecordingDescriptor& d) {
    const std::string& name = playcore::DescriptorName(d);
    const std::string label = playcore::TriggerLabel(name);
    std::string line = name;
    line += "  [" + std::to_string(playcore::TriggerCode(name));
    if (!label.empty()) {
        line += " " + label;
    }
    line += "]";
    line += "  main: " + (d.mainPath.empty() ? std::string("-") : d.mainPath);
    if (!d.mainPath.empty()) {
        line += " (" + std::to_string(d.mainSize) + " bytes)";
    }
    line += "  rear: " + (d.rearPath.empty() ? std::string("-") : d.rearPath);
    if (!d.rearPath.empty()) {
        line += " (" + std::to_string(d.rearSize) + " bytes)";
    }
    return line;
}

} // namespace recjson
