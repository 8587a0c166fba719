#include "playcore/MultiMovie.h"

#include "BoxTreeWriter.h"
#include "SampleDescription.h"
#include "playcore/AtomicOutputFile.h"
#include "playcore/ByteOrder.h"

#include <cstring>
#include <filesystem>
#include <limits>
#include <sys/vfs.h>

namespace playcore {

namespace {

constexpr uint64_t kMaxU32 = 0xFFFFFFFFull;
constexpr uint64_t kMaxSensorRecords = 65535;
constexpr uint64_t kPage = 4096; // the copy is fastest when source and output agree modulo this

sTAGNODE* FindFirst(sTAGNODE& from, const char (&type)[5]) {
    std::vector<sTAGNODE*> found;
    CollectNodes(from, type, &found);
    return found.empty() ? nullptr : found.front();
}

// The sample-table boxes of one track.
struct Track {
    sTAGNODE* trak = nullptr;
    sTAGNODE* tkhd = nullptr;
    sTAGNODE* mdhd = nullptr;
    sTAGNODE* hdlr = nullptr;
    sTAGNODE* elst = nullptr;
    sTAGNODE* stsd = nullptr;
    sTAGNODE* stts = nullptr;
    sTAGNODE* ctts = nullptr;
    sTAGNODE* stss = nullptr;
    sTAGNODE* stsz = nullptr;
    sTAGNODE* stsc = nullptr;
    sTAGNODE* stco = nullptr;
    sTAGNODE* co64 = nullptr;
};

std::vector<Track> TracksOf(sMP4MOVIE& movie) {
    std::vector<sTAGNODE*> traks;
    CollectNodes(movie.root, "trak", &traks);
    std::vector<Track> tracks;
    for (sTAGNODE* t : traks) {
        Track k;
        k.trak = t;
        k.tkhd = FindFirst(*t, "tkhd");
        k.mdhd = FindFirst(*t, "mdhd");
        k.hdlr = FindFirst(*t, "hdlr");
        k.elst = FindFirst(*t, "elst");
        k.stsd = FindFirst(*t, "stsd");
        k.stts = FindFirst(*t, "stts");
        k.ctts = FindFirst(*t, "ctts");
        k.stss = FindFirst(*t, "stss");
        k.stsz = FindFirst(*t, "stsz");
        k.stsc = FindFirst(*t, "stsc");
        k.stco = FindFirst(*t, "stco");
        k.co64 = FindFirst(*t, "co64");
        tracks.push_back(k);
    }
    return tracks;
}

// A full-box table: entry count at payload offset `countAt`, entries of
// `width` bytes from `entriesAt`. Valid only when all entries are in memory.
struct Table {
    const std::vector<uint8_t>* bytes = nullptr;
    uint64_t count = 0;
    uint64_t entriesAt = 0;
    uint64_t width = 0;
    const uint8_t* entry(uint64_t i) const { return bytes->data() + entriesAt + width * i; }
};

bool ReadTable(const sTAGNODE* node, uint64_t countAt, uint64_t entriesAt, uint64_t width,
               Table* out) {
    if (node == nullptr || node->payload.size() != node->payloadLength ||
        node->payload.size() < entriesAt) {
        return false;
    }
    out->bytes = &node->payload;
    out->count = ReadBE32(node->payload.data() + countAt);
    out->entriesAt = entriesAt;
    out->width = width;
    return entriesAt + out->count * width <= node->payload.size();
}

// Header of a full box (version and flags), then `count`, then the entries.
std::vector<uint8_t> JoinTables(const Table& a, const Table& b, uint64_t countAt,
                                const std::vector<uint8_t>& extra = {}) {
    std::vector<uint8_t> out(a.bytes->begin(), a.bytes->begin() + static_cast<long>(a.entriesAt));
    out.insert(out.end(), a.entry(0), a.entry(a.count));
    out.insert(out.end(), extra.begin(), extra.end());
    out.insert(out.end(), b.entry(0), b.entry(b.count));
    const uint64_t count = a.count + b.count + extra.size() / a.width;
    WriteBE32(out.data() + countAt, static_cast<uint32_t>(count));
    return out;
}

// A duration field of version 0 (32-bit at v0Offset) or 1 (64-bit at
// v1Offset) boxes.
struct DurationField {
    sTAGNODE* node;
    uint64_t v0Offset;
    uint64_t v1Offset;
};

bool ReadDuration(const sTAGNODE* node, uint64_t v0, uint64_t v1, uint8_t* version,
                  uint64_t* value) {
    if (node == nullptr || node->payload.size() != node->payloadLength || node->payload.empty()) {
        return false;
    }
    *version = node->payload[0];
    const uint64_t at = *version == 1 ? v1 : v0;
    const uint64_t width = *version == 1 ? 8 : 4;
    if (at + width > node->payload.size()) {
        return false;
    }
    *value = width == 8 ? ReadBE64(node->payload.data() + at) : ReadBE32(node->payload.data() + at);
    return true;
}

bool TimeScaleOf(const sTAGNODE* node, uint64_t v0, uint64_t v1, uint32_t* scale) {
    if (node == nullptr || node->payload.size() < 4) {
        return false;
    }
    const uint64_t at = node->payload[0] == 1 ? v1 : v0;
    if (at + 4 > node->payload.size()) {
        return false;
    }
    *scale = ReadBE32(node->payload.data() + at);
    return true;
}

// One edit of the first tree, prepared before anything is changed so that a
// refused merge leaves the tree as it was.
struct PendingPayload {
    sTAGNODE* node;
    std::vector<uint8_t> bytes;
};

struct PendingDuration {
    sTAGNODE* node;
    uint64_t offset;
    uint64_t width;
    uint64_t value;
};

class Merger {
public:
    Merger(sMP4MOVIE& first, sMP4MOVIE& next, std::string* error)
        : f_(first), n_(next), error_(error) {}

