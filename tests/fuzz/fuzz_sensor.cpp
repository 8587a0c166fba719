// Fuzzes the sensor loader over a whole file: header and record scans, the
// decoders, the frame map and the header-only read, and the GPS-only read of
// the folder list. Any read outside a mapped window or the decoded box shows
// up under the address sanitizer.
#include "MemoryFile.h"
#include "playcore/FolderGpsList.h"
#include "playcore/SensorDecoder.h"
#include "playcore/SensorTrack.h"

#include <cstdint>
#include <span>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile input("fuzz_sensor", data, size);
    if (!input.ok()) {
        return 0;
    }
    const std::string& path = input.path();

    playcore::SensorTrack track;
    if (track.Load(path)) {
        // A frame count derived from the input, kept small.
        const int32_t frames = size > 0 ? 1 + data[0] % 97 : 1;
        const float period = size > 1 ? 1.0f + static_cast<float>(data[1] % 200) : 33.0f;
        track.BuildFrameMap(frames, period);
        for (int32_t f = -1; f <= frames; ++f) {
            if (const playcore::AccelSample* a = track.SampleForFrame(f)) {
                track.LinkedGps(*a);
            }
        }
    }
    playcore::ReadSensorHeader(path);
    playcore::FolderGpsList list;
    list.Read({path});

    // The byte decoders on the raw input as if it were a box.
    std::vector<uint8_t> exact(data, data + size);
    std::vector<playcore::GpsSample> gps;
    std::vector<playcore::AccelSample> accel;
    playcore::DecodeSensorRecords(std::span<const uint8_t>(exact.data(), exact.size()), &gps,
                                  &accel);
    playcore::DecodeSensorHeader(std::span<const uint8_t>(exact.data(), exact.size()));
    return 0;
}
