// Screen primitives: the exact bytes they leave in standard output.
#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <unistd.h>

#include "term/screen.hpp"

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// Everything draw writes to standard output, which meanwhile goes to a temporary file.
std::string captured(const std::function<void()>& draw) {
    std::fflush(stdout);
    const std::unique_ptr<std::FILE, FileCloser> file{std::tmpfile()};
    if (!file) {
        ADD_FAILURE() << "no temporary file";
        return {};
    }
    const int saved = dup(STDOUT_FILENO);
    dup2(fileno(file.get()), STDOUT_FILENO);
    draw();
    std::fflush(stdout);
    dup2(saved, STDOUT_FILENO);
    close(saved);

    std::string text;
    std::rewind(file.get());
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, file.get())) > 0;) {
        text.append(buffer, n);
    }
    return text;
}

} // namespace

TEST(Screen, CentredTextStartsAtHalfTheSpareWidth) {
    struct Case {
        int width;
        std::size_t length;
        int column;
    };
    // Below column 2 the text starts at the edge, also when it is wider than the screen.
    for (const Case c : {Case{80, 78, 1}, Case{82, 78, 2}, Case{83, 78, 2}, Case{80, 4, 38},
                         Case{10, 78, 1}, Case{0, 0, 1}}) {
        EXPECT_EQ(centered_column(static_cast<long>(c.length), c.width), c.column)
            << "case=" << c.width << "/" << c.length;
    }
}

TEST(Screen, ClearRowBlanksTheWidthFromColumnOne) {
    EXPECT_EQ(captured([] { clear_row(4, 5); }), "\033[4;1H     ");
    // Nothing to blank: only the cursor moves.
    EXPECT_EQ(captured([] { clear_row(4, 0); }), "\033[4;1H");
}
