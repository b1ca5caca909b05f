// Saving and restoring an instance through its state chunk.
#include <gtest/gtest.h>

#include <cstring>
#include <vector>

#include "effect_host.h"

namespace {

class StateChunk : public ::testing::Test {
protected:
    void SetUp() override { resetProcessDefaults(); }
    std::vector<unsigned char> save(EffectHost& host) {
        void* data = nullptr;
        const VstIntPtr size = host.dispatch(effGetChunk, 0, 0, &data);
        const auto* bytes = static_cast<unsigned char*>(data);
        return std::vector<unsigned char>(bytes, bytes + size);
    }
    void load(EffectHost& host, std::vector<unsigned char> chunk) {
        host.dispatch(effSetChunk, 0, static_cast<VstIntPtr>(chunk.size()), chunk.data());
    }
    static float at(const std::vector<unsigned char>& c, size_t offset) {
        float v;
        std::memcpy(&v, c.data() + offset, 4);
        return v;
    }
};

TEST_F(StateChunk, FreshInstanceLayout) {
    EffectHost host;
    const auto c = save(host);
    ASSERT_EQ(c.size(), 596u);
    EXPECT_EQ(at(c, 0), 300.0f);
    EXPECT_STREQ(reinterpret_cast<const char*>(c.data() + 4), "Master Track");
    for (size_t i = 4 + 12; i < 44; ++i) EXPECT_EQ(c[i], 0) << i;
    EXPECT_EQ(at(c, 44 + 4 * 1), 0.5f);     // Trim
    EXPECT_EQ(at(c, 44 + 4 * 63), 0.5f);    // a spare
    EXPECT_EQ(at(c, 300), 0.667f);          // RMS reference
    EXPECT_EQ(at(c, 316), 52 * 0.0125f);    // RMS return: the step in use (0.65)
    EXPECT_EQ(at(c, 340), 0.25f);           // VU reference
    EXPECT_EQ(at(c, 376 + 4 * 7), 0.0f);    // PPM precise
    for (size_t i = 408; i < 596; ++i) EXPECT_EQ(c[i], 0) << i;
    EXPECT_EQ(save(host), c);  // saving twice gives the same block
}

TEST_F(StateChunk, RoundTripInInstanceScope) {
    EffectHost a;
    a.set(2, 1.0f);  // Instance
    a.set(1, 0.3f);
    a.set(40, 0.125f);
    a.set(72, 0.2f);
    a.set(99, 0.0f);
    a.object().setLabel("Drum Bus");
    const auto chunk = save(a);
    EffectHost b;
    load(b, chunk);
    EXPECT_EQ(b.get(1), 0.3f);
    EXPECT_EQ(b.get(40), 0.125f);
    EXPECT_EQ(b.get(72), 0.2f);
    EXPECT_EQ(b.get(99), 0.0f);
    EXPECT_EQ(b.display(2), "Instance");
    char label[40];
    b.object().getLabel(label);
    EXPECT_STREQ(label, "Drum Bus");
    EXPECT_EQ(save(b), chunk);
}

TEST_F(StateChunk, GlobalScopeKeepsTheGlobalSettings) {
    EffectHost a;
    a.set(2, 0.0f);  // Global
    a.set(93, 0.1f);
    auto chunk = save(a);
    meter_settings::globalStore().set(93, 0.7f);  // the Global store moves on
    EffectHost b;
    load(b, chunk);
    EXPECT_EQ(b.display(2), "Global");
    EXPECT_EQ(b.get(93), 0.7f);  // not the saved 0.1
}

TEST_F(StateChunk, SessionScopeRestoresTheSettings) {
    EffectHost a;
    a.set(93, 0.1f);
    auto chunk = save(a);
    meter_settings::sessionStore().set(93, 0.7f);
    EffectHost b;
    load(b, chunk);
    EXPECT_EQ(b.get(93), 0.1f);
}

TEST_F(StateChunk, ShortBrokenAndMissingBlocks) {
    EffectHost host;
    host.set(1, 0.8f);
    std::vector<unsigned char> shortChunk(50, 0);  // mark, label, and half a parameter
    std::memcpy(shortChunk.data() + 4, "Short", 6);
    load(host, shortChunk);
    char label[40];
    host.object().getLabel(label);
    EXPECT_STREQ(label, "Short");
    EXPECT_EQ(host.get(1), 0.0f);  // read as zero
    EXPECT_EQ(host.dispatch(effSetChunk, 0, 596, nullptr), 0);
    EXPECT_EQ(host.dispatch(effGetChunk, 0, 0, nullptr), 0);

    std::vector<unsigned char> noTerminator(596, 'A');  // label without its terminator, NaN-free junk
    for (size_t i = 44; i < 596; ++i) noTerminator[i] = 0;
    load(host, noTerminator);
    host.object().getLabel(label);
    EXPECT_EQ(std::strlen(label), 39u);

    std::vector<unsigned char> nan(596, 0xff);  // every value NaN: parameters keep theirs
    host.set(1, 0.25f);
    load(host, nan);
    EXPECT_EQ(host.get(1), 0.25f);
}

// A state saves, loads and saves again to the same bytes, from its first reload: the RMS
// times, which run in steps, read back as the step in use.
TEST_F(StateChunk, SavedStatesReloadUnchanged) {
    // Found by fuzzing: a short block whose RMS times lie between steps once read.
    const std::vector<unsigned char> found = {
        0x00, 0x00, 0x96, 0x43, 0x4d, 0x61, 0x73, 0x74, 0x65, 0x72, 0x20, 0x54, 0x72, 0x61, 0x63,
        0x6b, 0x00, 0x00, 0x96, 0x43, 0x4d, 0x61, 0x73, 0x74, 0x65, 0x72, 0x20, 0x54, 0x72, 0x61,
        0x63, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x6b, 0x00, 0x00, 0x00};
    EffectHost fresh;
    std::vector<unsigned char> betweenSteps = save(fresh);
    const float instance = 1.0f;  // scope Instance: the chunk's own settings are used
    std::memcpy(betweenSteps.data() + 44 + 4 * 2, &instance, 4);
    const float between[] = {0.66f, 0.333f, 0.1234f, 0.999f};  // settings 73..76
    std::memcpy(betweenSteps.data() + 304, between, sizeof between);
    for (const auto& original : {save(fresh), found, betweenSteps}) {
        SCOPED_TRACE(original.size());
        EffectHost first, second;
        load(first, original);
        const auto saved = save(first);
        load(second, saved);
        EXPECT_EQ(save(second), saved);
    }
    EffectHost loaded;
    load(loaded, betweenSteps);
    EXPECT_EQ(loaded.get(76), 79 * 0.0125f) << "0.999 runs as the step below it";
}

}  // namespace
