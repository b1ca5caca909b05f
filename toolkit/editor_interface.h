#pragma once
// What a frame knows of the plug-in editor that made it: the editor brackets user gestures
// for the host and hands out the frame. Plug-in editors (the VST layer's AEffGUIEditor)
// implement it; a frame without an editor (tests, tools) works as well.
#include <cstdint>

class CFrame;

class VSTGUIEditorInterface {
public:
    virtual ~VSTGUIEditorInterface() = default;

    // A gesture on the parameter `index` begins / ends (the host records it as one edit).
    virtual void beginEdit(std::int32_t index) { (void)index; }
    virtual void endEdit(std::int32_t index) { (void)index; }
    // The knob mode the host asked for (CKnobMode).
    virtual int getKnobMode() const { return 0; }
    // Runs the editor's idle step from inside a long user action (a modal loop).
    virtual void doIdleStuff() {}

    CFrame* getFrame() const { return frame; }

protected:
    CFrame* frame = nullptr;  // the editor's frame while open
};
