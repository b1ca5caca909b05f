// aldermark process: runs a WAV file through the plug-in's processReplacing as a host
// would (sample rate, block size, resume, blocks of at most N frames) and writes the
// result as a 32-bit float WAV of the same rate and channel count.
#include <algorithm>
#include <ostream>

#include "tools/aldermark/commands.h"
#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/wav_file.h"

namespace aldermark {
namespace {

constexpr long long kDefaultBlock = 512;
constexpr long long kMaxBlock = 1 << 20;

// Tells the plug-in the file's layout, as a host does for a mono or stereo track. The
// answer is advice only; the pins reported connected carry the same information.
void announceLayout(PluginInstance& plugin, int channels) {
    VstSpeakerArrangement input{}, output{};
    for (VstSpeakerArrangement* arrangement : {&input, &output}) {
        arrangement->type = channels == 1 ? kSpeakerArrMono : kSpeakerArrStereo;
        arrangement->numChannels = channels;
        for (int c = 0; c < channels; ++c)
            arrangement->speakers[c].type = channels == 1 ? kSpeakerM : (c == 0 ? kSpeakerL : kSpeakerR);
    }
    plugin.dispatch(effSetSpeakerArrangement, 0, reinterpret_cast<VstIntPtr>(&input), &output);
}

// Feeds `input` through the plug-in block by block into `output` (already sized).
void runBlocks(PluginInstance& plugin, WavAudio& input, WavAudio& output, VstInt32 blockSize) {
    AEffect* effect = plugin.effect();
    const int channels = static_cast<int>(input.channels.size());
    // Pins beyond the file's channels get silence in and a scratch buffer out.
    const int inputPins = std::max(effect->numInputs, 1);
    const int outputPins = std::max(effect->numOutputs, 1);
    std::vector<std::vector<float>> spare(static_cast<std::size_t>(inputPins + outputPins),
                                          std::vector<float>(static_cast<std::size_t>(blockSize)));
    std::vector<float*> ins(static_cast<std::size_t>(inputPins));
    std::vector<float*> outs(static_cast<std::size_t>(outputPins));

    const std::size_t frames = input.frames();
    for (std::size_t start = 0; start < frames; start += static_cast<std::size_t>(blockSize)) {
        const std::size_t remaining = frames - start;
        const auto count = static_cast<VstInt32>(std::min(remaining, static_cast<std::size_t>(blockSize)));
        for (int pin = 0; pin < inputPins; ++pin) {
            if (pin < channels) {
                ins[pin] = input.channels[pin].data() + start;
            } else {
                ins[pin] = spare[pin].data();
                std::fill(ins[pin], ins[pin] + count, 0.0f);  // a plug-in may have written into it
            }
        }
        for (int pin = 0; pin < outputPins; ++pin)
            outs[pin] = pin < channels ? output.channels[pin].data() + start : spare[inputPins + pin].data();
        effect->processReplacing(effect, ins.data(), outs.data(), count);
    }
}

}  // namespace

int runProcess(const CommandArguments& args, std::ostream&, std::ostream& err) {
    static constexpr OptionSpec specs[] = {
        kPluginOption, kSetOption, {"--input", true, false}, {"--output", true, false}, {"--block", true, false}};
    ParsedOptions options;
    PluginOptions pluginOptions;
    std::string error;
    if (!parseOptions(args, specs, options, error) || !readPluginOptions(options, pluginOptions, error))
        return reportError(err, "process", error, kExitUsage);
    const std::string* inputPath = options.value("--input");
    const std::string* outputPath = options.value("--output");
    if (!inputPath || !outputPath)
        return reportError(err, "process", inputPath ? "--output OUT.wav is required" : "--input IN.wav is required",
                           kExitUsage);
    long long blockSize = kDefaultBlock;
    if (const std::string* text = options.value("--block");
        text && (!parseInteger(*text, blockSize) || blockSize < 1 || blockSize > kMaxBlock))
        return reportError(err, "process",
                           "--block must be a whole number from 1 to " + std::to_string(kMaxBlock) + ", got '" +
                               *text + "'",
                           kExitUsage);

    WavAudio input;
    if (!readWavFile(*inputPath, input, error)) return reportError(err, "process", error);

    PluginInstance plugin;
    if (!openPlugin(pluginOptions, plugin, error)) return reportError(err, "process", error);
    AEffect* effect = plugin.effect();
    if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing)
        return reportError(err, "process", "the plug-in does not offer processReplacing");
    const int channels = static_cast<int>(input.channels.size());
    if (effect->numInputs < channels || effect->numOutputs < channels)
        return reportError(err, "process",
                           "the plug-in has " + std::to_string(effect->numInputs) + " inputs and " +
                               std::to_string(effect->numOutputs) + " outputs, too few for " +
                               std::to_string(channels) + " channels");

    WavAudio output;
    output.sampleRate = input.sampleRate;
    output.channels.assign(input.channels.size(), std::vector<float>(input.frames()));

    plugin.setConnectedPins(channels, channels);
    announceLayout(plugin, channels);
    plugin.setProcessing(static_cast<float>(input.sampleRate), static_cast<VstInt32>(blockSize));
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
    runBlocks(plugin, input, output, static_cast<VstInt32>(blockSize));
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);

    if (!writeWavFile(*outputPath, output, WavSampleFormat::Float32, error)) return reportError(err, "process", error);
    return kExitOk;
}

}  // namespace aldermark
