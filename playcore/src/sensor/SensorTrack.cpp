#include "playcore/SensorTrack.h"

#include "playcore/SensorDecoder.h"
#include "playcore/TagScan.h"

#include <algorithm>
#include <cmath>
#include <new>
#include <span>
#include <utility>

namespace playcore {

namespace {

std::span<const uint8_t> ViewBytes(const ScanView& view) {
    return {view.data, view.size};
}

// Offsets of the sensor box handed to the decoders: the whole box from its start.
constexpr uint64_t kFromBoxStart = 0;

// The header of the first "gps0" box of an open file. The walk counts as
// successful when it reaches the box, whether or not the block is usable.
ScanResult ScanHeader(MappedFile& file, std::optional<SensorHeader>* header) {
    TagDescriptor gps0("gps0", [header](const ScanView& view) {
        *header = DecodeSensorHeader(ViewBytes(view));
        return 0;
    });
    return BoxWalk(file, gps0, nullptr, kDecoderWindow, kFromBoxStart);
}

// Converts a millisecond position to a frame index, in single precision as
// the frame period is kept; saturates instead of overflowing.
int32_t MsToFrame(int32_t ms, float periodMs) {
    const float f = std::trunc(static_cast<float>(ms) / periodMs);
    if (!(f >= 0.0f)) {
        return 0;
    }
    if (f >= 2147483648.0f) {
        return INT32_MAX;
    }
    return static_cast<int32_t>(f);
}

double Difference(double value, double previous) {
    const double d = value - previous;
    if (d > 0.0) {
        return d + 0.005;
    }
    if (d < 0.0) {
        return d - 0.005;
    }
    return 0.0;
}

} // namespace

void SensorTrack::Clear() {
    path_.clear();
    fileSize_ = 0;
    recordIndex_ = -1;
    recordCount_ = 0;
    peakAbsG_ = 0.0;
    // Give the memory back, not just the elements.
    std::vector<GpsSample>().swap(gps_);
    std::vector<AccelSample>().swap(accel_);
    std::vector<std::array<double, 3>>().swap(accelRead_);
    std::vector<int32_t>().swap(frameMap_);
    hasHeader_ = false;
    header_ = SensorHeader{};
    framePeriodMs_ = 0.0f;
    mdatSize_ = 0;
    listsPresent_ = false;
    loaded_ = false;
}

void SensorTrack::Release() {
    file_.Close();
    Clear();
}

bool SensorTrack::Load(const std::string& path, std::string* error) {
    Release();
    std::string openError;
    if (!file_.Open(path, &openError)) {
        if (error != nullptr) {
            *error = openError;
        }
        return false;
    }
    path_ = path;
    fileSize_ = file_.size();

    bool ok = false;
    std::string scanError;
    try {
        std::optional<SensorHeader> header;
        const ScanResult headerScan = ScanHeader(file_, &header);
        if (headerScan.ok()) {
            if (header) {
                hasHeader_ = true;
                header_ = *header;
            }
            // The records: only a "gps0" box after the "mdat" box counts.
            TagDescriptor mdat("mdat", [this](const ScanView& view) {
                mdatSize_ = view.boxSize;
                return 0;
            });
            TagDescriptor gps0("gps0", [this](const ScanView& view) {
                const std::span<const uint8_t> box = ViewBytes(view);
                recordCount_ = SensorRecordCount(box);
                const uint32_t decoded = DecodeSensorRecords(box, &gps_, &accel_);
                recordIndex_ = static_cast<int32_t>(decoded) - 1;
                return 0;
            });
            const ScanResult recordScan = BoxWalk(file_, gps0, &mdat, kSearchWindow, kFromBoxStart);
            ok = recordScan.ok();
            scanError = recordScan.error;
        } else {
            scanError = headerScan.error;
        }
        if (ok) {
            accelRead_.reserve(accel_.size());
            for (const AccelSample& a : accel_) {
                accelRead_.push_back(a.v);
            }
        }
    } catch (const std::bad_alloc&) {
        ok = false;
        scanError = "out of memory";
    }
    file_.Close();
    if (!ok) {
        Clear();
        if (error != nullptr) {
            *error = scanError;
        }
        return false;
    }
    listsPresent_ = true;
    loaded_ = true;
    return true;
}

bool SensorTrack::BuildFrameMap(int32_t frameCount, float framePeriodMs) {
    if (frameCount <= 0 || frameCount > kMaxFrameMapFrames || !(framePeriodMs > 0.0f) ||
        !std::isfinite(framePeriodMs) || !listsPresent_) {
        return false;
    }
    try {
        frameMap_.assign(static_cast<std::size_t>(frameCount), -1);
    } catch (const std::bad_alloc&) {
        std::vector<int32_t>().swap(frameMap_);
        return false;
    }
    framePeriodMs_ = framePeriodMs;

    // Positions: the samples' own milliseconds (index × 100) in frames.
    for (AccelSample& a : accel_) {
        a.frame = MsToFrame(a.index * 100, framePeriodMs);
        a.linkedGps = -1;
    }
    for (GpsSample& g : gps_) {
        g.frame = MsToFrame(g.index * 100, framePeriodMs);
        g.linkedAccel = -1;
    }

    // Differences to the previous sample's values as read; the first is 0.
    for (std::size_t i = 0; i < accel_.size(); ++i) {
        for (int c = 0; c < 3; ++c) {
            accel_[i].v[c] = i == 0 ? 0.0 : Difference(accelRead_[i][c], accelRead_[i - 1][c]);
        }
    }

    const std::size_t n = accel_.size();
    peakAbsG_ = 0.0;
    if (n == 0) {
        return true;
    }
    // With fewer frames than samples the map moves two samples per frame.
    const std::size_t step = static_cast<std::size_t>(frameCount) < n ? 2 : 1;
    std::size_t j = 0;
    for (int32_t i = 0; i < frameCount; ++i) {
        if (j < n) {
            frameMap_[static_cast<std::size_t>(i)] = static_cast<int32_t>(j);
            if (j + 1 < n && accel_[j + 1].frame <= i) {
                j += step;
            }
        } else {
            frameMap_[static_cast<std::size_t>(i)] = static_cast<int32_t>(n - 1);
        }
    }

    // Link the samples: a fix takes the first acceleration sample at or after
    // its frame, and each acceleration sample the fix three places behind the
    // GPS cursor (with one fix per sample: two records earlier). The panel
    // and the map show that fix with the sample.
    const std::size_t m = gps_.size();
    if (m == 0) {
        return true;
    }
    double peak[3] = {0.0, 0.0, 0.0};
    std::size_t g = 0;
    for (std::size_t k = 0; k < n; ++k) {
        AccelSample& a = accel_[k];
        for (int c = 0; c < 3; ++c) {
            peak[c] = std::max(peak[c], std::fabs(a.v[c]));
        }
        if (gps_[g].frame <= a.frame) {
            gps_[g].linkedAccel = static_cast<int32_t>(k);
            if (g + 1 < m) {
                ++g;
            }
        }
        a.linkedGps = static_cast<int32_t>(g >= 3 ? g - 3 : 0);
    }
    peakAbsG_ = std::max({peak[0], peak[1], peak[2]});
    return true;
}

const AccelSample* SensorTrack::SampleForFrame(int32_t frame) const {
    if (frame < 0 || static_cast<std::size_t>(frame) >= frameMap_.size() || accel_.empty()) {
        return nullptr;
    }
    const int32_t index = frameMap_[static_cast<std::size_t>(frame)];
    if (index < 0 || static_cast<std::size_t>(index) >= accel_.size()) {
        return nullptr;
    }
    return &accel_[static_cast<std::size_t>(index)];
}

const GpsSample* SensorTrack::LinkedGps(const AccelSample& a) const {
    if (a.linkedGps < 0 || static_cast<std::size_t>(a.linkedGps) >= gps_.size()) {
        return nullptr;
    }
    return &gps_[static_cast<std::size_t>(a.linkedGps)];
}

const AccelSample* SensorTrack::LinkedAccel(const GpsSample& g) const {
    if (g.linkedAccel < 0 || static_cast<std::size_t>(g.linkedAccel) >= accel_.size()) {
        return nullptr;
    }
    return &accel_[static_cast<std::size_t>(g.linkedAccel)];
}

bool MoveTrack(SensorTrack& from, SensorTrack& to) {
    if (&from == &to) {
        return !to.gps_.empty();
    }
    to.Release();
    to.path_ = std::move(from.path_);
    to.fileSize_ = from.fileSize_;
    to.recordIndex_ = from.recordIndex_;
    to.recordCount_ = from.recordCount_;
    to.peakAbsG_ = from.peakAbsG_;
    to.gps_ = std::move(from.gps_);
    to.accel_ = std::move(from.accel_);
    to.accelRead_ = std::move(from.accelRead_);
    to.hasHeader_ = from.hasHeader_;
    to.header_ = from.header_;
    to.frameMap_ = std::move(from.frameMap_);
    to.framePeriodMs_ = from.framePeriodMs_;
    to.mdatSize_ = from.mdatSize_;
    to.listsPresent_ = from.listsPresent_;
    to.loaded_ = from.loaded_;
    from.Release();
    return !to.gps_.empty();
}

std::optional<SensorHeader> ReadSensorHeader(const std::string& path) {
    MappedFile file;
    if (!file.Open(path)) {
        return std::nullopt;
    }
    std::optional<SensorHeader> header;
    try {
        if (!ScanHeader(file, &header).ok()) {
            return std::nullopt;
        }
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    return header;
}

} // namespace playcore
