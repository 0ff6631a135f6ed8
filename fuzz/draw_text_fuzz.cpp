// A text page as the program handles it: frames drawn from the record's first row at any window
// size and place the program can reach, lines wrapped or cut, with scrolling by rows and
// sideways, jumps (a reload keeps the line and the row) and resizes in between.
#include <fuzzer/FuzzedDataProvider.h>

#include <array>
#include <chrono>
#include <climits>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "fuzz_check.hpp"
#include "nav/line_count.hpp"
#include "nav/model.hpp"
#include "nav/shown_page.hpp"
#include "nav/text_rows.hpp"
#include "support/reference.hpp"
#include "term/frame.hpp"
#include "term/wrap.hpp"
#include "ui/geometry.hpp"
#include "ui/page_on_screen.hpp"
#include "ui/text_view.hpp"
#include "ui/update.hpp"

namespace {

// A frame of the window's size, drawn and dropped: only that drawing survives is under test.
void draw(const Model& model) {
    Frame frame = make_frame(model.window.ws_row, model.window.ws_col);
    draw_text(model, &frame);
}

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

namespace {

// The record's first row is a row of the text: its line found from the top lies at its offset,
// and the row lies within the line's rows.
void check_top(const Model& model) {
    const ShownPage& shown = model.shown;
    const char* content = model.history.current->content.get();
    FUZZ_CHECK(shown.top.found);
    FUZZ_CHECK(shown.top.line >= 0 && shown.top.row >= 0);
    FUZZ_CHECK(content + shown.top.at == reference::skip_lines(content, shown.top.line));
    const TextRows rows = text_rows(model);
    FUZZ_CHECK(shown.top.at <= rows.text.size());
    if (!rows.text.empty()) {
        FUZZ_CHECK(shown.top.at < rows.text.size());
        const std::string_view rest = rows.text.substr(shown.top.at);
        const std::string_view line = rest.substr(0, rest.find('\n'));
        const long count = rows.wrap ? wrapped_rows(line, rows.room, line_coding(line)) : 1;
        FUZZ_CHECK(shown.top.row < count);
    }
}

DecodedKey key_of(Key key, unsigned char byte = 0) {
    return {key == Key::byte ? 1 : 3, key, byte};
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider input(data, size);
    Model model;
    model.window.ws_row = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    model.window.ws_col = input.ConsumeIntegralInRange<unsigned short>(0, 300);
    // A reload keeps the line and the row, so they can lie anywhere past a shorter text.
    const int kept_top = input.ConsumeBool() ? input.ConsumeIntegralInRange<int>(0, 400)
                                             : input.ConsumeIntegralInRange<int>(0, INT_MAX);
    const long kept_row = input.ConsumeIntegralInRange<long>(0, 40);
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
    page.text_row = kept_row;

    // The order of the program: shown (its kept place bounded), drawn, measured, then at every
    // step an event of the update step and a draw again.
    const auto now = std::chrono::steady_clock::now();
    show_current_page(&model);
    FUZZ_CHECK(!model.shown.menu);
    draw(model);
    while (has_pending_work(model)) {
        std::ignore = update(&model, {.kind = EventKind::idle}, now);
    }
    check_top(model);
    draw(model);
    for (std::size_t at = 0; at + 1 < steps.size(); at += 2) {
        const auto kind = static_cast<unsigned char>(steps[at]);
        const auto value = static_cast<unsigned char>(steps[at + 1]);
        Event event{.kind = EventKind::key};
        switch (kind % 8) {
        case 0:
        case 1:
        case 2:
        case 3:
            // A movement key, sideways too, or one that changes nothing.
            event.key =
                key_of(std::array{Key::page_up, Key::page_down, Key::up, Key::down, Key::home,
                                  Key::end, Key::right, Key::left, Key::ignored}[value % 9]);
            break;
        case 4:
            event.key = key_of(Key::byte, 'w');
            break;
        case 5:
            // Anywhere in or past the text, as a reload of a changed page leaves it.
            model.shown.top = {0, (static_cast<long>(model.shown.text_lines) + 45L) * value / 255,
                               value % 5, false};
            bound_text(&model);
            check_top(model);
            draw(model);
            continue;
        case 6:
            event = {.kind = EventKind::resize,
                     .window = {static_cast<unsigned short>(value),
                                static_cast<unsigned short>(value * 3 % 301), 0, 0}};
            break;
        default:
            event.key = key_of(Key::byte, 'x'); // the about screen's key, say
            break;
        }
        std::ignore = update(&model, event, now);
        check_top(model);
        draw(model);
    }
    return 0;
}
