// The view operations on the 3D models' parameters: drags per mode, the
// sphere's cap test and deflection, commit, flip, reset and aspect.
#include "player/DisplayMode.h"
#include "player/SphereNavigation.h"
#include "player/ViewNavigator.h"

#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

namespace {

using namespace player;

constexpr double kPi = std::numbers::pi;

ViewNavigator InMode(int mode) {
    ViewNavigator nav;
    nav.SetMode(mode);
    return nav;
}

// Rotation angle in degrees of a unit quaternion.
double AngleDegrees(const Quaternion& q) {
    return 2.0 * std::acos(std::min(1.0, std::fabs(q.w))) * 180.0 / kPi;
}

// Where a world point lands on screen (normalised device coordinates).
std::array<float, 2> Screen(const CameraMatrices& c, float x, float y, float z) {
    const auto p = Transform({x, y, z, 1.0f}, c.WorldViewProjection());
    return {p[0] / p[3], p[1] / p[3]};
}

TEST(RotationStep, TurnsByTwoPiLAboutTheDragAxes) {
    SphereOrientation o;
    o.matrix = RotationMatrix(o.current);
    RotationStep(o, 0.25, 0.0); // a quarter turn about y
    EXPECT_NEAR(AngleDegrees(o.current), 90.0, 1e-9);
    // Row vector (1, 0, 0) times the matrix: the first row.
    EXPECT_NEAR(o.matrix[0][0], 0.0, 1e-12);
    EXPECT_NEAR(o.matrix[0][2], -1.0, 1e-12);
    EXPECT_NEAR(o.matrix[1][1], 1.0, 1e-12);
    // The base is untouched; a second step replaces the first.
    EXPECT_EQ(o.base.w, 1.0);
    RotationStep(o, 0.0, 0.125); // an eighth of a turn about x
    EXPECT_NEAR(AngleDegrees(o.current), 45.0, 1e-9);
    EXPECT_NEAR(o.current.x, std::sin(kPi / 8), 1e-12);
    const SphereOrientation before = o;
    RotationStep(o, 0.0, 0.0);
    EXPECT_EQ(o.current.x, before.current.x);
}

TEST(SphereDrag, HorizontalDragsAreFreeAndCommittedByEndDrag) {
    ViewNavigator nav = InMode(ModeSphere);
    EXPECT_EQ(nav.Drag(1.0f / 12, 0.0f, 1.0f), 1); // 30 degrees
    EXPECT_NEAR(AngleDegrees(nav.SphereA().current), 30.0, 1e-4);
    // Without EndDrag the next drag replaces this one (measured from base).
    EXPECT_EQ(nav.Drag(1.0f / 12, 0.0f, 1.0f), 1);
    EXPECT_NEAR(AngleDegrees(nav.SphereA().current), 30.0, 1e-4);
    nav.EndDrag();
    EXPECT_EQ(nav.Drag(1.0f / 12, 0.0f, 1.0f), 1);
    EXPECT_NEAR(AngleDegrees(nav.SphereA().current), 60.0, 1e-4);
    // B follows every applied drag.
    EXPECT_EQ(nav.SphereB().current.y, nav.SphereA().current.y);
    EXPECT_EQ(nav.SphereZoom(), 1.0f);
}

TEST(SphereDrag, DragIntoTheCapIsDeflectedAndShortened) {
    // Looking further and further up (pointer moving down, 10 pixels of a
    // 411-pixel view per step) until the cap stops the straight drag.
    ViewNavigator nav = InMode(ModeSphere);
    const float v = 10.0f * 60.0f / 360.0f / 411.0f;
    SphereOrientation a = nav.SphereA();
    SphereOrientation b = nav.SphereB();
    SphereDragOutcome out;
    int steps = 0;
    for (; steps < 200; ++steps) {
        out = SphereDrag(a, b, nav.TestDirections(), 0.0f, v);
        if (out.result == 0) {
            break;
        }
        a.base = a.current; // commit, as EndDrag does
    }
    ASSERT_LT(steps, 200);
    // Straight up is refused after about 45 degrees (the cap's nearest
    // directions lie 30 degrees from +y, the limit is 45 from -z).
    EXPECT_NEAR(steps * 60.0 * 10.0 / 411.0, 15.0, 1.5);
    ASSERT_GT(out.bestAngle, 0);
    // The directions are symmetric left/right: of the two mirrored
    // candidates the smaller angle wins.
    EXPECT_LE(out.bestAngle, 180);
    EXPECT_TRUE(SphereAcceptable(a, nav.TestDirections()));
    // The turn is shortened by sqrt((180 - deviation) / 180).
    const Quaternion inverseBase{a.base.w, -a.base.x, -a.base.y, -a.base.z};
    const Quaternion turn = Multiply(a.current, inverseBase);
    const double s = std::sqrt((180.0 - std::min(out.bestAngle, 360 - out.bestAngle)) / 180.0);
    EXPECT_NEAR(AngleDegrees(turn), 360.0 * v * s, 1e-4);
    EXPECT_EQ(b.current.w, a.current.w);
    // The candidate one degree closer to the drag's own direction was refused.
    SphereOrientation closer = a;
    const double angle = (out.bestAngle - 1) * 0.017453292;
    RotationStep(closer, v * std::sin(angle), -v * std::cos(angle));
    EXPECT_FALSE(SphereAcceptable(closer, nav.TestDirections()));
}

// The drag written out the long way: every candidate built by the rotation
// step and tested with the sphere test.
SphereDragOutcome ReferenceDrag(SphereOrientation& a, const std::array<TestDirection, 8>& dirs,
                                float h, float v) {
    SphereDragOutcome out;
    int best = 400;
    for (int i = 0; i < 360; ++i) {
        const double angle = i * 0.017453292;
        SphereOrientation c = a;
        RotationStep(c, h * std::cos(angle) + v * std::sin(angle),
                     h * std::sin(angle) - v * std::cos(angle));
        if (!SphereAcceptable(c, dirs)) {
            continue;
        }
        if (i == 0) {
            out.result = 1;
        }
        const int deviation = 180 - std::abs(i - 180);
        if (deviation < best) {
            best = deviation;
            out.bestAngle = i;
        }
    }
    if (out.bestAngle >= 0) {
        const double s = std::sqrt((180.0 - best) / 180.0);
        const double angle = out.bestAngle * 0.017453292;
        RotationStep(a, h * s * std::cos(angle) + v * s * std::sin(angle),
                     h * s * std::sin(angle) - v * s * std::cos(angle));
    }
    return out;
}

TEST(SphereDrag, MatchesTheCandidateByCandidateDefinition) {
    // A walk of drags in all directions, many of them into the cap.
    SphereOrientation fast;
    fast.matrix = RotationMatrix(fast.current);
    SphereOrientation reference = fast;
    SphereOrientation copy;
    const auto dirs = DefaultTestDirections();
    uint32_t seed = 12345;
    auto next = [&] {
        seed = seed * 1664525u + 1013904223u;
        return static_cast<float>(seed >> 8) / static_cast<float>(1u << 24) - 0.5f;
    };
    int deflected = 0;
    for (int step = 0; step < 400; ++step) {
        const float h = next() * 0.05f;
        const float v = next() * 0.05f + 0.004f; // drifting towards the cap
        const SphereDragOutcome a = SphereDrag(fast, copy, dirs, h, v);
        const SphereDragOutcome b = ReferenceDrag(reference, dirs, h, v);
        ASSERT_EQ(a.result, b.result) << step;
        ASSERT_EQ(a.bestAngle, b.bestAngle) << step;
        ASSERT_NEAR(fast.current.w, reference.current.w, 1e-12) << step;
        ASSERT_NEAR(fast.current.x, reference.current.x, 1e-12) << step;
        fast.base = fast.current;
        reference.base = reference.current;
        deflected += a.result == 0 ? 1 : 0;
    }
    EXPECT_GT(deflected, 20);
}

TEST(SphereDrag, NoAcceptableDirectionLeavesTheViewStill) {
    ViewState state;
    // A cap straight ahead: every candidate fails.
    for (TestDirection& d : state.testDirections) {
        d = TestDirection{0.0f, 0.0f, -1.0f, 0.0f};
    }
    state.drawingEnabled = 1;
    state.modelMode = ModeSphere;
    ViewNavigator nav;
    nav.Load(state);
    SphereOrientation a = nav.SphereA();
    SphereOrientation b = nav.SphereB();
    const SphereDragOutcome out = SphereDrag(a, b, nav.TestDirections(), 0.01f, 0.02f);
    EXPECT_EQ(out.result, 0);
    EXPECT_EQ(out.bestAngle, -1);
    EXPECT_EQ(a.current.w, 1.0);
    EXPECT_EQ(a.current.x, 0.0);
    EXPECT_EQ(b.matrix[0][0], 0.0); // B still the untouched default
    EXPECT_EQ(nav.Drag(0.01f, 0.02f, 1.0f), 0);
    EXPECT_EQ(nav.SphereA().current.w, 1.0);
}

TEST(ScreenDrags, OffsetsPerModeWithTheirFactors) {
    struct Case {
        int mode;
        float zoom;
        float expectX, expectY; // for h = 0.01, v = 0.02
    } cases[] = {
        {ModeSplit, 2.0f, 0.01f * 4.712389f, 0.02f * 6.2831855f},
        {ModeSplit, 1.0f, 0.0f, 0.0f},
        {ModeFullFrame, 2.0f, 0.01f * 10.775663f, 0.02f * 10.775663f},
        {ModeFullFrame, 1.0f, 0.0f, 0.0f},
        // Panorama: three steps; from 0 the first step wraps to -4.0.
        {ModePanorama, 2.0f, -4.0f + 2 * 0.01f * 2.3561945f, 3 * 0.02f * 2.3561945f},
        {ModePanorama, 1.0f, -4.0f + 2 * 0.01f * 2.3561945f, 0.0f},
    };
    for (const Case& c : cases) {
        ViewNavigator nav = InMode(c.mode);
        EXPECT_EQ(nav.Drag(0.01f, 0.02f, c.zoom), 1);
        const CameraParams& p = c.mode == ModeSplit       ? nav.Split()
                                : c.mode == ModeFullFrame ? nav.FullFrame()
                                                          : nav.Panorama();
        EXPECT_NEAR(p.xOffset, c.expectX, 1e-5) << c.mode << " zoom " << c.zoom;
        EXPECT_NEAR(p.yOffset, c.expectY, 1e-5) << c.mode << " zoom " << c.zoom;
        EXPECT_EQ(p.zoom, c.zoom);
    }
}

TEST(ScreenDrags, PanoramaWrapsWithinOnePlaneWidth) {
    ViewNavigator nav = InMode(ModePanorama);
    for (int i = 0; i < 500; ++i) {
        nav.Drag(i % 7 == 0 ? -0.05f : 0.013f, 0.01f, 1.0f);
        nav.EndDrag();
        ASSERT_GE(nav.Panorama().xOffset, -4.0f);
        ASSERT_LE(nav.Panorama().xOffset, 0.0f);
        ASSERT_EQ(nav.Panorama().yOffset, 0.0f);
    }
    // Leftwards past -4.0 wraps to 0.
    ViewNavigator left = InMode(ModePanorama);
    left.Drag(-0.5f, 0.0f, 1.0f); // first step -1.178: inside; ...
    EXPECT_NEAR(left.Panorama().xOffset, -3.534292f, 1e-5);
    left.Drag(-0.2f, 0.0f, 1.0f); // -4.005 wraps to 0, then two more steps
    EXPECT_NEAR(left.Panorama().xOffset, -2 * 0.2f * 2.3561945f, 1e-5);
}

TEST(Flip, TwiceRestoresAllUpSigns) {
    ViewNavigator nav = InMode(ModeSphere);
    EXPECT_EQ(nav.ToggleFlip(), 1);
    EXPECT_EQ(nav.SphereUpSign(), -0.1f);
    EXPECT_EQ(nav.Panorama().upSign, -0.1f);
    EXPECT_EQ(nav.FullFrame().upSign, -0.1f);
    EXPECT_EQ(nav.Split().upSign, -0.1f);
    EXPECT_EQ(nav.ToggleFlip(), 0);
    EXPECT_EQ(nav.SphereUpSign(), 0.1f);
    EXPECT_EQ(nav.Split().upSign, 0.1f);
    // Drawing disabled: nothing changes.
    ViewNavigator off = InMode(ModeNone);
    EXPECT_EQ(off.ToggleFlip(), 0);
    EXPECT_EQ(off.Split().upSign, 0.1f);
    EXPECT_EQ(off.Drag(0.1f, 0.1f, 2.0f), 1);
    EXPECT_EQ(off.Split().xOffset, 0.0f);
}

// With the views upside down a drag moves the picture the same way on
// screen, at the same speed, in every mode.
TEST(Flip, FlippedViewsFollowThePointerTheSameWay) {
    for (int mode : {ModeSplit, ModeFullFrame, ModeSphere, ModePanorama}) {
        std::array<float, 2> delta[2];
        for (int flipped = 0; flipped < 2; ++flipped) {
            ViewState state;
            state.panorama.xOffset = -2.0f; // away from the wrap
            ViewNavigator nav;
            nav.Load(state);
            nav.SetMode(mode);
            nav.SetAspect(732, 411);
            if (flipped != 0) {
                nav.ToggleFlip();
            }
            nav.Drag(0.0f, 0.0f, 2.0f);
            nav.EndDrag();
            auto camera = [&] {
                switch (mode) {
                case ModeSplit:
                    return nav.SplitCamera();
                case ModeFullFrame:
                    return nav.FullFrameCamera();
                case ModePanorama:
                    return nav.PanoramaCamera();
                default:
                    return nav.SphereCamera();
                }
            };
            // A point in view near the centre.
            const float px = mode == ModePanorama ? -2.05f : 0.05f;
            const float pz = mode == ModeSphere ? -200.0f : 0.0f;
            const float py = mode == ModeSphere ? 10.0f : 0.04f;
            // Upside down, the point mirrored through the view axis sits
            // where the point sat before.
            const float cx = mode == ModePanorama ? -2.0f : 0.0f;
            const float qx = flipped != 0 ? 2 * cx - px : px;
            const float qy = flipped != 0 ? -py : py;
            const auto before = Screen(camera(), qx, qy, pz);
            nav.Drag(0.004f, 0.003f, 2.0f);
            const auto after = Screen(camera(), qx, qy, pz);
            delta[flipped] = {after[0] - before[0], after[1] - before[1]};
        }
        EXPECT_GT(std::fabs(delta[0][0]), 1e-3) << mode;
        EXPECT_NEAR(delta[0][0], delta[1][0], 1e-4) << mode;
        EXPECT_NEAR(delta[0][1], delta[1][1], 1e-4) << mode;
        // A rightward and downward drag moves the picture right and down.
        EXPECT_GT(delta[0][0], 0.0f) << mode;
        EXPECT_LT(delta[0][1], 0.0f) << mode;
    }
}

TEST(Reset, PerMode) {
    ViewState state;
    state.split.xOffset = 0.3f;
    state.fullFrame.yOffset = -0.2f;
    state.panorama.xOffset = -1.5f;
    state.panorama.yOffset = 0.25f;
    for (int mode : {ModeSplit, ModeFullFrame, ModeSphere, ModePanorama, ModeFlat}) {
        ViewNavigator nav;
        nav.Load(state);
        nav.SetMode(ModeSphere);
        nav.Drag(0.1f, 0.0f, 2.0f);
        nav.EndDrag();
        nav.ToggleFlip();
        nav.SetMode(mode);
        nav.ResetView();
        const bool sphere = mode == ModeSphere;
        EXPECT_EQ(nav.SphereA().current.w == 1.0, sphere) << mode;
        EXPECT_EQ(nav.SphereB().current.w == 1.0, sphere) << mode;
        if (sphere) {
            EXPECT_EQ(nav.SphereA().matrix[0][0], 1.0);
            EXPECT_EQ(nav.SphereA().base.y, 0.0);
        }
        EXPECT_EQ(nav.SphereZoom(), 2.0f) << mode; // zoom kept
        EXPECT_EQ(nav.SphereUpSign(), -0.1f) << mode;
        EXPECT_EQ(nav.Split().xOffset, 0.3f) << mode;
        EXPECT_EQ(nav.FullFrame().yOffset, -0.2f) << mode;
        const bool panorama = mode == ModePanorama;
        EXPECT_EQ(nav.Panorama().xOffset, panorama ? 0.0f : -1.5f) << mode;
        EXPECT_EQ(nav.Panorama().yOffset, panorama ? 0.0f : 0.25f) << mode;
    }
}

TEST(Aspect, SplitReplacesSquareByFourThirdsAndDisabledIgnores) {
    ViewNavigator nav = InMode(ModeSplit);
    nav.SetAspect(500, 500);
    EXPECT_EQ(nav.Aspect(), 1.0f);
    nav.SplitCamera();
    EXPECT_EQ(nav.Split().aspect, 1.3333334f);
    nav.FullFrameCamera();
    EXPECT_EQ(nav.FullFrame().aspect, 1.0f);
    nav.SetAspect(732, 411);
    nav.SplitCamera();
    EXPECT_EQ(nav.Split().aspect, 732.0f / 411.0f);
    nav.SetAspect(100, 0); // no height: kept
    EXPECT_EQ(nav.Aspect(), 732.0f / 411.0f);
    ViewNavigator off = InMode(ModeFlat);
    off.SetAspect(732, 411);
    EXPECT_EQ(off.Aspect(), 1.0f);
    EXPECT_FALSE(off.DrawingEnabled());
}

TEST(State, SurvivesSaveAndLoadExceptTheSphereZoom) {
    ViewNavigator nav = InMode(ModeSphere);
    nav.Drag(0.05f, 0.01f, 3.0f);
    nav.EndDrag();
    nav.ToggleFlip();
    ViewState s;
    s.flatMirror = 1;
    nav.Save(s);
    EXPECT_EQ(s.flatMirror, 1);
    EXPECT_EQ(s.modelMode, ModeSphere);
    EXPECT_EQ(s.sphereUpSign, -0.1f);
    ViewNavigator next;
    next.Load(s);
    EXPECT_EQ(next.SphereA().base.y, nav.SphereA().base.y);
    EXPECT_EQ(next.SphereA().matrix[0][2], nav.SphereA().matrix[0][2]);
    EXPECT_EQ(next.SphereZoom(), 1.0f);
    EXPECT_EQ(next.ModelMode(), ModeSphere);
}

TEST(State, DefaultsOfTheRecord) {
    const ViewState s;
    EXPECT_EQ(s.drawingEnabled, 0);
    EXPECT_EQ(s.aspect, 1.0f);
    EXPECT_EQ(s.modelMode, 2);
    EXPECT_EQ(s.sphereUpSign, 0.1f);
    EXPECT_EQ(s.sphereA.base.w, 1.0);
    EXPECT_EQ(s.sphereA.matrix[0][0], 0.0);
    EXPECT_EQ(s.split.zoom, 1.0f);
    for (const TestDirection& d : s.testDirections) {
        EXPECT_NEAR(std::sqrt(d.x * d.x + d.y * d.y + d.z * d.z), 1.0, 1e-6);
        const double fromY = std::acos(d.y) * 180.0 / kPi;
        EXPECT_TRUE(std::fabs(fromY - 45.0) < 1e-3 || std::fabs(fromY - 30.0) < 1e-3) << fromY;
        EXPECT_EQ(d.w, 0.0f);
    }
    EXPECT_EQ(s.testDirections[0].y, 0.70710677f);
    EXPECT_EQ(s.testDirections[4].y, 0.8660254f);
}

} // namespace
