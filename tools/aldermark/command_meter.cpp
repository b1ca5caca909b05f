// aldermark meter: runs a WAV file through an effect built from the plug-in's own code,
// driven through its AEffect record like a host, and prints what the meter panel would read
// after the blocks that reach each --every milliseconds, as CSV.
#include <cmath>
#include <cstdio>
#include <ostream>

#include "plugin/create_effect.h"
#include "plugin/templete.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/wav_file.h"

namespace aldermark {
namespace {

VstIntPtr VSTCALLBACK meterHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;  // every pin connected
}

// Closes the effect however the command ends.
struct EffectHandle {
    AEffect* effect;
    ~EffectHandle() {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
};

// Appends ",value" (or just "," for an empty cell) to a CSV row.
void appendCell(std::string& row, const double* value) {
    row += ',';
    if (!value) return;
    char text[32];
    std::snprintf(text, sizeof text, "%.6g", *value);
    row += text;
}

// One CSV row of what the panel reads from the selected meter now.
std::string panelRow(Templete& effect, double timeMs) {
    char time[32];
    std::snprintf(time, sizeof time, "%.6g", timeMs);
    std::string row = time;
    MeterModel* meter = effect.selectedMeter();
    if (!meter) return row + ",,,,,,,,";
    double needle[2], hold[2], rms[2], led[2];
    for (int ch = 0; ch < 2; ++ch) {
        needle[ch] = meter->displayValue(MeterModel::kNeedle, ch, 1.0);
        hold[ch] = meter->displayValue(MeterModel::kHold, ch, 1.0);
        rms[ch] = std::sqrt(meter->displayValue(MeterModel::kMeanSquare, ch, 1.0)) * 1.4142;
        led[ch] = meter->overLed(ch);
    }
    const bool hasRms = effect.meterType() == 1;
    for (const double* v : {&needle[0], &needle[1], &hold[0], &hold[1]}) appendCell(row, v);
    appendCell(row, hasRms ? &rms[0] : nullptr);
    appendCell(row, hasRms ? &rms[1] : nullptr);
    appendCell(row, &led[0]);
    appendCell(row, &led[1]);
    return row;
}

}  // namespace

int runMeter(const CommandArguments& args, std::ostream& out, std::ostream& err) {
    static constexpr OptionSpec known[] = {
        kSetOption, {"--input", true, false}, {"--block", true, false}, {"--every", true, false}};
    ParsedOptions options;
    std::string error;
    std::vector<ParameterAssignment> assignments;
    if (!parseOptions(args, known, options, error) ||
        !parseAssignments(options.all(kSetOption.name), assignments, error, AssignmentRange::kWithMeterSettings))
        return reportError(err, "meter", error, kExitUsage);
    const std::string* inputPath = options.value("--input");
    if (!inputPath) return reportError(err, "meter", "--input IN.wav is required", kExitUsage);
    long long block = 512, every = 10;
    if (const std::string* text = options.value("--block"); text && (!parseInteger(*text, block) || block < 1 || block > (1 << 20)))
        return reportError(err, "meter", "--block must be a whole number from 1 to 1048576, got '" + *text + "'", kExitUsage);
    if (const std::string* text = options.value("--every"); text && (!parseInteger(*text, every) || every < 1 || every > 3600000))
        return reportError(err, "meter", "--every must be a whole number of milliseconds from 1, got '" + *text + "'", kExitUsage);

    WavAudio audio;
    if (!readWavFile(*inputPath, audio, error)) return reportError(err, "meter", error);

    EffectHandle handle{createEffect(meterHost)};
    AEffect* effect = handle.effect;
    if (!effect) return reportError(err, "meter", "the effect could not be created");
    Templete& object = *static_cast<Templete*>(effect->object);
    for (const ParameterAssignment& a : assignments) effect->setParameter(effect, a.index, a.value);
    const float rate = static_cast<float>(audio.sampleRate);
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, rate);
    effect->dispatcher(effect, effSetBlockSize, 0, static_cast<VstIntPtr>(block), nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);

    const bool stereo = audio.channels.size() > 1;
    std::vector<float> outLeft(static_cast<size_t>(block)), outRight(static_cast<size_t>(block));
    out << "time_ms,needle_l,needle_r,hold_l,hold_r,rms_l,rms_r,led_l,led_r\n";
    const size_t frames = audio.frames();
    double nextRowMs = static_cast<double>(every);
    for (size_t start = 0; start < frames; start += static_cast<size_t>(block)) {
        const auto count = static_cast<VstInt32>(std::min<size_t>(static_cast<size_t>(block), frames - start));
        float* ins[2] = {audio.channels[0].data() + start, (stereo ? audio.channels[1] : audio.channels[0]).data() + start};
        float* outs[2] = {outLeft.data(), outRight.data()};
        effect->processReplacing(effect, ins, outs, count);
        const double timeMs = static_cast<double>(start + static_cast<size_t>(count)) * 1000.0 / rate;
        if (timeMs >= nextRowMs) {
            out << panelRow(object, timeMs) << "\n";
            while (nextRowMs <= timeMs) nextRowMs += static_cast<double>(every);
        }
    }
    return kExitOk;
}

}  // namespace aldermark
