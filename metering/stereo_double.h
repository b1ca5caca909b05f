#pragma once
// A left/right pair of doubles carried in one 128-bit vector (SSE2 on every target we build):
// both channels of a meter run the same recursions, so they step together.
#include <emmintrin.h>

using StereoDouble = double __attribute__((vector_size(16)));
using StereoMask = long long __attribute__((vector_size(16)));  // per lane: all ones or zero

inline StereoDouble stereoPair(double left, double right) { return StereoDouble{left, right}; }
inline StereoDouble bothChannels(double value) { return StereoDouble{value, value}; }

// Per lane: `whenSet` where the mask is set, else `otherwise`.
inline StereoDouble select(StereoMask mask, StereoDouble whenSet, StereoDouble otherwise) {
    return mask ? whenSet : otherwise;
}
// Per lane: `value` where the mask is set, else 0.
inline StereoDouble keepWhere(StereoMask mask, StereoDouble value) {
    return _mm_and_pd(_mm_castsi128_pd(__m128i(mask)), value);
}
// Per lane: 0 where the mask is set, else `value`.
inline StereoDouble clearWhere(StereoMask mask, StereoDouble value) {
    return _mm_andnot_pd(_mm_castsi128_pd(__m128i(mask)), value);
}
inline StereoDouble absolute(StereoDouble v) { return _mm_andnot_pd(bothChannels(-0.0), v); }
// Neither argument may be NaN.
inline StereoDouble maximum(StereoDouble a, StereoDouble b) { return _mm_max_pd(a, b); }
