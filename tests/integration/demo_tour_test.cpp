// A tour of the demo gopherhole, served by the real Gopher server the demo uses, through the real
// program in a pseudo-terminal.
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>

#include "support/pty_runner.hpp"
#include "support/real_server.hpp"

namespace {

// Connections the server has accepted, from the log its start script keeps for us.
int accepted_connections(const std::string& log) {
    std::ifstream in(log);
    int count = 0;
    for (std::string line; std::getline(in, line);) {
        if (line.find("accepting connection") != std::string::npos) {
            ++count;
        }
    }
    return count;
}

struct LoggedServer {
    std::string log;
    std::unique_ptr<RealServer> server;

    LoggedServer() {
        char path[] = "/tmp/kesmor-tour-log.XXXXXX";
        const int fd = mkstemp(path);
        if (fd >= 0) {
            close(fd);
            log = path;
        }
        setenv("KESMOR_GOPHER_LOG", log.c_str(), 1);
        server = start_real_server();
        unsetenv("KESMOR_GOPHER_LOG");
    }
    ~LoggedServer() {
        server.reset(); // stopped before its log goes
        if (!log.empty()) {
            std::remove(log.c_str());
        }
    }
};

// Waits for text on the screen, then until no further output arrives for the frame.
::testing::AssertionResult shows(PtyRun& run, const std::string& text) {
    if (wait_for_text(run, text)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure() << "no \"" << text << "\" on\n" << screen_text(run);
}

TEST(DemoTour, BrowsesTheDemoOnTheRealServer) {
    LoggedServer real;
    ASSERT_FALSE(real.log.empty());
    ASSERT_TRUE(real.server);
    const std::string port = std::to_string(real.server->port);
    auto run = start_program({real_server_url(*real.server)});

    // The root menu, with the page's URL in the header band.
    ASSERT_TRUE(shows(*run, "Welcome to the Kesmor demo gopherhole"));
    ASSERT_TRUE(shows(*run, "This menu again: a link back to the root"));
    EXPECT_NE(row_text(*run, 1).find("gopher://127.0.0.1:" + port + "/"), std::string::npos);
    EXPECT_NE(row_text(*run, 8).find("->A long read"), std::string::npos) << screen_text(*run);

    // A document opened and paged.
    send_keys(*run, "\r");
    ASSERT_TRUE(shows(*run, "THE LIGHTHOUSE LOG OF SKERRY NESS"));
    send_keys(*run, "\033[6~");
    ASSERT_TRUE(shows(*run, "Day 011"));
    EXPECT_FALSE(screen_contains(*run, "THE LIGHTHOUSE LOG OF SKERRY NESS"));

    // Back to the menu from what the history kept: no new request.
    ASSERT_TRUE(wait_until(*run, [&] { return accepted_connections(real.log) >= 3; }));
    const int before_back = accepted_connections(real.log);
    send_keys(*run, "b");
    ASSERT_TRUE(shows(*run, "Welcome to the Kesmor demo gopherhole"));
    EXPECT_EQ(accepted_connections(real.log), before_back);

    // A submenu scrolled: Page Down moves the selection twenty links on and the list follows.
    send_keys(*run, "\033[B\033[B\033[B\033[B\033[B");
    ASSERT_TRUE(wait_until(*run, [&] { return row_text(*run, 15).find("->Coastal") == 1; }))
        << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(shows(*run, "COASTAL STATIONS"));
    send_keys(*run, "\033[6");
    ASSERT_TRUE(wait_until(*run, [&] {
        return row_text(*run, 23).find("->") == 1 &&
               row_text(*run, 23).find("(station 20)") != std::string::npos;
    })) << screen_text(*run);
    EXPECT_FALSE(screen_contains(*run, "COASTAL STATIONS"));

    // A search answered by the server's script. Back shows the root with the submenu still
    // selected; the search is the next link.
    send_keys(*run, "b");
    ASSERT_TRUE(shows(*run, "Welcome to the Kesmor demo gopherhole"));
    ASSERT_TRUE(wait_until(*run, [&] { return row_text(*run, 15).find("->Coastal") == 1; }))
        << screen_text(*run);
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_until(*run, [&] { return row_text(*run, 16).find("->Search") == 1; }))
        << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(shows(*run, "Search query:"));
    send_keys(*run, "port\r");
    ASSERT_TRUE(shows(*run, "Glossary entries that contain \"port\""));
    ASSERT_TRUE(shows(*run, "default port: 70"));

    // An invalid address is rejected; a valid one is opened.
    send_keys(*run, "o");
    ASSERT_TRUE(shows(*run, "Open URL:"));
    send_keys(*run, "-nowhere\r");
    ASSERT_TRUE(shows(*run, "Error: Invalid Gopher address format. Press any key."));
    send_keys(*run, "x");
    ASSERT_TRUE(wait_until(*run, [&] {
        return !screen_contains(*run, "Error: Invalid") &&
               screen_contains(*run, "Open URL: -nowhere");
    }));
    // Ctrl-U erases what was kept.
    send_keys(*run, "\x15" + std::string("127.0.0.1:") + port + "/0/utf8-sampler.txt\r");
    ASSERT_TRUE(shows(*run, "UTF-8 SAMPLER"));
    EXPECT_NE(row_text(*run, 1).find("/0/utf8-sampler.txt"), std::string::npos);

    // A document whose first line holds TABs is text, first letters and all.
    send_keys(*run, "o");
    ASSERT_TRUE(shows(*run, "Open URL:"));
    send_keys(*run, "gopher://localhost:" + port + "/0/docs/table.tsv\r");
    ASSERT_TRUE(shows(*run, "Name"));
    EXPECT_EQ(row_text(*run, 5).substr(0, 6), " alpha") << screen_text(*run);
    EXPECT_EQ(row_text(*run, 6).substr(0, 5), " beta") << screen_text(*run);
    EXPECT_NE(row_text(*run, 1).find("gopher://localhost:" + port + "/0/docs/table.tsv"),
              std::string::npos);

    // The wide lines: wrapped after their last blank that fits; a search brings a boat to the
    // top; `w` cuts them, and Right shows the columns past the room.
    send_keys(*run, "o");
    ASSERT_TRUE(shows(*run, "Open URL:"));
    send_keys(*run, "127.0.0.1:" + port + "/0/ferry-timetable.txt\r");
    ASSERT_TRUE(shows(*run, "THE LAKE FERRY TIMETABLE"));
    ASSERT_TRUE(shows(*run, " ...............................| and column 79 is cut or wraps."));
    send_keys(*run, "/kestrel\r");
    ASSERT_TRUE(wait_until(*run, [&] {
        return row_text(*run, 4).find("(try: kestrel)") != std::string::npos;
    })) << screen_text(*run);
    // The timetable's row comes as far up as the last screen allows, its name marked.
    const std::string kestrel = "Kestrel   16:35        16:49        17:06        17:26        "
                                "17:40        17:57        18:17        18:31";
    send_keys(*run, "n");
    ASSERT_TRUE(wait_until(*run, [&] {
        for (int row = 4; row < 24; ++row) {
            if (row_text(*run, row) == " " + kestrel.substr(0, 67) &&
                cell_at(*run, row, 2).reverse) {
                return true;
            }
        }
        return false;
    })) << screen_text(*run);
    send_keys(*run, "w\033[C");
    ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, " " + kestrel.substr(39)); }))
        << screen_text(*run);
    send_keys(*run, "w");
    ASSERT_TRUE(wait_until(*run, [&] { return !screen_contains(*run, kestrel.substr(39)); }))
        << screen_text(*run);

    // Quit: status 0 and the terminal as it was.
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "");
    EXPECT_TRUE(cursor(*run).visible);
    EXPECT_EQ(run->errors, "");
}

} // namespace
