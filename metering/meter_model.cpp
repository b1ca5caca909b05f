#include "metering/meter_model.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "metering/meter_settings_store.h"

namespace {

meter_settings::Store* sharedStore(int scope) {
    if (scope == meter_settings::kGlobal) return &meter_settings::globalStore();
    if (scope == meter_settings::kSession) return &meter_settings::sessionStore();
    return nullptr;
}

float clampNormalised(float x) { return x >= 0.0f ? (x <= 1.0f ? x : 1.0f) : 0.0f; }

}  // namespace

void MeterModel::setPrecise(bool on) {
    if (preciseOn_.exchange(on, std::memory_order_relaxed) != on)
        preciseClearRequest_.store(true, std::memory_order_relaxed);
}

void MeterModel::formatReference(char* text, double gain) {
    double db = 20.0 * std::log10(gain);
    if (std::fabs(db) < 0.05) db = 0.0;  // never "-0.0"
    std::snprintf(text, 16, "%.1fdBFS", db);
}

void MeterModel::formatMilliseconds(char* text, double ms) {
    std::snprintf(text, 16, "%dms", static_cast<int>(ms + 0.5));
}

void MeterModel::formatSeconds(char* text, double ms) {
    std::snprintf(text, 16, "%.2fs", ms / 1000.0);
}

double MeterModel::midScale(int type) {
    return type == 0 ? 1.0 : type == 1 ? static_cast<double>(0.708f) : 0.5;
}

MeterModel::MeterModel(MeterOwner* owner, int firstIndex, int settingCount, int valueCount)
    : owner_(owner),
      firstIndex_(firstIndex),
      settingCount_(std::min(settingCount, kMaxSettings)),
      valueCount_(std::clamp(valueCount, 2, 3)),
      history_(new std::atomic<double>[(valueCount_ + 1) * 2 * kHistoryLength]) {
    for (int i = 0; i < (valueCount_ + 1) * 2 * kHistoryLength; ++i)
        history_[i].store(0.0, std::memory_order_relaxed);
    scope_.store(meter_settings::defaultScope(), std::memory_order_relaxed);
    for (auto& m : heldMaximum_) m.store(-1.0, std::memory_order_relaxed);
}

MeterModel::~MeterModel() = default;

float MeterModel::getSetting(int index) const {
    return ownsSetting(index) ? settings_[index - firstIndex_].load(std::memory_order_relaxed) : 0.0f;
}

void MeterModel::setSampleRate(float sampleRate) {
    // A rate the model cannot work with falls back to 44.1 kHz rather than breaking the
    // decimation and the coefficients.
    if (!(sampleRate >= 1000.0f && sampleRate <= 1.0e6f)) sampleRate = 44100.0f;
    sampleRate_.store(sampleRate, std::memory_order_relaxed);
}

void MeterModel::setMidSide(float value, int on) {
    midSideValue_.store(clampNormalised(value), std::memory_order_relaxed);
    midSide_.store(on != 0, std::memory_order_relaxed);
}

void MeterModel::setHoldMode(float value, int mode) {
    holdModeValue_.store(clampNormalised(value), std::memory_order_relaxed);
    holdMode_.store(std::clamp(mode, 0, 2), std::memory_order_relaxed);
}

void MeterModel::setDisplayDelay(float value, int milliseconds) {
    displayDelayValue_.store(clampNormalised(value), std::memory_order_relaxed);
    displayDelay_.store(std::clamp(milliseconds, 0, 999), std::memory_order_relaxed);
}

double MeterModel::current(Value value, int channel) const {
    if (value >= valueCount_ || channel < 0 || channel > 1) return 0.0;
    return current_[value][channel].load(std::memory_order_relaxed);
}

double MeterModel::displayValue(Value value, int channel, double interpolation) {
    if (value < 0 || value >= valueCount_ || channel < 0 || channel > 1) return 0.0;
    const int delay = displayDelay();
    if (delay > 0) {
        int position = writePosition_.load(std::memory_order_relaxed) - std::min(delay, 999);
        if (position < 0) position += kHistoryLength;
        readPosition_.store(position, std::memory_order_relaxed);
        return historyEntry(value, channel, position).load(std::memory_order_relaxed);
    }
    const double now = current_[value][channel].load(std::memory_order_relaxed);
    const double start = blockStart_[value][channel].load(std::memory_order_relaxed);
    const double shown = now > start ? now : (1.0 - interpolation) * start + interpolation * now;
    lastShown_[value][channel].store(shown, std::memory_order_relaxed);
    return shown;
}

