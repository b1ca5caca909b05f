// Small plug-ins for the host tests, one library per variant (chosen by a compile
// definition): a working stereo gain effect, the same effect with an editor, the effect
// reachable only through "main", an entry point that returns null, a record with the wrong
// magic, and no entry at all.
#include <atomic>
#include <cstdio>
#include <cstring>

#include "vst2/aeffeditor.h"
#include "vst2/audioeffectx.h"
#include "vst2/plugin_entry.h"

namespace {

constexpr VstInt32 kParameters = 64;

// out = in × 2 × "Gain", on two channels. It also shows what the host told it, through
// parameter displays: 1 the pins reported connected at the last block, 2 the host's
// version, 3 the sample rate and 4 the block size.
class TestGain : public AudioEffectX {
public:
    explicit TestGain(audioMasterCallback host) : AudioEffectX(host, 1, kParameters) {
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(vstFourCharCode('T', 's', 't', 'G'));
        canProcessReplacing();
        for (float& value : values_) value = 0.5f;
        hostVersion_ = getMasterVersion();
    }

    void setParameter(VstInt32 index, float value) override {
        if (index >= 0 && index < kParameters) values_[index] = value;
    }
    float getParameter(VstInt32 index) override { return index >= 0 && index < kParameters ? values_[index] : 0.0f; }
    void getParameterName(VstInt32 index, char* text) override {
        static const char* const names[] = {"Gain", "Pins", "Host", "Rate", "Block", "Say \"hi\""};
        std::strcpy(text, index >= 0 && index < 6 ? names[index] : "");
    }
    void getParameterLabel(VstInt32 index, char* text) override { std::strcpy(text, index == 0 ? "x" : ""); }
    void getParameterDisplay(VstInt32 index, char* text) override {
        switch (index) {
        case 0: std::snprintf(text, 9, "%.2f", 2.0f * values_[0]); break;
        case 1: std::snprintf(text, 9, "%d%d/%d%d", pins_[0], pins_[1], pins_[2], pins_[3]); break;
        case 2: std::snprintf(text, 9, "%d", hostVersion_); break;
        case 3: std::snprintf(text, 9, "%.0f", getSampleRate()); break;
        case 4: std::snprintf(text, 9, "%d", getBlockSize()); break;
        default: text[0] = 0;
        }
    }
    bool canParameterBeAutomated(VstInt32 index) override { return index == 0; }

    bool getEffectName(char* text) override { return copy(text, "Test Gain"); }
    bool getProductString(char* text) override { return copy(text, "Test Gain Product"); }
    bool getVendorString(char* text) override { return copy(text, "Aldermark Tests"); }
    VstInt32 getVendorVersion() override { return 7; }
    VstPlugCategory getPlugCategory() override { return kPlugCategEffect; }
    VstInt32 canDo(char* text) override {
        if (std::strcmp(text, "1in1out") == 0 || std::strcmp(text, "2in2out") == 0) return 1;
        return std::strcmp(text, "offline") == 0 ? -1 : 0;
    }
    bool getInputProperties(VstInt32 index, VstPinProperties* pin) override { return describePin(index, "In", pin); }
    bool getOutputProperties(VstInt32 index, VstPinProperties* pin) override { return describePin(index, "Out", pin); }

    void resume() override { resumed_ = true; }
    void suspend() override { resumed_ = false; }

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override {
        framesProcessed_.fetch_add(frames, std::memory_order_relaxed);
        pins_[0] = isInputConnected(0), pins_[1] = isInputConnected(1);
        pins_[2] = isOutputConnected(0), pins_[3] = isOutputConnected(1);
        // Like many real plug-ins it relies on resume and on the announced block size;
        // a host that breaks either gets silence.
        const float gain = resumed_ && frames <= getBlockSize() ? 2.0f * values_[0] : 0.0f;
        for (int channel = 0; channel < 2; ++channel)
            for (VstInt32 i = 0; i < frames; ++i) outputs[channel][i] = gain * inputs[channel][i];
    }

    // Seconds of audio through processReplacing so far, at the announced rate.
    double secondsProcessed() { return static_cast<double>(framesProcessed_.load()) / getSampleRate(); }

private:
    static bool copy(char* text, const char* value) {
        std::strcpy(text, value);
        return true;
    }
    static bool describePin(VstInt32 index, const char* direction, VstPinProperties* pin) {
        if (index < 0 || index > 1) return false;
        std::snprintf(pin->label, sizeof pin->label, "Test %s %d", direction, index + 1);
        pin->flags = kVstPinIsActive | kVstPinIsStereo;
        return true;
    }

    float values_[kParameters];
    int pins_[4] = {};      // 1 = connected: input 0, input 1, output 0, output 1
    int hostVersion_ = 0;   // the host's answer at construction
    bool resumed_ = false;
    std::atomic<long long> framesProcessed_{0};  // written by the audio thread
};

// An editor without a window of its own, for the edit command's tests. It asks the host for
// a size as it opens and for another after a number of idles, with a gesture on parameter
// 1; as it closes it reports through automation how many idles it got (parameter 2,
// idles / 1000) and how much audio went through meanwhile (parameter 3, seconds / 100).
class TestEditor : public AEffEditor {
public:
    static constexpr int kSecondSizeAfterIdles = 60;

    explicit TestEditor(TestGain* effect) : AEffEditor(effect), gain_(effect) {}

    bool getRect(ERect** rect) override {
        *rect = &rect_;
        return true;
    }
    bool open(void* parentWindow) override {
        if (!parentWindow) return false;
        AEffEditor::open(parentWindow);
        idles_ = 0;
        startSeconds_ = gain_->secondsProcessed();
        resize(400, 300);
        return true;
    }
    void idle() override {
        if (!isOpen() || ++idles_ != kSecondSizeAfterIdles) return;
        gain_->beginEdit(1);
        gain_->setParameterAutomated(1, 0.25f);
        gain_->endEdit(1);
        resize(500, 250);
    }
    void close() override {
        if (isOpen()) {
            gain_->setParameterAutomated(2, static_cast<float>(idles_) / 1000.0f);
            gain_->setParameterAutomated(3, static_cast<float>((gain_->secondsProcessed() - startSeconds_) / 100.0));
        }
        AEffEditor::close();
    }

private:
    void resize(int width, int height) {
        rect_ = ERect{0, 0, static_cast<VstInt16>(height), static_cast<VstInt16>(width)};
        gain_->sizeWindow(width, height);
    }

    TestGain* gain_;
    ERect rect_{0, 0, 100, 200};  // before the first open: 200 x 100
    int idles_ = 0;
    double startSeconds_ = 0;
};

[[maybe_unused]] AEffect* createEffect(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* effect = new TestGain(host);
#if defined(TEST_PLUGIN_EDITOR)
    effect->setEditor(new TestEditor(effect));
#endif
    return effect->getAeffect();
}

}  // namespace

#if defined(TEST_PLUGIN_MAIN_ONLY)
VST_EXPORT_MAIN_ALIAS_OF(createEffect)
#elif defined(TEST_PLUGIN_NULL_ENTRY)
extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback) {
    return nullptr;
}
#elif defined(TEST_PLUGIN_BAD_MAGIC)
extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback) {
    static AEffect notAnEffect{};
    return &notAnEffect;
}
#elif defined(TEST_PLUGIN_NO_ENTRY)
extern "C" VST_EXPORT int aldermarkTestSomethingElse() {
    return createEffect(nullptr) == nullptr;
}
#else
extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    return createEffect(host);
}
VST_EXPORT_MAIN_ALIAS
#endif
