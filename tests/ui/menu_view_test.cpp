// The menu view: what a frame holds and how the loop ends.
#include "ui/menu_view.hpp"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "nav/history.hpp"
#include "term/sequences.hpp"
#include "ui/menu_test_menu.hpp"
#include "ui/stdio_swap.hpp"

namespace {

struct MenuPage {
    Browser browser{};
    MenuPage(std::string_view layout, int rows) {
        push_page(&browser, "alpha.lan", 70, "", '1');
        give_menu(&browser, layout, rows);
        for (int i = 0; i < browser.item_count; ++i) {
            std::snprintf(browser.items[i].display, sizeof browser.items[i].display, "item %d", i);
            std::snprintf(browser.items[i].selector, sizeof browser.items[i].selector, "/%d", i);
        }
        browser.running = 1;
    }
    ~MenuPage() { free_history(browser.current); }
};

// Only the rows on screen are drawn, the marker on the selected link, displays filtered.
TEST(MenuView, FrameDrawsTheVisibleRowsWithTheMarker) {
    MenuPage menu("i10i1", 7); // 3 content rows
    menu.browser.menu_top = 1;
    menu.browser.selected = 2;
    std::strcpy(menu.browser.items[2].display, "\x1b[2Jdocs\r");
    StdioSwap stdio("");
    draw_menu(&menu.browser);
    const std::string header = std::string(seq::clear_screen) + seq::bar_background +
                               seq::bold_white + at(1, 1) + std::string(78, ' ') + at(1, 29) +
                               "gopher://alpha.lan:70/" + seq::reset + at(2, 1);
    EXPECT_EQ(stdio.output(), header + seq::bold_green + at(4, 2) + "  item 1" + seq::reset +
                                  seq::selection + at(5, 2) + "->docs" + seq::reset + seq::grey +
                                  at(6, 2) + "  item 3" + seq::reset);
}

TEST(MenuView, EnterOpensTheSelectedLink) {
    MenuPage menu("i10i1", 24);
    StdioSwap stdio("\x1b[B\r");
    EXPECT_EQ(menu_view_loop(&menu.browser), 1);
    EXPECT_STREQ(menu.browser.current->selector, "/2");
    EXPECT_STREQ(menu.browser.current->host, "beta.lan");
    EXPECT_EQ(menu.browser.current->type, '0');
}

TEST(MenuView, PastedLettersAreDroppedAndQuitEndsTheRun) {
    MenuPage menu("1", 24);
    StdioSwap stdio("qqqq");
    EXPECT_EQ(menu_view_loop(&menu.browser), 0);
    EXPECT_EQ(menu.browser.running, 0);
    EXPECT_EQ(stdio.unread(), "");
}

TEST(MenuView, EndOfInputEndsTheRun) {
    MenuPage menu("1", 24);
    StdioSwap stdio("\x1b[B");
    EXPECT_EQ(menu_view_loop(&menu.browser), 0);
    EXPECT_EQ(menu.browser.running, 0);
}

} // namespace
