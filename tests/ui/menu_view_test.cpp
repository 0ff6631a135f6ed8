// The menu view: what a frame holds and how the loop ends.
#include "ui/menu_view.hpp"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "nav/history.hpp"
#include "nav/shown_page.hpp"
#include "support/frame_text.hpp"
#include "support/test_menu.hpp"
#include "ui/looks.hpp"

namespace {

struct MenuPage : ModelFixture {
    MenuPage(std::string_view layout, int rows, const std::vector<std::string>& displays = {}) {
        give_menu(this, layout, rows, 80, displays);
    }
};

// Only the rows on screen are drawn, the marker on the selected link, displays filtered.
TEST(MenuView, FrameDrawsTheVisibleRowsWithTheMarker) {
    MenuPage menu("i10i1", 7, {"", "", "\x1b[2Jdocs\x1b[H"}); // 3 content rows
    menu.model.shown.place = MenuPlace{1, 2};
    Frame frame = make_frame(7, 80);
    draw_menu(menu.model, &frame);
    EXPECT_EQ(frame_text(frame), std::string(28, ' ') + "gopher://alpha.lan:70/\n\n\n"
                                                        " "
                                                        "  item 1\n"
                                                        " ->docs\n"
                                                        "   item 3\n\n");
    EXPECT_TRUE(frame_attr_run(frame, 4, 2, 8, look::bold_green));
    EXPECT_TRUE(frame_attr_run(frame, 5, 2, 6, look::selection));
    EXPECT_TRUE(frame_attr_run(frame, 6, 2, 8, look::grey));
    EXPECT_EQ(frame_attr(frame, 5, 8), look::plain) << "the row ends with the display";
    EXPECT_EQ(frame.scroll_top, 4);
    EXPECT_EQ(frame.scroll_bottom, 6);
}

TEST(MenuView, EnterOpensTheSelectedLink) {
    MenuPage menu("i10i1", 24);
    std::ignore = menu.press("\x1b[B\r");
    EXPECT_FALSE(menu.model.end.has_value());
    ASSERT_NE(menu.asked(), nullptr) << "Enter asks for the page";
    EXPECT_EQ(menu.asked()->address.selector, "/2");
    EXPECT_EQ(menu.asked()->address.host, "beta.lan");
    EXPECT_EQ(menu.asked()->address.type, '0');
}

TEST(MenuView, QuitEndsTheRun) {
    MenuPage menu("1", 24);
    EXPECT_EQ(menu.press("qqqq"), "qqq") << "nothing is read after the first";
    EXPECT_TRUE(menu.model.end.has_value());
}

// Enter opens only a link the user sees marked; with none on screen it does nothing.
TEST(MenuView, EnterOpensOnlyAMarkedLinkOnScreen) {
    const struct {
        const char* keys;
        const char* opened; // selector, or nullptr when the view ends at the end of input
    } cases[] = {
        {"\r", nullptr},                      // the first link lies below the screen
        {"\x1b[B\x1b[B\x1b[B\x1b[B\r", "/6"}, // scrolled onto the last row: marked
        {"\x1b[F\r", "/8"},                   // End
        {"\x1b[F\x1b[H\r", nullptr},          // Home: back at the top, the marker off screen
        {"\x1b[F\x1b[A\x1b[3~x\r", "/6"},     // Delete and an unknown key change nothing
    };
    for (const auto& c : cases) {
        MenuPage menu("iiiiii1i1", 7); // 3 content rows
        std::ignore = menu.press(c.keys, true);
        const std::string name = "case=" + testing::PrintToString(c.keys);
        if (c.opened == nullptr) {
            EXPECT_TRUE(menu.model.end.has_value()) << name;
            EXPECT_EQ(menu.asked(), nullptr) << name;
        } else {
            EXPECT_FALSE(menu.model.end.has_value()) << name;
            ASSERT_NE(menu.asked(), nullptr) << name;
            EXPECT_EQ(menu.asked()->address.selector, c.opened) << name;
        }
    }
}

TEST(MenuView, EndOfInputEndsTheRun) {
    MenuPage menu("1", 24);
    std::ignore = menu.press("\x1b[B", true);
    EXPECT_TRUE(menu.model.end.has_value());
}

} // namespace
