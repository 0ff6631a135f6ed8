// Two programs at once on one bookmarks file, through the real binary: adds are never lost,
// and a removal takes out only its own line.
#include <gtest/gtest.h>

#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"

using namespace e2e;

namespace {

constexpr int per_program = 100;

std::string label(char who, int n) {
    return std::string(1, who) + std::to_string(n);
}

// A menu of per_program links, "A1" to "A100" (or B...), one screen line each.
std::string menu_of(const GopherServer& server, char who) {
    std::string menu;
    for (int n = 1; n <= per_program; ++n) {
        menu += menu_line('0', label(who, n), "/" + label(who, n), "127.0.0.1", server.port);
    }
    return menu + ".\r\n";
}

std::unique_ptr<PtyRun> start_on(const ScratchDir& data, std::vector<std::string> args) {
    PtyOptions options;
    options.environment = {"XDG_DATA_HOME=" + data.path};
    return start_program(args, options);
}

bool bottom_is(PtyRun& run, const std::string& text) {
    return wait_until(run, [&] { return row_text(run, 24) == text; });
}

int lines_in(const std::string& bytes) {
    int lines = 0;
    for (const char c : bytes) {
        lines += c == '\n' ? 1 : 0;
    }
    return lines;
}

// Each program keeps its n-th link, then moves down; the two take turns key by key, so each
// add lands while the other program is at work.
TEST(SharedBookmarks, TwoProgramsAddingLoseNothing) {
    auto server = start_gopher_server();
    serve(*server, "/a", Script{menu_of(*server, 'A')});
    serve(*server, "/b", Script{menu_of(*server, 'B')});
    ScratchDir data;
    auto a = start_on(data, {address_of(*server, "/1/a")});
    auto b = start_on(data, {address_of(*server, "/1/b")});
    ASSERT_TRUE(wait_for_text(*a, "->A1")) << screen_text(*a);
    ASSERT_TRUE(wait_for_text(*b, "->B1")) << screen_text(*b);
    for (int n = 1; n <= per_program; ++n) {
        send_keys(*a, "m");
        send_keys(*b, "m");
        ASSERT_TRUE(bottom_is(*a, "Bookmarked: " + label('A', n))) << screen_text(*a);
        ASSERT_TRUE(bottom_is(*b, "Bookmarked: " + label('B', n))) << screen_text(*b);
        send_keys(*a, "\033[B");
        send_keys(*b, "\033[B");
    }
    const std::optional<std::string> file = read_file(data.path + "/kesmor/bookmarks");
    ASSERT_TRUE(file);
    EXPECT_EQ(lines_in(*file), 2 * per_program);
    for (const char who : {'A', 'B'}) {
        for (int n = 1; n <= per_program; ++n) {
            const std::string line =
                menu_line('0', label(who, n), "/" + label(who, n), "127.0.0.1", server->port);
            EXPECT_NE(file->find(line), std::string::npos) << line;
        }
    }
}

// One program removes the first bookmarks of the file, one by one, while the other adds its
// own: every added line is there at the end, and only the removed ones are gone.
TEST(SharedBookmarks, RemovingWhileTheOtherAddsLosesNoAddedLine) {
    constexpr int removed = 40;
    auto server = start_gopher_server();
    serve(*server, "/b", Script{menu_of(*server, 'B')});
    ScratchDir data;
    std::filesystem::create_directories(data.path + "/kesmor");
    std::string kept;
    for (int n = 1; n <= per_program; ++n) {
        kept += menu_line('0', label('A', n), "/" + label('A', n), "127.0.0.1", server->port);
    }
    write_file(data.path + "/kesmor/bookmarks", kept);
    auto a = start_on(data, {});
    auto b = start_on(data, {address_of(*server, "/1/b")});
    ASSERT_TRUE(wait_for_text(*a, "->A1")) << screen_text(*a);
    ASSERT_TRUE(wait_for_text(*b, "->B1")) << screen_text(*b);
    for (int n = 1; n <= per_program; ++n) {
        send_keys(*b, "m");
        if (n <= removed) {
            // The mark stays on the first line, which is the next A each time.
            send_keys(*a, "d");
            ASSERT_TRUE(bottom_is(*a, "Remove " + label('A', n) + "? (y/n)")) << screen_text(*a);
            send_keys(*a, "y");
            ASSERT_TRUE(bottom_is(*a, "Removed: " + label('A', n))) << screen_text(*a);
        }
        ASSERT_TRUE(bottom_is(*b, "Bookmarked: " + label('B', n))) << screen_text(*b);
        send_keys(*b, "\033[B");
    }
    const std::optional<std::string> file = read_file(data.path + "/kesmor/bookmarks");
    ASSERT_TRUE(file);
    EXPECT_EQ(lines_in(*file), 2 * per_program - removed);
    for (int n = 1; n <= per_program; ++n) {
        const std::string b_line =
            menu_line('0', label('B', n), "/" + label('B', n), "127.0.0.1", server->port);
        EXPECT_NE(file->find(b_line), std::string::npos) << b_line;
        const std::string a_line =
            menu_line('0', label('A', n), "/" + label('A', n), "127.0.0.1", server->port);
        EXPECT_EQ(file->find(a_line) != std::string::npos, n > removed) << a_line;
    }
}

} // namespace
