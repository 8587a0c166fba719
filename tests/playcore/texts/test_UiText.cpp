// The UI text table: exact texts at the ids other modules use, the shared
// texts, the empty slots and the language rule.
#include "playcore/UiText.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <set>
#include <string>

namespace {

using namespace playcore;

TEST(UiText, TextsAtTheIdsInUse) {
    struct Case {
        int id;
        const char* text;
    };
    const Case cases[] = {
        {0, "閉じる"},
        {2, "CSV"},
        {25, "衝撃＋マニュアル"},
        {26, "常時"},
        {28, "駐車"},
        {33, "日付,"},
        {36, "フレームレート,"},
        {37, "%d個"},
        {40, "録画時間,"},
        {41, "開始時刻,"},
        {42, "録画トリガー,"},
        {48, "完了しました。"},
        {49, "終了"},
        {68, "ドライブサポート　急加速"},
        {91, "フルスクリーン（縦横比を維持）"},
        {93, "同名のファイルが存在します。続行しますか？"},
        {96, "CSVファイルが作成できません。"},
        {101, "動画ファイルがありません。"},
        {103, "出力先フォルダーを選択してください。"},
        {105, "表示数が1500を超えています。1500項目表示します。"},
        {106, "確認"},
        {107, "新しいバージョンのソフトを利用できます。\r\nダウンロードする場合は下記URLをクリッ"
              "クしてください。"},
        {113, "メイリオ"},
        {135, "実行中..."},
        {141, "駐車衝撃"},
        {145, "速度取締機"},
        {154, "全ての機能を有効にするために、Microsoft(R) DirectX(R) 9.0c "
              "エンドユーザーランタイムをインストールしてください。"},
        {165, "リヤカメラ"},
        {167, "メインカメラデータサイズ,"},
        {168, "リヤカメラデータサイズ"},
        {175, "正像/鏡像"},
        {176, "リヤ録画サイズ,"},
        {181, "ファイル名1,"},
        {182, "ファイル名2,"},
        {205, "：メインカメラ映像とリヤカメラ映像を別ウィンドウで同時に再生します。\n"},
        {206,
         "：メインカメラ映像またはリヤカメラ映像どちらかを再生します。\n　（映像表示切替え可）"},
        {208, "製品選択"},
        {209, "ご使用になられる製品をお選びください。"},
        {211, "現在使用中のビューワソフト："},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.id);
        EXPECT_EQ(std::string(ui_text(c.id)), c.text);
        EXPECT_EQ(std::string(ui_text(c.id, 1)), c.text);
    }
    // The longest text, checked by its ends and line breaks.
    const std::string t210 = ui_text(210);
    EXPECT_EQ(t210.rfind("お使いのパソコンで、BrivonaFで", 0), 0u);
    EXPECT_EQ(t210.substr(t210.size() - 7), "い。\n");
    EXPECT_NE(t210.find("ください。\n\nなお"), std::string::npos);
}

TEST(UiText, FilledSlotsEmptySlotsAndSharedTexts) {
    std::set<std::string> distinct;
    for (int id = 0; id < kUiTextSlots; ++id) {
        SCOPED_TRACE(id);
        const std::string t = ui_text(id);
        EXPECT_EQ(HasUiText(id), id < kUiTextCount);
        EXPECT_EQ(t.empty(), id >= kUiTextCount);
        EXPECT_EQ(t, std::string(ui_text(id, 1)));
        if (!t.empty()) {
            distinct.insert(t);
        }
    }
    EXPECT_EQ(kUiTextCount, 212);
    const std::pair<int, int> shared[] = {{24, 29},   {27, 30},  {144, 146}, {81, 0},   {82, 4},
                                          {83, 6},    {84, 10},  {85, 11},   {86, 12},  {87, 16},
                                          {88, 17},   {89, 19},  {124, 16},  {125, 78}, {130, 80},
                                          {200, 186}, {201, 187}};
    for (const auto& [a, b] : shared) {
        EXPECT_EQ(std::string(ui_text(a)), ui_text(b)) << a << " " << b;
    }
    // Those pairs and 3/47 ("削除") are the only repeats.
    EXPECT_EQ(std::string(ui_text(3)), ui_text(47));
    EXPECT_EQ(distinct.size(), 194u);
    for (int bad : {-1, 260, 100000}) {
        EXPECT_STREQ(ui_text(bad), "");
        EXPECT_FALSE(HasUiText(bad));
    }
    EXPECT_STREQ(ui_text(0, 2), "");
    EXPECT_STREQ(ui_text(0, -1), "");
}

TEST(UiText, LanguageFromLocale) {
    struct Case {
        const char* locale;
        int language;
    };
    const Case cases[] = {{"en_US", 1},      {"en_US.UTF-8", 1}, {"en_US.ISO-8859-1", 1},
                          {"en_US@euro", 1}, {"en_GB.UTF-8", 0}, {"ja_JP.UTF-8", 0},
                          {"C", 0},          {"POSIX", 0},       {"", 0},
                          {"en_USA", 0},     {"en", 0}};
    for (const Case& c : cases) {
        EXPECT_EQ(UiLanguageForLocale(c.locale), c.language) << c.locale;
    }
    EXPECT_EQ(UiTexts(1)(101), std::string("動画ファイルがありません。"));
}

TEST(UiText, UserLocaleFollowsTheCLibraryOrder) {
    ::setenv("LANG", "ja_JP.UTF-8", 1);
    ::setenv("LC_MESSAGES", "en_US.UTF-8", 1);
    ::setenv("LC_ALL", "", 1);
    EXPECT_EQ(UserMessagesLocale(), "en_US.UTF-8");
    EXPECT_EQ(UiTexts::FromEnvironment().language(), 1);
    ::setenv("LC_ALL", "de_DE.UTF-8", 1);
    EXPECT_EQ(UserMessagesLocale(), "de_DE.UTF-8");
    EXPECT_EQ(UiTexts::FromEnvironment().language(), 0);
    ::unsetenv("LC_ALL");
    ::unsetenv("LC_MESSAGES");
    EXPECT_EQ(UserMessagesLocale(), "ja_JP.UTF-8");
    ::unsetenv("LANG");
    EXPECT_EQ(UserMessagesLocale(), "");
}

} // namespace
