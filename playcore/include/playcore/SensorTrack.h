// The sensor data of one recording file: the samples of its "gps0" box and
// the map from video frames to samples.
//
// Loading reads the box through mapped windows (never the whole file): the
// header from the first "gps0" box, the records from the first "gps0" box
// that follows the "mdat" box (a box placed before "mdat" is not a sensor
// box of this recording). A file without such a box loads with empty lists.
//
// Threads: every scan holds the track's file lock for its whole run, and
// RequestCancel() may be called from any thread to make a running load stop
// at its next box. Everything else is the caller's to serialise (SensorSlot
// does it with the slot's mutex).
#pragma once

#include "playcore/AccelSample.h"
#include "playcore/GpsSample.h"
#include "playcore/MappedFile.h"
#include "playcore/SensorHeader.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace playcore {

// Largest frame count a frame map is built for (77 hours at 60 frames per
// second); a movie claiming more is treated as having no usable map.
inline constexpr int32_t kMaxFrameMapFrames = 1 << 24;

class SensorTrack {
public:
    SensorTrack() = default;
    SensorTrack(const SensorTrack&) = delete;
    SensorTrack& operator=(const SensorTrack&) = delete;

    // Reads the header and the records of `path`. On failure (file not
    // openable, a window not mappable, out of memory, cancel request) the
    // track is left empty, loaded() is false and `error` (when given)
    // receives the system's text where there is one. The file is closed
    // again either way.
    bool Load(const std::string& path, std::string* error = nullptr);

    // Frees the lists and the frame map and clears the name.
    void Release();

    // Ties the samples to video frames: each sample's frame becomes
    // truncate(milliseconds / framePeriodMs); the three acceleration values
    // become differences to the previous sample's values as read (±0.005
    // away from zero, the first sample 0); the map gets one entry per frame;
    // acceleration and GPS samples are linked and peakAbsG() found. Needs
    // frameCount in 1..kMaxFrameMapFrames, a positive period and a loaded
    // track (lists present, possibly empty). Building again starts from the
    // values as read.
    bool BuildFrameMap(int32_t frameCount, float framePeriodMs);

    // The acceleration sample shown at video frame `frame`, or none for a
    // frame outside the map or a track without samples.
    const AccelSample* SampleForFrame(int32_t frame) const;
    const GpsSample* LinkedGps(const AccelSample& a) const;
    const AccelSample* LinkedAccel(const GpsSample& g) const;

    // Asks a running load to stop at its next box (it then fails). Safe from
    // any thread. The load that sees it clears it.
    void RequestCancel() { file_.RequestCancel(); }
    void ClearCancel() { file_.ClearCancel(); }

    // Moves the contents of `from` (samples, header, frame map, name, counts,
    // peak) into `to`, releasing what `to` held; `from` is left empty.
    // Returns whether the moved track has any GPS sample.
    friend bool MoveTrack(SensorTrack& from, SensorTrack& to);

    bool loaded() const { return loaded_; }
    const std::string& path() const { return path_; }
    uint64_t fileSize() const { return fileSize_; }
    // Index of the last record decoded; -1 when the box held none.
    int32_t recordIndex() const { return recordIndex_; }
    // The record count N stored in the box (0 without a box); more than
    // decoded when the box is cut short.
    uint32_t recordCount() const { return recordCount_; }
    double peakAbsG() const { return peakAbsG_; }
    const std::vector<GpsSample>& gps() const { return gps_; }
    const std::vector<AccelSample>& accel() const { return accel_; }
    // The acceleration lists are changed after loading only by the graph's
    // axis detectors, which clear flagCode of samples they consume.
    std::vector<AccelSample>& accel() { return accel_; }
    bool hasHeader() const { return hasHeader_; }
    const SensorHeader& header() const { return header_; }
    // Accel sample index per video frame, -1 for none; empty before the map.
    const std::vector<int32_t>& frameMap() const { return frameMap_; }
    float framePeriodMs() const { return framePeriodMs_; }
    // Size of the "mdat" box met before the records (0 when none).
    uint64_t mdatSize() const { return mdatSize_; }
    float mdatSizeF() const { return static_cast<float>(mdatSize_); }

private:
    void Clear();

    MappedFile file_; // open only during Load; carries the lock and the cancel request
    std::string path_;
    uint64_t fileSize_ = 0;
    int32_t recordIndex_ = -1;
    uint32_t recordCount_ = 0;
    double peakAbsG_ = 0.0;
    std::vector<GpsSample> gps_;
    std::vector<AccelSample> accel_;
    // The acceleration values as read, kept so that the differencing can be
    // redone when the map is built again.
    std::vector<std::array<double, 3>> accelRead_;
    bool hasHeader_ = false;
    SensorHeader header_;
    std::vector<int32_t> frameMap_;
    float framePeriodMs_ = 0.0f;
    uint64_t mdatSize_ = 0;
    bool listsPresent_ = false;
    bool loaded_ = false;
};

// The header of the first "gps0" box of `path`; none when the file cannot
// be read or holds no complete header block.
std::optional<SensorHeader> ReadSensorHeader(const std::string& path);

} // namespace playcore
