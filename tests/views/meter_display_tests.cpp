// The meter movements, read back by pixel: pointers along the expected rays (at every display
// scale), LED and VU face frames, the base overlay, clipping and partial repaints, what
// invalidateChanges repaints, the clear-overs press and the class names. Pictures of the three movements over their
// panels are saved beside the test program (views_meter_*.png).
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <vector>

#include "model/display_scale.h"
#include "tests/editor/editor_test_support.h"
#include "views/meter_display.h"

using namespace editortest;

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();
enum class Kind { Rms, Vu, Ppm };
const char* nameOf(Kind kind) { return kind == Kind::Rms ? "RMS" : kind == Kind::Vu ? "VU" : "PPM"; }

struct Forget {
    void operator()(CBaseObject* object) const { object->forget(); }
};
using Meter = std::unique_ptr<CZEBMeter2, Forget>;
Meter makeMeter(Kind kind, CPoint topLeft = CPoint(12, 18), CControlListener* listener = nullptr) {
    if (kind == Kind::Rms) return Meter(new CZEBRMSMeter2(topLeft, listener));
    if (kind == Kind::Vu) return Meter(new CZEBVUMeter2(topLeft, listener));
    return Meter(new CZEBPPMMeter2(topLeft, listener));
}
CZEBRMSMeter2& rmsOf(CZEBMeter2& m) { return static_cast<CZEBRMSMeter2&>(m); }
CZEBVUMeter2& vuOf(CZEBMeter2& m) { return static_cast<CZEBVUMeter2&>(m); }

enum class Set { Needle, Rms, NeedleAndRms, Hold, HiddenHold };
void set(CZEBMeter2& m, Set what, float value) {
    if (what == Set::Needle || what == Set::NeedleAndRms) m.setNeedleValue(value);
    if (what == Set::Rms || what == Set::NeedleAndRms) rmsOf(m).setRmsValue(value);
    if (what == Set::Hold || what == Set::HiddenHold) m.setHoldValue(value);
    m.setHoldShown(what == Set::Hold);
}
// Every pointer at the stop farther from `degrees` (the left stop is near 145..150).
void parkAwayFrom(CZEBMeter2& m, Kind kind, double degrees) {
    const bool left = degrees < 90;
    const float value = kind == Kind::Rms ? (left ? 0.0001f : 4.f) : kind == Kind::Vu ? (left ? -5.f : 5.f)
                                                                                       : (left ? 1.f / 16 : 32.f);
    for (Set what : {Set::Needle, Set::HiddenHold}) set(m, what, value);
    if (kind == Kind::Rms) rmsOf(m).setRmsValue(value);
}

// ---- Rendering straight into a context on black, and reading pixels back

using Image = std::unique_ptr<toolkit::IOffscreenSurface>;
constexpr int kCanvasWidth = 280, kCanvasHeight = 190;  // px; holds the pivots below the views

// At a display scale the canvas has the device pixels of the same logical area.
Image blank(double scale = 1) {
    Image image = toolkit::createOffscreen(display_scale::edge(kCanvasWidth, scale),
                                           display_scale::edge(kCanvasHeight, scale));
    if (image) image->clear(kBlack);
    return image;
}
Image drawn(CZEBMeter2& meter, const CRect* clip = nullptr, double scale = 1) {
    Image image = blank(scale);
    CDrawContext context(image->surface(), scale);
    if (clip) context.setClipRect(*clip);
    meter.draw(&context);
    return image;
}
// The artwork alone: `bitmapId` from `source` copied into `dest` over `base`.
Image withArtwork(Image base, int bitmapId, const CRect& dest, CPoint source) {
    auto* bitmap = new CBitmap(bitmapId);
    EXPECT_TRUE(bitmap->isLoaded()) << bitmapId;
    CDrawContext(base->surface()).drawBitmap(bitmap, dest, source);
    bitmap->forget();
    return base;
}
Image vuFace(const CZEBMeter2& m, int level) {
    return withArtwork(blank(), CZEBVUMeter2::kBacklightBitmapId, m.getViewSize(), CPoint(0, level * m.getHeight()));
}

