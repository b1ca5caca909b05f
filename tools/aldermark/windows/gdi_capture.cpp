#include "tools/aldermark/windows/gdi_capture.h"

namespace aldermark_windows {

bool copyPixels(HDC source, int x, int y, int width, int height, aldermark::RgbaImage& image) {
    if (!source || width <= 0 || height <= 0) return false;
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // rows from the top
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HDC memory = CreateCompatibleDC(source);
    HBITMAP bitmap = CreateDIBSection(source, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool copied = false;
    if (memory && bitmap && bits) {
        HGDIOBJ previous = SelectObject(memory, bitmap);
        copied = BitBlt(memory, 0, 0, width, height, source, x, y, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memory, previous);
    }
    if (copied) {
        image.width = width;
        image.height = height;
        image.pixels.resize(static_cast<std::size_t>(width) * static_cast<std::size_t>(height) * 4);
        const auto* in = static_cast<const unsigned char*>(bits);
        for (std::size_t i = 0; i < image.pixels.size(); i += 4) {  // BGRX to RGBA
            image.pixels[i] = in[i + 2];
            image.pixels[i + 1] = in[i + 1];
            image.pixels[i + 2] = in[i];
            image.pixels[i + 3] = 255;
        }
    }
    if (bitmap) DeleteObject(bitmap);
    if (memory) DeleteDC(memory);
    return copied;
}

}  // namespace aldermark_windows
