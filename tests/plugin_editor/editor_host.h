#pragma once
// A host for the editor tests: creates the effect through the entry point, talks to it
// through its AEffect record and logs what the effect and its editor ask of the host
// ("begin 3", "automate 3 0.5000", "end 3", "size 586 261"). The log may be written from
// the editor's timer thread, so it is guarded.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <mutex>
#include <numbers>
#include <string>
#include <vector>

#include "controls/text_edits.h"
#include "controls/zeb_knobs.h"
#include "controls/zeb_slider.h"
#include "metering/meter_settings_store.h"
#include "toolkit/frame.h"
#include "vst2/create_effect.h"
#include "vst2/templete.h"
#include "vst2/templete_editor.h"

namespace editortest {

class HostLog {
public:
    void add(const std::string& event) {
        std::lock_guard<std::mutex> lock(mutex_);
        events_.push_back(event);
    }
    std::vector<std::string> take() {
        std::lock_guard<std::mutex> lock(mutex_);
        std::vector<std::string> out;
        out.swap(events_);
        return out;
    }
    int sizeWindowAnswer = 1;

private:
    std::mutex mutex_;
    std::vector<std::string> events_;
};

inline HostLog gEditorHost;

inline VstIntPtr VSTCALLBACK editorHostCallback(AEffect*, VstInt32 opcode, VstInt32 index, VstIntPtr value, void*,
                                                float opt) {
    char text[64];
    switch (opcode) {
        case audioMasterVersion: return 2400;
        case audioMasterPinConnected: return 0;
        case audioMasterAutomate:
            std::snprintf(text, sizeof text, "automate %d %.4f", index, static_cast<double>(opt));
            gEditorHost.add(text);
            return 1;
        case audioMasterBeginEdit: gEditorHost.add("begin " + std::to_string(index)); return 1;
        case audioMasterEndEdit: gEditorHost.add("end " + std::to_string(index)); return 1;
        case audioMasterSizeWindow:
            gEditorHost.add("size " + std::to_string(index) + " " + std::to_string(value));
            return gEditorHost.sizeWindowAnswer;
        default: return 0;
    }
}

class VstEditorHost {
public:
    VstEditorHost() {
        meter_settings::globalStore().fillWithDefaults();
        meter_settings::sessionStore().fillWithDefaults();
        meter_settings::setDefaultScope(meter_settings::kSession);
        meter_settings::setDefaultMeterType(meter_settings::kVU);
        gEditorHost.take();
        effect_ = createEffect(editorHostCallback);
    }
    ~VstEditorHost() {
        if (effect_) dispatch(effClose);
    }
    VstEditorHost(const VstEditorHost&) = delete;
    VstEditorHost& operator=(const VstEditorHost&) = delete;

    AEffect* effect() const { return effect_; }
    Templete& object() const { return *static_cast<Templete*>(effect_->object); }
    TemepleteEditor* editor() const { return dynamic_cast<TemepleteEditor*>(object().getEditor()); }

    VstIntPtr dispatch(VstInt32 opcode, VstInt32 index = 0, VstIntPtr value = 0, void* ptr = nullptr, float opt = 0.0f) {
        return effect_->dispatcher(effect_, opcode, index, value, ptr, opt);
    }
    // The display scale as hosts state it (the 'PreS' vendor call); true when taken.
    bool stateScale(double scale) {
        return dispatch(effVendorSpecific, kVendorScaleIndex, kVendorScaleValue, nullptr, static_cast<float>(scale)) == 1;
    }
    void set(int index, float value) { effect_->setParameter(effect_, index, value); }
    float get(int index) { return effect_->getParameter(effect_, index); }
    void start(float rate = 44100.0f, int block = 512) {
        rate_ = rate;
        dispatch(effSetSampleRate, 0, 0, nullptr, rate);
        dispatch(effSetBlockSize, 0, block);
        dispatch(effMainsChanged, 0, 1);
    }
    // `frames` of a 1 kHz sine at `amplitude` (linear, full scale 1) on both channels, in
    // blocks of `block` frames.
    void play(float amplitude, int frames, int block = 512) {
        left_.resize(static_cast<std::size_t>(frames));
        for (int i = 0; i < frames; ++i, ++sample_)
            left_[static_cast<std::size_t>(i)] = amplitude * static_cast<float>(std::sin(2 * std::numbers::pi * 1000.0 * sample_ / rate_));
        right_ = left_;
        outLeft_.assign(left_.size(), 0.f);
        outRight_.assign(left_.size(), 0.f);
        float* in[2] = {left_.data(), right_.data()};
        float* out[2] = {outLeft_.data(), outRight_.data()};
        for (int done = 0; done < frames; done += block) {
            const int n = std::min(block, frames - done);
            float* inAt[2] = {in[0] + done, in[1] + done};
            float* outAt[2] = {out[0] + done, out[1] + done};
            effect_->processReplacing(effect_, inAt, outAt, n);
        }
    }
    std::vector<std::string> events() { return gEditorHost.take(); }

private:
    AEffect* effect_ = nullptr;
    double rate_ = 44100.0;
    long long sample_ = 0;
    std::vector<float> left_, right_, outLeft_, outRight_;
};

// A started effect and its editor; derived fixtures open the editor as they need it.
struct EditorFixture : ::testing::Test {
    VstEditorHost host;
    TemepleteEditor* editor = nullptr;

    void SetUp() override {
        host.start();
        editor = host.editor();
        ASSERT_NE(editor, nullptr);
    }
    void TearDown() override {
        if (editor) editor->close();
    }
    CFrame* frame() const { return editor->getFrame(); }
    // A press and release at `where` (frame coordinates).
    void click(const CPoint& where, std::int32_t buttons = kLButton) {
        frame()->platformOnMouseDown(where, CButtonState(buttons));
        frame()->platformOnMouseUp(where, CButtonState(buttons & ~kDoubleClick));
    }
    // Characters as a host routes them to the editor.
    void type(const std::string& text) {
        for (char c : text) host.dispatch(effEditKeyDown, c, 0);
    }
};

// The same with the editor open off-screen from the start.
struct OpenEditorFixture : EditorFixture {
    void SetUp() override {
        EditorFixture::SetUp();
        if (!editor) return;
        ASSERT_TRUE(editor->openOffscreen());
        host.events();
    }
};

}  // namespace editortest
