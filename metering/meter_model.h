#pragma once
// What the RMS, VU and PPM meter models share: settings scopes, the millisecond history for
// the display delay, the precise (inter-sample) mode, over counting and the read-outs.
//
// Threads: the audio thread runs the block processing; the GUI thread calls the read-outs,
// the scope operations and the setting changes. Settings and their derived quantities are
// atomics that the audio thread reads once per block; the running detector values are
// published as atomics at block boundaries; requests from the GUI side that touch audio
// state (clearing the precise window, consuming an over) are flags the audio thread acts on
// at the next block. Sample-rate reset and suspend run while the host is not processing.
#include <atomic>
#include <cstdint>
#include <cstring>
#include <memory>
#include <type_traits>

#include "metering/inter_sample_detector.h"
#include "metering/meter_owner.h"
#include "metering/stereo_double.h"

class MeterModel {
public:
    enum Value { kNeedle = 0, kHold = 1, kMeanSquare = 2 };
    static constexpr int kHistoryLength = 1001;  // one entry per millisecond
    static constexpr int kMaxSettings = 10;

    virtual ~MeterModel();
    virtual void setSetting(int index, float value) = 0;
    // The value a setting was last given, as the step in use where a model stores only its
    // steps (the RMS times); 0 for other indices.
    virtual float getSetting(int index) const;
    // Writes the display text of a setting that has one; leaves `text` untouched otherwise.
    virtual void getSettingText(int index, char* text) const = 0;

    // --- Values the effect sets ---------------------------------------------------------
    void setSampleRate(float sampleRate);
    float sampleRate() const { return sampleRate_.load(std::memory_order_relaxed); }
    void setMidSide(float value, int on);
    float midSideValue() const { return midSideValue_.load(std::memory_order_relaxed); }
    int midSide() const { return midSide_.load(std::memory_order_relaxed); }
    void setHoldMode(float value, int mode);
    float holdModeValue() const { return holdModeValue_.load(std::memory_order_relaxed); }
    int holdMode() const { return holdMode_.load(std::memory_order_relaxed); }
    void setDisplayDelay(float value, int milliseconds);
    float displayDelayValue() const { return displayDelayValue_.load(std::memory_order_relaxed); }
    int displayDelay() const { return displayDelay_.load(std::memory_order_relaxed); }

    // --- Read-outs (GUI thread) ---------------------------------------------------------
    // Running value at the end of the last block, linear relative to the reference level.
    double current(Value value, int channel) const;
    // What the panel shows: without display delay the current value (or, while falling,
    // blended with the block-start value by `interpolation` 0..1); with display delay the
    // history entry that many milliseconds back.
    double displayValue(Value value, int channel, double interpolation);
    // 1.0 an over is shown now, 0.0 an over happened since the last clear, -1.0 none has.
    double overLed(int channel);
    // Overs since the last reset or suspend: runs of over samples that reached the over
    // length, counted whether or not the LED read-out took them.
    double oversCounted(int channel) const;
    // Clears the over latches and, through a request the audio thread takes at its next
    // block, the infinite hold's maxima. Any thread.
    void clearOvers();
    // The infinite hold (hold mode 1): the highest hold value since the last clear, -1 when
    // cleared. The audio thread keeps it whether or not an editor looks, following the
    // display delay when one is set. GUI thread.
    double heldMaximum(int channel) const;

    // --- Settings scopes ------------------------------------------------------------------
    int scope() const { return scope_.load(std::memory_order_relaxed); }
    // Text of the scope: "Global", "Session", "Instance" or "None".
    const char* scopeText() const;
    // Switches scope (x as the "GSIcal" parameter) and pushes that scope's values through
    // the owner's parameter setter.
    void selectScope(float value);
    // Persists this model's Global store values; false when they could not be written.
    bool storeAsGlobal() const;
    // In Global or Session scope, pushes every setting that differs from its store.
    void followSharedStores();
    float instanceStoreValue(int index) const;
    bool instanceStoreInitialised() const { return instanceReady_.load(std::memory_order_relaxed); }

    // Running values per channel: 2 (needle, hold) or 3 (and mean square).
    int valueCount() const { return valueCount_; }
    int firstSettingIndex() const { return firstIndex_; }
    int settingCount() const { return settingCount_; }

protected:
    MeterModel(MeterOwner* owner, int firstIndex, int settingCount, int valueCount);

