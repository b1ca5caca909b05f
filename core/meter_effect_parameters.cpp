// The effect's parameter setter and getters: every change from the host, the editor, the
// meter models and the state chunk comes through setParameter.
#include <cmath>
#include <cstring>
#include <thread>

#include "core/meter_effect.h"
#include "core/parameter_table.h"
#include "core/parameter_text.h"
#include "metering/meter_settings_store.h"

using namespace parameters;

namespace {

float clampParameter(float x) { return x >= 0.0f ? (x <= 1.0f ? x : 1.0f) : 0.0f; }
int asSwitch(float x) { return static_cast<int>(x + 0.5f); }
int asThreeWay(float x) { return static_cast<int>(x * 2.0f + 0.5f); }

// Writes `text` into a parameter text (kTextLength characters and the terminator).
void putText(char* out, const char* text) {
    std::strncpy(out, text, kTextLength);
    out[kTextLength] = 0;
}

bool isMeterSetting(int index) {
    return meter_settings::slotOf(index) >= 0;
}

}  // namespace

void MeterEffect::setParameter(std::int32_t index, float value) {
    // A value that is not a number changes nothing (the previous value stays).
    if (std::isnan(value)) return;
    const float x = clampParameter(value);
    applyParameter(index, x);
    if (index >= 0 && index < kHostCount) link_.hostParameterChanged(index, x);
    // Counted, so that an editor taking itself off waits for a call that already found it.
    sinkCallsRunning_.fetch_add(1);
    if (EditorParameterSink* editor = editorSink_.load()) editor->setParameter(index, x);
    sinkCallsRunning_.fetch_sub(1);
}

void MeterEffect::setEditorSink(EditorParameterSink* sink) {
    editorSink_.store(sink);
    // The calls are a few atomic stores each: this waits microseconds at most.
    while (sinkCallsRunning_.load() != 0) std::this_thread::yield();
}

void MeterEffect::forEachMeter(void (*fn)(MeterModel&, float), float x) {
    fn(*rms_, x);
    fn(*vu_, x);
    fn(*ppm_, x);
}

void MeterEffect::applyParameter(int index, float x) {
    if (index >= 0 && index < kHostCount) values_[index].store(x, std::memory_order_relaxed);
    switch (index) {
        case kProcess: {
            // Under the lock as well, so a block never sees a half-refreshed bank.
            platform::InstanceLockGuard guard(lock_.get());
            processing_.store(asSwitch(x), std::memory_order_relaxed);
            if (asSwitch(x)) filters_->refresh(); else filters_->clear();
            break;
        }
        case kTrim: trim_.setTarget(trimGain(trimLevelDecibels(x))); break;
        case kScope:
            meter_settings::setDefaultScope(asThreeWay(x));
            forEachMeter([](MeterModel& m, float v) { m.selectScope(v); }, x);
            break;
        case kMeter:
            meter_settings::setDefaultMeterType(asThreeWay(x));
            meterType_.store(asThreeWay(x), std::memory_order_relaxed);
            break;
        case kMidSide: forEachMeter([](MeterModel& m, float v) { m.setMidSide(v, asSwitch(v)); }, x); break;
        case kHold: forEachMeter([](MeterModel& m, float v) { m.setHoldMode(v, asThreeWay(v)); }, x); break;
        case kLagTime:
            forEachMeter([](MeterModel& m, float v) { m.setDisplayDelay(v, static_cast<int>(v * 999.0f + 0.5f)); }, x);
            break;
        case kFiltersIn: {
            platform::InstanceLockGuard guard(lock_.get());
            filtersIn_.store(asSwitch(x), std::memory_order_relaxed);
            if (asSwitch(x)) filters_->refresh(); else filters_->clear();
            break;
        }
        case kHighPassOn: case kHighPassSlope: case kHighPassFrequency:
        case kLowPassOn: case kLowPassSlope: case kLowPassFrequency: {
            platform::InstanceLockGuard guard(lock_.get());
            switch (index) {
                case kHighPassOn: filters_->setHighPassOn(x); break;
                case kHighPassSlope: filters_->setHighPassSlope(x); break;
                case kHighPassFrequency: filters_->setHighPassFrequency(x); break;
                case kLowPassOn: filters_->setLowPassOn(x); break;
                case kLowPassSlope: filters_->setLowPassSlope(x); break;
                default: filters_->setLowPassFrequency(x); break;
            }
            break;
        }
        case kStoreAsGlobal:
            // All three meters' Global values in one write, RMS, VU, PPM in index order: on
            // Linux one replacement of the store file instead of three.
            meter_settings::writeGlobalStore(kFirstMeterSetting, kLastMeterSetting);
            break;
        case kClearOvers: forEachMeter([](MeterModel& m, float) { m.clearOvers(); }, x); break;
        default:
            if (isMeterSetting(index)) {
                MeterModel* model = ownerOfSetting(index);
                model->setSetting(index, x);
                // What the model runs with (a time in steps reads back as its step), so a saved
                // state loads and saves unchanged.
                const bool owned = index >= model->firstSettingIndex() &&
                                   index < model->firstSettingIndex() + model->settingCount();
                meterSettings_[index - kFirstMeterSetting].store(owned ? model->getSetting(index) : x,
                                                                 std::memory_order_relaxed);
            }
            break;
    }
}

