// The built CLAP plug-in in a host of our own: what it describes, its output against the
// core run directly, its state against the core's and the VST 2.4 effect's chunk, and what
// it does with input no host should send.
#include <cmath>
#include <numbers>

#include "core/meter_effect.h"
#include "core/plain_values.h"
#include "tests/clap/clap_test_host.h"
#include "tests/effect/effect_host.h"

namespace {

using clap_test::Host;
using clap_test::Instance;
using clap_test::paramEvent;
using Chunk = std::vector<unsigned char>;
constexpr double kRate = 48000.0;

// The VST 2.4 effect's chunk, as a host reads it.
Chunk chunkOf(EffectHost& vst) {
    void* data = nullptr;
    const auto size = vst.dispatch(effGetChunk, 0, 0, &data);
    return Chunk(static_cast<unsigned char*>(data), static_cast<unsigned char*>(data) + size);
}

struct SilentFormat final : FormatLink {
    void automateParameter(int, float) override {}
    void hostParameterChanged(int, float) override {}
};

TEST(ClapPlugin, DescribesOneStereoEffectAndItsParametersInPlainUnits) {
    const clap::PluginFactory* f = clap_test::factory();
    ASSERT_NE(f, nullptr);
    ASSERT_EQ(f->getPluginCount(f), 1u);
    const clap::PluginDescriptor* d = f->getPluginDescriptor(f, 0);
    EXPECT_STREQ(d->id, "com.kestrune-zeb.aldermark");
    EXPECT_STREQ(d->name, "ZEB Aldermark");
    std::vector<std::string> features;
    for (const char* const* feature = d->features; *feature; ++feature) features.emplace_back(*feature);
    EXPECT_EQ(features, (std::vector<std::string>{"audio-effect", "analyzer", "stereo"}));
    EXPECT_EQ(f->getPluginDescriptor(f, 1), nullptr);
    Host host;
    EXPECT_EQ(f->createPlugin(f, &host.record, "com.other.plugin"), nullptr);
    EXPECT_EQ(f->createPlugin(f, nullptr, d->id), nullptr);
    clap_test::entry()->deinit();

    Instance clap(host);
    ASSERT_TRUE(clap);
    const auto* ports = clap.ext<clap::PluginAudioPorts>(clap::kExtAudioPorts);
    for (const bool input : {true, false}) {
        clap::AudioPortInfo info;
        ASSERT_EQ(ports->count(clap.plugin(), input), 1u);
        ASSERT_TRUE(ports->get(clap.plugin(), 0, input, &info));
        EXPECT_EQ(info.channelCount, 2u);
        EXPECT_STREQ(info.portType, "stereo");
        EXPECT_EQ(info.flags, clap::kAudioPortIsMain);
        EXPECT_EQ(info.inPlacePair, 0u);
        EXPECT_FALSE(ports->get(clap.plugin(), 1, input, &info));
    }
    EXPECT_EQ(clap.ext<clap::PluginLatency>(clap::kExtLatency)->get(clap.plugin()), 0u);
    EXPECT_EQ(clap.ext<void>("clap.note-ports"), nullptr);

    const clap::PluginParams& params = clap.params();
    ASSERT_EQ(params.count(clap.plugin()), static_cast<std::uint32_t>(parameters::kFunctionCount));
    for (std::uint32_t i = 0; i < params.count(clap.plugin()); ++i) {
        const plain_values::Control& c = plain_values::kControls[i];
        SCOPED_TRACE(c.name);
        clap::ParamInfo info;
        ASSERT_TRUE(params.getInfo(clap.plugin(), i, &info));
        EXPECT_EQ(info.id, static_cast<clap::Id>(c.parameter)) << "ids are the host indices, for good";
        EXPECT_STREQ(info.name, c.name);
        EXPECT_EQ(info.minValue, c.minimum);
        EXPECT_EQ(info.maxValue, c.maximum);
        const bool choice = c.law == plain_values::Law::kToggle || c.law == plain_values::Law::kThreeWay;
        EXPECT_EQ((info.flags & clap::kParamIsEnum) != 0, choice);
        EXPECT_EQ((info.flags & clap::kParamIsStepped) != 0, choice || c.integer);
        EXPECT_NE(info.flags & clap::kParamIsAutomatable, 0u);
        double value = -1;
        ASSERT_TRUE(params.getValue(clap.plugin(), info.id, &value));
        if (c.parameter != parameters::kScope && c.parameter != parameters::kMeter) {
            EXPECT_NEAR(value, info.defaultValue, 1e-4);
        }
        // Every value's text reads back as that value, as far as the text shows it.
        for (const double x : {info.minValue, info.defaultValue, (info.minValue + info.maxValue) / 2, info.maxValue}) {
            char text[64], again[64];
            double back = std::nan("");
            ASSERT_TRUE(params.valueToText(clap.plugin(), info.id, x, text, sizeof text));
            ASSERT_TRUE(params.textToValue(clap.plugin(), info.id, text, &back)) << text;
            ASSERT_TRUE(params.valueToText(clap.plugin(), info.id, back, again, sizeof again));
            EXPECT_STREQ(again, text);
            EXPECT_NEAR(back, choice ? std::round(x) : x, choice ? 0.0 : 0.05 + std::abs(x) * 0.003) << text;
        }
    }
    const clap::Id trim = parameters::kTrim, meter = parameters::kMeter, hp = parameters::kHighPassFrequency;
    struct Typed {
        clap::Id id;
        const char* text;
        bool accepted;
        double value;
    };
    for (const Typed& t : {Typed{trim, " -6,5 dB ", true, -6.5}, {trim, "+30", true, 20.0}, {trim, "3 Hz", false, 0},
                           {trim, "", false, 0}, {trim, "loud", false, 0}, {hp, "1.5 kHz", true, 1500.0},
                           {hp, "250", true, 250.0}, {meter, "rms3", true, 1.0}, {meter, "2", true, 2.0},
                           {parameters::kProcess, "On", true, 1.0}, {parameters::kLagTime, "299.6 ms", true, 300.0}}) {
        double value = -99;
        EXPECT_EQ(params.textToValue(clap.plugin(), t.id, t.text, &value), t.accepted) << t.text;
        if (t.accepted) {
            EXPECT_DOUBLE_EQ(value, t.value) << t.text;
        }
    }
    char text[8] = "x";
    double value = 0;
    clap::ParamInfo info;
    EXPECT_FALSE(params.getInfo(clap.plugin(), parameters::kFunctionCount, &info));
    EXPECT_FALSE(params.getInfo(clap.plugin(), 0, nullptr));
    for (const clap::Id unknown : {clap::Id{parameters::kFunctionCount}, clap::Id{72}, clap::kInvalidId}) {
        EXPECT_FALSE(params.getValue(clap.plugin(), unknown, &value));
        EXPECT_FALSE(params.valueToText(clap.plugin(), unknown, 0.0, text, sizeof text));
        EXPECT_FALSE(params.textToValue(clap.plugin(), unknown, "1", &value));
    }
    EXPECT_FALSE(params.valueToText(clap.plugin(), trim, std::nan(""), text, sizeof text));
    ASSERT_TRUE(params.valueToText(clap.plugin(), parameters::kHighPassFrequency, 1234.0, text, 4));
    EXPECT_STREQ(text, "123") << "cut to the host's buffer";
}

// A stereo test signal: two tones, block by block.
struct Signal {
    std::vector<float> left, right;
    explicit Signal(std::uint32_t frames) : left(frames), right(frames) {
        for (std::uint32_t i = 0; i < frames; ++i) {
            left[i] = static_cast<float>(0.5 * std::sin(2 * std::numbers::pi * 997.0 * i / kRate));
            right[i] = static_cast<float>(0.25 * std::sin(2 * std::numbers::pi * 61.0 * i / kRate));
        }
    }
};

struct Automation {
    const char* what;
    std::vector<clap::EventParamValue> events;  // times count over the whole run
    bool inPlace;
};

// The core run directly, with each change applied at its frame.
Chunk runCore(const Automation& a, const Signal& s, std::vector<float>& left, std::vector<float>& right) {
    SilentFormat format;
    MeterEffect core(format);
    core.setSampleRate(static_cast<float>(kRate));
    core.resume();
    std::uint32_t done = 0;
    auto runTo = [&](std::uint32_t end) {
        if (end > done) core.process(&s.left[done], &s.right[done], &left[done], &right[done], static_cast<int>(end - done));
        done = std::max(done, end);
    };
    for (const clap::EventParamValue& e : a.events) {
        runTo(e.header.time);
        const plain_values::Control& c = plain_values::kControls[e.paramId];
        core.setParameter(c.parameter, plain_values::normalised(c, static_cast<float>(e.value)));
    }
    runTo(static_cast<std::uint32_t>(s.left.size()));
    Chunk chunk(MeterEffect::kChunkSize);
    core.saveState(chunk.data());
    return chunk;
}

TEST(ClapPlugin, OutputAndStateEqualTheCoreRunDirectly) {
    using namespace parameters;
    constexpr std::uint32_t kBlock = 512, kBlocks = 6;
    const Automation cases[] = {
        {"Process off", {}, false},
        {"Process off, in place", {paramEvent(kMeter, 2)}, true},
        {"trim +6 dB", {paramEvent(kProcess, 1), paramEvent(kTrim, 6)}, false},
        {"trim moved within blocks",
         {paramEvent(kProcess, 1), paramEvent(kTrim, -12, 100), paramEvent(kTrim, 9.5, 700), paramEvent(kTrim, 0, 1900)},
         false},
        {"filters in, HP 200 Hz, LP 3 kHz, mid/side, in place",
         {paramEvent(kProcess, 1), paramEvent(kFiltersIn, 1), paramEvent(kHighPassOn, 1),
          paramEvent(kHighPassFrequency, 200, 3), paramEvent(kLowPassOn, 1), paramEvent(kLowPassFrequency, 3000, 1030),
          paramEvent(kMidSide, 1, 2047), paramEvent(kScope, 2, 2048), paramEvent(kLagTime, 300, 3000)},
         true},
    };
    for (const Automation& a : cases) {
        SCOPED_TRACE(a.what);
        const Signal s(kBlock * kBlocks);
        std::vector<float> coreLeft(s.left.size()), coreRight(s.left.size());
        const Chunk coreChunk = runCore(a, s, coreLeft, coreRight);

        Host host;
        Instance clap(host, kRate);
        ASSERT_TRUE(clap);
        Signal buffers = s;  // in place: the plug-in writes over its input
        std::vector<float> left(s.left.size()), right(s.left.size());
        for (std::uint32_t b = 0; b < kBlocks; ++b) {
            std::vector<clap::EventParamValue> events;
            for (clap::EventParamValue e : a.events)
                if (e.header.time / kBlock == b) e.header.time %= kBlock, events.push_back(e);
            const std::size_t at = b * kBlock;
            float* out[2] = {a.inPlace ? &buffers.left[at] : &left[at], a.inPlace ? &buffers.right[at] : &right[at]};
            ASSERT_EQ(clap.process({&buffers.left[at], &buffers.right[at]}, {out[0], out[1]}, kBlock, events),
                      clap::kProcessContinue);
        }
        if (a.inPlace) left = buffers.left, right = buffers.right;
        EXPECT_EQ(left, coreLeft) << "bit-exact with the core";
        EXPECT_EQ(right, coreRight);
        if (a.events.empty() || a.events[0].paramId != kProcess) {
            EXPECT_EQ(left, s.left) << "Process off passes the input";
        }
        EXPECT_EQ(clap.save(1), coreChunk) << "the state is the core's chunk, written a byte at a time";
    }
}

TEST(ClapPlugin, StateMovesBetweenClapAndVst2AndRefusesShortOrFailingStreams) {
    using namespace parameters;
    const std::vector<std::pair<int, double>> settings = {{kProcess, 1}, {kTrim, -7.5}, {kScope, 2}, {kMeter, 1},
                                                          {kHold, 2},    {kLagTime, 120}, {kLowPassFrequency, 8000}};
    Host host;
    Instance clap(host);
    ASSERT_TRUE(clap);
    EffectHost vst;
    std::vector<clap::EventParamValue> events;
    for (const auto& [index, plain] : settings) {
        events.push_back(paramEvent(index, plain));
        vst.set(index, plain_values::normalised(plain_values::kControls[index], static_cast<float>(plain)));
    }
    std::vector<float> left(64), right(64);
    clap.process({left.data(), right.data()}, {left.data(), right.data()}, 64, events);
    const Chunk vstChunk = chunkOf(vst);
    ASSERT_EQ(vstChunk.size(), std::size_t{MeterEffect::kChunkSize});
    const Chunk clapChunk = clap.save(64);
    EXPECT_EQ(clapChunk, vstChunk) << "one chunk for both formats";

    Host other;
    Instance restored(other);
    ASSERT_TRUE(restored.load(vstChunk, 5));
    EXPECT_EQ(restored.save(), vstChunk) << "a VST 2.4 chunk loads in CLAP";
    EXPECT_EQ(other.rescans, 1) << "the host is told to read the values again";
    double trim = 0;
    ASSERT_TRUE(restored.params().getValue(restored.plugin(), kTrim, &trim));
    EXPECT_NEAR(trim, -7.5, 1e-4);
    EffectHost back;
    back.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(clapChunk.size()), const_cast<unsigned char*>(clapChunk.data()));
    EXPECT_EQ(chunkOf(back), clapChunk) << "and a CLAP chunk in VST 2.4";

