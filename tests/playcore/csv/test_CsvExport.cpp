// The CSV list of recordings: row rules on given movie facts, then whole
// exports of generated recordings compared byte for byte.
#include "playcore/CharsetEncoder.h"
#include "playcore/CsvExport.h"
#include "playcore/CsvOutputFile.h"
#include "playcore/RecordingNames.h"
#include "playcore/UiText.h"

#include "TestSupport.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <atomic>
#include <filesystem>
#include <vector>

namespace {

using namespace playcore;
namespace fs = std::filesystem;
using testsupport::FileNamesIn;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

const std::string kHeader = "ファイル名1,ファイル名2,日付,開始時刻,録画時間,録画トリガー,"
                            "リヤ録画サイズ,フレームレート,メインカメラデータサイズ,"
                            "リヤカメラデータサイズ\r\n";

RecordingDescriptor Descriptor(const std::string& mainPath, const std::string& rearPath) {
    RecordingDescriptor d;
    d.mainPath = mainPath;
    d.mainName = std::string(FileNamePart(mainPath));
    d.rearPath = rearPath;
    d.rearName = std::string(FileNamePart(rearPath));
    return d;
}

CsvMovieFacts GoodFacts() {
    CsvMovieFacts f;
    f.movieRead = true;
    f.hasVideo = true;
    f.frameCount = 1800;
    f.frameRate = 30.0;
    f.start = CalendarTime{2024, 5, 5, 17, 9, 3, 7, 0};
    f.rearWidth = 1920;
    f.mainBytes = 5242879;
    f.rearBytes = 5242880;
    return f;
}

TEST(CsvRow, RulesOnMovieFacts) {
    const RecordingDescriptor both = Descriptor("/c/001_170903A_M.MP4", "/c/001_170903A_R.MP4");
    const RecordingDescriptor mainOnly = Descriptor("/c/002_171003G_M.MP4", "");
    const RecordingDescriptor rearOnly = Descriptor("", "/c/003_171103M_R.MP4");
    struct Case {
        const char* what;
        RecordingDescriptor d;
        CsvMovieFacts f;
        std::string row;
    };
    std::vector<Case> cases;
    cases.push_back({"full row", both, GoodFacts(),
                     "001_170903A_M.MP4,001_170903A_R.MP4,2024/05/17,09:03:07,00:01:00,常時,"
                     "Full HD,30.0fps,4MB,5MB\r\n"});
    CsvMovieFacts f = GoodFacts();
    f.frameRate = 27.6;
    f.frameCount = 55; // 1.99 s at 27.6, 2.0 s at the snapped 27.5
    f.rearWidth = 1280;
    cases.push_back({"27.6 fps", both, f,
                     "001_170903A_M.MP4,001_170903A_R.MP4,2024/05/17,09:03:07,00:00:02,常時,HD,"
                     "27.5fps,4MB,5MB\r\n"});
    f = GoodFacts();
    f.start->year = 0;
    f.rearWidth = -1;
    f.rearBytes = 0;
    cases.push_back({"year 0, no rear", mainOnly, f,
                     "002_171003G_M.MP4,-,--/--/--,--:--:--,00:01:00,衝撃,-,30.0fps,4MB,0MB\r\n"});
    f = GoodFacts();
    f.frameRate = 4.9;
    f.frameCount = 36001; // 2:02:02.2 at 4.9, 2:00:00.2 at 5
    f.rearWidth = 720;
    f.mainBytes = 0;
    cases.push_back({"5 fps, rear only", rearOnly, f,
                     "-,003_171103M_R.MP4,2024/05/17,09:03:07,02:00:00,マニュアル,-,5.0fps,0MB,"
                     "5MB\r\n"});
    f = GoodFacts();
    f.frameRate = 28.2;
    f.frameCount = 2800;
    f.start = CalendarTime{2023, 12, 0, 31, 23, 59, 60, 0}; // a leap-second-like 60 rolls over
    cases.push_back({"28 fps, normalised time", both, f,
                     "001_170903A_M.MP4,001_170903A_R.MP4,2024/01/01,00:00:00,00:01:40,常時,"
                     "Full HD,28.0fps,4MB,5MB\r\n"});
    const std::string placeholder = "001_170903A_M.MP4,001_170903A_R.MP4,-,-,-,-,-,fps,0MB,0MB\r\n";
    f = GoodFacts();
    f.frameCount = 45; // exactly 1.5 s
    cases.push_back({"1.5 s", both, f, placeholder});
    f = GoodFacts();
    f.hasVideo = false;
    cases.push_back({"no video", both, f, placeholder});
    f = GoodFacts();
    f.movieRead = false;
    cases.push_back({"unreadable", both, f, placeholder});
    f = GoodFacts();
    f.start.reset();
    cases.push_back({"no start time", both, f, placeholder});
    f = GoodFacts();
    f.frameRate = -1.0;
    cases.push_back({"no frame rate", both, f, placeholder});
    f = GoodFacts();
    f.frameCount = -1.0;
    cases.push_back({"no frame count", both, f, placeholder});
    cases.push_back(
        {"no names", Descriptor("", ""), CsvMovieFacts{}, "-,-,-,-,-,-,-,fps,0MB,0MB\r\n"});
    for (const Case& c : cases) {
        EXPECT_EQ(FormatCsvRow(c.d, c.f), c.row) << c.what;
    }
}

TEST(CsvRow, FrameRateSnapping) {
    const std::pair<double, double> cases[] = {
        {4.749, 4.749}, {4.75, 5.0},    {5.249, 5.0},   {5.25, 5.25},  {27.249, 27.249},
        {27.25, 27.5},  {27.6, 27.5},   {27.749, 27.5}, {27.75, 28.0}, {28.249, 28.0},
        {28.25, 28.25}, {29.97, 29.97}, {30.0, 30.0},
    };
    for (const auto& [in, out] : cases) {
        EXPECT_DOUBLE_EQ(SnapCsvFrameRate(in), out) << in;
    }
}

TEST(CsvRow, FileNamesAndHeader) {
    EXPECT_EQ(CsvFileName(CalendarTime{2024, 5, 5, 17, 9, 3, 7, 0}), "Dv_20240517_090307.csv");
    EXPECT_EQ(CsvFileName(CalendarTime{2024, 2, 0, 30, 0, 0, 0, 0}), "Dv_20240301_000000.csv");
    EXPECT_EQ(CsvFileName(CalendarTime{0, 5, 5, 17, 9, 3, 7, 0}), "");
    EXPECT_EQ(CsvFileName(CalendarTime{}), "");
    EXPECT_EQ(CsvHeaderLine(), kHeader);
}

TEST(CharsetEncoder, ConvertsToTheLocaleSet) {
    std::string out;
    CharsetEncoder sjis("SHIFT_JIS");
    ASSERT_TRUE(sjis.ok());
    ASSERT_TRUE(sjis.Encode("ファイル名1,", &out));
    EXPECT_EQ(out, "\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\x31\x2C");
    // Characters the set cannot hold become '?', as do broken sequences.
    CharsetEncoder latin("ISO-8859-1");
    ASSERT_TRUE(latin.Encode("a\xC3\xA9常時b\xE3\x81", &out));
    EXPECT_EQ(out, "a\xE9??b??");
    // The "C" locale's ASCII cannot hold the texts: UTF-8 is written instead.
    CharsetEncoder ascii("ANSI_X3.4-1968");
    EXPECT_EQ(ascii.charset(), "UTF-8");
    ASSERT_TRUE(ascii.Encode("常時\xFF", &out));
    EXPECT_EQ(out, "常時?");
    EXPECT_FALSE(CharsetEncoder("NO-SUCH-SET").ok());
}

TEST(CsvOutputFile, LinesArePutInPlaceOnlyWhenFinished) {
    TempDir dir;
    const fs::path target = dir / "Dv_20240517_090000.csv";
    WriteFileBytes(target, "old");
    {
        CsvOutputFile file;
        ASSERT_TRUE(file.Create(target));
        ASSERT_TRUE(file.WriteLine("a,b\r\n"));
        EXPECT_EQ(ReadFileBytes(target), "old");
        EXPECT_FALSE(file.WriteLine(std::string(258, 'x') + "\r\n")); // 260 bytes
        EXPECT_FALSE(file.diskFailed());
        ASSERT_TRUE(file.WriteLine(std::string(257, 'y') + "\r\n")); // 259 bytes
        EXPECT_FALSE(file.Finish(/*replaceExisting=*/false));
        EXPECT_TRUE(file.fileExisted());
    }
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{"Dv_20240517_090000.csv"});
    {
        CsvOutputFile file;
        ASSERT_TRUE(file.Create(target));
        ASSERT_TRUE(file.WriteLine("a,b\r\n"));
    } // dropped unfinished
    EXPECT_EQ(ReadFileBytes(target), "old");
    EXPECT_EQ(FileNamesIn(dir.path()).size(), 1u);
    CsvOutputFile file("EUC-JP");
    ASSERT_TRUE(file.Create(target));
    ASSERT_TRUE(file.WriteLine("常時\r\n"));
    ASSERT_TRUE(file.Finish());
    EXPECT_EQ(ReadFileBytes(target), "\xBE\xEF\xBB\xFE\r\n");
    EXPECT_FALSE(CsvOutputFile().Create(dir / "missing" / "x.csv"));
}

