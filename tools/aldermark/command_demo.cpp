// aldermark demo: a programme-like signal (tone bursts and steps at several levels) through
// the effect with each of the three meters selected, and a table of what the needles read,
// in dB relative to each meter's reference level.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <numbers>
#include <ostream>
#include <vector>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/editor_render.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/programme_signal.h"
#include "vst2/create_effect.h"
#include "vst2/templete.h"

namespace aldermark {
namespace {

constexpr float kRate = 48000.0f;
constexpr int kBlock = 512;

struct Segment {
    const char* what;
    double levelDb;  // relative to the reference level; below -150 is silence
    int milliseconds;
    double toneHz;
};

constexpr Segment kProgramme[] = {
    {"silence", -200.0, 300, 0.0},
    {"1 kHz at reference", 0.0, 1500, 1000.0},
    {"step down 10 dB", -10.0, 1000, 1000.0},
    {"burst +6 dB, 10 ms", 6.0, 10, 1000.0},
    {"back to -10 dB", -10.0, 700, 1000.0},
    {"100 Hz at -6 dB", -6.0, 1000, 100.0},
    {"burst +3 dB, 300 ms", 3.0, 300, 1000.0},
    {"silence", -200.0, 1500, 0.0},
};

VstIntPtr VSTCALLBACK demoHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;
}

double decibels(double linear) { return linear > 1e-10 ? 20.0 * std::log10(linear) : -200.0; }

std::string cell(double db) {
    char text[16];
    if (db <= -99.95)
        std::snprintf(text, sizeof text, "%9s", "-inf");
    else
        std::snprintf(text, sizeof text, "%9.1f", db);
    return text;
}

// Reference level of the selected meter, linear (a sine peaking there reads 0 dB).
double referenceGain(Templete& effect) {
    switch (effect.meterType()) {
        case 0: return effect.vuMeter()->referenceGain();
        case 1: return effect.rmsMeter()->referenceGain();
        default: return effect.ppmMeter()->referenceGain();
    }
}

void showMeter(std::ostream& out, const char* title, float meterValue) {
    AEffect* effect = createEffect(demoHost);
    if (!effect) return;
    Templete& object = *static_cast<Templete*>(effect->object);
    effect->setParameter(effect, 3, meterValue);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, kRate);
    effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    const double reference = referenceGain(object);
    MeterModel* meter = object.selectedMeter();

    char heading[64];
    std::snprintf(heading, sizeof heading, "\n%s (reference %.1f dBFS)\n", title, decibels(reference));
    out << heading;
    out << "  segment                   ms   needle L  needle R     hold L" << (object.meterType() == 1 ? "    rms L" : "") << "\n";
    std::vector<float> left(kBlock), right(kBlock), outL(kBlock), outR(kBlock);
    double phase = 0.0;
    int elapsedMs = 0;
    for (const Segment& s : kProgramme) {
        const double amplitude = s.levelDb < -150.0 ? 0.0 : reference * std::pow(10.0, s.levelDb / 20.0);
        const int samples = static_cast<int>(kRate) * s.milliseconds / 1000;
        for (int done = 0; done < samples; done += kBlock) {
            const int n = std::min(kBlock, samples - done);
            for (int i = 0; i < n; ++i) {
                left[i] = static_cast<float>(amplitude * std::sin(phase));
                right[i] = static_cast<float>(0.5 * amplitude * std::sin(phase));  // right 6 dB lower
                phase += 2.0 * std::numbers::pi * s.toneHz / kRate;
            }
            float* ins[2] = {left.data(), right.data()};
            float* outs[2] = {outL.data(), outR.data()};
            effect->processReplacing(effect, ins, outs, n);
        }
        elapsedMs += s.milliseconds;
        char label[32];
        std::snprintf(label, sizeof label, "  %-22s%6d", s.what, elapsedMs);
        out << label << cell(decibels(meter->displayValue(MeterModel::kNeedle, 0, 1.0)))
            << cell(decibels(meter->displayValue(MeterModel::kNeedle, 1, 1.0)))
            << "  " << cell(decibels(meter->displayValue(MeterModel::kHold, 0, 1.0)));
        if (object.meterType() == 1)
            out << cell(decibels(std::sqrt(meter->displayValue(MeterModel::kMeanSquare, 0, 1.0)) * 1.4142));
        out << "\n";
    }
    effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
}

}  // namespace

int runDemo(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr OptionSpec known[] = {{"--pictures", true, false}};
    ParsedOptions options;
    std::string error;
    if (!parseOptions(args, known, options, error)) return reportError(err, "demo", error, kExitUsage);
    const std::string* folder = options.value("--pictures");
    const std::string pictures = folder && !folder->empty() ? *folder : "aldermark-pictures";
    RunSettings settings;  // the factory settings, in a store of the run's own
    if (!settings.begin("demo", err, error)) return reportError(err, "demo", error);

    out << "ZEB Aldermark: a tone programme through the three meters (left channel full level,\n"
           "right channel 6 dB lower), needle readings in dB relative to each meter's reference.\n";
    showMeter(out, "VU3", 0.0f);
    showMeter(out, "RMS3", 0.5f);
    showMeter(out, "RAD3", 1.0f);

    // The faces as a user sees them, 6.2 s into a music-like programme.
    if (!host_platform::makeFolder(pictures)) return reportError(err, "demo", "cannot make the folder '" + pictures + "'");
    const WavAudio programme = makeProgrammeSignal(8.0);
    out << "\nThe editor 6.2 s into a music-like programme:\n";
    for (const auto& [name, meter] : {std::pair{"vu", 0.0f}, std::pair{"rms", 0.5f}, std::pair{"ppm", 1.0f}}) {
        const std::string path = host_platform::joinPath(pictures, std::string("editor-") + name + ".png");
        MemoryLoop audio(programme);
        if (!renderEditorPicture(audio, 6.2, {ParameterAssignment{3, meter}}, path, error))
            return reportError(err, "demo", error);
        out << "  " << path << "\n";
    }
    return kExitOk;
}

}  // namespace aldermark
