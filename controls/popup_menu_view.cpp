#include "controls/popup_menu_view.h"

#include <algorithm>
#include <cmath>

#include "controls/editor_fonts.h"
#include "controls/overlay_style.h"
#include "toolkit/frame.h"

namespace {

constexpr double kTextIndent = 22;    // room for the tick
constexpr CColor kTickedText = overlay_style::kAccent;

}  // namespace

CPopupMenuView::CPopupMenuView(const char* caption, std::vector<std::string> items, int ticked, Chosen chosen)
    : caption_(caption ? caption : ""),
      items_(std::move(items)),
      ticked_(ticked >= 0 && ticked < static_cast<int>(items_.size()) ? ticked : -1),
      chosen_(std::move(chosen)) {}

SharedPointer<CPopupMenuView> CPopupMenuView::show(CFrame* frame, const CPoint& at, const char* caption,
                                                   std::vector<std::string> items, int ticked, Chosen chosen) {
    if (!frame || items.empty()) return {};
    auto* menu = new CPopupMenuView(caption, std::move(items), ticked, std::move(chosen));
    SharedPointer<CPopupMenuView> held(menu);
    menu->place(at, frame->getWidth(), frame->getHeight());
    if (!attach(frame, menu)) return {};
    menu->invalidRect(menu->panel_);
    return held;
}

void CPopupMenuView::place(const CPoint& at, double frameWidth, double frameHeight) {
    const double height = 2 * kInnerMargin + (caption_.empty() ? 0 : kCaptionHeight) +
                          kRowHeight * static_cast<double>(items_.size());
    // Right of and below the click where it fits, else left of or above it; never past the
    // window's top-left corner.
    double left = std::isfinite(at.x) ? std::floor(at.x) : 0;
    double top = std::isfinite(at.y) ? std::floor(at.y) : 0;
    if (left + kWidth > frameWidth) left -= kWidth;
    if (top + height > frameHeight) top = std::min(top, frameHeight) - height;
    left = std::max(0.0, left);
    top = std::max(0.0, top);
    panel_ = CRect(left, top, left + kWidth, top + height);
}

CRect CPopupMenuView::itemRect(int index) const {
    if (index < 0 || index >= static_cast<int>(items_.size())) return {};
    const double top = panel_.top + kInnerMargin + (caption_.empty() ? 0 : kCaptionHeight) + kRowHeight * index;
    return CRect(panel_.left + kInnerMargin, top, panel_.right - kInnerMargin, top + kRowHeight);
}

int CPopupMenuView::itemAt(const CPoint& where) const {
    for (int i = 0; i < static_cast<int>(items_.size()); ++i)
        if (itemRect(i).pointInside(where)) return i;
    return -1;
}

void CPopupMenuView::choose(int index) {
    SharedPointer<CView> keepAlive(this);
    Chosen chosen = std::move(chosen_);  // once: the answer may open the menu again
    dismiss();
    if (chosen) chosen(index);
}

void CPopupMenuView::draw(CDrawContext* context) {
    setDirty(false);
    if (!context) return;
    overlay_style::drawEdgedRect(*context, panel_, overlay_style::kPanelFill, overlay_style::kPanelEdge);
    if (!caption_.empty()) {
        const CRect row(panel_.left + kInnerMargin + 4, panel_.top + kInnerMargin, panel_.right - kInnerMargin,
                        panel_.top + kInnerMargin + kCaptionHeight - 2);
        context->setFont(smallTextFont());
        context->setFontColor(overlay_style::kAccent);
        context->drawString(caption_.c_str(), row, kLeftText);
        context->setFrameColor(overlay_style::kRule);
        context->drawLine(CPoint(panel_.left + 1, row.bottom + 0.5), CPoint(panel_.right - 1, row.bottom + 0.5));
    }
    for (int i = 0; i < static_cast<int>(items_.size()); ++i) {
        const CRect row = itemRect(i);
        if (i == highlighted_) {
            context->setFillColor(overlay_style::kHighlight);
            context->drawRect(row, kDrawFilled);
        }
        const CColor text = i == ticked_ ? kTickedText : overlay_style::kText;
        if (i == ticked_) {
            // A tick drawn as two strokes, so that no font needs the glyph.
            const double x = row.left + 6, y = row.top + kRowHeight / 2;
            context->setLineWidth(1.5);
            context->setFrameColor(text);
            context->drawLine(CPoint(x, y), CPoint(x + 3, y + 3.5));
            context->drawLine(CPoint(x + 3, y + 3.5), CPoint(x + 9, y - 4));
            context->setLineWidth(1);
        }
        context->setFont(smallTextFont());
        context->setFontColor(text);
        context->drawString(items_[static_cast<std::size_t>(i)].c_str(),
                            CRect(row.left + kTextIndent, row.top, row.right - 2, row.bottom), kLeftText);
    }
}

void CPopupMenuView::setHighlighted(int index) {
    if (index == highlighted_) return;
    invalidRect(itemRect(highlighted_));
    highlighted_ = index;
    invalidRect(itemRect(highlighted_));
}

CMouseEventResult CPopupMenuView::onMouseDown(CPoint& where, const CButtonState&) {
    pressed_ = itemAt(where);
    setHighlighted(pressed_);
    if (!panel_.pointInside(where)) dismiss();
    return kMouseEventHandled;
}

CMouseEventResult CPopupMenuView::onMouseMoved(CPoint& where, const CButtonState&) {
    setHighlighted(itemAt(where));
    return kMouseEventHandled;
}

CMouseEventResult CPopupMenuView::onMouseUp(CPoint& where, const CButtonState&) {
    const int released = itemAt(where);
    const bool chosen = released >= 0 && released == pressed_;
    pressed_ = -1;
    if (chosen) choose(released);
    return kMouseEventHandled;
}

CMouseEventResult CPopupMenuView::onMouseExited(CPoint&, const CButtonState&) {
    setHighlighted(-1);
    return kMouseEventHandled;
}

bool CPopupMenuView::onKeyDown(const CKeyEvent& key) {
    const int count = static_cast<int>(items_.size());
    const int from = highlighted_ >= 0 ? highlighted_ : ticked_;  // the arrows start at the current item
    switch (key.virtualKey) {
        case VirtualKey::Escape: dismiss(); break;
        case VirtualKey::Down: setHighlighted(from < 0 ? 0 : (from + 1) % count); break;
        case VirtualKey::Up: setHighlighted(from <= 0 ? count - 1 : from - 1); break;
        case VirtualKey::Return:
            if (highlighted_ >= 0) choose(highlighted_);
            break;
        default: break;
    }
    return true;  // every key belongs to the menu while it shows
}
