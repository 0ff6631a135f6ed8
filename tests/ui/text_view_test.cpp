// The text view: scrolling by rows and sideways, and what a frame holds.
#include "ui/text_scroll.hpp"
#include "ui/text_view.hpp"

#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>

#include "nav/line_count.hpp"
#include "nav/shown_page.hpp"
#include "nav/text_position.hpp"
#include "support/frame_text.hpp"
#include "support/line_counts.hpp"
#include "support/model_fixture.hpp"
#include "support/text_places.hpp"
#include "ui/looks.hpp"

namespace {

// Rows of a small text: lines 0 to 9 of one row each, then line 10 of 3 rows at 10 columns,
// then line 11: 14 rows, of which 3 are on screen.
struct Scroll {
    std::string text = "0\n1\n2\n3\n4\n5\n6\n7\n8\n9\naaaa bbbb cccc dddd eeee\nend\n";
    TextRows rows{text, 10, true};

    RowPlace place(long line, long row) const {
        RowPlace at = line_place(rows, first_place(rows), line);
        at.row = row;
        return at;
    }
};

TEST(TextView, ScrollMovesByRowAndScreenWithinTheText) {
    const Scroll s;
    const struct {
        long line, row;
        Key key;
        bool wrap;
        long want_line, want_row;
    } cases[] = {
        {0, 0, Key::up, true, 0, 0},
        {5, 0, Key::up, true, 4, 0},
        {5, 0, Key::down, true, 6, 0},
        {9, 0, Key::down, true, 10, 0},
        {10, 0, Key::down, true, 10, 1},
        {10, 1, Key::down, true, 10, 1}, // the last screen: rows 1 and 2 of line 10, line 11
        {10, 1, Key::up, true, 10, 0},
        {3, 0, Key::page_up, true, 0, 0},
        {6, 0, Key::page_up, true, 3, 0},
        {2, 0, Key::page_down, true, 5, 0},
        {8, 0, Key::page_down, true, 10, 1},
        {5, 0, Key::home, true, 0, 0},
        {5, 0, Key::end, true, 10, 1},
        {5, 0, Key::escape, true, 5, 0},
        // Cut, line 10 is one row.
        {8, 0, Key::page_down, false, 9, 0},
        {5, 0, Key::end, false, 9, 0},
        {9, 0, Key::down, false, 9, 0},
    };
    for (const auto& c : cases) {
        const TextRows rows{s.text, 10, c.wrap};
        const RowPlace got = scroll_text(rows, s.place(c.line, c.row), c.key, 3, lines_in(s.text));
        EXPECT_EQ(got.line_index, c.want_line)
            << "from " << c.line << ":" << c.row << " key=" << static_cast<int>(c.key);
        EXPECT_EQ(got.row, c.want_row)
            << "from " << c.line << ":" << c.row << " key=" << static_cast<int>(c.key);
        EXPECT_EQ(got.line, s.place(c.want_line, 0).line);
    }
}

// While lines are cut: half the room at a time, up to where the longest line on screen ends.
TEST(TextView, SidewaysScrollStopsAtTheLongestLineOnScreen) {
    const std::string text = std::string(25, 'x') + "\nshort\n" + std::string(60, 'y') + "\n";
    const TextRows rows{text, 20, false};
    const RowPlace top = first_place(rows);
    const struct {
        RowPlace top;
        long left;
        Key key;
        long visible, want;
    } cases[] = {
        {top, 0, Key::right, 2, 10},  // 25 columns: past the room
        {top, 10, Key::right, 2, 10}, // ends on screen
        {top, 10, Key::right, 3, 20}, // the line of 60 is on screen
        {top, 30, Key::right, 3, 40}, {top, 40, Key::right, 3, 40}, {top, 10, Key::left, 3, 0},
        {top, 5, Key::left, 3, 0},    {top, 0, Key::left, 3, 0},    {top, 30, Key::left, 3, 20},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(scroll_sideways(rows, c.top, c.left, c.key, c.visible), c.want)
            << "left=" << c.left << " visible=" << c.visible;
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
        const int top = m.history.current->text_top;
        m.shown.top = {static_cast<std::size_t>(skip_lines(content(), top) - content()), top, 0,
                       true};
        shown = make_frame(m.window.ws_row, m.window.ws_col);
        draw_text(m, &shown);
    }
    Frame shown;
};

// The header bar with gopher://alpha.lan:70/ (22 bytes) at column 29, and the blank row under
// it.
const std::string text_frame_start = std::string(28, ' ') + "gopher://alpha.lan:70/\n\n";

TEST(TextView, FrameSkipsTopLinesCutsAtSeventyEightBytesAndFilters) {
    const std::string long_line(100, 'x');
    const std::string content = "one\ntwo\r\nthree\x1b[31m!\n" + long_line + "\nnot on screen\n";
    TextPage page(content.c_str(), 7, 1, false);
    page.draw();
    EXPECT_EQ(frame_text(page.shown),
              text_frame_start + "\n two\n three!\n " + long_line.substr(0, 78) + "\n\n");
    EXPECT_TRUE(frame_attr_run(page.shown, 6, 2, 78, look::bold_yellow));
    EXPECT_EQ(frame_attr(page.shown, 4, 5), look::plain) << "the row ends with the line";
}

TEST(TextView, FrameShowsEmptyLinesAndALastLineWithoutNewline) {
    TextPage page("a\n\nb", 24, 0, false);
    page.draw();
    EXPECT_EQ(frame_text(page.shown), text_frame_start + "\n a\n\n b\n" + std::string(18, '\n'));
}

TEST(TextView, FrameHasOnlyTheHeaderForNoTextOrUnderFiveRows) {
    const struct {
        const char* content;
        int rows, top;
    } cases[] = {{"", 24, 0}, {"a\nb\n", 4, 0}};
    for (const auto& c : cases) {
        TextPage page(c.content, c.rows, c.top, false);
        page.draw();
        const std::string empty_rows(static_cast<std::size_t>(c.rows - 2), '\n');
        EXPECT_EQ(frame_text(page.shown), text_frame_start + empty_rows)
            << "case=" << testing::PrintToString(c.content) << " rows=" << c.rows
            << " top=" << c.top;
    }
}

TEST(TextView, LoopBoundsBeforeDrawingAndKeepsControlForMovement) {
    TextPage page("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 7, 0); // 3 visible rows
    std::ignore = page.press("\x1b[6~"
                             "f");
    EXPECT_FALSE(page.model.end.has_value()) << "'f' keeps running";
    EXPECT_EQ(page.model.shown.text_lines, 10);
    EXPECT_EQ(page.model.shown.top.line, 3) << "Page Down";
    EXPECT_NE(page.drawn_text.find("\n 4\n 5\n"), std::string::npos);
}

// Down and Page Down on the last screen, and a line kept from a longer text, show the last
// full screen: no frame has an empty row while lines remain above it.
TEST(TextView, NoFrameShowsEmptyRowsWhileLinesRemain) {
    const struct {
        const char* keys;
        int top;
    } cases[] = {{"\x1b[F\x1b[B\x1b[6~b", 0}, {"\x1b[Bb", 9}, {"\x1bOFb", 0}, {"\x1b[4~b", 30}};
    for (const auto& c : cases) {
        TextPage page("1\n2\n3\n4\n5\n6\n7\n8\n9\n10\n", 7, c.top);
        std::ignore = page.press(c.keys);
        EXPECT_FALSE(page.model.end.has_value());
        EXPECT_EQ(page.model.shown.top.line, 7) << "case=" << testing::PrintToString(c.keys);
        EXPECT_EQ(page.drawn_text.find("\n\n\n 9\n"), std::string::npos)
            << "case=" << testing::PrintToString(c.keys);
    }
}

TEST(TextView, EndOfInputEndsTheRun) {
    TextPage page("text\n", 24, 0);
    std::ignore = page.press("", true);
    EXPECT_TRUE(page.model.end.has_value());
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
    TextPage kept(long_text.c_str(), 24, 0);
    TextPage fresh(long_text.c_str(), 24, 0);
    TextPage other("another\ntext\n", 24, 0); // alive throughout: its address stays its own
    // kept's record starts as the one made for the other page, with its place.
    kept.model.shown = ShownPage{};
    prepare_shown_page(&kept.model.shown, other.model.history.current, 20);
    kept.model.shown.top = other.model.shown.top;
    show_current_page(&kept.model);
    kept.settle();
    for (const char* keys : calls) {
        kept.drawn_text.clear();
        std::ignore = kept.press(keys);
        // The same keys from the same line, on a record made anew.
        remember_place(fresh.model.shown, fresh.model.history.current);
        fresh.model.shown = ShownPage{};
        show_current_page(&fresh.model);
        fresh.settle();
        fresh.drawn_text.clear();
        std::ignore = fresh.press(keys);
        EXPECT_EQ(kept.drawn_text, fresh.drawn_text) << "case=" << testing::PrintToString(keys);
        EXPECT_EQ(kept.model.shown.top.line, fresh.model.shown.top.line);
        EXPECT_EQ(kept.model.shown.top.row, fresh.model.shown.top.row);
        EXPECT_EQ(kept.model.shown.text_lines, fresh.model.shown.text_lines);
    }
}

} // namespace
