// The about screen.
#include "ui/about.hpp"

#include <gtest/gtest.h>
#include <string>

#include "base/version.hpp"
#include "nav/model.hpp"
#include "support/model_fixture.hpp"
#include "support/stdio_swap.hpp"
#include "term/sequences.hpp"

namespace {

TEST(About, DrawsTitleAndBlockAndTakesOneWholeKey) {
    ModelFixture f("alpha.lan", 70, "", '0');
    f.window(24, 80);
    f.give_content("text\n");
    std::ignore = f.press("a");
    ASSERT_EQ(f.model.overlay.kind, OverlayKind::about);
    StdioSwap stdio("");
    draw_about_screen(f.model);
    const std::string out = stdio.output();
    // The arrow closes it, whole, and changes nothing else; what follows acts in the view.
    const long top = f.model.shown.top.line;
    std::ignore = f.press("\x1b[A");
    EXPECT_EQ(f.model.overlay.kind, OverlayKind::none);
    EXPECT_EQ(f.model.shown.top.line, top);
    const std::string expected[] = {
        frame_start("About Kesmor"),
        std::string(seq::bold_green) + at(3, 27) + "Welcome to Kesmor " KESMOR_VERSION "!",
        std::string(seq::bold_magenta) + at(4, 27) + "        \\`~'/",
        std::string(seq::bold_yellow) + at(8, 27) + seq::bold_green + at(9, 27) + "Shortcuts:",
        std::string(seq::bold_yellow) + at(15, 27) + "        r: Reload",
        std::string(seq::bold_yellow) + at(16, 27) + "        s: Save",
        std::string(seq::bold_yellow) + at(17, 27) + "        u: Show URL",
        std::string(seq::bold_yellow) + at(18, 27) + "        /: Find" + seq::bold_yellow +
            at(19, 27) + "     n, N: Next, Previous" + seq::bold_yellow + at(20, 27) +
            "        w: Wrap" + seq::bold_yellow + at(21, 27) + "        a: About",
        std::string(seq::bold_yellow) + at(22, 27) + "        q: Quit" + seq::reset,
    };
    for (const std::string& part : expected) {
        EXPECT_NE(out.find(part), std::string::npos) << "part=" << testing::PrintToString(part);
    }
}

TEST(About, EndOfInputEndsTheRun) {
    ModelFixture f("alpha.lan", 70, "", '0');
    f.give_content("text\n");
    std::ignore = f.press("a", true);
    EXPECT_TRUE(f.model.end.has_value());
    StdioSwap stdio("");
    draw_about_screen(f.model);
    EXPECT_EQ(stdio.output(), seq::clear_screen) << "a window of no size gets the clear alone";
}

// Nothing wraps in a small window: lines below it are left out, wider ones cut at its edge.
TEST(About, IsCutToASmallWindow) {
    Model model;
    model.window.ws_row = 6;
    model.window.ws_col = 10;
    StdioSwap stdio("");
    draw_about_screen(model);
    EXPECT_EQ(stdio.output(), std::string(seq::clear_screen) + seq::bar_background +
                                  seq::bold_white + at(1, 1) + std::string(10, ' ') + at(1, 1) +
                                  "About Kesm" + seq::reset + at(2, 1) + seq::bold_green +
                                  at(3, 1) + "Welcome to" + seq::bold_magenta + at(4, 1) +
                                  "        \\`" + seq::bold_magenta + at(5, 1) + "        (o" +
                                  seq::bold_magenta + at(6, 1) + "       / \\" + seq::reset);
}

} // namespace