void MeterEffect::setParameterAutomated(std::int32_t index, float value) { link_.automateParameter(index, value); }

float MeterEffect::getParameter(std::int32_t index) {
    if (index >= 0 && index < kHostCount) return values_[index].load(std::memory_order_relaxed);
    if (isMeterSetting(index)) return meterSettings_[index - kFirstMeterSetting].load(std::memory_order_relaxed);
    return 0.0f;
}

void MeterEffect::getParameterDisplay(std::int32_t index, char* text) {
    if (!text) return;
    text[0] = 0;
    if (index < 0 || index >= kFunctionCount) return;
    const float x = values_[index].load(std::memory_order_relaxed);
    char buffer[32] = {};
    const StripFilterBank& bank = *filters_;
    MeterModel* meter = selectedMeter();
    switch (index) {
        case kProcess: putText(text, asSwitch(x) ? "On" : "Off"); return;
        case kTrim: {
            const std::size_t n = formatFixedDecimal(trimLevelDecibels(x), 1, buffer, sizeof buffer);
            std::strncat(buffer, "dB", sizeof buffer - n - 1);
            break;
        }
        case kScope:
            if (meter) putText(text, meter->scopeText());
            return;
        case kMeter: {
            static const char* const kNames[3] = {"VU3", "RMS3", "RAD3"};
            const int m = asThreeWay(x);
            putText(text, m >= 0 && m <= 2 ? kNames[m] : "");
            return;
        }
        case kMidSide:
            if (meter) putText(text, meter->midSide() ? "MS" : "LR");
            return;
        case kHold:
            if (meterType() == 0) {
                vu_->getSettingText(VUmeter::kHoldTime, buffer);
                break;
            }
            [[fallthrough]];
        case kLagTime: {
            const float lag = values_[kLagTime].load(std::memory_order_relaxed);
            const std::size_t n = formatFixedDecimal(static_cast<int>(lag * 999.0f + 0.5f), 0, buffer, sizeof buffer);
            std::strncat(buffer, " ms", sizeof buffer - n - 1);
            break;
        }
        case kStrips: case kShowFilters: case kShowLabel: putText(text, asSwitch(x) ? "Show" : "Hide"); return;
        case kFiltersIn: putText(text, asSwitch(x) ? "In" : "Out"); return;
        case kHighPassOn: formatSwitchText(bank.highPassOn(), "In", "Out", buffer, sizeof buffer); break;
        case kHighPassSlope: formatSwitchText(bank.highPassSlope(), "24", "12", buffer, sizeof buffer); break;
        case kHighPassFrequency: formatSweepHertz(bank.highPassFrequencyValue(), 20.0, buffer, sizeof buffer); break;
        case kLowPassOn: formatSwitchText(bank.lowPassOn(), "In", "Out", buffer, sizeof buffer); break;
        case kLowPassSlope: formatSwitchText(bank.lowPassSlope(), "18", "6", buffer, sizeof buffer); break;
        case kLowPassFrequency: formatSweepHertz(bank.lowPassFrequencyValue(), 300.0, buffer, sizeof buffer); break;
        default: return;
    }
    putText(text, buffer);
}
