// The frame writer: what it sends leaves a terminal showing the frame, and sends little.
#include "term/frame_writer.hpp"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <string_view>

#include "support/frame_emulator.hpp"
#include "support/random_frames.hpp"
#include "term/sequences.hpp"

namespace {

constexpr std::string_view sync_begin = "\033[?2026h";
constexpr std::string_view sync_end = "\033[?2026l";

// Writes the frame and plays it; returns the bytes.
std::string play(FrameWriter* writer, FrameEmulator* terminal, const Frame& frame,
                 bool repaint = false) {
    std::string out;
    write_frame(writer, frame, repaint, &out);
    terminal->feed(out);
    return out;
}

// Random sequences of frames, each written over the last, leave the emulator's screen equal to
// the last frame, cell by cell, the cursor too; every frame is one synchronized whole.
TEST(FrameWriter, EveryFrameLeavesTheScreenEqualToIt) {
    for (unsigned seed = 1; seed <= 150; ++seed) {
        std::mt19937 random(seed);
        auto pick = [&random](int bound) {
            return bound <= 1 ? 0 : static_cast<int>(random() % static_cast<unsigned>(bound));
        };
        Frame frame = make_frame(3 + pick(10), 2 + pick(40));
        FrameEmulator terminal(frame.rows, frame.cols);
        FrameWriter writer;
        for (int step = 0; step < 40; ++step) {
            const Frame next = next_random_frame(frame, pick);
            if (next.rows != frame.rows || next.cols != frame.cols) {
                terminal.resize(next.rows, next.cols);
            }
            const bool repaint = pick(20) == 0;
            const std::string out = play(&writer, &terminal, next, repaint);
            frame = next;
            ASSERT_EQ(terminal.mismatch(frame), "") << "seed=" << seed << " step=" << step;
            ASSERT_EQ(out.substr(0, sync_begin.size()), sync_begin);
            ASSERT_EQ(out.find(sync_end), out.size() - sync_end.size()) << "one pair, at the end";
        }
    }
}

// What one change costs: the bytes of the change, not of the screen.
TEST(FrameWriter, SendsOnlyWhatChanged) {
    Frame frame = make_frame(24, 80);
    for (int row = 4; row <= 23; ++row) {
        put_text(&frame, row, 2, "  line " + std::to_string(row) + " of a menu",
                 Attr{basic_colour(2), Colour{}, true, false, false});
    }
    FrameEmulator terminal(24, 80);
    FrameWriter writer;
    const std::string first = play(&writer, &terminal, frame);
    EXPECT_NE(first.find(seq::clear_screen), std::string::npos) << "the first frame clears";

    EXPECT_EQ(play(&writer, &terminal, frame), std::string(sync_begin) + std::string(sync_end))
        << "nothing changed: the pair alone";

    Frame typed = frame;
    typed.cursor_shown = true;
    typed.cursor_row = 24;
    typed.cursor_col = 12;
    std::ignore = play(&writer, &terminal, typed);
    Frame one_more = typed;
    put_text(&one_more, 24, 12, "x", Attr{});
    one_more.cursor_col = 13;
    EXPECT_EQ(play(&writer, &terminal, one_more),
              std::string(sync_begin) + "x" + std::string(sync_end))
        << "a character typed where the cursor is";

    Frame cleared = one_more;
    put_blanks(&cleared, 10, 1, 80, Attr{});
    const std::string erased = play(&writer, &terminal, cleared);
    EXPECT_NE(erased.find(seq::erase_line_end), std::string::npos);
    EXPECT_LT(erased.size(), 40U) << "a row made blank is erased, not written";
    EXPECT_EQ(terminal.mismatch(cleared), "");

    const std::string again = play(&writer, &terminal, cleared, true);
    EXPECT_EQ(again.find(seq::clear_screen), again.find("\033[H\033[J"));
    EXPECT_NE(again.find(seq::clear_screen), std::string::npos) << "a repaint clears";
    EXPECT_EQ(terminal.mismatch(cleared), "");
}

// Content rows that moved by a row are scrolled, and only the row that came in is written.
TEST(FrameWriter, ScrollsRowsThatMovedAsAWhole) {
    const auto text_at = [](int first_line) {
        Frame frame = make_frame(24, 80);
        frame.scroll_top = 4;
        frame.scroll_bottom = 23;
        put_text(&frame, 1, 1, "header", Attr{});
        for (int row = 4; row <= 23; ++row) {
            put_text(&frame, row, 2,
                     "line " + std::to_string(first_line + row - 4) +
                         " of a long text that fills most of the row, as prose does here",
                     Attr{basic_colour(3), Colour{}, true, false, false});
        }
        return frame;
    };
    FrameEmulator terminal(24, 80);
    FrameWriter writer;
    std::ignore = play(&writer, &terminal, text_at(10));
    for (const int first : {11, 10, 13, 9}) {
        const Frame frame = text_at(first);
        const std::string out = play(&writer, &terminal, frame);
        EXPECT_EQ(terminal.mismatch(frame), "") << "first=" << first;
        EXPECT_NE(out.find("r\033["), std::string::npos) << "a scroll region, first=" << first;
        EXPECT_LT(out.size(), 140U * 4) << "first=" << first;
    }
    const std::string down = play(&writer, &terminal, text_at(10));
    EXPECT_LT(down.size(), 200U) << "one row: about a row of bytes";
}

} // namespace
