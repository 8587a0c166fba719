// The recording generator: MP4 files laid out like the dash camera's own
// (ftyp, mdat, moov, then the "gps0" sensor box ending in "CSOEND"), with an
// H.264 test chart whose colours can be predicted from their position, every
// frame stamped with a machine-readable frame index, and sensor records of a
// plausible drive. Every test of the project runs on files made here, so the
// output is a pure function of the options (same options and seed, same bytes).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

enum class Camera { Main, Rear };

// A wall-clock date and time (local time of the camera, no time zone).
struct DateTime {
    int year = 2024;
    int month = 5;
    int day = 17;
    int hour = 9;
    int minute = 30;
    int second = 0;
};

// Adds whole seconds (negative allowed), normalising the calendar fields.
DateTime AddSeconds(const DateTime& t, int64_t seconds);

// An acceleration event written into the sensor records from timeSec on, for
// durationSec (at least one record). Each field is optional: leave it at its
// "none" value to keep the record's ordinary content.
struct SensorEvent {
    double timeSec = 0.0;     // seconds from the start of the movie
    double durationSec = 0.3; // how long the records carry the event
    char axis = 0;            // 'X', 'Y' or 'Z' in record byte 73; 0 = none
    double peakG = 0.0;       // half-sine pulse added to that axis' value (X first value,
                              // Y second, Z third); 0 = no pulse
    int flagCode = 0;         // 5: 'D' in record byte 72; 7: 'D' in byte 74; 0 = none
    int flagByte = -1;        // 0..255: byte 0 of the following record (the flag nibbles
                              // of this record, e.g. 0xA9 or 0x88); -1 = ordinary
    int status = -1;          // 0..255: record byte 78 (status letter); -1 = ordinary
};

// How the sensor records describe the drive. Record k as text, by offset:
//   0 "$GPS," (byte 0 is the previous record's flag byte: '$', nibbles 2 and 4)
//   5 'A' (or 'V': position "0000.0000" / "00000.0000", speed "0000")
//   6 |latitude| ddmm.mmmm, 15 sign byte, 16 |longitude| dddmm.mmmm, 26 sign byte
//     (a negative coordinate always writes a zero sign byte)
//   27 speed km/h "%04d", 31 YYMMDDhhmmss = start + k / 10 whole seconds
//   43 ',', 44 "***" or the correction "%+03d", 47 ",hhh.h,000" (heading)
//   57/62/67 three accelerations "%+05d" milli-G (X lateral, Y longitudinal,
//     Z vertical near +1000), 72 '0' or 'D', 73 axis '0'/'X'/'Y'/'Z',
//   74 '0' or 'D', 75 "000", 78 status byte ('M').
// The route moves at the recorded speed; a parked vehicle (cruiseKmh 0) stays.
struct SensorOptions {
    double startLatitude = 35.681236;   // signed degrees of the first fix
    double startLongitude = 139.767125; // signed degrees
    double headingDeg = 60.0;           // initial direction of travel (0 = north)
    double cruiseKmh = 42.0;            // typical speed; 0 makes a parked vehicle
    char latitudeSign = 'N';            // record byte 15; 0 writes a zero byte (south)
    char longitudeSign = 'E';           // record byte 26; 0 writes a zero byte (west)
    int invalidEvery = 0;               // >0: every n-th record (k % n == n - 1) has status 'V'
    int invalidFirst = 0;               // the first n records have status 'V' (no fix yet)
    int correctionSec = 0;              // seconds correction field; written as "+18"/"-05"
    bool writeCorrection = false;       // false: the field starts with '*' (no correction)
                                        // true: the date text is the wall-clock time minus
                                        // correctionSec, so decoding (text + correction)
                                        // gives back the wall-clock time
    int status = 'M';                   // ordinary status byte 78
    char orientation = 'N';             // header orientation letter ('N' or 'P'; others
                                        // make the header invalid on purpose)
    std::string firmware = "F10205";    // header's six verbatim characters (version 1.2.5)
    int referenceMilliG[3] = {300, 250, 400}; // header reference values, thousandths of G
    int recordCount = -1;                     // -1: one record per 100 ms of movie
    double driveOffsetSec = 0.0;              // seconds of the drive before this file (continuity
                                              // of route and speed across a card's recordings)
    std::vector<SensorEvent> events;
};

struct RecordingOptions {
    Camera camera = Camera::Main;
    int width = 256; // main camera: square is usual; rear: 16:9 is usual
    int height = 256;
    double fps = 29.1;           // 29.1 gives an stts delta of exactly 34364 us
    double durationSec = 2.0;    // movie length; frames = round(duration * 1e6 / delta)
    bool audio = true;           // mono AAC tone (1 kHz main, 660 Hz rear)
    uint32_t seed = 1;           // varies noise of the sensor records (and nothing else)
    DateTime start;              // wall-clock time of the first frame and first record
    bool gps0 = true;            // false: no "gps0" box at all
    bool trailer = true;         // false: incomplete file, as after a power cut: the "gps0"
                                 // box (header and count written for every record) stops
                                 // in the middle of a record and no "CSOEND" follows
    bool bframes = false;        // true: B-frames (reordered frames, ctts box)
    bool fastStart = false;      // true: moov before mdat
    bool gps0BeforeMdat = false; // true: the "gps0" box sits right before "mdat" (chunk
                                 // offsets shifted), so the file no longer ends with it
    int gopFrames = 30;          // keyframe interval (closed GOP)
    int crf = 23;                // x264 constant rate factor
    int grain = 0; // >0: luma noise of +-grain levels, new every frame (a camera-like bit
                   // rate for benchmarks; the frame code stays clean)
    std::string preset = "ultrafast";
    SensorOptions sensor;
};