    bool Run() {
        return CheckLayout() && PrepareTracks() && PrepareDurations() && PrepareSensor() &&
               Commit();
    }

private:
    bool Refuse(const std::string& why) {
        *error_ = why + " (" + n_.path + ")";
        return false;
    }

    bool CheckLayout() {
        std::vector<sTAGNODE*> fm;
        std::vector<sTAGNODE*> nm;
        CollectNodes(f_.root, "mdat", &fm);
        CollectNodes(n_.root, "mdat", &nm);
        // Chunk offsets can only be moved when each file's media data is one
        // top-level box.
        auto topLevel = [](const sMP4MOVIE& m, const sTAGNODE* node) {
            for (const sTAGNODE& top : m.root.children) {
                if (&top == node) {
                    return true;
                }
            }
            return false;
        };
        if (fm.size() != 1 || nm.size() != 1 || !topLevel(f_, fm[0]) || !topLevel(n_, nm[0])) {
            return Refuse("each file must hold exactly one top-level media data box");
        }
        fMdat_ = fm[0];
        nMdat_ = nm[0];
        std::vector<sTAGNODE*> fMoov;
        std::vector<sTAGNODE*> nMoov;
        CollectNodes(f_.root, "moov", &fMoov);
        CollectNodes(n_.root, "moov", &nMoov);
        if (fMoov.size() != 1 || nMoov.size() != 1) {
            return Refuse("each file must hold exactly one movie header");
        }
        fTracks_ = TracksOf(f_);
        nTracks_ = TracksOf(n_);
        if (fTracks_.empty() || fTracks_.size() != nTracks_.size()) {
            return Refuse("the files have a different number of tracks");
        }
        if (!CheckWritable(n_, SensorBoxRule::Joined, error_)) {
            return false;
        }
        // The next part starts where the joined data ends, padded so that it
        // sits at the same place within a page as in its own file.
        const uint64_t end = fMdat_->initialPayloadOffset + fMdat_->payloadLength;
        padding_ = (nMdat_->initialPayloadOffset + kPage - end % kPage) % kPage;
        const uint64_t joinedMdat = fMdat_->payloadLength + padding_ + nMdat_->initialPayloadLength;
        if (joinedMdat + 8 > kMaxU32) {
            return Refuse("the joined media data would pass 4 GiB");
        }
        shift_ = static_cast<int64_t>(end + padding_) -
                 static_cast<int64_t>(nMdat_->initialPayloadOffset);
        return true;
    }

