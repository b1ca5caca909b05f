#pragma once
// The back of a meter, where its ballistics settings are edited. Each control carries the
// parameter index of its setting as its tag; an edit goes from the control to the editor (the
// listener of every control), which hands it to the front panel and then to this panel, and
// this panel sets the effect's parameter, which reaches the meter model and the store of the
// current settings scope. The panel covers the whole window, strips included, and turns back
// on a click that no control takes.
//
// GUI side only (the editor's lock held), like the front panels.
#include <cstdint>
#include <span>

#include "core/editor_effect.h"
#include "model/settings_layout.h"
#include "toolkit/view_container.h"

class CBitmap;
class CControl;
class CControlListener;
class CFrame;
class CMovieBitmap;
class CStepKnob;
class CTextLabel;
class CZEBCalibrationControl;
class CZEBOnOffButton;
class MeterModel;

// The panel's container. It owns an invisible button with tag 65: a click that none of its
// views takes is reported to the listener as a click of that button (the front panel then
// turns the meter back round).
class CZEBBackPanelContainer : public CViewContainer {
public:
    static constexpr std::int32_t kTurnBackTag = 65;

    CZEBBackPanelContainer(const CRect& size, CControlListener* listener);

    CZEBOnOffButton* turnBackButton() const { return turnBackButton_; }
    CMouseEventResult onMouseDown(CPoint& where, const CButtonState& buttons) override;

    TOOLKIT_TYPE_NAME("CZEBBackPanelContainer", CViewContainer)

protected:
    ~CZEBBackPanelContainer() override;

private:
    CControlListener* listener_;       // not owned
    CZEBOnOffButton* turnBackButton_;  // owned, never in the view tree
};

class BackPanel {
public:
    BackPanel(const settings_layout::Panel& layout, CControlListener* editor, EditorEffect* effect);
    virtual ~BackPanel();
    BackPanel(const BackPanel&) = delete;
    BackPanel& operator=(const BackPanel&) = delete;

    // Adds this meter's setting controls to the container the base build made.
    virtual bool build() = 0;
    // Makes the container over `background` with the scope selector and its explanation.
    // False without a frame or a loaded background.
    virtual bool baseBuild(CFrame* frame, CBitmap* background);
    // Takes the panel out of the frame and forgets its views.
    virtual void close();
    // Puts the panel into the frame, on top, and sets every control from the effect.
    virtual void show();
    // Takes the panel out of the frame; its views stay for the next show.
    virtual void hide();
    // A parameter changed: its control and value text follow. The strip switches keep the
    // scope selector's width right and the panel above the strips they bring back.
    virtual void setParameter(std::int32_t index, float value);
    // The user changed a control (after the front panel saw it): a setting goes to the
    // effect and its value text follows at once.
    virtual void valueChanged(CControl* control);

    // Loads the background and runs both builds; false when the panel cannot be made.
    bool open(CFrame* frame);
    bool isShown() const;

    const settings_layout::Panel& layout() const { return layout_; }
    CViewContainer* container() const { return container_; }
    // The control of a setting, and the value text beside it (null when none).
    CControl* control(std::int32_t tag) const;
    CTextLabel* valueText(std::int32_t tag) const;
    CZEBCalibrationControl* scopeSelector() const { return scopeSelector_; }
    CMovieBitmap* scopeExplanation() const { return scopeExplanation_; }
    CTextLabel* versionLabel() const { return versionLabel_; }

protected:
    // Makes the step knob of this meter's class for a layout entry.
    using StepKnobMaker = CStepKnob* (*)(const settings_layout::Control& entry, const CRect& size,
                                         CControlListener* listener, int frames, CBitmap* strip);
    // Builds the layout's controls, the value texts and the version read-out.
    bool buildControls(StepKnobMaker makeStepKnob);

    CControlListener* editor_;  // listener of every control; not owned
    EditorEffect* effect_;      // not owned

private:
    struct Entry {
        const settings_layout::Control* layout = nullptr;
        CControl* control = nullptr;
        CTextLabel* text = nullptr;
    };

    MeterModel* model() const;
    const Entry* entry(std::int32_t tag) const;
    void refreshText(const Entry& e);
    void placeScopeSelector(float strips);
    void raiseAboveStrips();
    float parameter(std::int32_t index) const;

    const settings_layout::Panel& layout_;
    CFrame* frame_ = nullptr;
    // The panel holds one reference to its container, the container the views.
    CZEBBackPanelContainer* container_ = nullptr;
    CZEBCalibrationControl* scopeSelector_ = nullptr;
    CMovieBitmap* scopeExplanation_ = nullptr;
    CTextLabel* versionLabel_ = nullptr;
    Entry entries_[10];
    int entryCount_ = 0;
};
