// The same automation and audio through each format we ship give the same samples and the
// same chunk, and a chunk saved by one format loads in every other and saves back unchanged.
// VST 2.4 is the effect behind its own dispatcher, LV2 the built bundle through lilv, CLAP the
// built .clap in our test host. Changes fall on block starts, where every format can put them.
#include <lv2/atom/atom.h>
#include <lv2/state/state.h>
#include <lv2/urid/urid.h>

#include <cmath>
#include <functional>
#include <map>
#include <memory>
#include <numbers>

#include "core/plain_values.h"
#include "lv2/lv2_ports.h"
#include "tests/clap/clap_test_host.h"
#include "tests/effect/effect_host.h"
#include "tests/lv2/our_bundle.h"

namespace {

using Chunk = std::vector<unsigned char>;
constexpr double kRate = 48000.0;
constexpr std::uint32_t kBlock = 480;

// One host parameter set to a plain value before block `block` (0: before activation).
struct Change {
    int block;
    int index;
    float plain;
};

// What every format must do alike: take changes, run a stereo block in place, give and take the chunk.
class Format {
public:
    virtual ~Format() = default;
    virtual void set(int index, float plain) = 0;
    virtual void start() = 0;
    virtual void run(float* left, float* right) = 0;
    virtual Chunk save() = 0;
    virtual bool load(const Chunk& chunk) = 0;
};

class Vst2 final : public Format {
public:
    void set(int index, float plain) override { vst_.set(index, plain_values::normalised(plain_values::kControls[index], plain)); }
    void start() override { vst_.start(static_cast<float>(kRate), kBlock); }
    void run(float* left, float* right) override {
        float* channels[2] = {left, right};
        vst_.effect()->processReplacing(vst_.effect(), channels, channels, kBlock);
    }
    Chunk save() override {
        void* data = nullptr;
        const auto size = vst_.dispatch(effGetChunk, 0, 0, &data);
        return Chunk(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
    }
    // The effect answers 0 whatever it took, as the interface has it.
    bool load(const Chunk& chunk) override {
        vst_.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), const_cast<unsigned char*>(chunk.data()));
        return true;
    }

private:
    EffectHost vst_;
};

class Clap final : public Format {
public:
    void set(int index, float plain) override { pending_.push_back(clap_test::paramEvent(index, plain)); }
    // Changes made before activation reach it through a flush, as a host sends them.
    void start() override {
        clap_test::EventList list{std::move(pending_)};
        pending_.clear();
        clap_.params().flush(clap_.plugin(), &list.list, nullptr);
        clap_.activate(kRate, kBlock);
    }
    void run(float* left, float* right) override {
        clap_.process({left, right}, {left, right}, kBlock, std::move(pending_));
        pending_.clear();
    }
    Chunk save() override { return clap_.save(); }
    bool load(const Chunk& chunk) override { return clap_.load(chunk); }

private:
    clap_test::Host host_;
    clap_test::Instance clap_{host_, std::nullopt};
    std::vector<clap::EventParamValue> pending_;
};

// LV2 through lilv: ports on arrays of our own, the state as one property.
LV2_URID mapUri(LV2_URID_Map_Handle, const char* uri) {
    static std::map<std::string, LV2_URID> ids;
    return ids.emplace(uri, static_cast<LV2_URID>(ids.size() + 1)).first->second;
}
LV2_URID_Map gMap{nullptr, mapUri};
LV2_Feature gMapFeature{LV2_URID__map, &gMap};
const LV2_Feature* const kFeatures[] = {&gMapFeature, nullptr};

class Lv2 final : public Format {
public:
    explicit Lv2(const LilvPlugin* plugin) : instance_(lilv_plugin_instantiate(plugin, kRate, kFeatures)) {
        std::vector<float> low(lv2_ports::kPortCount), high(lv2_ports::kPortCount);
        lilv_plugin_get_port_ranges_float(plugin, low.data(), high.data(), ports_);
        for (int port = lv2_ports::kFirstControlPort; port < lv2_ports::kPortCount; ++port)
            lilv_instance_connect_port(instance_, port, &ports_[port]);
    }
    ~Lv2() override {
        lilv_instance_deactivate(instance_);
        lilv_instance_free(instance_);
    }
    void set(int index, float plain) override { ports_[lv2_ports::kFirstControlPort + index] = plain; }
    void start() override { lilv_instance_activate(instance_); }
    void run(float* left, float* right) override {
        float* audio[lv2_ports::kAudioPortCount] = {left, right, left, right};
        for (int port = 0; port < lv2_ports::kAudioPortCount; ++port) lilv_instance_connect_port(instance_, port, audio[port]);
        lilv_instance_run(instance_, kBlock);
    }
    Chunk save() override {
        Chunk out;
        auto store = [](LV2_State_Handle h, uint32_t, const void* v, size_t size, uint32_t, uint32_t) {
            *static_cast<Chunk*>(h) = Chunk(static_cast<const unsigned char*>(v), static_cast<const unsigned char*>(v) + size);
            return LV2_STATE_SUCCESS;
        };
        state()->save(lilv_instance_get_handle(instance_), store, &out, LV2_STATE_IS_POD, kFeatures);
        return out;
    }
    bool load(const Chunk& chunk) override {
        auto retrieve = [](LV2_State_Handle h, uint32_t, size_t* size, uint32_t* type, uint32_t* flags) -> const void* {
            const auto& given = *static_cast<const Chunk*>(h);
            *size = given.size(), *type = mapUri(nullptr, LV2_ATOM__Chunk), *flags = LV2_STATE_IS_POD;
            return given.data();
        };
        return state()->restore(lilv_instance_get_handle(instance_), retrieve, const_cast<Chunk*>(&chunk), 0, kFeatures) ==
               LV2_STATE_SUCCESS;
    }

private:
    const LV2_State_Interface* state() {
        return static_cast<const LV2_State_Interface*>(lilv_instance_get_extension_data(instance_, LV2_STATE__interface));
    }
    LilvInstance* instance_;
    float ports_[lv2_ports::kPortCount] = {};
};

