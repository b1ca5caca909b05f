#pragma once
// Test pictures built in memory: plain PNGs (the host's stored-block encoder) of
// horizontal colour bands, which every back end's decoder reads, and a printable colour for
// failure messages.
#include <string>
#include <vector>

#include "toolkit/geometry.h"

namespace testimages {

// width x height pixels, RGBA; the rows are split evenly between `bands`, first at the top.
std::vector<unsigned char> makePng(int width, int height, const std::vector<CColor>& bands);
// "(r,g,b,a)".
std::string describe(CColor c);

}  // namespace testimages
