// The built LV2 binary loaded through lilv as a host loads it: its state is the effect's
// chunk, byte for byte the one the format-neutral effect saves after the same edits; a chunk
// from elsewhere loads and saves back unchanged, and wins over the ports' values. Its output
// ports read the meter as its panel does.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <numbers>
#include <string>
#include <utility>
#include <vector>

#include "core/meter_effect.h"
#include "lv2/lv2_ports.h"
#include "metering/meter_settings_store.h"

namespace {

struct UridMap {
    std::vector<std::string> uris;
    static LV2_URID map(LV2_URID_Map_Handle handle, const char* uri) {
        auto& self = *static_cast<UridMap*>(handle);
        for (std::size_t i = 0; i < self.uris.size(); ++i)
            if (self.uris[i] == uri) return static_cast<LV2_URID>(i + 1);
        self.uris.emplace_back(uri);
        return static_cast<LV2_URID>(self.uris.size());
    }
};

// One property store for save() and restore(): what the plug-in stored, as it stored it.
struct StateRecord {
    LV2_URID key = 0, type = 0;
    std::vector<unsigned char> value;
    int stores = 0;
    static LV2_State_Status store(LV2_State_Handle handle, uint32_t key, const void* value, size_t size,
                                  uint32_t type, uint32_t) {
        auto& self = *static_cast<StateRecord*>(handle);
        self.key = key;
        self.type = type;
        self.value.assign(static_cast<const unsigned char*>(value), static_cast<const unsigned char*>(value) + size);
        ++self.stores;
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle handle, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
        auto& self = *static_cast<StateRecord*>(handle);
        if (key != self.key || self.value.empty()) return nullptr;
        *size = self.value.size();
        *type = self.type;
        *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return self.value.data();
    }
};

struct SilentFormat final : FormatLink {
    void automateParameter(int, float) override {}
    void hostParameterChanged(int, float) override {}
};

// One instance of the bundle's plug-in with its ports connected to buffers of its own.
class Lv2Instance {
public:
    Lv2Instance(const LilvPlugin* plugin, const LV2_Feature* const* features) {
        instance_ = lilv_plugin_instantiate(plugin, 48000.0, features);
        if (!instance_) return;
        std::vector<float> minimum(lv2_ports::kPortCount), maximum(lv2_ports::kPortCount), defaults(lv2_ports::kPortCount);
        lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());
        for (int i = 0; i < lv2_ports::kControlCount; ++i) controls_[i] = defaults[lv2_ports::kFirstControlPort + i];
        for (int port = 0; port < lv2_ports::kAudioPortCount; ++port)
            lilv_instance_connect_port(instance_, port, audio_[port].data());
        for (int i = 0; i < lv2_ports::kControlCount; ++i)
            lilv_instance_connect_port(instance_, lv2_ports::kFirstControlPort + i, &controls_[i]);
        for (int i = 0; i < lv2_ports::kOutputCount; ++i) {
            outputs_[i] = std::nanf("");
            lilv_instance_connect_port(instance_, lv2_ports::kFirstOutputPort + i, &outputs_[i]);
        }
        lilv_instance_activate(instance_);
    }
    ~Lv2Instance() {
        if (!instance_) return;
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }
    Lv2Instance(const Lv2Instance&) = delete;
    Lv2Instance& operator=(const Lv2Instance&) = delete;

