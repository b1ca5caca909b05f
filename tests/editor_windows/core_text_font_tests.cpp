// The resource font drawn through Direct2D into an image, its GDI side and its metrics;
// then the toolkit drawing the editor's resource font through it.
#include <gtest/gtest.h>

#include <d2d1.h>
#include <wincodec.h>

#include <cwchar>
#include <memory>

#include "controls/custom_font.h"
#include "controls/editor_fonts.h"
#include "controls/resource_font_platform.h"
#include "controls/windows/core_text_platform_font.h"
#include "controls/windows/zeb_core_text_font.h"
#include "toolkit/draw_context.h"
#include "toolkit/windows/factories.h"

using namespace editor;

namespace {

template <class T>
void release(T*& object) {
    if (object) object->Release();
    object = nullptr;
}

// A 200 x 60 premultiplied BGRA image with a Direct2D target over it.
struct ImageTarget {
    IWICImagingFactory* wic = nullptr;
    IWICBitmap* bitmap = nullptr;
    ID2D1Factory* d2d = nullptr;
    ID2D1RenderTarget* target = nullptr;
    ID2D1SolidColorBrush* white = nullptr;
    IDWriteFactory* dwrite = nullptr;

    ImageTarget() {
        CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                         reinterpret_cast<void**>(&wic));
        if (wic) wic->CreateBitmap(200, 60, GUID_WICPixelFormat32bppPBGRA, WICBitmapCacheOnLoad, &bitmap);
        D2D1CreateFactory(D2D1_FACTORY_TYPE_SINGLE_THREADED, __uuidof(ID2D1Factory), nullptr,
                          reinterpret_cast<void**>(&d2d));
        if (d2d && bitmap) {
            D2D1_RENDER_TARGET_PROPERTIES properties{};
            properties.pixelFormat.format = DXGI_FORMAT_B8G8R8A8_UNORM;
            properties.pixelFormat.alphaMode = D2D1_ALPHA_MODE_PREMULTIPLIED;
            d2d->CreateWicBitmapRenderTarget(bitmap, &properties, &target);
        }
        if (target) {
            const D2D1_COLOR_F whiteColor{1, 1, 1, 1};
            target->CreateSolidColorBrush(&whiteColor, nullptr, &white);
        }
        DWriteCreateFactory(DWRITE_FACTORY_TYPE_SHARED, __uuidof(IDWriteFactory), reinterpret_cast<IUnknown**>(&dwrite));
    }
    ~ImageTarget() {
        release(white);
        release(target);
        release(d2d);
        release(bitmap);
        release(wic);
        release(dwrite);
        CoUninitialize();
    }
    bool ready() const { return target && white && dwrite; }

    HRESULT draw(ZEBCoreTextFont& font, const wchar_t* text) {
        target->BeginDraw();
        target->Clear(D2D1_COLOR_F{0, 0, 0, 1});
        const HRESULT result =
            font.drawString(target, dwrite, text, static_cast<UINT32>(wcslen(text)), D2D1_POINT_2F{4, 4}, white);
        target->EndDraw();
        return result;
    }

    int litPixels() {
        WICRect all{0, 0, 200, 60};
        IWICBitmapLock* lock = nullptr;
        if (FAILED(bitmap->Lock(&all, WICBitmapLockRead, &lock))) return -1;
        UINT stride = 0, size = 0;
        BYTE* data = nullptr;
        lock->GetStride(&stride);
        lock->GetDataPointer(&size, &data);
        int lit = 0;
        for (UINT y = 0; y < 60; ++y)
            for (UINT x = 0; x < 200; ++x)
                if (data[y * stride + x * 4 + 1] > 128) ++lit;
        lock->Release();
        return lit;
    }
};

}  // namespace

TEST(ZEBCoreTextFont, CreationTakesFaceNameWeightAndGdiFont) {
    ZEBCoreTextFont font(L"C:\\nowhere\\ZEBAldermark.zft", 38, 0x1 | 0x2);
    EXPECT_EQ(font.faceName(), L"ZEBAldermark");
    EXPECT_EQ(font.weight(), DWRITE_FONT_WEIGHT_BOLD);
    EXPECT_TRUE(font.italic());
    EXPECT_NE(font.gdiFont(), nullptr);
    EXPECT_FALSE(font.gdiFileRegistered()) << "there is no such file";
    EXPECT_DOUBLE_EQ(font.ascent(), 34.96);
    EXPECT_DOUBLE_EQ(font.descent(), 8.74);
    EXPECT_DOUBLE_EQ(font.leading(), 0);
    EXPECT_DOUBLE_EQ(font.capHeight(), 25.12);
    EXPECT_EQ(font.loaderRegistration(), S_FALSE) << "not tried before the first drawing";

    ZEBCoreTextFont plain(L"ZEBAldermark.zft", 11, 0);
    EXPECT_EQ(plain.weight(), DWRITE_FONT_WEIGHT_NORMAL);
    EXPECT_FALSE(plain.italic());
    LOGFONTW logfont{};
    ASSERT_EQ(GetObjectW(plain.gdiFont(), sizeof logfont, &logfont), static_cast<int>(sizeof logfont));
    EXPECT_EQ(logfont.lfHeight, -11);
    EXPECT_EQ(logfont.lfWeight, 400);
    EXPECT_EQ(logfont.lfOutPrecision, OUT_TT_ONLY_PRECIS);
    EXPECT_EQ(logfont.lfQuality, ANTIALIASED_QUALITY);
    EXPECT_EQ(std::wstring(logfont.lfFaceName), L"ZEBAldermark");
}