    // Loads the settings from the current scope's store (Session for Instance); derived
    // constructors call it once their own setSetting can run.
    void loadInitialSettings();
    // Writes a setting's (possibly quantised) value into the store of the current scope.
    void storeInScope(int index, float value);
    // Pushes a value through the owner's setter (or straight to setSetting without owner).
    void push(int index, float value);
    bool ownsSetting(int index) const { return index >= firstIndex_ && index < firstIndex_ + settingCount_; }

    // Common part of reset: history, positions, over counters, published values.
    void resetFramework();
    // Common part of suspend: published values and over counters.
    void clearRunningValues();

    // --- Audio-thread helpers -------------------------------------------------------------
    // Called at block start: acts on the GUI's requests and publishes the block-start copies.
    void beginBlock();
    // Called at block end: publishes the running values, the pending overs and the held
    // maxima; `highestHold` is the block's highest hold per channel (-1 with display delay,
    // where the history carries the maxima instead).
    void endBlock(const double running[][2], int overLength, StereoDouble highestHold);
    // Over counting for one sample, both channels: a run of over samples counts up; a sample
    // below the threshold restarts the count unless it already reached the over length.
    static StereoDouble countOvers(StereoDouble count, StereoMask over, StereoDouble overLength) {
        return keepWhere(over | (count >= overLength), count) + keepWhere(over, bothChannels(1.0));
    }
    // Once per millisecond (the caller counts samples): records the running values and the
    // over-LED counts; an over lights the LED for the next 29 entries.
    void recordHistory(const double running[][2], int overLength);
    // Non-finite input counts as a full-scale sample: visible as an over, never poisons state.
    static StereoDouble sanitised(StereoDouble frame) {
        return select(absolute(frame) <= 3.5e38, frame, bothChannels(1.0));
    }
    // Whether samples hold no infinity or NaN; checked on the bits, so it vectorises.
    static bool allFinite(const float* samples, int count) {
        std::uint32_t nonFinite = 0;
        for (int i = 0; i < count; ++i) {
            std::uint32_t bits;
            std::memcpy(&bits, samples + i, sizeof bits);
            nonFinite |= (bits & 0x7f800000u) == 0x7f800000u;
        }
        return nonFinite == 0;
    }
    // Runs `step(frame, peak)` for every frame of a block (after mid/side; in precise mode
    // the plain sample and the peak estimate of one moment, else the frame twice), `record()` once per millisecond when the display
    // delay is on (it must call recordHistory), and `flush()` after every stretch of at most
    // kStretch frames. Stretches are checked for non-finite samples first, so only those
    // that hold one pay for sanitising every frame. (This and runBlock are defined in
    // meter_block_loop.h, which the models' sources include.)
    template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono, class Step, class Record, class Flush>
    void forEachFrame(const float* left, const float* right, int count, double mid, Step&& step,
                      Record&& record, Flush&& flush);
    // What a block needs besides the model's own detector.
    struct BlockSettings {
        double midScale;       // mid/side: factor of the mid
        double overThreshold;  // |sample| (linear full scale) that counts as over
        int overLength;        // consecutive over samples that show an over
    };
    // One block: reads the frames (forEachFrame), counts overs on the peak magnitudes, feeds
    // each frame's magnitudes to `step(plain, peak)` (the same values unless precise mode is
    // on), which returns the hold; records the history, and publishes at the end.
    // `snapshot(running)` writes the model's running values into running[value][channel].
    template <bool kPrecise, bool kMidSide, bool kDelay, bool kMono, class Step, class Snapshot, class Flush>
    void runBlock(const float* left, const float* right, int count, const BlockSettings& settings, Step&& step,
                  Snapshot&& snapshot, Flush&& flush);
    // Decaying states are flushed of would-be denormals (slow on x86) between stretches of
    // this many frames rather than after every sample, which would put two more dependent
    // additions on every recursion. A state decays by at most a factor 0.95 per sample
    // (return and averaging times are 100 ms or more at 1 kHz or faster), so from the flush
    // level (about 1e-30) it cannot reach the denormal range (below 2e-308) within a stretch.
    static constexpr int kStretch = InterSampleDetector::kMaxStretch;