    bool PrepareTracks() {
        for (size_t k = 0; k < fTracks_.size(); ++k) {
            if (!PrepareTrack(fTracks_[k], nTracks_[k], k + 1)) {
                return false;
            }
        }
        return true;
    }

    bool PrepareTrack(const Track& a, const Track& b, size_t number) {
        const std::string which = "track " + std::to_string(number);
        if (a.co64 != nullptr || b.co64 != nullptr) {
            return Refuse(which + " uses 64-bit chunk offsets, which cannot be joined");
        }
        if (a.stsd == nullptr || b.stsd == nullptr ||
            SampleDescriptionKey(a.stsd->payload) != SampleDescriptionKey(b.stsd->payload)) {
            return Refuse(which + " has a different codec or sample description");
        }
        if (a.hdlr == nullptr || b.hdlr == nullptr || a.hdlr->payload.size() < 12 ||
            b.hdlr->payload.size() < 12 ||
            std::memcmp(a.hdlr->payload.data() + 8, b.hdlr->payload.data() + 8, 4) != 0) {
            return Refuse(which + " is of a different kind in the two files");
        }
        uint32_t sa = 0;
        uint32_t sb = 0;
        if (!TimeScaleOf(a.mdhd, 12, 20, &sa) || !TimeScaleOf(b.mdhd, 12, 20, &sb) || sa != sb) {
            return Refuse(which + " has a different time scale");
        }

        Table stszA;
        Table stszB;
        if (!ReadTable(a.stsz, 8, 12, 4, &stszA) || !ReadTable(b.stsz, 8, 12, 4, &stszB)) {
            return Refuse(which + " has a damaged sample size table");
        }
        const uint32_t sizeA = ReadBE32(a.stsz->payload.data() + 4);
        const uint32_t sizeB = ReadBE32(b.stsz->payload.data() + 4);
        const uint64_t samplesA = stszA.count;
        const uint64_t samplesB = stszB.count;
        if (samplesA + samplesB > kMaxU32) {
            return Refuse(which + " would hold too many samples");
        }
        if (sizeA == 0 && sizeB == 0) {
            pending_.push_back({a.stsz, JoinTables(stszA, stszB, 8)});
        } else if (sizeA == sizeB) {
            std::vector<uint8_t> bytes = a.stsz->payload;
            WriteBE32(bytes.data() + 8, static_cast<uint32_t>(samplesA + samplesB));
            pending_.push_back({a.stsz, std::move(bytes)});
        } else {
            return Refuse(which + " stores its sample sizes differently");
        }

        Table sttsA;
        Table sttsB;
        if (!ReadTable(a.stts, 4, 8, 8, &sttsA) || !ReadTable(b.stts, 4, 8, 8, &sttsB)) {
            return Refuse(which + " has a damaged time-to-sample table");
        }
        if (sttsB.count == 0) {
            return Refuse(which + " has no time-to-sample entries");
        }
        pending_.push_back({a.stts, JoinTables(sttsA, sttsB, 4)});

        if ((a.ctts == nullptr) != (b.ctts == nullptr)) {
            return Refuse(which + " has composition offsets in only one of the files");
        }
        if (a.ctts != nullptr) {
            Table cA;
            Table cB;
            if (!ReadTable(a.ctts, 4, 8, 8, &cA) || !ReadTable(b.ctts, 4, 8, 8, &cB)) {
                return Refuse(which + " has a damaged composition offset table");
            }
            pending_.push_back({a.ctts, JoinTables(cA, cB, 4)});
        }

        if (a.stss != nullptr || b.stss != nullptr) {
            if (a.stss == nullptr) {
                return Refuse(which + " marks its key frames in only one of the files");
            }
            Table ssA;
            if (!ReadTable(a.stss, 4, 8, 4, &ssA)) {
                return Refuse(which + " has a damaged sync sample table");
            }
            // The first sample of the next file starts its first group of
            // pictures, so it is always entered; the next file's own entries
            // follow, shifted by the samples before them.
            std::vector<uint8_t> extra(4);
            WriteBE32(extra.data(), static_cast<uint32_t>(samplesA + 1));
            if (b.stss != nullptr) {
                Table ssB;
                if (!ReadTable(b.stss, 4, 8, 4, &ssB)) {
                    return Refuse(which + " has a damaged sync sample table");
                }
                for (uint64_t i = 0; i < ssB.count; ++i) {
                    uint8_t v[4];
                    WriteBE32(v, static_cast<uint32_t>(ReadBE32(ssB.entry(i)) + samplesA));
                    extra.insert(extra.end(), v, v + 4);
                }
            } else {
                // Every sample of the next file is a sync sample.
                for (uint64_t i = 2; i <= samplesB; ++i) {
                    uint8_t v[4];
                    WriteBE32(v, static_cast<uint32_t>(samplesA + i));
                    extra.insert(extra.end(), v, v + 4);
                }
            }
            Table none = ssA;
            none.count = 0;
            pending_.push_back({a.stss, JoinTables(ssA, none, 4, extra)});
        }

        Table scA;
        Table scB;
        Table coA;
        Table coB;
        if (!ReadTable(a.stsc, 4, 8, 12, &scA) || !ReadTable(b.stsc, 4, 8, 12, &scB)) {
            return Refuse(which + " has a damaged sample-to-chunk table");
        }
        if (!ReadTable(a.stco, 4, 8, 4, &coA) || !ReadTable(b.stco, 4, 8, 4, &coB)) {
            return Refuse(which + " has a damaged chunk offset table");
        }
        // The next file's chunks are numbered after all of the first file's.
        std::vector<uint8_t> sc;
        for (uint64_t i = 0; i < scB.count; ++i) {
            const uint8_t* e = scB.entry(i);
            const uint64_t firstChunk = ReadBE32(e) + coA.count;
            if (firstChunk > kMaxU32) {
                return Refuse(which + " would hold too many chunks");
            }
            uint8_t v[12];
            WriteBE32(v, static_cast<uint32_t>(firstChunk));
            std::memcpy(v + 4, e + 4, 8);
            sc.insert(sc.end(), v, v + 12);
        }
        Table noneSc = scA;
        noneSc.count = 0;
        pending_.push_back({a.stsc, JoinTables(scA, noneSc, 4, sc)});

        std::vector<uint8_t> co;
        for (uint64_t i = 0; i < coB.count; ++i) {
            const int64_t v = static_cast<int64_t>(ReadBE32(coB.entry(i))) + shift_;
            if (v < 0 || v > static_cast<int64_t>(kMaxU32)) {
                return Refuse("a joined chunk offset would pass 4 GiB");
            }
            uint8_t b4[4];
            WriteBE32(b4, static_cast<uint32_t>(v));
            co.insert(co.end(), b4, b4 + 4);
        }
        Table noneCo = coA;
        noneCo.count = 0;
        pending_.push_back({a.stco, JoinTables(coA, noneCo, 4, co)});

        return AddDuration(a.tkhd, b.tkhd, 20, 28, which + " header") &&
               AddDuration(a.mdhd, b.mdhd, 16, 24, which + " media header") &&
               AddEditDuration(a.elst, b.elst, which);
    }