int distance(CColor a, CColor b) {
    return std::max({std::abs(a.red - b.red), std::abs(a.green - b.green), std::abs(a.blue - b.blue),
                     std::abs(a.alpha - b.alpha)});
}
// Device pixels at `scale` of the point on the ray.
CPoint onRay(const CZEBMeter2& m, double degrees, double radius, double scale = 1) {
    const meter_scale::Point p = meter_scale::pointAt(m.geometry(), meter_scale::radians(degrees), radius);
    return CPoint((m.getViewSize().left + p.x) * scale, (m.getViewSize().top + p.y) * scale);
}
// Smallest `measure` over the pixels up to `reach` away from `p` (3 x 3 for a reach of 1).
template <class Measure>
int leastAround(CPoint p, Measure measure, int reach = 1) {
    int least = std::numeric_limits<int>::max();
    for (int dy = -reach; dy <= reach; ++dy)
        for (int dx = -reach; dx <= reach; ++dx)
            least = std::min(least, measure(int(std::floor(p.x)) + dx, int(std::floor(p.y)) + dy));
    return least;
}
// Within a logical pixel of `p` at display scale `scale`.
template <class Surface>  // anything pointing to an off-screen image
int closestTo(const Surface& image, CPoint p, CColor colour, double scale = 1) {
    return leastAround(p, [&](int x, int y) { return distance(image->pixel(x, y), colour); },
                       static_cast<int>(std::lround(scale)));
}
// Pixels of `rect` where two images differ by more than `tolerance`.
int differing(const Image& a, const Image& b, const CRect& rect, int tolerance = 0) {
    int count = 0;
    for (int y = int(rect.top); y < int(rect.bottom); ++y)
        for (int x = int(rect.left); x < int(rect.right); ++x) count += distance(a->pixel(x, y), b->pixel(x, y)) > tolerance;
    return count;
}
int drawnOutside(const Image& image, const CRect& keep) {
    int count = 0;
    for (int y = 0; y < kCanvasHeight; ++y)
        for (int x = 0; x < kCanvasWidth; ++x)
            count += !keep.pointInside(CPoint(x, y)) && distance(image->pixel(x, y), kBlack) != 0;
    return count;
}
CRect ledRectOf(const CZEBMeter2& m) {
    const meter_scale::MeterGeometry& g = m.geometry();
    return CRect(g.ledLeft, g.ledTop, g.ledRight, g.ledBottom).offset(m.getViewSize().left, m.getViewSize().top);
}

constexpr int kTolerance = 12;  // anti-aliasing differs a little between back ends

// ---- Pointers

struct PointerCase {
    Kind kind;
    Set what;
    float value;
    double degrees;  // where it must point
    double radius;   // px from the pivot, where it is looked for
    CColor colour;   // of a fully covered pixel there
    int tolerance;
    const char* why;
};

