#pragma once
// Shared pieces of the Windows back-end tests: PNGs encoded here (independently of WIC),
// the resource table that serves them, and pixel helpers.
#include <cstdint>
#include <string>
#include <vector>

#include "tests/support/test_images.h"
#include "tests/support/wine.h"
#include "toolkit/toolkit.h"

namespace winsupport {

enum TestResource : int {
    kThreeFrames = 9101,    // 10 x 30: red, green, blue frames of 10 rows
    kTwoFrameButton = 9102, // 20 x 40: top half red, bottom half green
    kWhiteSquare = 9103,    // 8 x 8 opaque white
    kHalfTransparent = 9104,// 4 x 4 blue at alpha 128
    kBrokenPng = 9105,      // PNG signature followed by rubbish
    kMissing = 9199,        // not in the table
};

using testimages::makePng;

inline bool closeTo(CColor a, CColor b, int tolerance = 2) {
    auto close = [tolerance](int x, int y) { return x - y <= tolerance && y - x <= tolerance; };
    return close(a.red, b.red) && close(a.green, b.green) && close(a.blue, b.blue) && close(a.alpha, b.alpha);
}

using testimages::describe;

using ::runningUnderWine;

}  // namespace winsupport
