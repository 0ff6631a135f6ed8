// Where the movement keys take a menu: every row within reach, the marker on screen whenever a
// link is, and today's moves wherever they already reach every row.
#include "nav/menu_movement.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

#include "support/reference.hpp"
#include "support/test_menu.hpp"

namespace {

// One letter per row: '1' a link, any other an information line.
std::vector<MenuItem> menu_rows(std::string_view layout) {
    std::vector<MenuItem> rows(layout.size());
    int ordinal = 0;
    for (std::size_t i = 0; i < layout.size(); ++i) {
        rows[i].type = layout[i];
        rows[i].selectable = layout[i] == '1';
        rows[i].ordinal = rows[i].selectable ? ++ordinal : 0;
    }
    return rows;
}

const char* key_name(Key key) {
    switch (key) {
    case Key::up:
        return "up";
    case Key::down:
        return "down";
    case Key::page_up:
        return "page_up";
    case Key::page_down:
        return "page_down";
    case Key::home:
        return "home";
    case Key::end:
        return "end";
    default:
        return "other";
    }
}

struct Move {
    const char* layout;
    int rows;
    MenuPlace from;
    Key key;
    MenuPlace want;
};

void check_moves(const std::vector<Move>& cases) {
    for (const Move& c : cases) {
        const std::vector<MenuItem> rows = menu_rows(c.layout);
        const MenuPlace got = move_in_menu(menu_layout(rows), c.from, c.rows, c.key);
        const std::string name =
            std::string("case=") + c.layout + " rows=" + std::to_string(c.rows) +
            " top=" + std::to_string(c.from.top) + " selected=" + std::to_string(c.from.selected) +
            " key=" + key_name(c.key);
        EXPECT_EQ(got.top, c.want.top) << name;
        EXPECT_EQ(got.selected, c.want.selected) << name;
    }
}

TEST(MenuMovement, ArrowsReachEveryRow) {
    check_moves({
        {"1i1", 3, {0, 0}, Key::down, {0, 2}},
        {"1i1i1", 2, {0, 0}, Key::down, {1, 2}}, // within a screen: onto the last row, as ever
        // Prose longer than the screen scrolls by a row; the marker goes with its link, and
        // the next link is marked as it arrives.
        {"1iiiii1", 3, {0, 0}, Key::down, {1, 0}},
        {"1iiiii1", 3, {2, 0}, Key::down, {3, 0}},
        {"1iiiii1", 3, {3, 0}, Key::down, {4, 6}},
        {"1iiiii1", 3, {4, 6}, Key::up, {3, 6}},
        {"1iiiii1", 3, {1, 6}, Key::up, {0, 0}},
        // A footer is read to its end, then Down wraps to the top.
        {"11iiii", 2, {0, 1}, Key::down, {1, 1}},
        {"11iiii", 2, {1, 1}, Key::down, {2, 1}},
        {"11iiii", 2, {4, 1}, Key::down, {0, 0}},
        // Wrapping shows as much as fits above the first link, below the last.
        {"iiii1i1", 2, {5, 6}, Key::down, {3, 4}},
        {"iiii1i1", 2, {0, 4}, Key::up, {5, 6}},
        {"iiii11", 2, {4, 4}, Key::up, {3, 4}},
        {"iiii11", 2, {2, 4}, Key::up, {1, 4}},
        {"iiii11", 2, {0, 4}, Key::up, {4, 5}},
        {"11iiii", 2, {0, 0}, Key::up, {1, 1}},
        // A marker off screen gives way to the first link that comes on screen.
        {"1iii1ii1", 3, {1, 0}, Key::down, {2, 4}},
        {"1ii1iii1", 3, {5, 7}, Key::up, {4, 7}},
        {"1ii1iii1", 3, {4, 7}, Key::up, {3, 3}},
        // A selection that is no link starts from the first link.
        {"i1i1", 4, {0, 0}, Key::down, {0, 3}},
    });
}

TEST(MenuMovement, PageKeysNeverJumpOverProse) {
    check_moves({
        // A page of links that shows every row between: as ever.
        {"1i1i1i1i1", 3, {0, 0}, Key::page_down, {4, 6}},
        {"1i1i1i1i1", 3, {6, 8}, Key::page_up, {2, 2}},
        {"11111111", 3, {5, 7}, Key::page_up, {4, 4}},
        {"11111111", 3, {0, 0}, Key::page_down, {1, 3}},
        {"11111111", 3, {5, 7}, Key::page_down, {5, 7}}, // never wraps
        {"11111111", 3, {0, 0}, Key::page_up, {0, 0}},
        // Long prose between links: a page of rows, the first link to come marked.
        {"1iiiii1iiiii1iiiii1", 3, {0, 0}, Key::page_down, {3, 0}},
        {"1iiiii1iiiii1iiiii1", 3, {3, 0}, Key::page_down, {6, 6}},
        {"1iiiii1iiiii1iiiii1", 3, {16, 18}, Key::page_up, {13, 18}},
        {"1iiiii1iiiii1iiiii1", 3, {13, 18}, Key::page_up, {10, 12}},
        // A link reached within a page of rows of the screen, past a long run: as ever.
        {"1ii1", 2, {0, 0}, Key::page_down, {2, 3}},
        {"1iii1", 2, {0, 0}, Key::page_down, {2, 0}},
        // A footer or a preamble is paged through, bounded at the ends.
        {"1111iiiiii", 3, {1, 3}, Key::page_down, {4, 3}},
        {"1111iiiiii", 3, {4, 3}, Key::page_down, {7, 3}},
        {"1111iiiiii", 3, {7, 3}, Key::page_down, {7, 3}},
        {"iiiiii1111", 3, {6, 6}, Key::page_up, {3, 6}},
        {"iiiiii1111", 3, {3, 6}, Key::page_down, {6, 6}},
    });
}

TEST(MenuMovement, HomeAndEndShowTheEnds) {
    check_moves({
        {"11111", 2, {2, 3}, Key::home, {0, 0}},
        {"11111", 2, {0, 0}, Key::end, {3, 4}},
        // The marker stays off screen until a link comes into view.
        {"iiii1i1ii", 2, {3, 6}, Key::home, {0, 4}},
        {"iiii1i1ii", 2, {3, 4}, Key::end, {7, 6}},
    });
}

TEST(MenuMovement, MenuWithoutLinksScrollsLikeText) {
    check_moves({
        {"iiiii", 2, {0, -1}, Key::down, {1, -1}},
        {"iiiii", 2, {3, -1}, Key::down, {3, -1}},
        {"iiiii", 2, {0, -1}, Key::up, {0, -1}},
        {"iiiii", 2, {2, -1}, Key::page_down, {3, -1}},
        {"iiiii", 2, {3, -1}, Key::page_up, {1, -1}},
        {"iiiii", 2, {0, -1}, Key::end, {3, -1}},
        {"iiiii", 2, {3, -1}, Key::home, {0, -1}},
        {"ii", 5, {0, -1}, Key::page_down, {0, -1}},
        {"", 5, {0, -1}, Key::down, {0, -1}},
        {"iiiii", 2, {0, -1}, Key::escape, {0, -1}},
    });
}

// No content rows: the selection moves over the links as ever, the page keys do nothing.
TEST(MenuMovement, ScreenWithoutContentRows) {
    check_moves({
        {"1i1", 0, {0, 0}, Key::down, {2, 2}},
        {"1i1", 0, {2, 2}, Key::down, {0, 0}},
        {"1i1", 0, {0, 0}, Key::up, {2, 2}},
        {"1i1", 0, {0, 0}, Key::page_down, {0, 0}},
        {"1i1", 0, {0, 2}, Key::home, {0, 0}},
    });
}

TEST(MenuMovement, ResizeKeepsTheMarkerOnScreen) {
    const struct {
        const char* layout;
        MenuPlace from;
        int old_rows, rows;
        MenuPlace want;
    } cases[] = {
        {"1111111111", {0, 7}, 10, 4, {4, 7}}, // shrunk: scrolled just enough
        {"1111111111", {2, 3}, 6, 4, {2, 3}},  // still on screen: stays
        {"1111111111", {6, 9}, 4, 8, {2, 9}},  // grown at the end: no empty rows
        {"1iiiiiiii1", {3, 0}, 3, 2, {3, 0}},  // reading prose: the place is kept
        {"1iiiiii1", {2, 0}, 3, 6, {2, 7}},    // a link came into view: marked
        {"1i1", {2, 2}, 0, 2, {1, 2}},         // from no content rows
    };
    for (const auto& c : cases) {
        const std::vector<MenuItem> rows = menu_rows(c.layout);
        const MenuPlace got = resize_menu_place(menu_layout(rows), c.from, c.old_rows, c.rows);
        EXPECT_EQ(got.top, c.want.top) << "case=" << c.layout << " rows=" << c.rows;
        EXPECT_EQ(got.selected, c.want.selected) << "case=" << c.layout << " rows=" << c.rows;
    }
}

TEST(MenuMovement, KeptPlaceIsBoundedToTheContent) {
    const struct {
        const char* layout;
        int ordinal, top, rows;
        MenuPlace want;
    } cases[] = {
        {"1i1i1", 2, 1, 2, {1, 2}}, // the same content: the same place
        {"1i1i1", 5, 9, 2, {3, 4}}, // fewer links and rows
        {"1i1i1", 0, -3, 2, {0, 0}},
        {"1i1i1", 2, 0, 2, {0, 0}},  // the selected link is off screen, another on it
        {"1iiii1", 1, 2, 2, {2, 0}}, // no link on screen: the selection stays
        {"iiii", 3, 10, 2, {2, -1}},
        {"", 1, 4, 2, {0, -1}},
    };
    for (const auto& c : cases) {
        const std::vector<MenuItem> rows = menu_rows(c.layout);
        const MenuPlace got = bound_menu_place(menu_layout(rows), c.ordinal, c.top, c.rows);
        const std::string name = std::string("case=") + c.layout +
                                 " ordinal=" + std::to_string(c.ordinal) +
                                 " top=" + std::to_string(c.top);
        EXPECT_EQ(got.top, c.want.top) << name;
        EXPECT_EQ(got.selected, c.want.selected) << name;
    }
}

// Runs of information lines and of links, of random lengths, some longer than any screen.
std::string random_menu(std::mt19937* random) {
    std::string layout;
    const int runs = std::uniform_int_distribution<int>(1, 12)(*random);
    const bool info_first = (*random)() % 2 == 0;
    for (int run = 0; run < runs; ++run) {
        const bool info = (run % 2 == 0) == info_first;
        const int longest = info && (*random)() % 3 == 0 ? 90 : 6;
        layout.append(
            static_cast<std::size_t>(std::uniform_int_distribution<int>(0, longest)(*random)),
            info ? 'i' : '1');
    }
    return layout;
}

int last_full_top(const std::vector<MenuItem>& rows, int screen) {
    return std::max(0, static_cast<int>(rows.size()) - screen);
}

// The marker is on screen whenever a link is, and no content row is empty while rows remain.
void check_frame(const std::vector<MenuItem>& rows, MenuPlace place, int screen,
                 const std::string& name) {
    ASSERT_GE(place.top, 0) << name;
    ASSERT_LE(place.top, last_full_top(rows, screen)) << name;
    const int end = std::min(place.top + screen, static_cast<int>(rows.size()));
    const bool link_shown = std::any_of(rows.begin() + place.top, rows.begin() + end,
                                        [](const MenuItem& row) { return row.selectable; });
    if (link_shown) {
        ASSERT_TRUE(marker_on_screen(place, screen)) << name;
    }
    if (place.selected >= 0) {
        ASSERT_TRUE(rows[static_cast<std::size_t>(place.selected)].selectable) << name;
    }
}

// Repeats key from start until the selection wraps (or the place stops changing, or the end is
// reached in a menu without links): every row must have been on screen by then.
void check_reaches_every_row(const std::vector<MenuItem>& rows, int screen, MenuPlace start,
                             Key key, const std::string& name) {
    const MenuLayout layout = menu_layout(rows);
    const int count = static_cast<int>(rows.size());
    std::vector<bool> seen(rows.size());
    const auto show = [&](MenuPlace place) {
        for (int row = place.top; row < std::min(place.top + screen, count); ++row) {
            seen[static_cast<std::size_t>(row)] = true;
        }
    };
    MenuPlace place = start;
    check_frame(rows, place, screen, name);
    show(place);
    const int forward = key == Key::down ? 1 : -1;
    bool done = false;
    for (int press = 0; press < 2 * count + 4 && !done; ++press) {
        const MenuPlace next = move_in_menu(layout, place, screen, key);
        check_frame(rows, next, screen, name + " press=" + std::to_string(press));
        done = (next.top - place.top) * forward < 0 ||
               (next.selected - place.selected) * forward < 0 ||
               (next.top == place.top && next.selected == place.selected);
        if (!done) {
            show(next);
        }
        place = next;
    }
    ASSERT_TRUE(done) << name;
    for (int row = 0; row < count; ++row) {
        ASSERT_TRUE(seen[static_cast<std::size_t>(row)]) << name << " row=" << row;
    }
}

TEST(MenuMovement, ArrowsBringEveryRowOnScreenBeforeWrapping) {
    std::mt19937 random(1311);
    for (int round = 0; round < 800; ++round) {
        const std::string layout = random_menu(&random);
        const int screen = std::uniform_int_distribution<int>(1, 60)(random);
        const std::vector<MenuItem> rows = menu_rows(layout);
        const MenuLayout shape = menu_layout(rows);
        const std::string name = "layout=" + layout + " rows=" + std::to_string(screen);
        check_reaches_every_row(rows, screen, {0, shape.first_link}, Key::down, name + " down");
        check_reaches_every_row(rows, screen, {last_full_top(rows, screen), shape.last_link},
                                Key::up, name + " up");
        if (testing::Test::HasFatalFailure()) {
            return;
        }
    }
}

// Menus where the moves of old already bring every row on screen: links at both ends and no
// run of information lines as long as the screen. Every key moves as the
// reference's moves of old do.
TEST(MenuMovement, MovesAsEverWhereEveryRowWasWithinReach) {
    std::mt19937 random(4242);
    const Key keys[] = {Key::up, Key::down, Key::page_up, Key::page_down};
    const unsigned char bytes[] = {'A', 'B', '5', '6'};
    for (int round = 0; round < 600; ++round) {
        const int screen = std::uniform_int_distribution<int>(1, 60)(random);
        std::string layout = "1";
        const int runs = std::uniform_int_distribution<int>(0, 30)(random);
        for (int run = 0; run < runs; ++run) {
            layout.append(
                static_cast<std::size_t>(std::uniform_int_distribution<int>(0, screen - 1)(random)),
                'i');
            layout.append(
                static_cast<std::size_t>(std::uniform_int_distribution<int>(1, 4)(random)), '1');
        }
        ModelFixture owned;
        give_menu(&owned, layout, screen + 4);
        const MenuItems& items = owned.model.shown.items;
        const MenuLayout shape = menu_layout({items.items.data(), items.items.size()});
        int selected = 1;
        int menu_top = 0;
        MenuPlace place{0, shape.first_link};
        std::string trail;
        for (int press = 0; press < 200; ++press) {
            const int which = std::uniform_int_distribution<int>(0, 3)(random);
            trail += key_name(keys[which]);
            trail += ' ';
            reference::move_selection(items, screen + 4, &selected, &menu_top, bytes[which]);
            place = move_in_menu(shape, place, screen, keys[which]);
            ASSERT_EQ(place.top, menu_top)
                << "layout=" << layout << " rows=" << screen << " keys=" << trail;
            ASSERT_EQ(items.items[static_cast<std::size_t>(place.selected)].ordinal, selected)
                << "layout=" << layout << " rows=" << screen << " keys=" << trail;
        }
    }
}

} // namespace
