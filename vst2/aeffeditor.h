#pragma once
// Base of a plug-in editor. The effect owns its editor and forwards the editor opcodes
// (rectangle, open, close, idle, keys, knob mode) to it; every answer defaults to "no".
#include "vst2/aeffectx.h"

class AudioEffect;

class AEffEditor {
public:
    explicit AEffEditor(AudioEffect* owner = nullptr) : effect_(owner) {}
    virtual ~AEffEditor() = default;
    AEffEditor(const AEffEditor&) = delete;
    AEffEditor& operator=(const AEffEditor&) = delete;

    // Points *rect at the editor's current size; the rectangle stays owned by the editor.
    virtual bool getRect(ERect** rect) {
        *rect = nullptr;
        return false;
    }
    // Builds the editor as a child of the host's native window.
    virtual bool open(void* parentWindow) {
        systemWindow_ = parentWindow;
        return false;
    }
    virtual void close() { systemWindow_ = nullptr; }
    // Called regularly by the host's user-interface thread while the editor is open.
    virtual void idle() {}
    // Key events the host routes to the editor; true when the editor used the key.
    virtual bool onKeyDown(VstKeyCode& key) { (void)key; return false; }
    virtual bool onKeyUp(VstKeyCode& key) { (void)key; return false; }
    // Knob behaviour chosen by the host (circular, relative circular, linear).
    virtual bool setKnobMode(VstInt32 mode) { (void)mode; return false; }
    // The display scale the host states for the editor (1 = 100 %); true when the editor
    // follows it. Any value may come: the editor keeps to its own range.
    virtual bool setContentScale(double scale) { (void)scale; return false; }

    bool isOpen() const { return systemWindow_ != nullptr; }
    AudioEffect* getEffect() const { return effect_; }
    void* getSystemWindow() const { return systemWindow_; }

protected:
    AudioEffect* effect_;            // the effect this editor belongs to; not owned
    void* systemWindow_ = nullptr;   // the host's parent window while open
};