constexpr CColor kRmsNeedle{237, 230, 201, 255}, kVuNeedle{50, 45, 30, 255}, kPpmNeedle{229, 218, 202, 255};
constexpr CColor kMarker{220, 0, 0, 255};
const PointerCase kPointers[] = {
    {Kind::Rms, Set::Needle, 1.f, 51.89, 100, kRmsNeedle, kTolerance, "reference level"},
    {Kind::Rms, Set::Needle, 0.0001f, 145, 100, kRmsNeedle, kTolerance, "-80 dB at the left limit"},
    {Kind::Rms, Set::Needle, 0.1f, 94.98, 100, kRmsNeedle, kTolerance, "-20 dB"},
    {Kind::Rms, Set::Needle, 1e9f, 34, 100, kRmsNeedle, kTolerance, "huge: the right limit"},
    {Kind::Rms, Set::Needle, kNaN, 145, 100, kRmsNeedle, kTolerance, "NaN reads as silence"},
    {Kind::Rms, Set::Needle, 1.f, 51.89, 112, {171, 32, 28, 255}, 20, "red tip beyond the tip radius"},
    {Kind::Rms, Set::Rms, 0.1f, 94.98, 100, {140, 118, 108, 255}, 30, "RMS needle, dark spine"},
    {Kind::Rms, Set::NeedleAndRms, 0.5f, 64.86, 100, kRmsNeedle, kTolerance, "main needle over the RMS needle"},
    {Kind::Rms, Set::Hold, 0.5f, 64.86, 111.5, {130, 0, 0, 255}, kTolerance, "hold marker"},
    {Kind::Ppm, Set::Needle, 1.f / 16, 150, 100, kPpmNeedle, kTolerance, "-24 dB: horizontal, limited"},
    {Kind::Ppm, Set::Needle, 1.f, 89.69, 100, kPpmNeedle, kTolerance, "reference level"},
    {Kind::Ppm, Set::Needle, -3.f, 150, 100, kPpmNeedle, kTolerance, "negative reads as silence"},
    {Kind::Ppm, Set::Hold, 1.f, 89.69, 114.5, kMarker, kTolerance, "hold marker"},
    {Kind::Vu, Set::Needle, -0.05f, 139.66, 100, kVuNeedle, kTolerance, "resting, just left of 136.5"},
    {Kind::Vu, Set::Needle, 1.f, 77.75, 100, kVuNeedle, kTolerance, "0 VU"},
    {Kind::Vu, Set::Needle, 5.f, 30, 100, kVuNeedle, kTolerance, "overload: right peg"},
    {Kind::Vu, Set::Needle, kNaN, 136.5, 100, kVuNeedle, kTolerance, "NaN reads as zero"},
    {Kind::Vu, Set::Hold, 1.f, 77.75, 127.5, kMarker, kTolerance, "hold marker"},
};

// The same laws at every display scale: the geometry scales, the angles stay.
TEST(MeterPointers, DrawnAlongTheLawsRayAndNowhereElse) {
    for (double scale : {1.0, 1.5, 2.0, 3.0})
        for (const PointerCase& c : kPointers) {
            SCOPED_TRACE(std::string(nameOf(c.kind)) + ": " + c.why + " at scale " + std::to_string(scale));
            Meter meter = makeMeter(c.kind), parked = makeMeter(c.kind);
            parkAwayFrom(*meter, c.kind, c.degrees);
            parkAwayFrom(*parked, c.kind, c.degrees);
            set(*meter, c.what, c.value);
            Image shown = drawn(*meter, nullptr, scale), without = drawn(*parked, nullptr, scale);
            EXPECT_LE(closestTo(shown, onRay(*meter, c.degrees, c.radius, scale), c.colour, scale), c.tolerance);
            for (double off : {-4.0, 4.0})
                EXPECT_EQ(differing(shown, without,
                                    CRect(onRay(*meter, c.degrees + off, c.radius, scale), CPoint(1, 1))), 0)
                    << off << " degrees off";
            if (c.what != Set::Hold) continue;
            // The marker is only the outer segment, and only while shown.
            const CPoint inside = onRay(*meter, c.degrees, meter->geometry().tipStart - 8, scale);
            EXPECT_EQ(differing(shown, without, CRect(inside, CPoint(1, 1))), 0);
            set(*meter, Set::HiddenHold, c.value);
            CRect view = meter->getViewSize();
            const CRect deviceView(view.left * scale, view.top * scale, view.right * scale, view.bottom * scale);
            EXPECT_EQ(differing(drawn(*meter, nullptr, scale), without, deviceView), 0) << "hidden marker drawn";
        }
}

// ---- Bitmap frames: LED, VU face and its base overlay

TEST(MeterFrames, LedStatesShowTheirFramesOfTheStrip) {
    const int states[][2] = {{-1, 0}, {0, 1}, {1, 2}, {7, 2}, {-9, 0}};  // state, frame
    for (Kind kind : {Kind::Rms, Kind::Vu, Kind::Ppm}) {
        Meter meter = makeMeter(kind);
        const CRect led = ledRectOf(*meter);
        std::vector<CColor> centres;
        for (const auto& s : states) {
            SCOPED_TRACE(std::string(nameOf(kind)) + " state " + std::to_string(s[0]));
            meter->setLedState(s[0]);
            EXPECT_EQ(meter->getLedState(), s[1] - 1);
            Image picture = drawn(*meter);
            Image expected = withArtwork(kind == Kind::Vu ? vuFace(*meter, 0) : blank(), CZEBMeter2::kLedBitmapId,
                                         led, CPoint(0, s[1] * meter_scale::ledFrameSize));
            EXPECT_EQ(differing(picture, expected, led, 2), 0);
            centres.push_back(picture->pixel(int(led.getCenter().x), int(led.getCenter().y)));
        }
        // The frames differ, or the comparison would prove nothing.
        EXPECT_GT(std::min({distance(centres[0], centres[1]), distance(centres[1], centres[2]),
                            distance(centres[0], centres[2])}), 20);
    }
}

