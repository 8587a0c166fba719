// Export of the GPS track of recordings: the valid fixes of one recording, or
// of every recording of a folder in list order, with their time and speed, as
// GPX 1.1, GeoJSON (RFC 7946), KML 2.2 or CSV.
//
// Times: the camera stamps each 100 ms record with whole seconds of its
// wall-clock time. A fix's time is its stamp plus 100 ms for every earlier
// record of the same file with the same stamp (at most 900 ms), so the ten
// fixes of one second keep their order and distinct times. Times are written
// in ISO 8601 with this computer's UTC offset for that date (the camera's
// clock is taken to run in the viewer's time zone, as the player assumes).
#pragma once

#include "playcore/CalendarTime.h"

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace playcore {

struct TrackFix {
    int32_t record = 0;    // position of the sensor record in its file
    double lat = 0.0;      // signed degrees
    double lng = 0.0;      // signed degrees
    double speedKmh = 0.0; // as recorded
    CalendarTime time;     // stamp plus the sub-second step (milliseconds field)
};

struct RecordingTrack {
    std::string path; // the file the fixes come from
    std::string name; // its file name
    std::vector<TrackFix> fixes;
};

// The valid fixes of one recording file (status 'A', finite coordinates
// within ±90 / ±180 degrees). False with `error` set when the file cannot be
// read; a file without a sensor box gives no fixes and true.
bool ReadRecordingTrack(const std::string& path, RecordingTrack* out, std::string* error);

// A file gives its own track. A folder gives the track of each recording the
// file commands would collect from it (to depth 3, in list order; the main
// file of each, else the rear file); files that cannot be read are skipped
// and named in `warnings`. False with `error` set when the source is neither
// a readable file nor a folder.
bool ReadTracks(const std::string& fileOrFolder, std::vector<RecordingTrack>* out,
                std::vector<std::string>* warnings, std::string* error);

enum class TrackFormat { Gpx, GeoJson, Kml, Csv };

// "gpx", "geojson", "kml", "csv" (any case).
std::optional<TrackFormat> TrackFormatFromName(std::string_view name);
// The usual file extension, without the dot.
const char* TrackFormatExtension(TrackFormat format);

// "2024-05-17T09:30:00.300+09:00": the time with this computer's UTC offset
// at that moment ("Z" when the offset is zero). Out-of-range fields are
// normalised.
std::string IsoLocalTime(const CalendarTime& time);

// The whole document. GPX: one <trk> per recording with the speed in m/s in
// the Garmin TrackPointExtension; GeoJSON: one Feature per recording with
// fixes (a LineString, or a Point for a single fix) and the per-fix times and
// speeds as "coordTimes" and "speedsKmh"; KML: one Placemark per recording
// with a gx:Track carrying the times and a speed array; CSV: one line per fix
// (recording,record,time,latitude,longitude,speed_kmh) with CR LF. Texts are
// escaped for the format, invalid UTF-8 replaced. Recordings without fixes
// are left out of GPX, GeoJSON and KML.
std::string FormatTracks(const std::vector<RecordingTrack>& tracks, TrackFormat format);

} // namespace playcore
