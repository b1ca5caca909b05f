#pragma once
// The hint line under each meter and the mix-in that lets a control write into it.
#include <cstdint>
#include <string>

#include "controls/type_names.h"
#include "toolkit/text_controls.h"

// The hint text for a control with `tag` showing `value`; `zone` is only used by the meter
// selector (0 left, 1 right, 2 middle). Null means "leave the line as it is".
const char* hintTextFor(std::int32_t tag, float value, int zone);

// A text label that shows the hint for a control. The texts are written for a narrow face;
// where the system has none and the stand-in is wider, a text is drawn at the largest size
// of that face that keeps it inside the line.
class CHelpHintLabel : public CTextLabel {
public:
    // Room kept free at either end of the line, px.
    static constexpr double kTextMargin = 2;

    explicit CHelpHintLabel(const CRect& size, const char* text = nullptr, CBitmap* background = nullptr,
                            int style = 0);
    // Shows the text for (tag, value, zone) and marks the line dirty.
    void showHint(std::int32_t tag, float value, int zone = 0);

    // GUI thread: the font `text` is drawn with, measured through `context` with the face the
    // back end actually uses: the label's own font, or a smaller size of it.
    CFontDesc* fontFitting(CDrawContext& context, const char* text);
    void draw(CDrawContext* context) override;

    ZEB_CONTROL_TYPE_NAME("CHelpHintLabel")

private:
    // The smaller font made for the text last drawn, and what it was made for.
    SharedPointer<CFontDesc> fitted_;
    std::string fittedText_;
    std::string fittedFamily_;
    double fittedFromSize_ = 0;
    double fittedRoom_ = 0;
};

// Mix-in for controls that show hints. Holds one reference to its hint line, so a line
// removed before its controls stays valid until the last control lets go of it.
class CZEBHintControl {
public:
    CZEBHintControl() = default;
    virtual ~CZEBHintControl();
    CZEBHintControl(const CZEBHintControl&) = delete;
    CZEBHintControl& operator=(const CZEBHintControl&) = delete;

    // Null disables hints.
    void setHintLabel(CHelpHintLabel* label);
    CHelpHintLabel* getHintLabel() const { return hintLabel_; }
    void showHint(std::int32_t tag, float value, int zone = 0);
    // Empties the hint line.
    void clearHint();

private:
    CHelpHintLabel* hintLabel_ = nullptr;  // one reference held
};
