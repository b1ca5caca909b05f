#include "tools/aldermark/metered_file.h"

#include <algorithm>

#include "vst2/create_effect.h"
#include "vst2/templete.h"

namespace aldermark {
namespace {

VstIntPtr VSTCALLBACK meterHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;  // every pin connected
}

}  // namespace

MeteredFile::~MeteredFile() {
    if (effect_) effect_->dispatcher(effect_, effClose, 0, 0, nullptr, 0.0f);
}

bool MeteredFile::open(const std::string& path, const std::vector<ParameterAssignment>& assignments, std::size_t block,
                       std::string& error) {
    if (!reader_.open(path, error)) return false;
    if (reader_.sampleRate() < 1) {
        error = path + ": no sample rate";
        return false;
    }
    effect_ = createEffect(meterHost);
    if (!effect_) {
        error = "the effect could not be created";
        return false;
    }
    for (const ParameterAssignment& a : assignments) effect_->setParameter(effect_, a.index, a.value);
    effect_->dispatcher(effect_, effSetSampleRate, 0, 0, nullptr, static_cast<float>(reader_.sampleRate()));
    effect_->dispatcher(effect_, effSetBlockSize, 0, static_cast<VstIntPtr>(block), nullptr, 0.0f);
    effect_->dispatcher(effect_, effMainsChanged, 0, 1, nullptr, 0.0f);
    for (auto* buffer : {&inLeft_, &inRight_, &outLeft_, &outRight_}) buffer->assign(block, 0.0f);
    return true;
}

Templete& MeteredFile::effect() const { return *static_cast<Templete*>(effect_->object); }

std::size_t MeteredFile::play(std::size_t frames) {
    frames = std::min(frames, inLeft_.size());
    const std::size_t count = frames ? reader_.read(inLeft_.data(), inRight_.data(), frames) : 0;
    if (count == 0) return 0;
    float* ins[2] = {inLeft_.data(), channels() > 1 ? inRight_.data() : inLeft_.data()};
    float* outs[2] = {outLeft_.data(), outRight_.data()};
    effect_->processReplacing(effect_, ins, outs, static_cast<VstInt32>(count));
    played_ += count;
    return count;
}

}  // namespace aldermark
