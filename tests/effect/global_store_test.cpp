// "Store as global" through the effect's command parameter, read back by a fresh process
// that loads the stores as the library does when it is loaded.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "effect_host.h"

extern std::string gTestProgram;
extern bool gChildProcess;

namespace {

constexpr float kStoredPpmReference = 0.125f;
constexpr float kStoredVuIntegration = 0.75f;

TEST(GlobalStore, StoreAsGlobalReachesTheNextProcess) {
    if (gChildProcess) GTEST_SKIP() << "the parent's half";
    resetProcessDefaults();
    {
        EffectHost host;
        host.set(2, 0.0f);  // Global
        host.set(93, kStoredPpmReference);
        host.set(84, kStoredVuIntegration);
        host.set(65, 1.0f);  // store as global
    }
    const std::string command = "\"" + gTestProgram + "\" --child --gtest_brief=1 " +
                                "--gtest_filter=GlobalStore.ChildLoadsTheStoredValues";
    EXPECT_EQ(std::system(command.c_str()), 0);
    // Leave the factory values behind for later runs.
    meter_settings::globalStore().fillWithDefaults();
    EXPECT_TRUE(meter_settings::writeGlobalStore(meter_settings::kFirstIndex, meter_settings::kLastIndex));
}

TEST(GlobalStore, ChildLoadsTheStoredValues) {
    if (!gChildProcess) GTEST_SKIP() << "runs as the fresh process of the test above";
    EffectHost global;  // the first instance of the process: Session scope, loaded from the stored values
    EXPECT_EQ(global.get(93), kStoredPpmReference);
    EXPECT_EQ(global.get(84), kStoredVuIntegration);
    EXPECT_EQ(global.get(72), meter_settings::defaultValue(72));
    global.set(2, 0.0f);
    EXPECT_EQ(global.get(93), kStoredPpmReference);
}

}  // namespace