TEST(MeterFrames, BacklightPicksTheFaceWhoseBottomRowsHideTheNeedleBase) {
    Meter meter = makeMeter(Kind::Vu);
    meter->setNeedleValue(5.f);  // right peg: the needle crosses the bottom rows near x 186
    const CRect& view = meter->getViewSize();
    const CRect upperLeft(view.left, view.top, view.left + 120, view.top + 80);
    const CRect base(view.left, view.bottom - meter_scale::vuOverlayRows, view.right, view.bottom);
    const int levels[][2] = {{0, 0}, {1, 1}, {2, 2}, {3, 3}, {4, 4}, {-3, 0}, {9, 4}};  // level, frame
    int previousBrightness = -1;
    for (const auto& l : levels) {
        SCOPED_TRACE("level " + std::to_string(l[0]));
        vuOf(*meter).setBacklightLevel(l[0]);
        EXPECT_EQ(vuOf(*meter).getBacklightLevel(), l[1]);
        Image picture = drawn(*meter), face = vuFace(*meter, l[1]);
        EXPECT_EQ(differing(picture, face, upperLeft, 1), 0);
        EXPECT_EQ(differing(picture, face, base, 1), 0) << "needle base shows";
        EXPECT_LE(closestTo(picture, onRay(*meter, 30, 2 * (meter->geometry().pivotY + 0.5 - view.height() + 9)),
                            kVuNeedle), kTolerance) << "the needle reaches down to the overlay";
        const CColor c = face->pixel(int(view.left) + 30, int(view.top) + 30);
        if (l[0] == l[1] && l[0] > 0) {
            EXPECT_GT(c.red + c.green + c.blue, previousBrightness + 10) << "frames alike";
        }
        previousBrightness = c.red + c.green + c.blue;
    }
}

// ---- Clipping, partial repaints, missing artwork

void showEverything(CZEBMeter2& meter) {
    meter.setNeedleValue(0.f);
    meter.setHoldValue(32.f);
    meter.setHoldShown(true);
    meter.setLedState(1);
    if (auto* rms = dynamic_cast<CZEBRMSMeter2*>(&meter)) rms->setRmsValue(0.1f);
}

// Where a clip edge cuts sideways through a needle, the rasteriser splits its outline there
// and rounds the pieces a little differently (a few of 255 levels with cairo). The repaints a
// meter schedules itself never cut a needle sideways and match exactly (see below).
constexpr int kClipEdgeRounding = 4;

TEST(MeterClipping, NothingOutsideTheViewOrClipAndPartsMatchTheWhole) {
    for (Kind kind : {Kind::Rms, Kind::Vu, Kind::Ppm}) {
        SCOPED_TRACE(nameOf(kind));
        Meter meter = makeMeter(kind);
        showEverything(*meter);
        const CRect view = meter->getViewSize();
        Image whole = drawn(*meter);  // the context's clip is the whole canvas
        EXPECT_EQ(drawnOutside(whole, view), 0) << "drawn beyond the view (the pivot lies below it)";
        const CRect parts[] = {CRect(32, 58, 102, 118), CRect(212, 28, 237, 48), CRect(12, 130, 152, 170),
                               CRect(135, 18, 143, 23)};  // a needle, half the LED, the base, a sliver
        for (const CRect& part : parts) {
            Image piece = drawn(*meter, &part);
            CRect inside = part;
            inside.bound(view);
            EXPECT_EQ(differing(piece, whole, inside, kClipEdgeRounding), 0) << "part repainted differently";
            EXPECT_EQ(drawnOutside(piece, inside), 0) << "drawn outside the clip";
        }
    }
}

