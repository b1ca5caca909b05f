// The scale changing while the editor is open. The user's zoom: the menu a right click on the
// frame opens, what choosing from it does to the window and the host, that the choice is kept
// in the settings store for the next editor (and not in the instance's state), and what the
// store may hold instead; pictures of the menu are kept beside the test program
// (zoom-menu-*.png). The desktop's scale: when a new one is taken, and that a window between
// two monitors does not swing between them.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <string>
#include <utility>
#include <vector>

#include "controls/popup_menu_view.h"
#include "editor/desktop_scale_follower.h"
#include "editor/zoom_choice.h"
#include "model/display_scale.h"
#include "platform/settings_store.h"
#include "tests/plugin_editor/editor_host.h"
#include "toolkit/offscreen.h"

using namespace editortest;

namespace {

struct ZoomMenu : OpenEditorFixture {
    void SetUp() override {
        OpenEditorFixture::SetUp();
        ASSERT_TRUE(zoom_choice::store(0));
    }
    void TearDown() override {
        OpenEditorFixture::TearDown();
        zoom_choice::store(0);  // the tests after these open at the host's scale
    }
    MeterEditor& meter() { return *editor->meterEditor(); }
    CPopupMenuView* menu() { return meter().zoomMenu(); }
    // The window's events come in device pixels: these take frame positions.
    CPoint device(const CPoint& where) { return CPoint(where.x * meter().scale(), where.y * meter().scale()); }
    void clickAt(const CPoint& where, std::int32_t buttons = kLButton) { click(device(where), buttons); }
    CPopupMenuView* rightClick(const CPoint& where) {
        clickAt(where, kRButton);
        return menu();
    }
    std::vector<char> chunk() {
        void* data = nullptr;
        const auto size = host.dispatch(effGetChunk, 0, 0, &data);
        const char* bytes = static_cast<const char*>(data);
        return size > 0 && bytes ? std::vector<char>(bytes, bytes + size) : std::vector<char>{};
    }
    bool stateScale(double scale) { return host.stateScale(scale); }
    static constexpr CPoint kMeterFace{293, 80};  // no control takes a right click there
};

float storedValue() {
    float value = -1;
    return platform::readSettingBytes(display_scale::kZoomValueName, &value, sizeof value) ? value : -1;
}

}  // namespace

TEST_F(ZoomMenu, ARightClickOpensItAtTheClickInsideTheWindowWithAutoShowingItsScale) {
    for (const auto& [hostScale, automatic] : {std::pair{1.0, "Auto (100 %)"}, std::pair{2.0, "Auto (200 %)"}}) {
        EXPECT_TRUE(stateScale(hostScale));
        // Near every corner the menu stays inside the window, beside the click.
        for (const CPoint& at : {CPoint{2, 2}, CPoint{580, 2}, CPoint{2, 190}, CPoint{580, 190}, CPoint{380, 30}}) {
            SCOPED_TRACE("at " + std::to_string(hostScale) + "x, right click at " + std::to_string(at.x) + "," +
                         std::to_string(at.y));
            if (menu()) menu()->dismiss();  // else the click would only close the last one
            CPopupMenuView* shown = rightClick(at);
            ASSERT_NE(shown, nullptr);
            const CRect panel = shown->panelRect();
            EXPECT_TRUE(panel.left >= 0 && panel.top >= 0 && panel.right <= frame()->getWidth() &&
                        panel.bottom <= frame()->getHeight());
            EXPECT_TRUE(std::abs(panel.left - at.x) < 1 || std::abs(panel.right - at.x) < 1) << "opens at the click";
            EXPECT_EQ(shown->items(),
                      (std::vector<std::string>{automatic, "100 %", "125 %", "150 %", "200 %", "250 %", "300 %"}));
            EXPECT_EQ(shown->ticked(), 0);
        }
        // The last one, pictured with the pointer on an item: its dark panel over the light face.
        CPopupMenuView* shown = menu();
        frame()->platformOnMouseMoved(device(shown->itemRect(5).getCenter()), CButtonState(0));
        EXPECT_EQ(shown->highlighted(), 5);
        auto picture = toolkit::renderFrame(*frame(), kBlackCColor);
        ASSERT_NE(picture, nullptr);
        const CRect panel = shown->panelRect();
        const CColor inside =
            picture->pixel(std::lround((panel.left + 3) * hostScale), std::lround((panel.bottom - 2) * hostScale));
        EXPECT_LT(inside.red + inside.green + inside.blue, 3 * 60);
        picture->savePng(hostScale == 1 ? "zoom-menu-1.png" : "zoom-menu-2.png");
        shown->dismiss();
    }
    // A left click where the right one opened it is the panel's, not the menu's.
    clickAt(CPoint{380, 30});
    EXPECT_EQ(menu(), nullptr);
}

