// The shared off-screen drawing surface of the graph and the information
// panel: a square image whose side is the larger of the screen's width and
// height. The image is made when first drawn on, so a run that never shows
// those windows pays nothing for it.
#pragma once

#include <QImage>

namespace kestrel {

class COffScreenDC {
public:
    explicit COffScreenDC(int side) : side_(side) {}

    int side() const { return side_; }
    QImage& surface() {
        if (image_.isNull() && side_ > 0) {
            image_ = QImage(side_, side_, QImage::Format_ARGB32_Premultiplied);
        }
        return image_;
    }

private:
    int side_;
    QImage image_;
};

} // namespace kestrel