    bool ok() const { return instance_ != nullptr; }
    void set(const char* symbol, float value) {
        for (int i = 0; i < lv2_ports::kControlCount; ++i)
            if (std::string(lv2_ports::kControls[i].symbol) == symbol) controls_[i] = value;
    }
    void run() {
        for (auto& buffer : audio_) buffer.assign(kFrames, 0.1f);
        lilv_instance_run(instance_, kFrames);
    }
    // `seconds` of a 1 kHz sine of peak `amplitude` in both channels (a square when `square`).
    void runTone(double amplitude, double seconds, bool square = false) {
        const int blocks = static_cast<int>(seconds * 48000.0 / kFrames);
        for (int b = 0; b < blocks; ++b) {
            for (int i = 0; i < kFrames; ++i) {
                const double s = std::sin(2.0 * std::numbers::pi * 1000.0 * (phase_ + i) / 48000.0);
                audio_[0][i] = audio_[1][i] = static_cast<float>(amplitude * (square ? (s >= 0 ? 1.0 : -1.0) : s));
            }
            phase_ += kFrames;
            lilv_instance_run(instance_, kFrames);
        }
    }
    float output(const char* symbol) const {
        for (int i = 0; i < lv2_ports::kOutputCount; ++i)
            if (std::string(lv2_ports::kOutputs[i].symbol) == symbol) return outputs_[i];
        return std::nanf("");
    }
    const LV2_State_Interface* state() const {
        return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    }
    LV2_Handle handle() const { return lilv_instance_get_handle(instance_); }

private:
    static constexpr int kFrames = 256;
    LilvInstance* instance_ = nullptr;
    std::vector<float> audio_[lv2_ports::kAudioPortCount] = {std::vector<float>(kFrames), std::vector<float>(kFrames),
                                                             std::vector<float>(kFrames), std::vector<float>(kFrames)};
    float controls_[lv2_ports::kControlCount] = {};
    float outputs_[lv2_ports::kOutputCount] = {};
    long long phase_ = 0;  // frames of tone so far
};

class Lv2State : public ::testing::Test {
protected:
    void SetUp() override {
        world_ = lilv_world_new();
        LilvNode* bundle = lilv_new_file_uri(world_, nullptr, ALDERMARK_LV2_BUNDLE "/");
        lilv_world_load_bundle(world_, bundle);
        lilv_node_free(bundle);
        LilvNode* uri = lilv_new_uri(world_, lv2_ports::kPluginUri);
        plugin_ = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world_), uri);
        lilv_node_free(uri);
        mapFeature_ = {LV2_URID__map, &mapData_};
        features_[0] = &mapFeature_;
    }
    void TearDown() override { lilv_world_free(world_); }

    StateRecord save(const Lv2Instance& instance) {
        StateRecord record;
        EXPECT_EQ(instance.state()->save(instance.handle(), StateRecord::store, &record, LV2_STATE_IS_POD, features_),
                  LV2_STATE_SUCCESS);
        return record;
    }

    LilvWorld* world_ = nullptr;
    const LilvPlugin* plugin_ = nullptr;
    UridMap map_;
    LV2_URID_Map mapData_{&map_, UridMap::map};
    LV2_Feature mapFeature_{};
    const LV2_Feature* features_[2] = {nullptr, nullptr};
};

TEST_F(Lv2State, TheStateIsTheEffectsChunkAndLoadsBackUnchanged) {
    ASSERT_NE(plugin_, nullptr) << "no " << lv2_ports::kPluginUri << " in " << ALDERMARK_LV2_BUNDLE;
    Lv2Instance lv2(plugin_, features_);
    ASSERT_TRUE(lv2.ok());
    ASSERT_NE(lv2.state(), nullptr);

    // The same edits, in host units on the ports and normalised on the effect.
    const std::pair<const char*, float> edits[] = {{"process", 1}, {"trim", 6}, {"scope", 2}, {"meter", 2},
                                                   {"hold", 1}, {"lag_time", 300}, {"hp_freq", 200}};
    SilentFormat format;
    MeterEffect reference(format);
    for (const auto& [symbol, value] : edits) {
        lv2.set(symbol, value);
        for (const lv2_ports::Control& c : lv2_ports::kControls)
            if (std::string(c.symbol) == symbol) reference.setParameter(c.parameter, lv2_ports::normalised(c, value));
    }
    lv2.run();
    const StateRecord saved = save(lv2);
    EXPECT_EQ(saved.stores, 1);
    EXPECT_EQ(saved.type, UridMap::map(&map_, LV2_ATOM__Chunk));
    std::vector<unsigned char> expected(MeterEffect::kChunkSize);
    reference.saveState(expected.data());
    EXPECT_EQ(saved.value, expected) << "the LV2 state is the chunk of every other format";

    // Into a fresh instance whose ports stay at their defaults: the chunk wins over them.
    Lv2Instance other(plugin_, features_);
    StateRecord given = saved;
    ASSERT_EQ(other.state()->restore(other.handle(), StateRecord::retrieve, &given, 0, features_), LV2_STATE_SUCCESS);
    other.run();
    EXPECT_EQ(save(other).value, saved.value);

    // Broken states change nothing and say why.
    StateRecord wrongType = saved;
    wrongType.type = UridMap::map(&map_, LV2_ATOM__String);
    EXPECT_EQ(other.state()->restore(other.handle(), StateRecord::retrieve, &wrongType, 0, features_),
              LV2_STATE_ERR_BAD_TYPE);
    StateRecord empty;
    EXPECT_EQ(other.state()->restore(other.handle(), StateRecord::retrieve, &empty, 0, features_),
              LV2_STATE_ERR_NO_PROPERTY);
    EXPECT_EQ(save(other).value, saved.value);
}

