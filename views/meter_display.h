#pragma once
// The analogue meter movements: needle(s), hold marker and over LED drawn over the meter
// face, one control per channel. The panel writes display values into the control on every
// timer tick and calls invalidateChanges(); the control maps values to needle angles
// (model/meter_scale.h, the laws the faces are printed with) and draws. A left press asks
// the panel to clear the overs.
#include <array>
#include <cstdint>
#include <span>

#include "controls/type_names.h"
#include "model/meter_scale.h"
#include "toolkit/control.h"

class CBitmap;

class CZEBMeter2 : public CControl {
public:
    static constexpr std::int32_t kTag = 67;  // the effect's clear-overs command
    static constexpr int kLedBitmapId = 40008;

    // `topLeft` in the parent's coordinates; the view is as large as the geometry says.
    CZEBMeter2(const CPoint& topLeft, CControlListener* listener, const meter_scale::MeterGeometry& geometry);
    ~CZEBMeter2() override;

    // Plain setters (GUI thread); linear display values, 1.0 = the meter's reference level.
    // Nothing is repainted until invalidateChanges().
    void setNeedleValue(float value) { needle_ = value; }
    float getNeedleValue() const { return needle_; }
    void setHoldValue(float value) { hold_ = value; }
    float getHoldValue() const { return hold_; }
    // 1 over now, 0 over since the last clear, -1 none; other values are taken as the
    // nearest of these.
    void setLedState(int state);
    int getLedState() const { return ledState_; }
    void setHoldShown(bool shown) { holdShown_ = shown; }
    bool isHoldShown() const { return holdShown_; }

    // Schedules a repaint of what differs on screen from what the control would draw now:
    // the areas of the pointers that moved by a visible amount (where they were and where
    // they go), the LED when its frame changed, everything when the face changed.
    void invalidateChanges();

    // Needle angle (radians, counter-clockwise from the right-hand horizontal) of a value.
    virtual double angleOf(double value) const = 0;

    void draw(CDrawContext* context) override;
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    const meter_scale::MeterGeometry& geometry() const { return geometry_; }

    ZEB_CONTROL_TYPE_NAME("CZEBMeter2")

protected:
    // What a line is drawn for, and between which of the geometry's radii.
    enum class Pointer : std::uint8_t { Needle, Hold, Rms };
    enum class Radius : std::uint8_t { NeedleStart, NeedleEnd, TipStart, HoldEnd };
    struct Stroke {
        Pointer pointer;
        Radius from;
        Radius to;
        CColor colour;
        double width;  // px
    };

    // The lines of this meter in drawing order; hold strokes only while the marker is shown.
    virtual std::span<const Stroke> strokes() const = 0;
    // Display value a pointer shows.
    virtual float pointerValue(Pointer pointer) const;
    // Whether every bitmap the meter draws with has loaded; without them it draws nothing.
    virtual bool artworkLoaded() const;
    // Frame of the face drawn under the lines (changes repaint the whole view).
    virtual int faceFrame() const { return 0; }
    virtual void drawFace(CDrawContext*) {}
    virtual void drawOverlay(CDrawContext*) {}

    // Replaces the LED strip (the control holds one reference).
    void setLedBitmap(CBitmap* bitmap);

private:
    static constexpr std::size_t kPointers = 3;

    // What the screen shows: enough to tell whether a repaint is needed.
    struct Picture {
        std::array<double, kPointers> angle{};  // radians, per Pointer
        bool holdShown = false;
        int ledFrame = 0;   // 0 none, 1 over since clear, 2 over now
        int faceFrame = 0;
    };

    Picture currentPicture() const;
    double radius(Radius radius) const;
    // Outermost radius a pointer's lines reach, 0 when the meter has no lines for it, px.
    double reach(Pointer pointer) const;
    // Area the lines of `pointer` cover at `angle`, parent coordinates, whole pixels.
    CRect pointerBounds(Pointer pointer, double angle) const;
    CRect ledRect() const;
    CPoint pointAt(double angle, double radius) const;
    void drawLines(CDrawContext* context, const Picture& picture);

    meter_scale::MeterGeometry geometry_;
    CBitmap* ledBitmap_;          // one reference held
    float needle_;                // display value, 1.0 = reference level
    float hold_;                  // display value
    int ledState_ = -1;           // 1 over now, 0 over since clear, -1 none
    bool holdShown_ = false;
    Picture shown_;               // last drawn or scheduled for repainting
    bool shownKnown_ = false;     // false until the first full draw or invalidation
};

// RMS movement: the peak-reading needle with a red tip over a dimmer needle for the RMS
// average.
class CZEBRMSMeter2 : public CZEBMeter2 {
public:
    CZEBRMSMeter2(const CPoint& topLeft, CControlListener* listener);

    void setRmsValue(float value) { rms_ = value; }
    float getRmsValue() const { return rms_; }

    double angleOf(double value) const override { return meter_scale::rmsAngle(value); }
    ZEB_CONTROL_TYPE_NAME("CZEBRMSMeter2")

protected:
    std::span<const Stroke> strokes() const override;
    float pointerValue(Pointer pointer) const override;

private:
    float rms_;  // display value of the RMS needle
};

// VU movement on a backlit scale: the face frame follows the backlight level, and the
// frame's bottom rows are drawn again over the needle so that its base disappears.
class CZEBVUMeter2 : public CZEBMeter2 {
public:
    static constexpr int kBacklightBitmapId = 40007;

    CZEBVUMeter2(const CPoint& topLeft, CControlListener* listener);
    ~CZEBVUMeter2() override;

    // 0 (dim) ... 4 (brightest), clamped.
    void setBacklightLevel(int level);
    int getBacklightLevel() const { return backlightLevel_; }

    double angleOf(double value) const override { return meter_scale::vuAngle(value); }
    // The face covers the whole movement: the panel behind it need not be drawn.
    bool coversOpaquely(const CRect& area) const override;
    ZEB_CONTROL_TYPE_NAME("CZEBVUMeter2")

protected:
    std::span<const Stroke> strokes() const override;
    bool artworkLoaded() const override;
    int faceFrame() const override { return backlightLevel_; }
    void drawFace(CDrawContext* context) override;
    void drawOverlay(CDrawContext* context) override;
    // Replaces the face strip (the control holds one reference).
    void setBacklightBitmap(CBitmap* bitmap);

private:
    CBitmap* backlight_;      // one reference held; five faces stacked
    int backlightLevel_ = 0;  // 0 ... 4
};

// PPM movement: one needle, 3.75 degrees per dB.
class CZEBPPMMeter2 : public CZEBMeter2 {
public:
    CZEBPPMMeter2(const CPoint& topLeft, CControlListener* listener);

    double angleOf(double value) const override { return meter_scale::ppmAngle(value); }
    ZEB_CONTROL_TYPE_NAME("CZEBPPMMeter2")

protected:
    std::span<const Stroke> strokes() const override;
};
