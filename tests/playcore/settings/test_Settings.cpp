// The settings file: profile-file lookup rules, atomic rewrites and the
// start-up defaults.
#include "playcore/IniFile.h"
#include "playcore/Settings.h"

#include "TestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sys/stat.h>
#include <unistd.h>

namespace {

using namespace playcore;
namespace fs = std::filesystem;
using testsupport::FileNamesIn;
using testsupport::ReadFileBytes;
using testsupport::TempDir;
using testsupport::WriteFileBytes;

TEST(Settings, MissingFileSectionOrKeyReadsEmpty) {
    TempDir dir;
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "VOLUME"), "");
    EXPECT_FALSE(SettingsFileExists(dir.path()));
    ASSERT_TRUE(WriteSetting(dir.path(), "DISPLAY", "VOLUME", "12"));
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "ASPECT"), "");
    EXPECT_EQ(ReadSetting(dir.path(), "SOURCE", "VOLUME"), "");
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "VOLUME"), "12");
}

TEST(Settings, RoundTripIgnoresCaseAndKeepsOtherKeys) {
    TempDir dir;
    ASSERT_TRUE(WriteSetting(dir.path(), "FOLDERPATH", "CSV_FOLDER", "/media/card/DCIM"));
    ASSERT_TRUE(WriteSetting(dir.path(), "SOURCE", "SELECT", "SD"));
    ASSERT_TRUE(WriteSetting(dir.path(), "folderpath", "csv_folder", "/home/u/Exports"));
    ASSERT_TRUE(WriteSettingNumber(dir.path(), "Display", "Volume", -7));
    EXPECT_EQ(ReadSetting(dir.path(), "FOLDERPATH", "CSV_FOLDER"), "/home/u/Exports");
    EXPECT_EQ(ReadSetting(dir.path(), "FolderPath", "Csv_Folder"), "/home/u/Exports");
    EXPECT_EQ(ReadSetting(dir.path(), "SOURCE", "SELECT"), "SD");
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "VOLUME"), "-7");
    // The existing spelling of section and key is kept, the key is not doubled.
    EXPECT_EQ(ReadFileBytes(SettingsFilePath(dir.path())),
              "[FOLDERPATH]\nCSV_FOLDER=/home/u/Exports\n[SOURCE]\nSELECT=SD\n"
              "[Display]\nVolume=-7\n");
    // No temporary file is left beside it.
    EXPECT_EQ(FileNamesIn(dir.path()), std::vector<std::string>{"Default_Folder.ini"});
}

TEST(Settings, ReadsFilesWrittenElsewhere) {
    TempDir dir;
    WriteFileBytes(SettingsFilePath(dir.path()), "\xEF\xBB\xBF; written by hand\r\n"
                                                 "[DISPLAY]\r\n"
                                                 "  VOLUME =  300  \r\n"
                                                 "ASPECT=\"on\"\r\n"
                                                 "\r\n"
                                                 "[ source ]\r\n"
                                                 "FOLDER=/data/a=b\r\n"
                                                 "[DISPLAY]\r\n"
                                                 "INFOCHECK=99\r\n");
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "VOLUME"), "300");
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "ASPECT"), "on");
    EXPECT_EQ(ReadSetting(dir.path(), "SOURCE", "FOLDER"), "/data/a=b");
    // Only the first section of a name counts.
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "INFOCHECK"), "");

    // A write keeps comments, blank lines, the mark and the CR LF line ends,
    // and puts a new key at the end of its section.
    ASSERT_TRUE(WriteSetting(dir.path(), "display", "MODELSELECT", "2"));
    EXPECT_EQ(ReadFileBytes(SettingsFilePath(dir.path())), "\xEF\xBB\xBF; written by hand\r\n"
                                                           "[DISPLAY]\r\n"
                                                           "  VOLUME =  300  \r\n"
                                                           "ASPECT=\"on\"\r\n"
                                                           "MODELSELECT=2\r\n"
                                                           "\r\n"
                                                           "[ source ]\r\n"
                                                           "FOLDER=/data/a=b\r\n"
                                                           "[DISPLAY]\r\n"
                                                           "INFOCHECK=99\r\n");
}

