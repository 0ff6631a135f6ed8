// The record of the page on screen: kept while the same content of the same page comes back,
// started afresh for any other page or fetch, against a fresh build.
#include "nav/shown_page.hpp"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "support/browser_fixture.hpp"
#include "support/reference.hpp"
#include "support/stdio_swap.hpp"
#include "ui/text_view.hpp"

namespace {

std::string numbered_menu(int lines, const char* word) {
    std::string menu;
    for (int n = 1; n <= lines; ++n) {
        menu += (n % 4 == 0 ? "i" : "0") + std::string(word) + " " + std::to_string(n) + "\t/s/" +
                std::to_string(n) + "\tbeta.lan\t70\r\n";
    }
    return menu;
}

// 80x24: 20 content rows.
struct Shown : OwnedBrowser {
    explicit Shown(const std::string& menu) : OwnedBrowser("alpha.lan", 70, "", '1') {
        window(24);
        give_content(menu);
    }
    void prepare() { prepare_shown_page(&browser, &shown, 1); }
    void finish() { finish_menu_items(&browser, &shown.build); }
    std::string display(int i) const { return std::string(menu_item_display(item(i), content())); }
};

// The browser's items are those that build_menu_items makes from the current content.
void expect_fresh_build(const Browser& browser, const std::string& label) {
    const char* content = browser.current->content.get();
    const char* host = browser.current->host;
    Browser fresh{};
    fresh.current = browser.current;
    build_menu_items(&fresh, content);
    ASSERT_EQ(browser.item_count, fresh.item_count) << label;
    EXPECT_EQ(browser.selectable_count, fresh.selectable_count) << label;
    EXPECT_EQ(reference::written_out(browser, content, host),
              reference::written_out(fresh, content, host))
        << label;
    fresh.current = nullptr;
}

TEST(ShownPage, FirstScreenFirstThenTheWholeMenu) {
    Shown shown{numbered_menu(100, "Item")};
    shown.browser.menu_top = 10;
    shown.prepare();
    EXPECT_EQ(shown.browser.item_count, 30); // up to the last row of the screen at menu_top
    shown.finish();
    EXPECT_EQ(shown.browser.item_count, 100);
    expect_fresh_build(shown.browser, "first pass");
}

TEST(ShownPage, SameContentKeepsTheItemsAndTheSelection) {
    Shown shown{numbered_menu(100, "Item")};
    shown.prepare();
    shown.finish();
    const MenuItem* items = shown.browser.items.get();
    shown.browser.selected = 7;
    shown.browser.menu_top = 12;

    shown.prepare();
    EXPECT_EQ(shown.browser.items.get(), items); // not parsed again
    EXPECT_EQ(shown.browser.selected, 7);
    EXPECT_EQ(shown.browser.menu_top, 12);
    expect_fresh_build(shown.browser, "second pass");
}

TEST(ShownPage, AnotherPageIsParsed) {
    Shown shown{numbered_menu(30, "First")};
    shown.prepare();
    shown.finish();

    push_page(&shown.browser, "beta.lan", 7070, "", '1');
    shown.give_content(numbered_menu(25, "Second"));
    shown.prepare();
    shown.finish();
    EXPECT_EQ(shown.display(0), "Second 1");
    expect_fresh_build(shown.browser, "second page");

    go_back(&shown.browser);
    shown.prepare();
    shown.finish();
    EXPECT_EQ(shown.display(0), "First 1");
    expect_fresh_build(shown.browser, "back");
}

// What a view would show from a record that outlived its content: the build's progress, the
// menu's layout and place, the line count and the last frame's position all start afresh.
void expect_fresh_record(const Shown& shown, int first_screen, const std::string& label) {
    EXPECT_EQ(shown.browser.item_count, first_screen) << label << ": items parsed anew";
    EXPECT_FALSE(shown.shown.placed) << label;
    EXPECT_EQ(shown.shown.text_lines, -1) << label;
    EXPECT_EQ(shown.shown.position.at, nullptr) << label;
}

// Leaves state behind in every part of the record: a finished build, a place low in the menu,
// a text count and position.
void use_record(Shown& shown) {
    shown.prepare();
    shown.finish();
    shown.shown.placed = true;
    shown.shown.place = MenuPlace{30, 37};
    shown.shown.text_lines = 5;
    shown.shown.position = TextPosition{shown.content(), 2, shown.content() + 3};
    shown.browser.selected = 9;
}

TEST(ShownPage, AReloadOfIdenticalBytesStartsAfresh) {
    const std::string menu = numbered_menu(60, "Same");
    Shown shown{menu};
    use_record(shown);
    reload_page(&shown.browser);
    shown.give_content(menu);
    shown.prepare();
    expect_fresh_record(shown, 20, "reload");
    shown.finish();
    expect_fresh_build(shown.browser, "reload");
}

TEST(ShownPage, BackAndForwardBetweenIdenticalContentsStartAfresh) {
    const std::string menu = numbered_menu(60, "Twin");
    Shown shown{menu};
    push_page(&shown.browser, "beta.lan", 70, "", '1');
    shown.give_content(menu);
    for (const char* step : {"back", "forward", "back"}) {
        use_record(shown);
        if (std::strcmp(step, "back") == 0) {
            go_back(&shown.browser);
        } else {
            go_forward(&shown.browser);
        }
        shown.prepare();
        expect_fresh_record(shown, 20, step);
        shown.finish();
        expect_fresh_build(shown.browser, step);
    }
}

TEST(ShownPage, AFetchIntoTheAddressOfAFreedBufferStartsAfresh) {
    const std::string before = numbered_menu(40, "Old");
    const std::string after = numbered_menu(40, "New");
    ASSERT_EQ(before.size(), after.size());
    Shown shown{before};
    use_record(shown);

    // The new response in the very bytes of the old one, as an allocator may place it.
    char* bytes = shown.browser.current->content.release();
    std::memcpy(bytes, after.c_str(), after.size() + 1);
    shown.browser.current->content.reset(bytes);
    stamp_fetch(&shown.browser);
    shown.prepare();
    expect_fresh_record(shown, 20, "same address");
    EXPECT_EQ(shown.display(0), "New 1");
    shown.finish();
    expect_fresh_build(shown.browser, "after the fetch");
}

// The text view of a page reloaded with identical bytes counts and seeks anew: a stale position
// into the freed buffer would read freed memory, which the sanitizer reports.
TEST(ShownPage, ATextReloadedWithIdenticalBytesIsSeekedAnew) {
    std::string text;
    for (int n = 1; n <= 100; ++n) {
        text += "line " + std::to_string(n) + "\n";
    }
    OwnedBrowser page("alpha.lan", 70, "/t", '0');
    page.window(24);
    page.browser.running = 1;
    page.give_content(text);
    page.browser.text_top = 50;
    prepare_shown_page(&page.browser, &page.shown, 0);
    std::string first;
    {
        StdioSwap stdio("b");
        ASSERT_EQ(text_view_loop(&page.browser, &page.shown), 1);
        first = stdio.output();
    }
    reload_page(&page.browser);
    page.give_content(text);
    prepare_shown_page(&page.browser, &page.shown, 0);
    EXPECT_EQ(page.shown.position.at, nullptr);
    EXPECT_EQ(page.shown.text_lines, -1);
    StdioSwap stdio("b");
    ASSERT_EQ(text_view_loop(&page.browser, &page.shown), 1);
    EXPECT_EQ(stdio.output(), first);
}

} // namespace