// Swaps in bitmaps that did not load.
struct BareVu : CZEBVUMeter2 {
    using CZEBVUMeter2::CZEBVUMeter2;
    void drop(bool led) {
        auto* missing = new CBitmap(nullptr);
        led ? setLedBitmap(missing) : setBacklightBitmap(missing);
        missing->forget();
    }
};

TEST(MeterClipping, WithoutItsBitmapsAMeterDrawsNothing) {
    for (bool led : {true, false}) {
        std::unique_ptr<BareVu, Forget> meter(new BareVu(CPoint(12, 18), nullptr));
        showEverything(*meter);
        EXPECT_GT(drawnOutside(drawn(*meter), CRect()), 1000);
        meter->drop(led);
        EXPECT_EQ(drawnOutside(drawn(*meter), CRect()), 0) << (led ? "LED" : "face") << " missing";
    }
}

// ---- Repaints scheduled by invalidateChanges, through a frame's idle

struct MeterFrame {
    OffscreenFrame f{280, 150};
    CZEBMeter2* meter;
    explicit MeterFrame(Kind kind) : meter(makeMeter(kind, CPoint(14, 9)).release()) { f.frame->addView(meter); }
    const toolkit::OffscreenWindow& window() const { return *f.frame->getOffscreenWindow(); }
    int tick() {  // answers the number of paints made
        const int before = window().paintCount();
        meter->invalidateChanges();
        f.frame->idle();
        return window().paintCount() - before;
    }
    std::vector<CColor> pixels() const {
        std::vector<CColor> all;
        for (int y = 0; y < 150; ++y)
            for (int x = 0; x < 280; ++x) all.push_back(f.pixel(x, y));
        return all;
    }
    // Pixels where the picture painted so far differs by more than `tolerance` from a full repaint.
    int staleAfterFullRepaint(int tolerance) {
        const std::vector<CColor> incremental = pixels();
        f.frame->invalid();
        f.frame->idle();
        const std::vector<CColor> full = pixels();
        int stale = 0;
        for (std::size_t i = 0; i < full.size(); ++i) stale += distance(incremental[i], full[i]) > tolerance;
        return stale;
    }
};

struct ChangeCase {
    Kind kind;
    const char* what;
    void (*before)(CZEBMeter2&);
    void (*change)(CZEBMeter2&);
    double maxShare;  // of the view's area that may be repainted; 0: nothing
};

const ChangeCase kChanges[] = {
    {Kind::Rms, "needle near vertical", [](CZEBMeter2& m) { m.setNeedleValue(0.12f); },
     [](CZEBMeter2& m) { m.setNeedleValue(0.115f); }, 0.1},
    {Kind::Rms, "needle across the scale", [](CZEBMeter2& m) { m.setNeedleValue(0.0001f); },
     [](CZEBMeter2& m) { m.setNeedleValue(2.f); }, 1.0},
    {Kind::Rms, "RMS needle", [](CZEBMeter2& m) { rmsOf(m).setRmsValue(0.1f); },
     [](CZEBMeter2& m) { rmsOf(m).setRmsValue(0.11f); }, 0.1},
    {Kind::Rms, "needle by thousandths of a pixel", [](CZEBMeter2& m) { m.setNeedleValue(1.f); },
     [](CZEBMeter2& m) { m.setNeedleValue(1.00005f); }, 0},
    {Kind::Rms, "hold marker appears", [](CZEBMeter2& m) { m.setHoldValue(0.5f); },
     [](CZEBMeter2& m) { m.setHoldShown(true); }, 0.05},
    {Kind::Ppm, "hold marker goes", [](CZEBMeter2& m) { set(m, Set::Hold, 1.f); },
     [](CZEBMeter2& m) { m.setHoldShown(false); }, 0.05},
    {Kind::Ppm, "hidden hold marker moves", [](CZEBMeter2& m) { m.setHoldValue(1.f); },
     [](CZEBMeter2& m) { m.setHoldValue(4.f); }, 0},
    {Kind::Ppm, "over LED lights", [](CZEBMeter2&) {}, [](CZEBMeter2& m) { m.setLedState(1); }, 0.014},
    {Kind::Ppm, "LED set to what it shows", [](CZEBMeter2& m) { m.setLedState(1); },
     [](CZEBMeter2& m) { m.setLedState(1); }, 0},
    {Kind::Vu, "needle a little down", [](CZEBMeter2& m) { m.setNeedleValue(0.5f); },
     [](CZEBMeter2& m) { m.setNeedleValue(0.48f); }, 0.3},
    {Kind::Vu, "backlight level", [](CZEBMeter2&) {}, [](CZEBMeter2& m) { vuOf(m).setBacklightLevel(3); }, 1.0},
    {Kind::Vu, "NaN needle", [](CZEBMeter2& m) { m.setNeedleValue(1.f); },
     [](CZEBMeter2& m) { m.setNeedleValue(kNaN); }, 1.0},
};

