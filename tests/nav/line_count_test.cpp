// Line count of a text page.
#include "nav/line_count.hpp"

#include <gtest/gtest.h>

namespace {

TEST(CountLines, CountsNewlinesAndAnUnterminatedLastLine) {
    const struct {
        const char* text;
        int lines;
    } cases[] = {
        {"", 0},       {"\n", 1},         {"a", 1},      {"a\n", 1},     {"a\nb", 2},
        {"a\nb\n", 2}, {"a\r\nb\r\n", 2}, {"\n\n\n", 3}, {"a\rb\rc", 1},
    };
    for (const auto& c : cases) {
        Browser browser{};
        count_lines(&browser, c.text);
        EXPECT_EQ(browser.text_lines, c.lines) << "text=" << c.text;
    }
}

} // namespace
