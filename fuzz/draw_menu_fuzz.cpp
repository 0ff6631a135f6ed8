// A menu page as the browse loop and the menu view handle it: the first screen built and drawn
// before the rest, then movement keys, passes that keep the items, reloads and resizes, at any
// window size and scroll position the program can reach.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.hpp"
#include "gopher/bounded_copy.hpp"
#include "gopher/menu.hpp"
#include "gopher/menu_items.hpp"
#include "nav/shown_page.hpp"
#include "support/reference.hpp"
#include "ui/geometry.hpp"
#include "ui/menu_selection.hpp"
#include "ui/menu_view.hpp"

namespace {

// The browser holds the first `count` items of the whole menu, and nothing else.
void check_items(const Browser& browser, const Browser& whole, int count) {
    FUZZ_CHECK(browser.item_count == count);
    const char* content = browser.current->content.get();
    const char* host = browser.current->host;
    int selectable = 0;
    for (int i = 0; i < count; ++i) {
        const auto at = static_cast<std::size_t>(i);
        FUZZ_CHECK(reference::written_out(browser.items[at], content, host) ==
                   reference::written_out(whole.items[at], content, host));
        selectable += browser.items[at].selectable;
    }
    FUZZ_CHECK(browser.selectable_count == selectable);
}

int index_of_selected(const Browser& browser) {
    for (int i = 0; i < browser.item_count; ++i) {
        const MenuItem& item = browser.items[static_cast<std::size_t>(i)];
        if (item.selectable && item.ordinal == browser.selected) {
            return i;
        }
    }
    return -1;
}

void check_move(Browser& browser, ShownPage& shown, unsigned char key) {
    const int old_selected = browser.selected;
    const int old_top = browser.menu_top;
    move_selection(&browser, &shown, key);
    FUZZ_CHECK(browser.menu_top >= 0);
    if (browser.selectable_count == 0) {
        FUZZ_CHECK(browser.selected == old_selected && browser.menu_top == old_top);
        return;
    }
    FUZZ_CHECK(browser.selected >= 1 && browser.selected <= browser.selectable_count);
    // The selected item is brought onto the content rows; with none, just past the top.
    const int index = index_of_selected(browser);
    FUZZ_CHECK(index >= 0);
    const int page = menu_page_size(browser.winsize.ws_row);
    if (page > 0) {
        FUZZ_CHECK(browser.menu_top <= index && index < browser.menu_top + page);
    } else {
        FUZZ_CHECK(browser.menu_top == (index < old_top ? index : index + 1));
    }
}

Content copy_of(const std::string& text) {
    // Exact size, so that a read past the NUL is caught.
    Content content{static_cast<char*>(std::malloc(text.size() + 1))};
    std::memcpy(content.get(), text.c_str(), text.size() + 1);
    return content;
}

// One pass of the browse loop over a menu, up to the key that ends the view.
void check_pass(Browser& browser, ShownPage& shown, const Browser& whole) {
    const bool kept = shown.key == ShownKey{browser.current, browser.current->fetch};
    const long first_screen =
        static_cast<long>(browser.menu_top) + menu_page_size(browser.winsize.ws_row);
    prepare_shown_page(&browser, &shown, 1);
    FUZZ_CHECK(browser.selected == 1);
    check_items(browser, whole,
                kept || first_screen >= whole.item_count ? whole.item_count
                                                         : static_cast<int>(first_screen));
    draw_menu(&browser);
    finish_menu_items(&browser, &shown.build);
    check_items(browser, whole, whole.item_count);
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    // The screen is not under test here, only that drawing survives.
    if (std::freopen("/dev/null", "w", stdout) == nullptr) {
        std::abort();
    }
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Browser browser{};
    browser.winsize.ws_row = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    browser.winsize.ws_col = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    const int top = input.ConsumeIntegralInRange<int>(0, 1 << 20);

    // The header bar shows the page's URL; a page pushed from a menu line has any port.
    Page page{};
    page.port = input.ConsumeIntegral<int>();
    page.type = input.ConsumeIntegral<char>();
    copy_bounded(page.host, input.ConsumeRandomLengthString(300).c_str(), 255);
    copy_bounded(page.selector, input.ConsumeRandomLengthString(1100).c_str(), 1023);
    const std::string keys = input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 12));
    const std::string text = input.ConsumeRemainingBytesAsString();
    page.content = copy_of(text);
    browser.current = &page;
    stamp_fetch(&browser);
    browser.running = 1;

    Browser whole{};
    whole.current = &page;
    build_menu_items(&whole, page.content.get());

    // menu_top survives a reload that yields fewer items, so it can lie past the end.
    browser.menu_top = top <= whole.item_count + 300 ? top : top % (whole.item_count + 301);
    ShownPage shown;
    check_pass(browser, shown, whole);
    for (const char byte : keys) {
        const auto key = static_cast<unsigned char>(byte);
        if (key < 0x10) {
            // A single-byte key ends the view; the next pass keeps the items.
            check_pass(browser, shown, whole);
        } else if (key < 0x20) {
            // A reload: the same bytes fetched again into a new buffer.
            page.content.reset();
            page.content = copy_of(text);
            stamp_fetch(&browser);
            check_pass(browser, shown, whole);
        } else if (key < 0x30) {
            // A resize, drawn at once; selection and scroll position stay.
            browser.winsize.ws_row = static_cast<unsigned short>((key & 0x0f) * 20);
            draw_menu(&browser);
        } else {
            check_move(browser, shown, key);
            draw_menu(&browser);
        }
    }
    return 0;
}
