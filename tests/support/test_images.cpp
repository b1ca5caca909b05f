#include "tests/support/test_images.h"

#include <cstddef>
#include <cstdio>

#include "tools/aldermark/png_writer.h"

namespace testimages {

std::vector<unsigned char> makePng(int width, int height, const std::vector<CColor>& bands) {
    aldermark::RgbaImage image{width, height, {}};
    image.pixels.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
    for (int y = 0; y < height; ++y) {
        const CColor c = bands[static_cast<std::size_t>(y) * bands.size() / static_cast<std::size_t>(height)];
        for (int x = 0; x < width; ++x) image.pixels.insert(image.pixels.end(), {c.red, c.green, c.blue, c.alpha});
    }
    return aldermark::encodePng(image);
}

std::string describe(CColor c) {
    char text[32];
    std::snprintf(text, sizeof text, "(%d,%d,%d,%d)", c.red, c.green, c.blue, c.alpha);
    return text;
}

}  // namespace testimages
