#pragma once
// Pictures of the editor as a user sees it: an effect built from the plug-in's own code
// measures audio up to a moment, then its editor is drawn off-screen and saved as PNG.
#include <string>
#include <vector>

#include "tools/aldermark/arguments.h"
#include "tools/aldermark/looped_audio.h"

namespace aldermark {

// Plays `audio` (looped when it is shorter) up to `atSeconds`, in blocks of 512 frames, with
// the parameter assignments applied first; then draws the editor into `pngPath` ("-":
// standard output), turned round to the settings panel of the shown meter when
// `settingsPanel` is set (as the middle of the meter selector does), at display scale `scale`
// (the picture is round(586 × scale) pixels wide). The picture replaces
// the file only once it is complete. False with a one-line reason when the audio cannot
// play that long, or the effect, its editor or the file cannot be made.
bool renderEditorPicture(LoopedAudio& audio, double atSeconds, const std::vector<ParameterAssignment>& assignments,
                         const std::string& pngPath, std::string& error, bool settingsPanel = false,
                         double scale = 1);

}  // namespace aldermark
