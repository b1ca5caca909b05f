#pragma once
// The manual button of every editor (tag 121): its press opens the user manual named by the
// "ManualPath" setting, and a failure shows as a message. Also the message itself, shown as
// the editor shows messages: the system's modal box where there is one, else a box drawn
// inside the editor's frame.
//
// Threads: everything here runs under the editor's lock, from the host's user-interface
// thread or the editor's timer (Linux).
#include <cstdint>
#include <functional>
#include <memory>

#include "controls/message_box_view.h"
#include "platform/desktop_shell.h"
#include "toolkit/control.h"

class UserManualButton {
public:
    static constexpr std::int32_t kTag = 121;
    using ShowMessage = std::function<void(const char* caption, const char* text)>;

    explicit UserManualButton(ShowMessage show) : show_(std::move(show)) {}

    // Every control edit: the button's press opens the manual, once per click even when
    // the mouse leaves the button and comes back before the release. `ownerWindow` owns
    // the program's dialogs (may be null).
    void valueChanged(const CControl* control, void* ownerWindow);
    // A gesture on `control` begins or ends: the button's next press opens it again.
    void noteGesture(const CControl* control);
    // Shows the outcome of an opening that answers late (Linux) when it failed.
    void idle();
    // The editor closes: an answer still to come is not shown.
    void forget() { opening_.reset(); }
    bool isOpening() const { return opening_ != nullptr; }

private:
    void open(void* ownerWindow);
    void report(int resultCode);

    ShowMessage show_;
    std::unique_ptr<platform::DocumentOpenRequest> opening_;  // still waiting for an answer
    bool openedInGesture_ = false;                            // the current click has opened it
};

class EditorMessage {
public:
    // The system's box owned by `ownerWindow` where there is one, else a box in `frame`
    // (nothing without either). A box already drawn gives way to the new one.
    void show(CFrame* frame, void* ownerWindow, const char* caption, const char* text);
    void dismiss();
    // The box drawn in the frame while it shows; null otherwise.
    CMessageBoxView* shown() const { return box_ && box_->isShowing() ? box_.get() : nullptr; }

private:
    SharedPointer<CMessageBoxView> box_;
};
