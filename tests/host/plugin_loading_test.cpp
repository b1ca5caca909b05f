// Loading plug-ins: both entry point names, the host callback's answers, and every way a
// file can fail to be a usable VST 2.4 plug-in.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <tuple>

#include "tests/host/host_test_support.h"
#include "tools/aldermark/plugin_instance.h"

namespace {

using aldermark::PluginInstance;
using host_test::modulePath;

TEST(PluginLoading, EntryPointCreatesAnOpenEffect) {
    PluginInstance plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(modulePath("host_test_plugin"), error)) << error;
    ASSERT_NE(plugin.effect(), nullptr);
    EXPECT_EQ(plugin.effect()->magic, kEffectMagic);
    EXPECT_EQ(plugin.text(effGetEffectName), "Test Gain");
    EXPECT_EQ(plugin.text(effGetParamDisplay, 2), "2400") << "the host reported its version to the entry point";
    plugin.setParameter(0, 0.25f);
    EXPECT_EQ(plugin.getParameter(0), 0.25f);
    EXPECT_EQ(plugin.text(effGetParamDisplay, 0), "0.50");
}

TEST(PluginLoading, LegacyMainIsExportedAndUsedAsFallback) {
    std::string error;
    void* library = host_platform::loadLibrary(modulePath("host_test_plugin"), error);
    ASSERT_NE(library, nullptr) << error;
    EXPECT_NE(host_platform::findSymbol(library, "main"), nullptr) << "the plug-in exports main beside VSTPluginMain";
    host_platform::unloadLibrary(library);

    PluginInstance plugin;
    ASSERT_TRUE(plugin.load(modulePath("host_test_plugin_main_only"), error)) << error;
    EXPECT_EQ(plugin.text(effGetProductString), "Test Gain Product");
}

TEST(PluginLoading, HostAnnouncesRatesBlocksAndConnectedPins) {
    PluginInstance plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(modulePath("host_test_plugin"), error)) << error;
    plugin.setProcessing(48000.0f, 64);
    EXPECT_EQ(plugin.text(effGetParamDisplay, 3), "48000");
    EXPECT_EQ(plugin.text(effGetParamDisplay, 4), "64");

    float left[4] = {1, 1, 1, 1}, right[4] = {1, 1, 1, 1}, outLeft[4] = {}, outRight[4] = {};
    float* ins[] = {left, right};
    float* outs[] = {outLeft, outRight};
    AEffect* effect = plugin.effect();
    plugin.dispatch(effMainsChanged, 0, 1);
    for (const auto& [inputs, outputs, expected] :
         {std::tuple{2, 2, "11/11"}, std::tuple{1, 1, "10/10"}, std::tuple{1, 2, "10/11"}}) {
        plugin.setConnectedPins(inputs, outputs);
        effect->processReplacing(effect, ins, outs, 4);
        EXPECT_EQ(plugin.text(effGetParamDisplay, 1), expected) << inputs << " in, " << outputs << " out";
    }
    EXPECT_EQ(outRight[3], 1.0f) << "gain 2 × 0.5";
}

class BrokenPlugins : public host_test::ScratchFolder {};

TEST_F(BrokenPlugins, EachFailureIsNamedAndNothingIsLeftOpen) {
    {
        std::ofstream text(file("notes.txt"));
        text << "this is not a library\n";
    }
    {
        std::ofstream garbage(file("garbage" TEST_MODULE_SUFFIX), std::ios::binary);
        garbage << "MZ\x90" << std::string(200, '\x7f') << "ELF";
    }
    const struct {
        std::string path;
        const char* expected;
    } cases[] = {
        {file("absent" TEST_MODULE_SUFFIX), "not found"},
        {file("notes.txt"), "is not a loadable plug-in library"},
        {file("garbage" TEST_MODULE_SUFFIX), "is not a loadable plug-in library"},
        {modulePath("host_test_plugin_no_entry"), "no VSTPluginMain or main entry point"},
        {modulePath("host_test_plugin_null_entry"), "returned null"},
        {modulePath("host_test_plugin_bad_magic"), "did not return a VST 2.4 effect record"},
    };
    for (const auto& c : cases) {
        PluginInstance plugin;
        std::string error;
        EXPECT_FALSE(plugin.load(c.path, error)) << c.path;
        EXPECT_EQ(plugin.effect(), nullptr);
        EXPECT_NE(error.find(c.expected), std::string::npos) << error;
        EXPECT_EQ(error.find('\n'), std::string::npos) << "one line: " << error;
    }
}

TEST(PluginLoading, ReloadingReplacesTheEffect) {
    PluginInstance plugin;
    std::string error;
    ASSERT_TRUE(plugin.load(modulePath("host_test_plugin"), error)) << error;
    plugin.setParameter(0, 0.1f);
    ASSERT_TRUE(plugin.load(modulePath("host_test_plugin_main_only"), error)) << error;
    EXPECT_EQ(plugin.getParameter(0), 0.5f) << "a fresh effect with its defaults";
    EXPECT_FALSE(plugin.load(modulePath("host_test_plugin_null_entry"), error));
    EXPECT_EQ(plugin.effect(), nullptr);
    EXPECT_EQ(plugin.dispatch(effGetVstVersion), 0) << "calls without an effect are harmless";
}

TEST(HostCallback, AnswersWithoutAnInstance) {
    EXPECT_EQ(aldermark::hostCallback(nullptr, audioMasterVersion, 0, 0, nullptr, 0.0f), 2400);
    EXPECT_EQ(aldermark::hostCallback(nullptr, audioMasterPinConnected, 0, 0, nullptr, 0.0f), 0);
    EXPECT_EQ(aldermark::hostCallback(nullptr, audioMasterGetProductString, 0, 0, nullptr, 0.0f), 0);
}

}  // namespace
