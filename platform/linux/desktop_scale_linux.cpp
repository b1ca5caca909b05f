#include "platform/desktop_scale.h"

#include <X11/Xlib.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace platform {
namespace {

// A number that is the whole text (blanks around it allowed); NaN otherwise.
double wholeNumber(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) text.remove_suffix(1);
    if (text.empty() || text.size() > 32) return NAN;
    char buffer[33] = {};
    std::memcpy(buffer, text.data(), text.size());
    char* end = nullptr;
    const double value = std::strtod(buffer, &end);
    return end == buffer + text.size() && std::isfinite(value) ? value : NAN;
}

// A scale the editor can take from a source: 1 ... 3, or NaN when the value says nothing
// (not a number, not above 0). Out of range is clamped, not ignored: 1000 dpi is a huge
// screen, not a missing one.
double usable(double scale) {
    if (!(scale > 0) || !std::isfinite(scale)) return NAN;
    return scale < 1 ? 1 : scale > 3 ? 3 : scale;
}

// The value of Xft.dpi in a resource string of "name:\tvalue" lines; NaN when absent.
double xftDpi(const char* resources) {
    if (!resources) return NAN;
    std::string_view rest(resources);
    double found = NAN;
    while (!rest.empty()) {
        const std::size_t eol = rest.find('\n');
        std::string_view line = rest.substr(0, eol);
        rest = eol == std::string_view::npos ? std::string_view() : rest.substr(eol + 1);
        const std::size_t colon = line.find(':');
        if (colon == std::string_view::npos) continue;
        std::string_view name = line.substr(0, colon);
        while (!name.empty() && (name.back() == ' ' || name.back() == '\t')) name.remove_suffix(1);
        if (name == "Xft.dpi") found = wholeNumber(line.substr(colon + 1));  // the last one holds, as in xrdb
    }
    return found;
}

}  // namespace

double desktopScaleFrom(const char* xResources, const char* gdkScale, const char* qtScaleFactor) {
    for (double candidate : {xftDpi(xResources) / 96.0, gdkScale ? wholeNumber(gdkScale) : NAN,
                             qtScaleFactor ? wholeNumber(qtScaleFactor) : NAN}) {
        const double scale = usable(candidate);
        if (!std::isnan(scale)) return scale;
    }
    return 1;
}

double desktopScale(void*) {
    // A connection of our own: the resource string belongs to the display, and this keeps
    // the platform layer free of the toolkit's.
    const char* resources = nullptr;
    Display* display = XOpenDisplay(nullptr);
    if (display) resources = XResourceManagerString(display);
    const double scale = desktopScaleFrom(resources, std::getenv("GDK_SCALE"), std::getenv("QT_SCALE_FACTOR"));
    if (display) XCloseDisplay(display);
    return scale;
}

}  // namespace platform
