#include "tools/aldermark/editor_render.h"

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>

#include "controls/selectors.h"
#include "toolkit/frame.h"
#include "toolkit/offscreen.h"
#include "tools/aldermark/output_file.h"
#include "views/meter_panel.h"
#include "vst2/create_effect.h"
#include "vst2/templete.h"
#include "vst2/templete_editor.h"

namespace aldermark {
namespace {

constexpr int kBlock = 512;

VstIntPtr VSTCALLBACK renderHost(AEffect*, VstInt32 opcode, VstInt32, VstIntPtr, void*, float) {
    return opcode == audioMasterVersion ? 2400 : 0;  // every pin connected
}

struct EffectHandle {
    AEffect* effect;
    ~EffectHandle() {
        if (effect) effect->dispatcher(effect, effClose, 0, 0, nullptr, 0.0f);
    }
};

}  // namespace

bool renderEditorPicture(LoopedAudio& audio, double atSeconds, const std::vector<ParameterAssignment>& assignments,
                         const std::string& pngPath, std::string& error, bool settingsPanel, double scale) {
    if (audio.sampleRate() == 0) {
        error = "the audio has no sample rate";
        return false;
    }
    EffectHandle handle{createEffect(renderHost)};
    AEffect* effect = handle.effect;
    if (!effect) {
        error = "the effect could not be created";
        return false;
    }
    auto& object = *static_cast<Templete*>(effect->object);
    auto* editor = dynamic_cast<TemepleteEditor*>(object.getEditor());
    if (!editor) {
        error = "the effect has no editor";
        return false;
    }
    for (const ParameterAssignment& a : assignments) effect->setParameter(effect, a.index, a.value);
    const auto rate = static_cast<float>(audio.sampleRate());
    effect->dispatcher(effect, effSetSampleRate, 0, 0, nullptr, rate);
    effect->dispatcher(effect, effSetBlockSize, 0, kBlock, nullptr, 0.0f);
    effect->dispatcher(effect, effMainsChanged, 0, 1, nullptr, 0.0f);
    editor->setContentScale(scale);
    // The editor is open while the audio plays, as in a session: its block clock runs.
    if (!editor->openOffscreen()) {
        error = "the editor could not be opened";
        return false;
    }

    const auto total = static_cast<std::size_t>(std::max(0.0, atSeconds) * rate);
    std::vector<float> inLeft(kBlock), inRight(kBlock), outLeft(kBlock), outRight(kBlock);
    for (std::size_t done = 0; done < total;) {
        const auto count = static_cast<int>(std::min<std::size_t>(kBlock, total - done));
        if (!audio.fill(inLeft.data(), inRight.data(), count)) {
            editor->close();
            error = audio.error();
            return false;
        }
        float* ins[2] = {inLeft.data(), inRight.data()};
        float* outs[2] = {outLeft.data(), outRight.data()};
        effect->processReplacing(effect, ins, outs, count);
        done += static_cast<std::size_t>(count);
        // Now and then, as the editor's timer would, so that held values see the whole run.
        if ((done / kBlock) % 8 == 0) editor->idleStep();
    }
    // A user looks at the meter a moment after the last block, when the needles have got
    // where that block took them.
    std::this_thread::sleep_for(std::chrono::duration<double>(object.blockDuration() + 0.002));
    if (settingsPanel) {
        CZEBMeterFULLPANEL* shown = editor->panel(editor->currentMeter());
        if (!shown || !shown->meterSelector()) {
            editor->close();
            error = "the meter panel has no settings panel";
            return false;
        }
        editor->valueChanged(shown->meterSelector()->getInnerButton());
    }
    editor->idleStep();
    toolkit::OffscreenWindow* window = editor->getFrame() ? editor->getFrame()->getOffscreenWindow() : nullptr;
    const bool saved = window && window->image() &&
                       writeThroughTemporaryFile(
                           pngPath, [window](const std::string& path) { return window->image()->savePng(path.c_str()); },
                           error);
    editor->close();
    if (!saved && error.empty()) error = "could not draw the editor for '" + pngPath + "'";
    return saved;
}

}  // namespace aldermark
