// The record of the page on screen: kept while the same content of the same page comes back,
// started afresh for any other page or fetch, against a fresh build.
#include "nav/shown_page.hpp"

#include <cstdlib>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "nav/history.hpp"
#include "support/frame_text.hpp"
#include "support/menu_build.hpp"
#include "support/model_fixture.hpp"
#include "support/reference.hpp"
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

// 80x24: 20 content rows. The record is prepared and finished by hand here, as the update
// step does it around the first frame.
struct Shown : ModelFixture {
    explicit Shown(const std::string& menu) : ModelFixture("alpha.lan", 70, "", '1') {
        window(24);
        store(menu);
    }
    // The content of the page asked for, as a fetch stores it, without showing it.
    void store(const std::string& text) {
        remember_place(model.shown, model.history.current);
        accept_fetched(&model.history, content_of(text));
    }
    void prepare() { prepare_shown_page(&model.shown, model.history.current, 20); }
    void finish() { finish_menu_items(&model.shown.items, &model.shown.build); }
    int item_count() const { return ::item_count(model.shown.items); }
    std::string display(int i) const { return std::string(menu_item_display(item(i), content())); }
};

// The record's items are those that build_menu_items makes from the current content.
void expect_fresh_build(const Model& model, const std::string& label) {
    const char* content = model.history.current->content.get();
    const char* host = model.history.current->address.host.c_str();
    MenuItems fresh;
    build_menu_items(&fresh, content, host, model.history.current->address.port);
    ASSERT_EQ(item_count(model.shown.items), item_count(fresh)) << label;
    EXPECT_EQ(model.shown.items.selectable_count, fresh.selectable_count) << label;
    EXPECT_EQ(reference::written_out(model.shown.items, content, host),
              reference::written_out(fresh, content, host))
        << label;
}

TEST(ShownPage, FirstScreenFirstThenTheWholeMenu) {
    Shown shown{numbered_menu(100, "Item")};
    shown.model.history.current->menu_top = 10; // kept from a visit before
    shown.prepare();
    EXPECT_EQ(shown.item_count(), 30); // up to the last row of the screen at the kept top
    shown.finish();
    EXPECT_EQ(shown.item_count(), 100);
    expect_fresh_build(shown.model, "first pass");
}

TEST(ShownPage, SameContentKeepsTheItemsAndTheSelection) {
    Shown shown{numbered_menu(100, "Item")};
    shown.prepare();
    shown.finish();
    const MenuItem* items = shown.model.shown.items.items.data();
    shown.model.shown.kept_selected = 7;
    shown.model.shown.kept_top = 12;

    shown.prepare();
    EXPECT_EQ(shown.model.shown.items.items.data(), items); // not parsed again
    EXPECT_EQ(shown_selected_ordinal(shown.model.shown), 7);
    EXPECT_EQ(shown_menu_top(shown.model.shown), 12);
    expect_fresh_build(shown.model, "second pass");
}

TEST(ShownPage, AnotherPageIsParsed) {
    Shown shown{numbered_menu(30, "First")};
    shown.prepare();
    shown.finish();

    push_page(&shown.model.history, address_of("beta.lan", 7070, "", '1'));
    shown.store(numbered_menu(25, "Second"));
    shown.prepare();
    shown.finish();
    EXPECT_EQ(shown.display(0), "Second 1");
    expect_fresh_build(shown.model, "second page");

    ASSERT_TRUE(go_back(&shown.model.history));
    shown.prepare();
    shown.finish();
    EXPECT_EQ(shown.display(0), "First 1");
    expect_fresh_build(shown.model, "back");
}

// What a view would show from a record that outlived its content: the build's progress, the
// menu's layout and place, the line count and the last frame's position all start afresh.
void expect_fresh_record(const Shown& shown, int first_screen, const std::string& label) {
    EXPECT_EQ(shown.item_count(), first_screen) << label << ": items parsed anew";
    EXPECT_FALSE(shown.model.shown.placed) << label;
    EXPECT_EQ(shown.model.shown.text_lines, -1) << label;
    EXPECT_FALSE(shown.model.shown.top.found) << label;
}

