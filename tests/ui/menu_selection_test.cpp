// Colours of menu rows and the movement of the selection.
#include "ui/menu_selection.hpp"

#include <gtest/gtest.h>
#include <string>

#include "support/reference.hpp"
#include "support/test_menu.hpp"
#include "term/sequences.hpp"

namespace {

TEST(MenuSelection, ColourFollowsTypeUnlessHighlighted) {
    const struct {
        char type;
        const char* color;
    } cases[] = {
        {'0', seq::bold_yellow},
        {'1', seq::bold_green},
        {'2', seq::bold_cyan},
        {'h', seq::bold_cyan},
        {'3', seq::bold_red},
        {'4', seq::bold_magenta},
        {'5', seq::bold_magenta},
        {'6', seq::bold_magenta},
        {'9', seq::bold_magenta},
        {'g', seq::bold_magenta},
        {'7', seq::bold_blue},
        {'8', seq::bold_white},
        {'i', seq::grey},
        {'I', seq::bold_bright_red},
        {'+', seq::bold_bright_red},
        {'\0', seq::bold_bright_red},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(type_color(c.type, 0), c.color) << "case=" << c.type;
        EXPECT_STREQ(type_color(c.type, 1), seq::selection) << "case=" << c.type;
    }
}

struct Move {
    const char* layout; // see give_menu
    int rows;
    int selected, top;
    unsigned char key;
    int want_selected, want_top;
};

void check_moves(const Move* cases, std::size_t count) {
    for (std::size_t i = 0; i < count; ++i) {
        const Move& c = cases[i];
        OwnedBrowser owned;
        give_menu(&owned, c.layout, c.rows);
        Browser& browser = owned.browser;
        browser.selected = c.selected;
        browser.menu_top = c.top;
        move_selection(&browser, &owned.shown, c.key);
        const std::string name =
            std::string("case=") + c.layout + " rows=" + std::to_string(c.rows) +
            " selected=" + std::to_string(c.selected) + " top=" + std::to_string(c.top) +
            " key=" + static_cast<char>(c.key);
        EXPECT_EQ(browser.selected, c.want_selected) << name;
        EXPECT_EQ(browser.menu_top, c.want_top) << name;
    }
}

// Two information lines, then five links at indices 2 to 6; 7 rows give 3 content rows.
TEST(MenuSelection, ArrowsWrapAroundAndScrollJustEnough) {
    const Move cases[] = {
        {"ii11111", 7, 1, 1, 'B', 2, 1},
        {"ii11111", 7, 1, 0, 'B', 2, 1}, // onto the last content row
        {"ii11111", 7, 1, 0, 'A', 5, 4}, // wraps to the last
        {"ii11111", 7, 5, 4, 'B', 1, 2}, // wraps to the first; the lines above stay hidden
        {"ii11111", 7, 3, 4, 'A', 2, 3}, // onto the first content row
        {"ii11111", 7, 5, 0, 'C', 5, 4}, // other keys still scroll to the selection
    };
    check_moves(cases, std::size(cases));
}

TEST(MenuSelection, PageKeysStepBySelectableItemsWithinTheMenu) {
    const Move cases[] = {
        {"ii11111", 7, 1, 0, '6', 4, 3},
        {"ii11111", 7, 4, 3, '6', 5, 4}, // not beyond the last
        {"ii11111", 7, 5, 4, '5', 2, 3},
        {"ii11111", 7, 2, 0, '5', 1, 0}, // not before the first
        // Information lines between the links: one step scrolls past more than a screen.
        {"1iiiii1iiiii1iiiii1", 7, 1, 0, '6', 4, 16},
        {"1iiiii1iiiii1iiiii1", 7, 4, 16, '5', 1, 0},
    };
    check_moves(cases, std::size(cases));
}

// Below 5 rows there are no content rows: page keys do not move the selection, and the
// selected item always ends up just above menu_top or at it.
TEST(MenuSelection, WindowUnderFiveRowsHasNoPage) {
    const Move cases[] = {
        {"11i1", 4, 1, 0, '6', 1, 1}, {"11i1", 4, 2, 0, '5', 2, 2}, {"11i1", 4, 1, 0, 'B', 2, 2},
        {"11i1", 4, 1, 0, 'A', 3, 4}, {"11i1", 4, 2, 5, 'A', 1, 0}, {"11i1", 0, 3, 0, 'B', 1, 1},
    };
    check_moves(cases, std::size(cases));
}

TEST(MenuSelection, MenuWithoutLinksNeitherMovesNorScrolls) {
    const Move cases[] = {
        {"iii", 7, 1, 2, 'B', 1, 2},
        {"iii", 7, 1, 2, '6', 1, 2},
        {"", 7, 1, 0, 'A', 1, 0},
    };
    check_moves(cases, std::size(cases));
}

// Long keyed walks over menus of different shapes, switching between two menus on the way,
// so that the place where the last search ended is often a stale guess.
TEST(MenuSelection, MovesLikeTheWalkFromTheTop) {
    const std::string layouts[] = {
        std::string(300, '1'),
        "ii" + std::string(150, '1') + std::string(100, 'i'),
        std::string(40, 'i') + "1" + std::string(200, 'i') + "1iii1" + std::string(70, 'i'),
        [] {
            std::string mixed;
            for (int i = 0; i < 400; ++i) {
                mixed += "1ii0h7i3"[(i * 7 + i / 3) % 8];
            }
            return mixed;
        }(),
    };
    const unsigned char keys[] = {'A', 'B', '5', '6', 'B', 'B', 'A', 'C', '6', '6', 'A'};
    unsigned seed = 7;
    for (std::size_t a = 0; a < std::size(layouts); ++a) {
        const std::size_t b = (a + 1) % std::size(layouts);
        OwnedBrowser one;
        OwnedBrowser two;
        OwnedBrowser plain_one;
        OwnedBrowser plain_two;
        give_menu(&one, layouts[a], 24);
        give_menu(&plain_one, layouts[a], 24);
        give_menu(&two, layouts[b], 9);
        give_menu(&plain_two, layouts[b], 9);
        // One record for both menus, as if the page on screen changed under it without a reset:
        // its search start is then often a stale guess, which must be checked, not trusted.
        ShownPage shared;
        for (int step = 0; step < 600; ++step) {
            seed = seed * 1103515245u + 12345u;
            const unsigned char key = keys[(seed >> 16) % std::size(keys)];
            const bool first = (seed >> 8) % 4 != 0;
            Browser& browser = first ? one.browser : two.browser;
            Browser& plain = first ? plain_one.browser : plain_two.browser;
            move_selection(&browser, &shared, key);
            reference::move_selection(&plain, key);
            ASSERT_EQ(browser.selected, plain.selected) << "case=" << a << " step=" << step;
            ASSERT_EQ(browser.menu_top, plain.menu_top) << "case=" << a << " step=" << step;
        }
    }
}

} // namespace
