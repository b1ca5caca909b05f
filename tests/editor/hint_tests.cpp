// The hint line: texts chosen by tag, value and zone, and the mix-in that writes them.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <set>
#include <string>

#include "controls/hint_control.h"
#include "tests/editor/editor_test_support.h"

using namespace editortest;

namespace {

std::string hint(std::int32_t tag, float value, int zone = 0) {
    const char* text = hintTextFor(tag, value, zone);
    return text ? text : "<unchanged>";
}

// Every text the hint line can be given.
std::set<std::string> everyHint() {
    std::set<std::string> texts;
    for (std::int32_t tag = -1; tag < 140; ++tag)
        for (float value : {0.0f, 1.0f})
            for (int zone : {0, 1})
                if (const char* text = hintTextFor(tag, value, zone); text && *text) texts.insert(text);
    return texts;
}

constexpr const char* kLongestHint = "Click and drag to adjust RMS reference level";

}  // namespace

TEST(HintTexts, FixedTextsByTag) {
    EXPECT_EQ(hint(0, 1), "Activates the Trim and FILTERS");
    EXPECT_EQ(hint(1, 0.3f), "Click PROCESS to activate the Trim");
    EXPECT_EQ(hint(68, 0), "Click PROCESS to activate the Trim");
    for (std::int32_t tag : {8, 11, 14, 70, 71}) EXPECT_EQ(hint(tag, 0), "Click PROCESS to activate FILTERS") << tag;
    EXPECT_EQ(hint(72, 0), "Click and drag to adjust RMS reference level");
    EXPECT_EQ(hint(83, 0), "Click and drag to adjust VU reference level");
    EXPECT_EQ(hint(93, 0), "Click and drag to adjust PPM reference level");
    EXPECT_EQ(hint(121, 0), "Click to open the manual");
    for (std::int32_t tag : {-1, 2, 4, 5, 16, 65, 69, 100, 1000}) EXPECT_EQ(hint(tag, 1), "") << tag;
}

TEST(HintTexts, SwitchTextsFollowTheValueWithHalfAsOff) {
    EXPECT_EQ(hint(6, 0), "Shows Strips");
    EXPECT_EQ(hint(6, 0.5f), "Shows Strips");
    EXPECT_EQ(hint(6, 0.51f), "Hides Strips");
    EXPECT_EQ(hint(7, 0), "Opens FILTERS editor");
    EXPECT_EQ(hint(7, 1), "Closes FILTERS editor");
    EXPECT_EQ(hint(15, 0.2f), "Opens LABEL editor");
    EXPECT_EQ(hint(15, 1), "Closes LABEL editor");
}

TEST(HintTexts, MeterSelectorNamesThePreviousAndNextMeter) {
    // zone 0: the meter before, zone 1: the meter after, in the cycle VU, RMS, PPM
    EXPECT_EQ(hint(3, 0, 0), "Changes current meter to RAD3");
    EXPECT_EQ(hint(3, 0.5f, 0), "Changes current meter to VU3");
    EXPECT_EQ(hint(3, 1, 0), "Changes current meter to RMS3");
    EXPECT_EQ(hint(3, 0, 1), "Changes current meter to RMS3");
    EXPECT_EQ(hint(3, 0.5f, 1), "Changes current meter to RAD3");
    EXPECT_EQ(hint(3, 1, 1), "Changes current meter to VU3");
    EXPECT_EQ(hint(3, 0.24f, 1), "Changes current meter to RMS3") << "0.24 still reads as VU";
    EXPECT_EQ(hint(3, 0.5f, 2), "");
    EXPECT_EQ(hint(3, 1.5f, 0), "<unchanged>") << "a meter index beyond PPM";
    EXPECT_EQ(hint(3, std::numeric_limits<float>::quiet_NaN(), 1), "<unchanged>");
}

TEST(HintLabel, ShowsTheChosenTextAndKeepsItForAnUnknownMeter) {
    SharedPointer<CHelpHintLabel> label = SharedPointer<CHelpHintLabel>::adopt(new CHelpHintLabel(CRect(0, 0, 190, 14)));
    label->showHint(3, 0, 1);
    EXPECT_EQ(label->getText(), "Changes current meter to RMS3");
    label->setDirty(false);
    label->showHint(3, 2.f, 1);
    EXPECT_EQ(label->getText(), "Changes current meter to RMS3");
    EXPECT_TRUE(label->isDirty()) << "the line is marked dirty even when the text stays";
    label->showHint(999, 0, 0);
    EXPECT_EQ(label->getText(), "");
}