// Writes one recording. The file is written under a temporary name beside
// `path` and renamed at the end; on failure nothing is left at `path`.
bool WriteRecording(const std::string& path, const RecordingOptions& options, std::string* error);

// The camera's 100 ms sensor records alone, as the bytes of a complete "gps0" box
// (size, type, "CSODAT", header, count, records, "CSOEND"): what WriteRecording
// appends for these options. durationSec decides the record count unless
// sensor.recordCount is set.
std::string MakeGps0Box(const RecordingOptions& options);

// Size of the box for N records: 48 + 79 * N.
inline uint64_t Gps0BoxSize(uint32_t records) {
    return 48u + 79u * uint64_t{records};
}

// Microseconds per frame for a frame rate (34364 for 29.1).
int64_t FrameDeltaUs(double fps);
// Frames of a movie of the given options.
int FrameCount(const RecordingOptions& options);
// Sensor records of a movie of the given options.
int RecordCount(const RecordingOptions& options);

// A card: recording folders "YYYYMMDD_NNN" directly under `dir` (one folder
// per day from the start date, NNN = 001, 002, ...), each holding `pairs`
// recordings "NNN_HHMMSST_M.MP4" + "NNN_HHMMSST_R.MP4" (NNN a running file
// number over the card, T the trigger letter). Within a folder the recordings
// follow each other without a gap (next start = previous start + duration),
// except that a recording without a rear file is set apart by 12 s on both
// sides (so the camera's +-10 s partner search cannot pair it with a
// neighbour's rear file).
struct CardOptions {
    int folders = 1;
    int pairs = 3;            // recordings per folder
    double durationSec = 2.0; // each recording
    int mainWidth = 128, mainHeight = 128;
    int rearWidth = 128, rearHeight = 72;
    double fps = 29.1;
    bool audio = true;
    uint32_t seed = 1;
    DateTime start;                 // first recording of the first folder
    std::string triggers = "AGMPS"; // trigger letters used in turn, recording by recording
    int rearMissingEvery = 4;       // >0: recording i (over the card) with i % n == n - 1
                                    // has no rear file
    bool incompleteLast = true;     // the last recording's main file has no trailer
    std::string preset = "ultrafast";
};

// Writes the card, appending the paths of every file written to `files` (main
// files before their rear partners, in time order). Main files have audio
// when `audio` is set; rear files never do. Both files of a pair carry the
// same sensor records. Trigger-specific sensor events, one third into the
// recording: G an 'X' impact, S a 'Z' impact, M flag code 5, P flag code 7;
// P and S recordings are parked (speed 0, position where the drive had got
// to) with status byte 'R'. Seed of recording i: seed * 7919 + i.
bool WriteCard(const std::string& dir, const CardOptions& options, std::vector<std::string>* files,
               std::string* error);

// ---------------------------------------------------------------------------
// The pictures.

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const Rgb&) const = default;
};

// Main camera chart: a circle of diameter min(width, height), centred, black
// outside. r = distance from the centre / circle radius (0..1; > 1 black).
// azimuthRad is measured from the direction towards the picture's TOP edge,
// increasing CLOCKWISE as seen on the picture (pi/2 = towards the right edge,
// pi = bottom, 3pi/2 = left). Four rings (r in [0, .25), [.25, .5), [.5, .75),
// [.75, 1]) times eight 45-degree sectors (sector s covers azimuth
// [s * 45, (s + 1) * 45) degrees): hue by sector (red, orange, yellow, green,
// cyan, blue, purple, magenta), shade by ring (pale, dark, pure, muted).
// Sample at cell centres: the frame-code box covers the middle of the picture
// and digit labels sit in the outer ring near each sector's start
// (azimuth s * 45 + 9 degrees).
Rgb FisheyeChartColor(double r, double azimuthRad);
int FisheyeRing(double r);            // 0..3, or -1 outside the circle
int FisheyeSector(double azimuthRad); // 0..7

// Rear camera chart: u = x / width (0 left .. 1 right), v = y / height (0 top
// .. 1 bottom). Quadrants: top-left red, top-right green, bottom-left blue,
// bottom-right yellow; each quadrant a 3 x 3 checkerboard of its colour in
// full and in a darker shade (the quadrant's centre cell is full), with thin
// black grid lines (1/200 of the size) between the cells; the middle of the
// picture is covered by the frame-code box.
Rgb FlatChartColor(double u, double v);

struct Rect {
    int x = 0, y = 0, width = 0, height = 0;
};
// The white box in the middle of every frame that holds the frame code (a row
// of 25 black/white cells of about width / 50 pixels each (at least 2), with two white
// cells of quiet space on either side: guard B W, 16 index bits MSB first, 4
// check bits, guard W B B) and the index as digits below it; the same layout
// for both cameras.
Rect FrameCodeRect(int width, int height);

// Draws the picture of frame `index` as 32-bit pixels (0xFFRRGGBB in a uint32,
// as QImage::Format_RGB32 holds them). `pixels` must hold width * height values.
void RenderFrame(Camera camera, int width, int height, int index, uint32_t* pixels);

// Frame index from a picture that shows a generated frame flat, at any scale
// (32-bit pixels 0xAARRGGBB in native byte order, as QImage::Format_RGB32 and
// Format_ARGB32 hold them; bytesPerLine is the row stride). -1 when no code is
// found. Cells must be at least about 2 pixels wide in the picture given.
int ReadFrameIndex(const uint8_t* pixels, int width, int height, int bytesPerLine);
// The same, also telling whether the picture shows the frame mirrored left to
// right (a mirrored rear view, or a picture turned by 180 degrees).
int ReadFrameIndex(const uint8_t* pixels, int width, int height, int bytesPerLine, bool* mirrored);

} // namespace synth
