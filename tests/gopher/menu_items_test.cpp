// The item array built in two steps, against the lines parsed one by one.
#include "gopher/menu_items.hpp"

#include <algorithm>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "gopher/menu.hpp"
#include "support/menu_build.hpp"
#include "support/reference.hpp"

namespace {

using reference::Item;

// A menu of a page on alpha.lan port 70, its items and its build, as the record of the page
// on screen holds them.
struct Shown {
    std::vector<char> text; // exact size, so that a read past the NUL is caught
    MenuItems menu;
    MenuBuild build;
    explicit Shown(const std::string& content) { give_content(content); }
    // New content for the page, as a reload stores it: the old buffer goes.
    void give_content(const std::string& content) {
        text = std::vector<char>(content.c_str(), content.c_str() + content.size() + 1);
    }
    const char* content() const { return text.data(); }
    void start(int wanted) { start_menu_items(&menu, &build, content(), "alpha.lan", 70, wanted); }
    void finish() { finish_menu_items(&menu, &build); }
};

// The first `count` items of the menu are those of the reference.
void expect_items(const Shown& shown, const std::vector<Item>& want, std::size_t count,
                  const std::string& label) {
    ASSERT_GE(want.size(), count) << label;
    const std::vector<Item> got = reference::written_out(shown.menu, shown.content(), "alpha.lan");
    ASSERT_GE(got.size(), count) << label;
    for (std::size_t i = 0; i < count; ++i) {
        EXPECT_EQ(got[i].type, want[i].type) << label << " i=" << i;
        EXPECT_EQ(got[i].display, want[i].display) << label << " i=" << i;
        EXPECT_EQ(got[i].selector, want[i].selector) << label << " i=" << i;
        EXPECT_EQ(got[i].host, want[i].host) << label << " i=" << i;
        EXPECT_EQ(got[i].port, want[i].port) << label << " i=" << i;
        EXPECT_EQ(got[i].selectable, want[i].selectable) << label << " i=" << i;
        EXPECT_EQ(got[i].ordinal, want[i].ordinal) << label << " i=" << i;
    }
}

int selectable_in(const std::vector<Item>& items, std::size_t count) {
    int selectable = 0;
    for (std::size_t i = 0; i < count; ++i) {
        selectable += items[i].selectable;
    }
    return selectable;
}

// Links, information lines, skipped lines and a full stop line, so that the array fills up
// exactly when a skipped line comes (50 items, then "x" and ".").
std::string mixed_menu(int lines) {
    std::string menu;
    for (int n = 1; n <= lines; ++n) {
        if (n % 50 == 0) {
            menu += "0Item " + std::to_string(n) + "\t/s\tbeta.lan\t70\r\nx\r\n.\r\n\n";
        } else if (n % 7 == 0) {
            menu += "iNote " + std::to_string(n) + "\r\n";
        } else if (n % 11 == 0) {
            menu += "1Hidden\t/h\tnull.host\t70\r\n";
        } else {
            menu += "1Dir " + std::to_string(n) + "\t/d/" + std::to_string(n) + "\t\r\n";
        }
    }
    return menu;
}

TEST(MenuItems, StartThenFinishGivesWhatTheLinesGive) {
    for (const int lines : {0, 1, 49, 50, 51, 100, 230}) {
        const std::string content = mixed_menu(lines);
        const std::vector<Item> want = reference::items(content, "alpha.lan", 70);
        for (const int wanted : {0, 1, 20, 50, 51, lines, INT_MAX}) {
            const std::string label =
                "lines=" + std::to_string(lines) + " wanted=" + std::to_string(wanted);
            Shown shown{content};
            shown.start(wanted);

            // The first screen's items, and nothing else yet.
            const std::size_t first = std::min(want.size(), static_cast<std::size_t>(wanted));
            ASSERT_EQ(item_count(shown.menu), static_cast<int>(first)) << label;
            EXPECT_EQ(shown.menu.selectable_count, selectable_in(want, first)) << label;
            expect_items(shown, want, first, label);

            shown.finish();
            ASSERT_EQ(item_count(shown.menu), static_cast<int>(want.size())) << label;
            EXPECT_EQ(shown.menu.selectable_count, selectable_in(want, want.size())) << label;
            expect_items(shown, want, want.size(), label);
        }
    }
}

TEST(MenuItems, BuildMenuItemsParsesTheWholeMenuAtOnce) {
    const std::string content = mixed_menu(230);
    const std::vector<Item> want = reference::items(content, "alpha.lan", 70);
    Shown shown{content};
    build_menu_items(&shown.menu, shown.content(), "alpha.lan", 70);
    ASSERT_EQ(item_count(shown.menu), static_cast<int>(want.size()));
    expect_items(shown, want, want.size(), "build");
    shown.finish(); // nothing is left waiting
    EXPECT_EQ(item_count(shown.menu), static_cast<int>(want.size()));
}

// Two builds in flight at once, as tests and the fuzz targets make them: each record finishes
// its own, and neither writes into the other's items.
TEST(MenuItems, BuildsOfTwoMenusAreIndependent) {
    const std::string first = mixed_menu(120);
    const std::string second = mixed_menu(60);
    Shown one{first};
    {
        Shown two{second};
        one.start(10);
        two.start(10);
        EXPECT_EQ(item_count(one.menu), 10);
        two.finish();
        expect_items(two, reference::items(second, "alpha.lan", 70),
                     reference::items(second, "alpha.lan", 70).size(), "second");
    }
    const std::vector<Item> want = reference::items(first, "alpha.lan", 70);
    one.finish();
    ASSERT_EQ(item_count(one.menu), static_cast<int>(want.size()));
    expect_items(one, want, want.size(), "first, finished after the second went");
}

TEST(MenuItems, ANewBuildForTheSameItemsDropsTheRestOfTheOldMenu) {
    const std::string old_menu = mixed_menu(120);
    const std::string new_menu = mixed_menu(30);
    Shown shown{old_menu};
    shown.start(5);
    shown.give_content(new_menu);
    shown.start(5);
    shown.finish();

    const std::vector<Item> want = reference::items(new_menu, "alpha.lan", 70);
    ASSERT_EQ(item_count(shown.menu), static_cast<int>(want.size()));
    expect_items(shown, want, want.size(), "new menu");
}

TEST(MenuItems, TheContentIsLeftAsItWas) {
    const std::string content = mixed_menu(80);
    Shown shown{content};
    shown.start(3);
    shown.finish();
    EXPECT_EQ(std::string(shown.content()), content);
}

} // namespace
