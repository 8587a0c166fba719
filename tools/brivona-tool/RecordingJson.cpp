#include "RecordingJson.h"

#include "playcore/RecordingNames.h"

namespace recjson {
namespace {

void WriteTime(JsonWriter& json, const playcore::CalendarTime& t) {
    json.BeginObject();
    json.Key("year").Int(t.year);
    json.Key("month").Int(t.month);
    json.Key("dayOfWeek").Int(t.dayOfWeek);
    json.Key("day").Int(t.day);
    json.Key("hour").Int(t.hour);
    json.Key("minute").Int(t.minute);
    json.Key("second").Int(t.second);
    json.Key("milliseconds").Int(t.milliseconds);
    json.EndObject();
}

} // namespace

void WriteDescriptor(JsonWriter& json, const playcore::RecordingDescriptor& d) {
    const std::string& name = playcore::DescriptorName(d);
    json.BeginObject();
    json.Key("mainPath").String(d.mainPath);
    json.Key("mainName").String(d.mainName);
    json.Key("rearPath").String(d.rearPath);
    json.Key("rearName").String(d.rearName);
    json.Key("listIndex").Int(d.listIndex);
    json.Key("serial").Int(d.serial);
    json.Key("group").Int(d.group);
    json.Key("nameInitial").Int(d.nameInitial);
    json.Key("marked").Int(d.marked);
    json.Key("parking").Int(d.parking);
    json.Key("resolutionCode").Int(d.resolutionCode);
    json.Key("frameRate").Number(d.frameRate);
    json.Key("startTime");
    WriteTime(json, d.startTime);
    json.Key("endTime");
    WriteTime(json, d.endTime);
    json.Key("mainSize").UInt(d.mainSize);
    json.Key("rearSize").UInt(d.rearSize);
    json.Key("trigger").Int(playcore::TriggerCode(name));
    json.Key("label").String(playcore::TriggerLabel(name));
    json.EndObject();
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
