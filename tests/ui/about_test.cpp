// The about screen.
#include "ui/about.hpp"

#include <gtest/gtest.h>
#include <string>

#include "app/version.hpp"
#include "nav/browser.hpp"
#include "support/stdio_swap.hpp"
#include "term/sequences.hpp"

namespace {

TEST(About, DrawsTitleAndBlockAndTakesOneWholeKey) {
    Browser browser{};
    browser.winsize.ws_row = 24;
    browser.winsize.ws_col = 80;
    StdioSwap stdio("\x1b[Ab");
    show_about(&browser);
    // The arrow closes it, whole; what follows stays queued for the view.
    ASSERT_EQ(browser.keys.length, 1);
    EXPECT_EQ(browser.keys.bytes[0], 'b');
    const std::string out = stdio.output();
    const std::string expected[] = {
        frame_start("About Kesmor"),
        std::string(seq::bold_green) + at(4, 27) + "Welcome to Kesmor " KESMOR_VERSION "!",
        std::string(seq::bold_magenta) + at(5, 27) + "        \\`~'/",
        std::string(seq::bold_yellow) + at(9, 27) + seq::bold_green + at(10, 27) + "Shortcuts:",
        std::string(seq::bold_yellow) + at(18, 27) + "        q: Quit" + seq::reset,
    };
    for (const std::string& part : expected) {
        EXPECT_NE(out.find(part), std::string::npos) << "part=" << testing::PrintToString(part);
    }
}

TEST(About, EndOfInputEndsTheRun) {
    Browser browser{};
    browser.running = 1;
    StdioSwap stdio("");
    show_about(&browser); // must not wait for ever
    EXPECT_EQ(browser.running, 0);
    EXPECT_EQ(stdio.output(), seq::clear_screen) << "a window of no size gets the clear alone";
}

// Nothing wraps in a small window: lines below it are left out, wider ones cut at its edge.
TEST(About, IsCutToASmallWindow) {
    Browser browser{};
    browser.winsize.ws_row = 6;
    browser.winsize.ws_col = 10;
    StdioSwap stdio("x");
    show_about(&browser);
    EXPECT_EQ(stdio.output(), std::string(seq::clear_screen) + seq::bar_background +
                                  seq::bold_white + at(1, 1) + std::string(10, ' ') + at(1, 1) +
                                  "About Kesm" + seq::reset + at(2, 1) + seq::bold_green +
                                  at(3, 1) + "Welcome to" + seq::bold_magenta + at(4, 1) +
                                  "        \\`" + seq::bold_magenta + at(5, 1) + "        (o" +
                                  seq::bold_magenta + at(6, 1) + "       / \\" + seq::reset);
}

} // namespace
