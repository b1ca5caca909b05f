#pragma once
// One plug-in loaded by the command-line host: the library, the effect it created and the
// host's side of the conversation (its callback answers, which pins are connected, the rate
// and block size it announced). Loading checks what it can about the binary and the record;
// what the plug-in does once it runs is trusted.
#include <atomic>
#include <memory>
#include <string>

#include "tools/aldermark/format_bridge.h"
#include "vst2/aeffectx.h"

namespace aldermark {

// What a host with a window does with the plug-in's requests about its editor and its
// parameters. Called on whichever thread the plug-in asks from.
class HostRequestListener {
public:
    virtual ~HostRequestListener() = default;
    virtual void automated(VstInt32 index, float value) = 0;
    virtual void editBegun(VstInt32 index) = 0;
    virtual void editEnded(VstInt32 index) = 0;
    // True when the host resizes its window so that the editor gets width x height.
    virtual bool sizeWindowRequested(VstInt32 width, VstInt32 height) = 0;
};

class PluginInstance {
public:
    PluginInstance() = default;
    // Closes the effect (effClose) and unloads the library.
    ~PluginInstance();
    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // Loads the library, calls its entry point (VSTPluginMain, else main), checks the record
    // and opens the effect. A .clap file is loaded through its bridge (format_bridge.h) and
    // answers as a VST 2.4 effect. False with a one-line reason when any step fails.
    bool load(const std::string& path, std::string& error);

    AEffect* effect() const { return effect_; }
    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr,
                       float opt = 0.0f);
    // Asks for a text (name, label, display, vendor …) with a generous, always terminated buffer.
    std::string text(VstInt32 opcode, VstInt32 index = 0);
    void setParameter(VstInt32 index, float value);
    float getParameter(VstInt32 index);

    // What the host reports through audioMasterPinConnected: pins below these counts are
    // connected.
    void setConnectedPins(int inputs, int outputs);
    // Announces rate and largest block, as a host does before resuming.
    void setProcessing(float sampleRate, VstInt32 blockSize);

    // Who answers the editor's and the parameters' requests; null (the default) for a host
    // without a window, which ignores them.
    void setListener(HostRequestListener* listener) { listener_.store(listener); }

    // Answers of the host callback for this instance.
    VstIntPtr answerHost(VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr, float opt);

private:
    void unload();

    std::unique_ptr<FormatBridge> bridge_;  // a plug-in of another format, while loaded
    void* library_ = nullptr;   // platform library handle
    AEffect* effect_ = nullptr; // the effect's record while open
    int connectedInputs_ = 2;   // pins reported connected
    int connectedOutputs_ = 2;
    float sampleRate_ = 44100.0f;  // Hz, as announced
    VstInt32 blockSize_ = 512;     // frames, as announced
    std::atomic<HostRequestListener*> listener_{nullptr};
};

// The host callback every loaded plug-in receives.
VstIntPtr VSTCALLBACK hostCallback(AEffect* effect, VstInt32 opcode, VstInt32 index, VstIntPtr value, void* ptr,
                                   float opt);

// Largest pin count the host accepts from a plug-in record.
constexpr int kMaxPins = 64;

}  // namespace aldermark
