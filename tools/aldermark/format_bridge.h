#pragma once
// A plug-in of another format seen as a VST 2.4 effect record, so that every command and the
// validator's whole battery speak to a CLAP or LV2 plug-in as they speak to a VST 2.4 binary.
// The bridge plays the host of its format: it maps the record's calls onto the format's
// (values normalised linearly over each parameter's range, stepped ones rounded; the state
// as the chunk; the editor in the host's window) and the format's requests onto the VST 2.4
// host callback. BridgedEffect does what every format shares; clap_bridge.cpp and
// lv2_bridge.cpp the rest.
//
// Threads: as a VST 2.4 host has them. The dispatcher's editor and state calls come from the
// host's main thread; processReplacing from the audio thread; setParameter from any thread
// (the value travels with the next block, or reaches the plug-in before the next dispatcher
// call while nothing is processed).
#include <array>
#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "vst2/aeffectx.h"

namespace aldermark {

class FormatBridge {
public:
    virtual ~FormatBridge() = default;
    // The record the host talks to; valid for the bridge's life.
    virtual AEffect* effect() = 0;
};

// Whether `path` names a plug-in this host bridges, and the bridge for it (null with a
// one-line reason): a .clap file, or an LV2 bundle folder (….lv2) or plug-in URI.
bool isClapPath(const std::string& path);
bool isLv2Path(const std::string& path);
std::unique_ptr<FormatBridge> openClapBridge(const std::string& path, audioMasterCallback host, std::string& error);
std::unique_ptr<FormatBridge> openLv2Bridge(const std::string& path, audioMasterCallback host, std::string& error);

class BridgedEffect : public FormatBridge {
public:
    static constexpr int kMaxParams = 256;
    struct Param {
        std::string name;
        double minimum = 0, maximum = 1;
        bool stepped = false;
        bool automatable = true;
    };

    explicit BridgedEffect(audioMasterCallback host);
    AEffect* effect() override { return &effect_; }

protected:
    // Once the plug-in is made: what the record announces.
    void describe(const std::string& name, const std::string& vendor, const std::string& id, std::vector<Param> params,
                  bool hasEditor);

    // ---- the format's side
    virtual void processBlock(float** in, float** out, std::uint32_t frames) = 0;  // audio thread, while active
    virtual bool activate(bool on) = 0;                                            // main thread
    // Main thread, nothing processed: takePending's values, and what the plug-in asked for.
    virtual void flush() = 0;
    virtual double plainValue(int index) = 0;
    virtual std::string display(int index, double plain) = 0;
    virtual bool parse(int index, const char* text, double& plain) = 0;
    virtual bool saveState(std::vector<unsigned char>& chunk) = 0;
    virtual bool loadState(const unsigned char* data, std::size_t size) = 0;
    virtual bool editorSize(int& width, int& height) = 0;
    virtual bool openEditor(void* parent) = 0;
    virtual void closeEditor() = 0;
    virtual void idleEditor() = 0;
    // Main thread: the rate and largest block the host announced, for the next activation.
    double sampleRate() const { return sampleRate_; }
    int blockSize() const { return blockSize_; }
    bool processing() const { return processing_.load(std::memory_order_acquire); }

    // The values the host set since the last call, in plain units: each reaches `apply`.
    template <typename Apply>
    void takePending(Apply apply) {
        for (std::size_t word = 0; word < pendingMask_.size(); ++word)
            for (std::uint64_t bits = pendingMask_[word].exchange(0, std::memory_order_acq_rel); bits; bits &= bits - 1) {
                const std::size_t i = word * 64 + static_cast<std::size_t>(countTrailingZeros(bits));
                apply(static_cast<int>(i), pending_[i].load(std::memory_order_relaxed));
            }
    }
    bool anyPending() const;
    // A value the plug-in's own editor set (any thread): it reaches the plug-in's input the
    // way the host's values do, with the next block or flush.
    void setPlain(int index, double plain);

    // What the plug-in tells its host (any thread): a gesture, a value, a new window size.
    void tellBeginEdit(int index);
    void tellEndEdit(int index);
    void tellValue(int index, double plain);
    bool tellSize(int width, int height);

    const Param* param(int index) const;
    float normalised(int index, double plain) const;
    double plain(int index, float normalised) const;

private:
    static int countTrailingZeros(std::uint64_t bits);
    VstIntPtr dispatch(VstInt32 op, VstInt32 index, VstIntPtr value, void* ptr, float opt);
    VstIntPtr text(VstInt32 op, VstInt32 index, void* ptr);
    void setParameter(VstInt32 index, float x);
    float getParameter(VstInt32 index);
    void process(float** in, float** out, VstInt32 frames);
    void setActive(bool on);

    AEffect effect_{};
    audioMasterCallback audioMaster_;
    std::string name_, vendor_;
    std::vector<Param> params_;
    std::vector<unsigned char> chunk_;  // the last saved state, handed to the host
    ERect rect_{};
    char programName_[kVstMaxProgNameLen] = "Default";
    double sampleRate_ = 44100.0;  // Hz, as the host set it
    int blockSize_ = 512;          // frames, as the host set it
    std::atomic<bool> processing_{false};
    std::array<std::atomic<double>, kMaxParams> pending_{};  // plain values the host set
    std::array<std::atomic<std::uint64_t>, kMaxParams / 64> pendingMask_{};
};

}  // namespace aldermark
