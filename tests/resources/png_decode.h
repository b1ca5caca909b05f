#pragma once
// Decodes an image resource of the library for pixel checks.
#include <cairo.h>

#include <cstdint>
#include <memory>

using Surface = std::unique_ptr<cairo_surface_t, decltype(&cairo_surface_destroy)>;

// The decoded image `id`, or null when it is missing or not a valid PNG.
Surface decodeImage(int id);

// Premultiplied ARGB of one pixel.
std::uint32_t pixel(cairo_surface_t* s, int x, int y);
