// Audio as hosts deliver it: every common sample rate and block size, blocks larger than
// announced, broken input (NaN, infinities, subnormals), automation in small slices and a
// rate change without suspend. The output must never hold a non-finite sample that the
// input of the same block did not, and nothing may be written past the block.
#include <algorithm>
#include <vector>

#include "tools/aldermark/plugin_instance.h"
#include "tools/aldermark/validation.h"
#include "tools/aldermark/validation_audio.h"

namespace aldermark {
namespace {

constexpr float kRates[] = {8000.0f, 22050.0f, 44100.0f, 48000.0f, 96000.0f, 192000.0f, 384000.0f};
constexpr int kBlockSizes[] = {1, 32, 64, 256, 512, 1024, 4096};
constexpr int kOversizeFactor = 2;     // "larger than announced": twice the size, and some
constexpr int kSegmentFrames = 512;    // at least this much of each signal, in blocks
constexpr TestSignal kSequence[] = {TestSignal::kNoise,        TestSignal::kSilence,      TestSignal::kSquare,
                                    TestSignal::kNaN,          TestSignal::kNoise,        TestSignal::kPlusInfinity,
                                    TestSignal::kNoise,        TestSignal::kMinusInfinity, TestSignal::kSilence,
                                    TestSignal::kSubnormal,    TestSignal::kNoise};

std::string where(float rate, int block, TestSignal signal) {
    return std::to_string(static_cast<int>(rate)) + " Hz, blocks of " + std::to_string(block) + ", " +
           signalName(signal);
}

// Plays one segment of `signal` in blocks; checks the guard zones and, when the input was
// finite, that the output is too.
void playSegment(AEffect& effect, HostBuffers& buffers, TestSignal signal, int block, std::mt19937_64& random,
                 TestOutcome& outcome, float rate) {
    for (int done = 0; done < std::max(block, kSegmentFrames); done += block) {
        buffers.fill(signal, block, random);
        buffers.process(effect, block);
        if (!outcome.expect(buffers.guardsIntact(),
                            [&] { return "writes past the block (" + where(rate, block, signal) + ")"; }))
            return;
        if (!isNonFinite(signal) &&
            !outcome.expect(buffers.outputsFinite(block),
                            [&] { return "non-finite output from finite input (" + where(rate, block, signal) + ")"; }))
            return;
    }
}

void checkRatesAndBlocks(ValidationContext& context, TestOutcome& outcome) {
    PluginInstance plugin;
    if (!context.open(plugin, outcome)) return;
    AEffect& effect = *plugin.effect();
    const VstInt32 process = findParameter(plugin, "Process");
    HostBuffers buffers(effect, kBlockSizes[std::size(kBlockSizes) - 1] * kOversizeFactor + 7);
    // Below strictness 5 every other rate and block size.
    const std::size_t stride = context.strictness() >= 5 ? 1 : 2;
    for (std::size_t r = 0; r < std::size(kRates); r += stride)
        for (std::size_t b = 0; b < std::size(kBlockSizes); b += stride) {
            const float rate = kRates[r];
            const int block = kBlockSizes[b];
            setEveryParameterRandomly(plugin, context);
            if (process >= 0) plugin.setParameter(process, 1.0f);
            startProcessing(plugin, rate, block);
            for (TestSignal signal : kSequence) playSegment(effect, buffers, signal, block, context.random(), outcome, rate);
            const int oversize = block * kOversizeFactor + 7;
            buffers.fill(TestSignal::kNoise, oversize, context.random());
            buffers.process(effect, oversize);
            outcome.expect(buffers.guardsIntact() && buffers.outputsFinite(oversize), [&] {
                return "a block of " + std::to_string(oversize) + " frames after announcing " + std::to_string(block) +
                       " at " + std::to_string(static_cast<int>(rate)) + " Hz goes wrong";
            });
            stopProcessing(plugin);
            if (outcome.failures() > 10) return;
        }
}

// With "Process" off the plug-in is a wire: whatever comes in goes out, bit for bit.
void checkPassThrough(ValidationContext& context, TestOutcome& outcome) {
    PluginInstance plugin;
    if (!context.open(plugin, outcome)) return;
    const VstInt32 process = findParameter(plugin, "Process");
    if (process < 0) return outcome.skip("no \"Process\" parameter");
    AEffect& effect = *plugin.effect();
    HostBuffers buffers(effect, 1024);
    for (float rate : {44100.0f, 96000.0f}) {
        setEveryParameterRandomly(plugin, context);
        plugin.setParameter(process, 0.0f);
        startProcessing(plugin, rate, 1024);
        for (TestSignal signal : kSequence) {
            buffers.fill(signal, 1024, context.random());
            buffers.process(effect, 1024);
            outcome.expect(buffers.outputsEqualInputs(1024), [&] {
                return std::string("with \"Process\" off the output differs from the input (") + signalName(signal) + ")";
            });
        }
        stopProcessing(plugin);
    }
}

// Every parameter moved through its range in 32-frame slices while audio runs.
void checkAutomationSlices(ValidationContext& context, TestOutcome& outcome) {
    PluginInstance plugin;
    if (!context.open(plugin, outcome)) return;
    AEffect& effect = *plugin.effect();
    constexpr int kSlice = 32;
    const int slices = context.scaled(8, 64);
    HostBuffers buffers(effect, kSlice);
    startProcessing(plugin, 48000.0f, 512);
    for (VstInt32 index = 0; index < effect.numParams; ++index)
        for (int slice = 0; slice <= slices; ++slice) {
            plugin.setParameter(index, static_cast<float>(slice) / static_cast<float>(slices));
            buffers.fill(slice % 7 == 3 ? TestSignal::kSquare : TestSignal::kNoise, kSlice, context.random());
            buffers.process(effect, kSlice);
            outcome.expect(buffers.outputsFinite(kSlice) && buffers.guardsIntact(), [&] {
                return "automating parameter " + std::to_string(index) + " gives non-finite output or writes past the block";
            });
        }
    stopProcessing(plugin);
}

// Some hosts change the rate of a running effect without suspending it first.
void checkRateChangeWhileRunning(ValidationContext& context, TestOutcome& outcome) {
    PluginInstance plugin;
    if (!context.open(plugin, outcome)) return;
    AEffect& effect = *plugin.effect();
    HostBuffers buffers(effect, 256);
    setEveryParameterRandomly(plugin, context);
    const VstInt32 process = findParameter(plugin, "Process");
    if (process >= 0) plugin.setParameter(process, 1.0f);
    startProcessing(plugin, 44100.0f, 256);
    for (float rate : kRates) {
        plugin.setProcessing(rate, 256);
        for (int block = 0; block < 8; ++block) {
            buffers.fill(TestSignal::kSquare, 256, context.random());
            buffers.process(effect, 256);
            outcome.expect(buffers.outputsFinite(256), [&] {
                return "non-finite output after a change to " + std::to_string(static_cast<int>(rate)) +
                       " Hz without suspend";
            });
        }
    }
    stopProcessing(plugin);
}

}  // namespace

void validateAudio(ValidationContext& context) {
    context.run("audio", "every sample rate and block size, broken input, oversized blocks",
                [&](TestOutcome& outcome) { checkRatesAndBlocks(context, outcome); });
    context.run("audio", "bit-exact pass-through with \"Process\" off",
                [&](TestOutcome& outcome) { checkPassThrough(context, outcome); });
}

void validateAutomation(ValidationContext& context) {
    context.run("automation", "every parameter in 32-frame slices",
                [&](TestOutcome& outcome) { checkAutomationSlices(context, outcome); });
    context.run("automation", "sample-rate change without suspend",
                [&](TestOutcome& outcome) { checkRateChangeWhileRunning(context, outcome); });
}

}  // namespace aldermark
