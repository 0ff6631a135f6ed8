// The text view: scrolling arithmetic, the bound, and what a frame holds.
#include "ui/text_view.hpp"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "nav/shown_page.hpp"
#include "support/browser_fixture.hpp"
#include "support/stdio_swap.hpp"
#include "term/sequences.hpp"

namespace {

TEST(TextView, BoundKeepsTheLastPageFullAndTheTopAtZero) {
    const struct {
        int top, lines, visible, want;
    } cases[] = {
        {0, 0, 20, 0},
        {5, 10, 20, 0}, // the text fits
        {25, 30, 20, 10},
        {11, 30, 20, 10},
        {10, 30, 20, 10},
        {9, 30, 20, 9},
        {40, 30, 1, 29}, // under 5 rows one line stays visible
        {INT_MAX, INT_MAX, 1, INT_MAX - 1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(bound_text_top(c.top, c.lines, c.visible), c.want)
            << "top=" << c.top << " lines=" << c.lines << " visible=" << c.visible;
    }
}

TEST(TextView, ScrollMovesByLineAndPageWithoutUpperBound) {
    const struct {
        int top;
        unsigned char key;
        int visible, want;
    } cases[] = {
        {0, 'A', 20, 0},
        {5, 'A', 20, 4},
        {5, 'B', 20, 6},
        {3, '5', 20, 0},
        {25, '5', 20, 5},
        {20, '5', 20, 0},
        {5, '6', 20, 25},
        {5, 'C', 20, 5},
        {5, 'D', 20, 5},
        {INT_MAX, 'B', 1, INT_MAX},
        {INT_MAX - 1, '6', 20, INT_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scroll_text_top(c.top, c.key, c.visible), c.want)
            << "top=" << c.top << " key=" << c.key << " visible=" << c.visible;
    }
}

TEST(TextView, DownOnTheLastPageFallsBackAtTheNextBound) {
    const int visible = 20;
    const int scrolled = scroll_text_top(10, 'B', visible);
    EXPECT_EQ(scrolled, 11) << "drawn one line further first";
    EXPECT_EQ(bound_text_top(scrolled, 30, visible), 10);
}

struct TextPage : OwnedBrowser {
    TextPage(const char* content, int rows, int top) : OwnedBrowser("alpha.lan", 70, "", '0') {
        give_content(content);
        window(rows);
        browser.text_top = top;
        browser.running = 1;
    }
    // A view as the browse loop enters it, from the record it keeps for the page.
    int loop() {
        prepare_shown_page(&browser, &shown, 0);
        return text_view_loop(&browser, &shown);
    }
    void draw() {
        ShownPage fresh;
        draw_text(&browser, &fresh);
    }
};

// Clear, the header bar with gopher://alpha.lan:70/ (22 bytes) at column 29, the cursor parked.
std::string text_frame_start() {
    return frame_start("gopher://alpha.lan:70/") + seq::bold_yellow;
}

TEST(TextView, FrameSkipsTopLinesCutsAtSeventyEightBytesAndFilters) {
    const std::string long_line(100, 'x');
    const std::string content = "one\ntwo\r\nthree\x1b[31m!\n" + long_line + "\nnot on screen\n";
    TextPage page(content.c_str(), 7, 1);
    StdioSwap stdio("");
    page.draw();
    EXPECT_EQ(stdio.output(), text_frame_start() + at(4, 2) + "two" + at(5, 2) + "three!" +
                                  at(6, 2) + long_line.substr(0, 78) + seq::reset);
}

TEST(TextView, FrameShowsEmptyLinesAndALastLineWithoutNewline) {
    TextPage page("a\n\nb", 24, 0);
    StdioSwap stdio("");
    page.draw();
    EXPECT_EQ(stdio.output(),
              text_frame_start() + at(4, 2) + "a" + at(5, 2) + at(6, 2) + "b" + seq::reset);
}

TEST(TextView, FrameHasOnlyTheHeaderPastTheEndOrUnderFiveRows) {
    const struct {
        const char* content;
        int rows, top;
    } cases[] = {{"a\nb\n", 24, 2}, {"a\nb", 24, 5}, {"", 24, 0}, {"a\nb\n", 4, 0}};
    for (const auto& c : cases) {
        TextPage page(c.content, c.rows, c.top);
        StdioSwap stdio("");
        page.draw();
        EXPECT_EQ(stdio.output(), text_frame_start() + seq::reset)
            << "case=" << testing::PrintToString(c.content) << " rows=" << c.rows
            << " top=" << c.top;
    }
}

TEST(TextView, LoopBoundsAfterDrawingAndKeepsControlForMovement) {
    TextPage page("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 7, 0); // 3 visible rows
    StdioSwap stdio("\x1b[6"
                    "f");
    EXPECT_EQ(page.loop(), 1) << "'f' returns running";
    EXPECT_EQ(page.browser.text_lines, 10);
    EXPECT_EQ(page.browser.text_top, 3) << "Page Down";
    const std::string out = stdio.output();
    EXPECT_NE(out.find(at(4, 2) + "4" + at(5, 2) + "5"), std::string::npos);
}

TEST(TextView, EndOfInputEndsTheRun) {
    TextPage page("text\n", 24, 0);
    StdioSwap stdio("");
    EXPECT_EQ(page.loop(), 0);
    EXPECT_EQ(page.browser.running, 0);
}

// Calls that share the record, as the browse loop makes them while the same text comes back,
// draw and leave exactly what calls with a fresh one do; a record of another page is not used.
TEST(TextView, RecordOfEarlierCallsChangesNoFrame) {
    std::string long_text;
    for (int n = 1; n <= 200; ++n) {
        long_text += "line " + std::to_string(n) + "\n";
    }
    // Each call's keys end with one that makes the view return.
    const char* const calls[] = {
        "\x1b[6\x1b[6\x1b[Bx",
        "\x1b[6\x1b[Ax",
        "\x1b[5x",
        "\x1b[6\x1b[6\x1b[6\x1b[6\x1b[6\x1b[6\x1b[6\x1b[6\x1b[6\x1b[6x", // past the end
        "\x1b[Bx",
        "\x1b[5\x1b[5\x1b[5\x1b[5\x1b[5\x1b[5\x1b[5\x1b[5\x1b[5\x1b[5x",
    };
    TextPage kept(long_text.c_str(), 24, 0);
    TextPage fresh(long_text.c_str(), 24, 0);
    TextPage other("another\ntext\n", 24, 0); // alive throughout: its address stays its own
    {
        StdioSwap stdio("");
        prepare_shown_page(&other.browser, &kept.shown, 0);
        ASSERT_EQ(text_view_loop(&other.browser, &kept.shown), 0) << "no keys: the end of input";
    }
    for (const char* keys : calls) {
        std::string with_record;
        {
            StdioSwap stdio(keys);
            EXPECT_EQ(kept.loop(), 1);
            with_record = stdio.output();
        }
        StdioSwap stdio(keys);
        fresh.shown = ShownPage{};
        EXPECT_EQ(fresh.loop(), 1);
        EXPECT_EQ(with_record, stdio.output()) << "case=" << testing::PrintToString(keys);
        EXPECT_EQ(kept.browser.text_top, fresh.browser.text_top);
        EXPECT_EQ(kept.browser.text_lines, fresh.browser.text_lines);
    }
}

} // namespace
