// The text view: scrolling arithmetic, the bound, and what a frame holds.
#include "ui/text_view.hpp"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "nav/history.hpp"
#include "term/sequences.hpp"
#include "ui/stdio_swap.hpp"

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

struct TextPage {
    Browser browser{};
    TextPage(const char* content, int rows, int top) {
        push_page(&browser, "alpha.lan", 70, "", '0');
        browser.current->content.reset(strdup(content));
        browser.winsize.ws_row = static_cast<unsigned short>(rows);
        browser.winsize.ws_col = 80;
        browser.text_top = top;
        browser.running = 1;
    }
    ~TextPage() { free_history(browser.current); }
};

// Clear, the header bar with gopher://alpha.lan:70/ (22 bytes) at column 29, the cursor parked.
std::string frame_start() {
    return std::string(seq::clear_screen) + seq::bar_background + seq::bold_white + at(1, 1) +
           std::string(78, ' ') + at(1, 29) + "gopher://alpha.lan:70/" + seq::reset + at(2, 1) +
           seq::bold_yellow;
}

TEST(TextView, FrameSkipsTopLinesCutsAtSeventyEightBytesAndFilters) {
    const std::string long_line(100, 'x');
    const std::string content = "one\ntwo\r\nthree\x1b[31m!\n" + long_line + "\nnot on screen\n";
    TextPage page(content.c_str(), 7, 1);
    StdioSwap stdio("");
    draw_text(&page.browser, page.browser.current->content.get());
    EXPECT_EQ(stdio.output(), frame_start() + at(4, 2) + "two" + at(5, 2) + "three!" + at(6, 2) +
                                  long_line.substr(0, 78) + seq::reset);
}

TEST(TextView, FrameShowsEmptyLinesAndALastLineWithoutNewline) {
    TextPage page("a\n\nb", 24, 0);
    StdioSwap stdio("");
    draw_text(&page.browser, page.browser.current->content.get());
    EXPECT_EQ(stdio.output(),
              frame_start() + at(4, 2) + "a" + at(5, 2) + at(6, 2) + "b" + seq::reset);
}

TEST(TextView, FrameHasOnlyTheHeaderPastTheEndOrUnderFiveRows) {
    const struct {
        const char* content;
        int rows, top;
    } cases[] = {{"a\nb\n", 24, 2}, {"a\nb", 24, 5}, {"", 24, 0}, {"a\nb\n", 4, 0}};
    for (const auto& c : cases) {
        TextPage page(c.content, c.rows, c.top);
        StdioSwap stdio("");
        draw_text(&page.browser, page.browser.current->content.get());
        EXPECT_EQ(stdio.output(), frame_start() + seq::reset)
            << "case=" << testing::PrintToString(c.content) << " rows=" << c.rows
            << " top=" << c.top;
    }
}

TEST(TextView, LoopBoundsAfterDrawingAndKeepsControlForMovement) {
    TextPage page("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 7, 0); // 3 visible rows
    StdioSwap stdio("\x1b[6"
                    "f");
    EXPECT_EQ(text_view_loop(&page.browser), 1) << "'f' returns running";
    EXPECT_EQ(page.browser.text_lines, 10);
    EXPECT_EQ(page.browser.text_top, 3) << "Page Down";
    const std::string out = stdio.output();
    EXPECT_NE(out.find(at(4, 2) + "4" + at(5, 2) + "5"), std::string::npos);
}

TEST(TextView, EndOfInputEndsTheRun) {
    TextPage page("text\n", 24, 0);
    StdioSwap stdio("");
    EXPECT_EQ(text_view_loop(&page.browser), 0);
    EXPECT_EQ(page.browser.running, 0);
}

// Calls that share a memo, as the browse loop makes them while the same text comes back, draw
// and leave exactly what calls without one do; a memo of another text is not used.
TEST(TextView, MemoOfEarlierCallsChangesNoFrame) {
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
    TextMemo memo;
    TextPage other("another\ntext\n", 24, 0); // alive throughout: its address stays its own
    {
        StdioSwap stdio("");
        ASSERT_EQ(text_view_loop(&other.browser, &memo), 0) << "no keys: the end of input";
    }
    for (const char* keys : calls) {
        std::string with_memo;
        {
            StdioSwap stdio(keys);
            EXPECT_EQ(text_view_loop(&kept.browser, &memo), 1);
            with_memo = stdio.output();
        }
        StdioSwap stdio(keys);
        EXPECT_EQ(text_view_loop(&fresh.browser), 1);
        EXPECT_EQ(with_memo, stdio.output()) << "case=" << testing::PrintToString(keys);
        EXPECT_EQ(kept.browser.text_top, fresh.browser.text_top);
        EXPECT_EQ(kept.browser.text_lines, fresh.browser.text_lines);
    }
}

} // namespace
