#pragma once
// The effect in no format's terms: keeps the parameters, runs the audio path (trim, strip
// filters) and feeds the selected meter model, and saves and restores itself as the 596-byte
// state chunk. A format wrapper owns one, answers its host with it and hands it to the editor.
//
// Threads: the audio thread calls process(); setParameter() may come from any thread (host,
// editor, meter models); the rest comes from the host's main thread. Blocks, suspend/resume
// and filter changes take the instance lock; a timed-out lock lets the caller go on without
// it (a late block rather than a stalled host).
#include <atomic>
#include <cstdint>
#include <memory>

#include "core/editor_effect.h"
#include "core/strip_filter_bank.h"
#include "core/trim_smoother.h"
#include "metering/meter_owner.h"
#include "metering/ppm_meter.h"
#include "metering/rms_meter.h"
#include "metering/vu_meter.h"
#include "model/parameter_ids.h"
#include "platform/instance_lock.h"

// What the effect needs of the format around it.
class FormatLink {
public:
    // The user changed a host parameter (0..16) in the editor: the host is told, as an
    // automation edit, and the value set. Any thread the editor runs on.
    virtual void automateParameter(int index, float value) = 0;
    // A host parameter (0..63) took a new value, from wherever it came: the format keeps
    // its own copy (a program slot, a port) in step. Thread of the change.
    virtual void hostParameterChanged(int index, float value) = 0;

protected:
    ~FormatLink() = default;
};

class MeterEffect final : public MeterOwner, public EditorEffect {
public:
    static constexpr int kChunkSize = 596;
    static constexpr int kLabelSize = EditorEffect::kLabelBytes;

    explicit MeterEffect(FormatLink& link);
    ~MeterEffect();
    MeterEffect(const MeterEffect&) = delete;
    MeterEffect& operator=(const MeterEffect&) = delete;

    // Parameters, normalised 0..1 (a NaN changes nothing). Any thread.
    void setParameter(std::int32_t index, float value) override;
    float getParameter(std::int32_t index) override;
    void setParameterAutomated(std::int32_t index, float value) override;
    // The display text of 0..16, at most parameters::kTextLength characters; "" otherwise.
    void getParameterDisplay(std::int32_t index, char* text) override;

    // Audio. Main thread: rate (20 kHz..200 kHz, anything else counts as 44.1 kHz) and
    // suspend/resume, as a host brackets its processing.
    void setSampleRate(float rate) { sampleRate_.store(rate, std::memory_order_relaxed); }
    float sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    void suspend();
    void resume();
    // Audio thread: one block. `in2` null (or the same as `in1`) is a mono input; `out2`
    // null (or the same as `out1`) a mono output. Nulls and counts below 1 are ignored.
    void process(const float* in1, const float* in2, float* out1, float* out2, int frames);

    // State, main thread: the chunk written into `out` (kChunkSize bytes), and a chunk read
    // back from any number of bytes (a short one as far as it goes, the rest as zero).
    void saveState(unsigned char* out) const;
    void loadState(const void* data, int size);

    // Whether an editor exists: only then is each block's time taken for its needles.
    void setEditorAttached(bool attached) { editorAttached_.store(attached, std::memory_order_relaxed); }

    // Read-outs for the editor, the formats and the command-line host.
    RMSMeter* rmsMeter() { return rms_.get(); }
    VUmeter* vuMeter() { return vu_.get(); }
    PPMmeter* ppmMeter() { return ppm_.get(); }
    // The meter that is fed: 0 VU, 1 RMS, 2 PPM.
    int meterType() const { return meterType_.load(std::memory_order_relaxed); }
    MeterModel* selectedMeter() { return meterModel(meterType()); }
    MeterModel* meterModel(int type) override;
    void getLabel(char out[kLabelSize]) const override;
    void setLabel(const char* text) override;
    // Any thread but the audio thread. Once it returns, no call into the previous editor is
    // running or will run: an editor may go straight after taking itself off.
    void setEditorSink(EditorParameterSink* sink) override;
    // Block clock: editor-clock time of the last block and its duration, seconds.
    double lastBlockTime() const { return lastBlockTime_.load(std::memory_order_relaxed); }
    double blockDuration() const { return blockDuration_.load(std::memory_order_relaxed); }
    double displayTimeOrigin() const override { return lastBlockTime(); }
    double displayTimeScale() const override { return blockDuration(); }
    const StripFilterBank& filterBank() const { return *filters_; }
    float trimTargetGain() const { return trim_.target(); }

private:
    void applyParameter(int index, float x);
    void forEachMeter(void (*fn)(MeterModel&, float), float x);
    MeterModel* ownerOfSetting(int index);
    void stereoPath(const float* in1, const float* in2, float* out1, float* out2, int frames);
    void monoPath(const float* in, float* out1, float* out2, int frames);
    void feedMeter(const float* left, const float* right, int frames, bool mono);

    FormatLink& link_;
    std::unique_ptr<platform::InstanceLock> lock_;  // held for construction, blocks, filter changes
    std::unique_ptr<RMSMeter> rms_;
    std::unique_ptr<VUmeter> vu_;
    std::unique_ptr<PPMmeter> ppm_;
    std::unique_ptr<StripFilterBank> filters_;
    TrimSmoother trim_;

    std::atomic<float> values_[parameters::kHostCount];  // host parameters and spares, as last given
    std::atomic<float> meterSettings_[parameters::kLastMeterSetting - parameters::kFirstMeterSetting + 1];
                                                         // copies of the meter settings 72..100
    std::atomic<int> processing_{0};          // "Process"
    std::atomic<int> filtersIn_{0};           // "ProcFlt"
    std::atomic<int> meterType_{0};           // "Meter": 0 VU, 1 RMS, 2 PPM
    std::atomic<float> sampleRate_{44100.0f}; // Hz, as the host last gave it
    std::atomic<bool> editorAttached_{false};
    std::atomic<double> lastBlockTime_{0.0};  // seconds on the editor clock
    std::atomic<double> blockDuration_{256.0};  // seconds
    std::atomic<char> label_[kLabelSize];     // the strip label, UTF-8, NUL-terminated
    std::atomic<EditorParameterSink*> editorSink_{nullptr};  // the editor, when there is one
    std::atomic<int> sinkCallsRunning_{0};                   // calls into the editor under way
};
