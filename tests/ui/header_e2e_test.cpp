// The header bar seen through a terminal in windows narrower than its band: nothing of it
// wraps onto the rows below.
#include <gtest/gtest.h>

#include <string>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

using namespace e2e;

namespace {

TEST(HeaderScreen, BandAndUrlFitNarrowWindows) {
    for (const int cols : {80, 60, 30, 20, 10}) {
        SCOPED_TRACE(::testing::Message() << "cols=" << cols);
        auto server = start_gopher_server();
        serve(*server, "", Script{menu_line('0', "Doc", "/doc", "127.0.0.1", server->port)});
        PtyOptions options;
        options.rows = 8;
        options.cols = cols;
        auto run = start_program({address_of(*server)}, options);
        const int content_col = cols >= 80 ? 2 : 1;
        ASSERT_TRUE(wait_for_row(*run, 4, at_column(content_col, "->Doc")))
            << screen_text(*run) << run->errors;

        // Centred while it fits, from column 1 and cut at the last column when it does not.
        const std::string url = url_of(*server);
        const int width = static_cast<int>(url.size());
        EXPECT_EQ(row_text(*run, 1),
                  width <= cols ? at_column((cols - width) / 2 < 2 ? 1 : (cols - width) / 2, url)
                                : url.substr(0, static_cast<std::size_t>(cols)));
        for (int col = 1; col <= cols; ++col) {
            EXPECT_EQ(look_at(*run, 1, col), col <= 78 ? band_look : plain_look) << "col=" << col;
        }
        EXPECT_EQ(look_at(*run, 2, 1), plain_look);
        EXPECT_EQ(row_text(*run, 2), "");
        EXPECT_EQ(row_text(*run, 3), "");
    }
}

} // namespace