TEST_F(ZoomMenu, AChoiceResizesAtOnceIsKeptForTheNextEditorAndLeavesTheStateAlone) {
    EXPECT_TRUE(stateScale(1.5));
    const std::vector<char> state = chunk();
    ASSERT_FALSE(state.empty());
    const struct {
        int item;
        double scale;      // the editor's after the choice
        float stored;
    } choices[] = {{4, 2, 2}, {1, 1, 1}, {6, 3, 3}, {2, 1.25, 1.25}, {0, 1.5, 0}, {5, 2.5, 2.5}};
    for (const auto& c : choices) {
        SCOPED_TRACE("item " + std::to_string(c.item));
        CPopupMenuView* shown = rightClick(kMeterFace);
        ASSERT_NE(shown, nullptr);
        host.events();
        clickAt(shown->itemRect(c.item).getCenter());
        EXPECT_EQ(menu(), nullptr) << "a choice closes the menu";
        EXPECT_DOUBLE_EQ(meter().scale(), c.scale);
        std::string size = "size ";
        size += std::to_string(std::lround(586 * c.scale)) + " " + std::to_string(std::lround(195 * c.scale));
        EXPECT_EQ(host.events(), std::vector<std::string>{size}) << "the host is asked for the new size, once";
        auto picture = toolkit::renderFrame(*frame(), kBlackCColor);
        ASSERT_NE(picture, nullptr);
        EXPECT_EQ(picture->surface().width(), std::lround(586 * c.scale));
        EXPECT_EQ(storedValue(), c.stored);
        EXPECT_DOUBLE_EQ(zoom_choice::stored(), c.stored) << "what the next editor in a window starts at";
        EXPECT_EQ(chunk(), state) << "the zoom is not part of the instance's state";
        EXPECT_EQ(rightClick(kMeterFace)->ticked(), c.item);
        menu()->dismiss();
    }
    // The user's zoom outranks what the host states later.
    EXPECT_TRUE(stateScale(1));
    EXPECT_DOUBLE_EQ(meter().scale(), 2.5);
}

TEST_F(ZoomMenu, EscapeAClickBesideItOrANewMenuChooseNothing) {
    const auto dismissals = {+[](ZoomMenu& t, CPopupMenuView&) { t.host.dispatch(effEditKeyDown, 0, VKEY_ESCAPE); },
                             +[](ZoomMenu& t, CPopupMenuView& m) { t.clickAt(CPoint(m.panelRect().right + 20, 5)); },
                             +[](ZoomMenu& t, CPopupMenuView& m) {  // pressed on an item, released off it
                                 t.frame()->platformOnMouseDown(t.device(m.itemRect(3).getCenter()),
                                                                CButtonState(kLButton));
                                 t.frame()->platformOnMouseUp(t.device(CPoint(m.panelRect().right + 20, 5)),
                                                              CButtonState(kLButton));
                                 m.dismiss();
                             }};
    for (auto dismiss : dismissals) {
        CPopupMenuView* shown = rightClick(kMeterFace);
        ASSERT_NE(shown, nullptr);
        host.events();
        dismiss(*this, *shown);
        EXPECT_EQ(menu(), nullptr);
        EXPECT_DOUBLE_EQ(meter().scale(), 1);
        EXPECT_TRUE(host.events().empty());
        EXPECT_EQ(storedValue(), 0.f);
    }
    // A right click while it shows is the menu's: beside it, it only closes it.
    rightClick(kMeterFace);
    clickAt(CPoint(5, 190), kRButton);
    EXPECT_EQ(menu(), nullptr);
}