    // Refused loads leave the state as it was; refused saves say so.
    Host fresh;
    Instance target(fresh);
    const Chunk before = target.save();
    struct Refusal {
        const char* what;
        Chunk bytes;
        std::size_t failAt;
    };
    for (const Refusal& r : {Refusal{"empty", {}, SIZE_MAX}, {"one byte short", Chunk(clapChunk.begin(), clapChunk.end() - 1), SIZE_MAX},
                             {"read error half way", clapChunk, 300}}) {
        EXPECT_FALSE(target.load(r.bytes, 16, r.failAt)) << r.what;
        EXPECT_EQ(target.save(), before) << r.what;
    }
    EXPECT_FALSE(target.state().load(target.plugin(), nullptr));
    const clap::InputStream noRead = {nullptr, nullptr};
    EXPECT_FALSE(target.state().load(target.plugin(), &noRead));
    clap_test::TrickleOut failing;
    failing.step = 100, failing.failAt = 200;
    EXPECT_FALSE(target.state().save(target.plugin(), &failing.stream));
    EXPECT_FALSE(target.state().save(target.plugin(), nullptr));
    EXPECT_EQ(fresh.rescans, 0);
}

TEST(ClapPlugin, UntrustedHostCallsChangeNothingAndCrashNothing) {
    using namespace parameters;
    for (const Host::Offers offers : {Host::Offers::kNothing, Host::Offers::kNoLookup}) {
        for (const double rate : {0.0, std::nan(""), -48000.0, 1e300, 11025.0}) {
            SCOPED_TRACE(rate);
            Host host(offers);  // no host extension at all
            Instance clap(host, rate);
            ASSERT_TRUE(clap);
            const Chunk before = clap.save();
            clap::EventParamValue wrongSpace = paramEvent(kTrim, 3), shortEvent = paramEvent(kTrim, 3),
                                  gesture = paramEvent(kTrim, 3);
            wrongSpace.header.spaceId = 7;
            shortEvent.header.size = sizeof(clap::EventParamGesture);
            gesture.header.type = clap::kEventParamGestureBegin;
            std::vector<float> l(256, 0.5f), r(256, 0.5f);
            EXPECT_EQ(clap.process({l.data(), r.data()}, {l.data(), r.data()}, 256,
                                   {paramEvent(kFunctionCount, 1), paramEvent(72, 1), paramEvent(kTrim, std::nan(""), 9), paramEvent(kLagTime, 1e300, 9),
                                    wrongSpace, shortEvent, gesture, paramEvent(kMeter, 1, 100000)}),
                      clap::kProcessContinue);
            for (const float x : l) ASSERT_TRUE(std::isfinite(x));
            double trim = -1, meter = -1;
            ASSERT_TRUE(clap.params().getValue(clap.plugin(), kTrim, &trim));
            ASSERT_TRUE(clap.params().getValue(clap.plugin(), kMeter, &meter));
            EXPECT_EQ(trim, 0.0) << "no junk event reached the trim";
            EXPECT_EQ(meter, 1.0) << "an event past the block's end applies at its end";
            double lag = 0;
            ASSERT_TRUE(clap.params().getValue(clap.plugin(), kLagTime, &lag));
            EXPECT_EQ(lag, 999.0) << "a huge value is the maximum";
            EXPECT_EQ(clap.process({l.data()}, {l.data()}, 0), clap::kProcessContinue) << "zero frames";
            EXPECT_EQ(clap.process({}, {l.data(), r.data()}, 256), clap::kProcessContinue) << "no input";
            EXPECT_EQ(l, std::vector<float>(256, 0.0f)) << "is silence";
            EXPECT_EQ(clap.process({nullptr, nullptr}, {nullptr}, 256), clap::kProcessContinue);
            EXPECT_EQ(clap.plugin()->process(clap.plugin(), nullptr), clap::kProcessError);
            ASSERT_TRUE(clap.load(before));
            EXPECT_EQ(clap.save(), before) << "loads without a host to tell";
            clap.params().flush(clap.plugin(), nullptr, nullptr);
            clap.plugin()->reset(clap.plugin());
            EXPECT_EQ(clap.plugin()->getExtension(clap.plugin(), nullptr), nullptr);
        }
    }
}

}  // namespace
