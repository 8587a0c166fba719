// The name grammar: what the camera's names, joined names and near misses
// are taken for. These tables are the answer to "why is my file not listed?".
#include "playcore/RecordingNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace playcore;

struct NameCase {
    const char* name;
    bool camera;
    bool joined;
    bool main;
    bool rear;
    int code;
};

// Every test of one name, so a row reads as the full verdict.
const NameCase kNames[] = {
    // The camera's own names, each trigger letter the patterns admit.
    {"001_123456A_M.MP4", true, false, true, false, 0},
    {"001_123456A_R.mp4", true, false, false, true, 0},
    {"002_000000G_M.MP4", true, false, true, false, 1},
    {"003_235959M_R.MP4", true, false, false, true, 2},
    {"004_120000P_M.mp4", true, false, true, false, 3},
    {"005_120000S_R.MP4", true, false, false, true, 4},
    // Mixed-case extensions are refused by the patterns (the code is found,
    // because the trigger search ignores case).
    {"001_123456A_M.Mp4", true, false, false, false, 0},
    {"001_123456A_R.mP4", true, false, false, false, 0},
    // Letters the trigger table knows but the patterns do not admit.
    {"001_123456T_M.MP4", true, false, false, false, 7},
    {"001_123456U_R.MP4", true, false, false, false, 8},
    {"001_123456O_M.MP4", true, false, false, false, 5},
    {"001_123456R_R.MP4", true, false, false, false, 6},
    // '_' in the trigger position passes the patterns but has no code.
    {"001_123456__M.MP4", false, false, false, false, -1},
    // Lower-case trigger or camera letters: code found, patterns refuse.
    {"001_123456a_M.MP4", true, false, false, false, 0},
    {"001_123456A_m.mp4", true, false, false, false, 0},
    // The unescaped '.' matches any character, but the trigger search needs a dot.
    {"001_123456A_MxMP4", false, false, false, false, -1},
    // Wrong digit counts and separators.
    {"1234_123456A_M.MP4", false, false, false, false, 0},
    {"001_12345A_M.MP4", true, false, false, false, 0},
    {"001-123456A_M.MP4", false, false, false, false, 0},
    {"001_123456A_M.MP4.bak", true, false, false, false, 0},
    {"001_123456A_B.MP4", false, false, false, false, -1},
    // Short names.
    {"", false, false, false, false, -1},
    {"001", false, false, false, false, -1},
    {"A_M.MP4", false, false, false, false, 0},
    {"123_A_M.MP4", true, false, false, false, 0},
    // Joined names: JM, JR and JB pass, JN is neither main nor rear.
    {"JB03_001_123456A_M.MP4", false, true, true, false, 0},
    {"JB03_001_123456A_M.mp4", false, true, true, false, 0},
    {"JB03_001_123456A_R.MP4", false, true, false, true, 0},
    {"JM12_001_120000A_M.MP4", false, true, true, false, 0},
    {"JR02_001_120000G_R.MP4", false, true, false, true, 1},
    {"JN03_001_123456A_M.MP4", false, false, false, false, 0},
    {"JB03_001_123456T_M.MP4", false, true, false, false, 7},
    {"JB3_001_123456A_M.MP4", false, false, false, false, 0},
};

TEST(RecordingNames, NameTable) {
    for (const NameCase& c : kNames) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(IsCameraFileName(c.name), c.camera);
        EXPECT_EQ(IsJoinedFileName(c.name), c.joined);
        EXPECT_EQ(IsMainFileName(c.name), c.main);
        EXPECT_EQ(IsRearFileName(c.name), c.rear);
        EXPECT_EQ(IsMainOrRearFileName(c.name), c.main || c.rear);
        EXPECT_EQ(TriggerCode(c.name), c.code);
        // Every accepted name ends in ".MP4" or ".mp4", so the scanning test
        // agrees with the main-or-rear test, for a bare name and in a folder.
        EXPECT_EQ(IsRecordingFileName(c.name), c.main || c.rear);
        EXPECT_EQ(IsRecordingFileName(std::string("/media/card/20240101_001/") + c.name),
                  c.main || c.rear);
    }
}

TEST(RecordingNames, TriggerSearchOrderAndCase) {
    // The first letter of A M G P S T U O R with a hit wins, wherever it is.
    EXPECT_EQ(TriggerCode("x_G_M.MP4 A_R.MP4"), 0);
    EXPECT_EQ(TriggerCode("G_M.MP4 M_M.MP4"), 2);
    EXPECT_EQ(TriggerCode("001_123456g_r.mp4"), 1);
    EXPECT_EQ(TriggerCode("001_123456A_M.MOV"), -1);
    // The folder part takes part in the search (callers pass names).
    EXPECT_EQ(TriggerCode("/x/A_M.MP4/readme"), 0);
}

