#include "views/meter_display.h"

#include <algorithm>
#include <cmath>

#include "toolkit/bitmap.h"

namespace {

// The look of every meter line: a needle 2.4 px wide with a rounded tip, anti-aliased.
constexpr double kNeedleWidth = 2.4;      // px
constexpr double kHairlineWidth = 0.6;    // px, the dark spine of the RMS needle
constexpr toolkit::LineCap kNeedleCap = toolkit::LineCap::Round;
// Anti-aliasing spills about a pixel beyond a line's edge.
constexpr double kSmoothingFringe = 1.0;  // px
// A pointer whose tip moves less than this has not visibly moved.
constexpr double kVisibleTipShift = 0.05;  // px

}  // namespace

// ---- CZEBMeter2

CZEBMeter2::CZEBMeter2(const CPoint& topLeft, CControlListener* listener, const meter_scale::MeterGeometry& geometry)
    : CControl(CRect(topLeft, CPoint(geometry.width, geometry.height)), listener, kTag),
      geometry_(geometry),
      ledBitmap_(new CBitmap(kLedBitmapId)),
      needle_(geometry.restingValue),
      hold_(geometry.restingValue) {}

CZEBMeter2::~CZEBMeter2() { ledBitmap_->forget(); }

void CZEBMeter2::setLedState(int state) { ledState_ = std::clamp(state, -1, 1); }

void CZEBMeter2::setLedBitmap(CBitmap* bitmap) {
    if (!bitmap || bitmap == ledBitmap_) return;
    bitmap->remember();
    ledBitmap_->forget();
    ledBitmap_ = bitmap;
}

float CZEBMeter2::pointerValue(Pointer pointer) const { return pointer == Pointer::Hold ? hold_ : needle_; }

bool CZEBMeter2::artworkLoaded() const { return ledBitmap_->isLoaded(); }

double CZEBMeter2::radius(Radius which) const {
    switch (which) {
        case Radius::NeedleStart: return geometry_.needleStart;
        case Radius::NeedleEnd: return geometry_.needleEnd;
        case Radius::TipStart: return geometry_.tipStart;
        case Radius::HoldEnd: return geometry_.holdEnd;
    }
    return 0;
}

double CZEBMeter2::reach(Pointer pointer) const {
    double outer = 0;
    for (const Stroke& stroke : strokes())
        if (stroke.pointer == pointer) outer = std::max({outer, radius(stroke.from), radius(stroke.to)});
    return outer;
}

CPoint CZEBMeter2::pointAt(double angle, double rho) const {
    const meter_scale::Point p = meter_scale::pointAt(geometry_, angle, rho);
    return CPoint(size_.left + p.x, size_.top + p.y);
}

CRect CZEBMeter2::pointerBounds(Pointer pointer, double angle) const {
    CRect area;
    for (const Stroke& stroke : strokes()) {
        if (stroke.pointer != pointer) continue;
        const CPoint a = pointAt(angle, radius(stroke.from));
        const CPoint b = pointAt(angle, radius(stroke.to));
        const double margin = stroke.width / 2 + kSmoothingFringe;
        area.unite(CRect(std::floor(std::min(a.x, b.x) - margin), std::floor(std::min(a.y, b.y) - margin),
                         std::ceil(std::max(a.x, b.x) + margin), std::ceil(std::max(a.y, b.y) + margin)));
    }
    return area.bound(size_);
}

CRect CZEBMeter2::ledRect() const {
    CRect rect(geometry_.ledLeft, geometry_.ledTop, geometry_.ledRight, geometry_.ledBottom);
    return rect.offset(size_.left, size_.top);
}

CZEBMeter2::Picture CZEBMeter2::currentPicture() const {
    Picture picture;
    for (Pointer pointer : {Pointer::Needle, Pointer::Hold, Pointer::Rms}) {
        const double angle = angleOf(pointerValue(pointer));
        // The laws never answer NaN; a subclass that did would park the pointer at rest.
        picture.angle[static_cast<std::size_t>(pointer)] = std::isfinite(angle) ? angle : meter_scale::pi;
    }
    picture.holdShown = holdShown_;
    picture.ledFrame = ledState_ + 1;
    picture.faceFrame = faceFrame();
    return picture;
}

void CZEBMeter2::invalidateChanges() {
    const Picture now = currentPicture();
    if (!shownKnown_ || now.faceFrame != shown_.faceFrame) {
        invalid();
        shown_ = now;
        shownKnown_ = true;
        return;
    }
    if (now.ledFrame != shown_.ledFrame) invalidRect(ledRect());
    for (Pointer pointer : {Pointer::Needle, Pointer::Hold, Pointer::Rms}) {
        const auto i = static_cast<std::size_t>(pointer);
        const bool isHold = pointer == Pointer::Hold;
        const bool wasVisible = !isHold || shown_.holdShown;
        const bool isVisible = !isHold || now.holdShown;
        const bool moved = std::fabs(now.angle[i] - shown_.angle[i]) * reach(pointer) > kVisibleTipShift;
        if (!wasVisible && !isVisible) {
            shown_.angle[i] = now.angle[i];
            continue;
        }
        // Below the visible step the shown angle stays, so a slow creep adds up until it shows.
        if (wasVisible == isVisible && !moved) continue;
        if (wasVisible) invalidRect(pointerBounds(pointer, shown_.angle[i]));
        if (isVisible) invalidRect(pointerBounds(pointer, now.angle[i]));
        shown_.angle[i] = now.angle[i];
    }
    shown_.holdShown = now.holdShown;
    shown_.ledFrame = now.ledFrame;
}

