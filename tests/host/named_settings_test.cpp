// Settings by name and in their units: every setting named as it is listed, with the value its
// display shows, gives the state its index form gives; values between steps go to the
// nearest and say so; what is out of range or does nothing is refused.
#include <gtest/gtest.h>

#include <cstdio>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "core/parameter_table.h"
#include "tests/host/host_test_support.h"
#include "tools/aldermark/named_settings.h"
#include "tools/aldermark/run_settings.h"
#include "vst2/create_effect.h"
#include "vst2/templete.h"

namespace {

using aldermark::EffectSource;
using aldermark::ParameterAssignment;
using aldermark::RunSettings;
namespace named = aldermark::named_settings;

VstIntPtr VSTCALLBACK quietHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

// The effect built from the plug-in's code, as the meter command makes it.
class Effect {
public:
    Effect() : effect_(createEffect(quietHost)) {}
    ~Effect() { effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f); }
    Effect(const Effect&) = delete;
    Effect& operator=(const Effect&) = delete;

    void apply(const std::vector<ParameterAssignment>& assignments) {
        for (const ParameterAssignment& a : assignments) effect_->setParameter(effect_, a.index, a.value);
    }
    float value(int index) { return effect_->getParameter(effect_, index); }
    // What the effect shows for a setting: the host's display text, or the meter model's.
    std::string text(int index) {
        char text[64] = {};
        if (index < parameters::kHostCount) {
            effect_->dispatcher(effect_, effGetParamDisplay, index, 0, text, 0.0f);
        } else {
            Templete& t = *static_cast<Templete*>(effect_->object);
            MeterModel* model = index >= PPMmeter::kFirstSetting ? static_cast<MeterModel*>(t.ppmMeter())
                                : index >= VUmeter::kFirstSetting ? static_cast<MeterModel*>(t.vuMeter())
                                                                  : t.rmsMeter();
            model->getSettingText(index, text);
        }
        return text;
    }

private:
    AEffect* effect_;
};

// The options as a command of the built-in effect reads them.
bool readSettings(const std::vector<std::string>& args, RunSettings& settings, std::string& error) {
    static constexpr auto specs = aldermark::withSettingOptions({{"--input", true, false}});
    aldermark::ParsedOptions options;
    return aldermark::parseOptions(args, specs, options, error) &&
           settings.read(options, EffectSource::kBuiltIn, error);
}

std::string notesOf(const RunSettings& settings) {
    std::ostringstream err;
    settings.printNotes("meter", err);
    return err.str();
}

TEST(NamedSettings, EveryDisplayedValueReadsBackAsItself) {
    // Over a fine grid of each setting, the effect's own text given by name reproduces the
    // text: every step is reachable, in the unit the display shows.
    for (const int index : named::indices()) {
        if (index == parameters::kHold) continue;  // its display shows a time, not the hold mode
        Effect byIndex, byName;
        for (int k = 0; k <= 1600; ++k) {
            const float x = static_cast<float>(k) / 1600.0f;
            byIndex.apply({{index, x}});
            const std::string shown = byIndex.text(index);
            if (shown.empty()) break;  // a meter setting without a text
            RunSettings settings;
            std::string error;
            ASSERT_TRUE(readSettings({"--set", std::string(named::name(index)) + "=" + shown}, settings, error))
                << error;
            byName.apply(settings.assignments());
            if (index == parameters::kHighPassFrequency || index == parameters::kLowPassFrequency) {
                // From 10 kHz on the display drops the tens ("10k0" is 10010 to 10099 Hz):
                // the frequency read from it must come back, not every digit.
                named::Resolved fromShown, fromName;
                ASSERT_TRUE(named::resolve(index, shown, fromShown, error)) << error;
                ASSERT_TRUE(named::resolve(index, byName.text(index), fromName, error)) << error;
                ASSERT_EQ(fromName.taken, fromShown.taken) << named::name(index) << " at x = " << x;
                continue;
            }
            ASSERT_EQ(byName.text(index), shown) << named::name(index) << " at x = " << x;
        }
    }
}

