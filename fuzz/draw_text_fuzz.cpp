// A text page as the program handles it: frames found from the previous frame's line, drawn
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
#include <utility>

#include "fuzz_check.hpp"
#include "nav/line_count.hpp"
#include "nav/model.hpp"
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
    Model model;
    model.window.ws_row = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    model.window.ws_col = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    // A reload keeps text_top, so it can lie anywhere past the end of a shorter text.
    const int kept_top = input.ConsumeBool() ? input.ConsumeIntegralInRange<int>(0, 400)
                                             : input.ConsumeIntegralInRange<int>(0, INT_MAX);
    const unsigned long_pick = input.ConsumeIntegral<std::uint8_t>();
    const std::string steps =
        input.ConsumeBytesAsString(2 * input.ConsumeIntegralInRange<std::size_t>(0, 16));
    const std::string text = page_text(input.ConsumeRemainingBytesAsString(), long_pick);

    push_page(&model.history,
              {.host = "alpha.lan", .port = 70, .type = '0', .selector = "/notes.txt"});
    // The page's content is a C string; an exact-size copy catches reads past its NUL.
    const std::size_t length = strnlen(text.c_str(), text.size());
    Content copy{static_cast<char*>(std::malloc(length + 1))};
    std::memcpy(copy.get(), text.c_str(), length);
    copy[length] = '\0';
    accept_fetched(&model.history, std::move(copy));
    Page& page = *model.history.current;
    page.text_top = kept_top;
    const char* content = page.content.get();
    ShownPage& shown = model.shown;
    prepare_shown_page(&shown, &page, content_rows(model.window.ws_row));
    FUZZ_CHECK(!shown.menu && shown.text_top == kept_top);

    // The order of the program: draw, count, then at every cycle the bound, a step and a draw
    // again. Each frame is found from the previous one's position, as the update step keeps it;
    // a frame drawn without it is found from the top, and is the same.
    const auto redraw = [&] {
        const char* expected = reference::skip_lines(content, shown.text_top);
        FUZZ_CHECK(seek_line(&shown.position, content, shown.text_top) == expected);
        draw_text(model);
        const TextPosition kept = shown.position;
        shown.position = TextPosition{};
        draw_text(model);
        shown.position = kept;
    };
    redraw();
    shown.text_lines = count_lines(content);
    FUZZ_CHECK(shown.text_lines >= 0);
    for (std::size_t at = 0; at + 1 < steps.size(); at += 2) {
        const int visible = text_visible_rows(model.window.ws_row);
        shown.text_top = bound_text_top(shown.text_top, shown.text_lines, visible);
        const int last_top = shown.text_lines > visible ? shown.text_lines - visible : 0;
        FUZZ_CHECK(shown.text_top >= 0 && shown.text_top <= last_top);

        const auto kind = static_cast<unsigned char>(steps[at]);
        const auto value = static_cast<unsigned char>(steps[at + 1]);
        switch (kind % 8) {
        case 0:
        case 1:
        case 2:
        case 3:
        case 4:
            // A movement key: the six that scroll, or another that changes nothing.
            shown.text_top = scroll_text_top(
                shown.text_top,
                (kind % 8) < 4
                    ? std::array{Key::page_up, Key::page_down, Key::up, Key::down}[kind % 8]
                    : std::array{Key::home, Key::end, Key::ignored}[value % 3],
                visible);
            FUZZ_CHECK(shown.text_top >= 0);
            break;
        case 5:
            // Anywhere in or past the text, as a reload of a changed page leaves it.
            shown.text_top = static_cast<int>(
                (static_cast<long>(shown.text_lines) + 2L * visible + 1) * value / 255);
            break;
        case 6:
            model.window.ws_row = value;
            break;
        default:
            break; // the about screen, after which the view redraws
        }
        redraw();
    }
    FUZZ_CHECK(skip_lines(content, shown.text_top) ==
               reference::skip_lines(content, shown.text_top));
    return 0;
}