TEST_F(ZoomMenu, TheArrowKeysStartAtTheCurrentZoomAndReturnChooses) {
    meter().chooseZoom(1.5);
    ASSERT_NE(rightClick(kMeterFace), nullptr);
    for (int key : {VKEY_DOWN, VKEY_DOWN, VKEY_UP, VKEY_DOWN}) host.dispatch(effEditKeyDown, 0, key);
    EXPECT_EQ(menu()->highlighted(), 5);
    host.dispatch(effEditKeyDown, 0, VKEY_RETURN);
    EXPECT_EQ(menu(), nullptr);
    EXPECT_DOUBLE_EQ(meter().scale(), 2.5);
    EXPECT_EQ(storedValue(), 2.5f);
}

TEST(ZoomChoice, OnlyAChoiceIsStoredOrTakenFromTheStore) {
    // Refused for storing, and read as Auto when another version or a hand edit left them.
    for (float junk : {0.5f, 1.75f, 9.f, -2.f, std::numeric_limits<float>::infinity(),
                       std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_FALSE(zoom_choice::store(junk)) << junk;
        const platform::SettingBlob blob{display_scale::kZoomValueName, &junk, sizeof junk};
        ASSERT_TRUE(platform::writeSettings(&blob, 1));
        EXPECT_EQ(zoom_choice::stored(), 0) << junk;
    }
    const double wide = 2;  // the right number in the wrong size
    const platform::SettingBlob eight{display_scale::kZoomValueName, &wide, sizeof wide};
    ASSERT_TRUE(platform::writeSettings(&eight, 1));
    EXPECT_EQ(zoom_choice::stored(), 0);
    for (double zoom : display_scale::kZoomChoices) {
        EXPECT_TRUE(zoom_choice::store(zoom));
        EXPECT_EQ(zoom_choice::stored(), zoom);
    }
    zoom_choice::store(0);
}

TEST(DesktopScaleFollower, TakesASteadyNewScaleAndDoesNotSwingBackUntilTheWindowMoves) {
    using Look = DesktopScaleFollower::Look;
    const struct Case {
        const char* what;
        std::vector<Look> looks;
        std::vector<double> answers;  // 0: keep the current scale
    } cases[] = {
        {"the same scale", {{1, true, 0, 0}, {1, true, 0, 0}}, {0, 0}},
        {"a blip while dragged across", {{2, true, 900, 0}, {1, true, 1900, 0}, {2, true, 2100, 0}}, {0, 0, 0}},
        {"a new monitor, twice in a row", {{2, true, 2100, 0}, {2, true, 2100, 0}, {2, true, 2100, 0}}, {0, 2, 0}},
        {"straddling: our resize reads the old monitor again",
         {{1.5, true, 1800, 40}, {1.5, true, 1800, 40}, {1, true, 1800, 40}, {1, true, 1803, 40}, {1, true, 1800, 44},
          {1.5, true, 1800, 40}},
         {0, 1.5, 0, 0, 0, 0}},
        {"moved back by the user",
         {{1.5, true, 1800, 40}, {1.5, true, 1800, 40}, {1.5, true, 1800, 40}, {1, true, 1500, 40}, {1, true, 1500, 40}},
         {0, 1.5, 0, 0, 1}},
        {"a third scale is not blocked", {{2, true, 0, 0}, {2, true, 0, 0}, {3, true, 0, 0}, {3, true, 0, 0}}, {0, 2, 0, 3}},
        {"no position known: the old scale stays blocked",
         {{2, false, 0, 0}, {2, false, 0, 0}, {1, false, 0, 0}, {1, false, 0, 0}}, {0, 2, 0, 0}},
        {"junk readings count for nothing",
         {{std::numeric_limits<double>::quiet_NaN(), true, 0, 0}, {0, true, 0, 0}, {-2, true, 0, 0}, {2, true, 0, 0},
          {2, true, 0, 0}},
         {0, 0, 0, 0, 2}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        DesktopScaleFollower follower;
        follower.start(1);
        ASSERT_EQ(c.looks.size(), c.answers.size());
        for (std::size_t i = 0; i < c.looks.size(); ++i)
            EXPECT_DOUBLE_EQ(follower.look(c.looks[i]), c.answers[i]) << "look " << i;
    }
}
