// The header bar on row 1.
#include "ui/header.hpp"

#include <gtest/gtest.h>
#include <string>

#include "support/frame_text.hpp"
#include "support/model_fixture.hpp"
#include "ui/looks.hpp"

namespace {

// Row 1 as text, then each column's part: ' ' outside the band, 'b' on it.
std::string header_at(const char* host, const char* selector, char type, int rows, int cols) {
    ModelFixture owned(host, 70, selector, type);
    owned.window(rows, cols);
    Frame frame = make_frame(rows, cols);
    draw_header(owned.model, &frame);
    if (frame.rows == 0) {
        return "";
    }
    std::string band;
    for (int col = 1; col <= cols; ++col) {
        band += frame_attr(frame, 1, col) == look::bar ? 'b' : ' ';
    }
    return frame_row(frame, 1) + "|" + band.erase(band.find_last_not_of(' ') + 1);
}

std::string bar(int band_col, int band_width, int url_col, const std::string& url) {
    return std::string(static_cast<std::size_t>(url_col - 1), ' ') + url + "|" +
           std::string(static_cast<std::size_t>(band_col - 1), ' ') +
           std::string(static_cast<std::size_t>(band_width), 'b');
}

// The band and the URL end at the window's last column; the URL is centred by the columns it
// shows in, after the filter, and a search's TAB shows as one blank.
TEST(Header, BandAndUrlAreCutToTheWindowAndCentredByColumns) {
    const std::string han = "\xe6\xbc\xa2"; // two columns
    const struct {
        const char* host;
        std::string selector;
        char type;
        int cols;
        std::string expected;
    } cases[] = {
        // 27 columns of URL: as wide windows have always shown it.
        {"alpha.lan", "/doc", '0', 80, bar(1, 78, 26, "gopher://alpha.lan:70/0/doc")},
        {"alpha.lan", "/doc", '0', 120, bar(21, 78, 46, "gopher://alpha.lan:70/0/doc")},
        {"alpha.lan", "/doc", '0', 40, bar(1, 40, 6, "gopher://alpha.lan:70/0/doc")},
        {"alpha.lan", "/doc", '0', 27, bar(1, 27, 1, "gopher://alpha.lan:70/0/doc")},
        {"alpha.lan", "/doc", '0', 20, bar(1, 20, 1, "gopher://alpha.lan:7")},
        {"alpha.lan", "/doc", '0', 1, bar(1, 1, 1, "g")},
        // Escape sequences take no column, wide characters two.
        {"alpha.lan", "/\x1b]0;owned\x07x", '1', 100, bar(11, 78, 37, "gopher://alpha.lan:70/1/x")},
        {"alpha.lan", "/" + han + han, '1', 30,
         bar(1, 30, 1, "gopher://alpha.lan:70/1/" + han + han)},
        {"alpha.lan", "/" + han + han, '1', 27, bar(1, 27, 1, "gopher://alpha.lan:70/1/" + han)},
        {"alpha.lan", "/search\tkesmor", '7', 80,
         bar(1, 78, 21, "gopher://alpha.lan:70/7/search kesmor")},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(header_at(c.host, c.selector.c_str(), c.type, 24, c.cols), c.expected)
            << "selector=" << testing::PrintToString(c.selector) << " cols=" << c.cols;
    }
}

TEST(Header, NothingIsDrawnInAWindowOfNoSize) {
    EXPECT_EQ(header_at("alpha.lan", "/", '1', 0, 0), "");
    EXPECT_EQ(header_at("alpha.lan", "/", '1', 24, 0), "");
    EXPECT_EQ(header_at("alpha.lan", "/", '1', 0, 80), "");
}

} // namespace
