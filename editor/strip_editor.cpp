#include "editor/strip_editor.h"

#include "toolkit/toolkit.h"

// ---- StripEditor

StripEditor::StripEditor(CControlListener* editor, EditorEffect* effect, int backgroundId, int height)
    : editor_(editor), effect_(effect), backgroundId_(backgroundId), height_(height) {}

StripEditor::~StripEditor() { close(); }

bool StripEditor::open(CFrame* frame) {
    close();
    auto* background = new CBitmap(backgroundId_);
    const bool loaded = background->isLoaded();
    if (loaded) {
        frame_ = frame;
        container_ = new CViewContainer(CRect(0, 0, kWidth, height_));
        container_->setBackground(background);
        buildControls();
    }
    background->forget();
    return loaded;
}

void StripEditor::addView(CView* view, CZEBHintControl* hinted) {
    if (hinted) hinted->setHintLabel(getHintLabel());
    container_->addView(view);
}

void StripEditor::linkHints(CHelpHintLabel* line) {
    setHintLabel(line);
    if (!container_) return;
    for (int i = 0; i < container_->getNbViews(); ++i)
        if (auto* hinted = dynamic_cast<CZEBHintControl*>(container_->getView(i))) hinted->setHintLabel(line);
}

void StripEditor::close() {
    if (!container_) return;
    hide();
    container_->forget();
    container_ = nullptr;
    frame_ = nullptr;
}

void StripEditor::showAt(const CPoint& where) {
    if (!container_ || !frame_) return;
    container_->setViewSize(CRect(where.x, where.y, where.x + kWidth, where.y + height_));
    if (!shown_) {
        container_->remember();  // the frame's reference; the variant keeps its own
        if (!frame_->addView(container_)) {
            container_->forget();
            return;
        }
        shown_ = true;
    }
    for (std::int32_t index : shownParameters()) setParameter(index, effect_ ? effect_->getParameter(index) : 0.f);
    setActive(effect_ && static_cast<int>(effect_->getParameter(0) + 0.5f) == 1);
    container_->invalid();
}

void StripEditor::hide() {
    if (shown_ && frame_ && frame_->isChild(container_)) frame_->removeView(container_, true);
    shown_ = false;
}

// ---- StripSafeEditor

StripSafeEditor::~StripSafeEditor() { close(); }

void StripSafeEditor::open(CFrame* frame) {
    close();
    for (int meter = 0; meter < 3; ++meter)
        for (bool expanded : {false, true}) {
            auto& slot = variants_[meter * 2 + (expanded ? 1 : 0)];
            slot = makeVariant(meter, expanded);
            if (slot) slot->open(frame);
        }
    collapsed_ = true;
    meter_ = -1;
}

void StripSafeEditor::close() {
    for (auto& v : variants_)
        if (v) {
            v->close();
            v.reset();
        }
}

StripEditor* StripSafeEditor::variant(int meter, bool expanded) const {
    return meter >= 0 && meter < 3 ? variants_[meter * 2 + (expanded ? 1 : 0)].get() : nullptr;
}

StripEditor* StripSafeEditor::shownVariant() const { return variant(meter_, !collapsed_); }

void StripSafeEditor::show(const CPoint& where, int meter, bool expanded) {
    collapsed_ = !expanded;
    meter_ = meter;
    for (auto& v : variants_)
        if (v) v->hide();
    if (StripEditor* chosen = variant(meter, expanded)) chosen->showAt(where);
}

void StripSafeEditor::setParameter(std::int32_t index, float value) {
    for (auto& v : variants_)
        if (v) v->setParameter(index, value);
}

void StripSafeEditor::valueChanged(CControl* control) {
    if (StripEditor* shown = shownVariant(); shown && shown->isShown()) shown->valueChanged(control);
}

void StripSafeEditor::setHintLabels(CHelpHintLabel* vu, CHelpHintLabel* rms, CHelpHintLabel* ppm) {
    CHelpHintLabel* lines[3] = {vu, rms, ppm};
    for (int meter = 0; meter < 3; ++meter)
        for (bool expanded : {false, true})
            if (StripEditor* v = variant(meter, expanded)) v->linkHints(lines[meter]);
}
