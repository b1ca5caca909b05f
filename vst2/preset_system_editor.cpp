#include "vst2/preset_system_editor.h"

#include <optional>

#include "platform/settings_store.h"
#include "platform/working_directory.h"
#include "toolkit/frame.h"

namespace {

constexpr char kManualPathSetting[] = "ManualPath";
constexpr char kNoApplicationCaption[] = "Could not open manual file";
constexpr char kNoApplicationText[] = "Make sure Acrobat Reader is installed";
constexpr char kOpenFailedText[] = "Could not open user manual";

}  // namespace

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
    if (!presetEffect_ || !control || control->getTag() != kManualButtonTag) return;
    // The button reports its press and its release; the press opens the manual, once per
    // click even when the mouse leaves the button and comes back before the release.
    if (control->getValue() < control->getMax()) return;
    if (control->isEditing()) {
        if (manualOpenedInGesture_) return;
        manualOpenedInGesture_ = true;
    }
    GuiLock lock(*this);
    openUserManual();
}

void CPresetSystemEditor::noteGesture(const CControl* control) {
    if (control && control->getTag() == kManualButtonTag) manualOpenedInGesture_ = false;
}

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
    dismissMessageBox();
    manualOpening_.reset();
    AEffGUIEditor::close();
}

void CPresetSystemEditor::idlePresetSystem() {
    if (!manualOpening_) return;
    const std::optional<int> answer = manualOpening_->result();
    if (!answer) return;
    manualOpening_.reset();
    reportManualOpening(*answer);
}

void CPresetSystemEditor::openUserManual() {
    std::string path;  // stays empty when the value is missing; the opener refuses an empty path
    platform::readSettingText(kManualPathSetting, path);
    manualOpening_.reset();
    std::unique_ptr<platform::DocumentOpenRequest> request = platform::openDocument(path.c_str(), ownerWindow());
    if (!request) {
        reportManualOpening(platform::kDocumentOpenFailed);
        return;
    }
    if (const std::optional<int> answer = request->result())
        reportManualOpening(*answer);
    else
        manualOpening_ = std::move(request);
}

void CPresetSystemEditor::reportManualOpening(int resultCode) {
    switch (platform::classifyDocumentOpenResult(resultCode)) {
        case platform::DocumentOpenOutcome::Opened: break;
        case platform::DocumentOpenOutcome::NoApplication: showMessage(kNoApplicationCaption, kNoApplicationText); break;
        case platform::DocumentOpenOutcome::Failed: showMessage("", kOpenFailedText); break;
    }
}

void CPresetSystemEditor::showMessage(const char* caption, const char* text) {
    if (platform::showSystemMessageBox(ownerWindow(), caption, text)) return;
    if (!frame) return;
    dismissMessageBox();
    messageBox_ = CMessageBoxView::show(frame, caption, text);
}

CMessageBoxView* CPresetSystemEditor::shownMessageBox() const {
    return messageBox_ && messageBox_->isShowing() ? messageBox_.get() : nullptr;
}

void CPresetSystemEditor::dismissMessageBox() {
    if (messageBox_) messageBox_->dismiss();
    messageBox_ = SharedPointer<CMessageBoxView>();
}

void* CPresetSystemEditor::ownerWindow() const {
    const toolkit::IPlatformWindow* window = frame ? frame->getPlatformWindow() : nullptr;
    return window ? window->nativeHandle() : nullptr;
}
