#include "vst2/preset_system_editor.h"

#include "platform/settings_store.h"
#include "platform/working_directory.h"
#include "toolkit/frame.h"

CPresetSystemEditor::CPresetSystemEditor(CPresetSystemEffect* effect)
    : AEffGUIEditor(effect),
      presetEffect_(effect),
      currentDirectory_(platform::workingDirectory(kMaxRememberedPathBytes)) {
    if (!effect) return;
    effect->setEditor(this);
    effect->setProgramNameListener(this);
}

CPresetSystemEditor::~CPresetSystemEditor() {
    const platform::SettingText paths[] = {
        {"CurrDir", currentDirectory_.c_str()},
        {"CurrBank", currentBank_.c_str()},
        {"CurrPreset", currentPreset_.c_str()},
    };
    platform::writeSettingTexts(paths, 3);  // a store that cannot be opened keeps its old values
    // The effect deletes its editor from its own destructor, when its program layer is gone
    // already; only an effect that let go of this editor, and took no other, still calls it.
    if (presetEffect_ && effect_ && !effect_->getEditor()) presetEffect_->setProgramNameListener(nullptr);
}

void CPresetSystemEditor::valueChanged(CControl* control) {
    if (!presetEffect_) return;
    GuiLock lock(*this);
    manual_.valueChanged(control, ownerWindow());
}

void CPresetSystemEditor::noteGesture(const CControl* control) { manual_.noteGesture(control); }

void CPresetSystemEditor::controlBeginEdit(CControl* control) {
    if (!control) return;
    noteGesture(control);
    beginEdit(hostParameterFor(control));
}

void CPresetSystemEditor::controlEndEdit(CControl* control) {
    if (!control) return;
    noteGesture(control);
    endEdit(hostParameterFor(control));
}

std::int32_t CPresetSystemEditor::hostParameterFor(const CControl* control) const {
    return control ? control->getTag() : -1;
}

void CPresetSystemEditor::programNameChanged(const char* name) { (void)name; }

void CPresetSystemEditor::close() {
    GuiLock lock(*this);
    message_.dismiss();
    manual_.forget();
    AEffGUIEditor::close();
}

void CPresetSystemEditor::idlePresetSystem() { manual_.idle(); }

void CPresetSystemEditor::showMessage(const char* caption, const char* text) {
    message_.show(frame, ownerWindow(), caption, text);
}

void* CPresetSystemEditor::ownerWindow() const {
    const toolkit::IPlatformWindow* window = frame ? frame->getPlatformWindow() : nullptr;
    return window ? window->nativeHandle() : nullptr;
}
