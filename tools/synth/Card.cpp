// A whole SD card: recording folders with pairs of main and rear files named
// as the camera names them, times consistent with the durations.
#include "SynthInternal.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <filesystem>
#include <system_error>

namespace synth {

namespace {

bool IsParking(char trigger) {
    return trigger == 'P' || trigger == 'S';
}

// Events that make a recording's sensor records match its trigger.
void AddTriggerEvents(char trigger, double duration, SensorOptions& s) {
    SensorEvent e;
    e.timeSec = duration / 3.0;
    switch (trigger) {
    case 'G':
        e.axis = 'X';
        e.peakG = 1.2;
        e.durationSec = 0.5;
        break;
    case 'S':
        e.axis = 'Z';
        e.peakG = 0.8;
        e.durationSec = 0.4;
        break;
    case 'M':
        e.flagCode = 5;
        break;
    case 'P':
        e.flagCode = 7;
        break;
    default:
        return;
    }
    s.events.push_back(e);
}

std::string Two(int v) {
    char b[8];
    std::snprintf(b, sizeof b, "%02d", v % 100);
    return b;
}

} // namespace

bool WriteCard(const std::string& dir, const CardOptions& c, std::vector<std::string>* files,
               std::string* error) {
    std::string ignored;
    std::string& err = error != nullptr ? *error : ignored;
    if (c.folders < 1 || c.pairs < 1 || c.folders * c.pairs > 999) {
        err = "a card holds 1..999 recordings in at least one folder";
        return false;
    }
    if (c.triggers.empty() || c.triggers.find_first_not_of("AGMPS") != std::string::npos) {
        err = "trigger letters must be among A, G, M, P, S";
        return false;
    }
    std::error_code ec;
    std::filesystem::create_directories(dir, ec);
    if (ec) {
        err = "cannot create " + dir + ": " + ec.message();
        return false;
    }
    const int seconds = std::max(1, static_cast<int>(std::lround(c.durationSec)));
    const int total = c.folders * c.pairs;
    int g = 0; // recording number over the card
    for (int f = 0; f < c.folders; ++f) {
        const DateTime day = AddSeconds(c.start, int64_t{86400} * f);
        char folderName[32];
        std::snprintf(folderName, sizeof folderName, "%04d%02d%02d_%03d", day.year, day.month,
                      day.day, f + 1);
        const std::filesystem::path folder = std::filesystem::path(dir) / folderName;
        std::filesystem::create_directories(folder, ec);
        if (ec) {
            err = "cannot create " + folder.string() + ": " + ec.message();
            return false;
        }
        int64_t offset = 0; // seconds since the folder's first recording
        bool previousAlone = false;
        for (int i = 0; i < c.pairs; ++i, ++g) {
            const char trigger = c.triggers[static_cast<size_t>(g) % c.triggers.size()];
            const bool noRear =
                c.rearMissingEvery > 0 && g % c.rearMissingEvery == c.rearMissingEvery - 1;
            if (i > 0 && (noRear || previousAlone)) {
                offset += 12; // out of reach of the +-10 s partner search
            }
            previousAlone = noRear;
            const DateTime when = AddSeconds(day, offset);

            RecordingOptions o;
            o.fps = c.fps;
            o.durationSec = c.durationSec;
            o.seed = c.seed * 7919u + static_cast<uint32_t>(g);
            o.start = when;
            o.preset = c.preset;
            o.sensor.driveOffsetSec = static_cast<double>(offset);
            if (IsParking(trigger)) {
                // Parked where the drive had got to; the camera marks parking records.
                detail::DrivePositionAt(o.sensor, static_cast<double>(offset),
                                        &o.sensor.startLatitude, &o.sensor.startLongitude);
                o.sensor.cruiseKmh = 0.0;
                o.sensor.driveOffsetSec = 0.0;
                o.sensor.status = 'R';
            }
            AddTriggerEvents(trigger, c.durationSec, o.sensor);

            char base[32];
            std::snprintf(base, sizeof base, "%03d_%s%s%s%c", (g + 1) % 1000,
                          Two(when.hour).c_str(), Two(when.minute).c_str(),
                          Two(when.second).c_str(), trigger);
            const std::string mainPath = (folder / (std::string(base) + "_M.MP4")).string();
            o.camera = Camera::Main;
            o.width = c.mainWidth;
            o.height = c.mainHeight;
            o.audio = c.audio;
            o.trailer = !(c.incompleteLast && g == total - 1);
            if (!WriteRecording(mainPath, o, &err)) {
                return false;
            }
            if (files != nullptr) {
                files->push_back(mainPath);
            }
            if (!noRear) {
                const std::string rearPath = (folder / (std::string(base) + "_R.MP4")).string();
                o.camera = Camera::Rear;
                o.width = c.rearWidth;
                o.height = c.rearHeight;
                o.audio = false; // the rear camera has no microphone
                o.trailer = true;
                if (!WriteRecording(rearPath, o, &err)) {
                    return false;
                }
                if (files != nullptr) {
                    files->push_back(rearPath);
                }
            }
            offset += seconds;
        }
    }
    return true;
}

} // namespace synth
