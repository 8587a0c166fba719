// The user-interface resources every window shares: the text row, the DPI
// scale, the seven fonts (9, 10, 12, 13, 15, 17 and 22 points, face "メイリオ"
// with the system's CJK face behind it) and the start directory. The main
// window creates one while it initialises and hands it to every window it
// makes; nothing here is process-wide.
#pragma once

#include <playcore/UiText.h>

#include <QFont>
#include <QString>
#include <array>
#include <filesystem>

class QWidget;
class QScreen;

namespace kestrel {

// Pixel height of a font of `points` nominal points: trunc(points / scale)
// converted with the vertical DPI (scale = horizontal DPI / 96), rounded as
// MulDiv rounds. Dividing by the scale first keeps text at the same pixel
// size on screens of any scaling.
int FontPixelHeight(int points, double dpiX, double dpiY);

class UiResources {
public:
    static constexpr std::array<int, 7> kSizes{9, 10, 13, 17, 22, 12, 15};

    UiResources();

    // Measures the DPI of the window's screen (the primary screen when the
    // window has none yet), picks the text row from the user's locale, builds
    // the fonts and captures the current directory. False (and nothing
    // changed) when no screen exists.
    bool Init(QWidget* window);
    // The same with explicit DPI values (tests, and screens Qt cannot measure).
    void InitWith(double dpiX, double dpiY, int language, const std::filesystem::path& startDir);

    QString Text(int id) const;
    const playcore::UiTexts& texts() const { return texts_; }

    // The font of the nominal size (one of kSizes; other sizes get the 10-point font).
    const QFont& Font(int points) const;
    double dpiScale() const { return dpiScale_; }
    const std::filesystem::path& startDirectory() const { return startDir_; }

    // The face list: the table's face name first, then the CJK faces the
    // system provides.
    QStringList FontFamilies() const;

private:
    playcore::UiTexts texts_;
    double dpiScale_ = 1.0;
    std::array<QFont, 7> fonts_;
    std::filesystem::path startDir_;
};

} // namespace kestrel
