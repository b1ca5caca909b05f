#include "tools/aldermark/format_bridge.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstring>

namespace aldermark {
namespace {

void copyText(void* destination, const char* text, std::size_t capacity) {
    if (!destination || capacity == 0) return;
    const std::size_t n = text ? strnlen(text, capacity - 1) : 0;
    if (n) std::memcpy(destination, text, n);
    static_cast<char*>(destination)[n] = 0;
}

VstIntPtr pinProperties(bool input, VstInt32 index, void* ptr) {
    if (!ptr || index < 0 || index > 1) return 0;
    auto& pin = *static_cast<VstPinProperties*>(ptr);
    pin = {};
    copyText(pin.label, input ? (index ? "In R" : "In L") : (index ? "Out R" : "Out L"), sizeof pin.label);
    pin.flags = kVstPinIsActive | (index == 0 ? kVstPinIsStereo : 0);
    pin.arrangementType = kSpeakerArrStereo;
    return 1;
}

BridgedEffect* self(AEffect* e) { return static_cast<BridgedEffect*>(e->object); }

}  // namespace

bool isClapPath(const std::string& path) { return path.size() > 5 && path.compare(path.size() - 5, 5, ".clap") == 0; }

bool isLv2Path(const std::string& path) {
    std::string folder = path;
    while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
    return (folder.size() > 4 && folder.compare(folder.size() - 4, 4, ".lv2") == 0) || path.rfind("http://", 0) == 0 ||
           path.rfind("https://", 0) == 0 || path.rfind("urn:", 0) == 0;
}

int BridgedEffect::countTrailingZeros(std::uint64_t bits) { return std::countr_zero(bits); }

BridgedEffect::BridgedEffect(audioMasterCallback host) : audioMaster_(host) {
    effect_.magic = kEffectMagic;
    effect_.dispatcher = [](AEffect* e, VstInt32 op, VstInt32 i, VstIntPtr v, void* p, float o) {
        return self(e)->dispatch(op, i, v, p, o);
    };
    effect_.setParameter = [](AEffect* e, VstInt32 i, float x) { self(e)->setParameter(i, x); };
    effect_.getParameter = [](AEffect* e, VstInt32 i) { return self(e)->getParameter(i); };
    effect_.processReplacing = [](AEffect* e, float** in, float** out, VstInt32 n) { self(e)->process(in, out, n); };
    effect_.object = this;
    effect_.numPrograms = 1;
    effect_.numInputs = effect_.numOutputs = 2;
    effect_.version = 1;
}

void BridgedEffect::describe(const std::string& name, const std::string& vendor, const std::string& id,
                             std::vector<Param> params, bool hasEditor) {
    name_ = name, vendor_ = vendor;
    if (params.size() > kMaxParams) params.resize(kMaxParams);
    params_ = std::move(params);
    effect_.numParams = static_cast<VstInt32>(params_.size());
    effect_.flags = effFlagsCanReplacing | effFlagsProgramChunks | (hasEditor ? effFlagsHasEditor : 0);
    std::uint32_t hash = 2166136261u;  // FNV-1a of the plug-in's id: four stable capitals
    for (unsigned char c : id) hash = (hash ^ c) * 16777619u;
    VstInt32 code = 0;
    for (int i = 0; i < 4; ++i, hash /= 26) code = code << 8 | static_cast<VstInt32>('A' + hash % 26);
    effect_.uniqueID = code;
}

const BridgedEffect::Param* BridgedEffect::param(int index) const {
    return index >= 0 && index < static_cast<int>(params_.size()) ? &params_[static_cast<std::size_t>(index)] : nullptr;
}

double BridgedEffect::plain(int index, float x) const {
    const Param& p = *param(index);
    const double v = p.minimum + std::clamp(static_cast<double>(x), 0.0, 1.0) * (p.maximum - p.minimum);
    return p.stepped ? std::round(v) : v;
}

float BridgedEffect::normalised(int index, double value) const {
    const Param& p = *param(index);
    if (!(p.maximum > p.minimum) || !std::isfinite(value)) return 0.0f;
    return static_cast<float>(std::clamp((value - p.minimum) / (p.maximum - p.minimum), 0.0, 1.0));
}

bool BridgedEffect::anyPending() const {
    for (const auto& word : pendingMask_)
        if (word.load(std::memory_order_acquire)) return true;
    return false;
}

void BridgedEffect::setParameter(VstInt32 index, float x) {
    if (!param(index) || !std::isfinite(x)) return;
    setPlain(index, plain(index, x));
}

void BridgedEffect::setPlain(int index, double value) {
    if (!param(index) || !std::isfinite(value)) return;
    const auto slot = static_cast<std::size_t>(index);
    pending_[slot].store(value, std::memory_order_relaxed);
    pendingMask_[slot / 64].fetch_or(std::uint64_t{1} << (slot % 64), std::memory_order_release);
}

float BridgedEffect::getParameter(VstInt32 index) {
    if (!param(index)) return 0.0f;
    const auto slot = static_cast<std::size_t>(index);
    if (pendingMask_[slot / 64].load(std::memory_order_acquire) & (std::uint64_t{1} << (slot % 64)))
        return normalised(index, pending_[slot].load(std::memory_order_relaxed));
    return normalised(index, plainValue(index));
}

void BridgedEffect::process(float** in, float** out, VstInt32 frames) {
    if (frames <= 0 || !out || !out[0] || !out[1]) return;
    if (!processing()) {
        for (int c = 0; c < 2; ++c) std::fill(out[c], out[c] + frames, 0.0f);
        return;
    }
    processBlock(in, out, static_cast<std::uint32_t>(frames));
}

void BridgedEffect::setActive(bool on) {
    if (on == processing()) return;
    if (!on) processing_.store(false, std::memory_order_release);
    if (activate(on) && on) processing_.store(true, std::memory_order_release);
}

void BridgedEffect::tellBeginEdit(int index) {
    if (param(index)) audioMaster_(&effect_, audioMasterBeginEdit, index, 0, nullptr, 0);
}
void BridgedEffect::tellEndEdit(int index) {
    if (param(index)) audioMaster_(&effect_, audioMasterEndEdit, index, 0, nullptr, 0);
}
void BridgedEffect::tellValue(int index, double value) {
    if (param(index)) audioMaster_(&effect_, audioMasterAutomate, index, 0, nullptr, normalised(index, value));
}
bool BridgedEffect::tellSize(int width, int height) {
    return audioMaster_(&effect_, audioMasterSizeWindow, width, height, nullptr, 0) != 0;
}

VstIntPtr BridgedEffect::text(VstInt32 op, VstInt32 index, void* ptr) {
    const Param* p = param(index);
    if (!p || !ptr) return 0;
    const std::string text = op == effGetParamName      ? p->name
                             : op == effGetParamDisplay ? display(index, plain(index, getParameter(index)))
                                                        : std::string();
    copyText(ptr, text.c_str(), kVstMaxParamStrLen + 1);  // the room a VST 2.4 host gives
    return 1;
}

VstIntPtr BridgedEffect::dispatch(VstInt32 op, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    // While nothing is processed, what the host set reaches the plug-in before anything it
    // asks: as with a VST 2.4 effect, a value set is a value in the state.
    if (!processing()) flush();
    switch (op) {
        case effSetSampleRate: sampleRate_ = std::isfinite(opt) && opt > 0 ? opt : 44100.0; return 0;
        case effSetBlockSize: blockSize_ = static_cast<int>(std::clamp<VstIntPtr>(value, 1, 1 << 20)); return 0;
        case effMainsChanged: setActive(value != 0); return 0;
        case effGetParamName:
        case effGetParamLabel:
        case effGetParamDisplay: return text(op, index, ptr);
        case effString2Parameter: {
            if (!ptr) return 1;  // asked whether typed values are understood
            double typed = 0;
            if (!param(index) || !parse(index, static_cast<const char*>(ptr), typed)) return 0;
            setParameter(index, normalised(index, typed));
            return 1;
        }
        case effCanBeAutomated: return param(index) && param(index)->automatable;
        case effGetChunk: {
            if (!ptr || !saveState(chunk_)) return 0;
            *static_cast<void**>(ptr) = chunk_.data();
            return static_cast<VstIntPtr>(chunk_.size());
        }
        case effSetChunk: return ptr && value > 0 && loadState(static_cast<const unsigned char*>(ptr), static_cast<std::size_t>(value));
        case effEditGetRect: {
            int w = 0, h = 0;
            if (!ptr || !(effect_.flags & effFlagsHasEditor) || !editorSize(w, h)) return 0;
            rect_ = {0, 0, static_cast<VstInt16>(h), static_cast<VstInt16>(w)};
            *static_cast<ERect**>(ptr) = &rect_;
            return 1;
        }
        case effEditOpen: return ptr && (effect_.flags & effFlagsHasEditor) && openEditor(ptr);
        case effEditClose: closeEditor(); return 0;
        case effEditIdle: idleEditor(); return 0;
        case effGetProgram: return 0;
        case effSetProgramName: copyText(programName_, static_cast<const char*>(ptr), sizeof programName_); return 0;
        case effGetProgramName: copyText(ptr, programName_, kVstMaxProgNameLen); return 0;
        case effGetProgramNameIndexed: copyText(ptr, index == 0 ? programName_ : "", kVstMaxProgNameLen); return index == 0;
        case effGetEffectName: copyText(ptr, name_.c_str(), kVstMaxEffectNameLen); return 1;
        case effGetVendorString: copyText(ptr, vendor_.c_str(), kVstMaxVendorStrLen); return 1;
        case effGetProductString: copyText(ptr, name_.c_str(), kVstMaxProductStrLen); return 1;
        case effGetPlugCategory: return kPlugCategAnalysis;
        case effGetVstVersion: return kVstVersion;
        case effGetInputProperties:
        case effGetOutputProperties: return pinProperties(op == effGetInputProperties, index, ptr);
        case effCanDo: return -1;
        default: return 0;
    }
}

}  // namespace aldermark
