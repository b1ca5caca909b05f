#pragma once
// An owner that behaves like the effect for the meter models: clamps the value, keeps its own
// copy of every meter setting, forwards it to the owning model, and records each call.
#include <memory>
#include <utility>
#include <vector>

#include "metering/meter_settings_store.h"
#include "metering/ppm_meter.h"
#include "metering/rms_meter.h"
#include "metering/vu_meter.h"

// Puts the process-wide stores and defaults back to what a freshly loaded library has.
// Declare it before any TestOwner member, so the owner's models start from it.
struct FreshProcessDefaults {
    FreshProcessDefaults() {
        meter_settings::globalStore().fillWithDefaults();
        meter_settings::sessionStore().fillWithDefaults();
        meter_settings::setDefaultScope(meter_settings::kSession);
    }
};

class TestOwner : public MeterOwner {
public:
    TestOwner() {
        rms = std::make_unique<RMSMeter>(this);
        vu = std::make_unique<VUmeter>(this);
        ppm = std::make_unique<PPMmeter>(this);
    }

    void setParameter(int index, float value) override {
        calls.emplace_back(index, value);
        value = value < 0.0f ? 0.0f : value > 1.0f ? 1.0f : value;
        if (index >= 72 && index <= 100) copies[index - 72] = value;
        if (MeterModel* model = modelFor(index)) model->setSetting(index, value);
    }

    MeterModel* modelFor(int index) {
        if (index >= 72 && index <= 81) return rms.get();
        if (index >= 83 && index <= 91) return vu.get();
        if (index >= 93 && index <= 100) return ppm.get();
        return nullptr;
    }

    void selectScope(float x) {
        rms->selectScope(x);
        vu->selectScope(x);
        ppm->selectScope(x);
    }

    // Runs a block through, or resets, whichever of the owner's models `model` is.
    void process(MeterModel& model, const float* left, const float* right, int count) {
        if (&model == rms.get()) rms->processStereo(left, right, count);
        if (&model == vu.get()) vu->processStereo(left, right, count);
        if (&model == ppm.get()) ppm->processStereo(left, right, count);
    }
    void reset(MeterModel& model) {
        if (&model == rms.get()) rms->reset();
        if (&model == vu.get()) vu->reset();
        if (&model == ppm.get()) ppm->reset();
    }

    int callsFor(int index) const {
        int n = 0;
        for (const auto& c : calls) n += c.first == index;
        return n;
    }

    std::vector<std::pair<int, float>> calls;
    float copies[29] = {};
    std::unique_ptr<RMSMeter> rms;
    std::unique_ptr<VUmeter> vu;
    std::unique_ptr<PPMmeter> ppm;
};
