// LV2 plug-ins are a Linux format here: the Windows build of the host refuses them by name.
#include "tools/aldermark/format_bridge.h"

namespace aldermark {

std::unique_ptr<FormatBridge> openLv2Bridge(const std::string& path, audioMasterCallback, std::string& error) {
    error = "'" + path + "' is an LV2 plug-in; this build of aldermark loads LV2 on Linux only";
    return nullptr;
}

}  // namespace aldermark
