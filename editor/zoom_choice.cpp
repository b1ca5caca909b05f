#include "editor/zoom_choice.h"

#include <cmath>

#include "model/display_scale.h"
#include "platform/settings_store.h"

namespace zoom_choice {

namespace {

std::string percent(double scale) {
    std::string text = std::to_string(std::lround(scale * 100));
    text += " %";
    return text;
}

}  // namespace

double stored() {
    float value = 0;
    if (!platform::readSettingBytes(display_scale::kZoomValueName, &value, sizeof value)) return 0;
    return display_scale::zoomChoiceIndex(value) >= 0 ? value : 0;
}

bool store(double zoom) {
    if (display_scale::zoomChoiceIndex(zoom) < 0) return false;
    const auto value = static_cast<float>(zoom);  // every choice is exact in a float
    const platform::SettingBlob blob{display_scale::kZoomValueName, &value, sizeof value};
    return platform::writeSettings(&blob, 1);
}

std::vector<std::string> menuItems(double automaticScale) {
    std::vector<std::string> items;
    for (double zoom : display_scale::kZoomChoices) {
        if (zoom != 0) {
            items.push_back(percent(zoom));
            continue;
        }
        // Built piece by piece: GCC 12 warns falsely on a literal added to a string.
        std::string automatic = "Auto (";
        automatic += percent(display_scale::clamp(automaticScale));
        automatic += ")";
        items.push_back(std::move(automatic));
    }
    return items;
}

}  // namespace zoom_choice
