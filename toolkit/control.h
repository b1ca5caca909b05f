#pragma once
// Controls: views with a value in [min, max], a tag and a listener that hears every change.
//
// Threads: setValue() may be called from any thread (hosts set parameters from their
// audio thread); it only stores the value and marks the control dirty.
#include <atomic>
#include <cstdint>

#include "toolkit/view.h"

class CControl;

class CControlListener {
public:
    virtual ~CControlListener() = default;
    virtual void valueChanged(CControl* control) = 0;
    // Brackets a user gesture (a drag, a click) so the host can record it as one edit.
    virtual void controlBeginEdit(CControl*) {}
    virtual void controlEndEdit(CControl*) {}
};

class CControl : public CView {
public:
    CControl(const CRect& size, CControlListener* listener = nullptr, std::int32_t tag = -1,
             CBitmap* background = nullptr);

    // Any thread. NaN is ignored; other values are stored as given (see bounceValue).
    virtual void setValue(float value);
    float getValue() const { return value_.load(std::memory_order_acquire); }
    void setMin(float value) { min_ = value; }
    float getMin() const { return min_; }
    void setMax(float value) { max_ = value; }
    float getMax() const { return max_; }
    float getRange() const { return max_ - min_; }
    void setDefaultValue(float value) { default_ = value; }
    float getDefaultValue() const { return default_; }
    // The value mapped to 0..1 over [min, max].
    float getValueNormalized() const;
    void setValueNormalized(float normalized);
    // Clamps the value into [min, max].
    void bounceValue();

    void setTag(std::int32_t tag) { tag_ = tag; }
    std::int32_t getTag() const { return tag_; }
    void setListener(CControlListener* listener) { listener_ = listener; }
    CControlListener* getListener() const { return listener_; }

    // Tells the listener (GUI thread).
    virtual void valueChanged();
    virtual void beginEdit();
    virtual void endEdit();
    bool isEditing() const { return editDepth_ > 0; }

    // Step per wheel notch for the standard controls.
    void setWheelInc(float increment) { wheelInc_ = increment; }
    float getWheelInc() const { return wheelInc_; }

    // A Control-click sets the default value and tells the listener; answers whether it did.
    bool checkDefaultValue(const CButtonState& buttons);

    TOOLKIT_TYPE_NAME("CControl", CView)

protected:
    // Changes the value from a user gesture: clamps, stores, invalidates and tells the
    // listener when it changed; answers whether it changed.
    bool changeValueByUser(float value);
    // Shared by the dragged controls: a release ends the edit a press began; a wheel step
    // moves the value by `increment` of the range per notch, a tenth of it with Shift.
    CMouseEventResult endDragEdit();
    bool stepByWheel(float distance, const CButtonState& buttons, float increment);

    CControlListener* listener_;
    std::int32_t tag_;
    float min_ = 0;
    float max_ = 1;
    float default_ = 0.5f;
    float wheelInc_ = 0.1f;
    int editDepth_ = 0;  // nesting of beginEdit/endEdit

private:
    std::atomic<float> value_{0};
};