TEST(NamedSettings, EachNameAndValueGivesTheStateOfItsIndexForm) {
    const struct {
        const char* named;
        int index;
        int step, lastStep;  // the index form's value, step / lastStep
    } cases[] = {
        {"Process=on", 0, 1, 1},          {"trim=-6.5", 1, 135, 400},          {"GSIcal=Instance", 2, 2, 2},
        {"Meter=rms", 3, 1, 2},           {"METER=RAD3", 3, 2, 2},             {"LR/MS=ms", 4, 1, 1},
        {"Hold=inf", 5, 1, 2},            {"Hold=on", 5, 2, 2},                {"Strips=hide", 6, 0, 1},
        {"ShowFlt=show", 7, 1, 1},        {"ProcFlt=in", 8, 1, 1},             {"HPStat=out", 9, 0, 1},
        {"HPSlope=24", 10, 1, 1},         {"HPFreq=200", 11, 1, 2},            {"LPStat=out", 12, 0, 1},
        {"LPSlope=18dB/oct", 13, 1, 1},   {"LPFreq=3k", 14, 1, 2},             {"ShowLbl=show", 15, 1, 1},
        {"LagTime=333 ms", 16, 333, 999}, {"Armsreference=-18", 72, 20, 300}, {"Armsintegration=10", 73, 1, 2},
        {"ARMSRmsIntegration=1", 74, 1, 2}, {"Armsholdtime=10s", 75, 1, 1},   {"Armsreturn=0.1", 76, 0, 1},
        {"ARMSMSType=0", 77, 0, 2},       {"ARMSOversTag=10", 78, 9, 9},       {"Armsoverreference=-3", 79, 3, 6},
        {"Armsprecise=on", 80, 1, 1},     {"Armsledref=ref", 81, 0, 1},        {"Avureference=-12", 83, 1, 2},
        {"Avuintegration=300", 84, 1, 2}, {"Avuholdtime=1.00", 85, 1, 2},      {"Avutype=b", 86, 1, 1},
        {"Avumstype=-6", 87, 2, 2},       {"Avubacklit=off", 88, 0, 4},        {"Avuoverled=1", 89, 0, 9},
        {"Avuledref=-3", 90, 1, 3},       {"Avuprecise=on", 91, 1, 1},         {"Appmreference=0dBFS", 93, 1, 1},
        {"Appmintegration=100", 94, 1, 1}, {"Appmholdtime=0.10", 95, 0, 1},   {"Appmreturn=10", 96, 1, 1},
        {"Appmmstype=-3", 97, 1, 2},      {"Appmovertag=5", 98, 4, 9},         {"Appmoverreference=ref+8", 99, 0, 3},
        {"Appmprecise=off", 100, 0, 1},
    };
    std::vector<bool> covered(parameters::kLastMeterSetting + 1, false);
    for (const auto& c : cases) {
        char indexForm[32];
        std::snprintf(indexForm, sizeof indexForm, "%d=%.9g", c.index,
                      static_cast<float>(c.step) / static_cast<float>(c.lastStep));
        RunSettings byIndex, byName;
        std::string error;
        ASSERT_TRUE(readSettings({"--set", indexForm}, byIndex, error)) << error;
        ASSERT_TRUE(readSettings({"--set", c.named}, byName, error)) << error;
        EXPECT_EQ(notesOf(byName), "") << c.named << " is a step of its own";
        Effect a, b;
        a.apply(byIndex.assignments());
        b.apply(byName.assignments());
        for (int i = 0; i <= parameters::kLastMeterSetting; ++i) {
            ASSERT_EQ(a.value(i), b.value(i)) << c.named << " against " << indexForm << ", parameter " << i;
            ASSERT_EQ(a.text(i), b.text(i)) << c.named << " against " << indexForm << ", parameter " << i;
        }
        covered[static_cast<std::size_t>(c.index)] = true;
    }
    for (const int index : named::indices()) EXPECT_TRUE(covered[static_cast<std::size_t>(index)]) << index;
}

TEST(NamedSettings, ValuesBetweenStepsGoToTheNearestAndSaySo) {
    const struct {
        std::vector<std::string> args;
        const char* note;  // "" for none
    } cases[] = {
        {{"--set", "Armsreference=-18.34"}, "--set Armsreference=-18.34 taken as -18.3 dBFS, the nearest step"},
        {{"--set", "Armsreference=-18.3"}, ""},
        {{"--set", "Avureference=-18.34"}, ""},  // no steps
        {{"--set", "Avuintegration=301"}, "taken as 300 ms"},
        {{"--set", "Avuholdtime=1.5"}, ""},      // as the display shows 1.4997 s
        {{"--set", "Avuholdtime=1.4"}, "taken as 1.41 s"},
        {{"--set", "Trim=+0.05"}, "taken as 0.1 dB"},
        {{"--set", "Avumstype=-4"}, "taken as -3 dB"},
        {{"--meter", "rms", "--reference", "-18.34"}, "--reference -18.34 (Armsreference) taken as -18.3 dBFS"},
    };
    for (const auto& c : cases) {
        RunSettings settings;
        std::string error;
        ASSERT_TRUE(readSettings(c.args, settings, error)) << error;
        const std::string notes = notesOf(settings);
        if (c.note[0] == 0)
            EXPECT_EQ(notes, "") << c.args.back();
        else
            EXPECT_TRUE(host_test::contains(notes, c.note) && host_test::count(notes, "\n") == 1) << notes;
    }
}

