// The resource font: registered from font resource 111, drawn under its own face name,
// with the initial metrics replaced by the face's once it is resolved.
#include <gtest/gtest.h>

#include "controls/custom_font.h"
#include "controls/editor_fonts.h"
#include "platform/resources.h"
#include "tests/editor/editor_test_support.h"

using namespace editortest;

namespace {

double widthWith(CFontDesc* font, const char* text) {
    auto image = toolkit::createOffscreen(4, 4);
    if (!image) {
        ADD_FAILURE() << "no off-screen image";
        return -1;
    }
    CDrawContext context(image->surface());
    context.setFont(font);
    return context.getStringWidth(text);
}

// Renders `text` in white on black with `font` and answers the lit pixels, row by row.
std::vector<bool> litPixels(CFontDesc* font, const char* text) {
    OffscreenFrame f{300, 50};
    auto* label = new CTextLabel(CRect(0, 0, 300, 50), text);
    label->setFont(font);
    label->setFontColor(kWhite);
    label->setBackColor(kBlack);
    label->setStyle(kNoFrame);
    f.frame->addView(label);
    f.renderedPixel(0, 0);
    std::vector<bool> lit;
    for (int y = 0; y < 50; ++y)
        for (int x = 0; x < 300; ++x) lit.push_back(f.pixel(x, y).red > 128);
    return lit;
}

}  // namespace

TEST(ResourceFont, TheFaceComesFromResource111) {
    const unsigned char* data = nullptr;
    std::size_t size = 0;
    ASSERT_TRUE(platform::findResource(platform::ResourceType::Font, CZEBCustomFont::kResourceId, &data, &size));
    EXPECT_GT(size, 10000u);
    EXPECT_TRUE(CZEBCustomFont::registerResourceFace());
    EXPECT_TRUE(CZEBCustomFont::registerResourceFace()) << "a second call finds it registered";
}

TEST(ResourceFont, InitialMetricsScaleUntilTheFaceIsMeasured) {
    SharedPointer<CZEBCustomFont> font = SharedPointer<CZEBCustomFont>::adopt(new CZEBCustomFont(38));
    EXPECT_DOUBLE_EQ(font->getAscent(), 34.96);
    EXPECT_DOUBLE_EQ(font->getDescent(), 8.74);
    EXPECT_DOUBLE_EQ(font->getLeading(), 0);
    EXPECT_DOUBLE_EQ(font->getCapHeight(), 25.12);
    SharedPointer<CZEBCustomFont> half = SharedPointer<CZEBCustomFont>::adopt(new CZEBCustomFont(19));
    EXPECT_DOUBLE_EQ(half->getAscent(), 17.48);

    ASSERT_NE(font->getPlatformFont(), nullptr);
    EXPECT_NE(font->getAscent(), 34.96) << "measured from the face";
    EXPECT_GT(font->getAscent(), 30);
    EXPECT_LT(font->getAscent(), 40);
    EXPECT_GT(font->getCapHeight(), 20);
    EXPECT_LT(font->getCapHeight(), font->getAscent());

    font->setSize(19);  // a new size takes a new face
    ASSERT_NE(font->getPlatformFont(), nullptr);
    EXPECT_NEAR(font->getAscent(), half->getPlatformFont()->ascent(), 1e-9);
}

TEST(ResourceFont, TextIsDrawnWithTheRegisteredFaceWhateverTheName) {
    EXPECT_EQ(resourceFont()->getName(), "doesn't matter");
    EXPECT_EQ(resourceFont()->getSize(), 38);
    EXPECT_EQ(smallTextFont()->getName(), "Arial Narrow");
    EXPECT_EQ(smallTextFont()->getSize(), 11);

    SharedPointer<CFontDesc> byName = SharedPointer<CFontDesc>::adopt(new CFontDesc(CZEBCustomFont::kFaceName, 38));
    SharedPointer<CFontDesc> narrow = SharedPointer<CFontDesc>::adopt(new CFontDesc("Arial Narrow", 38));
    const char* text = "Aldermark 0 VU -20";
    EXPECT_DOUBLE_EQ(widthWith(resourceFont(), text), widthWith(byName.get(), text));
    EXPECT_NE(widthWith(resourceFont(), text), widthWith(narrow.get(), text));

    const std::vector<bool> drawn = litPixels(resourceFont(), "R3 08");
    EXPECT_EQ(drawn, litPixels(byName.get(), "R3 08")) << "the same glyphs as the face registered by name";
    EXPECT_NE(drawn, litPixels(narrow.get(), "R3 08"));
    EXPECT_GT(std::count(drawn.begin(), drawn.end(), true), 100);
}

TEST(ResourceFont, TypeName) {
    EXPECT_TRUE(resourceFont()->isTypeOf("CZEBCustomFont"));
    EXPECT_TRUE(resourceFont()->isTypeOf("CFontDesc"));
    EXPECT_FALSE(smallTextFont()->isTypeOf("CZEBCustomFont"));
}
