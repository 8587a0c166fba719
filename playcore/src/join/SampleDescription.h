// What must be equal in two files' sample descriptions for their samples to
// be decodable as one stream. Internal to the join engine.
#pragma once

#include <cstdint>
#include <vector>

namespace playcore {

// The "stsd" payload with what only describes one file's statistics taken
// out: the bit-rate boxes ("btrt") of each sample entry and the buffer and
// bit-rate fields of an MPEG-4 decoder configuration ("esds"). Codec
// configuration (for example "avcC", the audio specific config), picture size
// and sample format stay in. Two tracks can be joined when their keys match.
std::vector<uint8_t> SampleDescriptionKey(const std::vector<uint8_t>& stsdPayload);

} // namespace playcore
