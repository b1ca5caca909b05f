// What the editor changes reaches a CLAP host as it reaches a VST 2.4 host: the value as an
// output event in plain units, inside the gesture's begin and end, at the next flush or block,
// with the host asked to flush; what only the chunk holds (the label) as a changed state; a
// host list that fills up gets the rest next time, in order.
#include <atomic>
#include <thread>

#include "clap/clap_instance.h"
#include "tests/clap/clap_test_host.h"
#include "metering/meter_settings_store.h"

namespace {

using clap_test::Host;
using clap_test::SentEvents;
using Sent = SentEvents::Sent;

const clap::PluginDescriptor kDescriptor = {clap::kVersion, "test", "test", "", "", "", "", "", "", nullptr};

struct EditorCase {
    const char* what;
    Host::Offers offers;
    bool viaProcess;  // drained by a block rather than a flush
};

TEST(ClapEditorChanges, ReachTheHostAsValueEventsInsideTheirGestures) {
    for (const EditorCase& c : {EditorCase{"flush", Host::Offers::kParams, false}, {"block", Host::Offers::kParams, true},
                                {"no host params", Host::Offers::kNothing, false}}) {
        SCOPED_TRACE(c.what);
        Host host(c.offers);
        auto* instance = new ClapInstance(&host.record, &kDescriptor);
        const clap::Plugin* plugin = instance->plugin();
        ASSERT_TRUE(plugin->init(plugin));
        ASSERT_EQ(ClapInstance::from(plugin), instance);
        const auto* params = static_cast<const clap::PluginParams*>(plugin->getExtension(plugin, clap::kExtParams));

        instance->beginGesture(parameters::kTrim);
        instance->effect().setParameterAutomated(parameters::kTrim, 0.75f);  // +10 dB, as a knob does
        instance->effect().setParameterAutomated(parameters::kTrim, 0.25f);
        instance->endGesture(parameters::kTrim);
        instance->effect().setParameterAutomated(parameters::kMeter, 1.0f);  // RAD3 by a click: no gesture
        instance->effect().setParameterAutomated(parameters::kClearOvers, 1.0f);  // a command, not for the host
        instance->beginGesture(99);
        instance->effect().setParameterAutomated(parameters::kLabelChanged, 0.0f);  // only the chunk changed
        EXPECT_EQ(host.flushRequests, c.offers == Host::Offers::kParams ? 5 : 0);
        EXPECT_EQ(host.dirtyMarks, 0) << "the host hears of the state on its main thread";
        plugin->onMainThread(plugin);
        EXPECT_EQ(host.dirtyMarks, c.offers == Host::Offers::kParams ? 1 : 0) << "the label, not the command";

        double trim = 0;
        ASSERT_TRUE(params->getValue(plugin, parameters::kTrim, &trim));
        EXPECT_DOUBLE_EQ(trim, -10.0) << "the value is set before the host hears of it";
        SentEvents sent;
        sent.room = 2;
        if (c.viaProcess) {
            float l[16] = {}, r[16] = {};
            ASSERT_TRUE(plugin->activate(plugin, 48000.0, 16, 16));
            // No input events: a host may pass none.
            EXPECT_EQ(clap_test::processBlock(plugin, {l, r}, {l, r}, 16, nullptr, &sent.list), clap::kProcessContinue);
            sent.room = 10;
            EXPECT_EQ(clap_test::processBlock(plugin, {l, r}, {l, r}, 16, nullptr, &sent.list), clap::kProcessContinue);
            plugin->deactivate(plugin);
        } else {
            params->flush(plugin, nullptr, &sent.list);
            sent.room = 10;
            params->flush(plugin, nullptr, &sent.list);
        }
        const std::vector<Sent> expected = {{clap::kEventParamGestureBegin, parameters::kTrim, 0.0},
                                            {clap::kEventParamValue, parameters::kTrim, 10.0},
                                            {clap::kEventParamValue, parameters::kTrim, -10.0},
                                            {clap::kEventParamGestureEnd, parameters::kTrim, 0.0},
                                            {clap::kEventParamValue, parameters::kMeter, 2.0}};
        EXPECT_EQ(sent.sent, expected);
        params->flush(plugin, nullptr, &sent.list);
        EXPECT_EQ(sent.sent.size(), expected.size()) << "each change is sent once";
        plugin->destroy(plugin);
        meter_settings::setDefaultMeterType(meter_settings::kVU);  // RAD3 became this process's default
    }
}

// The editor on the main thread, the host's blocks on an audio thread: every change arrives
// once, in order, while both run.
TEST(ClapEditorChanges, ArriveInOrderWhileTheAudioThreadRuns) {
    Host host(Host::Offers::kNothing);
    auto* instance = new ClapInstance(&host.record, &kDescriptor);
    const clap::Plugin* plugin = instance->plugin();
    ASSERT_TRUE(plugin->init(plugin) && plugin->activate(plugin, 48000.0, 64, 64));
    SentEvents sent;
    std::atomic<bool> editing{true};
    std::thread audio([&] {
        float l[64] = {}, r[64] = {};
        auto block = [&] { clap_test::processBlock(plugin, {l, r}, {l, r}, 64, nullptr, &sent.list); };
        while (editing.load()) block();
        block();  // what came after the last look
    });
    constexpr int kSteps = 400;  // fewer than the queue holds, in case the audio thread is slow to start
    for (int i = 0; i < kSteps; ++i) instance->effect().setParameterAutomated(parameters::kLagTime, i / 999.0f);
    editing.store(false);
    audio.join();
    ASSERT_EQ(sent.sent.size(), static_cast<std::size_t>(kSteps));
    for (int i = 0; i < kSteps; ++i) EXPECT_NEAR(sent.sent[i].value, i, 1e-3) << i;
    plugin->deactivate(plugin);
    plugin->destroy(plugin);
}

}  // namespace
