// The main window's layout geometry and the keep-on-monitor rule, as pure
// functions.
#include "KeepOnMonitor.h"
#include "MainLayout.h"

#include <gtest/gtest.h>

using namespace kestrel;

namespace {

QRect R(int x, int y, int w, int h) {
    return QRect(x, y, w, h);
}

} // namespace

TEST(MainLayout, SmallLayoutRectangles) {
    const LayoutGeometry g = ComputeWindowedLayout(Layout::Small, false);
    EXPECT_EQ(g.view, R(7, 26, 732, 411));
    EXPECT_EQ(g.video, R(7, 26, 732, 411));
    EXPECT_TRUE(g.blackBands.empty());
    EXPECT_EQ(g.positionSlider.rect, R(7, 437, 732, 10));
    EXPECT_EQ(g.infoPanel.rect, R(7, 447, 592, 120));
    EXPECT_EQ(g.controller.rect, R(599, 447, 140, 120));
    EXPECT_TRUE(g.controller.visible);
    EXPECT_EQ(g.graph.rect, R(7, 567, 732, 93));
    EXPECT_EQ(g.fileManager.rect, R(739, 27, 374, 633));
    EXPECT_EQ(g.volumeSlider.rect, R(1000, 670, 100, 20));
    EXPECT_EQ(g.captionButtons[CapClose], R(1063, 0, 46, 18));
    EXPECT_EQ(g.captionButtons[CapLayout], R(1037, 0, 26, 18));
    EXPECT_EQ(g.captionButtons[CapMinimise], R(1011, 0, 26, 18));
    EXPECT_TRUE(g.mapAllowed);
    // 43-pixel pitch, and a 30-pixel gap after the map button (index 12).
    EXPECT_EQ(g.bottomButtons[0].rect, R(20, 665, 32, 32));
    EXPECT_EQ(g.bottomButtons[12].rect, R(20 + 43 * 12, 665, 32, 32));
    EXPECT_EQ(g.bottomButtons[13].rect, R(20 + 43 * 13 + 30, 665, 32, 32));
    EXPECT_EQ(g.bottomButtons[17].rect, R(20 + 43 * 17 + 30, 665, 32, 32));
    for (const Placement& b : g.bottomButtons) {
        EXPECT_TRUE(b.visible);
    }
}

TEST(MainLayout, SmallLayoutPanoramaBandsAndFileManager) {
    const LayoutGeometry normal = ComputeWindowedLayout(Layout::Small, false);
    const LayoutGeometry g = ComputeWindowedLayout(Layout::Small, true);
    EXPECT_EQ(g.view, R(7, 71, 1106, 322));
    ASSERT_EQ(g.blackBands.size(), 2u);
    EXPECT_EQ(g.blackBands[0], R(7, 26, 1106, 45));  // (7, 26)-(1113, 71)
    EXPECT_EQ(g.blackBands[1], R(7, 393, 1106, 45)); // (7, 393)-(1113, 438)
    // The video rectangle keeps the small width and spans the bands.
    EXPECT_EQ(g.video, R(7, 26, 732, 412));
    EXPECT_EQ(g.positionSlider.rect, R(7, 438, 732, 10));
    // The file manager starts below the lower band.
    EXPECT_EQ(g.fileManager.rect.top(), 438);
    EXPECT_EQ(g.fileManager.rect.top() - normal.fileManager.rect.top(), 411);
    EXPECT_EQ(g.fileManager.rect.x() + g.fileManager.rect.width(), 1113);
    EXPECT_EQ(g.fileManager.rect.y() + g.fileManager.rect.height(), 660);
}

