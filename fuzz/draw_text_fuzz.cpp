// Drawing a text page at any window size and scroll position the program can reach, with the
// scrolling of the text view in between.
#include <fuzzer/FuzzedDataProvider.h>

#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "fuzz_check.hpp"
#include "nav/line_count.hpp"
#include "nav/page.hpp"
#include "ui/geometry.hpp"
#include "ui/text_view.hpp"

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
    // A reload keeps text_top, so it can lie anywhere past the end of a shorter text.
    browser.text_top = input.ConsumeBool() ? input.ConsumeIntegralInRange<int>(0, 400)
                                           : input.ConsumeIntegralInRange<int>(0, INT_MAX);
    const std::string keys = input.ConsumeBytesAsString(input.ConsumeIntegralInRange(0, 8));
    const std::string text = input.ConsumeRemainingBytesAsString();

    Page page{};
    std::strcpy(page.host, "alpha.lan");
    page.port = 70;
    std::strcpy(page.selector, "/notes.txt");
    page.type = '0';
    // The page's content is a C string; an exact-size copy catches reads past its NUL.
    const std::size_t length = strnlen(text.c_str(), text.size());
    page.content.reset(static_cast<char*>(std::malloc(length + 1)));
    std::memcpy(page.content.get(), text.c_str(), length);
    page.content[length] = '\0';
    browser.current = &page;
    browser.running = 1;

    // The order of the view's loop: draw, count, bound, then a key and a draw again.
    draw_text(&browser, page.content.get());
    for (const char key : keys) {
        count_lines(&browser, page.content.get());
        FUZZ_CHECK(browser.text_lines >= 0);
        const int visible = text_visible_rows(browser.winsize.ws_row);
        browser.text_top = bound_text_top(browser.text_top, browser.text_lines, visible);
        const int last_top = browser.text_lines > visible ? browser.text_lines - visible : 0;
        FUZZ_CHECK(browser.text_top >= 0 && browser.text_top <= last_top);
        browser.text_top =
            scroll_text_top(browser.text_top, static_cast<unsigned char>(key), visible);
        FUZZ_CHECK(browser.text_top >= 0);
        draw_text(&browser, page.content.get());
    }
    return 0;
}