// Generated recordings for the exports below.
class CsvExportFiles : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        dir_ = new TempDir;
        synth::DateTime t{2024, 5, 17, 9, 30, 0};
        auto write = [](const std::string& name, synth::Camera cam, int w, int h, double fps,
                        double dur, synth::DateTime start) {
            synth::RecordingOptions o;
            o.camera = cam;
            o.width = w;
            o.height = h;
            o.fps = fps;
            o.durationSec = dur;
            o.audio = false;
            o.start = start;
            std::string error;
            ASSERT_TRUE(synth::WriteRecording((dir_->path() / name).string(), o, &error)) << error;
        };
        using synth::Camera;
        write("001_093000A_M.MP4", Camera::Main, 128, 128, 29.1, 2.0, t);
        write("001_093000A_R.MP4", Camera::Rear, 1280, 720, 29.1, 2.0, t);
        const synth::DateTime t2 = synth::AddSeconds(t, 2);
        write("002_093002G_M.MP4", Camera::Main, 128, 128, 29.1, 1.0, t2); // 1 s: placeholder
        write("002_093002G_R.MP4", Camera::Rear, 128, 72, 29.1, 1.0, t2);
        const synth::DateTime t3 = synth::AddSeconds(t, 20);
        write("003_093020M_M.MP4", Camera::Main, 128, 128, 27.6, 55 * 0.036232, t3);
        const synth::DateTime t4 = synth::AddSeconds(t, 40);
        write("004_093040P_M.MP4", Camera::Main, 128, 128, 29.1, 2.0, t4);
        write("004_093040P_R.MP4", Camera::Rear, 1920, 1080, 29.1, 2.0, t4);
    }
    static void TearDownTestSuite() {
        delete dir_;
        dir_ = nullptr;
    }
    static std::string In(const std::string& name) { return (dir_->path() / name).string(); }
    static RecordingList List() {
        return {Descriptor(In("001_093000A_M.MP4"), In("001_093000A_R.MP4")),
                Descriptor(In("002_093002G_M.MP4"), In("002_093002G_R.MP4")),
                Descriptor(In("003_093020M_M.MP4"), ""),
                Descriptor(In("004_093040P_M.MP4"), In("004_093040P_R.MP4"))};
    }
    static std::string ExpectedCsv() {
        return kHeader +
               "001_093000A_M.MP4,001_093000A_R.MP4,2024/05/17,09:30:00,00:00:01,常時,HD,"
               "29.1fps,0MB,0MB\r\n"
               "002_093002G_M.MP4,002_093002G_R.MP4,-,-,-,-,-,fps,0MB,0MB\r\n"
               "003_093020M_M.MP4,-,2024/05/17,09:30:20,00:00:02,マニュアル,-,27.5fps,0MB,0MB\r\n"
               "004_093040P_M.MP4,004_093040P_R.MP4,2024/05/17,09:30:40,00:00:01,駐車,Full HD,"
               "29.1fps,0MB,0MB\r\n";
    }
    static TempDir* dir_;
};
TempDir* CsvExportFiles::dir_ = nullptr;

