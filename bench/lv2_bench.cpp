// Cost of the LV2 build per stereo frame, loaded through lilv as a host loads it: the same
// work as effect_bench (48 kHz, blocks of 512, each meter, Process off or on with trim and
// both filters), so the two side by side show what the LV2 wrapper adds. BM_MeterSideBySide
// runs each of our meters and x42's stereo VU, K20 and DIN PPM (Debian's x42-plugins, where
// installed) through the same loop with the same signal.
#include <benchmark/benchmark.h>
#include <lilv/lilv.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <cstring>
#include <iterator>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "lv2/lv2_ports.h"

namespace {

constexpr int kBlock = 512;

const LilvPlugin* ourPlugin(LilvWorld* world) {
    LilvNode* bundle = lilv_new_file_uri(world, nullptr, ALDERMARK_LV2_BUNDLE "/");
    lilv_world_load_bundle(world, bundle);
    lilv_node_free(bundle);
    LilvNode* uri = lilv_new_uri(world, lv2_ports::kPluginUri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    return plugin;
}

void BM_Lv2Run(benchmark::State& state) {
    const bool processOn = state.range(1) != 0;
    LilvWorld* world = lilv_world_new();
    const LilvPlugin* plugin = ourPlugin(world);
    LilvInstance* instance = plugin ? lilv_plugin_instantiate(plugin, 48000.0, nullptr) : nullptr;
    if (!instance) {
        state.SkipWithError("the LV2 bundle does not load");
        lilv_world_free(world);
        return;
    }
    std::vector<float> minimum(lv2_ports::kPortCount), maximum(lv2_ports::kPortCount), controls(lv2_ports::kPortCount);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), controls.data());
    auto set = [&](const char* symbol, float value) {
        for (int i = 0; i < lv2_ports::kControlCount; ++i)
            if (std::strcmp(lv2_ports::kControls[i].symbol, symbol) == 0) controls[lv2_ports::kFirstControlPort + i] = value;
    };
    set("meter", static_cast<float>(state.range(0)));
    if (processOn) {  // the settings of effect_bench, in the ports' units
        set("process", 1);
        set("trim", 4);
        set("filters_in", 1);
        set("hp_slope", 1);
        set("hp_freq", static_cast<float>(20.0 * std::pow(100.0, 0.3)));
        set("lp_slope", 1);
        set("lp_freq", static_cast<float>(300.0 * std::pow(100.0, 0.6)));
    }
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.005f);
    std::vector<float> left(kBlock), right(kBlock), outL(kBlock), outR(kBlock);
    for (int i = 0; i < kBlock; ++i) {
        left[i] = 0.07f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
        right[i] = 0.07f * static_cast<float>(std::cos(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
    }
    float* audio[lv2_ports::kAudioPortCount] = {left.data(), right.data(), outL.data(), outR.data()};
    for (int port = 0; port < lv2_ports::kAudioPortCount; ++port) lilv_instance_connect_port(instance, port, audio[port]);
    for (int port = lv2_ports::kFirstControlPort; port < lv2_ports::kPortCount; ++port)
        lilv_instance_connect_port(instance, port, &controls[port]);
    lilv_instance_activate(instance);
    for (auto _ : state) {
        lilv_instance_run(instance, kBlock);
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
    lilv_world_free(world);
}

// Any stereo LV2 meter: audio ports fed in their order, controls at their defaults but for
// `symbol` set to `value`, every other port given a zeroed buffer of its own.
struct Contender {
    const char* label;
    const char* uri;
    const char* symbol;  // a control to set, or null
    float value;
};
const Contender kContenders[] = {
    {"ours VU3", lv2_ports::kPluginUri, "meter", 0},
    {"ours RMS3", lv2_ports::kPluginUri, "meter", 1},
    {"ours RAD3", lv2_ports::kPluginUri, "meter", 2},
    {"x42 VU", "http://gareus.org/oss/lv2/meters#VUstereo", nullptr, 0},
    {"x42 K20", "http://gareus.org/oss/lv2/meters#K20stereo", nullptr, 0},
    {"x42 DIN PPM", "http://gareus.org/oss/lv2/meters#DINstereo", nullptr, 0},
};

LV2_URID mapUri(LV2_URID_Map_Handle handle, const char* uri) {
    auto& uris = *static_cast<std::vector<std::string>*>(handle);
    for (std::size_t i = 0; i < uris.size(); ++i)
        if (uris[i] == uri) return static_cast<LV2_URID>(i + 1);
    uris.emplace_back(uri);
    return static_cast<LV2_URID>(uris.size());
}

void BM_MeterSideBySide(benchmark::State& state) {
    const Contender& who = kContenders[state.range(0)];
    state.SetLabel(who.label);
    LilvWorld* world = lilv_world_new();
    lilv_world_load_all(world);
    ourPlugin(world);
    LilvNode* uri = lilv_new_uri(world, who.uri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    std::vector<std::string> uris;
    LV2_URID_Map map{&uris, mapUri};
    LV2_Feature mapFeature{LV2_URID__map, &map};
    const LV2_Feature* features[] = {&mapFeature, nullptr};
    LilvInstance* instance = plugin ? lilv_plugin_instantiate(plugin, 48000.0, features) : nullptr;
    if (!instance) {
        state.SkipWithError("not installed or does not load");
        lilv_world_free(world);
        return;
    }
    const uint32_t ports = lilv_plugin_get_num_ports(plugin);
    std::vector<float> minimum(ports), maximum(ports), defaults(ports);
    lilv_plugin_get_port_ranges_float(plugin, minimum.data(), maximum.data(), defaults.data());
    LilvNode* audioClass = lilv_new_uri(world, LV2_CORE__AudioPort);
    LilvNode* inputClass = lilv_new_uri(world, LV2_CORE__InputPort);
    LilvNode* controlClass = lilv_new_uri(world, LV2_CORE__ControlPort);
    std::vector<float> left(kBlock), right(kBlock);
    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.005f);
    for (int i = 0; i < kBlock; ++i) {
        left[i] = 0.07f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
        right[i] = 0.07f * static_cast<float>(std::cos(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
    }
    std::vector<std::vector<float>> buffers(ports, std::vector<float>(kBlock * 4, 0.0f));
    int audioInputs = 0;
    for (uint32_t p = 0; p < ports; ++p) {
        const LilvPort* port = lilv_plugin_get_port_by_index(plugin, p);
        const bool audio = lilv_port_is_a(plugin, port, audioClass), input = lilv_port_is_a(plugin, port, inputClass);
        void* data = buffers[p].data();
        if (audio && input) data = audioInputs++ == 0 ? left.data() : right.data();
        if (lilv_port_is_a(plugin, port, controlClass)) {
            buffers[p][0] = std::isnan(defaults[p]) ? 0.0f : defaults[p];
            const char* symbol = lilv_node_as_string(lilv_port_get_symbol(plugin, port));
            if (who.symbol && std::strcmp(symbol, who.symbol) == 0) buffers[p][0] = who.value;
        }
        lilv_instance_connect_port(instance, p, data);
    }
    lilv_node_free(audioClass);
    lilv_node_free(inputClass);
    lilv_node_free(controlClass);
    lilv_instance_activate(instance);
    for (auto _ : state) {
        lilv_instance_run(instance, kBlock);
        benchmark::ClobberMemory();
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    lilv_instance_deactivate(instance);
    lilv_instance_free(instance);
    lilv_world_free(world);
}
BENCHMARK(BM_MeterSideBySide)->DenseRange(0, static_cast<int>(std::size(kContenders)) - 1);

// Arguments: meter (0 VU, 1 RMS, 2 PPM), Process (0 off, 1 on with trim and filters).
BENCHMARK(BM_Lv2Run)->ArgNames({"meter", "process"})->ArgsProduct({{0, 1, 2}, {0, 1}});

}  // namespace

BENCHMARK_MAIN();
