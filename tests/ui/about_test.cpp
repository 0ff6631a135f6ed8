// The about screen.
#include "ui/about.hpp"

#include <gtest/gtest.h>
#include <string>

#include "term/sequences.hpp"
#include "ui/stdio_swap.hpp"

namespace {

TEST(About, DrawsTitleAndBlockAndTakesOnlyOneByte) {
    Browser browser{};
    browser.winsize.ws_row = 24;
    browser.winsize.ws_col = 80;
    StdioSwap stdio("\x1b[A");
    show_about(&browser);
    EXPECT_EQ(stdio.unread(), "[A") << "the rest of an arrow key is left for the view";
    const std::string out = stdio.output();
    const std::string expected[] = {
        std::string(seq::clear_screen) + seq::bar_background + seq::bold_white + at(1, 1) +
            std::string(78, ' ') + at(1, 34) + "About Kesmor" + seq::reset + at(2, 1),
        std::string(seq::bold_green) + at(4, 27) + "Welcome to Kesmor 0.9.0!",
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
    EXPECT_NE(stdio.output().find(at(3, 1) + "Welcome"), std::string::npos) << "0x0 window";
}

TEST(About, AKeyTypedWhileLoadingIsTakenFirst) {
    Browser browser{};
    browser.running = 1;
    queue_input(&browser.input, reinterpret_cast<const unsigned char*>("x"), 1);
    StdioSwap stdio("y");
    show_about(&browser);
    EXPECT_EQ(browser.running, 1);
    EXPECT_EQ(browser.input.length, 0u);
    EXPECT_EQ(stdio.unread(), "y");
}

} // namespace