TEST(NamedSettings, ShortcutsFollowTheSelectedMeter) {
    const auto x = [](int step, int last) { return static_cast<float>(step) / static_cast<float>(last); };
    const struct {
        std::vector<std::string> args;
        std::vector<std::pair<int, float>> expected;  // index and value, in the order applied
    } cases[] = {
        {{"--reference", "-12", "--precise"}, {{83, 0.5f}, {91, 1.0f}}},
        {{"--precise", "--meter", "rms", "--reference", "-12"}, {{3, 0.5f}, {72, x(80, 300)}, {80, 1.0f}}},
        {{"--set", "Meter=ppm", "--reference", "-6"}, {{3, 1.0f}, {93, 0.75f}}},
        {{"--set", "3=0.4", "--precise"}, {{3, 0.4f}, {80, 1.0f}}},  // 0.4 is RMS
        {{"--trim", "-20", "--hold", "inf", "--ms"}, {{0, 1.0f}, {1, 0.0f}, {5, 0.5f}, {4, 1.0f}}},
        {{"--meter", "vu", "--set", "Meter=vu3"}, {{3, 0.0f}, {3, 0.0f}}},
    };
    for (const auto& c : cases) {
        RunSettings settings;
        std::string error;
        ASSERT_TRUE(readSettings(c.args, settings, error)) << error;
        std::vector<std::pair<int, float>> got;
        for (const ParameterAssignment& a : settings.assignments()) got.emplace_back(a.index, a.value);
        EXPECT_EQ(got, c.expected) << c.args.front();
    }
}

TEST(NamedSettings, OutOfRangeUnknownAndSpareAreRefused) {
    const struct {
        std::vector<std::string> args;
        const char* expected;  // part of the reason
    } cases[] = {
        {{"--set", "3=2"}, "--set 3=2: the value 2 is outside 0..1"},
        {{"--set", "1=-0.1"}, "outside 0..1"},
        {{"--set", "20=0.5"}, "--set 20=0.5: parameter 20 is a spare and does nothing"},
        {{"--set", "63=0"}, "parameter 63 is a spare"},
        {{"--set", "82=0.5"}, "outside 0..63 and the meter settings 72..100"},
        {{"--set", "Trim=25"}, "--set Trim=25: 25 dB is outside -20.0..20.0 dB"},
        {{"--set", "Avureference=1"}, "1 dBFS is outside -24.0..0.0 dBFS"},
        {{"--set", "Armsholdtime=20"}, "20 s is outside 0.10..10.00 s"},
        {{"--set", "Armsintegration=-1ms"}, "outside 0..100 ms"},
        {{"--set", "HPFreq=10k"}, "10k Hz is outside 20..2000 Hz"},
        {{"--set", "ARMSMSType=-7"}, "outside 0|-3|-6 dB"},
        {{"--set", "Meter=loud"}, "'loud' is not one of vu|rms|ppm"},
        {{"--set", "Trim=loud"}, "'loud' is not a number of dB"},
        {{"--set", "Trim=3dBFS"}, "not a number of dB"},
        {{"--set", "Foo=1"}, "no setting is called 'Foo'"},
        {{"--set", "=1"}, "--set expects NAME=VALUE or INDEX=VALUE"},
        {{"--reference", "-30"}, "--reference -30 (Avureference): -30 dBFS is outside"},
        {{"--hold", "maybe"}, "not one of off|inf|on"},
        {{"--trim", "21"}, "--trim 21: 21 dB is outside"},
        {{"--meter", "rms", "--set", "Meter=vu"}, "--meter rms and --set Meter=vu choose different meters"},
        {{"--settings", "mine"}, "--settings takes 'user'"},
    };
    for (const auto& c : cases) {
        RunSettings settings;
        std::string error;
        EXPECT_FALSE(readSettings(c.args, settings, error)) << c.expected;
        EXPECT_TRUE(host_test::contains(error, c.expected)) << error;
    }
}

}  // namespace
