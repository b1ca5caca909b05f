#include "png_decode.h"

#include <cstring>

#include "platform/resources.h"

namespace {

struct Reader {
    const unsigned char* data;
    std::size_t left;
};

cairo_status_t readChunk(void* closure, unsigned char* out, unsigned int length) {
    auto* reader = static_cast<Reader*>(closure);
    if (length > reader->left) return CAIRO_STATUS_READ_ERROR;
    std::memcpy(out, reader->data, length);
    reader->data += length;
    reader->left -= length;
    return CAIRO_STATUS_SUCCESS;
}

}  // namespace

Surface decodeImage(int id) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    if (!platform::findResource(platform::ResourceType::Png, id, &data, &size))
        return Surface(nullptr, cairo_surface_destroy);
    Reader reader{data, size};
    Surface surface(cairo_image_surface_create_from_png_stream(readChunk, &reader), cairo_surface_destroy);
    if (cairo_surface_status(surface.get()) != CAIRO_STATUS_SUCCESS) surface.reset();
    return surface;
}

std::uint32_t pixel(cairo_surface_t* s, int x, int y) {
    const unsigned char* row = cairo_image_surface_get_data(s) + y * cairo_image_surface_get_stride(s);
    std::uint32_t argb;
    std::memcpy(&argb, row + 4 * x, 4);
    return argb;
}