TEST(MainLayout, MediumLayoutRectangles) {
    const LayoutGeometry g = ComputeWindowedLayout(Layout::Medium, false);
    EXPECT_EQ(g.view, R(7, 26, 866, 491));
    EXPECT_EQ(g.positionSlider.rect, R(7, 517, 866, 10));
    EXPECT_EQ(g.infoPanel.rect, R(7, 527, 866, 123));
    EXPECT_TRUE(g.infoPanel.visible);
    EXPECT_FALSE(g.controller.visible);
    EXPECT_FALSE(g.graph.visible);
    EXPECT_EQ(g.fileManager.rect, R(873, 27, 240, 633));
    EXPECT_TRUE(g.fileManager.visible);
    EXPECT_FALSE(g.mapAllowed);
    EXPECT_EQ(g.bottomButtons[13].rect, R(20 + 43 * 13 + 30, 665, 32, 32));
}

TEST(MainLayout, LargeLayoutPacksTheShownButtons) {
    const LayoutGeometry g = ComputeWindowedLayout(Layout::Large, false);
    EXPECT_EQ(g.view, R(7, 26, 1106, 626));
    EXPECT_EQ(g.positionSlider.rect, R(7, 652, 1106, 10));
    EXPECT_FALSE(g.infoPanel.visible);
    EXPECT_EQ(g.infoPanel.rect, R(5, 647, 1110, 15));
    EXPECT_FALSE(g.fileManager.visible);
    EXPECT_FALSE(g.controller.visible);
    EXPECT_FALSE(g.graph.visible);
    for (int hidden : {BtnStill, BtnJoin, BtnBrowse, BtnDelete, BtnSettings, BtnCsv}) {
        EXPECT_FALSE(g.bottomButtons[static_cast<size_t>(hidden)].visible) << hidden;
    }
    // Shown buttons close up without gaps: 0..5, 8..12, 17.
    const int order[] = {0, 1, 2, 3, 4, 5, 8, 9, 10, 11, 12, 17};
    for (int k = 0; k < 12; ++k) {
        const Placement& p = g.bottomButtons[static_cast<size_t>(order[k])];
        EXPECT_TRUE(p.visible);
        EXPECT_EQ(p.rect, R(20 + 43 * k, 665, 32, 32)) << order[k];
    }
    EXPECT_EQ(g.bottomButtons[BtnCamera].rect.x(), 20 + 43 * 11);
}

TEST(MainLayout, FullScreenOnA1920x1080Monitor) {
    const FullScreenGeometry pano = ComputeFullScreen(R(0, 0, 1920, 1080), true);
    EXPECT_EQ(pano.window, R(0, 0, 1920, 1080));
    EXPECT_EQ(pano.view, R(0, 260, 1920, 559)); // 1920 / 3.43 truncated, centred
    ASSERT_EQ(pano.blackBands.size(), 2u);
    EXPECT_EQ(pano.blackBands[0], R(0, 0, 1920, 260));
    EXPECT_EQ(pano.blackBands[1], R(0, 819, 1920, 261));
    const FullScreenGeometry flat = ComputeFullScreen(R(1920, 0, 1280, 1024), false);
    EXPECT_EQ(flat.window, R(1920, 0, 1280, 1024));
    EXPECT_EQ(flat.view, R(0, 0, 1280, 1024));
}

TEST(MainLayout, MapWindowSeparateWindowAndProgressBar) {
    const LayoutGeometry g = ComputeWindowedLayout(Layout::Small, false);
    EXPECT_EQ(MapWindowRect(QPoint(100, 50), g.video), R(100 + 739, 50 + 26, 374, 430));
    // 370 wide, 370 * 411 / 732 = 207 high, at the foot of the column.
    EXPECT_EQ(SeparateMovieWindowRect(R(839, 77, 374, 633)), R(839, 77 + 633 - 207, 370, 207));
    EXPECT_EQ(ProgressBarRect(g.view, Layout::Small, false), R(7, 415, 732, 22));
    EXPECT_EQ(ProgressBarRect(R(7, 71, 1106, 322), Layout::Small, true), R(7, 416, 1106, 22));
    EXPECT_EQ(ProgressBarRect(R(7, 26, 866, 491), Layout::Medium, true), R(7, 495, 866, 22));
}

