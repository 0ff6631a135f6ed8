// How screens reach the terminal: only what changed, each frame whole inside synchronized
// output, and Ctrl-L painting everything again.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>
#include <vterm.h>

#include "support/e2e_pages.hpp"
#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

constexpr std::string_view sync_begin = "\033[?2026h";
constexpr std::string_view sync_end = "\033[?2026l";
constexpr std::string_view clear = "\033[H\033[J";

struct LongMenu {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    std::unique_ptr<PtyRun> run;

    LongMenu() {
        serve(*server, "", Script{long_menu(*server, 60)});
        run = start_program({address_of(*server)});
    }
};

// Sends keys and waits for the frame they cause; returns its bytes.
std::string frame_after(
    PtyRun& run, std::string_view keys, const std::function<bool()>& done = [] { return true; }) {
    const std::size_t mark = run.output.size();
    send_keys(run, keys);
    if (!wait_for_frame(run, mark, done)) {
        ADD_FAILURE() << "no frame after " << testing::PrintToString(std::string(keys)) << "\n"
                      << screen_text(run);
    }
    return run.output.substr(mark);
}

// The screen as the user sees it: text, looks of every cell, the cursor.
std::string whole_screen(const PtyRun& run) {
    std::string out = screen_text(run);
    for (int row = 1; row <= screen_rows(run); ++row) {
        for (int col = 1; col <= screen_cols(run); ++col) {
            const Look look = look_at(run, row, col);
            if (!(look == plain_look)) {
                out += std::to_string(row) + ";" + std::to_string(col) + ":" +
                       std::to_string(look.fg) + "/" + std::to_string(look.bg) +
                       (look.bold ? "b " : " ");
            }
        }
    }
    const CursorState at = cursor(run);
    if (at.visible) {
        out += "cursor " + std::to_string(at.row) + ";" + std::to_string(at.col);
    }
    return out;
}

} // namespace

// The screen is written once whole; a key writes only what it changed, so a Down costs about
// two rows, and a key that changes nothing is the synchronized pair alone. This test checks the
// screen and the byte counts, not the bytes: the writer is free to choose its sequences.
TEST(FrameScreen, KeysWriteOnlyWhatChanged) {
    LongMenu menu;
    PtyRun& run = *menu.run;
    ASSERT_TRUE(wait_for_row(run, 5, at_column(2, "->" + item_label(1)))) << screen_text(run);
    const std::string down = frame_after(
        run, "\033[B", [&] { return row_text(run, 6) == at_column(2, "->" + item_label(2)); });
    EXPECT_EQ(row_text(run, 5), at_column(2, "  " + item_label(1)));
    EXPECT_EQ(look_at(run, 6, 4), selection_look);
    EXPECT_EQ(down.find(clear), std::string::npos);
    EXPECT_LE(down.size(), 80U) << testing::PrintToString(down);

    // Page Down moves the rows by a screen: the same labels, other numbers.
    const std::string page = frame_after(
        run, "\033[6~", [&] { return row_text(run, 6) != at_column(2, "->" + item_label(2)); });
    EXPECT_LE(page.size(), 714U / 2) << testing::PrintToString(page);

    EXPECT_EQ(frame_after(run, "x"), std::string(sync_begin) + std::string(sync_end))
        << "a key that changes nothing";
}

// Every byte after the first frame lies inside a synchronized pair, until the terminal is given
// back.
TEST(FrameScreen, EveryFrameIsOneSynchronizedWhole) {
    LongMenu menu;
    PtyRun& run = *menu.run;
    ASSERT_TRUE(wait_for_row(run, 5, at_column(2, "->" + item_label(1)))) << screen_text(run);
    // Each key with what its frame shows on the bottom row, or on row 1 for the about screen.
    const struct {
        const char* key;
        int row;
        std::string shown;
    } steps[] = {
        {"\033[B", 6, at_column(2, "->" + item_label(2))},
        {"\033[6~", 4, at_column(2, "  " + item_label(3))}, // a screen on, scrolled
        {"\033[A", 24, ""},
        {"o", 24, "Open URL:"},
        {"a", 24, "Open URL: a"},
        {"b", 24, "Open URL: ab"},
        {"\177", 24, "Open URL: a"},
        {"\033", 24, ""},
        {"a", 1, at_column(34, "About Kesmor")},
        {"x", 24, ""},
        {"/", 24, "Find:"},
        {"\033", 24, ""},
    };
    for (const auto& step : steps) {
        std::ignore =
            frame_after(run, step.key, [&] { return row_text(run, step.row) == step.shown; });
    }
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << screen_text(run);
    const std::string& out = run.output;
    std::size_t at = out.find(sync_begin);
    ASSERT_NE(at, std::string::npos);
    int frames = 0;
    while (at < out.size() && out.compare(at, sync_begin.size(), sync_begin) == 0) {
        const std::size_t end = out.find(sync_end, at);
        ASSERT_NE(end, std::string::npos);
        EXPECT_EQ(out.find(sync_begin, at + 1) > end, true) << "pairs are not nested";
        at = end + sync_end.size();
        ++frames;
    }
    EXPECT_GE(frames, 12);
    // What is left gives the terminal back: the shell's screen again, not a cleared one.
    const std::string rest = out.substr(at);
    EXPECT_EQ(rest.find("\033[?1049l"), 0U) << testing::PrintToString(rest);
    EXPECT_EQ(rest.find(clear), std::string::npos) << testing::PrintToString(rest);
}

// Ctrl-L paints the whole screen again, as it was, in the view, a prompt and the about screen;
// it changes nothing else, and the next key acts as usual.
TEST(FrameScreen, CtrlLRepaintsTheScreenAsItWas) {
    const struct {
        std::vector<std::string> keys; // to reach the screen, one frame each
        std::string reached;           // a row of that screen
        int reached_number;
        const char* then; // a key after the repaint
        std::string row;  // the row it changes
        int row_number;
    } cases[] = {
        {{"\033[B"},
         at_column(2, "->" + item_label(2)),
         6,
         "\033[B",
         at_column(2, "->" + item_label(3)),
         7},
        {{"o", "a", "b"}, "Open URL: ab", 24, "c", "Open URL: abc", 24},
        {{"a"}, "Shortcuts:", -1, "x", at_column(2, "->" + item_label(1)), 5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.keys.back());
        LongMenu menu;
        PtyRun& run = *menu.run;
        ASSERT_TRUE(wait_for_row(run, 5, at_column(2, "->" + item_label(1)))) << screen_text(run);
        for (const std::string& key : c.keys) {
            std::ignore = frame_after(run, key);
        }
        // A frame still on its way (the terminal's answers, work after the first frame) may
        // come before the keys': the screen is taken once the keys' frame has come.
        ASSERT_TRUE(wait_until(run, [&] {
            return c.reached_number > 0 ? row_text(run, c.reached_number) == c.reached
                                        : screen_contains(run, c.reached);
        })) << screen_text(run);
        const std::string before = whole_screen(run);
        // Another program writes over the screen.
        constexpr std::string_view other = "\033[2J\033[5;5H\033[41mnot ours\033[0m\033[?25l";
        vterm_input_write(run.vt, other.data(), other.size());
        ASSERT_NE(whole_screen(run), before);
        const std::string repaint =
            frame_after(run, "\f", [&] { return whole_screen(run) == before; });
        EXPECT_NE(repaint.find(clear), std::string::npos);
        EXPECT_EQ(whole_screen(run), before);
        std::ignore =
            frame_after(run, c.then, [&] { return row_text(run, c.row_number) == c.row; });
        EXPECT_EQ(row_text(run, c.row_number), c.row);
    }
}
