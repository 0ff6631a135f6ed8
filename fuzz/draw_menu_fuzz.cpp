// Drawing a menu page at any window size and scroll position the program can reach, with the
// movement of the selection in between.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "fuzz_check.hpp"
#include "gopher/menu.hpp"
#include "nav/bounded_copy.hpp"
#include "nav/page.hpp"
#include "ui/geometry.hpp"
#include "ui/menu_selection.hpp"
#include "ui/menu_view.hpp"

namespace {

int index_of_selected(const Browser& browser) {
    for (int i = 0; i < browser.item_count; ++i) {
        const MenuItem& item = browser.items[static_cast<std::size_t>(i)];
        if (item.selectable && item.ordinal == browser.selected) {
            return i;
        }
    }
    return -1;
}

void check_move(Browser& browser, unsigned char key) {
    const int old_selected = browser.selected;
    const int old_top = browser.menu_top;
    move_selection(&browser, key);
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
    // menu_top survives a reload that yields fewer items, so it can lie past the end.
    const int top = input.ConsumeIntegralInRange<int>(0, 1 << 20);
    const int selected_pick = input.ConsumeIntegral<int>();

    // The header bar shows the page's URL; a page pushed from a menu line has any port.
    Page page{};
    page.port = input.ConsumeIntegral<int>();
    page.type = input.ConsumeIntegral<char>();
    copy_bounded(page.host, input.ConsumeRandomLengthString(300).c_str(), 255);
    copy_bounded(page.selector, input.ConsumeRandomLengthString(1100).c_str(), 1023);
    const std::string keys = input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 8));
    const std::string content = input.ConsumeRemainingBytesAsString();
    browser.current = &page;
    browser.running = 1;

    build_menu_items(&browser, content.c_str());
    browser.menu_top = top <= browser.item_count + 300 ? top : top % (browser.item_count + 301);
    if (browser.selectable_count > 0) {
        browser.selected = 1 + static_cast<int>(static_cast<unsigned>(selected_pick) %
                                                static_cast<unsigned>(browser.selectable_count));
    }

    // The order of the view's loop: draw, then a movement key and a draw again.
    draw_menu(&browser);
    for (const char key : keys) {
        check_move(browser, static_cast<unsigned char>(key));
        draw_menu(&browser);
    }
    return 0;
}
