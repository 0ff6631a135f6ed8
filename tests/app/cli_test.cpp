// The command line, seen from outside: the program run in a pseudo-terminal.
#include <gtest/gtest.h>

#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "base/version.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"

namespace {

// The terminal turns each newline the program writes into CR LF.
std::string as_terminal_shows(std::string_view text) {
    std::string out;
    for (char c : text) {
        if (c == '\n') {
            out += '\r';
        }
        out += c;
    }
    return out;
}

std::vector<std::string> lines_of(const std::string& terminal_bytes) {
    std::vector<std::string> lines;
    std::istringstream in(terminal_bytes);
    for (std::string line; std::getline(in, line);) {
        if (!line.empty() && line.back() == '\r') {
            line.pop_back();
        }
        lines.push_back(line);
    }
    return lines;
}

void expect_usage(const std::vector<std::string>& args) {
    auto run = start_program(args);
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    EXPECT_EQ(run->errors, "");
    ASSERT_TRUE(run->output.ends_with('\n')) << run->output;
    const std::vector<std::string> lines = lines_of(run->output);
    ASSERT_EQ(lines.size(), 9u) << run->output;
    EXPECT_EQ(lines[0], "Usage: kesmor [gopher_address]");
    EXPECT_EQ(lines[1], "A command-line Gopher client.");
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "Arguments:");
    // The two example hosts are free; the frame around them is not.
    const std::regex arguments_line("  gopher_address  The Gopher server address\\. E\\.g\\., "
                                    "'[A-Za-z0-9.-]+\\.[A-Za-z0-9.-]+', "
                                    "'gopher://[A-Za-z0-9.-]+:70/1/dir'\\.");
    EXPECT_TRUE(std::regex_match(lines[4], arguments_line)) << lines[4];
    EXPECT_EQ(lines[5], "");
    EXPECT_EQ(lines[6], "Options:");
    EXPECT_EQ(lines[7], "  -h, --help     Display this help message and exit.");
    EXPECT_EQ(lines[8], "  -v, --version  Display program version and exit.");
    EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "");
}

} // namespace

// No address opens the start page, the bookmarks page, rather than printing the usage.
TEST(CommandLine, NoArgumentOpensTheStartPage) {
    const ScratchDir data;
    PtyOptions options;
    options.environment = {"XDG_DATA_HOME=" + data.path};
    auto run = start_program({}, options);
    ASSERT_TRUE(wait_for_text(*run, "No bookmarks yet.")) << screen_text(*run) << run->errors;
    EXPECT_EQ(run->output.find("Usage:"), std::string::npos);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run));
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
}

TEST(CommandLine, HelpOptionsPrintUsage) {
    for (const char* option : {"-h", "--help"}) {
        SCOPED_TRACE(option);
        expect_usage({option});
    }
}

TEST(CommandLine, HelpIgnoresFurtherArguments) {
    expect_usage({"-h", "extra", "-v"});
}

TEST(CommandLine, VersionOptionsPrintVersion) {
    for (const char* option : {"-v", "--version"}) {
        auto run = start_program({option, "--help"});
        ASSERT_TRUE(wait_for_exit(*run)) << "case=" << option;
        EXPECT_TRUE(exited_with(*run, 0)) << "case=" << option << " " << describe_end(*run);
        EXPECT_EQ(run->output, as_terminal_shows("Kesmor " KESMOR_VERSION "\n"))
            << "case=" << option;
        EXPECT_EQ(run->errors, "") << "case=" << option;
    }
}

TEST(CommandLine, InvalidAddressFailsWithoutTouchingTheTerminal) {
    // Look-alikes of the options are addresses, and invalid ones: a single label may not begin
    // with "-". Each fails before any name lookup.
    for (const char* address :
         {"-hx", "-vv", "--HELP", "-", "", "/1/dir", "alpha!", "alpha.lan:0", "localhost:0"}) {
        auto run = start_program({address});
        ASSERT_TRUE(wait_for_exit(*run)) << "case=" << address;
        EXPECT_TRUE(exited_with(*run, 1)) << "case=" << address << " " << describe_end(*run);
        EXPECT_EQ(run->errors, "Error: Invalid Gopher address format.\n") << "case=" << address;
        EXPECT_EQ(run->output, "") << "case=" << address;
        EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "")
            << "case=" << address;
    }
}

TEST(CommandLine, ValidAddressIgnoresFurtherArguments) {
    auto server = start_gopher_server();
    serve(*server, "/dir", Script{"Some text\r\n"});
    auto run = start_program(
        {"gopher://127.0.0.1:" + std::to_string(server->port) + "/0/dir", "-h", "junk"});
    ASSERT_TRUE(wait_for_requests(*server, 1));
    EXPECT_EQ(requests(*server)[0], "/dir\r\n");
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
    EXPECT_EQ(run->errors, "");
}

TEST(CommandLine, SingleLabelHostIsLookedUp) {
    auto server = start_gopher_server();
    serve(*server, "", Script{"iOn localhost\tsel\tnull.host\t1\r\n.\r\n"});
    auto run = start_program({"localhost:" + std::to_string(server->port)});
    ASSERT_TRUE(wait_for_text(*run, "On localhost")) << screen_text(*run) << run->errors;
    EXPECT_EQ(requests(*server), std::vector<std::string>{"\r\n"});
    EXPECT_NE(row_text(*run, 1).find("gopher://localhost:" + std::to_string(server->port) + "/"),
              std::string::npos)
        << row_text(*run, 1);
    send_keys(*run, "q");
    ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
    EXPECT_TRUE(exited_with(*run, 0)) << describe_end(*run);
}
