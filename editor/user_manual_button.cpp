#include "editor/user_manual_button.h"

#include <optional>
#include <string>

#include "platform/settings_store.h"

namespace {

constexpr char kManualPathSetting[] = "ManualPath";
constexpr char kNoApplicationCaption[] = "Could not open manual file";
constexpr char kNoApplicationText[] = "Make sure Acrobat Reader is installed";
constexpr char kOpenFailedText[] = "Could not open user manual";

}  // namespace

void UserManualButton::valueChanged(const CControl* control, void* ownerWindow) {
    if (!control || control->getTag() != kTag) return;
    // The button reports its press and its release; the press opens the manual.
    if (control->getValue() < control->getMax()) return;
    if (control->isEditing()) {
        if (openedInGesture_) return;
        openedInGesture_ = true;
    }
    open(ownerWindow);
}

void UserManualButton::noteGesture(const CControl* control) {
    if (control && control->getTag() == kTag) openedInGesture_ = false;
}

void UserManualButton::idle() {
    if (!opening_) return;
    const std::optional<int> answer = opening_->result();
    if (!answer) return;
    opening_.reset();
    report(*answer);
}

void UserManualButton::open(void* ownerWindow) {
    std::string path;  // stays empty when the value is missing; the opener refuses an empty path
    platform::readSettingText(kManualPathSetting, path);
    opening_.reset();
    std::unique_ptr<platform::DocumentOpenRequest> request = platform::openDocument(path.c_str(), ownerWindow);
    if (!request) {
        report(platform::kDocumentOpenFailed);
        return;
    }
    if (const std::optional<int> answer = request->result())
        report(*answer);
    else
        opening_ = std::move(request);
}

void UserManualButton::report(int resultCode) {
    switch (platform::classifyDocumentOpenResult(resultCode)) {
        case platform::DocumentOpenOutcome::Opened: break;
        case platform::DocumentOpenOutcome::NoApplication: show_(kNoApplicationCaption, kNoApplicationText); break;
        case platform::DocumentOpenOutcome::Failed: show_("", kOpenFailedText); break;
    }
}

void EditorMessage::show(CFrame* frame, void* ownerWindow, const char* caption, const char* text) {
    if (platform::showSystemMessageBox(ownerWindow, caption, text)) return;
    if (!frame) return;
    dismiss();
    box_ = CMessageBoxView::show(frame, caption, text);
}

void EditorMessage::dismiss() {
    if (box_) box_->dismiss();
    box_ = SharedPointer<CMessageBoxView>();
}
