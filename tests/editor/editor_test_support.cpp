// Test bitmaps are plain PNGs (stored, uncompressed), so the same tests run on every back end.
#include "tests/editor/editor_test_support.h"

#include <gtest/gtest.h>

namespace editortest {

CBitmap* bandBitmap(int width, int height, const std::vector<CColor>& bands) {
    const std::vector<unsigned char> png = makePng(width, height, bands);
    return new CBitmap(toolkit::decodePng(png.data(), png.size()));
}

OffscreenFrame::OffscreenFrame(double width, double height) : frame(new CFrame(CRect(0, 0, width, height))) {
    if (!frame->openOffscreen()) ADD_FAILURE() << "no off-screen image (the back end has no drawing device)";
}

OffscreenFrame::~OffscreenFrame() { frame->forget(); }

CColor OffscreenFrame::renderedPixel(int x, int y) {
    frame->invalid();
    frame->idle();
    return pixel(x, y);
}

CColor OffscreenFrame::pixel(int x, int y) const {
    const toolkit::OffscreenWindow* window = frame->getOffscreenWindow();
    return window && window->image() ? window->image()->pixel(x, y) : CColor{0, 0, 0, 0};
}

bool near(CColor a, CColor b, int tolerance) {
    auto close = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue) && close(a.alpha, b.alpha);
}


}  // namespace editortest
