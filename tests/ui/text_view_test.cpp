// The text view: scrolling arithmetic, the bound, and what a frame holds.
#include "ui/text_view.hpp"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "nav/shown_page.hpp"
#include "support/model_fixture.hpp"
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
        Key key;
        int visible, want;
    } cases[] = {
        {0, Key::up, 20, 0},
        {5, Key::up, 20, 4},
        {5, Key::down, 20, 6},
        {3, Key::page_up, 20, 0},
        {25, Key::page_up, 20, 5},
        {20, Key::page_up, 20, 0},
        {5, Key::page_down, 20, 25},
        {5, Key::home, 20, 0},
        {5, Key::end, 20, INT_MAX}, // the bound makes it the last full screen
        {5, Key::ignored, 20, 5},
        {5, Key::escape, 20, 5},
        {INT_MAX, Key::down, 1, INT_MAX},
        {INT_MAX - 1, Key::page_down, 20, INT_MAX},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scroll_text_top(c.top, c.key, c.visible), c.want)
            << "top=" << c.top << " key=" << static_cast<int>(c.key) << " visible=" << c.visible;
    }
}

// A text page kept at line top from a visit before, shown in a window of rows.
struct TextPage : ModelFixture {
    TextPage(const char* text, int rows, int top, bool frames = true)
        : ModelFixture("alpha.lan", 70, "", '0') {
        window(rows);
        model.history.current->text_top = top;
        draw_frames = frames;
        give_content(text);
    }
    // The page shown again with its top where the visit before left it, unbounded, as a frame
    // drawn from a top the update step has not seen.
    void draw() {
        Model& m = model;
        m.shown.text_top = m.history.current->text_top;
        m.shown.position = TextPosition{};
        draw_text(m);
    }
};

// Clear, the header bar with gopher://alpha.lan:70/ (22 bytes) at column 29, the cursor parked.
std::string text_frame_start() {
    return frame_start("gopher://alpha.lan:70/") + seq::bold_yellow;
}

TEST(TextView, FrameSkipsTopLinesCutsAtSeventyEightBytesAndFilters) {
    const std::string long_line(100, 'x');
    const std::string content = "one\ntwo\r\nthree\x1b[31m!\n" + long_line + "\nnot on screen\n";
    TextPage page(content.c_str(), 7, 1, false);
    StdioSwap stdio("");
    page.draw();
    EXPECT_EQ(stdio.output(), text_frame_start() + at(4, 2) + "two" + at(5, 2) + "three!" +
                                  at(6, 2) + long_line.substr(0, 78) + seq::reset);
}

TEST(TextView, FrameShowsEmptyLinesAndALastLineWithoutNewline) {
    TextPage page("a\n\nb", 24, 0, false);
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
        TextPage page(c.content, c.rows, c.top, false);
        StdioSwap stdio("");
        page.draw();
        EXPECT_EQ(stdio.output(), text_frame_start() + seq::reset)
            << "case=" << testing::PrintToString(c.content) << " rows=" << c.rows
            << " top=" << c.top;
    }
}

TEST(TextView, LoopBoundsBeforeDrawingAndKeepsControlForMovement) {
    StdioSwap stdio("");
    TextPage page("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 7, 0); // 3 visible rows
    std::ignore = page.press("\x1b[6~"
                             "f");
    EXPECT_TRUE(page.model.running) << "'f' keeps running";
    EXPECT_EQ(page.model.shown.text_lines, 10);
    EXPECT_EQ(page.model.shown.text_top, 3) << "Page Down";
    const std::string out = stdio.output();
    EXPECT_NE(out.find(at(4, 2) + "4" + at(5, 2) + "5"), std::string::npos);
}

// Down and Page Down on the last screen, and a line kept from a longer text, show the last
// full screen: no frame has an empty row while lines remain above it.
TEST(TextView, NoFrameShowsEmptyRowsWhileLinesRemain) {
    const struct {
        const char* keys;
        int top;
    } cases[] = {{"\x1b[F\x1b[B\x1b[6~b", 0}, {"\x1b[Bb", 9}, {"\x1bOFb", 0}, {"\x1b[4~b", 30}};
    for (const auto& c : cases) {
        StdioSwap stdio("");
        TextPage page("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 7, c.top);
        std::ignore = page.press(c.keys);
        EXPECT_TRUE(page.model.running);
        EXPECT_EQ(page.model.shown.text_top, 7) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(stdio.output().find(at(4, 2) + "9"), std::string::npos)
            << "case=" << testing::PrintToString(c.keys);
    }
}

TEST(TextView, EndOfInputEndsTheRun) {
    StdioSwap stdio("");
    TextPage page("text\n", 24, 0);
    std::ignore = page.press("", true);
    EXPECT_FALSE(page.model.running);
}

// A record that lives on while the same text comes back draws and leaves exactly what a fresh
// one does; a record of another page is not used.
TEST(TextView, RecordOfEarlierCallsChangesNoFrame) {
    std::string long_text;
    for (int n = 1; n <= 200; ++n) {
        long_text += "line " + std::to_string(n) + "\n";
    }
    const char* const calls[] = {
        "\x1b[6~\x1b[6~\x1b[B",
        "\x1b[6~\x1b[A",
        "\x1b[5~",
        "\x1b[6~\x1b[6~\x1b[6~\x1b[6~\x1b[6~\x1b[6~\x1b[6~\x1b[6~\x1b[6~\x1b[6~", // the end
        "\x1b[Bx",
        "\x1b[5~\x1b[5~\x1b[5~\x1b[5~\x1b[5~\x1b[5~\x1b[5~\x1b[5~\x1b[5~\x1b[5~",
    };
    StdioSwap quiet("");
    TextPage kept(long_text.c_str(), 24, 0);
    TextPage fresh(long_text.c_str(), 24, 0);
    TextPage other("another\ntext\n", 24, 0); // alive throughout: its address stays its own
    // kept's record starts as one made for the other page, with its position.
    kept.model.shown = ShownPage{};
    prepare_shown_page(&kept.model.shown, other.model.history.current, 20);
    kept.model.shown.position = other.model.shown.position;
    show_current_page(&kept.model);
    kept.settle();
    for (const char* keys : calls) {
        std::string with_record;
        {
            StdioSwap stdio("");
            std::ignore = kept.press(keys);
            with_record = stdio.output();
        }
        // The same keys from the same line, on a record made anew.
        remember_place(fresh.model.shown, fresh.model.history.current);
        fresh.model.shown = ShownPage{};
        show_current_page(&fresh.model);
        fresh.settle();
        StdioSwap stdio("");
        std::ignore = fresh.press(keys);
        EXPECT_EQ(with_record, stdio.output()) << "case=" << testing::PrintToString(keys);
        EXPECT_EQ(kept.model.shown.text_top, fresh.model.shown.text_top);
        EXPECT_EQ(kept.model.shown.text_lines, fresh.model.shown.text_lines);
    }
}

} // namespace
