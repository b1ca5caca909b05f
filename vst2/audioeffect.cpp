#include "vst2/audioeffect.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "vst2/aeffeditor.h"

namespace {

// Sizes and counts travel in pointer-sized values; only 1..INT32_MAX are meaningful.
bool isPositiveInt32(VstIntPtr value) {
    constexpr auto largest = static_cast<std::uint64_t>(std::numeric_limits<VstInt32>::max());
    return value > 0 && static_cast<std::uint64_t>(value) <= largest;
}

AudioEffect* effectOf(AEffect* record) {
    return record ? static_cast<AudioEffect*>(record->object) : nullptr;
}

VstIntPtr VSTCALLBACK dispatchEntry(AEffect* record, VstInt32 opcode, VstInt32 index, VstIntPtr value,
                                    void* ptr, float opt) {
    AudioEffect* fx = effectOf(record);
    if (!fx) return 0;
    if (opcode == effClose) {
        // The host gives up the record with this call: let the effect close, then free it.
        fx->dispatcher(opcode, index, value, ptr, opt);
        delete fx;
        return 1;
    }
    return fx->dispatcher(opcode, index, value, ptr, opt);
}

// Accumulating processing predates 2.4 and is not offered; an old host that still calls it
// gets its buffers back untouched rather than a crash.
void VSTCALLBACK accumulateEntry(AEffect*, float**, float**, VstInt32) {}

void VSTCALLBACK setParameterEntry(AEffect* record, VstInt32 index, float value) {
    AudioEffect* fx = effectOf(record);
    if (fx && !std::isnan(value)) fx->setParameter(index, value);
}

float VSTCALLBACK getParameterEntry(AEffect* record, VstInt32 index) {
    AudioEffect* fx = effectOf(record);
    return fx ? fx->getParameter(index) : 0.0f;
}

// Inputs may be absent only when the effect has no inputs; outputs are always needed.
bool buffersUsable(const AEffect* record, const void* inputs, const void* outputs, VstInt32 frames) {
    return frames > 0 && outputs && (inputs || record->numInputs <= 0);
}

void VSTCALLBACK processEntry(AEffect* record, float** inputs, float** outputs, VstInt32 frames) {
    AudioEffect* fx = effectOf(record);
    if (fx && buffersUsable(record, inputs, outputs, frames)) fx->processReplacing(inputs, outputs, frames);
}

void VSTCALLBACK processDoubleEntry(AEffect* record, double** inputs, double** outputs, VstInt32 frames) {
    AudioEffect* fx = effectOf(record);
    if (fx && buffersUsable(record, inputs, outputs, frames)) fx->processDoubleReplacing(inputs, outputs, frames);
}

}  // namespace

AudioEffect::AudioEffect(audioMasterCallback callback, VstInt32 programs, VstInt32 parameters)
    : hostCallback_(callback),
      programCount_(programs > 0 ? programs : 0),
      parameterCount_(parameters > 0 ? parameters : 0) {
    std::memset(&effectRecord_, 0, sizeof effectRecord_);
    effectRecord_.magic = kEffectMagic;
    effectRecord_.dispatcher = dispatchEntry;
    effectRecord_.process = accumulateEntry;
    effectRecord_.setParameter = setParameterEntry;
    effectRecord_.getParameter = getParameterEntry;
    effectRecord_.numPrograms = programCount_;
    effectRecord_.numParams = parameterCount_;
    effectRecord_.numInputs = 1;
    effectRecord_.numOutputs = 2;
    effectRecord_.ioRatio = 1.0f;
    effectRecord_.object = this;
    effectRecord_.uniqueID = vstFourCharCode('N', 'o', 'E', 'f');
    effectRecord_.version = 1;
    effectRecord_.processReplacing = processEntry;
    effectRecord_.processDoubleReplacing = processDoubleEntry;
}

AudioEffect::~AudioEffect() {
    delete editor_;
}

void AudioEffect::setEditor(AEffEditor* newEditor) {
    editor_ = newEditor;
    setFlag(effFlagsHasEditor, newEditor != nullptr);
}

void AudioEffect::setFlag(VstInt32 flag, bool state) {
    if (state)
        effectRecord_.flags |= flag;
    else
        effectRecord_.flags &= ~flag;
}

VstIntPtr AudioEffect::callHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return hostCallback_ ? hostCallback_(&effectRecord_, opcode, index, value, ptr, opt) : 0;
}

void AudioEffect::setParameterAutomated(VstInt32 index, float value) {
    setParameter(index, value);
    // The host only hears of parameters it knows; an index beyond its list is ours alone.
    if (index >= 0 && index < parameterCount_) callHost(audioMasterAutomate, index, 0, nullptr, value);
}

VstInt32 AudioEffect::getMasterVersion() {
    const VstIntPtr version = callHost(audioMasterVersion);
    return version ? static_cast<VstInt32>(version) : 1;
}

bool AudioEffect::isInputConnected(VstInt32 pin) {
    return callHost(audioMasterPinConnected, pin, 0) == 0;
}

bool AudioEffect::isOutputConnected(VstInt32 pin) {
    return callHost(audioMasterPinConnected, pin, 1) == 0;
}

VstIntPtr AudioEffect::dispatcher(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    char* text = static_cast<char*>(ptr);
    switch (opcode) {
    case effOpen: open(); return 0;
    case effClose: close(); return 0;

    case effSetProgram:
        if (value >= 0 && value < programCount_) setProgram(static_cast<VstInt32>(value));
        return 0;
    case effGetProgram: return getProgram();
    case effSetProgramName:
        if (text) setProgramName(text);
        return 0;
    case effGetProgramName:
        if (text) getProgramName(text);
        return 0;

    case effGetParamLabel:
        if (text) getParameterLabel(index, text);
        return 0;
    case effGetParamDisplay:
        if (text) getParameterDisplay(index, text);
        return 0;
    case effGetParamName:
        if (text) getParameterName(index, text);
        return 0;

    case effSetSampleRate:
        if (std::isfinite(opt) && opt > 0.0f) setSampleRate(opt);
        return 0;
    case effSetBlockSize:
        if (isPositiveInt32(value)) setBlockSize(static_cast<VstInt32>(value));
        return 0;
    case effMainsChanged:
        if (value)
            resume();
        else
            suspend();
        return 0;

    case effEditGetRect:
        if (editor_ && ptr) return editor_->getRect(static_cast<ERect**>(ptr)) ? 1 : 0;
        return 0;
    case effEditOpen:
        return editor_ && editor_->open(ptr) ? 1 : 0;
    case effEditClose:
        if (editor_) editor_->close();
        return 0;
    case effEditIdle:
        if (editor_) editor_->idle();
        return 0;

    case effIdentify: return vstFourCharCode('N', 'v', 'E', 'f');

    case effGetChunk:
        if (!ptr) return 0;
        return getChunk(static_cast<void**>(ptr), index != 0);
    case effSetChunk:
        if (!ptr || !isPositiveInt32(value)) return 0;
        return setChunk(ptr, static_cast<VstInt32>(value), index != 0);

    default: return 0;
    }
}