TEST_F(CsvExportFiles, ExportsTheListByteForByte) {
    TempDir out;
    std::vector<std::pair<std::size_t, std::size_t>> steps;
    const RecordingList list = List();
    EXPECT_FALSE(CsvFileExists(list.front(), out.path()));
    const CsvExportResult r = ExportCsv(
        out.path(), list, nullptr,
        [&](std::size_t done, std::size_t total) { steps.emplace_back(done, total); },
        CsvExportOptions{"UTF-8", true});
    ASSERT_EQ(r.status, CsvExportStatus::Done) << r.error;
    EXPECT_EQ(r.messageTextId(), 48);
    EXPECT_EQ(r.rowsWritten, 4u);
    EXPECT_EQ(r.path, out / "Dv_20240517_093000.csv");
    EXPECT_EQ(ReadFileBytes(r.path), ExpectedCsv());
    EXPECT_EQ(FileNamesIn(out.path()), std::vector<std::string>{"Dv_20240517_093000.csv"});
    const std::vector<std::pair<std::size_t, std::size_t>> want = {{1, 4}, {2, 4}, {3, 4}, {4, 4}};
    EXPECT_EQ(steps, want);
    EXPECT_EQ(CsvRow(list[1]), "002_093002G_M.MP4,002_093002G_R.MP4,-,-,-,-,-,fps,0MB,0MB\r\n");
}