TEST_F(Lv2State, WithoutUridsItRunsAndHasNoState) {
    ASSERT_NE(plugin_, nullptr);
    const LV2_Feature* none[] = {nullptr};
    Lv2Instance bare(plugin_, none);
    ASSERT_TRUE(bare.ok());
    bare.run();
    StateRecord record;
    EXPECT_EQ(bare.state()->save(bare.handle(), StateRecord::store, &record, LV2_STATE_IS_POD, none),
              LV2_STATE_ERR_NO_FEATURE);
    EXPECT_EQ(record.stores, 0);
}

TEST_F(Lv2State, OutputsReadEachMeterAsItsPanelDoes) {
    ASSERT_NE(plugin_, nullptr);
    struct Case {
        float meter;
        bool rmsPointer;  // only RMS3 shows one
    };
    for (const Case c : {Case{0, false}, Case{1, true}, Case{2, false}}) {
        SCOPED_TRACE(c.meter);
        Lv2Instance lv2(plugin_, features_);
        ASSERT_TRUE(lv2.ok());
        lv2.set("meter", c.meter);
        lv2.runTone(0.1, 2.0);
        const float loud = lv2.output("needle_l");
        EXPECT_GT(loud, lv2_ports::kLowestDb);
        EXPECT_LE(loud, lv2_ports::kHighestDb);
        EXPECT_NEAR(lv2.output("needle_r"), loud, 0.01) << "both channels got the same tone";
        EXPECT_GE(lv2.output("hold_l"), loud - 0.01);
        if (c.rmsPointer) {
            EXPECT_GT(lv2.output("rms_l"), lv2_ports::kLowestDb);
        } else {
            EXPECT_EQ(lv2.output("rms_l"), lv2_ports::kLowestDb);
        }
        lv2.runTone(0.01, 3.0);  // 20 dB lower: the needle follows, by the meter's own law
        EXPECT_NEAR(lv2.output("needle_l"), loud - 20.0f, 1.0);
        EXPECT_EQ(lv2.output("over_l"), 0.0f);
    }
}

TEST_F(Lv2State, OverLedsLightOnAnOverAndGoOutASecondAfter) {
    ASSERT_NE(plugin_, nullptr);
    Lv2Instance lv2(plugin_, features_);
    ASSERT_TRUE(lv2.ok());
    lv2.set("meter", 2);
    lv2.runTone(0.05, 0.5);
    EXPECT_EQ(lv2.output("over_l"), 0.0f);
    lv2.runTone(1.0, 0.2, true);  // full-scale square: far over any reference
    EXPECT_EQ(lv2.output("over_l"), 1.0f);
    EXPECT_EQ(lv2.output("over_r"), 1.0f);
    const float atTheOver = lv2.output("needle_l");
    EXPECT_EQ(atTheOver, lv2_ports::kHighestDb) << "held within the range";
    lv2.runTone(0.0, 0.5);
    EXPECT_EQ(lv2.output("over_l"), 1.0f) << "still lit half a second later";
    lv2.runTone(0.0, 0.7);
    EXPECT_EQ(lv2.output("over_l"), 0.0f);
    EXPECT_LT(lv2.output("needle_l"), 0.0f) << "the needle falls back below the reference in the silence";
}

}  // namespace
