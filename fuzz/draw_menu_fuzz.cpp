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
#include "nav/menu_movement.hpp"
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

// What holds after every step of the view: the screen within the menu and full while rows
// remain, the browser following the record's place, and the marker on screen whenever a link is.
void check_place(const Browser& browser, const ShownPage& shown) {
    const int rows = content_rows(browser.winsize.ws_row);
    const MenuPlace place = shown.place;
    FUZZ_CHECK(shown.placed && browser.menu_top == place.top);
    FUZZ_CHECK(place.top >= 0);
    if (rows > 0) {
        FUZZ_CHECK(place.top <= (browser.item_count > rows ? browser.item_count - rows : 0));
    }
    if (shown.layout.first_link < 0) {
        FUZZ_CHECK(place.selected == -1);
        return;
    }
    FUZZ_CHECK(place.selected >= 0 && place.selected < browser.item_count);
    const MenuItem& selected = browser.items[static_cast<std::size_t>(place.selected)];
    FUZZ_CHECK(selected.selectable && selected.ordinal == browser.selected);
    if (!marker_on_screen(place, rows)) {
        for (int row = place.top; row < place.top + rows && row < browser.item_count; ++row) {
            FUZZ_CHECK(!browser.items[static_cast<std::size_t>(row)].selectable);
        }
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
        static_cast<long>(browser.menu_top) + content_rows(browser.winsize.ws_row);
    const int selected = browser.selected;
    prepare_shown_page(&browser, &shown, 1);
    FUZZ_CHECK(browser.selected == selected);
    check_items(browser, whole,
                kept || first_screen >= whole.item_count ? whole.item_count
                                                         : static_cast<int>(first_screen));
    if (!shown.placed) {
        // As the view does: a first screen drawn while the rest waits, then the place.
        if (shown.build.content != nullptr) {
            draw_menu(&browser);
            finish_menu_items(&browser, &shown.build);
        }
        place_menu(&browser, &shown);
    } else if (shown.place_rows != content_rows(browser.winsize.ws_row)) {
        fit_menu_to_window(&browser, &shown);
    }
    check_items(browser, whole, whole.item_count);
    check_place(browser, shown);
    draw_menu(&browser);
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
            // A command that shows the same page: the next pass keeps items and place.
            check_pass(browser, shown, whole);
        } else if (key < 0x20) {
            // A reload: the same bytes fetched again into a new buffer.
            page.content.reset();
            page.content = copy_of(text);
            stamp_fetch(&browser);
            check_pass(browser, shown, whole);
        } else if (key < 0x30) {
            // A resize, drawn at once; the selected link stays on screen.
            browser.winsize.ws_row = static_cast<unsigned short>((key & 0x0f) * 20);
            fit_menu_to_window(&browser, &shown);
            check_place(browser, shown);
            draw_menu(&browser);
        } else {
            const Key keys[] = {Key::up,   Key::down, Key::page_up, Key::page_down,
                                Key::home, Key::end,  Key::ignored};
            move_menu(&browser, &shown, keys[key % 7]);
            check_place(browser, shown);
            draw_menu(&browser);
        }
    }
    return 0;
}