TEST_F(CsvExportFiles, SameSourceTwiceTargetsTheSameFile) {
    TempDir out;
    const RecordingList list = List();
    ASSERT_EQ(ExportCsv(out.path(), list, nullptr, {}).status, CsvExportStatus::Done);
    // Named after the first recording, not after the export time.
    EXPECT_TRUE(CsvFileExists(list.front(), out.path()));
    WriteFileBytes(out / "Dv_20240517_093000.csv", "edited by hand");
    CsvExportOptions keep;
    keep.replaceExisting = false;
    const CsvExportResult refused = ExportCsv(out.path(), list, nullptr, {}, keep);
    EXPECT_EQ(refused.status, CsvExportStatus::FileExists);
    EXPECT_EQ(ReadFileBytes(out / "Dv_20240517_093000.csv"), "edited by hand");
    const CsvExportResult again = ExportCsv(out.path(), list, nullptr, {});
    ASSERT_EQ(again.status, CsvExportStatus::Done);
    EXPECT_EQ(ReadFileBytes(again.path).size(), ExpectedCsv().size());
    EXPECT_EQ(FileNamesIn(out.path()).size(), 1u);
}

TEST_F(CsvExportFiles, CancelKeepsTheRowsWritten) {
    TempDir out;
    std::atomic<bool> cancel{false};
    const CsvExportResult r = ExportCsv(
        out.path(), List(), &cancel, [&](std::size_t done, std::size_t) { cancel = done == 2; },
        CsvExportOptions{"UTF-8", true});
    ASSERT_EQ(r.status, CsvExportStatus::Cancelled);
    EXPECT_EQ(r.messageTextId(), 0);
    EXPECT_EQ(r.rowsWritten, 2u);
    const std::string all = ExpectedCsv();
    std::size_t cut = 0;
    for (int lines = 0; lines < 3; ++lines) {
        cut = all.find("\r\n", cut) + 2;
    }
    EXPECT_EQ(ReadFileBytes(r.path), all.substr(0, cut));
    EXPECT_EQ(FileNamesIn(out.path()).size(), 1u);
}

TEST_F(CsvExportFiles, FailuresLeaveNothingUnderTheFinalName) {
    TempDir out;
    // Nothing collected.
    CsvExportResult r = ExportCsv(out.path(), {}, nullptr, {});
    EXPECT_EQ(r.status, CsvExportStatus::NoRecordings);
    EXPECT_EQ(r.messageTextId(), 101);
    // The first recording has no readable start: the name is unknown.
    WriteFileBytes(out / "junk_M.MP4", std::string(1000, 'j'));
    RecordingList list = List();
    list.insert(list.begin(), Descriptor((out / "junk_M.MP4").string(), ""));
    EXPECT_TRUE(CsvFileExists(list.front(), out.path()));
    r = ExportCsv(out.path(), list, nullptr, {});
    EXPECT_EQ(r.status, CsvExportStatus::CannotCreate);
    EXPECT_EQ(r.messageTextId(), 96);
    // A folder that does not exist.
    r = ExportCsv(out / "missing", List(), nullptr, {});
    EXPECT_EQ(r.status, CsvExportStatus::CannotCreate);
    EXPECT_FALSE(fs::exists(out / "missing"));
    // A row beyond 259 bytes is an error, not a cut row; an existing file of
    // that name stays as it was.
    WriteFileBytes(out / "Dv_20240517_093000.csv", "kept");
    list = List();
    list.push_back(Descriptor(In("001_093000A_M.MP4"), ""));
    list.back().mainName = std::string(250, 'n');
    r = ExportCsv(out.path(), list, nullptr, {});
    EXPECT_EQ(r.status, CsvExportStatus::RowFailed);
    EXPECT_EQ(r.messageTextId(), 96);
    EXPECT_EQ(ReadFileBytes(out / "Dv_20240517_093000.csv"), "kept");
    EXPECT_EQ(FileNamesIn(out.path()),
              (std::vector<std::string>{"Dv_20240517_093000.csv", "junk_M.MP4"}));
}

