// Cost of the CLAP build per stereo frame, loaded as a host loads it: the same work as
// effect_bench (48 kHz, blocks of 512, each meter, Process off or on with trim and both
// filters), so the two side by side show what the CLAP wrapper adds; "automated" adds one
// trim event in the middle of every block, which cuts the block in two.
#include <benchmark/benchmark.h>
#include <dlfcn.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "clap/clap_abi.h"
#include "model/parameter_ids.h"

namespace {

constexpr std::uint32_t kBlock = 512;

const clap::PluginFactory* factory() {
    static void* library = dlopen(ALDERMARK_CLAP_FILE, RTLD_NOW | RTLD_LOCAL);
    const auto* entry = library ? static_cast<const clap::PluginEntry*>(dlsym(library, "clap_entry")) : nullptr;
    if (!entry || !entry->init(ALDERMARK_CLAP_FILE)) return nullptr;
    return static_cast<const clap::PluginFactory*>(entry->getFactory(clap::kPluginFactoryId));
}

struct Events {
    std::vector<clap::EventParamValue> list;
    clap::InputEvents in = {this, [](const clap::InputEvents* l) {
                                return static_cast<std::uint32_t>(static_cast<Events*>(l->ctx)->list.size());
                            },
                            [](const clap::InputEvents* l, std::uint32_t i) -> const clap::EventHeader* {
                                return &static_cast<Events*>(l->ctx)->list[i].header;
                            }};
    clap::OutputEvents out = {nullptr, [](const clap::OutputEvents*, const clap::EventHeader*) { return true; }};
    void add(int id, double value, std::uint32_t time) {
        clap::EventParamValue e = {};
        e.header = {sizeof e, time, clap::kCoreEventSpace, clap::kEventParamValue, 0};
        e.paramId = static_cast<clap::Id>(id);
        e.noteId = -1, e.portIndex = -1, e.channel = -1, e.key = -1;
        e.value = value;
        list.push_back(e);
    }
};

void BM_ClapProcess(benchmark::State& state) {
    const clap::PluginFactory* f = factory();
    const clap::Host host = {clap::kVersion, nullptr, "bench", "", "", "1",
                             [](const clap::Host*, const char*) -> const void* { return nullptr; }, nullptr, nullptr, nullptr};
    const clap::Plugin* plugin = f ? f->createPlugin(f, &host, "com.kestrune-zeb.aldermark") : nullptr;
    if (!plugin || !plugin->init(plugin)) {
        state.SkipWithError("the CLAP plug-in does not load");
        return;
    }
    using namespace parameters;
    Events setup;
    setup.add(kMeter, static_cast<double>(state.range(0)), 0);
    if (state.range(1)) {  // the settings of effect_bench, in plain units
        setup.add(kProcess, 1, 0), setup.add(kTrim, 4, 0), setup.add(kFiltersIn, 1, 0);
        setup.add(kHighPassSlope, 1, 0), setup.add(kHighPassFrequency, 20.0 * std::pow(100.0, 0.3), 0);
        setup.add(kLowPassSlope, 1, 0), setup.add(kLowPassFrequency, 300.0 * std::pow(100.0, 0.6), 0);
    }
    const auto* params = static_cast<const clap::PluginParams*>(plugin->getExtension(plugin, clap::kExtParams));
    params->flush(plugin, &setup.in, &setup.out);
    plugin->activate(plugin, 48000.0, kBlock, kBlock);
    plugin->startProcessing(plugin);

    std::mt19937 random(3);
    std::normal_distribution<float> noise(0.0f, 0.005f);
    std::vector<float> left(kBlock), right(kBlock), outL(kBlock), outR(kBlock);
    for (std::uint32_t i = 0; i < kBlock; ++i) {
        left[i] = 0.07f * static_cast<float>(std::sin(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
        right[i] = 0.07f * static_cast<float>(std::cos(2.0 * std::numbers::pi * 997.0 * i / 48000.0)) + noise(random);
    }
    float* in[2] = {left.data(), right.data()};
    float* out[2] = {outL.data(), outR.data()};
    clap::AudioBuffer input = {in, nullptr, 2, 0, 0}, output = {out, nullptr, 2, 0, 0};
    Events automation;
    if (state.range(2)) automation.add(kTrim, 4, kBlock / 2);
    const clap::Process process = {0, kBlock, nullptr, &input, &output, 1, 1, &automation.in, &automation.out};
    for (auto _ : state) {
        plugin->process(plugin, &process);
        benchmark::DoNotOptimize(outL.data());
    }
    state.counters["per_frame"] = benchmark::Counter(static_cast<double>(state.iterations()) * kBlock,
                                                     benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
    plugin->stopProcessing(plugin);
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
}

}  // namespace

BENCHMARK(BM_ClapProcess)->ArgNames({"meter", "process", "automated"})->ArgsProduct({{0, 1, 2}, {0, 1}, {0, 1}});

BENCHMARK_MAIN();
