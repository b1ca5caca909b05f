// A build without the editor offers no gui extension: hosts show their generic controls.
#include "clap/clap_gui.h"

const clap::PluginGui* clapGuiExtension() { return nullptr; }
