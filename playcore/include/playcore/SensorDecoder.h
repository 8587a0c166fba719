// Decoding of the camera's "gps0" sensor box from bytes.
//
// Box layout (all integers big-endian, all numbers inside records ASCII):
//   0  size (32-bit, whole box)   4  "gps0"   8  "CSODAT"
//   14 header block (26 bytes)   40 record count N (16-bit)
//   42 N records of 79 bytes     42 + 79 N  "CSOEND"
// Every function here reads only the bytes it is given: a count that claims
// more records than the bytes hold decodes the records present, text fields
// need no terminator, and no input reads outside the span.
#pragma once

#include "playcore/AccelSample.h"
#include "playcore/CalendarTime.h"
#include "playcore/GpsSample.h"
#include "playcore/SensorHeader.h"
#include "playcore/SensorRecordTime.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <vector>

namespace playcore {

inline constexpr std::size_t kSensorHeaderOffset = 14; // header block, from the box start
inline constexpr std::size_t kSensorHeaderSize = 26;
inline constexpr std::size_t kSensorCountOffset = 40;
inline constexpr std::size_t kSensorRecordsOffset = 42;
// kSensorRecordSize (79) comes with the record time decoding.

// --- text fields -----------------------------------------------------------
// Each field is copied into a zero-terminated buffer of its own length and
// converted like strtod / atoi: leading blanks and a sign are allowed and the
// conversion stops at the first character that does not belong to the
// number; no digits gives 0. The conversion ignores the process locale (a
// decimal comma locale must not change how the camera's "3540.1234" reads),
// and a field whose value is not a finite number reads as 0.
double SensorTextToDouble(const uint8_t* text, std::size_t length);
int SensorTextToInt(const uint8_t* text, std::size_t length);
// A reference or acceleration value: thousandths of G as text, converted to
// single precision and divided by 1000. Values beyond single precision read as 0.
float SensorTextToG(const uint8_t* text, std::size_t length);
// ddmm.mmmm / dddmm.mmmm to signed degrees: whole degrees are the truncated
// value / 100, minutes the floating remainder modulo 100.
double DegreeMinutesToDegrees(double value, bool positive);

// --- date and time -----------------------------------------------------------
// Date and time of a 79-byte record: the six two-digit fields at 31..42 (year
// 2000 + yy) plus the seconds correction at 44..46 ('*' in its first
// character: none), out-of-range fields normalised. The movie's start time is
// read the same way, so both agree to the second.
inline CalendarTime DecodeSensorDateTime(const uint8_t* record) {
    return DecodeSensorRecordTime(record);
}

// --- header --------------------------------------------------------------------
// One 26-byte header block.
SensorHeader DecodeSensorHeaderBlock(const uint8_t* block);
// The header of a box given from its start (`box` may be cut short by the end
// of the file; it is also limited to the box's own size). While the bytes 30
// after a block read "@CS" and an upper-case letter, the block 34 bytes
// further on replaces it. Nothing when the first block is not complete.
std::optional<SensorHeader> DecodeSensorHeader(std::span<const uint8_t> box);

// --- records -------------------------------------------------------------------
// The GPS part (bytes 0..51) and the acceleration part (52..78) of one 79-byte
// record. `flagByte` is the byte after the record (byte 0 of the next record,
// or the trailer's 'C'); without it the flag nibbles are 0.
GpsSample DecodeGpsRecord(const uint8_t* record, int32_t index);
AccelSample DecodeAccelRecord(const uint8_t* record, int32_t index,
                              std::optional<uint8_t> flagByte);

// Bytes of `box` that belong to the box: the span, cut at the box size when
// that is at least 8.
std::span<const uint8_t> SensorBoxBytes(std::span<const uint8_t> box);
// The record count N stored in the box, or 0 when the box is too short to hold it.
uint32_t SensorRecordCount(std::span<const uint8_t> box);
// How many of the N records lie completely inside the box's bytes.
uint32_t SensorRecordsPresent(std::span<const uint8_t> box);

// Appends the records of a box (given from its start) to the lists; `accel`
// may be null to read the GPS parts only. Returns the number of records
// decoded (the records present, at most N).
uint32_t DecodeSensorRecords(std::span<const uint8_t> box, std::vector<GpsSample>* gps,
                             std::vector<AccelSample>* accel);

} // namespace playcore
