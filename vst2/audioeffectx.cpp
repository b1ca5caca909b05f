#include "vst2/audioeffectx.h"

#include "vst2/aeffeditor.h"

VstPlugCategory AudioEffectX::getPlugCategory() {
    return (effectRecord_.flags & effFlagsIsSynth) ? kPlugCategSynth : kPlugCategUnknown;
}

VstIntPtr AudioEffectX::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effProcessEvents:
        return ptr ? processEvents(static_cast<VstEvents*>(ptr)) : 0;
    case effCanBeAutomated: return canParameterBeAutomated(index) ? 1 : 0;
    case effString2Parameter: return string2parameter(index, text) ? 1 : 0;
    case effGetProgramNameIndexed:
        return text && getProgramNameIndexed(static_cast<VstInt32>(value), index, text) ? 1 : 0;
    case effGetInputProperties:
        return ptr && getInputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetOutputProperties:
        return ptr && getOutputProperties(index, static_cast<VstPinProperties*>(ptr)) ? 1 : 0;
    case effGetPlugCategory: return getPlugCategory();

    case effSetSpeakerArrangement: {
        auto* input = reinterpret_cast<VstSpeakerArrangement*>(value);
        auto* output = static_cast<VstSpeakerArrangement*>(ptr);
        return input && output && setSpeakerArrangement(input, output) ? 1 : 0;
    }
    case effGetSpeakerArrangement: {
        auto* input = reinterpret_cast<VstSpeakerArrangement**>(value);
        auto* output = static_cast<VstSpeakerArrangement**>(ptr);
        return input && output && getSpeakerArrangement(input, output) ? 1 : 0;
    }
    case effSetBypass: return setBypass(value != 0) ? 1 : 0;

    case effGetEffectName: return text && getEffectName(text) ? 1 : 0;
    case effGetVendorString: return text && getVendorString(text) ? 1 : 0;
    case effGetProductString: return text && getProductString(text) ? 1 : 0;
    case effGetVendorVersion: return getVendorVersion();
    case effVendorSpecific: return vendorSpecific(index, value, ptr, opt);
    case effCanDo: return text ? canDo(text) : 0;
    case effGetTailSize: return getTailSize();
    case effGetParameterProperties:
        return ptr && getParameterProperties(index, static_cast<VstParameterProperties*>(ptr)) ? 1 : 0;
    case effGetVstVersion: return getVstVersion();

    case effEditKeyDown:
    case effEditKeyUp: {
        if (!editor_) return 0;
        // Modifiers arrive as a float; anything that is not a small whole number means none.
        const auto modifiers = static_cast<unsigned char>(opt >= 0.0f && opt < 256.0f ? opt : 0.0f);
        VstKeyCode key{index, static_cast<unsigned char>(value), modifiers};
        const bool used = opcode == effEditKeyDown ? editor_->onKeyDown(key) : editor_->onKeyUp(key);
        return used ? 1 : 0;
    }
    case effSetEditKnobMode:
        return editor_ && editor_->setKnobMode(static_cast<VstInt32>(value)) ? 1 : 0;

    case effBeginSetProgram: return beginSetProgram() ? 1 : 0;
    case effEndSetProgram: return endSetProgram() ? 1 : 0;
    case effShellGetNextPlugin: return text ? getNextShellPlugin(text) : 0;
    case effStartProcess: return startProcess();
    case effStopProcess: return stopProcess();
    case effSetTotalSampleToProcess: return setTotalSampleToProcess(static_cast<VstInt32>(value));
    case effSetPanLaw: return setPanLaw(static_cast<VstInt32>(value), opt) ? 1 : 0;
    case effBeginLoadBank:
        return ptr ? beginLoadBank(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effBeginLoadProgram:
        return ptr ? beginLoadProgram(static_cast<VstPatchChunkInfo*>(ptr)) : 0;
    case effSetProcessPrecision: return setProcessPrecision(static_cast<VstInt32>(value)) ? 1 : 0;
    case effGetNumMidiInputChannels: return getNumMidiInputChannels();
    case effGetNumMidiOutputChannels: return getNumMidiOutputChannels();

    // Offline processing and MIDI program names need records this layer does not carry;
    // they keep the interface's "not supported" answer like the obsolete opcodes.
    default: return AudioEffect::dispatcher(opcode, index, value, ptr, opt);
    }
}
