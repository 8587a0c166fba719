// The main window's view routines over a camera's context: pixel drags to
// turns, refused drags, repaints of a still frame and zoom steps.
#include "player/DisplayMode.h"
#include "player/ViewNavigator.h"
#include "player/ViewRoutines.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <vector>

namespace {

using namespace player;

// A context whose view operations run on a navigator, recording the calls.
class FakeContext : public ViewContext {
public:
    explicit FakeContext(int mode) { nav.SetMode(mode); }
    bool Usable() const override { return usable; }
    int Drag(float h, float v, float zoom) override {
        drags.push_back({h, v, zoom});
        return nav.Drag(h, v, zoom);
    }
    void EndDrag() override {
        ++endDrags;
        nav.EndDrag();
    }
    int PlayState() const override { return playState; }
    void Repaint() override { ++repaints; }
    void SetAspect(int w, int h) override {
        aspects.push_back({w, h});
        nav.SetAspect(w, h);
    }
    void SetKeepAspect(bool keep) override { keepAspects.push_back(keep); }

    struct DragCall {
        float h, v, zoom;
    };
    ViewNavigator nav;
    bool usable = true;
    int playState = 2;
    std::vector<DragCall> drags;
    int endDrags = 0;
    int repaints = 0;
    std::vector<std::pair<int, int>> aspects;
    std::vector<bool> keepAspects;
};

double TurnDegrees(const ViewNavigator& nav) {
    return 2.0 * std::acos(std::min(1.0, std::fabs(nav.SphereA().current.w))) * 180.0 /
           std::numbers::pi;
}

TEST(DragView, FullHeightTurnsTheSphereByTheFieldOfView) {
    for (float zoom : {1.0f, 2.0f}) {
        FakeContext ctx(ModeSphere);
        CMoment moment;
        EXPECT_TRUE(DragView(ctx, moment, zoom, 411, true, 411, 0));
        EXPECT_NEAR(TurnDegrees(ctx.nav), 60.0 / zoom, 1e-3) << zoom;
        ASSERT_EQ(ctx.drags.size(), 1u);
        EXPECT_EQ(ctx.drags[0].h, 411.0f * (60.0f / zoom / 360.0f / 411.0f));
        EXPECT_EQ(ctx.drags[0].zoom, zoom);
    }
}

TEST(DragView, DominantAxisKeepsTheLargerComponent) {
    struct Case {
        int dx, dy;
        bool dominant;
        bool keepH, keepV;
    } cases[] = {
        {5, 9, true, false, true},
        {9, 5, true, true, false},
        {-7, 7, true, true, false},
        {5, 9, false, true, true},
    };
    for (const Case& c : cases) {
        FakeContext ctx(ModeSplit);
        CMoment moment;
        DragView(ctx, moment, 2.0f, 400, c.dominant, c.dx, c.dy);
        ASSERT_EQ(ctx.drags.size(), 1u);
        EXPECT_EQ(ctx.drags[0].h != 0.0f, c.keepH) << c.dx << "," << c.dy;
        EXPECT_EQ(ctx.drags[0].v != 0.0f, c.keepV) << c.dx << "," << c.dy;
    }
}

TEST(DragView, RefusedVerticalDragEndsTheFling) {
    // Tilt up against the cap; once the sphere refuses, a purely vertical
    // drag returns false, clears the record and ends the drag.
    FakeContext ctx(ModeSphere);
    CMoment moment;
    moment.zoom = 2.0f;
    bool result = true;
    int calls = 0;
    while (result && calls < 500) {
        moment.velocityY = 12;
        result = DragView(ctx, moment, 1.0f, 411, true, 0, 12);
        ctx.EndDrag();
        ++calls;
    }
    ASSERT_FALSE(result);
    EXPECT_EQ(moment.velocityY, 0);
    EXPECT_EQ(moment.zoom, 2.0f); // the zoom factor survives a clear
    // A deflected drag with a horizontal part keeps going.
    EXPECT_TRUE(DragView(ctx, moment, 1.0f, 411, false, 3, 12));
    // An unusable context: a horizontal drag is still "true", a vertical one not.
    ctx.usable = false;
    const size_t before = ctx.drags.size();
    EXPECT_TRUE(DragView(ctx, moment, 1.0f, 411, true, 8, 0));
    EXPECT_FALSE(DragView(ctx, moment, 1.0f, 411, true, 0, 8));
    EXPECT_EQ(ctx.drags.size(), before);
    // No height: no input.
    ctx.usable = true;
    EXPECT_FALSE(DragView(ctx, moment, 1.0f, 0, true, 8, 0));
    EXPECT_EQ(ctx.drags.size(), before);
}

TEST(DragView, RepaintsOnlyAStillFrame) {
    struct Case {
        int playState, dx;
        int repaints;
    } cases[] = {{1, 5, 1}, {3, 5, 1}, {2, 5, 0}, {3, 0, 0}};
    for (const Case& c : cases) {
        FakeContext ctx(ModeSphere);
        ctx.playState = c.playState;
        CMoment moment;
        DragView(ctx, moment, 1.0f, 411, true, c.dx, 0);
        EXPECT_EQ(ctx.repaints, c.repaints) << c.playState << "," << c.dx;
    }
}

TEST(ApplyViewZoom, ClickAtTheCentreMovesNothing) {
    for (int mode : {ModeSplit, ModeFullFrame, ModeSphere, ModePanorama}) {
        FakeContext ctx(mode);
        CMoment moment;
        float published = 0.0f;
        ViewZoomStep step;
        step.displayMode = mode;
        step.clientWidth = 732;
        step.clientHeight = 411;
        step.clickX = 366;
        step.clickY = 205;
        step.zoom = 2.0f;
        step.publishZoom = [&](float z) { published = z; };
        ApplyViewZoom(ctx, moment, step);
        EXPECT_EQ(published, 2.0f);
        EXPECT_EQ(moment.zoom, 2.0f);
        ASSERT_EQ(ctx.drags.size(), 1u) << mode;
        EXPECT_EQ(ctx.drags[0].h, 0.0f);
        EXPECT_EQ(ctx.drags[0].v, 0.0f);
        EXPECT_EQ(ctx.drags[0].zoom, 2.0f);
        EXPECT_GE(ctx.endDrags, 1);
        EXPECT_EQ(ctx.nav.Split().xOffset, 0.0f);
        EXPECT_EQ(ctx.nav.FullFrame().yOffset, 0.0f);
        EXPECT_EQ(ctx.nav.Panorama().xOffset, 0.0f);
        EXPECT_EQ(ctx.nav.SphereA().current.w, 1.0);
        // Modes 2 (not full screen), 3 and 4 refresh the aspect first.
        EXPECT_EQ(ctx.aspects.size(), mode == ModeSplit ? 0u : 1u) << mode;
    }
}

TEST(ApplyViewZoom, PansTowardTheClickAndReturnsToCentreAtOne) {
    FakeContext ctx(ModeFullFrame);
    CMoment moment;
    ViewZoomStep step;
    step.displayMode = ModeFullFrame;
    step.clientWidth = 732;
    step.clientHeight = 411;
    step.clickX = 600; // right of and below the centre
    step.clickY = 300;
    step.zoom = 2.0f;
    ApplyViewZoom(ctx, moment, step);
    // dx = (366 - 600) * 1, dy = (205 - 300) * 1: the camera moves towards
    // the click (world x grows to the left on screen, y upwards).
    ASSERT_EQ(ctx.drags.size(), 1u);
    EXPECT_LT(ctx.nav.FullFrame().xOffset, 0.0f);
    EXPECT_LT(ctx.nav.FullFrame().yOffset, 0.0f);
    EXPECT_NEAR(ctx.drags[0].h, -234.0f * 30.0f / 360.0f / 411.0f, 1e-7);
    step.zoom = 3.0f;
    ApplyViewZoom(ctx, moment, step);
    EXPECT_NEAR(ctx.drags[1].h, static_cast<int>(-234.0f * 0.5f) * 20.0f / 360.0f / 411.0f, 1e-7);
    step.zoom = 1.0f; // the step after 3x
    ApplyViewZoom(ctx, moment, step);
    EXPECT_EQ(ctx.nav.FullFrame().xOffset, 0.0f);
    EXPECT_EQ(ctx.nav.FullFrame().yOffset, 0.0f);
    EXPECT_EQ(moment.zoom, 1.0f);
}

TEST(ApplyViewZoom, PanoramaAtOneKeepsTheBandAndFlatUsesTheTwoDZoom) {
    FakeContext pano(ModePanorama);
    CMoment moment;
    moment.zoom = 3.0f;
    ViewZoomStep step;
    step.displayMode = ModePanorama;
    step.clientWidth = 732;
    step.clientHeight = 411;
    step.clickX = 100;
    step.clickY = 10;
    step.zoom = 1.0f;
    ApplyViewZoom(pano, moment, step);
    ASSERT_EQ(pano.drags.size(), 1u);
    EXPECT_EQ(pano.drags[0].v, 0.0f);

    FakeContext flat(ModeFlat);
    int flatZooms = 0;
    step.displayMode = ModeFlat;
    step.zoom = 2.0f;
    step.applyFlatZoom = [&] { ++flatZooms; };
    ApplyViewZoom(flat, moment, step);
    EXPECT_EQ(flatZooms, 1);
    EXPECT_EQ(moment.zoom, 2.0f);

    FakeContext none(ModeNone);
    step.displayMode = ModeNone;
    step.zoom = 3.0f;
    ApplyViewZoom(none, moment, step);
    EXPECT_TRUE(none.drags.empty());
    EXPECT_EQ(moment.zoom, 2.0f);
}

TEST(RefreshViewParameters, SetsAspectAndKeepAspectForScreenModes) {
    FakeContext ctx(ModeSplit);
    RefreshViewParameters(ctx, ModeSplit, 866, 490, true);
    ASSERT_EQ(ctx.aspects.size(), 1u);
    EXPECT_EQ(ctx.aspects[0], std::make_pair(866, 490));
    EXPECT_EQ(ctx.nav.Aspect(), 866.0f / 490.0f);
    ASSERT_EQ(ctx.keepAspects.size(), 1u);
    RefreshViewParameters(ctx, ModeSphere, 866, 490, true);
    EXPECT_EQ(ctx.keepAspects.size(), 1u);
    ctx.usable = false;
    RefreshViewParameters(ctx, ModeSplit, 10, 10, true);
    EXPECT_EQ(ctx.aspects.size(), 2u);
}

} // namespace
