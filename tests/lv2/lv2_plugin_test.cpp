// The built LV2 binary loaded through lilv as a host loads it: its state is the effect's
// chunk, byte for byte; a chunk from elsewhere loads, wins over the ports' values and saves
// back unchanged; its output ports read the meter as the panel does.
#include <gtest/gtest.h>
#include <lilv/lilv.h>
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "core/meter_effect.h"
#include "lv2/lv2_ports.h"
#include "tests/lv2/our_bundle.h"

namespace {

std::vector<std::string> gUris;  // URID n is gUris[n - 1]
LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    for (std::size_t i = 0; i < gUris.size(); ++i)
        if (gUris[i] == uri) return static_cast<LV2_URID>(i + 1);
    gUris.emplace_back(uri);
    return static_cast<LV2_URID>(gUris.size());
}
LV2_URID_Map gMap{nullptr, mapUri};
LV2_Feature gMapFeature{LV2_URID__map, &gMap};
const LV2_Feature* const kWithMap[] = {&gMapFeature, nullptr};
const LV2_Feature* const kNoFeatures[] = {nullptr};

// The one property the plug-in stores, as it stored it; also what restore() is handed.
struct Property {
    LV2_URID key = 0, type = 0;
    std::vector<unsigned char> value;
    static LV2_State_Status store(LV2_State_Handle h, uint32_t key, const void* v, size_t size, uint32_t type, uint32_t) {
        auto& p = *static_cast<Property*>(h);
        p = {key, type, {static_cast<const unsigned char*>(v), static_cast<const unsigned char*>(v) + size}};
        return LV2_STATE_SUCCESS;
    }
    static const void* retrieve(LV2_State_Handle h, uint32_t key, size_t* size, uint32_t* type, uint32_t* flags) {
        auto& p = *static_cast<Property*>(h);
        if (key != p.key || p.value.empty()) return nullptr;
        *size = p.value.size(), *type = p.type, *flags = LV2_STATE_IS_POD | LV2_STATE_IS_PORTABLE;
        return p.value.data();
    }
};

struct SilentFormat final : FormatLink {
    void automateParameter(int, float) override {}
    void hostParameterChanged(int, float) override {}
};

// One activated instance with buffers of its own on every port, controls at their defaults.
class Instance {
public:
    Instance(const LilvPlugin* plugin, const LV2_Feature* const* features)
        : instance_(lilv_plugin_instantiate(plugin, 48000.0, features)), features_(features) {
        std::vector<float> low(lv2_ports::kPortCount), high(lv2_ports::kPortCount);
        lilv_plugin_get_port_ranges_float(plugin, low.data(), high.data(), ports_);
        for (int port = 0; port < lv2_ports::kPortCount; ++port)
            lilv_instance_connect_port(instance_, port, port < lv2_ports::kAudioPortCount ? audio_[port] : &ports_[port]);
        lilv_instance_activate(instance_);
    }
    ~Instance() {
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }
    float& port(const char* symbol) {
        for (int i = 0; i < lv2_ports::kControlCount; ++i)
            if (std::string(lv2_ports::kControls[i].symbol) == symbol) return ports_[lv2_ports::kFirstControlPort + i];
        for (int i = 0; i < lv2_ports::kOutputCount; ++i)
            if (std::string(lv2_ports::kOutputs[i].symbol) == symbol) return ports_[lv2_ports::kFirstOutputPort + i];
        ADD_FAILURE() << "no port " << symbol;
        return ports_[0];
    }
    // `seconds` of a 1 kHz sine (or square) of peak `amplitude` into both inputs.
    void run(double amplitude, double seconds, bool square = false) {
        for (int block = 0; block < static_cast<int>(seconds * 48000.0 / kFrames); ++block, phase_ += kFrames) {
            for (int i = 0; i < kFrames; ++i) {
                const double s = std::sin(2.0 * std::numbers::pi * 1000.0 * (phase_ + i) / 48000.0);
                audio_[0][i] = audio_[1][i] = static_cast<float>(amplitude * (square ? (s >= 0 ? 1.0 : -1.0) : s));
            }
            lilv_instance_run(instance_, kFrames);
        }
    }
    LV2_State_Status save(Property& into) {
        return state()->save(lilv_instance_get_handle(instance_), Property::store, &into, LV2_STATE_IS_POD, features_);
    }
    LV2_State_Status restore(Property& from) {
        return state()->restore(lilv_instance_get_handle(instance_), Property::retrieve, &from, 0, features_);
    }

private:
    const LV2_State_Interface* state() {
        return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    }
    static constexpr int kFrames = 256;
    LilvInstance* instance_;
    const LV2_Feature* const* features_;
    float audio_[lv2_ports::kAudioPortCount][kFrames] = {};
    float ports_[lv2_ports::kPortCount] = {};
    long long phase_ = 0;
};

