// Bookmarks, the bookmarks page and the history page as the user sees them, with the bookmarks
// file in a scratch data folder.
#include <gtest/gtest.h>

#include <csignal>
#include <fcntl.h>
#include <filesystem>
#include <optional>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"
#include "support/tls_fixture.hpp"

using namespace e2e;

namespace {

// A root menu with a text and a menu, the text and the menu.
struct Site {
    std::unique_ptr<GopherServer> server = start_gopher_server();
    ScratchDir data;

    Site() {
        const int port = server->port;
        serve(*server, "",
              Script{menu_line('i', "Welcome", "", "null.host", 1) +
                     menu_line('0', "Notes", "/notes", "127.0.0.1", port) +
                     menu_line('1', "Library", "/lib", "127.0.0.1", port) + ".\r\n"});
        serve(*server, "/notes", Script{"The notes themselves\r\n"});
        serve(*server, "/lib",
              Script{menu_line('0', "Book", "/book", "127.0.0.1", port) + ".\r\n"});
        serve(*server, "/book", Script{"A book\r\n"});
    }

    [[nodiscard]] std::string file() const { return data.path + "/kesmor/bookmarks"; }
    [[nodiscard]] std::string line(char type, std::string_view display,
                                   std::string_view selector) const {
        return menu_line(type, display, selector, "127.0.0.1", server->port);
    }
    [[nodiscard]] std::unique_ptr<PtyRun> start(std::vector<std::string> args = {"root"}) const {
        PtyOptions options;
        options.environment = {"XDG_DATA_HOME=" + data.path};
        for (std::string& arg : args) {
            if (arg == "root") {
                arg = address_of(*server);
            }
        }
        return start_program(args, options);
    }
};

bool bottom_is(PtyRun& run, std::string_view text) {
    return wait_until(run, [&] { return row_text(run, 24) == text; });
}

bool has_row(PtyRun& run, std::string_view text) {
    return wait_until(run, [&] { return screen_text(run).find(text) != std::string::npos; });
}

TEST(BookmarksScreen, KeepsTheMarkedLinkThenThePageOfAText) {
    Site site;
    auto run = site.start();
    ASSERT_TRUE(has_row(*run, "->Notes")) << screen_text(*run);

    send_keys(*run, "m");
    ASSERT_TRUE(bottom_is(*run, "Bookmarked: Notes")) << screen_text(*run);
    EXPECT_EQ(look_at(*run, 24, 1).fg, colour::green);
    EXPECT_EQ(read_file(site.file()), site.line('0', "Notes", "/notes"));

    // The same place again writes nothing.
    send_keys(*run, "m");
    ASSERT_TRUE(bottom_is(*run, "Already bookmarked.")) << screen_text(*run);
    EXPECT_EQ(read_file(site.file()), site.line('0', "Notes", "/notes"));

    // A text keeps itself, under the words of the link that led to it.
    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(has_row(*run, "->Book")) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(has_row(*run, "A book")) << screen_text(*run);
    send_keys(*run, "m");
    ASSERT_TRUE(bottom_is(*run, "Bookmarked: Book")) << screen_text(*run);
    EXPECT_EQ(read_file(site.file()),
              site.line('0', "Notes", "/notes") + site.line('0', "Book", "/book"));
    // The message lasts until the next key.
    send_keys(*run, "\033[B");
    EXPECT_TRUE(bottom_is(*run, ""));
}

TEST(BookmarksScreen, PageOpensFollowsAndGoesBack) {
    Site site;
    std::filesystem::create_directories(site.data.path + "/kesmor");
    write_file(site.file(), site.line('0', "Notes", "/notes") + site.line('1', "Library", "/lib"));
    auto run = site.start();
    ASSERT_TRUE(has_row(*run, "->Notes")) << screen_text(*run);

    send_keys(*run, "B");
    ASSERT_TRUE(wait_for_row(*run, 1, at_column((80 - 9) / 2, "Bookmarks"))) << screen_text(*run);
    EXPECT_EQ(look_at(*run, 1, 40), band_look);
    ASSERT_TRUE(has_row(*run, "Library")) << screen_text(*run);
    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(has_row(*run, "->Book")) << screen_text(*run);
    EXPECT_TRUE(has_row(*run, url_of(*site.server, "/1/lib")));

    send_keys(*run, "b");
    ASSERT_TRUE(has_row(*run, "Bookmarks")) << screen_text(*run);
    ASSERT_TRUE(has_row(*run, "->Library")) << screen_text(*run);
    // `u` tells where the link goes.
    send_keys(*run, "u");
    EXPECT_TRUE(bottom_is(*run, url_of(*site.server, "/1/lib"))) << screen_text(*run);
}

TEST(BookmarksScreen, RemovesOnlyOnYesAndKeepsEveryOtherByte) {
    Site site;
    std::filesystem::create_directories(site.data.path + "/kesmor");
    // Edited by hand: a comment, an information line, a blank line, a line with LF alone.
    const std::string head = "# my places\r\n" + menu_line('i', "Reading", "", "null.host", 1);
    const std::string notes = site.line('0', "Notes", "/notes");
    const std::string tail =
        "\r\n1Library\t/lib\t127.0.0.1\t" + std::to_string(site.server->port) + "\n";
    write_file(site.file(), head + notes + tail);
    auto run = site.start({});
    ASSERT_TRUE(has_row(*run, "->Notes")) << screen_text(*run);

    send_keys(*run, "d");
    ASSERT_TRUE(bottom_is(*run, "Remove Notes? (y/n)")) << screen_text(*run);
    send_keys(*run, "n");
    ASSERT_TRUE(bottom_is(*run, "")) << screen_text(*run);
    EXPECT_EQ(read_file(site.file()), head + notes + tail);

    send_keys(*run, "d");
    ASSERT_TRUE(bottom_is(*run, "Remove Notes? (y/n)")) << screen_text(*run);
    send_keys(*run, "Y");
    ASSERT_TRUE(bottom_is(*run, "Removed: Notes")) << screen_text(*run);
    EXPECT_EQ(look_at(*run, 24, 1).fg, colour::green);
    EXPECT_EQ(read_file(site.file()), head + tail);
    // The page shows the file as it is now, the mark on the next bookmark.
    EXPECT_TRUE(has_row(*run, "->Library")) << screen_text(*run);
    for (int row = 4; row < 24; ++row) {
        EXPECT_EQ(row_text(*run, row).find("Notes"), std::string::npos) << row;
    }

    // `d` anywhere else does nothing.
    send_keys(*run, "\r");
    ASSERT_TRUE(has_row(*run, "->Book")) << screen_text(*run);
    send_keys(*run, "d");
    send_keys(*run, "u");
    ASSERT_TRUE(bottom_is(*run, url_of(*site.server, "/0/book"))) << screen_text(*run);
    EXPECT_EQ(read_file(site.file()), head + tail);
}

TEST(BookmarksScreen, StartPageWithNoFileShowsHowToKeepOne) {
    Site site;
    auto run = site.start({});
    ASSERT_TRUE(has_row(*run, "No bookmarks yet. Press m on a page or a link to keep it."))
        << screen_text(*run);
    EXPECT_TRUE(has_row(*run, "Bookmarks"));
    // Nothing to keep or remove here, and nothing written.
    send_keys(*run, "md");
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run));
    EXPECT_TRUE(exited_with(*run, 0));
    EXPECT_FALSE(std::filesystem::exists(site.file()));
}

