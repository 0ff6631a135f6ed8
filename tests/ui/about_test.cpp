// The about screen.
#include "ui/about.hpp"

#include <gtest/gtest.h>
#include <string>
#include <variant>

#include "base/version.hpp"
#include "nav/model.hpp"
#include "support/frame_text.hpp"
#include "support/model_fixture.hpp"
#include "ui/frame.hpp"
#include "ui/looks.hpp"

namespace {

TEST(About, DrawsTitleAndBlockAndTakesOneWholeKey) {
    ModelFixture f("alpha.lan", 70, "", '0');
    f.window(24, 80);
    f.give_content("text\n");
    std::ignore = f.press("a");
    ASSERT_TRUE(std::holds_alternative<AboutScreen>(f.model.overlay));
    Frame frame = make_frame(24, 80);
    draw_about_screen(f.model.window, looks_palette(f.model.looks), &frame);
    // The arrow closes it, whole, and changes nothing else; what follows acts in the view.
    const long top = f.model.shown.top.line;
    std::ignore = f.press("\x1b[A");
    EXPECT_TRUE(std::holds_alternative<NoOverlay>(f.model.overlay));
    EXPECT_EQ(f.model.shown.top.line, top);
    const struct {
        int row;
        std::string text;
        Attr look;
    } expected[] = {
        {1, std::string(33, ' ') + "About Kesmor", look::bar},
        {3, std::string(6, ' ') + "Welcome to Kesmor " KESMOR_VERSION "!", look::bold_green},
        {4, std::string(6, ' ') + "        \\`~'/", look::bold_magenta},
        {8, "", look::plain},
        {9, std::string(6, ' ') + "Shortcuts:", look::bold_green},
        // Two columns, the second 40 columns right of the first.
        {10,
         std::string(6, ' ') + "    Arrows: Navigate" + std::string(20, ' ') +
             "        m: Bookmark",
         look::bold_yellow},
        {13,
         std::string(6, ' ') + "        f: Forward" + std::string(22, ' ') +
             "        d: Remove bookmark",
         look::bold_yellow},
        {15,
         std::string(6, ' ') + "        r: Reload" + std::string(23, ' ') + "    Space: Page Down",
         look::bold_yellow},
        {18, std::string(6, ' ') + "        /: Find" + std::string(25, ' ') + "   Ctrl-L: Redraw",
         look::bold_yellow},
        {20, std::string(6, ' ') + "        w: Wrap" + std::string(25, ' ') + "        ?: About",
         look::bold_yellow},
        {21, std::string(6, ' ') + "        a: About", look::bold_yellow},
        {22, std::string(6, ' ') + "        q: Quit", look::bold_yellow},
        {23, "", look::plain},
        {24, "", look::plain},
    };
    for (const auto& line : expected) {
        EXPECT_EQ(frame_row(frame, line.row), line.text) << "row=" << line.row;
        EXPECT_EQ(frame_attr(frame, line.row, 7), line.look) << "row=" << line.row;
    }
    EXPECT_TRUE(frame_attr_run(frame, 1, 1, 78, look::bar));
    EXPECT_FALSE(frame.cursor_shown);
}

TEST(About, EndOfInputEndsTheRun) {
    ModelFixture f("alpha.lan", 70, "", '0');
    f.give_content("text\n");
    std::ignore = f.press("a", true);
    EXPECT_TRUE(f.model.end.has_value());
    Frame frame = draw_frame(f.model);
    EXPECT_EQ(frame.rows, 0) << "a window of no size gets an empty frame";
}

// Nothing wraps in a small window: lines below it are left out, wider ones cut at its edge.
TEST(About, IsCutToASmallWindow) {
    Model model;
    model.window.ws_row = 6;
    model.window.ws_col = 10;
    Frame frame = make_frame(6, 10);
    draw_about_screen(model.window, looks_palette(model.looks), &frame);
    EXPECT_EQ(frame_text(frame),
              "About Kesm\n\nWelcome to\n        \\`\n        (o\n       / \\\n");
    EXPECT_TRUE(frame_attr_run(frame, 1, 1, 10, look::bar));
    EXPECT_TRUE(frame_attr_run(frame, 4, 1, 10, look::bold_magenta));
}

} // namespace
