#pragma once
// The label strip: the instance's free text label (a track name, saved with the project),
// the display delay and the strip's open/close button. Expanded it is 39 pixels high;
// collapsed (13) it keeps the button and a caption.
#include <cstdint>

#include "editor/strip_editor.h"

class CMovieBitmap;
class COnOffButtonH;
class CZEBLatencyControl;
class CZEBTapeLabel;

class StripLabelEditor : public StripEditor {
public:
    static constexpr int kExpandedHeight = 39;
    static constexpr int kCollapsedHeight = 13;
    static constexpr std::size_t kMaxLabelBytes = 38;  // what the label keeps of a typed text
    static constexpr int kAnimationSteps = 95;
    static constexpr std::uint64_t kAnimationStepMs = 30;

    StripLabelEditor(CControlListener* editor, EditorEffect* effect, int meter, bool expanded);

    void setParameter(std::int32_t index, float value) override;
    void valueChanged(CControl* control) override;
    // While the label is edited, moves the tape along it, a step every 30 ms.
    void idle() override;

    CZEBTapeLabel* label() const { return label_; }
    CZEBLatencyControl* lagTime() const { return lagTime_; }

protected:
    void buildControls() override;
    std::span<const std::int32_t> shownParameters() const override;

private:
    const bool expanded_;
    COnOffButtonH* showButton_ = nullptr;
    CZEBLatencyControl* lagTime_ = nullptr;
    CZEBTapeLabel* label_ = nullptr;
    CMovieBitmap* caption_ = nullptr;
    int animationStep_ = 0;               // 0 .. kAnimationSteps - 1
    std::uint64_t lastStepMs_ = 0;        // frame ticks of the last step
};

class StripLabelSafeEditor : public StripSafeEditor {
public:
    StripLabelSafeEditor(CControlListener* editor, EditorEffect* effect) : StripSafeEditor(editor, effect) {}
    void idle() override;

protected:
    std::unique_ptr<StripEditor> makeVariant(int meter, bool expanded) override;
};

// `text` cut to at most `maxBytes` bytes without splitting a character (UTF-8).
std::string cutAtCharacter(const std::string& text, std::size_t maxBytes);
