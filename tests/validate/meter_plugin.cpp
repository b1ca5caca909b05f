// A small level meter for the validator's own tests: its editor shows the input's RMS level
// (50 ms average) as a bar, updated at each idle. Sound, it reads a non-finite sample as full
// scale, as a meter should; built with FLAW_STUCK_METER it lets the sample into its average,
// where a NaN stays for ever and the bar never moves again.
#include <algorithm>
#include <atomic>
#include <cmath>
#include <cstring>

#include "toolkit/frame.h"
#include "vst2/aeffguieditor.h"
#include "vst2/audioeffectx.h"
#include "vst2/plugin_entry.h"

namespace {

class Meter : public AudioEffectX {
public:
    explicit Meter(audioMasterCallback host) : AudioEffectX(host, 1, 0) {
        setNumInputs(2);
        setNumOutputs(2);
        setUniqueID(vstFourCharCode('V', 'a', 'l', 'M'));
        canProcessReplacing();
    }

    void processReplacing(float** inputs, float** outputs, VstInt32 frames) override {
        const float rate = getSampleRate() > 0 ? getSampleRate() : 44100.0f;
        const double smoothing = 1.0 - std::exp(-1.0 / (0.05 * rate));  // per sample, 50 ms
        double meanSquare = meanSquare_.load(std::memory_order_relaxed);
        for (VstInt32 i = 0; i < frames; ++i) {
            double sample = inputs[0][i];
#if !defined(FLAW_STUCK_METER)
            if (!std::isfinite(sample)) sample = 1.0;
#endif
            meanSquare += smoothing * (sample * sample - meanSquare);
            for (int channel = 0; channel < 2; ++channel) outputs[channel][i] = 0.0f;
        }
        meanSquare_.store(meanSquare, std::memory_order_relaxed);
    }
    bool canParameterBeAutomated(VstInt32) override { return false; }  // it has none
    double level() const { return std::sqrt(meanSquare_.load(std::memory_order_relaxed)); }

    bool getEffectName(char* text) override { return std::strcpy(text, "Validator Meter"); }
    bool getProductString(char* text) override { return std::strcpy(text, "Validator Meter"); }
    bool getVendorString(char* text) override { return std::strcpy(text, "Kestrune tests"); }
    VstPlugCategory getPlugCategory() override { return kPlugCategAnalysis; }

private:
    std::atomic<double> meanSquare_{0.0};  // full scale squared; written by the audio thread
};

// The level as a green bar from the left; a non-finite level shows as none.
class LevelBar : public CView {
public:
    explicit LevelBar(const CRect& size) : CView(size) {}
    void setLevel(double level) {
        shown_ = std::isfinite(level) ? std::clamp(level, 0.0, 1.0) : 0.0;
        invalid();
    }
    void draw(CDrawContext* context) override {
        CRect bar = getViewSize();
        context->setFillColor(CColor{20, 20, 20, 255});
        context->drawRect(bar, kDrawFilled);
        bar.right = bar.left + shown_ * bar.getWidth();
        context->setFillColor(CColor{80, 220, 80, 255});
        context->drawRect(bar, kDrawFilled);
        setDirty(false);
    }

private:
    double shown_ = 0.0;  // 0..1 of the width
};

class MeterEditor : public AEffGUIEditor {
public:
    explicit MeterEditor(Meter* meter) : AEffGUIEditor(meter), meter_(meter) { rect = {0, 0, 40, 240}; }
    ~MeterEditor() override { close(); }

    bool open(void* parentWindow) override {
        GuiLock lock(*this);
        if (frame) close();
        auto* made = new CFrame(CRect(0, 0, 240, 40), nullptr, this);
        if (!made->open(parentWindow)) {
            made->forget();
            return false;
        }
        AEffGUIEditor::open(parentWindow);
        frame = made;
        bar_ = new LevelBar(CRect(0, 0, 240, 40));
        frame->addView(bar_);
        return true;
    }
    void close() override {
        GuiLock lock(*this);
        if (!frame) return;
        bar_ = nullptr;
        frame->close();
        frame = nullptr;
        AEffGUIEditor::close();
    }
    void idle() override {
        GuiLock lock(*this);
        if (bar_) bar_->setLevel(meter_->level());
        AEffGUIEditor::idle();
    }

private:
    Meter* meter_;
    LevelBar* bar_ = nullptr;  // owned by the frame
};

}  // namespace

extern "C" VST_EXPORT AEffect* VSTCALLBACK VSTPluginMain(audioMasterCallback host) {
    if (!host || host(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f) == 0) return nullptr;
    auto* meter = new Meter(host);
    meter->setEditor(new MeterEditor(meter));
    return meter->getAeffect();
}
VST_EXPORT_MAIN_ALIAS
