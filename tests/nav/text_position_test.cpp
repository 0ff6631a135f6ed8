// The start of a frame's first line, found from an earlier one, against skipping from the top.
#include "nav/text_position.hpp"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "support/reference.hpp"

namespace {

// Lines of 0 to 300 bytes, some empty, some long enough that the text spans many of the 64 KB
// pieces it is scanned in; ends with or without a newline.
std::string varied_text(int lines, bool final_newline) {
    std::string text;
    unsigned seed = 12345;
    for (int n = 0; n < lines; ++n) {
        seed = seed * 1103515245u + 12345u;
        text.append((seed >> 16) % 301, static_cast<char>('a' + n % 26));
        if (n + 1 < lines || final_newline) {
            text += '\n';
        }
    }
    return text;
}

TEST(TextPosition, SkipLinesStopsWhereTheFrameStarts) {
    const std::vector<std::string> texts = {
        "",
        "a",
        "a\n",
        "\n",
        "\n\n\n",
        "a\nb",
        "a\nb\n",
        "ab\r\ncd\r\n",
        std::string(70000, 'x'),
        varied_text(1500, true),
        varied_text(1500, false),
    };
    for (std::size_t t = 0; t < texts.size(); ++t) {
        const char* text = texts[t].c_str();
        for (long top :
             {-3L, 0L, 1L, 2L, 3L, 63L, 64L, 65L, 100L, 700L, 1499L, 1500L, 1501L, 100000L}) {
            EXPECT_EQ(skip_lines(text, top) - text, reference::skip_lines(text, top) - text)
                << "case=" << t << " top=" << top;
        }
    }
}

TEST(TextPosition, SeekFromAnyEarlierPositionMatchesTheSkip) {
    for (const bool final_newline : {true, false}) {
        const std::string long_text = varied_text(3000, final_newline);
        const char* text = long_text.c_str();
        TextPosition position;
        // Small steps as keys make them, jumps over many pieces, and the ends.
        const long tops[] = {0,    1,    2,    1,    0,    0,    20,  40,   39,   19,   2999,
                             3000, 3001, 5000, 2980, 2981, 2960, 100, 1600, 1580, 1581, 1,
                             4000, 3,    2999, 0,    1500, 750,  751, 3000, 2999, 2998};
        for (const long top : tops) {
            EXPECT_EQ(seek_line(&position, text, top) - text,
                      reference::skip_lines(text, top) - text)
                << "final_newline=" << final_newline << " top=" << top;
        }
    }
}

TEST(TextPosition, APositionInAnotherTextIsNotUsed) {
    const std::string first = varied_text(400, true);
    const std::string second = varied_text(50, false);
    TextPosition position;
    ASSERT_EQ(seek_line(&position, first.c_str(), 300) - first.c_str(),
              reference::skip_lines(first.c_str(), 300) - first.c_str());
    for (const long top : {0L, 10L, 49L, 300L}) {
        EXPECT_EQ(seek_line(&position, second.c_str(), top) - second.c_str(),
                  reference::skip_lines(second.c_str(), top) - second.c_str())
            << "top=" << top;
    }
}

} // namespace