TEST(ZEBCoreTextFont, DrawsFromTheResourceAndRegistersTheLoadersOnce) {
    ImageTarget image;
    // Wine's Direct2D draws through a 3D device, which needs a display (run under xvfb-run).
    if (image.d2d && image.bitmap && !image.target) GTEST_SKIP() << "no Direct2D device without a display";
    ASSERT_TRUE(image.ready());
    auto font = createResourceCoreTextFont(38, 0);
    ASSERT_TRUE(font);
    EXPECT_NE(font->fontFilePath().find(L"ZEBAldermark.zft"), std::wstring::npos);
    const int before = ZEBCoreTextFont::loaderRegistrationCount();
    ASSERT_EQ(image.draw(*font, L"VU 0"), S_OK);
    EXPECT_GT(image.litPixels(), 50);
    EXPECT_EQ(font->loaderRegistration(), S_OK);
    EXPECT_NE(font->ascent(), 34.96) << "measured from the face after drawing";
    EXPECT_GT(font->ascent(), 30);
    EXPECT_LT(font->ascent(), 40);
    EXPECT_GT(font->capHeight(), 20);

    ASSERT_EQ(image.draw(*font, L"VU 0"), S_OK);
    EXPECT_EQ(ZEBCoreTextFont::loaderRegistrationCount(), before + 1) << "the same string twice: registered once";

    // A second font on the same factory shares the registration.
    ZEBCoreTextFont other(L"ZEBAldermark.zft", 20, 0);
    EXPECT_EQ(image.draw(other, L"RMS"), S_OK);
    EXPECT_EQ(ZEBCoreTextFont::loaderRegistrationCount(), before + 1);
}

TEST(ZEBCoreTextFont, RefusesMissingTargetsWithoutBindingAFactory) {
    ZEBCoreTextFont font(L"ZEBAldermark.zft", 38, 0);
    EXPECT_EQ(font.drawString(nullptr, nullptr, L"x", 1, D2D1_POINT_2F{0, 0}, nullptr), E_POINTER);
    EXPECT_EQ(font.loaderRegistration(), S_FALSE);
}

TEST(ZEBCoreTextFont, ProcessFontIsMadeOnce) {
    EXPECT_EQ(processResourceCoreTextFont(), nullptr);
    prepareResourceFontForPlatform(38, 0);
    ZEBCoreTextFont* font = processResourceCoreTextFont();
    ASSERT_NE(font, nullptr);
    EXPECT_EQ(font->size(), 38);
    EXPECT_EQ(font->faceName(), L"ZEBAldermark");
    prepareResourceFontForPlatform(12, 1);
    EXPECT_EQ(processResourceCoreTextFont(), font);
}

// ---- The toolkit's face for the resource family --------------------------------------
// These make the process font, so they come after the check that nothing made it earlier.

using editor::CoreTextPlatformFont;

namespace {

constexpr CColor kBlack{0, 0, 0, 255};
constexpr CColor kRed{255, 0, 0, 255};

const CoreTextPlatformFont* coreFace(CFontDesc& font) {
    return dynamic_cast<const CoreTextPlatformFont*>(font.getPlatformFont());
}

// Pixels in [left, right) x [top, bottom) that are mostly red.
int redPixels(toolkit::IOffscreenSurface& image, int left, int top, int right, int bottom) {
    int red = 0;
    for (int y = top; y < bottom; ++y)
        for (int x = left; x < right; ++x) {
            const CColor c = image.pixel(x, y);
            if (c.red > 128 && c.green < 80 && c.blue < 80) ++red;
        }
    return red;
}

}  // namespace

TEST(ResourceFontThroughToolkit, ResolvesToTheProcessCoreTextFont) {
    CZEBCustomFont* font = resourceFont();
    const CoreTextPlatformFont* face = coreFace(*font);
    ASSERT_NE(face, nullptr) << "the resource family must not go through the name lookup";
    ASSERT_NE(editor::processResourceCoreTextFont(), nullptr);
    EXPECT_EQ(&face->coreFont(), editor::processResourceCoreTextFont());
    EXPECT_EQ(face->coreFont().size(), 38);

    // Any description of the family gets the core font; other sizes and styles get their own.
    CFontDesc byName("zebaldermark", 20, toolkit::kBoldFace);
    const CoreTextPlatformFont* other = coreFace(byName);
    ASSERT_NE(other, nullptr);
    EXPECT_NE(&other->coreFont(), editor::processResourceCoreTextFont());
    EXPECT_EQ(other->coreFont().size(), 20);
    EXPECT_EQ(other->coreFont().weight(), DWRITE_FONT_WEIGHT_BOLD);

    // Other families keep the ordinary DirectWrite lookup.
    EXPECT_EQ(coreFace(*smallTextFont()), nullptr);
    EXPECT_NE(smallTextFont()->getPlatformFont(), nullptr);
}

