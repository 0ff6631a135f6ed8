// The history of visited pages.
#include "nav/history.hpp"

#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "support/browser_fixture.hpp"

namespace {

// Frees the history and the items however a test ends; the sanitizer reports anything left.
using History = OwnedBrowser;

// Opens a page as the browse loop does once its content has arrived.
void visit(Browser* browser, const char* host, const char* content = "",
           const char* selector = "") {
    push_page(browser, host, 70, selector, '1');
    accept_fetched(browser, Content{strdup(content)});
}

TEST(History, PushOnEmptyHistoryMakesTheOnlyPage) {
    History h;
    h.browser.selected = 5;
    h.browser.menu_top = 3;
    h.browser.text_top = 9;
    h.browser.item_count = 4;
    push_page(&h.browser, "alpha.lan", 70, "/dir", '1');
    EXPECT_EQ(h.browser.current, nullptr) << "nothing is linked before the content arrives";
    accept_fetched(&h.browser, Content{strdup("")});
    const Page* page = h.browser.current;
    ASSERT_NE(page, nullptr);
    EXPECT_STREQ(page->host, "alpha.lan");
    EXPECT_EQ(page->port, 70);
    EXPECT_STREQ(page->selector, "/dir");
    EXPECT_EQ(page->type, '1');
    EXPECT_STREQ(page->content.get(), "");
    EXPECT_EQ(page->prev, nullptr);
    EXPECT_EQ(page->next, nullptr);
    EXPECT_EQ(h.browser.selected, 1);
    EXPECT_EQ(h.browser.menu_top, 0);
    EXPECT_EQ(h.browser.text_top, 0);
    EXPECT_EQ(h.browser.item_count, 4) << "push leaves the items alone";
}

TEST(History, CutsOverlongHostAndSelector) {
    History h;
    const std::string host(300, 'h');
    const std::string selector(2000, 's');
    push_page(&h.browser, host.c_str(), 70, selector.c_str(), '0');
    EXPECT_EQ(std::string(page_to_fetch(&h.browser)->host), host.substr(0, 255));
    EXPECT_EQ(std::string(page_to_fetch(&h.browser)->selector), selector.substr(0, 1023));
}

TEST(History, BackAndForwardStopAtTheEnds) {
    History h;
    visit(&h.browser, "a.lan");
    Page* first = h.browser.current;
    visit(&h.browser, "b.lan");
    Page* second = h.browser.current;
    EXPECT_EQ(first->next, second);
    EXPECT_EQ(second->prev, first);

    h.browser.selected = 3;
    h.browser.menu_top = 2;
    h.browser.text_top = 7;
    go_forward(&h.browser);
    EXPECT_EQ(h.browser.current, second);
    EXPECT_EQ(h.browser.selected, 3);
    EXPECT_EQ(h.browser.menu_top, 2);
    EXPECT_EQ(h.browser.text_top, 7);

    go_back(&h.browser);
    EXPECT_EQ(h.browser.current, first);
    EXPECT_EQ(h.browser.selected, 1);
    EXPECT_EQ(h.browser.menu_top, 0);
    EXPECT_EQ(h.browser.text_top, 0);

    h.browser.selected = 5;
    go_back(&h.browser);
    EXPECT_EQ(h.browser.current, first);
    EXPECT_EQ(h.browser.selected, 5);
}

// Each page keeps where the user left it; a page pushed starts at its top.
TEST(History, BackAndForwardShowWhereTheUserWas) {
    History h;
    visit(&h.browser, "a.lan");
    h.browser.selected = 4;
    h.browser.menu_top = 2;
    visit(&h.browser, "b.lan");
    EXPECT_EQ(h.browser.selected, 1);
    EXPECT_EQ(h.browser.menu_top, 0);
    EXPECT_EQ(h.browser.text_top, 0);
    h.browser.text_top = 40;

    go_back(&h.browser);
    EXPECT_EQ(h.browser.selected, 4);
    EXPECT_EQ(h.browser.menu_top, 2);
    EXPECT_EQ(h.browser.text_top, 0);
    h.browser.selected = 6;
    go_forward(&h.browser);
    EXPECT_EQ(h.browser.text_top, 40);
    EXPECT_EQ(h.browser.selected, 1);
    go_back(&h.browser);
    EXPECT_EQ(h.browser.selected, 6);

    // A page pushed again in place of the newer one starts at its top.
    visit(&h.browser, "b.lan");
    EXPECT_EQ(h.browser.text_top, 0);
}

TEST(History, BackShowsTheStoredContentAgain) {
    History h;
    visit(&h.browser, "a.lan", "first page");
    visit(&h.browser, "b.lan");
    go_back(&h.browser);
    ASSERT_NE(h.browser.current->content, nullptr);
    EXPECT_STREQ(h.browser.current->content.get(), "first page");
}

TEST(History, PushAfterGoingBackFreesTheNewerPages) {
    History h;
    for (const char* host : {"a.lan", "b.lan", "c.lan"}) {
        visit(&h.browser, host, host);
    }
    go_back(&h.browser);
    go_back(&h.browser);
    Page* first = h.browser.current;
    visit(&h.browser, "d.lan");
    // b and c are gone with their contents; the leak checker would report them otherwise.
    EXPECT_EQ(first->next, h.browser.current);
    EXPECT_EQ(h.browser.current->prev, first);
    EXPECT_EQ(h.browser.current->next, nullptr);
    EXPECT_STREQ(h.browser.current->host, "d.lan");
    go_forward(&h.browser);
    EXPECT_STREQ(h.browser.current->host, "d.lan");
}

TEST(History, FreeingFromTheMiddleFreesTheWholeList) {
    Browser browser{};
    for (const char* host : {"a.lan", "b.lan", "c.lan"}) {
        visit(&browser, host, host);
    }
    go_back(&browser);
    free_history(browser.current);
    free_history(nullptr);
    free_forward_history(nullptr);
    // Nothing to assert: a page left behind is a leak the sanitizer reports.
}

TEST(History, SamePageOpenedTwiceGivesTwoPages) {
    History h;
    visit(&h.browser, "a.lan", "", "/x");
    Page* first = h.browser.current;
    visit(&h.browser, "a.lan", "", "/x");
    EXPECT_NE(h.browser.current, first);
    EXPECT_EQ(h.browser.current->prev, first);
}

// a, b, c with contents, the current page moved back to b: c is the forward history.
void three_pages_back_at_b(Browser* browser) {
    for (const char* host : {"a.lan", "b.lan", "c.lan"}) {
        visit(browser, host, host);
    }
    go_back(browser);
}

TEST(History, RequestedPageEntersOnlyOnceFetched) {
    History h;
    three_pages_back_at_b(&h.browser);
    Page* b = h.browser.current;
    Page* c = b->next;
    h.browser.selected = 4;
    push_page(&h.browser, "d.lan", 71, "/d", '0');
    const Page* wanted = page_to_fetch(&h.browser);
    ASSERT_NE(wanted, nullptr);
    EXPECT_STREQ(wanted->host, "d.lan");
    EXPECT_EQ(wanted->port, 71);
    EXPECT_EQ(h.browser.current, b) << "nothing moves before the content is there";
    EXPECT_EQ(b->next, c);

    accept_fetched(&h.browser, Content{strdup("d content")});
    Page* d = h.browser.current;
    EXPECT_STREQ(d->host, "d.lan");
    EXPECT_STREQ(d->content.get(), "d content");
    EXPECT_EQ(d->prev, b);
    EXPECT_EQ(b->next, d) << "the forward history goes when the new page comes";
    EXPECT_EQ(d->next, nullptr);
    EXPECT_EQ(h.browser.selected, 1);
    EXPECT_EQ(page_to_fetch(&h.browser), nullptr);
}

TEST(History, FailedRequestOrReloadLeavesTheHistoryAsItWas) {
    History h;
    three_pages_back_at_b(&h.browser);
    Page* b = h.browser.current;
    Page* c = b->next;
    h.browser.selected = 3;
    h.browser.menu_top = 2;
    for (const bool reload : {false, true}) {
        SCOPED_TRACE(reload ? "reload" : "new page");
        if (reload) {
            reload_page(&h.browser);
            EXPECT_EQ(page_to_fetch(&h.browser), b);
        } else {
            push_page(&h.browser, "d.lan", 70, "", '1');
        }
        drop_fetch(&h.browser);
        EXPECT_EQ(page_to_fetch(&h.browser), nullptr);
        EXPECT_EQ(h.browser.current, b);
        EXPECT_STREQ(b->content.get(), "b.lan");
        EXPECT_EQ(h.browser.selected, 3);
        EXPECT_EQ(h.browser.menu_top, 2);
        go_forward(&h.browser);
        EXPECT_EQ(h.browser.current, c) << "forward still goes where it went";
        go_back(&h.browser);
        h.browser.selected = 3;
        h.browser.menu_top = 2;
    }
}

TEST(History, ReloadKeepsTheOldContentUntilTheNewArrives) {
    History h;
    three_pages_back_at_b(&h.browser);
    Page* b = h.browser.current;
    h.browser.selected = 3;
    h.browser.menu_top = 2;
    h.browser.text_top = 6;
    reload_page(&h.browser);
    EXPECT_STREQ(b->content.get(), "b.lan");
    accept_fetched(&h.browser, Content{strdup("b again")});
    EXPECT_EQ(h.browser.current, b);
    EXPECT_STREQ(b->content.get(), "b again");
    EXPECT_EQ(h.browser.selected, 3);
    EXPECT_EQ(h.browser.menu_top, 2);
    EXPECT_EQ(h.browser.text_top, 6);
    ASSERT_NE(b->next, nullptr) << "a reload keeps the forward history";
    EXPECT_EQ(page_to_fetch(&h.browser), nullptr);
}

TEST(History, ThePushedPageOrTheReloadedOneIsTheOneToFetch) {
    History h;
    EXPECT_EQ(page_to_fetch(&h.browser), nullptr);
    push_page(&h.browser, "a.lan", 70, "", '1');
    accept_fetched(&h.browser, Content{strdup("a")});
    EXPECT_EQ(h.browser.current->prev, nullptr);
    reload_page(&h.browser);
    EXPECT_EQ(page_to_fetch(&h.browser), h.browser.current);
}

} // namespace