TEST(MeterInvalidation, RepaintsJustWhatChangedAndLeavesNoStalePixels) {
    for (const ChangeCase& c : kChanges) {
        SCOPED_TRACE(std::string(nameOf(c.kind)) + ": " + c.what);
        MeterFrame mf(c.kind);
        c.before(*mf.meter);
        mf.tick();
        c.change(*mf.meter);
        ASSERT_EQ(mf.tick(), c.maxShare > 0 ? 1 : 0);
        if (c.maxShare == 0) continue;
        double area = 0;
        for (const CRect& rect : mf.window().lastPaintedRects()) {
            CRect inView = rect;
            EXPECT_EQ(inView.bound(mf.meter->getViewSize()), rect) << "repaint reaches beyond the view";
            area += rect.width() * rect.height();
        }
        EXPECT_LE(area, c.maxShare * mf.meter->getWidth() * mf.meter->getHeight());
        EXPECT_EQ(mf.staleAfterFullRepaint(0), 0) << "stale pixels left by the partial repaint";
    }
}

TEST(MeterInvalidation, ACreepingNeedleIsRepaintedOnceItHasMovedVisibly) {
    MeterFrame mf(Kind::Ppm);
    mf.meter->setNeedleValue(1.f);
    mf.tick();
    int paints = 0;
    const int steps = 200;  // 0.0025 dB each: the tip moves about a hundredth of a pixel
    for (int i = 1; i <= steps; ++i) {
        mf.meter->setNeedleValue(static_cast<float>(meter_scale::valueFromDb(0.0025 * i)));
        paints += mf.tick();
    }
    EXPECT_GT(paints, 0) << "the creep never showed";
    EXPECT_LT(paints, steps / 2) << "invisible steps repainted";
    // The needle shown lags by less than a visible step: none of its pixels changes much where
    // it is anti-aliased, a few edge pixels flip where lines are not (Wine's Direct2D). A lag
    // of a whole pixel would change some 200.
    EXPECT_LE(mf.staleAfterFullRepaint(24), 8) << "the needle shown lags behind";
}

// ---- Press, names, fresh state

TEST(MeterControl, LeftPressAsksTheListenerToClearOvers) {
    struct { CButtonState buttons; bool withListener; bool handled; } const presses[] = {
        {kLeftClick, true, true},   {kLeftShift, true, true},          {kLeftDouble, true, true},
        {kRightClick, true, false}, {CButtonState(kMButton), true, false}, {kLeftClick, false, false}};
    for (Kind kind : {Kind::Rms, Kind::Vu, Kind::Ppm})
        for (const auto& p : presses) {
            SCOPED_TRACE(std::string(nameOf(kind)) + " buttons " + std::to_string(p.buttons.getButtonState()));
            RecordingListener listener;
            Meter meter = makeMeter(kind, CPoint(12, 18), p.withListener ? &listener : nullptr);
            CPoint where = meter->getViewSize().getCenter();
            EXPECT_EQ(meter->onMouseDown(where, p.buttons) == kMouseEventHandled, p.handled);
            EXPECT_EQ(listener.tags, p.handled ? std::vector<std::int32_t>{67} : std::vector<std::int32_t>{});
        }
}

