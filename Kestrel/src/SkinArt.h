// The program's own artwork, drawn with QPainter: the four-state image strips
// of the buttons (normal, hover, pressed, disabled side by side), the slider
// and check-box images, backgrounds, frames, the logo panel, the movie views'
// idle picture and the magnifier cursor. Images are named by the bitmap
// numbers the windows ask for, so a window says "bitmap 148" and gets the play
// strip at the size it needs.
#pragma once

#include <QColor>
#include <QCursor>
#include <QImage>
#include <QPixmap>
#include <QRect>
#include <QSize>

class QPainter;

namespace kestrel {

// Bitmap numbers of the skin (the roles the windows use).
enum SkinBitmap : int {
    BmpCsv = 137,
    BmpDelete = 138,
    BmpFast = 139,
    BmpSlow = 142,
    BmpPrevious = 144,
    BmpNext = 145,
    BmpBrowse = 146,
    BmpPause = 147,
    BmpPlay = 148,
    BmpJoin = 150,
    BmpSettings = 151,
    BmpStill = 153,
    BmpStart = 154,
    BmpCaptionClose = 155,
    BmpCaptionMinimise = 156,
    BmpCaptionLayout = 157,
    BmpSliderEmpty = 159,
    BmpSliderThumb = 160,
    BmpSliderThumbPressed = 161,
    BmpVolumeFilled = 167,
    BmpVolumeEmpty = 168,
    BmpVolumeThumb = 169,
    BmpVolumeThumbPressed = 170,
    BmpSliderFilled = 174,
    BmpEnlarge = 200,
    BmpCheck = 217,
    BmpDialogClose = 352,
    BmpFlip = 357,
    BmpMap = 358,
    BmpDisplayMode = 359,
    BmpPadUp = 360,
    BmpPadDown = 361,
    BmpPadLeft = 362,
    BmpPadRight = 363,
    BmpPadReset = 364,
    BmpCamera = 367,
    BmpConvert = 368,
    BmpMirror = 372,
};

class SkinArt {
public:
    // Four images of `size` side by side: 0 normal, 1 hover, 2 pressed, 3 disabled.
    static QPixmap ButtonStrip(int bitmap, QSize size);
    // The check box strip: four 12 x 12 images (unchecked, hover, checked, disabled).
    static QPixmap CheckStrip();
    // One slider image (track or thumb) of the bitmap number, at the given size.
    static QPixmap SliderImage(int bitmap, QSize size);
    // The natural sizes of the slider images: tracks are as wide as the slider
    // is likely to get, thumbs small.
    static QSize SliderImageSize(int bitmap);

    static void PaintMainBackground(QPainter& p, QRect client);
    static void PaintFrame(QPainter& p, QRect area);
    static void PaintPadBackground(QPainter& p, QRect area);
    static void PaintLogo(QPainter& p, QRect area);
    static void PaintIdleBackground(QPainter& p, QRect area);
    static QCursor MagnifierCursor();

    static QColor CaptionColor() { return QColor(34, 38, 46); }
    static QColor BackgroundColor() { return QColor(48, 52, 60); }
};

} // namespace kestrel