TEST(RecordingNames, TriggerTable) {
    struct Row {
        int code;
        int textId;
        const char* label;
        int group;
        uint32_t bit;
        bool parking;
    };
    const Row rows[] = {
        {0, 26, "常時", 0, 0x01, false},
        {1, 29, "衝撃", 1, 0x04, false},
        {2, 27, "マニュアル", 2, 0x02, false},
        {3, 28, "駐車", 3, 0x08, true},
        {4, 141, "駐車衝撃", 4, 0x10, true},
        {5, 145, "速度取締機", -1, 0x20, false},
        {6, 146, "レーダー", -1, 0x40, false},
        {7, 28, "駐車", 3, 0x08, true},
        {8, 141, "駐車衝撃", 4, 0x10, true},
        {-1, 0, "", -1, 0, false},
        {9, 0, "", -1, 0, false},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.code);
        EXPECT_EQ(TriggerTextId(r.code), r.textId);
        EXPECT_STREQ(TriggerCodeLabel(r.code), r.label);
        EXPECT_EQ(TriggerFilterGroup(r.code), r.group);
        EXPECT_EQ(TriggerBit(r.code), r.bit);
        EXPECT_EQ(IsParkingTrigger(r.code), r.parking);
    }
}

TEST(RecordingNames, LabelNeedsSixteenCharacters) {
    EXPECT_EQ(TriggerLabel("001_123456A_M.MP4"), "常時");
    EXPECT_EQ(TriggerLabel("001_12345G_M.MP4"), "衝撃"); // 16 characters
    EXPECT_EQ(TriggerLabel("001_1234G_M.MP4"), "");      // 15 characters, code 1
    EXPECT_EQ(TriggerLabel("001_123456__M.MP4"), "");    // no code
    // Characters, not bytes: five Japanese characters are 15 bytes but 5 units.
    EXPECT_EQ(TriggerLabel("録画_A_M.MP4"), "");
    EXPECT_EQ(TriggerLabel("録画録画録画録画録A_M.MP4"), "常時"); // 9 + 7 = 16
}

TEST(RecordingNames, TriggerBitsAccumulate) {
    uint32_t bits = 0;
    AddTriggerBits("001_000000G_M.MP4", bits);
    AddTriggerBits("002_000000P_R.MP4", bits);
    AddTriggerBits("003_000000__M.MP4", bits); // no code: nothing
    AddTriggerBits("004_000000T_M.MP4", bits); // T sets P's bit
    EXPECT_EQ(bits, 0x04u | 0x08u);
}

TEST(RecordingNames, FolderNames) {
    EXPECT_TRUE(IsRecordingFolderName("20240101_001"));
    EXPECT_TRUE(IsRecordingFolderName("card 20240101_001 copy")); // a search, not a match
    EXPECT_FALSE(IsRecordingFolderName("2024011_001"));
    EXPECT_FALSE(IsRecordingFolderName("20240101_01"));
    EXPECT_FALSE(IsRecordingFolderName("20240101-001"));
    EXPECT_FALSE(IsRecordingFolderName("DCIM"));
    EXPECT_FALSE(IsRecordingFolderName(""));
}

TEST(RecordingNames, JoinPrefixHelpers) {
    EXPECT_EQ(JoinCount("JM12_001_120000A_M.MP4"), 12);
    EXPECT_EQ(JoinCount("JB03_001_120000A_M.MP4"), 3);
    EXPECT_EQ(JoinCount("001_120000A_M.MP4"), 1);
    EXPECT_EQ(JoinCount("J"), 0);
    EXPECT_EQ(JoinCount(""), 1);

    EXPECT_EQ(StripJoinPrefix("JB03_001_123456A_M.MP4"), "001_123456A_M.MP4");
    EXPECT_EQ(StripJoinPrefix("JN03_001_123456A_M.MP4"), "001_123456A_M.MP4");
    EXPECT_EQ(StripJoinPrefix("001_123456A_M.MP4"), "001_123456A_M.MP4");
    EXPECT_EQ(StripJoinPrefix("J"), "J");

    EXPECT_EQ(RecordingBaseName("/card/20240101_001/001_123456A_M.MP4"),
              "/card/20240101_001/001_123456A");
    EXPECT_EQ(RecordingBaseName("JB02_001_123456A_R.mp4"), "JB02_001_123456A");
    EXPECT_EQ(RecordingBaseName("/card/readme.txt"), "/card/readme.txt");
    EXPECT_EQ(RecordingBaseName("001_123456A_M.Mp4"), "001_123456A_M.Mp4");
}

TEST(RecordingNames, FileNamePartAndUnicode) {
    EXPECT_EQ(FileNamePart("/a/b/c.MP4"), "c.MP4");
    EXPECT_EQ(FileNamePart("c.MP4"), "c.MP4");
    EXPECT_EQ(FileNamePart("/a/"), "");
    EXPECT_EQ(Utf16Length("abc"), 3u);
    EXPECT_EQ(Utf16Length("駐車"), 2u);
    EXPECT_EQ(Utf16Length("\xF0\x9F\x9A\x97"), 2u); // beyond U+FFFF: a surrogate pair
    EXPECT_EQ(Utf16Length("\xE9"), 1u);             // a stray byte counts once
    EXPECT_EQ(FirstUtf16Unit("001"), u'0');
    EXPECT_EQ(FirstUtf16Unit("駐車"), 0x99D0);
    EXPECT_EQ(FirstUtf16Unit("\xF0\x9F\x9A\x97"), 0xD83D);
    EXPECT_EQ(FirstUtf16Unit(""), 0);
}

} // namespace