TEST_F(CsvExportFiles, SizesAndRearFilesThatAreNotMovies) {
    TempDir out;
    // A rear "file" of 5 242 879 bytes that is no movie: 4MB, size "-".
    WriteFileBytes(out / "001_093000A_R.MP4", std::string(5242879, '\0'));
    const RecordingDescriptor d =
        Descriptor(In("001_093000A_M.MP4"), (out / "001_093000A_R.MP4").string());
    EXPECT_EQ(CsvRow(d), "001_093000A_M.MP4,001_093000A_R.MP4,2024/05/17,09:30:00,00:00:01,常時,"
                         "-,29.1fps,0MB,4MB\r\n");
}

uint32_t Be32(const std::string& b, std::size_t at) {
    return (uint32_t{static_cast<uint8_t>(b[at])} << 24) |
           (uint32_t{static_cast<uint8_t>(b[at + 1])} << 16) |
           (uint32_t{static_cast<uint8_t>(b[at + 2])} << 8) | static_cast<uint8_t>(b[at + 3]);
}
void PutBe32(std::string& b, std::size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) {
        b[at + i] = static_cast<char>(v >> (24 - 8 * i));
    }
}
// Offset of the first box of `type` among the boxes in [from, to), or npos.
std::size_t FindBox(const std::string& b, std::size_t from, std::size_t to, const char* type) {
    while (from + 8 <= to) {
        const uint32_t size = Be32(b, from);
        if (b.compare(from + 4, 4, type) == 0) {
            return from;
        }
        if (size < 8) {
            break;
        }
        from += size;
    }
    return std::string::npos;
}

TEST_F(CsvExportFiles, RearWidthFromAVersion1TrackHeader) {
    // The 1280-wide rear file with its first track header rewritten in the
    // 64-bit-time form (version 1), which moves the width 12 bytes on.
    std::string b = ReadFileBytes(In("001_093000A_R.MP4"));
    const std::size_t moov = FindBox(b, 0, b.size(), "moov");
    ASSERT_NE(moov, std::string::npos);
    const std::size_t trak = FindBox(b, moov + 8, moov + Be32(b, moov), "trak");
    ASSERT_NE(trak, std::string::npos);
    const std::size_t tkhd = FindBox(b, trak + 8, trak + Be32(b, trak), "tkhd");
    ASSERT_NE(tkhd, std::string::npos);
    ASSERT_EQ(b[tkhd + 8], 0);
    ASSERT_EQ(FindBox(b, 0, b.size(), "mdat") < moov, true); // no chunk offset moves
    const std::string v0 = b.substr(tkhd + 8, Be32(b, tkhd) - 8);
    std::string v1;
    v1 += '\1';
    v1 += v0.substr(1, 3);                         // flags
    v1 += std::string(4, '\0') + v0.substr(4, 4);  // creation time
    v1 += std::string(4, '\0') + v0.substr(8, 4);  // modification time
    v1 += v0.substr(12, 8);                        // track id, reserved
    v1 += std::string(4, '\0') + v0.substr(20, 4); // duration
    v1 += v0.substr(24);                           // the rest, width at 88
    b.replace(tkhd + 8, v0.size(), v1);
    for (std::size_t box : {moov, trak, tkhd}) {
        PutBe32(b, box, Be32(b, box) + 12);
    }
    TempDir out;
    WriteFileBytes(out / "001_093000A_R.MP4", b);
    const RecordingDescriptor d =
        Descriptor(In("001_093000A_M.MP4"), (out / "001_093000A_R.MP4").string());
    EXPECT_EQ(CsvRow(d), "001_093000A_M.MP4,001_093000A_R.MP4,2024/05/17,09:30:00,00:00:01,常時,"
                         "HD,29.1fps,0MB,0MB\r\n");
}

TEST_F(CsvExportFiles, WritesTheLocaleCharacterSet) {
    TempDir out;
    const CsvExportResult r =
        ExportCsv(out.path(), List(), nullptr, {}, CsvExportOptions{"SHIFT_JIS", true});
    ASSERT_EQ(r.status, CsvExportStatus::Done) << r.error;
    const std::string bytes = ReadFileBytes(r.path);
    CharsetEncoder sjis("SHIFT_JIS");
    std::string want;
    ASSERT_TRUE(sjis.Encode(ExpectedCsv(), &want));
    EXPECT_EQ(bytes, want);
    EXPECT_EQ(bytes.substr(0, 12), "\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\x31\x2C");
}

} // namespace
