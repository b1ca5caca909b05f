#include "controls/message_box_view.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "controls/editor_fonts.h"
#include "controls/overlay_style.h"
#include "toolkit/frame.h"

namespace {

constexpr double kPanelWidth = 300;
constexpr double kPanelHeight = 96;        // with a caption
constexpr double kPanelHeightPlain = 80;   // without
constexpr double kWindowMargin = 8;
constexpr double kInnerMargin = 12;
constexpr double kCaptionHeight = 22;
constexpr double kLineHeight = 14;
constexpr double kOkWidth = 64;
constexpr double kOkHeight = 20;

using overlay_style::drawEdgedRect, overlay_style::kPanelFill, overlay_style::kPanelEdge, overlay_style::kRule;
constexpr CColor kDimming{0, 0, 0, 165};
constexpr CColor kCaptionText = overlay_style::kAccent;
constexpr CColor kBodyText = overlay_style::kText;
constexpr CColor kOkFill{60, 63, 68, 255};
constexpr CColor kOkFillHover = overlay_style::kHighlight;
constexpr CColor kOkEdge{146, 150, 156, 255};
constexpr CColor kOkPressedText{24, 24, 24, 255};

CFontDesc* captionFont() {
    static CFontDesc* font =
        new CFontDesc(smallTextFont()->getName().c_str(), smallTextFont()->getSize(), toolkit::kBoldFace);
    return font;
}

// Splits `text` into lines no wider than `width` at spaces; a word wider than the line keeps
// a line of its own.
std::vector<std::string> wrapLines(CDrawContext& context, const std::string& text, double width) {
    std::vector<std::string> lines;
    std::string line;
    std::size_t start = 0;
    while (start <= text.size()) {
        std::size_t end = text.find(' ', start);
        if (end == std::string::npos) end = text.size();
        const std::string word = text.substr(start, end - start);
        const std::string joined = line.empty() ? word : line + " " + word;
        if (!line.empty() && context.getStringWidth(joined.c_str()) > width) {
            lines.push_back(line);
            line = word;
        } else {
            line = joined;
        }
        start = end + 1;
    }
    if (!line.empty()) lines.push_back(line);
    return lines;
}

}  // namespace

CMessageBoxView::CMessageBoxView(const char* caption, const char* text)
    : caption_(caption ? caption : ""), text_(text ? text : "") {}

SharedPointer<CMessageBoxView> CMessageBoxView::show(CFrame* frame, const char* caption, const char* text) {
    auto* box = new CMessageBoxView(caption, text);
    SharedPointer<CMessageBoxView> held(box);
    return attach(frame, box) ? held : SharedPointer<CMessageBoxView>();
}

void CMessageBoxView::onDismiss() {
    pressed_ = false;
    pointerOnOk_ = false;
}

CRect CMessageBoxView::panelRect() const {
    const CFrame* frame = getFrame();
    const double frameWidth = frame ? frame->getWidth() : kPanelWidth;
    const double frameHeight = frame ? frame->getHeight() : kPanelHeight;
    const double width = std::max(0.0, std::min(kPanelWidth, frameWidth - 2 * kWindowMargin));
    const double height =
        std::max(0.0, std::min(caption_.empty() ? kPanelHeightPlain : kPanelHeight, frameHeight - 2 * kWindowMargin));
    const double left = std::floor((frameWidth - width) / 2);
    const double top = std::floor((frameHeight - height) / 2);
    return CRect(left, top, left + width, top + height);
}

CRect CMessageBoxView::okButtonRect() const {
    const CRect panel = panelRect();
    const double left = std::floor(panel.getCenter().x - kOkWidth / 2);
    const double top = panel.bottom - 10 - kOkHeight;
    return CRect(left, top, left + kOkWidth, top + kOkHeight);
}

void CMessageBoxView::draw(CDrawContext* context) {
    setDirty(false);
    if (!context) return;
    context->setFillColor(kDimming);
    context->drawRect(context->getClipRect(), kDrawFilled);

    const CRect panel = panelRect();
    drawEdgedRect(*context, panel, kPanelFill, kPanelEdge);

    double textTop = panel.top + kInnerMargin;
    if (!caption_.empty()) {
        const CRect captionRow(panel.left + kInnerMargin, panel.top + 4, panel.right - kInnerMargin,
                               panel.top + kCaptionHeight);
        context->setFont(captionFont());
        context->setFontColor(kCaptionText);
        context->drawString(caption_.c_str(), captionRow, kLeftText);
        context->setFrameColor(kRule);
        context->drawLine(CPoint(panel.left + 1, panel.top + kCaptionHeight + 2.5),
                          CPoint(panel.right - 1, panel.top + kCaptionHeight + 2.5));
        textTop = panel.top + kCaptionHeight + 4;
    }

    const CRect ok = okButtonRect();
    const CRect textArea(panel.left + kInnerMargin, textTop, panel.right - kInnerMargin, ok.top - 4);
    context->setFont(smallTextFont());
    context->setFontColor(kBodyText);
    std::vector<std::string> lines = wrapLines(*context, text_, textArea.getWidth());
    const auto fitting = static_cast<std::size_t>(std::max(1.0, std::floor(textArea.getHeight() / kLineHeight)));
    if (lines.size() > fitting) lines.resize(fitting);
    double lineTop = std::floor(textArea.getCenter().y - kLineHeight * static_cast<double>(lines.size()) / 2);
    for (const std::string& line : lines) {
        context->drawString(line.c_str(), CRect(textArea.left, lineTop, textArea.right, lineTop + kLineHeight),
                            kCenterText);
        lineTop += kLineHeight;
    }

    const bool pressedOnOk = pressed_ && pointerOnOk_;
    drawEdgedRect(*context, ok, pressedOnOk ? kCaptionText : pointerOnOk_ ? kOkFillHover : kOkFill,
                  pressedOnOk ? kCaptionText : kOkEdge);
    context->setFont(captionFont());
    context->setFontColor(pressedOnOk ? kOkPressedText : kBodyText);
    context->drawString("OK", ok, kCenterText);
}

void CMessageBoxView::setPointerOnOk(bool on) {
    if (on == pointerOnOk_) return;
    pointerOnOk_ = on;
    invalidRect(okButtonRect());
}

CMouseEventResult CMessageBoxView::onMouseDown(CPoint& where, const CButtonState& buttons) {
    setPointerOnOk(okButtonRect().pointInside(where));
    if (buttons.isLeftButton() && pointerOnOk_) {
        pressed_ = true;
        invalidRect(okButtonRect());
    }
    return kMouseEventHandled;  // clicks beside the button go nowhere either
}

CMouseEventResult CMessageBoxView::onMouseMoved(CPoint& where, const CButtonState&) {
    setPointerOnOk(okButtonRect().pointInside(where));
    return kMouseEventHandled;
}

CMouseEventResult CMessageBoxView::onMouseUp(CPoint& where, const CButtonState&) {
    const bool released = pressed_;
    pressed_ = false;
    setPointerOnOk(okButtonRect().pointInside(where));
    if (released && pointerOnOk_)
        dismiss();
    else
        invalidRect(okButtonRect());
    return kMouseEventHandled;
}

CMouseEventResult CMessageBoxView::onMouseExited(CPoint&, const CButtonState&) {
    setPointerOnOk(false);
    return kMouseEventHandled;
}

bool CMessageBoxView::onKeyDown(const CKeyEvent& key) {
    if (key.virtualKey == VirtualKey::Return || key.virtualKey == VirtualKey::Escape) dismiss();
    return true;  // every key belongs to the box while it shows
}
