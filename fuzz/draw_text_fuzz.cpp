// A text page as the text view handles it: frames found from the previous frame's line, drawn
// at any window size and scroll position the program can reach, with scrolling, jumps (a
// reload keeps text_top) and resizes in between.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "fuzz_check.hpp"
#include "nav/line_count.hpp"
#include "nav/shown_page.hpp"
#include "nav/text_position.hpp"
#include "support/reference.hpp"
#include "ui/geometry.hpp"
#include "ui/text_view.hpp"

namespace {

// The input, or for a long page (one pick in four, since it costs a hundred short ones) the
// input repeated to a little under or over 64 KiB, so that frames are found across the seam
// between the pieces long texts are scanned in.
std::string page_text(std::string text, unsigned pick) {
    if (pick < 192 || text.empty()) {
        return text;
    }
    const std::size_t length = 65536 - 32 + pick % 32 * 2;
    while (text.size() < length) {
        text += text;
    }
    text.resize(length);
    return text;
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
    // A reload keeps text_top, so it can lie anywhere past the end of a shorter text.
    browser.text_top = input.ConsumeBool() ? input.ConsumeIntegralInRange<int>(0, 400)
                                           : input.ConsumeIntegralInRange<int>(0, INT_MAX);
    const unsigned long_pick = input.ConsumeIntegral<std::uint8_t>();
    const std::string steps = input.ConsumeBytesAsString(2 * input.ConsumeIntegralInRange(0, 16));
    const std::string text = page_text(input.ConsumeRemainingBytesAsString(), long_pick);

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
    const char* content = page.content.get();
    browser.current = &page;
    browser.running = 1;

    // The order of the view's loop: draw, count, then at every cycle the bound, a step and a
    // draw again. Each frame is found from the previous one's position.
    TextPosition position;
    const auto redraw = [&] {
        const char* expected = reference::skip_lines(content, browser.text_top);
        FUZZ_CHECK(seek_line(&position, content, browser.text_top) == expected);
        // A record of its own, so that the frame is found from the top.
        ShownPage fresh;
        draw_text(&browser, &fresh);
    };
    redraw();
    count_lines(&browser, content);
    FUZZ_CHECK(browser.text_lines >= 0);
    for (std::size_t at = 0; at + 1 < steps.size(); at += 2) {
        const int visible = text_visible_rows(browser.winsize.ws_row);
        browser.text_top = bound_text_top(browser.text_top, browser.text_lines, visible);
        const int last_top = browser.text_lines > visible ? browser.text_lines - visible : 0;
        FUZZ_CHECK(browser.text_top >= 0 && browser.text_top <= last_top);

        const auto kind = static_cast<unsigned char>(steps[at]);
        const auto value = static_cast<unsigned char>(steps[at + 1]);
        switch (kind % 8) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            // A movement key: the six that scroll, or another that changes nothing.
            browser.text_top = scroll_text_top(
                browser.text_top,
                (kind % 8) < 4
                    ? std::array{Key::page_up, Key::page_down, Key::up, Key::down}[kind % 8]
                    : std::array{Key::home, Key::end, Key::ignored}[value % 3],
                visible);
            FUZZ_CHECK(browser.text_top >= 0);
            break;
        case 5:
            // Anywhere in or past the text, as a reload of a changed page leaves it.
            browser.text_top = static_cast<int>(
                (static_cast<long>(browser.text_lines) + 2L * visible + 1) * value / 255);
            break;
        case 6:
            browser.winsize.ws_row = value;
            break;
        default:
            break; // the about screen, after which the view redraws
        }
        redraw();
    }
    FUZZ_CHECK(skip_lines(content, browser.text_top) ==
               reference::skip_lines(content, browser.text_top));
    return 0;
}