double MeterModel::overLed(int channel) {
    if (channel < 0 || channel > 1) return -1.0;
    bool showNow;
    if (displayDelay() > 0) {
        const int position = readPosition_.load(std::memory_order_relaxed);
        showNow = historyEntry(valueCount_, channel, position).load(std::memory_order_relaxed) > 0.0;
    } else {
        // Ask the audio thread to restart the counter before dropping the pending flag, so
        // a block ending in between cannot raise the same over twice.
        showNow = overPending_[channel].load();
        if (showNow) {
            overConsumed_[channel].store(true);
            overPending_[channel].store(false);
        }
    }
    if (showNow) {
        latch_[channel].store(true);
        return 1.0;
    }
    return latch_[channel].load() ? 0.0 : -1.0;
}

double MeterModel::oversCounted(int channel) const {
    return (channel == 0 || channel == 1) ? oversCounted_[channel].load(std::memory_order_relaxed) : 0.0;
}

void MeterModel::clearOvers() {
    for (int ch = 0; ch < 2; ++ch) {
        latch_[ch].store(false);
        heldClearRequest_[ch].store(true);
    }
}

double MeterModel::heldMaximum(int channel) const {
    if (channel != 0 && channel != 1) return -1.0;
    // Until the audio thread has taken the clear, what it publishes is from before it.
    if (heldClearRequest_[channel].load()) return -1.0;
    return heldMaximum_[channel].load(std::memory_order_relaxed);
}

const char* MeterModel::scopeText() const {
    switch (scope()) {
        case meter_settings::kGlobal: return "Global";
        case meter_settings::kSession: return "Session";
        case meter_settings::kInstance: return "Instance";
        default: return "None";
    }
}

void MeterModel::selectScope(float value) {
    const int scope = static_cast<int>(clampNormalised(value) * 2.0f + 0.5f);
    scope_.store(scope, std::memory_order_relaxed);
    if (scope == meter_settings::kInstance) {
        const bool ready = instanceReady_.load(std::memory_order_relaxed);
        for (int i = 0; i < settingCount_; ++i) {
            const int index = firstIndex_ + i;
            push(index, ready ? instanceStore_[i].load(std::memory_order_relaxed)
                              : meter_settings::sessionStore().get(index));
        }
        instanceReady_.store(true, std::memory_order_relaxed);
        return;
    }
    meter_settings::Store* store = sharedStore(scope);
    for (int i = 0; i < settingCount_; ++i) push(firstIndex_ + i, store->get(firstIndex_ + i));
}

bool MeterModel::storeAsGlobal() const {
    return meter_settings::writeGlobalStore(firstIndex_, firstIndex_ + settingCount_ - 1);
}

void MeterModel::followSharedStores() {
    meter_settings::Store* store = sharedStore(scope());
    if (!store) return;
    for (int i = 0; i < settingCount_; ++i) {
        const int index = firstIndex_ + i;
        const float shared = store->get(index);
        if (getSetting(index) != shared) push(index, shared);
    }
}

float MeterModel::instanceStoreValue(int index) const {
    return ownsSetting(index) ? instanceStore_[index - firstIndex_].load(std::memory_order_relaxed) : 0.0f;
}

void MeterModel::loadInitialSettings() {
    const int scope = this->scope();
    meter_settings::Store* store = sharedStore(scope);
    if (!store) {
        store = &meter_settings::sessionStore();
        instanceReady_.store(true, std::memory_order_relaxed);
    }
    for (int i = 0; i < settingCount_; ++i) setSetting(firstIndex_ + i, store->get(firstIndex_ + i));
}

void MeterModel::storeInScope(int index, float value) {
    if (!ownsSetting(index)) return;
    if (meter_settings::Store* store = sharedStore(scope()))
        store->set(index, value);
    else
        instanceStore_[index - firstIndex_].store(value, std::memory_order_relaxed);
}