TEST(Settings, LongValuesAreCutTo259Characters) {
    TempDir dir;
    std::string ascii(300, 'x');
    ASSERT_TRUE(WriteSetting(dir.path(), "SOURCE", "FOLDER", ascii));
    EXPECT_EQ(ReadSetting(dir.path(), "SOURCE", "FOLDER"), std::string(259, 'x'));
    // Characters, not bytes: 300 three-byte characters give 259 whole ones.
    std::string wide;
    for (int i = 0; i < 300; ++i) {
        wide += "動";
    }
    ASSERT_TRUE(WriteSetting(dir.path(), "SOURCE", "FILE", wide));
    EXPECT_EQ(ReadSetting(dir.path(), "SOURCE", "FILE"), wide.substr(0, 259 * 3));
}

TEST(Settings, RefusesTextsThatWouldBreakTheFile) {
    TempDir dir;
    ASSERT_TRUE(WriteSetting(dir.path(), "SOURCE", "FOLDER", "/ok"));
    const std::string before = ReadFileBytes(SettingsFilePath(dir.path()));
    EXPECT_FALSE(WriteSetting(dir.path(), "SOURCE", "FOLDER", "/a\n[DECODE]\nHW=on"));
    EXPECT_FALSE(WriteSetting(dir.path(), "SOURCE", "FOLDER", std::string("a\0b", 3)));
    EXPECT_FALSE(WriteSetting(dir.path(), "SOU]RCE", "FOLDER", "x"));
    EXPECT_FALSE(WriteSetting(dir.path(), "SOURCE", "A=B", "x"));
    EXPECT_FALSE(WriteSetting(dir.path(), "", "FOLDER", "x"));
    EXPECT_FALSE(WriteSetting(dir.path(), "SOURCE", " ", "x"));
    EXPECT_EQ(ReadFileBytes(SettingsFilePath(dir.path())), before);
    EXPECT_EQ(ReadSetting(dir.path(), "DECODE", "HW"), "");
}

TEST(Settings, FailedWritesLeaveTheFileAlone) {
    TempDir dir;
    ASSERT_TRUE(WriteSetting(dir.path(), "DISPLAY", "VOLUME", "5"));
    // A folder that cannot be written to: the old file stays as it was.
    ::chmod(dir.path().c_str(), 0555);
    const bool wrote = WriteSetting(dir.path(), "DISPLAY", "VOLUME", "6");
    ::chmod(dir.path().c_str(), 0755);
    if (::geteuid() != 0) { // root writes anyway
        EXPECT_FALSE(wrote);
        EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "VOLUME"), "5");
    }
    // A start directory that does not exist.
    EXPECT_FALSE(WriteSetting(dir / "gone", "DISPLAY", "VOLUME", "1"));
    EXPECT_FALSE(fs::exists(dir / "gone"));
    // A settings "file" that is a folder is neither read nor replaced.
    TempDir other;
    fs::create_directory(SettingsFilePath(other.path()));
    EXPECT_FALSE(WriteSetting(other.path(), "DISPLAY", "VOLUME", "1"));
    EXPECT_TRUE(fs::is_directory(SettingsFilePath(other.path())));
    EXPECT_EQ(ReadSetting(other.path(), "DISPLAY", "VOLUME"), "");
}

