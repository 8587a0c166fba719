// Fuzzes the sensor loader over a whole file: header and record scans, the
// decoders, the frame map and the header-only read, and the GPS-only read of
// the folder list. Any read outside a mapped window or the decoded box shows
// up under the address sanitizer.
#include "playcore/FolderGpsList.h"
#include "playcore/SensorDecoder.h"
#include "playcore/SensorTrack.h"

#include <cstdint>
#include <span>
#include <string>
#include <sys/mman.h>
#include <unistd.h>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    int fd = memfd_create("fuzz_sensor", MFD_CLOEXEC);
    if (fd < 0) {
        return 0;
    }
    size_t done = 0;
    while (done < size) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0) {
            close(fd);
            return 0;
        }
        done += static_cast<size_t>(n);
    }
    const std::string path = "/proc/self/fd/" + std::to_string(fd);

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
    close(fd);
    return 0;
}
