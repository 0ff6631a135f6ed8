// Programs sharing the bookmarks file at once, as real processes: no line is lost.
#include <algorithm>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <unistd.h>
#include <vector>

#include "nav/bookmarks_file.hpp"
#include "support/child_process.hpp"
#include "support/scratch_dir.hpp"

namespace {

namespace fs = std::filesystem;

constexpr int per_process = 100;

Bookmark numbered(const std::string& who, int i) {
    return {'1', who + " " + std::to_string(i), "/" + who + "/" + std::to_string(i), "example.org",
            70};
}

std::string line_of(const Bookmark& bookmark) {
    return bookmark_line(bookmark).value_or("");
}

// Held closed until the parent lets every child go at once.
struct StartGate {
    int fds[2] = {-1, -1};
    StartGate() { EXPECT_EQ(pipe(fds), 0); }
    StartGate(const StartGate&) = delete;
    StartGate& operator=(const StartGate&) = delete;
    ~StartGate() { open_gate(); }
    // In a child: returns when the parent opens the gate (or goes).
    void wait() {
        close(fds[1]);
        char byte = 0;
        while (read(fds[0], &byte, 1) < 0 && errno == EINTR) {
        }
    }
    void open_gate() {
        for (int& fd : fds) {
            if (fd >= 0) {
                close(fd);
                fd = -1;
            }
        }
    }
};

// The lines of the file, each with its end.
std::vector<std::string> lines_of(const std::string& bytes) {
    std::vector<std::string> lines;
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t end = std::min(bytes.find('\n', at), bytes.size() - 1);
        lines.push_back(bytes.substr(at, end + 1 - at));
        at = end + 1;
    }
    return lines;
}

struct BookmarksRace : testing::Test {
    ScratchDir scratch;
    std::string path = scratch.file("data/kesmor/bookmarks");

    // In a child: adds this process's bookmarks one by one; 0 when each was added.
    [[nodiscard]] int add_all(const std::string& who) const {
        for (int i = 0; i < per_process; ++i) {
            if (add_bookmark(path, numbered(who, i)).status != AddStatus::added) {
                return 1;
            }
        }
        return 0;
    }
};

TEST_F(BookmarksRace, TwoProgramsAddingAtOnceLeaveEveryLine) {
    StartGate gate;
    std::vector<pid_t> children;
    for (const std::string who : {"ann", "bob"}) {
        children.push_back(start_child([&] {
            gate.wait();
            return add_all(who);
        }));
    }
    gate.open_gate();
    for (const pid_t child : children) {
        EXPECT_EQ(wait_child(child), 0);
    }
    std::vector<std::string> lines = lines_of(read_file(path).value_or(""));
    EXPECT_EQ(lines.size(), 2U * per_process);
    std::vector<std::string> expected;
    for (const std::string who : {"ann", "bob"}) {
        for (int i = 0; i < per_process; ++i) {
            expected.push_back(line_of(numbered(who, i)));
        }
    }
    std::sort(lines.begin(), lines.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(lines, expected);
}

TEST_F(BookmarksRace, ARemovalWhileAnotherAddsLosesNoAddedLine) {
    // The older bookmarks, which one program removes while the other adds new ones.
    std::string old_lines;
    for (int i = 0; i < per_process; ++i) {
        old_lines += line_of(numbered("old", i));
    }
    fs::create_directories(fs::path(path).parent_path());
    write_file(path, old_lines);

    StartGate gate;
    const pid_t adder = start_child([&] {
        gate.wait();
        return add_all("new");
    });
    const pid_t remover = start_child([&] {
        gate.wait();
        for (int i = 0; i < per_process; ++i) {
            const std::string bytes = read_bookmarks(path).bytes;
            const std::size_t at = bytes.find(line_of(numbered("old", i)));
            if (at == std::string::npos ||
                remove_bookmark(path, line_spot(bytes, at)).status != RemoveStatus::removed) {
                return 1;
            }
        }
        return 0;
    });
    gate.open_gate();
    EXPECT_EQ(wait_child(adder), 0);
    EXPECT_EQ(wait_child(remover), 0);

    std::vector<std::string> lines = lines_of(read_file(path).value_or(""));
    std::vector<std::string> expected;
    for (int i = 0; i < per_process; ++i) {
        expected.push_back(line_of(numbered("new", i)));
    }
    // Appends keep their order.
    EXPECT_EQ(lines, expected);
}

} // namespace
