// The items kept while the same content comes back, against a fresh build.
#include "nav/prepared_menu.hpp"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "nav/history.hpp"

namespace {

std::string numbered_menu(int lines, const char* word) {
    std::string menu;
    for (int n = 1; n <= lines; ++n) {
        menu += (n % 4 == 0 ? "i" : "0") + std::string(word) + " " + std::to_string(n) + "\t/s/" +
                std::to_string(n) + "\tbeta.lan\t70\r\n";
    }
    return menu;
}

Content content_of(const std::string& text) {
    Content content{static_cast<char*>(std::malloc(text.size() + 1))};
    std::memcpy(content.get(), text.c_str(), text.size() + 1);
    return content;
}

// 80x24: 20 content rows.
struct Shown {
    Browser browser{};
    PreparedMenu prepared;
    explicit Shown(const std::string& menu) {
        browser.winsize.ws_row = 24;
        browser.winsize.ws_col = 80;
        push_page(&browser, "alpha.lan", 70, "", '1');
        browser.current->content = content_of(menu);
    }
    ~Shown() { free_history(browser.current); }
    Shown(const Shown&) = delete;
    Shown& operator=(const Shown&) = delete;
};

// The browser's items are those that build_menu_items makes from the current content.
void expect_fresh_build(const Browser& browser, const std::string& label) {
    Browser fresh{};
    fresh.current = browser.current;
    build_menu_items(&fresh, browser.current->content.get());
    ASSERT_EQ(browser.item_count, fresh.item_count) << label;
    EXPECT_EQ(browser.selectable_count, fresh.selectable_count) << label;
    for (int i = 0; i < fresh.item_count; ++i) {
        EXPECT_STREQ(browser.items[i].display, fresh.items[i].display) << label << " i=" << i;
        EXPECT_STREQ(browser.items[i].selector, fresh.items[i].selector) << label << " i=" << i;
        EXPECT_EQ(browser.items[i].ordinal, fresh.items[i].ordinal) << label << " i=" << i;
    }
    fresh.current = nullptr;
}

TEST(PreparedMenu, FirstScreenFirstThenTheWholeMenu) {
    Shown shown{numbered_menu(100, "Item")};
    shown.browser.menu_top = 10;
    prepare_menu(&shown.browser, &shown.prepared);
    EXPECT_EQ(shown.browser.item_count, 30); // up to the last row of the screen at menu_top
    finish_menu_items(&shown.browser);
    EXPECT_EQ(shown.browser.item_count, 100);
    expect_fresh_build(shown.browser, "first pass");
}

TEST(PreparedMenu, SameContentKeepsTheItemsAndPutsTheSelectionBack) {
    Shown shown{numbered_menu(100, "Item")};
    prepare_menu(&shown.browser, &shown.prepared);
    finish_menu_items(&shown.browser);
    const MenuItem* items = shown.browser.items.get();
    shown.browser.selected = 7;
    shown.browser.menu_top = 12;

    prepare_menu(&shown.browser, &shown.prepared);
    EXPECT_EQ(shown.browser.items.get(), items); // not parsed again
    EXPECT_EQ(shown.browser.selected, 1);
    EXPECT_EQ(shown.browser.menu_top, 12);
    expect_fresh_build(shown.browser, "second pass");
}

TEST(PreparedMenu, ContentFetchedIntoTheSameBufferIsParsedAgain) {
    const std::string before = numbered_menu(40, "Old");
    const std::string after = numbered_menu(40, "New");
    ASSERT_EQ(before.size(), after.size());
    Shown shown{before};
    prepare_menu(&shown.browser, &shown.prepared);
    finish_menu_items(&shown.browser);

    // A reload whose response landed where the old one was.
    std::memcpy(shown.browser.current->content.get(), after.c_str(), after.size() + 1);
    forget_prepared_menu(&shown.prepared);
    prepare_menu(&shown.browser, &shown.prepared);
    finish_menu_items(&shown.browser);
    EXPECT_STREQ(shown.browser.items[0].display, "New 1");
    expect_fresh_build(shown.browser, "after the fetch");
}

TEST(PreparedMenu, AnotherPageIsParsed) {
    Shown shown{numbered_menu(30, "First")};
    prepare_menu(&shown.browser, &shown.prepared);
    finish_menu_items(&shown.browser);

    push_page(&shown.browser, "beta.lan", 7070, "", '1');
    shown.browser.current->content = content_of(numbered_menu(25, "Second"));
    prepare_menu(&shown.browser, &shown.prepared);
    finish_menu_items(&shown.browser);
    EXPECT_STREQ(shown.browser.items[0].display, "Second 1");
    expect_fresh_build(shown.browser, "second page");

    go_back(&shown.browser);
    prepare_menu(&shown.browser, &shown.prepared);
    finish_menu_items(&shown.browser);
    EXPECT_STREQ(shown.browser.items[0].display, "First 1");
    expect_fresh_build(shown.browser, "back");
}

} // namespace
