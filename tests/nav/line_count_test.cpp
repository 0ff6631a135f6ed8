// Line count of a text page.
#include "nav/line_count.hpp"

#include <gtest/gtest.h>
#include <string>

#include "support/line_counts.hpp"
#include "support/reference.hpp"

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
        EXPECT_EQ(count_lines(c.text), c.lines) << "text=" << c.text;
    }
}

// Long texts are counted in pieces and stretches; every length around their edges must give
// the plain count.
TEST(CountLines, LongTextsCountLikeOneByteAtATime) {
    const std::size_t piece = std::size_t{1} << 16;
    for (const std::size_t length : {std::size_t{4079}, std::size_t{4080}, std::size_t{4081},
                                     piece - 1, piece, piece + 1, 3 * piece, 3 * piece + 17}) {
        for (const bool newline_last : {false, true}) {
            std::string text;
            for (std::size_t i = 0; text.size() < length; ++i) {
                text += i % 5 == 0 ? '\n' : static_cast<char>('a' + i % 26);
            }
            text.back() = newline_last ? '\n' : 'z';
            const long plain = reference::line_count(text.data(), text.size());
            EXPECT_EQ(count_lines(text.c_str()), plain)
                << "length=" << length << " last=" << newline_last;
            EXPECT_EQ(lines_in(text), plain) << "length=" << length << " last=" << newline_last;
        }
    }
}

} // namespace
