// One tour of every screen by the program built without sanitizers, under valgrind's memcheck:
// any invalid access, use of uninitialised memory or definite leak fails it.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

// Memcheck runs the program some twenty times slower.
constexpr int memcheck_wait_ms = 60'000;

std::string long_document() {
    std::string text;
    for (int n = 1; n <= 100; ++n) {
        text += "Document line " + std::to_string(n) + "\r\n";
    }
    return text;
}

} // namespace

TEST(ValgrindTour, EveryScreenRunsCleanUnderMemcheck) {
    auto server = start_gopher_server();
    const int port = server->port;
    serve(*server, "",
          Script{menu_line('i', "Tour start", "", "null.host", 1) +
                 menu_line('0', "A document", "/doc", "127.0.0.1", port) +
                 menu_line('7', "Find things", "/find", "127.0.0.1", port) + ".\r\n"});
    serve(*server, "/doc", Script{long_document()});
    serve(*server, "/find\tword",
          Script{menu_line('i', "Found the word", "", "null.host", 1) + ".\r\n"});
    serve(*server, "/notes", Script{"Notes opened by address\r\n"});

    PtyOptions options;
    options.command = {KESMOR_VALGRIND,
                       "--quiet",
                       "--error-exitcode=99",
                       "--leak-check=full",
                       "--errors-for-leak-kinds=definite",
                       KESMOR_PLAIN_BINARY};
    auto run_owner = start_program({"127.0.0.1:" + std::to_string(port)}, options);
    PtyRun& run = *run_owner;
    const auto step = [&](const char* keys, const char* then_shown) {
        send_keys(run, keys);
        return wait_for_text(run, then_shown, memcheck_wait_ms);
    };

    ASSERT_TRUE(wait_for_text(run, "Tour start", memcheck_wait_ms))
        << screen_text(run) << describe_end(run) << run.errors;
    ASSERT_TRUE(step("\r", "Document line 1")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("\033[6", "Document line 21")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("a", "Shortcuts:")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("x", "Document line 21")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("b", "Tour start")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("f", "Document line 1")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("b", "Tour start")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("\033[B", "->Find things")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("\r", "Search query:")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("word\r", "Found the word")) << screen_text(run) << run.errors;
    send_keys(run, "r");
    // Root, document, search, and now the search again.
    ASSERT_TRUE(wait_for_requests(*server, 4, memcheck_wait_ms)) << describe_end(run);
    ASSERT_TRUE(wait_for_text(run, "Found the word", memcheck_wait_ms)) << screen_text(run);
    ASSERT_TRUE(step("o", "Open URL:")) << screen_text(run) << run.errors;
    const std::string address = "127.0.0.1:" + std::to_string(port) + "/0/notes\r";
    ASSERT_TRUE(step(address.c_str(), "Notes opened by address")) << screen_text(run) << run.errors;
    send_keys(run, "q");

    ASSERT_TRUE(wait_for_exit(run, memcheck_wait_ms)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run) << "\n" << run.errors;
    EXPECT_EQ(run.errors.find("definitely lost"), std::string::npos) << run.errors;
    EXPECT_EQ(describe_mode_change(run.initial_termios, terminal_mode(run)), "");
    EXPECT_TRUE(cursor(run).visible);
}
