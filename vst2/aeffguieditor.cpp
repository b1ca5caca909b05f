#include "vst2/aeffguieditor.h"

#include "toolkit/frame.h"
#include "toolkit/knob.h"

AEffGUIEditor::AEffGUIEditor(AudioEffect* effect)
    : AEffEditor(effect), effectX_(dynamic_cast<AudioEffectX*>(effect)) {}

AEffGUIEditor::~AEffGUIEditor() = default;

bool AEffGUIEditor::getRect(ERect** out) {
    if (!out) return false;
    GuiLock lock(*this);
    reportedRect_ = rect;
    *out = &reportedRect_;
    return true;
}

bool AEffGUIEditor::open(void* parentWindow) {
    systemWindow_ = parentWindow;
    return true;
}

void AEffGUIEditor::close() { systemWindow_ = nullptr; }

void AEffGUIEditor::idle() {
    GuiLock lock(*this);
    if (frame) frame->idle();
}

bool AEffGUIEditor::translateKey(const VstKeyCode& key, CKeyEvent& out) {
    out = CKeyEvent{};
    if (key.modifier & MODIFIER_SHIFT) out.modifiers |= kShift;
    if (key.modifier & MODIFIER_ALTERNATE) out.modifiers |= kAlt;
    if (key.modifier & (MODIFIER_COMMAND | MODIFIER_CONTROL)) out.modifiers |= kControl;
    switch (key.virt) {
        case 0: break;
        case VKEY_BACK: out.virtualKey = VirtualKey::Back; return true;
        case VKEY_TAB: out.virtualKey = VirtualKey::Tab; return true;
        case VKEY_RETURN:
        case VKEY_ENTER: out.virtualKey = VirtualKey::Return; return true;
        case VKEY_ESCAPE: out.virtualKey = VirtualKey::Escape; return true;
        case VKEY_DELETE: out.virtualKey = VirtualKey::Delete; return true;
        case VKEY_LEFT: out.virtualKey = VirtualKey::Left; return true;
        case VKEY_RIGHT: out.virtualKey = VirtualKey::Right; return true;
        case VKEY_UP: out.virtualKey = VirtualKey::Up; return true;
        case VKEY_DOWN: out.virtualKey = VirtualKey::Down; return true;
        case VKEY_HOME: out.virtualKey = VirtualKey::Home; return true;
        case VKEY_END: out.virtualKey = VirtualKey::End; return true;
        case VKEY_SPACE: out.character = U' '; return true;
        case VKEY_MULTIPLY: out.character = U'*'; return true;
        case VKEY_ADD: out.character = U'+'; return true;
        case VKEY_SUBTRACT: out.character = U'-'; return true;
        case VKEY_DECIMAL: out.character = U'.'; return true;
        case VKEY_DIVIDE: out.character = U'/'; return true;
        case VKEY_EQUALS: out.character = U'='; return true;
        default:
            if (key.virt >= VKEY_NUMPAD0 && key.virt <= VKEY_NUMPAD9) {
                out.character = U'0' + (key.virt - VKEY_NUMPAD0);
                return true;
            }
            // A virtual key that is not one of the above may still carry its character.
            break;
    }
    // Printable code points only; controls, surrogates and out-of-range values are no keys.
    const VstInt32 c = key.character;
    if (c < 0x20 || c == 0x7F || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return false;
    out.character = static_cast<char32_t>(c);
    return true;
}

bool AEffGUIEditor::onKeyDown(VstKeyCode& key) {
    GuiLock lock(*this);
    CKeyEvent event;
    if (!frame || !translateKey(key, event)) return false;
    return frame->onHostKeyDown(event);
}

bool AEffGUIEditor::onKeyUp(VstKeyCode& key) {
    (void)key;
    GuiLock lock(*this);
    // An open text edit took the key down; its release belongs to it as well.
    return frame && frame->isTextEditOpen();
}

bool AEffGUIEditor::setKnobMode(VstInt32 mode) {
    if (mode < kCircularMode || mode > kLinearMode) return false;
    CKnob::setKnobMode(mode);
    return true;
}

int AEffGUIEditor::getKnobMode() const { return CKnob::getKnobMode(); }

bool AEffGUIEditor::isHostParameter(std::int32_t index) const {
    return effect_ && index >= 0 && index < effect_->getAeffect()->numParams;
}

void AEffGUIEditor::beginEdit(std::int32_t index) {
    if (effectX_ && isHostParameter(index)) effectX_->beginEdit(index);
}

void AEffGUIEditor::endEdit(std::int32_t index) {
    if (effectX_ && isHostParameter(index)) effectX_->endEdit(index);
}

bool AEffGUIEditor::sizeWindow(int width, int height) {
    return effectX_ && width > 0 && height > 0 && effectX_->sizeWindow(width, height);
}
