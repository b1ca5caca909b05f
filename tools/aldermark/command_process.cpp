// aldermark process: runs an audio file through the plug-in's processReplacing as a host
// would (sample rate, block size, resume, blocks of at most N frames) and writes the
// result as a 32-bit float WAV of the same rate and channel count. The file is streamed
// block by block; the output replaces its file only once complete.
#include <algorithm>
#include <ostream>

#include "tools/aldermark/audio_file.h"
#include "tools/aldermark/commands.h"
#include "tools/aldermark/float_wav_writer.h"
#include "tools/aldermark/host_platform.h"
#include "tools/aldermark/output_file.h"
#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/progress.h"

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

// Streams `input` through the plug-in block by block into `output`. False with a reason
// when a write fails or a stop is asked for.
bool runBlocks(PluginInstance& plugin, AudioFileReader& input, FloatWavWriter& output, VstInt32 blockSize,
               Progress& progress, std::string& error) {
    AEffect* effect = plugin.effect();
    const int channels = input.channels();
    // Pins beyond the file's channels get silence in and a scratch buffer out.
    const int inputPins = std::max(effect->numInputs, 1);
    const int outputPins = std::max(effect->numOutputs, 1);
    const auto block = static_cast<std::size_t>(blockSize);
    std::vector<std::vector<float>> buffers(static_cast<std::size_t>(inputPins + outputPins), std::vector<float>(block));
    std::vector<float*> ins(static_cast<std::size_t>(inputPins));
    std::vector<float*> outs(static_cast<std::size_t>(outputPins));
    for (int pin = 0; pin < inputPins; ++pin) ins[pin] = buffers[pin].data();
    for (int pin = 0; pin < outputPins; ++pin) outs[pin] = buffers[inputPins + pin].data();

    std::uint64_t done = 0;
    while (const std::size_t count = input.read(ins[0], channels > 1 ? ins[1] : nullptr, block)) {
        progress.update(done += count);
        if (host_platform::stopRequested()) {
            error = "interrupted";
            return false;
        }
        for (int pin = channels; pin < inputPins; ++pin)
            std::fill_n(ins[pin], count, 0.0f);  // a plug-in may have written into it
        effect->processReplacing(effect, ins.data(), outs.data(), static_cast<VstInt32>(count));
        if (!output.write(outs[0], channels > 1 ? outs[1] : nullptr, count)) break;  // finish() tells why
    }
    progress.finish();
    return true;
}

}  // namespace

int runProcess(const CommandArguments& args, std::ostream&, std::ostream& err) {
    static constexpr auto specs = withSettingOptions(
        {kPluginOption, {"--input", true, false}, {"--output", true, false}, {"--block", true, false}, kQuietOption,
         kProgressOption});
    ParsedOptions options;
    PluginOptions pluginOptions;
    std::string error;
    if (!parseOptions(args, specs, options, error, 1) || !readPluginOptions(options, pluginOptions, error))
        return reportError(err, "process", error, kExitUsage);
    // The input as the first argument, or after --input as earlier versions took it.
    const std::string* inputPath = options.value("--input");
    if (!inputPath && !options.positionals().empty()) inputPath = &options.positionals().front();
    if (options.value("--input") && !options.positionals().empty())
        return reportError(err, "process", "give the input once: IN or --input IN", kExitUsage);
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

    if (!refuseOutputOverInputs(*outputPath, {*inputPath}, error)) return reportError(err, "process", error);
    AudioFileReader input;
    if (!input.open(*inputPath, error)) return reportError(err, "process", error);

    if (!pluginOptions.settings.begin("process", err, error)) return reportError(err, "process", error);
    PluginInstance plugin;
    if (!openPlugin(pluginOptions, plugin, error)) return reportError(err, "process", error);
    AEffect* effect = plugin.effect();
    if (!(effect->flags & effFlagsCanReplacing) || !effect->processReplacing)
        return reportError(err, "process", "the plug-in does not offer processReplacing");
    const int channels = input.channels();
    if (effect->numInputs < channels || effect->numOutputs < channels)
        return reportError(err, "process",
                           "the plug-in has " + std::to_string(effect->numInputs) + " inputs and " +
                               std::to_string(effect->numOutputs) + " outputs, too few for " +
                               std::to_string(channels) + " channels");

    FloatWavWriter output;
    if (!output.open(*outputPath, input.sampleRate(), channels, input.frames(), error))
        return reportError(err, "process", error);

    // Ctrl+C ends the run with the output discarded, not half written.
    host_platform::catchStopRequests();
    plugin.setConnectedPins(channels, channels);
    announceLayout(plugin, channels);
    plugin.setProcessing(static_cast<float>(input.sampleRate()), static_cast<VstInt32>(blockSize));
    plugin.dispatch(effMainsChanged, 0, 1);
    plugin.dispatch(effStartProcess);
    Progress progress(err, "process " + *inputPath, input.frames(), progressWhen(options));
    const bool ran = runBlocks(plugin, input, output, static_cast<VstInt32>(blockSize), progress, error);
    plugin.dispatch(effStopProcess);
    plugin.dispatch(effMainsChanged, 0, 0);

    if (!ran || !output.finish(error)) return reportError(err, "process", error);
    if (!input.warning().empty()) err << "aldermark process: warning: " << input.warning() << "\n";
    return kExitOk;
}

}  // namespace aldermark
