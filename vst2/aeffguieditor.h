#pragma once
// The editor base of an effect whose window is a toolkit frame: an AEffEditor that is also
// the frame's editor interface. It answers the host's rectangle, key and knob-mode requests,
// passes user gestures on to the host (begin edit, end edit) and asks the host to resize.
//
// Threads. Hosts call open, close, idle and the keys from their user-interface thread; the
// window's own timer may run the editor's idle step from another thread (Linux). Everything
// that touches the frame or its views therefore runs under the GUI lock (GuiLock). Parameter
// changes from the effect (setParameter) may come from any thread, the audio thread among
// them, and must not take that lock.
#include <atomic>
#include <cstdint>

#include "editor/editor_lock.h"
#include "toolkit/editor_interface.h"
#include "toolkit/events.h"
#include "vst2/aeffeditor.h"
#include "vst2/audioeffectx.h"

class AEffGUIEditor : public AEffEditor, public VSTGUIEditorInterface {
public:
    explicit AEffGUIEditor(AudioEffect* effect);
    ~AEffGUIEditor() override;

    // The current window size; valid before open and after close. Host's GUI thread: the
    // host reads the answer after the call, while the editor's timer may be resizing, so it
    // gets a copy taken under the GUI lock that only the next getRect changes.
    bool getRect(ERect** rect) override;
    // Remembers the host's window; subclasses build their frame after calling this.
    bool open(void* parentWindow) override;
    // Forgets the host's window; subclasses tear their frame down before calling this.
    void close() override;
    // Runs the frame's idle (events, repaint).
    void idle() override;
    // Keys the host routes to the editor: answered true only when the editor used the key.
    bool onKeyDown(VstKeyCode& key) override;
    bool onKeyUp(VstKeyCode& key) override;
    // 0 circular, 1 relative circular, 2 linear; other modes are refused.
    bool setKnobMode(VstInt32 mode) override;

    // A parameter of the effect changed (any thread; see above).
    virtual void setParameter(VstInt32 index, float value) { (void)index; (void)value; }

    // Gestures on host parameters reach the host; other indices (the editor's own tags)
    // are not the host's business.
    void beginEdit(std::int32_t index) override;
    void endEdit(std::int32_t index) override;
    int getKnobMode() const override;

    AudioEffectX* getEffectX() const { return effectX_; }
    // Asks the host to resize its window to width x height; false when it did not agree.
    bool sizeWindow(int width, int height);
    // Whether `index` is a parameter the host knows (0 .. numParams - 1).
    bool isHostParameter(std::int32_t index) const;

    // The key a VstKeyCode stands for (a character, or a virtual key with modifiers);
    // false for keys the editor has no use for (function keys, lone modifiers).
    static bool translateKey(const VstKeyCode& key, CKeyEvent& out);

    // Holds the GUI lock for its scope (also for tools and tests that look at the views from
    // another thread). Recursive: a host may call back into the editor from inside a request
    // the editor made.
    class GuiLock : public EditorLock {
    public:
        explicit GuiLock(AEffGUIEditor& editor) : EditorLock(editor.guiMutex_) {}
        // Waits for the lock only as long as `giveUp` stays false (a timer that is being
        // stopped must not wait for a thread that waits for it); owns() tells the outcome.
        GuiLock(AEffGUIEditor& editor, const std::atomic<bool>& giveUp) : EditorLock(editor.guiMutex_, giveUp) {}
    };

protected:
    // The GUI lock itself, for an editor built on this one that takes it on its own.
    EditorMutex& editorMutex() { return guiMutex_; }

    ERect rect{0, 0, 0, 0};  // the window size, under the GUI lock; the host gets a copy

private:
    AudioEffectX* effectX_;             // the effect, seen as a 2.x effect (null otherwise)
    ERect reportedRect_{0, 0, 0, 0};    // getRect's answer: written only by getRect
    EditorMutex guiMutex_;  // see GuiLock
};