TEST(ResourceFontThroughToolkit, DrawsTextInTheFontColourThroughTheCoreFont) {
    auto image = toolkit::createOffscreen(240, 80);
    if (!image) GTEST_SKIP() << "no Direct2D device without a display";
    image->clear(kBlack);
    CZEBCustomFont* font = resourceFont();
    const CoreTextPlatformFont* face = coreFace(*font);
    ASSERT_NE(face, nullptr);
    const int drawnBefore = face->stringsDrawn();

    CDrawContext context(image->surface());
    context.setFont(font);
    context.setFontColor(kRed);
    context.drawString("VU 0", CPoint(10, 50));
    context.drawString("", CPoint(10, 50));  // nothing to draw
    EXPECT_EQ(face->stringsDrawn(), drawnBefore + 1);

    // The text sits right of x = 10 with its baseline at y = 50; nothing drawn elsewhere.
    const int width = static_cast<int>(context.getStringWidth("VU 0")) + 1;
    ASSERT_GT(width, 20);
    EXPECT_GT(redPixels(*image, 10, 10, 10 + width, 60), 100);
    EXPECT_EQ(redPixels(*image, 0, 0, 240, 8), 0) << "above the ascent";
    EXPECT_EQ(redPixels(*image, 12 + width, 0, 240, 80), 0) << "right of the advance";
    EXPECT_EQ(redPixels(*image, 0, 62, 240, 80), 0) << "below the descent";

    // After its first drawing the face reports the measured metrics of the resource face.
    EXPECT_EQ(face->ascent(), face->coreFont().ascent());
    EXPECT_GT(face->ascent(), 30);
    EXPECT_LT(face->ascent(), 40);
    context.setFont(nullptr);
}

TEST(ResourceFontThroughToolkit, MeasuresLikeTheCoreFont) {
    auto image = toolkit::createOffscreen(16, 16);
    if (!image) GTEST_SKIP() << "no Direct2D device without a display";
    CZEBCustomFont* font = resourceFont();
    const CoreTextPlatformFont* face = coreFace(*font);
    ASSERT_NE(face, nullptr);
    CDrawContext context(image->surface());
    context.setFont(font);

    IDWriteFactory* dwrite = toolkit::windows::factories().dwrite;
    ASSERT_NE(dwrite, nullptr);
    for (const wchar_t* text : {L"VU 0", L"-20 dB", L"PPM  "}) {
        double coreWidth = 0, baseline = 0;
        ASSERT_EQ(face->coreFont().measureString(dwrite, text, static_cast<UINT32>(wcslen(text)), &coreWidth,
                                                  &baseline),
                  S_OK);
        char utf8[16] = {};
        for (std::size_t i = 0; text[i]; ++i) utf8[i] = static_cast<char>(text[i]);
        EXPECT_DOUBLE_EQ(context.getStringWidth(utf8), coreWidth) << utf8;
        EXPECT_GT(coreWidth, 10) << utf8;
        EXPECT_GT(baseline, 25) << "the baseline lies about one ascent below the top";
    }
    // Trailing spaces count, as they do for every toolkit face.
    EXPECT_GT(context.getStringWidth("VU  "), context.getStringWidth("VU"));
    EXPECT_EQ(context.getStringWidth(""), 0);
    context.setFont(nullptr);
}

TEST(ResourceFontThroughToolkit, RefusesMissingArgumentsWithoutDrawing) {
    CoreTextPlatformFont face(std::make_unique<editor::ZEBCoreTextFont>(L"ZEBAldermark.zft", 38, 0));
    double width = -1, baseline = -1;
    EXPECT_EQ(face.coreFont().measureString(nullptr, L"x", 1, &width, &baseline), E_POINTER);
    EXPECT_EQ(face.coreFont().measureString(toolkit::windows::factories().dwrite, nullptr, 1, &width, &baseline),
              E_POINTER);
    EXPECT_EQ(face.coreFont().measureString(toolkit::windows::factories().dwrite, L"x", 1, nullptr, &baseline),
              E_POINTER);
    EXPECT_EQ(width, -1);
    EXPECT_EQ(face.coreFont().loaderRegistration(), S_FALSE) << "no factory bound by refused calls";

    EXPECT_EQ(face.textWidth(nullptr, L"x", 1), 0);
    face.drawText(nullptr, toolkit::windows::factories().dwrite, L"x", 1, D2D1_POINT_2F{0, 40}, nullptr);
    EXPECT_EQ(face.stringsDrawn(), 0);
}