    bool AddDuration(sTAGNODE* a, sTAGNODE* b, uint64_t v0, uint64_t v1, const std::string& what) {
        uint8_t va = 0;
        uint8_t vb = 0;
        uint64_t da = 0;
        uint64_t db = 0;
        if (!ReadDuration(a, v0, v1, &va, &da) || !ReadDuration(b, v0, v1, &vb, &db)) {
            return Refuse("the " + what + " is damaged");
        }
        const uint64_t width = va == 1 ? 8 : 4;
        const uint64_t sum = da + db;
        if (sum < da || (width == 4 && sum > kMaxU32)) {
            return Refuse("the joined duration does not fit the " + what);
        }
        durations_.push_back({a, va == 1 ? v1 : v0, width, sum});
        return true;
    }

    // The first edit's duration; files without edit lists have none to add.
    bool AddEditDuration(sTAGNODE* a, sTAGNODE* b, const std::string& which) {
        if (a == nullptr || b == nullptr) {
            return true;
        }
        if (a->payload.size() < 16 || b->payload.size() < 16 ||
            ReadBE32(a->payload.data() + 4) == 0 || ReadBE32(b->payload.data() + 4) == 0) {
            return true;
        }
        return AddDuration(a, b, 8, 8, which + " edit list");
    }

    bool PrepareDurations() {
        sTAGNODE* a = f_.lists.mvhd.empty() ? nullptr : f_.lists.mvhd.front();
        sTAGNODE* b = n_.lists.mvhd.empty() ? nullptr : n_.lists.mvhd.front();
        uint32_t sa = 0;
        uint32_t sb = 0;
        if (!TimeScaleOf(a, 12, 20, &sa) || !TimeScaleOf(b, 12, 20, &sb) || sa != sb) {
            return Refuse("the movie headers have different time scales");
        }
        return AddDuration(a, b, 16, 24, "movie header");
    }