    // Turns four run-time switches into template arguments of `fn`, so the per-sample loop
    // is compiled once per combination without branches inside it.
    template <class Fn>
    static void withBlockFlags(bool precise, bool midSide, bool delay, bool mono, Fn&& fn) {
        auto withMono = [&](auto p, auto m, auto d) {
            mono ? fn(p, m, d, std::true_type{}) : fn(p, m, d, std::false_type{});
        };
        auto withDelay = [&](auto p, auto m) {
            delay ? withMono(p, m, std::true_type{}) : withMono(p, m, std::false_type{});
        };
        auto withMidSide = [&](auto p) {
            midSide ? withDelay(p, std::true_type{}) : withDelay(p, std::false_type{});
        };
        precise ? withMidSide(std::true_type{}) : withMidSide(std::false_type{});
    }
    bool preciseOn() const { return preciseOn_.load(std::memory_order_relaxed); }
    void setPrecise(bool on);

    // Setting texts; `text` must hold at least 16 characters.
    static void formatReference(char* text, double gain);   // "-20.0dBFS"
    static void formatMilliseconds(char* text, double ms);  // "300ms"
    static void formatSeconds(char* text, double ms);       // "10.00s"
    static double midScale(int type);                        // 1.0, 0.708 or 0.5
    static float clampSetting(float x) { return x >= 0.0f ? (x <= 1.0f ? x : 1.0f) : 0.0f; }

    MeterOwner* owner_;
    const int firstIndex_;     // parameter index of the first setting
    const int settingCount_;   // settings of this model
    const int valueCount_;     // running values per channel (needle, hold[, mean square])

    std::atomic<float> sampleRate_{44100.0f};  // Hz
    std::atomic<float> midSideValue_{0.0f};
    std::atomic<int> midSide_{0};
    std::atomic<float> holdModeValue_{0.0f};
    std::atomic<int> holdMode_{0};
    std::atomic<float> displayDelayValue_{0.0f};
    std::atomic<int> displayDelay_{0};  // ms, 0..999

    std::atomic<float> settings_[kMaxSettings]{};  // normalised values as last given (or stored)
    std::atomic<int> scope_{1};
    std::atomic<bool> instanceReady_{false};
    std::atomic<float> instanceStore_[kMaxSettings]{};

    std::atomic<bool> preciseOn_{false};
    std::atomic<bool> preciseClearRequest_{false};
    InterSampleDetector precise_;  // audio thread only

    // History: valueCount_ + 1 kinds (the last one is the over-LED count) x 2 channels.
    std::unique_ptr<std::atomic<double>[]> history_;
    std::atomic<int> writePosition_{0};  // 0..1000
    std::atomic<int> readPosition_{0};   // 0..1000
    int decimationCounter_ = 0;          // samples since the last entry
    int decimationLength_ = 44;          // samples per entry (1 ms)

    // Published running values and their block-start copies, linear relative to reference.
    std::atomic<double> current_[3][2]{};
    std::atomic<double> blockStart_[3][2]{};
    std::atomic<double> lastShown_[3][2]{};

    // Overs: the counters and LED counts belong to the audio thread.
    StereoDouble overCount_{-1.0, -1.0};  // consecutive over samples, -1 after reset
    StereoDouble overRun_{};              // consecutive over samples, for the over tally
    StereoDouble overTally_{};            // runs that reached the over length
    std::atomic<double> oversCounted_[2]{};  // the tally as of the last block
    double ledCount_[2] = {0.0, 0.0};     // history entries the LED stays lit, 0..30
    std::atomic<bool> overPending_[2]{};  // a counter reached the over length
    std::atomic<bool> overConsumed_[2]{}; // the GUI showed it; the counter restarts
    std::atomic<bool> latch_[2]{};

    // Infinite hold: the audio thread's maxima, what it last published, and a clear request.
    double heldByAudio_[2] = {-1.0, -1.0};  // linear relative to reference, -1 when cleared
    bool holdingMaximum_ = false;           // hold mode 1 in the current block
    std::atomic<double> heldMaximum_[2]{};
    std::atomic<bool> heldClearRequest_[2]{};

private:
    std::atomic<double>& historyEntry(int kind, int channel, int position) const {
        return history_[(kind * 2 + channel) * kHistoryLength + position];
    }
};
