#pragma once
// The LV2 bundle of this build, loaded into a lilv world: our plug-in, or null.
#include <lilv/lilv.h>

#include "lv2/lv2_ports.h"

inline const LilvPlugin* loadOurBundle(LilvWorld* world) {
    LilvNode* bundle = lilv_new_file_uri(world, nullptr, ALDERMARK_LV2_BUNDLE "/");
    lilv_world_load_bundle(world, bundle);
    LilvNode* uri = lilv_new_uri(world, lv2_ports::kPluginUri);
    const LilvPlugin* plugin = lilv_plugins_get_by_uri(lilv_world_get_all_plugins(world), uri);
    lilv_node_free(uri);
    lilv_node_free(bundle);
    return plugin;
}