// Leaves state behind in every part of the record: a finished build, a place low in the menu,
// a text count and position.
void use_record(Shown& shown) {
    shown.prepare();
    shown.finish();
    shown.model.shown.placed = true;
    shown.model.shown.layout = menu_layout(
        {shown.model.shown.items.items.data(), static_cast<std::size_t>(shown.item_count())});
    shown.model.shown.place = MenuPlace{30, 37};
    shown.model.shown.text_lines = 5;
    shown.model.shown.top = {3, 2, 0, true};
    shown.model.history.current->selected = 9;
}

TEST(ShownPage, AReloadOfIdenticalBytesStartsAfresh) {
    const std::string menu = numbered_menu(60, "Same");
    Shown shown{menu};
    use_record(shown);
    reload_page(&shown.model.history);
    shown.store(menu);
    shown.prepare();
    // A reload keeps the place: the first screen runs from the kept first row, 30.
    expect_fresh_record(shown, 50, "reload");
    shown.finish();
    expect_fresh_build(shown.model, "reload");
}

TEST(ShownPage, BackAndForwardBetweenIdenticalContentsStartAfresh) {
    const std::string menu = numbered_menu(60, "Twin");
    Shown shown{menu};
    push_page(&shown.model.history, address_of("beta.lan", 70, "", '1'));
    shown.store(menu);
    for (const char* step : {"back", "forward", "back"}) {
        use_record(shown);
        if (std::strcmp(step, "back") == 0) {
            ASSERT_TRUE(go_back(&shown.model.history));
        } else {
            ASSERT_TRUE(go_forward(&shown.model.history));
        }
        shown.prepare();
        expect_fresh_record(shown, 20, step);
        shown.finish();
        expect_fresh_build(shown.model, step);
    }
}

TEST(ShownPage, AFetchIntoTheAddressOfAFreedBufferStartsAfresh) {
    const std::string before = numbered_menu(40, "Old");
    const std::string after = numbered_menu(40, "New");
    ASSERT_EQ(before.size(), after.size());
    Shown shown{before};
    use_record(shown);

    // The new response in the very bytes of the old one, as an allocator may place it.
    Page* page = shown.model.history.current;
    char* bytes = page->content.release();
    std::memcpy(bytes, after.c_str(), after.size() + 1);
    page->content.reset(bytes);
    page->fetch = ++shown.model.history.fetches; // as a fetch numbers what it stores
    shown.prepare();
    expect_fresh_record(shown, 20, "same address");
    EXPECT_EQ(shown.display(0), "New 1");
    shown.finish();
    expect_fresh_build(shown.model, "after the fetch");
}

// The text view of a page reloaded with identical bytes counts and seeks anew: a stale place in
// the old content would be read in the new one.
TEST(ShownPage, ATextReloadedWithIdenticalBytesIsSeekedAnew) {
    std::string text;
    for (int n = 1; n <= 100; ++n) {
        text += "line " + std::to_string(n) + "\n";
    }
    ModelFixture page("alpha.lan", 70, "/t", '0');
    page.window(24);
    page.give_content(text);
    page.model.shown.top = {0, 50, 0, false};
    show_current_page(&page.model); // bounded and sought as a key would
    ASSERT_TRUE(page.model.shown.top.found);
    ASSERT_EQ(page.model.shown.top.line, 50);
    Frame first = make_frame(24, 80);
    draw_text(page.model, &first);
    reload_page(&page.model.history);
    remember_place(page.model.shown, page.model.history.current);
    accept_fetched(&page.model.history, content_of(text));
    prepare_shown_page(&page.model.shown, page.model.history.current, 20);
    EXPECT_FALSE(page.model.shown.top.found);
    EXPECT_EQ(page.model.shown.top.line, 50);
    EXPECT_EQ(page.model.shown.text_lines, -1);
    show_current_page(&page.model);
    page.settle();
    Frame again = make_frame(24, 80);
    draw_text(page.model, &again);
    EXPECT_EQ(frame_text(again), frame_text(first));
    EXPECT_NE(frame_text(first).find("line 51"), std::string::npos);
}

} // namespace