class Lv2Plugin : public ::testing::Test {
protected:
    void SetUp() override {
        plugin_ = loadOurBundle(world_);
        ASSERT_NE(plugin_, nullptr) << "no " << lv2_ports::kPluginUri << " in " << ALDERMARK_LV2_BUNDLE;
    }
    void TearDown() override { lilv_world_free(world_); }
    LilvWorld* world_ = lilv_world_new();
    const LilvPlugin* plugin_ = nullptr;
};

TEST_F(Lv2Plugin, TheStateIsTheEffectsChunkWinsOverThePortsAndRefusesWhatItCannotRead) {
    Instance lv2(plugin_, kWithMap);
    SilentFormat format;
    MeterEffect reference(format);  // the same edits, normalised
    for (const auto& [symbol, value] : {std::pair<const char*, float>{"process", 1}, {"trim", 6}, {"scope", 2},
                                        {"meter", 2}, {"hold", 1}, {"lag_time", 300}, {"hp_freq", 200}}) {
        lv2.port(symbol) = value;
        for (const lv2_ports::Control& c : lv2_ports::kControls)
            if (std::string(c.symbol) == symbol) reference.setParameter(c.parameter, lv2_ports::normalised(c, value));
    }
    lv2.run(0.1, 0.01);
    Property saved;
    ASSERT_EQ(lv2.save(saved), LV2_STATE_SUCCESS);
    EXPECT_EQ(saved.type, mapUri(nullptr, LV2_ATOM__Chunk));
    std::vector<unsigned char> expected(MeterEffect::kChunkSize);
    reference.saveState(expected.data());
    EXPECT_EQ(saved.value, expected) << "the LV2 state is the chunk of every other format";

    Instance other(plugin_, kWithMap);  // its ports stay at their defaults
    Property given = saved, back, wrongType = saved, empty;
    wrongType.type = mapUri(nullptr, LV2_ATOM__String);
    ASSERT_EQ(other.restore(given), LV2_STATE_SUCCESS);
    other.run(0.1, 0.01);
    EXPECT_EQ(other.restore(wrongType), LV2_STATE_ERR_BAD_TYPE);
    EXPECT_EQ(other.restore(empty), LV2_STATE_ERR_NO_PROPERTY);
    ASSERT_EQ(other.save(back), LV2_STATE_SUCCESS);
    EXPECT_EQ(back.value, saved.value) << "restored over default ports, refused states changed nothing";

    Instance bare(plugin_, kNoFeatures);  // no URIDs: it runs, and has no state
    bare.run(0.1, 0.01);
    Property none;
    EXPECT_EQ(bare.save(none), LV2_STATE_ERR_NO_FEATURE);
    EXPECT_TRUE(none.value.empty());
}

TEST_F(Lv2Plugin, OutputsReadEachMeterAsItsPanelDoes) {
    for (const float meter : {0.0f, 1.0f, 2.0f}) {
        SCOPED_TRACE(meter);
        Instance lv2(plugin_, kWithMap);
        lv2.port("meter") = meter;
        lv2.run(0.1, 2.0);
        const float loud = lv2.port("needle_l");
        EXPECT_GT(loud, lv2_ports::kLowestDb);
        EXPECT_NEAR(lv2.port("needle_r"), loud, 0.01) << "both channels got the same tone";
        EXPECT_GE(lv2.port("hold_l"), loud - 0.01);
        EXPECT_EQ(lv2.port("rms_l") > lv2_ports::kLowestDb, meter == 1.0f) << "only RMS3 shows an RMS pointer";
        lv2.run(0.01, 3.0);  // 20 dB lower: the needle follows, by the meter's own law
        EXPECT_NEAR(lv2.port("needle_l"), loud - 20.0f, 1.0);
        EXPECT_EQ(lv2.port("over_l"), 0.0f);
    }
    Instance ppm(plugin_, kWithMap);
    ppm.port("meter") = 2;
    ppm.run(1.0, 0.2, true);  // full-scale square: far over any reference
    EXPECT_EQ(ppm.port("over_l") + ppm.port("over_r"), 2.0f);
    EXPECT_EQ(ppm.port("needle_l"), lv2_ports::kHighestDb) << "held within the range";
    ppm.run(0.0, 0.5);
    EXPECT_EQ(ppm.port("over_l"), 1.0f) << "still lit half a second later";
    ppm.run(0.0, 0.7);
    EXPECT_EQ(ppm.port("over_l"), 0.0f);
    EXPECT_LT(ppm.port("needle_l"), 0.0f) << "the needle falls back below the reference in the silence";
}

}  // namespace
