// The history of visited pages, and the place each page keeps in it.
#include "nav/history.hpp"

#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <string>

#include "nav/shown_page.hpp"
#include "support/model_fixture.hpp"

namespace {

// A menu of sixty links: long enough that every place the tests keep is within it.
std::string sixty_links() {
    std::string menu;
    for (int i = 0; i < 60; ++i) {
        menu += "1item\t/" + std::to_string(i) + "\tbeta.lan\t70\n";
    }
    return menu;
}

// The model, its history and the page on screen; freed however a test ends.
struct History : ModelFixture {
    History() { window(24); } // 20 content rows
    ::History& h() { return model.history; }
    Page* current() { return model.history.current; }
    // Where the user is on the page on screen: the selected link's ordinal, the first row of
    // the menu and the first line of a text.
    int selected() const { return shown_selected_ordinal(model.shown); }
    int menu_top() const { return shown_menu_top(model.shown); }
    int text_top() const { return static_cast<int>(model.shown.top.line); }
    // Puts the user there, as keys would have.
    void set_place(int selected, int menu_top, int text_top) {
        model.shown.placed = false;
        model.shown.kept_selected = selected;
        model.shown.kept_top = menu_top;
        model.shown.top = {0, text_top, 0, false};
        settle();
    }
    void back() {
        remember_place(model.shown, current());
        if (go_back(&model.history)) {
            show_current_page(&model);
            settle();
        }
    }
    void forward() {
        remember_place(model.shown, current());
        if (go_forward(&model.history)) {
            show_current_page(&model);
            settle();
        }
    }
    // Opens a page as the loop does once its content has arrived.
    void visit(const char* host, const std::string& content = sixty_links(),
               const char* selector = "") {
        push_page(&model.history, address_of(host, 70, selector, '1'));
        give_content(content);
    }
};

TEST(History, PushOnEmptyHistoryMakesTheOnlyPage) {
    History h;
    h.model.shown.top = {0, 9, 0, false};
    push_page(&h.h(), address_of("alpha.lan", 70, "/dir", '1'));
    EXPECT_EQ(h.current(), nullptr) << "nothing is linked before the content arrives";
    EXPECT_EQ(h.text_top(), 9) << "push leaves the page on screen alone";
    h.give_content("");
    const Page* page = h.current();
    ASSERT_NE(page, nullptr);
    EXPECT_EQ(page->address.host, "alpha.lan");
    EXPECT_EQ(page->address.port, 70);
    EXPECT_EQ(page->address.selector, "/dir");
    EXPECT_EQ(page->address.type, '1');
    EXPECT_STREQ(page->content.get(), "");
    EXPECT_EQ(page->prev, nullptr);
    EXPECT_EQ(page->next, nullptr);
    EXPECT_EQ(h.selected(), 1);
    EXPECT_EQ(h.menu_top(), 0);
    EXPECT_EQ(h.text_top(), 0);
}

TEST(History, CutsOverlongHostAndSelector) {
    History h;
    const std::string host(300, 'h');
    const std::string selector(2000, 's');
    push_page(&h.h(), address_of(host.c_str(), 70, selector.c_str(), '0'));
    EXPECT_EQ(page_to_fetch(&h.h())->address.host, host.substr(0, 255));
    EXPECT_EQ(page_to_fetch(&h.h())->address.selector, selector.substr(0, 1023));
}

TEST(History, BackAndForwardStopAtTheEnds) {
    History h;
    h.visit("a.lan");
    Page* first = h.current();
    h.visit("b.lan");
    Page* second = h.current();
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(second->prev, first);

    h.set_place(3, 2, 7);
    h.forward();
    EXPECT_EQ(h.current(), second);
    EXPECT_EQ(h.selected(), 3);
    EXPECT_EQ(h.menu_top(), 2);
    EXPECT_EQ(h.text_top(), 7);

    h.back();
    EXPECT_EQ(h.current(), first);
    EXPECT_EQ(h.selected(), 1);
    EXPECT_EQ(h.menu_top(), 0);
    EXPECT_EQ(h.text_top(), 0);

    h.set_place(5, h.menu_top(), h.text_top());
    h.back();
    EXPECT_EQ(h.current(), first);
    EXPECT_EQ(h.selected(), 5);
}

// A page shown over the current one joins nothing: uncovered, the list is as it was, and one
// still covering at the end is freed with the rest (the sanitizers see a leak or a double free).
TEST(History, CoveringPageLeavesTheListAsItWas) {
    for (const bool uncover : {true, false}) {
        History h;
        h.visit("a.lan");
        Page* first = h.current();
        h.visit("b.lan");
        Page* second = h.current();
        h.back();
        auto cover = std::make_unique<Page>();
        Page* covering = cover.get();
        cover_page(&h.h(), std::move(cover));
        EXPECT_EQ(h.current(), covering);
        EXPECT_EQ(h.h().below, first);
        EXPECT_EQ(covering->prev, nullptr);
        EXPECT_EQ(covering->next, nullptr);
        if (uncover) {
            uncover_page(&h.h());
            EXPECT_EQ(h.current(), first);
            EXPECT_EQ(h.h().below, nullptr);
            EXPECT_EQ(first->next, second);
            EXPECT_EQ(second->prev, first);
        }
    }
}

// Each page keeps where the user left it; a page pushed starts at its top.
TEST(History, BackAndForwardShowWhereTheUserWas) {
    History h;
    h.visit("a.lan");
    h.set_place(4, 2, h.text_top());
    h.visit("b.lan");
    EXPECT_EQ(h.selected(), 1);
    EXPECT_EQ(h.menu_top(), 0);
    EXPECT_EQ(h.text_top(), 0);
    h.set_place(h.selected(), h.menu_top(), 40);

    h.back();
    EXPECT_EQ(h.selected(), 4);
    EXPECT_EQ(h.menu_top(), 2);
    EXPECT_EQ(h.text_top(), 0);
    h.set_place(6, h.menu_top(), h.text_top());
    h.forward();
    EXPECT_EQ(h.text_top(), 40);
    EXPECT_EQ(h.selected(), 1);
    h.back();
    EXPECT_EQ(h.selected(), 6);

    // A page pushed again in place of the newer one starts at its top.
    h.visit("b.lan");
    EXPECT_EQ(h.text_top(), 0);
}

TEST(History, BackShowsTheStoredContentAgain) {
    History h;
    h.visit("a.lan", "first page");
    h.visit("b.lan");
    h.back();
    ASSERT_NE(h.current()->content, nullptr);
    EXPECT_STREQ(h.current()->content.get(), "first page");
}

TEST(History, PushAfterGoingBackFreesTheNewerPages) {
    History h;
    for (const char* host : {"a.lan", "b.lan", "c.lan"}) {
        h.visit(host, host);
    }
    h.back();
    h.back();
    Page* first = h.current();
    h.visit("d.lan");
    // b and c are gone with their contents; the leak checker would report them otherwise.
    EXPECT_EQ(first->next, h.current());
    EXPECT_EQ(h.current()->prev, first);
    EXPECT_EQ(h.current()->next, nullptr);
    EXPECT_EQ(h.current()->address.host, "d.lan");
    h.forward();
    EXPECT_EQ(h.current()->address.host, "d.lan");
}

TEST(History, FreeingFromTheMiddleFreesTheWholeList) {
    ::History history;
    for (const char* host : {"a.lan", "b.lan", "c.lan"}) {
        push_page(&history, address_of(host, 70, "", '1'));
        accept_fetched(&history, content_of(host));
    }
    go_back(&history);
    free_history(history.current);
    history.current = nullptr;
    free_history(nullptr);
    free_forward_history(nullptr);
    // Nothing to assert: a page left behind is a leak the sanitizer reports.
}

TEST(History, SamePageOpenedTwiceGivesTwoPages) {
    History h;
    h.visit("a.lan", "", "/x");
    Page* first = h.current();
    h.visit("a.lan", "", "/x");
    EXPECT_NE(h.current(), first);
    EXPECT_EQ(h.current()->prev, first);
}

// a, b, c with contents, the current page moved back to b: c is the forward history.
// Each page's content starts with a line naming its host.
void three_pages_back_at_b(History* h) {
    for (const char* host : {"a.lan", "b.lan", "c.lan"}) {
        h->visit(host, std::string("i") + host + "\n" + sixty_links());
    }
    h->back();
}

bool shows(const Page* page, const char* host) {
    return std::string_view(page->content.get()).starts_with(std::string("i") + host + "\n");
}

TEST(History, RequestedPageEntersOnlyOnceFetched) {
    History h;
    three_pages_back_at_b(&h);
    Page* b = h.current();
    Page* c = b->next;
    h.set_place(4, h.menu_top(), h.text_top());
    push_page(&h.h(), address_of("d.lan", 71, "/d", '0'));
    const Page* wanted = page_to_fetch(&h.h());
    ASSERT_NE(wanted, nullptr);
    EXPECT_EQ(wanted->address.host, "d.lan");
    EXPECT_EQ(wanted->address.port, 71);
    EXPECT_EQ(h.current(), b) << "nothing moves before the content is there";
    EXPECT_EQ(b->next, c);

    h.give_content("d content");
    Page* d = h.current();
    EXPECT_EQ(d->address.host, "d.lan");
    EXPECT_STREQ(d->content.get(), "d content");
    EXPECT_EQ(d->prev, b);
    EXPECT_EQ(b->next, d) << "the forward history goes when the new page comes";
    EXPECT_EQ(d->next, nullptr);
    EXPECT_EQ(h.selected(), 1);
    EXPECT_EQ(page_to_fetch(&h.h()), nullptr);
}

TEST(History, FailedRequestOrReloadLeavesTheHistoryAsItWas) {
    History h;
    three_pages_back_at_b(&h);
    Page* b = h.current();
    Page* c = b->next;
    h.set_place(3, 2, h.text_top());
    for (const bool reload : {false, true}) {
        SCOPED_TRACE(reload ? "reload" : "new page");
        if (reload) {
            reload_page(&h.h());
            EXPECT_EQ(page_to_fetch(&h.h()), b);
        } else {
            push_page(&h.h(), address_of("d.lan", 70, "", '1'));
        }
        drop_fetch(&h.h());
        EXPECT_EQ(page_to_fetch(&h.h()), nullptr);
        EXPECT_EQ(h.current(), b);
        EXPECT_TRUE(shows(b, "b.lan"));
        EXPECT_EQ(h.selected(), 3);
        EXPECT_EQ(h.menu_top(), 2);
        h.forward();
        EXPECT_EQ(h.current(), c) << "forward still goes where it went";
        h.back();
        h.set_place(3, 2, h.text_top());
    }
}

TEST(History, ReloadKeepsTheOldContentUntilTheNewArrives) {
    History h;
    three_pages_back_at_b(&h);
    Page* b = h.current();
    h.set_place(3, 2, 6);
    reload_page(&h.h());
    EXPECT_TRUE(shows(b, "b.lan"));
    h.give_content(std::string("b again\n") + sixty_links());
    EXPECT_EQ(h.current(), b);
    EXPECT_TRUE(std::string_view(b->content.get()).starts_with("b again\n"));
    EXPECT_EQ(h.selected(), 3);
    EXPECT_EQ(h.menu_top(), 2);
    EXPECT_EQ(h.text_top(), 6);
    ASSERT_NE(b->next, nullptr) << "a reload keeps the forward history";
    EXPECT_EQ(page_to_fetch(&h.h()), nullptr);
}

TEST(History, ThePushedPageOrTheReloadedOneIsTheOneToFetch) {
    History h;
    EXPECT_EQ(page_to_fetch(&h.h()), nullptr);
    push_page(&h.h(), address_of("a.lan", 70, "", '1'));
    h.give_content("a");
    EXPECT_EQ(h.current()->prev, nullptr);
    reload_page(&h.h());
    EXPECT_EQ(page_to_fetch(&h.h()), h.current());
}

} // namespace