TEST(MainLayout, LayoutCycleAndTooltipNameTheNextLayout) {
    EXPECT_EQ(NextLayout(Layout::Small), Layout::Medium);
    EXPECT_EQ(NextLayout(Layout::Medium), Layout::Large);
    EXPECT_EQ(NextLayout(Layout::Large), Layout::Small);
    EXPECT_EQ(LayoutTooltipTextId(Layout::Small), 8);  // "中"
    EXPECT_EQ(LayoutTooltipTextId(Layout::Medium), 7); // "大"
    EXPECT_EQ(LayoutTooltipTextId(Layout::Large), 18); // "小"
    EXPECT_EQ(ZoomResetCentre(QSize(732, 411)), QPoint(366, 205));
    EXPECT_EQ(ZoomResetCentre(QSize(866, 491)), QPoint(433, 245));
    EXPECT_EQ(ZoomResetCentre(QSize(1106, 626)), QPoint(553, 313));
}

namespace {

MonitorArea Monitor(int l, int t, int r, int b, int taskbar = 0) {
    return MonitorArea{EdgeRect{l, t, r, b}, EdgeRect{l, t, r, b - taskbar}};
}

struct KeepCase {
    const char* name;
    EdgeRect window;
    EdgeRect expected;
};

} // namespace

TEST(KeepOnMonitor, MovesAWindowBackOntoItsMonitor) {
    // One 1920 x 1080 monitor whose work area ends at 1040 (a 40-pixel panel).
    const std::vector<MonitorArea> one{Monitor(0, 0, 1920, 1080, 40)};
    const KeepCase cases[] = {
        {"inside", {100, 100, 1220, 800}, {100, 100, 1220, 800}},
        {"off the left", {-50, 100, 1070, 800}, {0, 100, 1120, 800}},
        {"off the top", {100, -30, 1220, 670}, {100, 0, 1220, 700}},
        {"off the top-left", {-50, -30, 1070, 670}, {0, 0, 1120, 700}},
        {"off the right", {900, 100, 2020, 800}, {800, 100, 1920, 800}},
        {"below the panel", {100, 500, 1220, 1200}, {100, 340, 1220, 1040}},
        {"off the bottom-left", {-50, 500, 1070, 1200}, {0, 340, 1120, 1040}},
        {"off the top-right", {900, -30, 2020, 670}, {800, 0, 1920, 700}},
        {"off the bottom-right", {900, 500, 2020, 1200}, {800, 340, 1920, 1040}},
        {"wholly outside", {3000, 100, 4120, 800}, {3000, 100, 4120, 800}},
    };
    for (const KeepCase& c : cases) {
        EXPECT_EQ(KeepOnMonitor(c.window, one), c.expected) << c.name;
    }
}

TEST(KeepOnMonitor, TwoMonitorsUseTheWorkAreaNearestTheInsideCorner) {
    // Left 1920 x 1080, right 1280 x 1024 beside it.
    const std::vector<MonitorArea> two{Monitor(0, 0, 1920, 1080, 40), Monitor(1920, 0, 3200, 1024)};
    // Straddling the boundary: every corner lies in some work area, nothing moves.
    EXPECT_EQ(KeepOnMonitor({1500, 100, 2620, 800}, two), (EdgeRect{1500, 100, 2620, 800}));
    // Sticking out below the right monitor: moved up onto it.
    EXPECT_EQ(KeepOnMonitor({2000, 500, 3120, 1200}, two), (EdgeRect{2000, 324, 3120, 1024}));
    EXPECT_EQ(NearestMonitor(two, 5000, 10), 1);
    EXPECT_EQ(NearestMonitor(two, -100, 10), 0);
    EXPECT_EQ(KeepOnMonitor({1, 2, 3, 4}, {}), (EdgeRect{1, 2, 3, 4}));
}