void MeterModel::push(int index, float value) {
    if (owner_)
        owner_->setParameter(index, value);
    else
        setSetting(index, value);
}

void MeterModel::clearRunningValues() {
    for (int v = 0; v < 3; ++v)
        for (int ch = 0; ch < 2; ++ch) {
            current_[v][ch].store(0.0, std::memory_order_relaxed);
            blockStart_[v][ch].store(0.0, std::memory_order_relaxed);
        }
    for (int ch = 0; ch < 2; ++ch) {
        overCount_[ch] = -1.0;
        overPending_[ch].store(false);
        overConsumed_[ch].store(false);
        oversCounted_[ch].store(0.0, std::memory_order_relaxed);
    }
    overRun_ = overTally_ = StereoDouble{};
}

void MeterModel::resetFramework() {
    const float fs = sampleRate();
    decimationLength_ = std::max(1, static_cast<int>(fs * 0.001f));
    decimationCounter_ = 0;
    writePosition_.store(0, std::memory_order_relaxed);
    readPosition_.store(0, std::memory_order_relaxed);
    for (int i = 0; i < (valueCount_ + 1) * 2 * kHistoryLength; ++i)
        history_[i].store(0.0, std::memory_order_relaxed);
    ledCount_[0] = ledCount_[1] = 0.0;
    precise_.init(fs);
    preciseClearRequest_.store(false, std::memory_order_relaxed);
    clearRunningValues();
}

void MeterModel::beginBlock() {
    if (preciseClearRequest_.exchange(false, std::memory_order_relaxed)) precise_.clear();
    holdingMaximum_ = holdMode() == 1;
    for (int ch = 0; ch < 2; ++ch) {
        if (heldClearRequest_[ch].load(std::memory_order_relaxed)) {
            heldByAudio_[ch] = -1.0;
            heldMaximum_[ch].store(-1.0, std::memory_order_relaxed);
            heldClearRequest_[ch].store(false);
        }
        if (overConsumed_[ch].exchange(false)) overCount_[ch] = 0.0;
        for (int v = 0; v < valueCount_; ++v)
            blockStart_[v][ch].store(current_[v][ch].load(std::memory_order_relaxed),
                                     std::memory_order_relaxed);
    }
}

void MeterModel::endBlock(const double running[][2], int overLength, StereoDouble highestHold) {
    for (int ch = 0; ch < 2; ++ch) {
        oversCounted_[ch].store(overTally_[ch], std::memory_order_relaxed);
        if (holdingMaximum_) {
            heldByAudio_[ch] = std::max(heldByAudio_[ch], highestHold[ch]);
            heldMaximum_[ch].store(heldByAudio_[ch], std::memory_order_relaxed);
        }
        for (int v = 0; v < valueCount_; ++v)
            current_[v][ch].store(running[v][ch], std::memory_order_relaxed);
        if (overCount_[ch] >= overLength && !overConsumed_[ch].load()) overPending_[ch].store(true);
    }
}

void MeterModel::recordHistory(const double running[][2], int overLength) {
    decimationCounter_ = 0;
    int position = writePosition_.load(std::memory_order_relaxed) + 1;
    if (position >= kHistoryLength) position = 0;
    for (int ch = 0; ch < 2; ++ch) {
        for (int v = 0; v < valueCount_; ++v)
            historyEntry(v, ch, position).store(running[v][ch], std::memory_order_relaxed);
        if (overCount_[ch] >= overLength) {
            ledCount_[ch] = 30.0;
            overCount_[ch] = 0.0;
        }
        if (ledCount_[ch] > 0.0) ledCount_[ch] -= 1.0;
        historyEntry(valueCount_, ch, position).store(ledCount_[ch], std::memory_order_relaxed);
        if (holdingMaximum_) {
            // The infinite hold follows what the delayed display shows.
            int shown = position - std::min(displayDelay(), 999);
            if (shown < 0) shown += kHistoryLength;
            heldByAudio_[ch] = std::max(heldByAudio_[ch], historyEntry(kHold, ch, shown).load(std::memory_order_relaxed));
        }
    }
    writePosition_.store(position, std::memory_order_relaxed);
}
