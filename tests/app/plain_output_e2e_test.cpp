// The program with standard output that is no terminal: the response's bytes as received on
// standard output, the terminal untouched, status 0; any failure on standard error, status 1.
#include <csignal>
#include <gtest/gtest.h>

#include <fcntl.h>
#include <string>
#include <string_view>
#include <unistd.h>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"

using namespace e2e;
using namespace std::string_literals;

namespace {

// The program in a terminal, its standard output a file of the scratch directory.
struct PlainRun {
    ScratchDir dir;
    std::string out_path = dir.file("out");
    int out_fd = open(out_path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    std::unique_ptr<PtyRun> run;

    explicit PlainRun(const std::string& address) {
        PtyOptions options;
        options.stdout_fd = out_fd;
        options.working_dir = dir.path;
        run = start_program({address}, options);
        EXPECT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    }
    PlainRun(const PlainRun&) = delete;
    PlainRun& operator=(const PlainRun&) = delete;
    ~PlainRun() { close(out_fd); }

    std::string written() const { return read_file(out_path).value_or("(no file)"); }
    // Nothing reached the terminal, whose modes are as they were.
    void expect_terminal_untouched() const {
        EXPECT_EQ(run->output, "");
        EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "");
        EXPECT_EQ(dir.entries(), std::vector<std::string>{"out"}) << "nothing else is written";
    }
};

std::string every_byte(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>((i * 13 + i / 256) & 0xFF);
    }
    return bytes;
}

} // namespace

TEST(PlainOutput, WritesTheResponseAsReceived) {
    auto server = start_gopher_server();
    const std::string menu = menu_line('i', "\033[2JA menu", "", "null.host", 1) +
                             menu_line('0', "Text", "/text", "127.0.0.1", server->port) + ".\r\n";
    const std::string text = "Plain \033[31mtext\r\nwith\tcontrols\x07 and a NUL \0 too"s;
    const std::string binary = every_byte(std::size_t{3} * 1024 * 1024 + 17);
    const struct {
        const char* name;
        std::string path;
        std::string selector;
        Script script;
    } cases[] = {
        {"menu", "/", "", Script{menu}},
        {"text", "/0/text", "/text", Script{text}},
        // Big and in pieces: it goes out as it arrives.
        {"binary", "/9/file.bin", "/file.bin", Script{binary, Reply::in_pieces, 65536, 1}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        serve(*server, c.selector, c.script);
        const std::size_t before = request_count(*server);
        const PlainRun plain(url_of(*server, c.path));
        EXPECT_TRUE(exited_with(*plain.run, 0)) << describe_end(*plain.run) << plain.run->errors;
        EXPECT_EQ(plain.run->errors, "");
        const std::string written = plain.written();
        EXPECT_EQ(written.size(), c.script.response.size());
        EXPECT_TRUE(written == c.script.response) << "the bytes differ";
        plain.expect_terminal_untouched();
        ASSERT_EQ(request_count(*server), before + 1);
        EXPECT_EQ(requests(*server).back(), c.selector + "\r\n");
    }
}

TEST(PlainOutput, FailuresEndWithStatusOneAndTheMessageOnStandardError) {
    auto server = start_gopher_server();
    auto refused = reserve_refused_port();
    serve(*server, "/cut", Script{"The first half of", Reply::reset});
    const struct {
        const char* name;
        std::string address;
        const char* message;
        const char* written;
    } cases[] = {
        {"refused", "127.0.0.1:" + std::to_string(refused->port),
         "Error: Could not connect to host\n", ""},
        // The bytes before the failure went out; the status says they are not all.
        {"cut off", url_of(*server, "/0/cut"), "Error: Failed to read from socket.\n",
         "The first half of"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const PlainRun plain(c.address);
        EXPECT_TRUE(exited_with(*plain.run, 1)) << describe_end(*plain.run);
        EXPECT_EQ(plain.run->errors, c.message);
        // What came before the failure went out (a reset may also have dropped it).
        EXPECT_TRUE(std::string_view(c.written).starts_with(plain.written())) << plain.written();
        plain.expect_terminal_untouched();
    }
}

// A reader that goes away (kesmor URL | head -c 1) ends the run by SIGPIPE, as it ends other
// tools: no message.
TEST(PlainOutput, AReaderThatLeavesEndsTheRunQuietlyBySigpipe) {
    auto server = start_gopher_server();
    serve(*server, "/big", Script{every_byte(std::size_t{1024} * 1024), Reply::in_pieces, 4096, 1});
    for (const bool read_one : {false, true}) {
        SCOPED_TRACE(read_one ? "after one byte read" : "gone before the start");
        int ends[2] = {-1, -1};
        ASSERT_EQ(pipe2(ends, O_CLOEXEC), 0);
        if (!read_one) {
            close(ends[0]);
        }
        PtyOptions options;
        options.stdout_fd = ends[1];
        auto run = start_program({url_of(*server, "/9/big")}, options);
        close(ends[1]);
        if (read_one) {
            char byte = 0;
            ASSERT_EQ(read(ends[0], &byte, 1), 1);
            close(ends[0]);
        }
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
        EXPECT_TRUE(killed_by(*run, SIGPIPE)) << describe_end(*run);
        EXPECT_EQ(run->errors, "");
        EXPECT_EQ(run->output, "");
    }
}