class Formats : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_NE(lv2_ = loadOurBundle(world_), nullptr); }
    void TearDown() override { lilv_world_free(world_); }
    struct Named {
        const char* name;
        std::function<std::unique_ptr<Format>()> make;
    };
    std::vector<Named> formats() const {
        return {{"VST 2.4", [] { return std::make_unique<Vst2>(); }},
                {"LV2", [this] { return std::make_unique<Lv2>(lv2_); }},
                {"CLAP", [] { return std::make_unique<Clap>(); }}};
    }
    LilvWorld* world_ = lilv_world_new();
    const LilvPlugin* lv2_ = nullptr;
};

struct Rendered {
    std::vector<float> left, right;
    Chunk chunk;
};

Rendered render(Format& format, const std::vector<Change>& changes, int blocks) {
    Rendered run{std::vector<float>(kBlock * blocks), std::vector<float>(kBlock * blocks), {}};
    for (std::size_t i = 0; i < run.left.size(); ++i) {
        run.left[i] = static_cast<float>(0.7 * std::sin(2 * std::numbers::pi * 440.0 * i / kRate));
        run.right[i] = static_cast<float>(0.3 * std::sin(2 * std::numbers::pi * 5000.0 * i / kRate));
    }
    for (const Change& c : changes)
        if (c.block == 0) format.set(c.index, c.plain);
    format.start();
    for (int b = 0; b < blocks; ++b) {
        for (const Change& c : changes)
            if (c.block == b + 1) format.set(c.index, c.plain);
        format.run(&run.left[b * kBlock], &run.right[b * kBlock]);
    }
    run.chunk = format.save();
    return run;
}

TEST_F(Formats, SameAutomationGivesTheSameSamplesAndChunkAndEveryChunkLoadsEverywhere) {
    using namespace parameters;
    const struct {
        const char* what;
        std::vector<Change> changes;
    } cases[] = {
        {"defaults, Process off", {}},
        {"trim moved while running", {{0, kProcess, 1}, {0, kTrim, 6}, {3, kTrim, -14.5f}, {6, kTrim, 20}}},
        {"filters, mid/side, RMS3, Instance scope, lag",
         {{0, kProcess, 1}, {0, kFiltersIn, 1}, {0, kHighPassOn, 1}, {0, kHighPassFrequency, 120}, {2, kLowPassOn, 1},
          {4, kLowPassFrequency, 2500}, {0, kMeter, 1}, {1, kMidSide, 1}, {0, kScope, 2}, {5, kLagTime, 250},
          {5, kHighPassSlope, 1}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<Rendered> runs;
        for (const Named& f : formats()) runs.push_back(render(*f.make(), c.changes, 8));
        ASSERT_EQ(runs[0].chunk.size(), static_cast<std::size_t>(MeterEffect::kChunkSize));
        for (std::size_t i = 1; i < runs.size(); ++i) {
            SCOPED_TRACE(formats()[i].name);
            EXPECT_EQ(runs[i].left, runs[0].left) << "the same samples as VST 2.4";
            EXPECT_EQ(runs[i].right, runs[0].right);
            EXPECT_EQ(runs[i].chunk, runs[0].chunk) << "the same chunk as VST 2.4";
        }
        for (std::size_t from = 0; from < runs.size(); ++from)
            for (const Named& to : formats()) {
                SCOPED_TRACE(std::string(formats()[from].name) + " into " + to.name);
                std::unique_ptr<Format> target = to.make();
                target->start();
                ASSERT_TRUE(target->load(runs[from].chunk));
                EXPECT_EQ(target->save(), runs[from].chunk);
            }
    }
}

}  // namespace
