#include "MainLayout.h"

namespace kestrel {

namespace {

constexpr int kButtonSize = 32;
constexpr int kButtonPitch = 43;
constexpr int kPanoramaBand = 45;

QRect BottomButtonRect(QSize client, int slot, int extra) {
    return QRect(20 + kButtonPitch * slot + extra, client.height() - 35, kButtonSize, kButtonSize);
}

void PlaceCommonControls(LayoutGeometry& g, QSize client) {
    const int right = client.width();
    g.captionButtons[CapClose] = QRect(right - 57, 0, 46, 18);
    g.captionButtons[CapLayout] = QRect(right - 83, 0, 26, 18);
    g.captionButtons[CapMinimise] = QRect(right - 109, 0, 26, 18);
    g.volumeSlider = {QRect(right - 120, client.height() - 30, 100, 20), true};
    for (int i = 0; i < kBottomButtonCount; ++i) {
        g.bottomButtons[static_cast<size_t>(i)] = {BottomButtonRect(client, i, i > 12 ? 30 : 0),
                                                   true};
    }
}

// x + width and y + height: the exclusive right and bottom edges.
int RightOf(QRect r) {
    return r.x() + r.width();
}
int BottomOf(QRect r) {
    return r.y() + r.height();
}

} // namespace

LayoutGeometry ComputeWindowedLayout(Layout layout, bool panorama, QSize client) {
    LayoutGeometry g;
    PlaceCommonControls(g, client);
    const int clientBottom = client.height();

    switch (layout) {
    case Layout::Small: {
        if (panorama) {
            g.view = QRect(7, 71, 1106, 322);
            g.blackBands = {QRect(7, 26, 1106, 45), QRect(7, 393, 1106, 45)};
            g.video = QRect(7, 71 - kPanoramaBand, 732, 322 + 2 * kPanoramaBand);
        } else {
            g.view = QRect(7, 26, 732, 411);
            g.video = QRect(7, 26, 732, 411);
        }
        const QRect& v = g.video;
        g.positionSlider = {QRect(v.x(), BottomOf(v), v.width(), 10), true};
        g.infoPanel = {QRect(v.x(), BottomOf(v) + 10, v.width() - 140, 120), true};
        g.controller = {QRect(RightOf(v) - 140, BottomOf(v) + 10, 140, 120), true};
        g.graph = {QRect(v.x(), BottomOf(v) + 130, v.width(), clientBottom - BottomOf(v) - 170),
                   true};
        const int fmTop = v.y() + 1 + (panorama ? 411 : 0);
        g.fileManager = {QRect(RightOf(v), fmTop, 374, clientBottom - 40 - fmTop), true};
        g.mapAllowed = true;
        break;
    }
    case Layout::Medium: {
        g.view = QRect(7, 26, 866, 491);
        g.video = g.view;
        const QRect& v = g.video;
        g.positionSlider = {QRect(v.x(), BottomOf(v), v.width(), 10), true};
        g.infoPanel = {
            QRect(v.x(), BottomOf(v) + 10, v.width(), clientBottom - 50 - (BottomOf(v) + 10)),
            true};
        g.controller = {QRect(RightOf(v) - 140, BottomOf(v) + 10, 140, 120), false};
        g.graph = {QRect(v.x(), BottomOf(v) + 130, v.width(), 0), false};
        g.fileManager = {QRect(RightOf(v), v.y() + 1, 240, clientBottom - 40 - (v.y() + 1)), true};
        break;
    }
    case Layout::Large: {
        g.view = QRect(7, 26, 1106, 626);
        g.video = g.view;
        const QRect& v = g.video;
        g.positionSlider = {QRect(v.x(), BottomOf(v), v.width(), 10), true};
        const int infoTop = BottomOf(v) - 5;
        g.infoPanel = {QRect(5, infoTop, client.width() - 10, clientBottom - 38 - infoTop), false};
        g.controller = {QRect(RightOf(v) - 140, BottomOf(v) + 10, 140, 120), false};
        g.graph = {QRect(v.x(), BottomOf(v), v.width(), 0), false};
        g.fileManager = {QRect(RightOf(v), v.y() + 1, 0, 0), false};
        // Still image, join, browse, delete, settings and CSV have no room; the
        // remaining buttons close up from the left.
        int slot = 0;
        for (int i = 0; i < kBottomButtonCount; ++i) {
            Placement& p = g.bottomButtons[static_cast<size_t>(i)];
            const bool hidden = i == BtnStill || i == BtnJoin || (i >= BtnBrowse && i <= BtnCsv);
            if (hidden) {
                p.visible = false;
            } else {
                p = {BottomButtonRect(client, slot, 0), true};
                ++slot;
            }
        }
        break;
    }
    }
    return g;
}

FullScreenGeometry ComputeFullScreen(QRect monitor, bool panorama) {
    FullScreenGeometry g;
    g.window = monitor;
    const int w = monitor.width();
    const int h = monitor.height();
    if (panorama) {
        const int viewHeight = static_cast<int>(w / 3.43);
        const int top = (h - viewHeight) / 2;
        g.view = QRect(0, top, w, viewHeight);
        g.blackBands = {QRect(0, 0, w, top), QRect(0, top + viewHeight, w, h - top - viewHeight)};
    } else {
        g.view = QRect(0, 0, w, h);
    }
    return g;
}

QRect MapWindowRect(QPoint mainWindowScreenTopLeft, QRect video) {
    return QRect(mainWindowScreenTopLeft + QPoint(RightOf(video), video.y()), QSize(374, 430));
}

QRect SeparateMovieWindowRect(QRect fm) {
    const int width = fm.width() - 4;
    const int height = width * 411 / 732;
    return QRect(fm.x(), BottomOf(fm) - height, width, height);
}

QRect ProgressBarRect(QRect view, Layout layout, bool panorama) {
    int bottom = BottomOf(view);
    if (layout == Layout::Small && panorama) {
        bottom += 45;
    }
    return QRect(view.x(), bottom - 22, view.width(), 22);
}

QPoint ZoomResetCentre(QSize viewSize) {
    return QPoint(viewSize.width() / 2, viewSize.height() / 2);
}

Layout NextLayout(Layout layout) {
    switch (layout) {
    case Layout::Small:
        return Layout::Medium;
    case Layout::Medium:
        return Layout::Large;
    case Layout::Large:
        break;
    }
    return Layout::Small;
}

int LayoutTooltipTextId(Layout layout) {
    switch (NextLayout(layout)) {
    case Layout::Medium:
        return 8;
    case Layout::Large:
        return 7;
    case Layout::Small:
        break;
    }
    return 18;
}

} // namespace kestrel
