// One effect with its editor open off-screen, for the editor benchmarks.
#pragma once

#include "toolkit/frame.h"
#include "vst2/create_effect.h"
#include "vst2/templete.h"
#include "vst2/templete_editor.h"

namespace bench {

inline VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The editor open on the face `meter` (0 VU, 1 RMS, 2 PPM), both strips open or closed, hold
// markers on or off; `editor` stays null when it could not open.
struct OpenEditor {
    AEffect* effect;
    TemepleteEditor* editor = nullptr;
    OpenEditor(int meter, bool stripsOpen, bool holdOn) : effect(createEffect(quietHost)) {
        if (!effect) return;
        effect->setParameter(effect, 3, static_cast<float>(meter) * 0.5f);
        effect->setParameter(effect, 7, stripsOpen ? 1.0f : 0.0f);
        effect->setParameter(effect, 15, stripsOpen ? 1.0f : 0.0f);
        if (holdOn) effect->setParameter(effect, 5, 1.0f);
        effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
        editor = dynamic_cast<TemepleteEditor*>(static_cast<Templete*>(effect->object)->getEditor());
        if (editor && !editor->openOffscreen()) editor = nullptr;
        if (editor) editor->idleStep();
    }
    ~OpenEditor() {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
    OpenEditor(const OpenEditor&) = delete;
    OpenEditor& operator=(const OpenEditor&) = delete;
    CFrame* frame() const { return editor->getFrame(); }
};

}  // namespace bench
