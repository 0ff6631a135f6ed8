// The bottom row while a page loads, and the message after a failure.
#include "ui/status_line.hpp"

#include <gtest/gtest.h>
#include <string>

#include "support/frame_text.hpp"
#include "ui/bottom_note.hpp"
#include "ui/bottom_row.hpp"
#include "ui/looks.hpp"

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
    Frame frame = make_frame(24, 20);
    put_text(&frame, 24, 1, "old text on the row", look::bold_red);
    put_text(&frame, 23, 1, "above", look::plain);
    draw_fetch_progress(&frame, size, connecting_text("\033[2Jevil.lan", 70), look::plain);
    // The row is blanked, then 19 cells of filtered text: the last column stays free.
    EXPECT_EQ(frame_row(frame, 24), "Connecting to evil.");
    EXPECT_TRUE(frame_attr_run(frame, 24, 1, 20, look::plain));
    EXPECT_EQ(frame_row(frame, 23), "above");
}

TEST(StatusLine, ErrorIsRedOnTheBottomRow) {
    winsize size{};
    size.ws_row = 10;
    size.ws_col = 80;
    Frame frame = make_frame(10, 80);
    draw_bottom_note(&frame, size, {BottomKind::error, "Error: Could not connect to host"},
                     palette_of(PaletteKind::dark));
    EXPECT_EQ(frame_row(frame, 10), "Error: Could not connect to host");
    EXPECT_TRUE(frame_attr_run(frame, 10, 1, 32, look::bold_red));
    EXPECT_EQ(frame_attr(frame, 10, 33), look::plain);
}

} // namespace