void CZEBMeter2::drawLines(CDrawContext* context, const Picture& picture) {
    context->setLineCap(kNeedleCap);
    for (const Stroke& stroke : strokes()) {
        if (stroke.pointer == Pointer::Hold && !picture.holdShown) continue;
        const double angle = picture.angle[static_cast<std::size_t>(stroke.pointer)];
        context->setLineWidth(stroke.width);
        context->setFrameColor(stroke.colour);
        context->drawLine(pointAt(angle, radius(stroke.from)), pointAt(angle, radius(stroke.to)));
    }
}

void CZEBMeter2::draw(CDrawContext* context) {
    setDirty(false);
    if (!context || !artworkLoaded()) return;
    // The pivot lies below the view: keep every line inside the control's own rectangle.
    CRect clip = context->getClipRect();
    clip.bound(size_);
    if (clip.isEmpty()) return;
    const Picture picture = currentPicture();
    context->saveGlobalState();
    context->setClipRect(clip);
    drawFace(context);
    const double ledOffset = picture.ledFrame * meter_scale::ledFrameSize;
    context->drawBitmap(ledBitmap_, ledRect(), CPoint(0, ledOffset));
    drawLines(context, picture);
    drawOverlay(context);
    context->restoreGlobalState();
    if (clip == size_) {
        shown_ = picture;
        shownKnown_ = true;
    }
}

CMouseEventResult CZEBMeter2::onMouseDown(CPoint&, const CButtonState& buttons) {
    if (!listener_ || !buttons.isLeftButton()) return kMouseEventNotHandled;
    valueChanged();  // the panel turns tag 67 into "clear overs"
    return kMouseEventHandled;
}

// ---- CZEBRMSMeter2

CZEBRMSMeter2::CZEBRMSMeter2(const CPoint& topLeft, CControlListener* listener)
    : CZEBMeter2(topLeft, listener, meter_scale::rmsGeometry), rms_(meter_scale::rmsGeometry.restingValue) {}

std::span<const CZEBMeter2::Stroke> CZEBRMSMeter2::strokes() const {
    static constexpr Stroke lines[] = {
        {Pointer::Rms, Radius::NeedleStart, Radius::NeedleEnd, {140, 118, 108, 255}, kNeedleWidth},
        {Pointer::Rms, Radius::NeedleEnd, Radius::NeedleStart, {0, 0, 0, 255}, kHairlineWidth},
        {Pointer::Needle, Radius::NeedleStart, Radius::NeedleEnd, {237, 230, 201, 255}, kNeedleWidth},
        {Pointer::Needle, Radius::NeedleEnd, Radius::TipStart, {160, 0, 0, 220}, kNeedleWidth},
        {Pointer::Hold, Radius::TipStart, Radius::HoldEnd, {255, 0, 0, 130}, kNeedleWidth},
    };
    return lines;
}

float CZEBRMSMeter2::pointerValue(Pointer pointer) const {
    return pointer == Pointer::Rms ? rms_ : CZEBMeter2::pointerValue(pointer);
}

// ---- CZEBVUMeter2

CZEBVUMeter2::CZEBVUMeter2(const CPoint& topLeft, CControlListener* listener)
    : CZEBMeter2(topLeft, listener, meter_scale::vuGeometry), backlight_(new CBitmap(kBacklightBitmapId)) {}

CZEBVUMeter2::~CZEBVUMeter2() { backlight_->forget(); }

void CZEBVUMeter2::setBacklightLevel(int level) {
    backlightLevel_ = std::clamp(level, 0, meter_scale::vuBacklightLevels - 1);
}

void CZEBVUMeter2::setBacklightBitmap(CBitmap* bitmap) {
    if (!bitmap || bitmap == backlight_) return;
    bitmap->remember();
    backlight_->forget();
    backlight_ = bitmap;
}

std::span<const CZEBMeter2::Stroke> CZEBVUMeter2::strokes() const {
    static constexpr Stroke lines[] = {
        {Pointer::Needle, Radius::NeedleStart, Radius::NeedleEnd, {50, 45, 30, 255}, kNeedleWidth},
        {Pointer::Hold, Radius::TipStart, Radius::HoldEnd, {220, 0, 0, 255}, kNeedleWidth},
    };
    return lines;
}

bool CZEBVUMeter2::artworkLoaded() const { return backlight_->isLoaded() && CZEBMeter2::artworkLoaded(); }

void CZEBVUMeter2::drawFace(CDrawContext* context) {
    context->drawBitmap(backlight_, size_, CPoint(0, backlightLevel_ * getHeight()));
}

void CZEBVUMeter2::drawOverlay(CDrawContext* context) {
    // The face's bottom rows hide the needle's base and pivot.
    const double rows = meter_scale::vuOverlayRows;
    const CRect strip(size_.left, size_.bottom - rows, size_.right, size_.bottom);
    context->drawBitmap(backlight_, strip, CPoint(0, backlightLevel_ * getHeight() + getHeight() - rows));
}

// ---- CZEBPPMMeter2

CZEBPPMMeter2::CZEBPPMMeter2(const CPoint& topLeft, CControlListener* listener)
    : CZEBMeter2(topLeft, listener, meter_scale::ppmGeometry) {}

std::span<const CZEBMeter2::Stroke> CZEBPPMMeter2::strokes() const {
    static constexpr Stroke lines[] = {
        {Pointer::Needle, Radius::NeedleStart, Radius::NeedleEnd, {229, 218, 202, 255}, kNeedleWidth},
        {Pointer::Hold, Radius::TipStart, Radius::HoldEnd, {220, 0, 0, 255}, kNeedleWidth},
    };
    return lines;
}

bool CZEBVUMeter2::coversOpaquely(const CRect& area) const {
    CRect inside = area;
    return isVisible() && getAlphaValue() >= 1.f && artworkLoaded() && backlight_->isOpaque() &&
           inside.bound(size_) == area && !area.isEmpty();
}