    bool PrepareSensor() {
        if (f_.lists.gps0.empty() || n_.lists.gps0.empty()) {
            return true; // only the first file's records, as far as there are any
        }
        fGps_ = f_.lists.gps0.front();
        nGps_ = n_.lists.gps0.front();
        const uint64_t own = fGps_->sensorJoinedCount != 0
                                 ? fGps_->sensorJoinedCount
                                 : AvailableSensorRecords(*fGps_, f_.fileSize);
        joinedCount_ = own + AvailableSensorRecords(*nGps_, n_.fileSize);
        if (joinedCount_ > kMaxSensorRecords) {
            return Refuse("the joined sensor records would pass 65535");
        }
        return true;
    }

    bool Commit() {
        for (PendingPayload& p : pending_) {
            p.node->payload = std::move(p.bytes);
            p.node->payloadLength = p.node->payload.size();
            p.node->copiedLength = p.node->payload.size();
        }
        for (const PendingDuration& d : durations_) {
            uint8_t* at = d.node->payload.data() + d.offset;
            if (d.width == 8) {
                WriteBE64(at, d.value);
            } else {
                WriteBE32(at, static_cast<uint32_t>(d.value));
            }
        }
        fMdat_->segmentPadding.resize(fMdat_->segments.size(), 0);
        fMdat_->payloadLength += padding_ + nMdat_->initialPayloadLength;
        fMdat_->segments.push_back(nMdat_);
        fMdat_->segmentPadding.push_back(padding_);
        if (fGps_ != nullptr) {
            fGps_->sensorJoinedCount = joinedCount_;
            fGps_->payloadLength = 40 + 79 * joinedCount_;
            fGps_->segments.push_back(nGps_);
        }
        return true;
    }

