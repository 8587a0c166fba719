// Text and JSON forms of recording descriptors for `classify` and `scan`.
#pragma once

#include "Json.h"

#include "playcore/RecordingDescriptor.h"

#include <string>

namespace recjson {

// {"mainPath": ..., every RecordingDescriptor field in order ..., "trigger":
// code, "label": text}; times as objects of their eight fields.
void WriteDescriptor(JsonWriter& json, const playcore::RecordingDescriptor& d);

// One line for people: the name, trigger and both files with their sizes.
std::string DescriptorLine(const playcore::RecordingDescriptor& d);

} // namespace recjson
