// The item array built in two steps, against the lines parsed one by one.
#include "gopher/menu_items.hpp"

#include <algorithm>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "gopher/menu.hpp"
#include "nav/history.hpp"

namespace {

// The items of the content as its lines give them, one parse_menu_line each.
std::vector<MenuItem> reference_items(const std::string& content) {
    std::vector<MenuItem> items;
    int ordinal = 0;
    std::size_t at = 0;
    while (at < content.size()) {
        std::size_t end = content.find('\n', at);
        if (end == std::string::npos) {
            end = content.size();
        }
        std::string line = content.substr(at, end - at);
        MenuItem item;
        if (!line.empty() && parse_menu_line(line.data(), &item, "alpha.lan", 70)) {
            if (item.selectable) {
                item.ordinal = ++ordinal;
            }
            items.push_back(item);
        }
        at = end + 1;
    }
    return items;
}

struct Shown {
    Browser browser{};
    Shown() { push_page(&browser, "alpha.lan", 70, "", '1'); }
    ~Shown() { free_history(browser.current); }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
};

// The first `count` items of the browser are those of the reference.
void expect_items(const Browser& browser, const std::vector<MenuItem>& want, std::size_t count,
                  const std::string& label) {
    ASSERT_GE(want.size(), count) << label;
    for (std::size_t i = 0; i < count; ++i) {
        const MenuItem& got = browser.items[i];
        EXPECT_EQ(got.type, want[i].type) << label << " i=" << i;
        EXPECT_STREQ(got.display, want[i].display) << label << " i=" << i;
        EXPECT_STREQ(got.selector, want[i].selector) << label << " i=" << i;
        EXPECT_STREQ(got.host, want[i].host) << label << " i=" << i;
        EXPECT_EQ(got.port, want[i].port) << label << " i=" << i;
        EXPECT_EQ(got.selectable, want[i].selectable) << label << " i=" << i;
        EXPECT_EQ(got.ordinal, want[i].ordinal) << label << " i=" << i;
    }
}

int selectable_in(const std::vector<MenuItem>& items, std::size_t count) {
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
        const std::vector<MenuItem> want = reference_items(content);
        for (const int wanted : {0, 1, 20, 50, 51, lines, INT_MAX}) {
            const std::string label =
                "lines=" + std::to_string(lines) + " wanted=" + std::to_string(wanted);
            Shown shown;
            shown.browser.selected = 9;
            shown.browser.menu_top = 4;
            start_menu_items(&shown.browser, content.c_str(), wanted);

            // The first screen's items, and nothing else yet.
            const std::size_t first = std::min(want.size(), static_cast<std::size_t>(wanted));
            ASSERT_EQ(shown.browser.item_count, static_cast<int>(first)) << label;
            EXPECT_EQ(shown.browser.selectable_count, selectable_in(want, first)) << label;
            EXPECT_EQ(shown.browser.selected, 1) << label;
            EXPECT_EQ(shown.browser.menu_top, 4) << label;
            expect_items(shown.browser, want, first, label);

            finish_menu_items(&shown.browser);
            ASSERT_EQ(shown.browser.item_count, static_cast<int>(want.size())) << label;
            EXPECT_EQ(shown.browser.selectable_count, selectable_in(want, want.size())) << label;
            expect_items(shown.browser, want, want.size(), label);
        }
    }
}

TEST(MenuItems, BuildMenuItemsParsesTheWholeMenuAtOnce) {
    const std::string content = mixed_menu(230);
    const std::vector<MenuItem> want = reference_items(content);
    Shown shown;
    build_menu_items(&shown.browser, content.c_str());
    ASSERT_EQ(shown.browser.item_count, static_cast<int>(want.size()));
    expect_items(shown.browser, want, want.size(), "build");
    finish_menu_items(&shown.browser); // nothing is left waiting
    EXPECT_EQ(shown.browser.item_count, static_cast<int>(want.size()));
}

TEST(MenuItems, ANewBuildFinishesTheOneLeftForAnotherBrowser) {
    const std::string first = mixed_menu(120);
    const std::string second = mixed_menu(60);
    Shown one;
    Shown two;
    start_menu_items(&one.browser, first.c_str(), 10);
    start_menu_items(&two.browser, second.c_str(), 10);

    const std::vector<MenuItem> want = reference_items(first);
    ASSERT_EQ(one.browser.item_count, static_cast<int>(want.size()));
    expect_items(one.browser, want, want.size(), "finished by the second build");
    finish_menu_items(&one.browser);
    EXPECT_EQ(one.browser.item_count, static_cast<int>(want.size()));
    finish_menu_items(&two.browser);
    EXPECT_EQ(two.browser.item_count, static_cast<int>(reference_items(second).size()));
}

TEST(MenuItems, ANewBuildForTheSameBrowserDropsTheRestOfTheOldMenu) {
    const std::string old_menu = mixed_menu(120);
    const std::string new_menu = mixed_menu(30);
    Shown shown;
    start_menu_items(&shown.browser, old_menu.c_str(), 5);
    start_menu_items(&shown.browser, new_menu.c_str(), 5);
    finish_menu_items(&shown.browser);

    const std::vector<MenuItem> want = reference_items(new_menu);
    ASSERT_EQ(shown.browser.item_count, static_cast<int>(want.size()));
    expect_items(shown.browser, want, want.size(), "new menu");
}

TEST(MenuItems, TheContentIsLeftAsItWas) {
    const std::string content = mixed_menu(80);
    std::string shown_content = content;
    Shown shown;
    start_menu_items(&shown.browser, shown_content.c_str(), 3);
    finish_menu_items(&shown.browser);
    EXPECT_EQ(shown_content, content);
}

} // namespace
