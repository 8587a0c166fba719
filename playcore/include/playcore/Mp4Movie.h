// A movie file parsed into its box tree, with the lists of the boxes the rest
// of the program edits or reads, and the movie facts read from them.
#pragma once

#include "playcore/CalendarTime.h"
#include "playcore/MappedFile.h"
#include "playcore/TagNode.h"

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace playcore {

// References to every node of each listed type, in depth-first file order.
// They point into the movie's own tree and stay valid while it lives (the
// tree's child lists are not resized after the parse).
struct sTYPELISTS {
    std::vector<sTAGNODE*> mdat, gps0, stsc, stsz, stco, stss, stts, mdhd, mvhd, tkhd, elst, stsd;
};

// Deepest box level the parse descends to; a box nested deeper is kept as a
// leaf with its payload copied. Real recordings nest 7 levels at most.
inline constexpr uint32_t kMaxBoxDepth = 16;

struct sMP4MOVIE {
    sMP4MOVIE() = default;
    virtual ~sMP4MOVIE() = default;
    sMP4MOVIE(const sMP4MOVIE&) = delete;
    sMP4MOVIE& operator=(const sMP4MOVIE&) = delete;

    MappedFile file;  // open and readable for the life of the movie
    std::string path; // the nodes' sourcePath points here
    uint64_t fileSize = 0;
    uint64_t pageSize = 0;    // window alignment
    uint64_t windowDelta = 0; // alignment delta of the last window mapped
    sTAGNODE root;            // type "", payload offset 0, length = file size
    uint64_t fileSizeCopy = 0;
    sTYPELISTS lists;
};

// A movie whose output is rewritten with its header first: also lists the
// "moov" nodes.
struct sMP4CONVERTMOVIE : sMP4MOVIE {
    std::vector<sTAGNODE*> moov;
};

// Opens and parses `path`. Returns none when the file cannot be opened or
// mapped, is empty, does not start with an "ftyp" box, or a payload cannot be
// copied; `error` (when given) then receives the reason (the system's text
// where there is one). Malformed structure is not a failure: the level where
// it appears simply ends there (see the parse in Mp4Movie.cpp).
std::unique_ptr<sMP4MOVIE> OpenMovieStructure(const std::string& path,
                                              std::string* error = nullptr);
std::unique_ptr<sMP4CONVERTMOVIE> OpenConvertMovieStructure(const std::string& path,
                                                            std::string* error = nullptr);
// Destroys the tree and lists and closes the file (same as resetting it).
void ReleaseMovieStructure(std::unique_ptr<sMP4MOVIE>& movie);

// The nodes of `type` below `from` (itself included), depth-first in file
// order.
void CollectNodes(sTAGNODE& from, const char (&type)[5], std::vector<sTAGNODE*>* out);

struct VideoSize {
    uint16_t width = 0;
    uint16_t height = 0;
};
// Width and height of the first sample entry of the first "stsd"; none when
// there is no "stsd" or it is too short.
std::optional<VideoSize> GetVideoSize(const sMP4MOVIE& movie);
// Sample count of the first "stsz"; -1 when there is none.
int64_t GetFrameCount(const sMP4MOVIE& movie);
// 1 000 000 / (Σ count × delta / Σ count) over the first "stts" (its time base
// taken as microseconds); -1.0 when there is no usable "stts" (none, no
// entries, a table larger than its box, or a zero mean).
double GetFrameRate(const sMP4MOVIE& movie);
// Date and time of the first sensor record of the first "gps0", read from the
// file. Leaves `out` unchanged and returns false when there is no "gps0", it
// holds no record, the record cannot be read, or its date fields are all zero.
bool GetStartDateTime(const sMP4MOVIE& movie, CalendarTime* out);

} // namespace playcore