    sMP4MOVIE& f_;
    sMP4MOVIE& n_;
    std::string* error_;
    sTAGNODE* fMdat_ = nullptr;
    sTAGNODE* nMdat_ = nullptr;
    sTAGNODE* fGps_ = nullptr;
    sTAGNODE* nGps_ = nullptr;
    uint64_t joinedCount_ = 0;
    int64_t shift_ = 0;
    uint64_t padding_ = 0;
    std::vector<Track> fTracks_;
    std::vector<Track> nTracks_;
    std::vector<PendingPayload> pending_;
    std::vector<PendingDuration> durations_;
};

bool OpenInto(std::unique_ptr<sMP4MOVIE>& slot, const std::string& path, std::string* error) {
    if (path.empty()) {
        return true;
    }
    std::string why;
    slot = OpenMovieStructure(path, &why);
    if (!slot) {
        *error = "cannot read " + path + (why.empty() ? "" : ": " + why);
        return false;
    }
    return true;
}

bool MergeInto(sMULTIMOVIE& job, std::unique_ptr<sMP4MOVIE>& first,
               std::vector<std::unique_ptr<sMP4MOVIE>>& further, const std::string& path) {
    if (path.empty()) {
        return true;
    }
    std::unique_ptr<sMP4MOVIE> next;
    std::string why;
    if (!OpenInto(next, path, &why)) {
        if (job.error.empty()) {
            job.error = why;
        }
        return false;
    }
    if (job.joinable == 0) {
        return true;
    }
    if (!first) {
        job.joinable = 0;
        job.error = "the first recording has no file of this camera (" + path + ")";
        return true;
    }
    if (!MergeMovie(*first, *next, &why)) {
        job.joinable = 0;
        job.error = why;
        return true;
    }
    further.push_back(std::move(next));
    return true;
}

// Whether the folder that will hold `path` is on a FAT file system, whose
// files stay below 4 GiB (the cards are often FAT32).
bool OnFat32(const std::string& path) {
    const std::string folder = std::filesystem::path(path).parent_path().string();
    struct statfs fs {};
    if (::statfs(folder.empty() ? "." : folder.c_str(), &fs) != 0) {
        return false;
    }
    return fs.f_type == 0x4d44; // MSDOS_SUPER_MAGIC
}

// Prepares one output: moves the first file's offsets when its media data
// lands elsewhere in the output (a header that grew in front of it), then
// writes the tree into a temporary file.
bool WriteOne(sMP4MOVIE& movie, const std::string& outPath, AtomicOutputFile& out,
              const std::atomic<bool>* cancel, std::string* error) {
    if (!CheckWritable(movie, SensorBoxRule::Joined, error)) {
        return false;
    }
    std::vector<sTAGNODE*> mdat;
    CollectNodes(movie.root, "mdat", &mdat);
    if (mdat.size() == 1) {
        const uint64_t to = OutputMdatPayloadOffset(movie, SensorBoxRule::Joined, false);
        const int64_t delta =
            static_cast<int64_t>(to) - static_cast<int64_t>(mdat[0]->initialPayloadOffset);
        if (!ShiftChunkOffsets(movie, delta, error)) {
            return false;
        }
    }
    uint64_t outputSize = 0;
    for (const sTAGNODE& top : movie.root.children) {
        outputSize += OutputBoxSize(top, SensorBoxRule::Joined);
    }
    if (outputSize > kMaxU32 && OnFat32(outPath)) {
        *error = "the joined file would be 4 GiB or larger, which FAT32 cannot hold: " + outPath;
        return false;
    }
    if (!out.Open(outPath)) {
        *error = out.error();
        return false;
    }
    return WriteTopLevel(out, movie, SensorBoxRule::Joined, false, cancel, error);
}

} // namespace

bool MergeMovie(sMP4MOVIE& first, sMP4MOVIE& next, std::string* error) {
    std::string why;
    Merger merger(first, next, &why);
    if (!merger.Run()) {
        if (error != nullptr) {
            *error = why;
        }
        return false;
    }
    return true;
}

bool OpenFirst(sMULTIMOVIE& job, const std::string& mainPath, const std::string& rearPath) {
    job.joinable = 1;
    return OpenInto(job.mainMovie, mainPath, &job.error) &&
           OpenInto(job.rearMovie, rearPath, &job.error);
}

bool MergeNext(sMULTIMOVIE& job, const std::string& mainPath, const std::string& rearPath) {
    return MergeInto(job, job.mainMovie, job.furtherMain, mainPath) &&
           MergeInto(job, job.rearMovie, job.furtherRear, rearPath);
}

bool WriteJoined(sMULTIMOVIE& job, const std::string& mainOut, const std::string& rearOut,
                 int progressTotal, const JoinProgress& progress, const std::atomic<bool>* cancel) {
    auto report = [&](int value) {
        if (progress) {
            progress(value, progressTotal);
        }
    };
    if (job.joinable == 0) {
        if (job.error.empty()) {
            job.error = "the recordings cannot be joined";
        }
        return false;
    }
    if (!mainOut.empty() && !rearOut.empty() && mainOut == rearOut) {
        job.error = "the two outputs have the same name";
        return false;
    }
    report(0);
    AtomicOutputFile mainFile;
    AtomicOutputFile rearFile;
    if (job.mainMovie && !mainOut.empty() &&
        !WriteOne(*job.mainMovie, mainOut, mainFile, cancel, &job.error)) {
        return false;
    }
    report(50);
    if (job.rearMovie && !rearOut.empty() &&
        !WriteOne(*job.rearMovie, rearOut, rearFile, cancel, &job.error)) {
        return false;
    }
    // Both files are complete: only now do they take their names.
    if (!mainFile.temporaryPath().empty() && !mainFile.Commit()) {
        job.error = mainFile.error();
        return false;
    }
    if (!rearFile.temporaryPath().empty() && !rearFile.Commit()) {
        job.error = rearFile.error();
        return false;
    }
    job.furtherMain.clear();
    job.furtherRear.clear();
    report(100);
    return true;
}

void ReleaseJoin(sMULTIMOVIE& job) {
    job.furtherMain.clear();
    job.furtherRear.clear();
    job.mainMovie.reset();
    job.rearMovie.reset();
}

bool MoveHeaderToFront(const std::string& tempPath, const std::string& outPath,
                       std::string* error) {
    std::string why;
    std::unique_ptr<sMP4CONVERTMOVIE> movie = OpenConvertMovieStructure(tempPath, &why);
    auto fail = [&](const std::string& w) {
        if (error != nullptr) {
            *error = w;
        }
        return false;
    };
    if (!movie) {
        return fail("cannot read " + tempPath + (why.empty() ? "" : ": " + why));
    }
    const sTAGNODE* mdat = nullptr;
    bool moovAfter = false;
    for (const sTAGNODE& top : movie->root.children) {
        if (top.isType("mdat")) {
            if (mdat != nullptr) {
                return fail("the file holds more than one media data box");
            }
            mdat = &top;
        } else if (top.isType("moov") && mdat != nullptr) {
            moovAfter = true;
        }
    }
    if (mdat == nullptr || !moovAfter) {
        return fail("the file has no media data box followed by its movie header");
    }
    if (!CheckWritable(*movie, SensorBoxRule::Raw, &why)) {
        return fail(why);
    }
    const uint64_t to = OutputMdatPayloadOffset(*movie, SensorBoxRule::Raw, true);
    const int64_t delta =
        static_cast<int64_t>(to) - static_cast<int64_t>(mdat->initialPayloadOffset);
    if (!ShiftChunkOffsets(*movie, delta, &why)) {
        return fail(why);
    }
    AtomicOutputFile out;
    if (!out.Open(outPath)) {
        return fail(out.error());
    }
    if (!WriteTopLevel(out, *movie, SensorBoxRule::Raw, true, nullptr, &why)) {
        return fail(why);
    }
    if (!out.Commit()) {
        return fail(out.error());
    }
    return true;
}

} // namespace playcore
