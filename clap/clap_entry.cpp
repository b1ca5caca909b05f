// The library's entry: `clap_entry`, its plug-in factory and the one plug-in it makes.
// init/deinit may come more than once, from any thread; they are counted under a lock and
// the factory is handed out while the count is above zero.
#include <cstring>
#include <mutex>
#include <new>

#include "clap/clap_abi.h"
#include "clap/clap_gui.h"
#include "clap/clap_instance.h"

namespace {

const char* const kFeatures[] = {"audio-effect", "analyzer", "stereo", nullptr};

const clap::PluginDescriptor kDescriptor = {
    clap::kVersion,
    "com.kestrune-zeb.aldermark",
    "ZEB Aldermark",
    "ZEB",
    "https://kestrune-zeb.com/",
    "",
    "",
    ALDERMARK_VERSION,
    "VU, RMS and PPM level meter with trim and filters",
    kFeatures,
};

std::mutex gEntryLock;
int gInitCount = 0;

bool CLAPCALL entryInit(const char*) {
    std::lock_guard<std::mutex> guard(gEntryLock);
    if (gInitCount++ == 0) ClapInstance::offerGui(clapGuiExtension());
    return true;
}

void CLAPCALL entryDeinit() {
    std::lock_guard<std::mutex> guard(gEntryLock);
    if (gInitCount > 0) --gInitCount;
}

std::uint32_t CLAPCALL pluginCount(const clap::PluginFactory*) { return 1; }

const clap::PluginDescriptor* CLAPCALL pluginDescriptor(const clap::PluginFactory*, std::uint32_t index) {
    return index == 0 ? &kDescriptor : nullptr;
}

// Main thread. Refuses a missing host and any other plug-in id.
const clap::Plugin* CLAPCALL createPlugin(const clap::PluginFactory*, const clap::Host* host, const char* id) {
    if (!host || !id || std::strcmp(id, kDescriptor.id) != 0) return nullptr;
    auto* instance = new (std::nothrow) ClapInstance(host, &kDescriptor);
    return instance ? instance->plugin() : nullptr;
}

const clap::PluginFactory kFactory = {pluginCount, pluginDescriptor, createPlugin};

const void* CLAPCALL entryFactory(const char* id) {
    std::lock_guard<std::mutex> guard(gEntryLock);
    if (gInitCount == 0 || !id || std::strcmp(id, clap::kPluginFactoryId) != 0) return nullptr;
    return &kFactory;
}

}  // namespace

extern "C" CLAP_EXPORT const clap::PluginEntry clap_entry = {clap::kVersion, entryInit, entryDeinit, entryFactory};
