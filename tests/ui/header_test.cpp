// The header bar on row 1.
#include "ui/header.hpp"

#include <gtest/gtest.h>
#include <string>

#include "nav/browser.hpp"
#include "support/browser_fixture.hpp"
#include "support/stdio_swap.hpp"
#include "term/sequences.hpp"

namespace {

// Host and selector can come from a menu line; the URL is centred by its received bytes.
TEST(Header, UrlIsFilteredButCentredByItsReceivedLength) {
    OwnedBrowser owned("alpha.lan", 70, "/\x1b]0;owned\x07x", '1');
    owned.window(24, 100);
    const Browser& browser = owned.browser;
    StdioSwap stdio("");
    draw_header(&browser);
    const std::string url = "gopher://alpha.lan:70/1/\x1b]0;owned\x07x";
    const int url_col = (100 - static_cast<int>(url.size())) / 2;
    EXPECT_EQ(stdio.output(), std::string(seq::bar_background) + seq::bold_white + at(1, 11) +
                                  std::string(78, ' ') + at(1, url_col) +
                                  "gopher://alpha.lan:70/1/x" + seq::reset + at(2, 1));
}

} // namespace
