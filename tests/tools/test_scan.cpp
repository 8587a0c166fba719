// `brivona-tool classify` and `brivona-tool scan` run as a user runs them.
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using testsupport::BuiltProgram;
using testsupport::RunResult;
using testsupport::TempDir;
using testsupport::WriteFileBytes;
namespace fs = std::filesystem;

// A stand-in that passes the complete recording check (no video inside).
void Fake(const fs::path& path, bool complete = true) {
    fs::create_directories(path.parent_path());
    std::string bytes("\0\0\0\x18"
                      "ftypisom",
                      12);
    bytes.append(400, '\0');
    if (complete) {
        bytes += "CSOEND";
    }
    WriteFileBytes(path, bytes);
}

// Checks that `json` parses and prints what the Python expression makes of
// it (`d` is the parsed document).
std::string JsonQuery(const TempDir& dir, const std::string& json, const std::string& expr) {
    WriteFileBytes(dir / "out.json", json);
    const RunResult r = testsupport::Run(
        {"/usr/bin/python3", "-c",
         "import json,sys; d=json.load(open(sys.argv[1], encoding='utf-8')); print(" + expr + ")",
         (dir / "out.json").string()});
    EXPECT_EQ(r.exitCode, 0) << r.err;
    return r.out;
}

TEST(ToolClassify, TextAndJson) {
    const std::string tool = BuiltProgram("brivona-tool");
    RunResult r =
        testsupport::Run({tool, "classify", "001_123456A_M.MP4", "/card/001_123456A_R.Mp4",
                          "JB03_001_123456G_M.mp4", "001_123456T_M.MP4"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("001_123456A_M.MP4: camera=yes joined=no main=yes rear=no "
                         "mainOrRear=yes recordingFile=yes folder=no trigger=0 label=常時 "
                         "joinCount=1 stripped=001_123456A_M.MP4 base=001_123456A\n"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("extension must be MP4 or mp4"), std::string::npos);
    EXPECT_NE(r.out.find("trigger letter T is known but not accepted"), std::string::npos);

    TempDir dir;
    r = testsupport::Run(
        {tool, "classify", "--json", "JB03_001_123456G_M.mp4", "20240101_001", "a\"b\\c"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(JsonQuery(dir, r.out,
                        "[(x['name'], x['joined'], x['main'], x['trigger'], x['label'], "
                        "x['joinCount'], x['stripped'], x['base'], x['folder']) for x in d]"),
              "[('JB03_001_123456G_M.mp4', True, True, 1, '衝撃', 3, '001_123456G_M.mp4', "
              "'JB03_001_123456G', False), ('20240101_001', False, False, -1, '', 1, "
              "'20240101_001', '20240101_001', True), ('a\"b\\\\c', False, False, -1, '', 1, "
              "'a\"b\\\\c', 'a\"b\\\\c', False)]\n");

    r = testsupport::Run({tool, "classify"});
    EXPECT_EQ(r.exitCode, 2);
}

TEST(ToolScan, MediumTreeShownAndCollected) {
    TempDir dir;
    const fs::path card = dir / "CARD";
    Fake(card / "20240101_001" / "001_100000G_M.MP4");
    Fake(card / "20240101_001" / "001_100000G_R.MP4");
    Fake(card / "20240101_001" / "002_100100A_M.MP4");
    Fake(card / "20240102_002" / "003_110000P_R.MP4");
    Fake(card / "20240102_002" / "004_110100A_M.MP4", false);
    Fake(card / "DCIM" / "005_120000M_M.MP4");
    Fake(card / "006_130000A_M.MP4");
    const std::string tool = BuiltProgram("brivona-tool");

    RunResult r = testsupport::Run({tool, "scan", "--json", "--kind", "sd", card.string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(JsonQuery(dir, r.out, "d['kind'], d['path']"), "sd " + card.string() + "\n");
    EXPECT_EQ(JsonQuery(dir, r.out,
                        "[(t['name'], t['depth'], t['bits'], t['path']) for t in "
                        "d['tree']]"),
              "[('20240101_001', 0, 5, '" + (card / "20240101_001").string() +
                  "'), ('20240102_002', 0, 8, '" + (card / "20240102_002").string() + "')]\n");
    EXPECT_EQ(JsonQuery(dir, r.out,
                        "[(x['mainName'], x['rearName'], x['listIndex'], x['trigger'], "
                        "x['label'], x['mainSize']) for x in d['shown']]"),
              "[('001_100000G_M.MP4', '001_100000G_R.MP4', 0, 1, '衝撃', 418), "
              "('002_100100A_M.MP4', '', 1, 0, '常時', 418)]\n");
    EXPECT_EQ(JsonQuery(dir, r.out, "[x['mainName'] or x['rearName'] for x in d['collected']]"),
              "['001_100000G_M.MP4', '002_100100A_M.MP4', '003_110000P_R.MP4', "
              "'005_120000M_M.MP4', '006_130000A_M.MP4']\n");
    // Every descriptor field is there, in order, plus trigger and label.
    EXPECT_EQ(JsonQuery(dir, r.out, "list(d['shown'][0].keys())"),
              "['mainPath', 'mainName', 'rearPath', 'rearName', 'listIndex', 'serial', 'group', "
              "'nameInitial', 'marked', 'parking', 'resolutionCode', 'frameRate', 'startTime', "
              "'endTime', 'mainSize', 'rearSize', 'trigger', 'label']\n");

    // A folder that is not a removable root opens as a folder: one item for
    // the folder, its subfolders below it, and nothing shown at its top.
    r = testsupport::Run({tool, "scan", card.string() + "/"});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("source: folder " + card.string() + "\n"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("tree (4):\n  CARD  depth=0 bits=0x00\n    20240101_001  depth=1"),
              std::string::npos)
        << r.out;
    EXPECT_NE(r.out.find("shown (1):\n  006_130000A_M.MP4"), std::string::npos) << r.out;
    EXPECT_NE(r.out.find("collected (5):"), std::string::npos) << r.out;
}

TEST(ToolScan, FileAndErrors) {
    TempDir dir;
    Fake(dir / "001_100000G_M.MP4");
    Fake(dir / "001_100001G_R.MP4");
    Fake(dir / "002_100000A_M.MP4", false);
    const std::string tool = BuiltProgram("brivona-tool");
    RunResult r = testsupport::Run({tool, "scan", "--json", (dir / "001_100001G_R.MP4").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_EQ(JsonQuery(dir, r.out,
                        "d['kind'], len(d['tree']), [(x['mainName'], x['rearName']) for x in "
                        "d['shown']], len(d['collected'])"),
              "file 0 [('001_100000G_M.MP4', '001_100001G_R.MP4')] 1\n");

    // An incomplete file lists nothing.
    r = testsupport::Run({tool, "scan", (dir / "002_100000A_M.MP4").string()});
    ASSERT_EQ(r.exitCode, 0) << r.err;
    EXPECT_NE(r.out.find("shown (0):"), std::string::npos) << r.out;

    r = testsupport::Run({tool, "scan", (dir / "missing").string()});
    EXPECT_EQ(r.exitCode, 1);
    EXPECT_NE(r.err.find("no such file or folder"), std::string::npos);
    r = testsupport::Run({tool, "scan", "--kind", "disk", dir.path().string()});
    EXPECT_EQ(r.exitCode, 2);
    r = testsupport::Run({tool, "scan", "--kind", "file", dir.path().string()});
    EXPECT_EQ(r.exitCode, 2);
    r = testsupport::Run({tool, "scan"});
    EXPECT_EQ(r.exitCode, 2);
}

} // namespace
