#pragma once
// What the meter editor needs of the plug-in format that shows it: the host's side of user
// gestures, of the window size and of the controls the format answers itself. Each format
// wrapper implements it (the VST 2.4 editor chain, the LV2 UI, the CLAP GUI).
//
// Threads: the editor calls these under its lock, from the host's user-interface thread or
// from the window's timer (Linux), never from the audio thread.
#include <cstdint>

class CControl;

class EditorHost {
public:
    // A gesture on parameter `index` begins / ends: the host records the edits in between
    // as one. Indices that are no host parameter (the editor's own tags) are ignored.
    virtual void beginEdit(std::int32_t index) = 0;
    virtual void endEdit(std::int32_t index) = 0;
    // The editor's size changed to width x height: the host's window should follow. False
    // when the host did not agree (the editor keeps its new size; the host may crop it).
    virtual bool requestResize(int width, int height) = 0;
    // Every control edit, before the editor acts on it, and the gestures around it (the
    // VST 2.4 build opens the manual from its button here).
    virtual void onControlChanged(CControl* control) { (void)control; }
    virtual void onGestureBegin(CControl* control) { (void)control; }
    virtual void onGestureEnd(CControl* control) { (void)control; }
    // Once per idle step under the editor's lock, before the views update: the format's
    // own upkeep (late answers it waits for).
    virtual void idleHost() {}

protected:
    ~EditorHost() = default;
};
