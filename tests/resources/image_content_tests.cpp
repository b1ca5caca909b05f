// Every image carries artwork: stacked frames differ from each other, and the panel and
// strip backgrounds and the VU face are fully opaque (nothing behind them shows through).
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "model/resource_table.h"
#include "png_decode.h"

namespace {

bool framesEqual(cairo_surface_t* s, int width, int frameHeight, int a, int b) {
    for (int y = 0; y < frameHeight; ++y)
        for (int x = 0; x < width; ++x)
            if (pixel(s, x, a * frameHeight + y) != pixel(s, x, b * frameHeight + y)) return false;
    return true;
}

int visiblePixels(cairo_surface_t* s, int width, int height) {
    int count = 0;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) count += (pixel(s, x, y) >> 24) > 0;
    return count;
}

TEST(ImageContent, EveryFrameIsDrawnAndDiffersFromTheOthers) {
    for (const auto& info : resources::images) {
        SCOPED_TRACE("image " + std::to_string(info.id));
        Surface image = decodeImage(info.id);
        ASSERT_TRUE(image);
        const int frameHeight = info.height / info.frames;
        EXPECT_GT(visiblePixels(image.get(), info.width, info.height), info.width * info.height / 50);
        for (int a = 0; a < info.frames; ++a)
            for (int b = a + 1; b < info.frames; ++b)
                EXPECT_FALSE(framesEqual(image.get(), info.width, frameHeight, a, b)) << "frames " << a << ", " << b;
    }
}

TEST(ImageContent, BackgroundsAreOpaque) {
    for (const auto& info : resources::images) {
        // The window-wide panels and strips, and the VU face that covers its window.
        if (info.width != 586 && info.id != 40007) continue;
        SCOPED_TRACE("image " + std::to_string(info.id));
        Surface image = decodeImage(info.id);
        ASSERT_TRUE(image);
        int opaque = 0;
        for (int y = 0; y < info.height; ++y)
            for (int x = 0; x < info.width; ++x) opaque += (pixel(image.get(), x, y) >> 24) == 255;
        EXPECT_EQ(opaque, info.width * info.height);
    }
}

}  // namespace
