#include "tools/aldermark/plugin_instance.h"

#include <array>
#include <atomic>
#include <cstring>

#include "tools/aldermark/host_platform.h"

namespace aldermark {
namespace {

using EntryPoint = AEffect*(VSTCALLBACK*)(audioMasterCallback);

// Instances that are open, so that the callback can find the one an effect belongs to
// without relying on fields of the record that a plug-in might use itself.
struct OpenInstance {
    std::atomic<const AEffect*> effect{nullptr};
    std::atomic<PluginInstance*> instance{nullptr};
};
std::array<OpenInstance, 16> openInstances;

void registerInstance(const AEffect* effect, PluginInstance* instance) {
    for (OpenInstance& slot : openInstances) {
        const AEffect* empty = nullptr;
        if (slot.effect.compare_exchange_strong(empty, effect)) {
            slot.instance.store(instance);
            return;
        }
    }
}

void unregisterInstance(const AEffect* effect) {
    for (OpenInstance& slot : openInstances)
        if (slot.effect.load() == effect) {
            slot.instance.store(nullptr);
            slot.effect.store(nullptr);
        }
}

PluginInstance* findInstance(const AEffect* effect) {
    if (!effect) return nullptr;
    for (OpenInstance& slot : openInstances)
        if (slot.effect.load() == effect) return slot.instance.load();
    return nullptr;
}

void copyText(void* destination, const char* text, std::size_t capacity) {
    if (!destination) return;
    std::strncpy(static_cast<char*>(destination), text, capacity - 1);
    static_cast<char*>(destination)[capacity - 1] = 0;
}

}  // namespace

VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt) {
    if (PluginInstance* instance = findInstance(effect)) return instance->answerHost(opcode, index, value, ptr, opt);
    // Before the entry point returns there is no instance yet: the effect may only ask who
    // we are, and every pin counts as connected.
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    default: return 0;
    }
}

VstIntPtr PluginInstance::answerHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    HostRequestListener* listener = listener_.load();
    switch (opcode) {
    case audioMasterVersion: return kVstVersion;
    case audioMasterPinConnected: {
        // Answer 0 means connected; value 0 asks about an input, 1 about an output.
        const int connected = value ? connectedOutputs_ : connectedInputs_;
        return index >= 0 && index < connected ? 0 : 1;
    }
    case audioMasterGetSampleRate: return static_cast<VstIntPtr>(sampleRate_);
    case audioMasterGetBlockSize: return blockSize_;
    case audioMasterGetProductString: copyText(ptr, "aldermark", kVstMaxProductStrLen); return ptr ? 1 : 0;
    case audioMasterGetVendorVersion: return 1;
    case audioMasterAutomate:
        if (listener) listener->automated(index, opt);
        return 0;
    case audioMasterBeginEdit:
        if (listener) listener->editBegun(index);
        return listener ? 1 : 0;
    case audioMasterEndEdit:
        if (listener) listener->editEnded(index);
        return listener ? 1 : 0;
    case audioMasterSizeWindow: {
        // index: width, value: height; a value beyond 32 bits is no height at all.
        const bool plausible = value > 0 && value <= 0x7fffffff;
        return listener && plausible && listener->sizeWindowRequested(index, static_cast<VstInt32>(value)) ? 1 : 0;
    }
    case audioMasterCanDo:
        // Compared only as far as the two texts agree: a plug-in's text may be unterminated.
        return listener && ptr && std::strncmp(static_cast<const char*>(ptr), "sizeWindow", 11) == 0 ? 1 : 0;
    default: return 0;  // idle, time info …: nothing to do without a project
    }
}

PluginInstance::~PluginInstance() {
    unload();
}

void PluginInstance::unload() {
    if (bridge_) {
        unregisterInstance(effect_);
        effect_ = nullptr;
        bridge_.reset();  // the plug-in goes with its bridge
    }
    if (effect_) {
        dispatch(effClose);  // the effect frees itself here
        unregisterInstance(effect_);
        effect_ = nullptr;
    }
    host_platform::unloadLibrary(library_);
    library_ = nullptr;
}

bool PluginInstance::load(const std::string& path, std::string& error) {
    unload();
    // A bundle folder or URI is no file to probe; the bridges say what is missing.
    if (isClapPath(path) || isLv2Path(path)) {
        bridge_ = isClapPath(path) ? openClapBridge(path, hostCallback, error) : openLv2Bridge(path, hostCallback, error);
        if (!bridge_) return false;
        effect_ = bridge_->effect();
        registerInstance(effect_, this);
        return true;
    }
    if (std::FILE* probe = host_platform::openFile(path, "rb")) {
        std::fclose(probe);
    } else {
        error = "plug-in '" + path + "' not found or not readable";
        return false;
    }
    std::string reason;
    library_ = host_platform::loadLibrary(path, reason);
    if (!library_) {
        error = "'" + path + "' is not a loadable plug-in library: " + reason;
        return false;
    }
    auto entry = reinterpret_cast<EntryPoint>(host_platform::findSymbol(library_, "VSTPluginMain"));
    if (!entry) entry = reinterpret_cast<EntryPoint>(host_platform::findSymbol(library_, "main"));
    if (!entry) {
        unload();
        error = "'" + path + "' is not a VST 2.4 plug-in (no VSTPluginMain or main entry point)";
        return false;
    }
    AEffect* effect = entry(hostCallback);
    if (!effect) {
        unload();
        error = "the plug-in '" + path + "' refused to create an effect (its entry point returned null)";
        return false;
    }
    if (effect->magic != kEffectMagic || !effect->dispatcher) {
        // Not a record we can talk to, so it cannot be closed either; just drop the library.
        unload();
        error = "'" + path + "' did not return a VST 2.4 effect record";
        return false;
    }
    if (effect->numInputs < 0 || effect->numInputs > kMaxPins || effect->numOutputs < 0 ||
        effect->numOutputs > kMaxPins || effect->numParams < 0) {
        effect_ = effect;
        unload();
        error = "the plug-in '" + path + "' announces implausible channel or parameter counts";
        return false;
    }
    effect_ = effect;
    registerInstance(effect_, this);
    dispatch(effOpen);
    return true;
}

VstIntPtr PluginInstance::dispatch(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt) {
    return effect_ ? effect_->dispatcher(effect_, opcode, index, value, ptr, opt) : 0;
}

std::string PluginInstance::text(VstInt32 opcode, VstInt32 index) {
    // Plug-ins often write more than the interface's limits; give them plenty of room.
    char buffer[512] = {};
    dispatch(opcode, index, 0, buffer);
    buffer[sizeof buffer - 1] = 0;
    return buffer;
}

void PluginInstance::setParameter(VstInt32 index, float value) {
    if (effect_ && effect_->setParameter) effect_->setParameter(effect_, index, value);
}

float PluginInstance::getParameter(VstInt32 index) {
    return effect_ && effect_->getParameter ? effect_->getParameter(effect_, index) : 0.0f;
}

void PluginInstance::setConnectedPins(int inputs, int outputs) {
    connectedInputs_ = inputs;
    connectedOutputs_ = outputs;
}

void PluginInstance::setProcessing(float sampleRate, VstInt32 blockSize) {
    sampleRate_ = sampleRate;
    blockSize_ = blockSize;
    dispatch(effSetSampleRate, 0, 0, nullptr, sampleRate);
    dispatch(effSetBlockSize, 0, blockSize);
}

}  // namespace aldermark