TEST(HintMixin, WritesIntoItsLabelAndHoldsItAlive) {
    struct HintingThing : CZEBHintControl {} thing;
    thing.showHint(0, 0);  // no label: nothing happens
    thing.clearHint();

    auto* label = new CHelpHintLabel(CRect(0, 0, 190, 14), "old");
    thing.setHintLabel(label);
    EXPECT_EQ(label->getNbReference(), 2);
    thing.showHint(121, 0);
    EXPECT_EQ(label->getText(), "Click to open the manual");
    thing.clearHint();
    EXPECT_EQ(label->getText(), "");
    label->forget();  // the owner lets go first
    thing.showHint(0, 1);
    EXPECT_EQ(thing.getHintLabel()->getText(), "Activates the Trim and FILTERS");
    thing.setHintLabel(nullptr);
    EXPECT_EQ(thing.getHintLabel(), nullptr);
}

// The line (192 px) holds texts written for Arial Narrow at 11 px. Without that face (a Windows
// without Office) the back end stands in Arial or a plain sans, in which the longest are wider.
TEST(HintLabel, EveryHintFitsTheLineInTheNarrowFaceAndInWiderStandIns) {
    const std::set<std::string> hints = everyHint();
    ASSERT_EQ(hints.count(kLongestHint), 1u);
    auto image = toolkit::createOffscreen(4, 4);
    ASSERT_NE(image, nullptr);
    CDrawContext context(image->surface());
    const double room = 192 - 2 * CHelpHintLabel::kTextMargin;
    for (const char* family : {"Arial Narrow", "Arial", "DejaVu Sans", "No Such Family"}) {
        SharedPointer<CFontDesc> own = SharedPointer<CFontDesc>::adopt(new CFontDesc(family, 11));
        SharedPointer<CHelpHintLabel> line = SharedPointer<CHelpHintLabel>::adopt(new CHelpHintLabel(CRect(304, 0, 496, 14)));
        line->setFont(own.get());
        for (const std::string& text : hints) {
            CFontDesc* used = line->fontFitting(context, text.c_str());
            context.setFont(used);
            const double width = context.getStringWidth(text.c_str());
            EXPECT_TRUE(width > 40 && width <= room) << family << ", " << text << ": " << width << " px";
            if (used == own.get()) continue;
            // Only as small as it must be: half a pixel larger would not fit.
            SharedPointer<CFontDesc> larger = SharedPointer<CFontDesc>::adopt(new CFontDesc(family, used->getSize() + 0.5));
            context.setFont(larger.get());
            EXPECT_GT(context.getStringWidth(text.c_str()), room) << family << ", " << text;
        }
        const bool narrow = std::strcmp(family, "Arial Narrow") == 0;
        EXPECT_EQ(line->fontFitting(context, kLongestHint) == own.get(), narrow) << family;
    }
    context.setFont(nullptr);
}

TEST(HintLabel, TheLongestHintInAWideFaceIsDrawnWholeInsideTheLine) {
    OffscreenFrame f{240, 30};
    SharedPointer<CFontDesc> wide = SharedPointer<CFontDesc>::adopt(new CFontDesc("DejaVu Sans", 11));
    auto* line = new CHelpHintLabel(CRect(24, 8, 216, 22), kLongestHint);
    line->setFont(wide.get());
    line->setFontColor(kWhite);
    line->setBackColor(kBlack);
    f.frame->addView(line);
    f.renderedPixel(0, 0);
    int outside = 0, leftmost = 240, rightmost = -1;
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 240; ++x)
            if (f.pixel(x, y).red > 60) {
                outside += x < 24 || x >= 216 || y < 8 || y >= 22;
                leftmost = std::min(leftmost, x);
                rightmost = std::max(rightmost, x);
            }
    EXPECT_EQ(outside, 0);
    // The ink spans the whole text as measured in the font drawn with: no word cut off.
    CDrawContext context(f.frame->getOffscreenWindow()->image()->surface());
    context.setFont(line->fontFitting(context, kLongestHint));
    EXPECT_NEAR(rightmost + 1 - leftmost, context.getStringWidth(kLongestHint), 3);
    context.setFont(nullptr);
}
