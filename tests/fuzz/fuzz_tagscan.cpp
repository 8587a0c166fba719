// Fuzzes the three tag scans, the probe and the completeness check. Decoders
// read every byte of the view they are given, so a view reaching outside the
// mapped window shows up under the address sanitizer.
#include "MemoryFile.h"
#include "playcore/ByteOrder.h"
#include "playcore/MovieProbe.h"
#include "playcore/TagScan.h"

#include <cstdint>
#include <string>

namespace {

int Touch(const playcore::ScanView& v) {
    unsigned sum = 0;
    for (size_t i = 0; i < v.size; ++i) {
        sum += v.data[i];
    }
    return static_cast<int>(sum & 1) - 1; // -1 or 0: both outcomes are exercised
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const MemoryFile input("fuzz_tagscan", data, size);
    if (!input.ok()) {
        return 0;
    }
    const std::string& path = input.path();
    playcore::MappedFile file;
    if (file.Open(path)) {
        playcore::TagDescriptor header("gps0", Touch);
        playcore::BoxWalk(file, header, nullptr, playcore::kDecoderWindow, 14);
        playcore::TagDescriptor mdat("mdat", Touch);
        playcore::TagDescriptor records("gps0", Touch);
        playcore::BoxWalk(file, records, &mdat, playcore::kSearchWindow, 14);
        float period = 0;
        playcore::PathWalk(file, [&](const playcore::ScanView& v) {
            Touch(v);
            return playcore::DecodeFramePeriod(v, &period);
        });
        float seconds = 0;
        playcore::TagDescriptor moov("moov", Touch);
        playcore::TagDescriptor mvhd("mvhd", [&](const playcore::ScanView& v) {
            Touch(v);
            return playcore::DecodeMovieDuration(v, &seconds);
        });
        playcore::ByteSearch(file, moov, &mvhd);
        playcore::TagDescriptor stsz("stsz", Touch);
        playcore::ByteSearch(file, stsz);
    }
    file.Close();
    (void)playcore::IsCompleteRecording(path);
    (void)playcore::ProbeMovie(path);
    (void)playcore::FrameCountByByteSearch(path);
    return 0;
}
