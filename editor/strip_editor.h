#pragma once
// One variant of a strip below the meter: its container with the strip's background and
// its controls. Shown variants sit in the frame; hidden ones wait outside it and still
// follow parameter changes, so that showing one needs no more than a refresh.
//
// GUI side only (the editor's lock held), like the meter panels.
#include <memory>
#include <span>

#include "controls/hint_control.h"
#include "core/editor_effect.h"
#include "model/editor_size.h"
#include "toolkit/geometry.h"

class CControl;
class CControlListener;
class CFrame;
class CView;
class CViewContainer;

class StripEditor : public CZEBHintControl {
public:
    static constexpr double kWidth = editor_size::kWidth;

    StripEditor(CControlListener* editor, EditorEffect* effect, int backgroundId, int height);
    ~StripEditor() override;
    StripEditor(const StripEditor&) = delete;
    StripEditor& operator=(const StripEditor&) = delete;

    // Makes the container and the controls; nothing when the background is missing.
    bool open(CFrame* frame);
    // Takes the container out of the frame and forgets it with its controls.
    void close();
    // Puts the container into the frame with its top-left corner at `where` and sets every
    // control from the effect.
    void showAt(const CPoint& where);
    void hide();
    bool isShown() const { return shown_; }
    int height() const { return height_; }
    CViewContainer* container() const { return container_; }
    // The line the controls write their hints to (the panel of the same meter).
    void linkHints(CHelpHintLabel* line);

    virtual void setParameter(std::int32_t index, float value) = 0;
    virtual void valueChanged(CControl* control) = 0;
    virtual void setActive(bool active) { (void)active; }
    virtual void idle() {}

protected:
    // Creates the variant's controls in the container (add()).
    virtual void buildControls() = 0;
    // The parameters the controls show, refreshed from the effect when the variant shows.
    virtual std::span<const std::int32_t> shownParameters() const = 0;
    // Adds a view to the container; hint controls get the hint line.
    template <class View>
    View* add(View* view) {
        addView(view, dynamic_cast<CZEBHintControl*>(view));
        return view;
    }
    void addView(CView* view, CZEBHintControl* hinted);

    CControlListener* editor_;  // listener of every control; not owned
    EditorEffect* effect_;      // not owned

private:
    const int backgroundId_;
    const int height_;               // pixels
    CFrame* frame_ = nullptr;
    CViewContainer* container_ = nullptr;  // one reference held while open
    bool shown_ = false;
};

// The six variants of one strip, expanded and collapsed for each meter, and which of them
// shows. The filters strip and the label strip are both of this shape.
class StripSafeEditor {
public:
    virtual ~StripSafeEditor();
    StripSafeEditor(const StripSafeEditor&) = delete;
    StripSafeEditor& operator=(const StripSafeEditor&) = delete;

    // Creates the six variants (collapsed VU, expanded VU, collapsed RMS, expanded RMS,
    // collapsed PPM, expanded PPM) and builds each; none is in the frame yet.
    void open(CFrame* frame);
    void close();
    void showExpanded(const CPoint& where, int meter) { show(where, meter, true); }
    void showCollapsed(const CPoint& where, int meter) { show(where, meter, false); }
    void setParameter(std::int32_t index, float value);
    // Only the shown variant acts on edits.
    void valueChanged(CControl* control);
    void setHintLabels(CHelpHintLabel* vu, CHelpHintLabel* rms, CHelpHintLabel* ppm);
    // "Process" switched: the controls it drives become active or inactive.
    virtual void setProcessActive(bool active) { (void)active; }
    virtual void idle() {}

    bool isCollapsed() const { return collapsed_; }
    int shownMeter() const { return meter_; }
    StripEditor* variant(int meter, bool expanded) const;
    StripEditor* shownVariant() const;

protected:
    StripSafeEditor(CControlListener* editor, EditorEffect* effect) : editor_(editor), effect_(effect) {}
    virtual std::unique_ptr<StripEditor> makeVariant(int meter, bool expanded) = 0;

    CControlListener* editor_;
    EditorEffect* effect_;
    std::unique_ptr<StripEditor> variants_[6];  // meter x 2 + expanded

private:
    void show(const CPoint& where, int meter, bool expanded);

    bool collapsed_ = true;
    int meter_ = -1;
};
