// Text and JSON forms of recording descriptors for `classify` and `scan`.
#pragma once

#include "playcore/RecordingDescriptor.h"

#include <string>
#include <string_view>

namespace recjson {

// A JSON string literal (quotes included); control characters escaped,
// UTF-8 passed through as it stands.
std::string Quote(std::string_view text);

// {"mainPath": ..., every RecordingDescriptor field in order ..., "trigger":
// code, "label": text}; times as objects of their eight fields.
std::string Descriptor(const playcore::RecordingDescriptor& d);

// One line for people: the displayed name, trigger and both files.
std::string DescriptorLine(const playcore::RecordingDescriptor& d);

} // namespace recjson