TEST(MeterControl, NamesAndFreshState) {
    struct { Kind kind; const char* own; const char* other; double height; float rest; } const meters[] = {
        {Kind::Rms, "CZEBRMSMeter2", "CZEBVUMeter2", 116, 0.000001f},
        {Kind::Vu, "CZEBVUMeter2", "CZEBPPMMeter2", 122, -0.05f},
        {Kind::Ppm, "CZEBPPMMeter2", "CZEBRMSMeter2", 116, 0.000001f}};
    for (const auto& m : meters) {
        SCOPED_TRACE(m.own);
        Meter meter = makeMeter(m.kind, CPoint(277, 18));
        for (const char* yes : {m.own, "CControl", "CView", "CBaseObject"}) EXPECT_TRUE(meter->isTypeOf(yes)) << yes;
        for (const char* no : {m.other, "CViewContainer", "", static_cast<const char*>(nullptr)})
            EXPECT_FALSE(meter->isTypeOf(no)) << (no ? no : "null");
        EXPECT_EQ(meter->getViewSize(), CRect(277, 18, 277 + 250, 18 + m.height));
        EXPECT_EQ(meter->getTag(), 67);
        EXPECT_EQ(meter->getNeedleValue(), m.rest);
        EXPECT_EQ(meter->getHoldValue(), m.rest);
        if (m.kind == Kind::Rms) {
            EXPECT_EQ(rmsOf(*meter).getRmsValue(), m.rest);
        }
        EXPECT_EQ(meter->getLedState(), -1);
        EXPECT_FALSE(meter->isHoldShown());
    }
}

// ---- Pictures for the eye: both channels over their front panels

TEST(MeterPictures, BothChannelsOverTheirPanels) {
    struct { Kind kind; int panelId; const char* file; float left, right, rms, hold; int led, backlight; } const
        pictures[] = {{Kind::Rms, 41001, "views_meter_rms.png", 1.f, 0.5f, 0.25f, 1.41f, 0, 0},
                      {Kind::Rms, 41001, "views_meter_rms_rest.png", 1e-6f, 1e-6f, 1e-6f, 0, -1, 0},
                      {Kind::Vu, 10000, "views_meter_vu.png", 1.f, 0.5f, 0, 1.41f, 1, 2},
                      {Kind::Vu, 10000, "views_meter_vu_rest.png", -0.05f, -0.05f, 0, 0, -1, 4},
                      {Kind::Ppm, 42001, "views_meter_ppm.png", 1.f, 0.25f, 0, 2.51f, 1, 0},
                      {Kind::Ppm, 42001, "views_meter_ppm_rest.png", 1e-6f, 1e-6f, 0, 0, -1, 0}};
    for (const auto& p : pictures) {
        SCOPED_TRACE(p.file);
        OffscreenFrame f{586, 169};
        auto* panel = new CBitmap(p.panelId);
        f.frame->setBackground(panel);
        panel->forget();
        CZEBMeter2* channels[2];
        for (int ch = 0; ch < 2; ++ch) {
            CZEBMeter2* m = channels[ch] =
                makeMeter(p.kind, CPoint(ch ? meter_scale::rightMeterX : meter_scale::leftMeterX, meter_scale::meterY))
                    .release();
            m->setNeedleValue(ch ? p.right : p.left);
            set(*m, p.hold > 0 ? Set::Hold : Set::HiddenHold, p.hold);
            m->setLedState(ch ? -1 : p.led);
            if (p.kind == Kind::Rms) rmsOf(*m).setRmsValue(p.rms);
            if (p.kind == Kind::Vu) vuOf(*m).setBacklightLevel(p.backlight);
            f.frame->addView(m);
        }
        f.renderedPixel(0, 0);
        ASSERT_TRUE(f.frame->getOffscreenWindow()->image()->savePng(p.file));
        const double degrees = p.kind == Kind::Rms ? 51.89 : p.kind == Kind::Vu ? 77.75 : 89.69;
        const CColor needle = p.kind == Kind::Rms ? kRmsNeedle : p.kind == Kind::Vu ? kVuNeedle : kPpmNeedle;
        if (p.left == 1.f) {
            EXPECT_LE(closestTo(f.frame->getOffscreenWindow()->image(), onRay(*channels[0], degrees, 100), needle),
                      kTolerance) << "the needle at the reference level, on the panel";
        }
    }
}

}  // namespace
