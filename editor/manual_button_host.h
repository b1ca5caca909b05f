#pragma once
// The part of an EditorHost every format without a program layer of its own shares: the
// manual button opens the user manual, and its failures show as messages over the editor.
// (The VST 2.4 build answers the button in its preset layer.)
//
// Threads: as EditorHost's, under the editor's lock.
#include "editor/editor_host.h"
#include "editor/meter_editor.h"
#include "editor/user_manual_button.h"
#include "toolkit/frame.h"

class ManualButtonHost : public EditorHost {
public:
    // The editor whose frame shows the messages; call before it opens.
    void showMessagesIn(MeterEditor* editor) { editor_ = editor; }
    // Before the editor closes: takes a message down, forgets an answer still to come.
    void editorClosing() {
        message_.dismiss();
        manual_.forget();
    }

    void onControlChanged(CControl* control) override { manual_.valueChanged(control, ownerWindow()); }
    void onGestureBegin(CControl* control) override { manual_.noteGesture(control); }
    void onGestureEnd(CControl* control) override { manual_.noteGesture(control); }
    void idleHost() override { manual_.idle(); }

protected:
    ~ManualButtonHost() = default;

private:
    void* ownerWindow() const {
        const CFrame* frame = editor_ ? editor_->getFrame() : nullptr;
        const toolkit::IPlatformWindow* window = frame ? frame->getPlatformWindow() : nullptr;
        return window ? window->nativeHandle() : nullptr;
    }

    MeterEditor* editor_ = nullptr;
    UserManualButton manual_{[this](const char* caption, const char* text) {
        message_.show(editor_ ? editor_->getFrame() : nullptr, ownerWindow(), caption, text);
    }};
    EditorMessage message_;
};