TEST(Settings, KeepsPermissionsAndLinks) {
    TempDir dir;
    TempDir elsewhere;
    const fs::path real = elsewhere / "shared.ini";
    WriteFileBytes(real, "[DISPLAY]\nVOLUME=1\n");
    ::chmod(real.c_str(), 0600);
    fs::create_symlink(real, SettingsFilePath(dir.path()));
    ASSERT_TRUE(WriteSetting(dir.path(), "DISPLAY", "VOLUME", "2"));
    EXPECT_TRUE(fs::is_symlink(SettingsFilePath(dir.path())));
    EXPECT_EQ(ReadFileBytes(real), "[DISPLAY]\nVOLUME=2\n");
    struct stat st {};
    ASSERT_EQ(::stat(real.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
}

TEST(Settings, DecimalParses) {
    struct Case {
        const char* text;
        int decimal, volume, model;
    };
    const Case cases[] = {
        {"", 0, 65535, 0},
        {"0", 0, 0, 0},
        {"1", 1, 1, 1},
        {"2", 2, 2, 2},
        {"3", 3, 3, 0},
        {"65535", 65535, 65535, 0},
        {"70000", 70000, 65535, 0},
        {"-4", -4, 0, 0},
        {"loud", 0, 0, 0},
        {"  42abc", 42, 42, 0},
        {"+17", 17, 17, 0},
        {"99999999999999", 2147483647, 65535, 0},
        {"-99999999999999", -2147483647 - 1, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(ParseSettingDecimal(c.text), c.decimal);
        EXPECT_EQ(VolumeFromSetting(c.text), c.volume);
        EXPECT_EQ(ModelSelectFromSetting(c.text), c.model);
    }
    EXPECT_TRUE(HardwareDecodeFromSetting("on"));
    EXPECT_FALSE(HardwareDecodeFromSetting("ON"));
    EXPECT_FALSE(HardwareDecodeFromSetting("on "));
    EXPECT_FALSE(HardwareDecodeFromSetting(""));
}

TEST(Settings, FirstRunWritesDefaultsOnceAndPerStartDirectory) {
    TempDir dir;
    StartupSettings first = LoadStartupSettings(dir.path());
    EXPECT_FALSE(first.fileExisted);
    EXPECT_EQ(first.volume, 65535);
    EXPECT_FALSE(first.hardwareDecode);
    EXPECT_EQ(first.modelSelect, 0);
    EXPECT_EQ(ReadFileBytes(SettingsFilePath(dir.path())),
              "[DISPLAY]\nINFOCHECK=31\nASPECT=on\nVOLUME=65535\n");

    // The product chosen on first run, a volume and the decode option.
    ASSERT_TRUE(WriteSettingNumber(dir.path(), "DISPLAY", "MODELSELECT", 2));
    ASSERT_TRUE(WriteSettingNumber(dir.path(), "DISPLAY", "VOLUME", 1234));
    WriteFileBytes(SettingsFilePath(dir.path()),
                   ReadFileBytes(SettingsFilePath(dir.path())) + "[DECODE]\nHW=on\n");
    StartupSettings second = LoadStartupSettings(dir.path());
    EXPECT_TRUE(second.fileExisted);
    EXPECT_EQ(second.volume, 1234);
    EXPECT_TRUE(second.hardwareDecode);
    EXPECT_EQ(second.modelSelect, 2);
    EXPECT_EQ(ReadSetting(dir.path(), "DISPLAY", "INFOCHECK"), "31");

    // An empty VOLUME reads as the full volume.
    ASSERT_TRUE(WriteSetting(dir.path(), "DISPLAY", "VOLUME", ""));
    EXPECT_EQ(LoadStartupSettings(dir.path()).volume, 65535);

    // Another start directory is another first run.
    TempDir other;
    EXPECT_FALSE(LoadStartupSettings(other.path()).fileExisted);
    EXPECT_TRUE(SettingsFileExists(other.path()));
}

TEST(IniFile, ParseAndSerializeInMemory) {
    IniFile ini = IniFile::Parse("[A]\nx=1\n\n[B]\ny=2");
    EXPECT_EQ(ini.Get("a", "X"), "1");
    EXPECT_EQ(ini.Get("B", "y"), "2");
    EXPECT_FALSE(ini.Get("A", "y").has_value());
    ini.Set("A", "z", "3");
    ini.Set("C", "w", "");
    EXPECT_EQ(ini.Serialize(), "[A]\nx=1\nz=3\n\n[B]\ny=2\n[C]\nw=\n");
    EXPECT_EQ(IniFile::Parse(ini.Serialize()).Get("C", "W"), "");
}

} // namespace
