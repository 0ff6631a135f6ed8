// The bottom row while a page loads, and the message after a failure.
#include "ui/status_line.hpp"

#include <gtest/gtest.h>
#include <string>

#include "support/stdio_swap.hpp"
#include "term/sequences.hpp"

namespace {

TEST(StatusLine, ReceivedBytesInKilobytesThenMegabytes) {
    constexpr std::size_t mib = std::size_t{1024} * 1024;
    const struct {
        std::size_t bytes;
        const char* text;
    } cases[] = {
        {0, "Receiving... 0 KB"},
        {1023, "Receiving... 0 KB"},
        {1024, "Receiving... 1 KB"},
        {10 * mib - 1, "Receiving... 10239 KB"},
        {10 * mib, "Receiving... 10.0 MB"},
        {10 * mib + mib / 10 - 1, "Receiving... 10.0 MB"},
        {10 * mib + mib / 10 + 1, "Receiving... 10.1 MB"},
        {256 * mib, "Receiving... 256.0 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(receiving_text(c.bytes), c.text) << "bytes=" << c.bytes;
    }
    EXPECT_EQ(connecting_text("gopher.lan", 70), "Connecting to gopher.lan:70...");
    EXPECT_EQ(connecting_text("::1", 7070), "Connecting to [::1]:7070...");
    EXPECT_EQ(looking_up_text("gopher.lan"), "Looking up gopher.lan...");
}

TEST(StatusLine, ProgressTakesTheBottomRowOnlyFilteredAndCut) {
    winsize size{};
    size.ws_row = 24;
    size.ws_col = 20;
    StdioSwap stdio("");
    draw_fetch_progress(size, connecting_text("\033[2Jevil.lan", 70));
    const std::string out = stdio.output();
    // The row is blanked, then 19 cells of filtered text: the last cell would scroll.
    EXPECT_EQ(out, at(24, 1) + std::string(20, ' ') + at(24, 1) + seq::reset +
                       "Connecting to evil." + seq::reset);
}

TEST(StatusLine, ErrorIsRedOnTheBottomRow) {
    winsize size{};
    size.ws_row = 10;
    size.ws_col = 80;
    StdioSwap stdio("");
    draw_error_message(size, "Error: Could not connect to host");
    EXPECT_EQ(stdio.output(), at(10, 1) + std::string(80, ' ') + at(10, 1) + seq::bold_red +
                                  "Error: Could not connect to host" + seq::reset);
}

} // namespace
