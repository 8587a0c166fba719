// What libavformat and libavcodec see in a movie file: an independent reader
// for checking files that our own code wrote or rewrote.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace testsupport {

struct MediaPacket {
    int stream = 0;
    int64_t dts = 0;
    int64_t pts = 0;
    int64_t duration = 0;
    bool key = false;
    std::string data;
};

struct MediaStreamInfo {
    std::string codec; // "h264", "aac", ...
    int width = 0;
    int height = 0;
    int timeBaseNum = 0;
    int timeBaseDen = 0;
};

struct MediaFile {
    bool ok = false;
    std::string error;
    std::vector<MediaStreamInfo> streams;
    std::vector<MediaPacket> packets; // in the order the demuxer returns them
    double durationSec = 0;

    // The packets of one stream, in order.
    std::vector<MediaPacket> Stream(int index) const;
};

// Reads every packet of the file, raw (edit lists ignored, so every stored
// sample is returned).
MediaFile ReadMedia(const std::string& path);

struct DecodeResult {
    bool ok = false;   // opened and decoded to the end without a decoder error
    std::string error; // the first error
    int videoFrames = 0;
    int audioFrames = 0;
    // Frame index read from each decoded video frame in presentation order
    // (synth::ReadFrameIndex; -1 where none was read).
    std::vector<int> frameCodes;
};

// Decodes every stream to the end; with `readCodes`, reads the generator's
// frame code from each video frame.
DecodeResult DecodeMedia(const std::string& path, bool readCodes = false);

} // namespace testsupport