TEST(BookmarksScreen, FolderThatCannotBeMadeKeepsTheSession) {
    Site site;
    // A file where the data folder should be; a read-only folder too, where the user is no root.
    write_file(site.data.file("file"), "x");
    std::vector<std::pair<std::string, std::string>> cases = {
        {site.data.file("file"), "Not a directory"}};
    if (geteuid() != 0) {
        std::filesystem::create_directory(site.data.file("ro"));
        chmod(site.data.file("ro").c_str(), 0500);
        cases.emplace_back(site.data.file("ro"), "Permission denied");
    }
    for (const auto& [folder, reason] : cases) {
        SCOPED_TRACE(folder);
        PtyOptions options;
        options.environment = {"XDG_DATA_HOME=" + folder};
        auto run = start_program({address_of(*site.server)}, options);
        ASSERT_TRUE(has_row(*run, "->Notes")) << screen_text(*run);
        send_keys(*run, "m");
        ASSERT_TRUE(bottom_is(*run, "Error: Cannot keep the bookmark: " + reason + "."))
            << screen_text(*run);
        EXPECT_EQ(look_at(*run, 24, 1).fg, colour::red);
        send_keys(*run, "\r");
        EXPECT_TRUE(has_row(*run, "The notes themselves")) << screen_text(*run);
    }
}

TEST(BookmarksScreen, FileOfTwoMebibytesIsCutAndNeverRewritten) {
    Site site;
    std::filesystem::create_directories(site.data.path + "/kesmor");
    std::string big = site.line('0', "Notes", "/notes");
    while (big.size() < std::size_t{2} * 1024 * 1024) {
        big += menu_line('i', std::string(70, 'x'), "", "null.host", 1);
    }
    write_file(site.file(), big);
    auto run = site.start({});
    ASSERT_TRUE(has_row(*run, "->Notes")) << screen_text(*run);
    EXPECT_TRUE(has_row(*run, "Bookmarks (incomplete)")) << screen_text(*run);
    EXPECT_TRUE(has_row(*run, "The page is incomplete.")) << screen_text(*run);
    send_keys(*run, "d");
    ASSERT_TRUE(bottom_is(*run, "Remove Notes? (y/n)")) << screen_text(*run);
    send_keys(*run, "y");
    ASSERT_TRUE(bottom_is(*run, "Error: The bookmarks file is too large to change here."))
        << screen_text(*run);
    EXPECT_EQ(read_file(site.file()), big);
}

