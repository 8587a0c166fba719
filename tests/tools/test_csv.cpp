// brivona-tool csv on a generated card: the file, its name and bytes, the
// overwrite question and the error texts.
#include "TestSupport.h"
#include "synth/Synth.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <map>

namespace {

namespace fs = std::filesystem;
using testsupport::BuiltProgram;
using testsupport::ReadFileBytes;
using testsupport::RunResult;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

const std::string kHeader = "ファイル名1,ファイル名2,日付,開始時刻,録画時間,録画トリガー,"
                            "リヤ録画サイズ,フレームレート,メインカメラデータサイズ,"
                            "リヤカメラデータサイズ\r\n";

class CsvCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        // The tool writes the locale's character set; pin it.
        ::setenv("LC_ALL", "C.UTF-8", 1);
        card_ = new TempDir;
        synth::CardOptions o;
        o.folders = 2;
        o.pairs = 2;
        o.rearWidth = 1280;
        o.rearHeight = 720;
        o.audio = false;
        o.rearMissingEvery = 3;
        o.incompleteLast = false;
        o.triggers = "AGMP";
        std::string error;
        ASSERT_TRUE(synth::WriteCard(card_->path().string(), o, &files_, &error)) << error;
    }
    static void TearDownTestSuite() {
        delete card_;
        card_ = nullptr;
    }

    // The expected list, worked out from the names the card was written with.
    static std::string Expected() {
        const std::map<char, std::string> labels = {
            {'A', "常時"}, {'G', "衝撃"}, {'M', "マニュアル"}, {'P', "駐車"}};
        std::string csv = kHeader;
        for (std::size_t i = 0; i < files_.size(); ++i) {
            const fs::path main = files_[i];
            const std::string name = main.filename().string();
            if (name.find("_M.MP4") == std::string::npos) {
                continue;
            }
            std::string rear = "-";
            if (i + 1 < files_.size() &&
                fs::path(files_[i + 1]).filename().string() == name.substr(0, 12) + "R.MP4") {
                rear = fs::path(files_[i + 1]).filename().string();
            }
            const std::string day = main.parent_path().filename().string(); // YYYYMMDD_NNN
            csv += name + "," + rear + "," + day.substr(0, 4) + "/" + day.substr(4, 2) + "/" +
                   day.substr(6, 2) + "," + name.substr(4, 2) + ":" + name.substr(6, 2) + ":" +
                   name.substr(8, 2) + ",00:00:01," + labels.at(name[10]) + "," +
                   (rear == "-" ? "-" : "HD") + ",29.1fps,0MB,0MB\r\n";
        }
        return csv;
    }

    static TempDir* card_;
    static std::vector<std::string> files_;
};
TempDir* CsvCommand::card_ = nullptr;
std::vector<std::string> CsvCommand::files_;

TEST_F(CsvCommand, WritesTheListOfACard) {
    TempDir out;
    const RunResult r = testsupport::Run({BuiltProgram("brivona-tool"), "csv", "--kind", "sd",
                                          card_->path().string(), out.path().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const fs::path file = out / "Dv_20240517_093000.csv";
    EXPECT_EQ(r.out, file.string() + "\n");
    const std::string expected = Expected();
    EXPECT_EQ(ReadFileBytes(file), expected);
    EXPECT_EQ(std::count(expected.begin(), expected.end(), '\n'), 5); // header + 4 recordings
    EXPECT_NE(expected.find(",-,2024/05/18"), std::string::npos);     // one has no rear file

    // A folder source (its subfolders included) gives the same list.
    TempDir out2;
    const RunResult f = testsupport::Run(
        {BuiltProgram("brivona-tool"), "csv", card_->path().string(), out2.path().string()});
    ASSERT_EQ(f.exitCode, 0) << f.err;
    EXPECT_EQ(ReadFileBytes(out2 / "Dv_20240517_093000.csv"), expected);
}

TEST_F(CsvCommand, AsksBeforeReplacingAFileOfTheSameName) {
    TempDir out;
    const fs::path file = out / "Dv_20240517_093000.csv";
    WriteFileBytes(file, "mine");
    const std::vector<std::string> cmd = {
        BuiltProgram("brivona-tool"), "csv", "--kind", "sd", card_->path().string(),
        out.path().string()};
    const RunResult asked = testsupport::Run(cmd);
    EXPECT_EQ(asked.exitCode, 2);
    EXPECT_NE(asked.err.find("同名のファイルが存在します。続行しますか？"), std::string::npos);
    EXPECT_EQ(asked.out, "");
    EXPECT_EQ(ReadFileBytes(file), "mine");

    std::vector<std::string> yes = cmd;
    yes.insert(yes.begin() + 2, "--yes");
    const RunResult replaced = testsupport::Run(yes);
    ASSERT_EQ(replaced.exitCode, 0) << replaced.err;
    EXPECT_EQ(ReadFileBytes(file), Expected());
    EXPECT_EQ(std::distance(fs::directory_iterator(out.path()), fs::directory_iterator()), 1);
}

TEST_F(CsvCommand, SingleFileAndCharacterSet) {
    TempDir out;
    const RunResult r = testsupport::Run({BuiltProgram("brivona-tool"), "csv", "--charset",
                                          "SHIFT_JIS", files_.front(), out.path().string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    const std::string bytes = ReadFileBytes(out / "Dv_20240517_093000.csv");
    // "ファイル名1," in Shift_JIS, then a single row for the file and its partner.
    EXPECT_EQ(bytes.substr(0, 12), "\x83\x74\x83\x40\x83\x43\x83\x8B\x96\xBC\x31\x2C");
    EXPECT_EQ(std::count(bytes.begin(), bytes.end(), '\n'), 2);
    EXPECT_NE(bytes.find("001_093000A_M.MP4,001_093000A_R.MP4,2024/05/17,09:30:00,00:00:01,"
                         "\x8F\xED\x8E\x9E,HD,29.1fps,0MB,0MB\r\n"),
              std::string::npos);
}

TEST_F(CsvCommand, ErrorsShowTheirTexts) {
    TempDir empty;
    TempDir out;
    RunResult r = testsupport::Run(
        {BuiltProgram("brivona-tool"), "csv", empty.path().string(), out.path().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("動画ファイルがありません。"), std::string::npos);

    r = testsupport::Run(
        {BuiltProgram("brivona-tool"), "csv", card_->path().string(), (out / "missing").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("CSVファイルが作成できません。"), std::string::npos);
    EXPECT_FALSE(fs::exists(out / "missing"));

    r = testsupport::Run(
        {BuiltProgram("brivona-tool"), "csv", (empty / "gone").string(), out.path().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("動画ファイルがありません。"), std::string::npos);

    r = testsupport::Run({BuiltProgram("brivona-tool"), "csv", card_->path().string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("usage:"), std::string::npos);
    EXPECT_TRUE(fs::is_empty(out.path()));
}

} // namespace
