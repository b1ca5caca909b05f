// Settings scopes: Session and Global stores shared between instances, Instance stores,
// following, and persisting the Global store for the next process.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <string>

#include "metering/meter_settings_store.h"
#include "metering/meter_times.h"
#include "platform/settings_store.h"
#include "test_owner.h"

extern std::string gTestProgram;
extern bool gChildProcess;

namespace {

using namespace meter_settings;

class Scopes : public ::testing::Test {
protected:
    void SetUp() override {
        globalStore().fillWithDefaults();
        sessionStore().fillWithDefaults();
        setDefaultScope(kSession);
    }
};

TEST_F(Scopes, NewModelsStartFromTheDefaultScopeAndItsStore) {
    sessionStore().set(72, 0.25f);
    globalStore().set(72, 0.75f);
    TestOwner session;
    EXPECT_EQ(session.rms->scope(), kSession);
    EXPECT_EQ(session.rms->getSetting(72), 0.25f);
    setDefaultScope(kGlobal);
    TestOwner global;
    EXPECT_STREQ(global.rms->scopeText(), "Global");
    EXPECT_EQ(global.rms->getSetting(72), 0.75f);
    setDefaultScope(kInstance);
    TestOwner instance;  // starts from the Session store, which it now keeps as its own
    EXPECT_EQ(instance.rms->getSetting(72), 0.25f);
    EXPECT_TRUE(instance.rms->instanceStoreInitialised());
    EXPECT_EQ(instance.rms->instanceStoreValue(72), 0.25f);
    EXPECT_EQ(session.rms->getSetting(90), 0.0f);
    EXPECT_EQ(session.vu->getSetting(86), defaultValue(86));
}

TEST_F(Scopes, SessionChangesReachOtherInstancesWhenTheyFollow) {
    TestOwner a, b;
    a.ppm->setSetting(93, 0.1f);
    a.vu->setSetting(84, 0.9f);
    EXPECT_EQ(sessionStore().get(93), 0.1f);
    EXPECT_NE(b.ppm->getSetting(93), 0.1f);
    b.ppm->followSharedStores();
    b.vu->followSharedStores();
    EXPECT_EQ(b.ppm->getSetting(93), 0.1f);
    EXPECT_EQ(b.vu->getSetting(84), 0.9f);
    EXPECT_EQ(b.copies[93 - 72], 0.1f);  // pushed through the owner's setter
    EXPECT_EQ(b.callsFor(93), 1);
    b.calls.clear();
    b.ppm->followSharedStores();  // nothing differs any more
    EXPECT_TRUE(b.calls.empty());
}

TEST_F(Scopes, RmsFollowingSettlesOnTheQuantisedStoreValue) {
    TestOwner a, b;
    a.rms->setSetting(73, 0.503f);  // stored as 0.5
    b.rms->followSharedStores();
    EXPECT_EQ(b.rms->getSetting(73), 0.5f);
    a.rms->followSharedStores();  // a's own value differs from its store once
    EXPECT_EQ(a.rms->getSetting(73), 0.5f);
    a.calls.clear();
    a.rms->followSharedStores();
    EXPECT_TRUE(a.calls.empty());
}

TEST_F(Scopes, InstanceScopeIsolatesAndRemembers) {
    TestOwner a, b;
    a.selectScope(1.0f);  // Instance: pushes the Session values
    EXPECT_EQ(a.callsFor(72), 1);
    a.rms->setSetting(72, 0.9f);  // stays in a
    EXPECT_EQ(sessionStore().get(72), defaultValue(72));
    b.rms->setSetting(72, 0.1f);  // Session change
    a.rms->followSharedStores();  // not followed in Instance scope
    EXPECT_EQ(a.rms->getSetting(72), 0.9f);
    a.selectScope(0.5f);  // back to Session: takes the Session value
    EXPECT_EQ(a.rms->getSetting(72), 0.1f);
    a.selectScope(1.0f);  // Instance again: its own store comes back
    EXPECT_EQ(a.rms->getSetting(72), 0.9f);
    a.selectScope(0.0f);
    EXPECT_EQ(a.rms->getSetting(72), globalStore().get(72));
    EXPECT_STREQ(a.rms->scopeText(), "Global");
}

TEST_F(Scopes, GlobalChangesStayOutOfTheSessionStore) {
    TestOwner a, b;
    a.selectScope(0.0f);
    b.selectScope(0.0f);
    a.ppm->setSetting(99, 0.0f);
    EXPECT_EQ(globalStore().get(99), 0.0f);
    EXPECT_EQ(sessionStore().get(99), defaultValue(99));
    b.ppm->followSharedStores();
    EXPECT_EQ(b.ppm->getSetting(99), 0.0f);
}

// Values written by the parent test below; the child checks them after loading afresh.
constexpr float kStoredRmsReference = 0.25f;
constexpr float kStoredVuHold = 0.75f;
constexpr float kStoredPpmPrecise = 1.0f;

TEST_F(Scopes, StoreAsGlobalIsReadByTheNextProcess) {
    TestOwner a;
    a.selectScope(0.0f);
    a.rms->setSetting(72, kStoredRmsReference);
    a.vu->setSetting(85, kStoredVuHold);
    a.ppm->setSetting(100, kStoredPpmPrecise);
    ASSERT_TRUE(a.rms->storeAsGlobal());
    ASSERT_TRUE(a.vu->storeAsGlobal());
    ASSERT_TRUE(a.ppm->storeAsGlobal());
    const std::string command = "\"" + gTestProgram + "\" --child --gtest_brief=1 " +
                                "--gtest_filter=Scopes.ChildSeesTheStoredGlobalValues";
    EXPECT_EQ(std::system(command.c_str()), 0);
}

TEST_F(Scopes, ChildSeesTheStoredGlobalValues) {
    if (!gChildProcess) GTEST_SKIP() << "runs as the fresh process of the test above";
    // SetUp refilled the stores with defaults: load them again as the library did.
    loadStoresFromUserSettings();
    for (Store* store : {&globalStore(), &sessionStore()}) {
        for (int slot = 0; slot < kCount; ++slot) {
            const int index = indexOfSlot(slot);
            // The RMS time settings are stored on their 1/80 steps.
            const bool rmsTime = index >= 73 && index <= 76;
            const float expected = index == 72 ? kStoredRmsReference
                                   : index == 85 ? kStoredVuHold
                                   : index == 100 ? kStoredPpmPrecise
                                   : rmsTime ? meter_times::quantiseDown(defaultValue(index))
                                             : defaultValue(index);
            EXPECT_EQ(store->get(index), expected) << index;
        }
    }
}

TEST_F(Scopes, MalformedPersistedValuesGiveTheDefaults) {
    const float outOfRange = 1.5f, notANumber = std::nanf(""), fine = 0.125f;
    const unsigned char shortValue[2] = {1, 2};
    const platform::SettingBlob blobs[] = {
        {"Armsreference", &outOfRange, sizeof outOfRange},
        {"Avuholdtime", &notANumber, sizeof notANumber},
        {"Appmprecise", shortValue, sizeof shortValue},
        {"Appmreturn", &fine, sizeof fine},
    };
    ASSERT_TRUE(platform::writeSettings(blobs, 4));
    loadStoresFromUserSettings();
    EXPECT_EQ(globalStore().get(72), defaultValue(72));
    EXPECT_EQ(sessionStore().get(85), defaultValue(85));
    EXPECT_EQ(globalStore().get(100), defaultValue(100));
    EXPECT_EQ(sessionStore().get(96), fine);
    // Leave the defaults behind for the other tests and later runs.
    globalStore().fillWithDefaults();
    EXPECT_TRUE(writeGlobalStore(kFirstIndex, kLastIndex));
}

TEST(SettingSlots, MapIndicesAndNames) {
    EXPECT_EQ(slotOf(72), 0);
    EXPECT_EQ(slotOf(81), 9);
    EXPECT_EQ(slotOf(82), -1);
    EXPECT_EQ(slotOf(83), 10);
    EXPECT_EQ(slotOf(92), -1);
    EXPECT_EQ(slotOf(100), 26);
    EXPECT_EQ(slotOf(101), -1);
    for (int slot = 0; slot < kCount; ++slot) EXPECT_EQ(slotOf(indexOfSlot(slot)), slot);
    EXPECT_STREQ(valueName(74), "ARMSRmsIntegration");
    EXPECT_STREQ(valueName(91), "Avuprecise");
    EXPECT_EQ(valueName(92), nullptr);
    EXPECT_EQ(defaultValue(72), 0.667f);
    EXPECT_EQ(defaultValue(98), 0.22f);
}

}  // namespace
