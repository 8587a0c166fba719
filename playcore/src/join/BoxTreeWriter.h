// Writes a (possibly edited) box tree back to a file. Internal to the join
// engine.
#pragma once

#include "playcore/AtomicOutputFile.h"
#include "playcore/Mp4Movie.h"

#include <atomic>
#include <string>

namespace playcore {

enum class SensorBoxRule {
    Joined, // "gps0": the first file's header, the joined count, every file's records
    Raw     // "gps0" copied as it stands in its file
};

// Records of a "gps0" node that its box and file really hold (a count that
// claims more is cut to what is present).
uint64_t AvailableSensorRecords(const sTAGNODE& gps0, uint64_t fileSize);

// Size the node takes in the output, header included.
uint64_t OutputBoxSize(const sTAGNODE& node, SensorBoxRule rule);

// Checks that the tree can be written without losing bytes: every container's
// children cover its payload, every leaf other than "mdat" and "gps0" has its
// payload in memory, and every size fits a 32-bit box header.
bool CheckWritable(const sMP4MOVIE& movie, SensorBoxRule rule, std::string* error);

// Writes `node` (header, then payload or children). With `deferMdat`, a
// top-level "mdat" is held back and written right after the "moov" that
// follows it (the header-first layout).
bool WriteBox(AtomicOutputFile& out, const sTAGNODE& node, SensorBoxRule rule,
              const std::atomic<bool>* cancel, std::string* error);
bool WriteTopLevel(AtomicOutputFile& out, const sMP4MOVIE& movie, SensorBoxRule rule,
                   bool deferMdat, const std::atomic<bool>* cancel, std::string* error);

// Output offset of the payload of the first top-level "mdat" when the tree is
// written in that order; 0 when there is none.
uint64_t OutputMdatPayloadOffset(const sMP4MOVIE& movie, SensorBoxRule rule, bool deferMdat);

// Adds `delta` to every chunk offset of every "stco" (and "co64") table of the
// tree. False, with the tree unchanged, when an offset would leave its field.
bool ShiftChunkOffsets(sMP4MOVIE& movie, int64_t delta, std::string* error);

} // namespace playcore