TEST(HistoryScreen, ListsNewestFirstAndLeavesTheHistoryAsItWas) {
    Site site;
    auto run = site.start();
    ASSERT_TRUE(has_row(*run, "->Notes")) << screen_text(*run);
    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(has_row(*run, "->Book")) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(has_row(*run, "A book")) << screen_text(*run);
    send_keys(*run, "bb");
    ASSERT_TRUE(has_row(*run, "->Library")) << screen_text(*run);

    // Pages ahead of the one on screen above it; a typed address stands as its URL.
    send_keys(*run, "H");
    ASSERT_TRUE(has_row(*run, "History")) << screen_text(*run);
    ASSERT_TRUE(has_row(*run, url_of(*site.server, "/1") + " (here)")) << screen_text(*run);
    const std::string screen = screen_text(*run);
    const auto book = screen.find("Book");
    const auto library = screen.find("Library");
    const auto root = screen.find(url_of(*site.server, "/1") + " (here)");
    ASSERT_NE(book, std::string::npos) << screen;
    ASSERT_NE(library, std::string::npos) << screen;
    EXPECT_LT(book, library);
    EXPECT_LT(library, root);
    EXPECT_NE(screen.find("->" + url_of(*site.server, "/1") + " (here)"), std::string::npos)
        << screen;

    // Esc closes it; forward still goes where it went.
    send_keys(*run, "\033");
    ASSERT_TRUE(has_row(*run, "->Library")) << screen_text(*run);
    send_keys(*run, "f");
    ASSERT_TRUE(has_row(*run, "->Book")) << screen_text(*run);

    // Enter opens an entry as a new visit from the page below.
    send_keys(*run, "H");
    ASSERT_TRUE(has_row(*run, "Library (here)")) << screen_text(*run);
    send_keys(*run, "\033[A\r");
    ASSERT_TRUE(has_row(*run, "A book")) << screen_text(*run);
    send_keys(*run, "b");
    ASSERT_TRUE(has_row(*run, "->Book")) << screen_text(*run);
    send_keys(*run, "b");
    ASSERT_TRUE(has_row(*run, "->Library")) << screen_text(*run);
}

// A page over TLS is kept as a link a menu line can hold, and opens over TLS again.
TEST(BookmarksScreen, PageOverTlsIsKeptAsAGophersLink) {
    Site site;
    auto ca = make_test_ca();
    ASSERT_TRUE(ca);
    auto front = start_tls_front(*ca, "good", site.server->port);
    ASSERT_TRUE(front);
    PtyOptions options;
    options.environment = {"XDG_DATA_HOME=" + site.data.path, trust_test_ca(*ca)};
    auto run = start_program({tls_url(*front, "localhost") + "0/notes"}, options);
    ASSERT_TRUE(has_row(*run, "The notes themselves")) << screen_text(*run) << run->errors;
    send_keys(*run, "m");
    const std::string url = "gophers://localhost:" + std::to_string(front->port) + "/0/notes";
    ASSERT_TRUE(bottom_is(*run, "Bookmarked: " + url)) << screen_text(*run);
    EXPECT_EQ(read_file(site.file()), menu_line('0', url, "URL:" + url, "localhost", front->port));

    send_keys(*run, "B");
    ASSERT_TRUE(has_row(*run, "->" + url)) << screen_text(*run);
    send_keys(*run, "u");
    ASSERT_TRUE(bottom_is(*run, url)) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(has_row(*run, "The notes themselves")) << screen_text(*run);
    EXPECT_TRUE(has_row(*run, url)) << screen_text(*run);
}

TEST(StartPage, PlainOutputWritesTheFileAsItIs) {
    Site site;
    for (const bool with_file : {false, true}) {
        SCOPED_TRACE(with_file);
        const std::string bytes = "# kept\r\n" + site.line('0', "Notes", "/notes");
        if (with_file) {
            std::filesystem::create_directories(site.data.path + "/kesmor");
            write_file(site.file(), bytes);
        }
        const std::string out = site.data.file("out");
        const int fd = ::open(out.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        ASSERT_GE(fd, 0);
        PtyOptions options;
        options.environment = {"XDG_DATA_HOME=" + site.data.path};
        options.stdout_fd = fd;
        auto run = start_program({}, options);
        ASSERT_TRUE(wait_for_exit(*run));
        ::close(fd);
        EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run) << run->errors;
        EXPECT_EQ(read_file(out), with_file ? bytes : "");
    }
}

// A reader gone before the file is written ends the run quietly by SIGPIPE, as a page's plain
// output does.
TEST(StartPage, PlainOutputToAReaderThatLeftEndsQuietly) {
    Site site;
    std::filesystem::create_directories(site.data.path + "/kesmor");
    write_file(site.file(), "# kept\r\n" + site.line('0', "Notes", "/notes"));
    int ends[2] = {-1, -1};
    ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
    ::close(ends[0]);
    PtyOptions options;
    options.environment = {"XDG_DATA_HOME=" + site.data.path};
    options.stdout_fd = ends[1];
    auto run = start_program({}, options);
    ::close(ends[1]);
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(killed_by(*run, SIGPIPE)) << describe_end(*run);
    EXPECT_EQ(run->errors, "");
}

} // namespace
