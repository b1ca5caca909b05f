#include "vst2/templete_editor.h"

#include <new>

#include "vst2/create_editor.h"

AEffEditor* createPluginEditor(CPresetSystemEffect* effect, EditorEffect* link) {
    if (!effect || !link) return nullptr;
    return new (std::nothrow) TemepleteEditor(effect, link);
}

TemepleteEditor::TemepleteEditor(CPresetSystemEffect* effect, EditorEffect* link) : CPresetSystemEditor(effect) {
    rect = ERect{0, 0, kOpenHeight, kWidth};
    EditorHost& host = *this;
    if (link) meter_ = std::make_unique<MeterEditor>(*link, host, editorMutex());
}

TemepleteEditor::~TemepleteEditor() {
    close();
    meter_.reset();  // stops listening to the effect before the bases go
}

bool TemepleteEditor::open(void* parentWindow) {
    GuiLock lock(*this);
    if (frame) close();  // opened again: into the new parent
    return attach(meter_ && parentWindow && meter_->open(parentWindow), parentWindow);
}

bool TemepleteEditor::openOffscreen() {
    GuiLock lock(*this);
    if (frame) close();
    return attach(meter_ && meter_->openOffscreen(), nullptr);
}

bool TemepleteEditor::attach(bool opened, void* parentWindow) {
    if (!opened) return false;
    AEffGUIEditor::open(parentWindow);
    frame = meter_->getFrame();
    return true;
}

void TemepleteEditor::close() {
    if (meter_) meter_->stopTimer();  // before the lock: see MeterEditor::stopTimer
    GuiLock lock(*this);
    if (!frame) return;
    CPresetSystemEditor::close();
    meter_->close();
    frame = nullptr;
}

void TemepleteEditor::idle() {
    if (meter_) meter_->idle();
}

bool TemepleteEditor::setContentScale(double scale) {
    if (!meter_) return false;
    meter_->setHostScale(scale);
    return true;
}

void TemepleteEditor::idleStep() {
    if (meter_) meter_->idleStep();
}

void TemepleteEditor::setParameter(VstInt32 index, float value) {
    if (meter_) meter_->setParameter(index, value);
}

void TemepleteEditor::valueChanged(CControl* control) {
    if (meter_) meter_->valueChanged(control);
}

std::int32_t TemepleteEditor::hostParameterFor(const CControl* control) const {
    return meter_ ? meter_->hostParameterFor(control) : CPresetSystemEditor::hostParameterFor(control);
}

bool TemepleteEditor::requestResize(int width, int height) {
    rect.right = static_cast<VstInt16>(rect.left + width);
    rect.bottom = static_cast<VstInt16>(rect.top + height);
    return sizeWindow(width, height);
}
