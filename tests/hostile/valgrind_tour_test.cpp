// One tour of every screen by the program built without sanitizers, under valgrind's memcheck:
// any invalid access, use of uninitialised memory or definite leak fails it.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <termios.h>
#include <unistd.h>

#include <fstream>
#include <initializer_list>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "support/gopher_fixture.hpp"
#include "support/name_sandbox.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"
#include "support/tls_fixture.hpp"

namespace {

// Memcheck runs the program some twenty times slower.
constexpr int memcheck_wait_ms = 60'000;

// A fetch that fails after the first page leaves the user on the page with the error on the
// bottom row, and Esc or Ctrl-C cancel a page while it loads.
constexpr bool fetch_failure_ends_run = false;
constexpr bool fetch_can_be_cancelled = true;

PtyOptions under_memcheck(const NameSandbox* sandbox = nullptr) {
    PtyOptions options;
    options.command = {KESMOR_VALGRIND, "--quiet", "--error-exitcode=99", "--leak-check=full",
                       "--errors-for-leak-kinds=definite",
                       // A lookup thread still running at the end holds its own TLS.
                       "--show-possibly-lost=no", KESMOR_PLAIN_BINARY};
    options.sandbox = sandbox;
    return options;
}

// The run has ended with status, and memcheck found nothing.
void expect_clean_end(PtyRun& run, int status) {
    ASSERT_TRUE(wait_for_exit(run, memcheck_wait_ms)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, status)) << describe_end(run) << "\n" << run.errors;
    EXPECT_EQ(run.errors.find("definitely lost"), std::string::npos) << run.errors;
    EXPECT_EQ(describe_mode_change(run.initial_termios, terminal_mode(run)), "");
    EXPECT_TRUE(cursor(run).visible);
}

// A first page with a link to a port that refuses, and one to a server that never answers.
std::string failing_links_menu(int refused_port, int port) {
    return menu_line('i', "Failures ahead", "", "null.host", 1) +
           menu_line('0', "Refused", "/gone", "127.0.0.1", refused_port) +
           menu_line('0', "Stalled", "/stall", "127.0.0.1", port) + ".\r\n";
}

std::string long_document() {
    std::string text;
    for (int n = 1; n <= 100; ++n) {
        text += "Document line " + std::to_string(n) + "\r\n";
    }
    return text;
}

// One step of a tour: keys sent, then the text they bring on screen.
struct TourStep {
    const char* keys;
    const char* shown;
};

// The steps in turn, up to the first whose text never shows.
testing::AssertionResult walk(PtyRun& run, std::initializer_list<TourStep> steps) {
    for (const TourStep& step : steps) {
        send_keys(run, step.keys);
        if (!wait_for_text(run, step.shown, memcheck_wait_ms)) {
            return testing::AssertionFailure() << "\"" << step.shown << "\" never shown\n"
                                               << screen_text(run) << run.errors;
        }
    }
    return testing::AssertionSuccess();
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

    auto run_owner = start_program({"127.0.0.1:" + std::to_string(port)}, under_memcheck());
    PtyRun& run = *run_owner;
    const auto step = [&](const char* keys, const char* then_shown) {
        return walk(run, {{keys, then_shown}});
    };

    ASSERT_TRUE(wait_for_text(run, "Tour start", memcheck_wait_ms))
        << screen_text(run) << describe_end(run) << run.errors;
    ASSERT_TRUE(walk(run, {
                              {"\r", "Document line 1"},
                              {"\033[6", "Document line 21"},
                              {"a", "Shortcuts:"},
                              {"x", "Document line 21"},
                              {"b", "Tour start"},
                              // Forward shows the document where it was left.
                              {"f", "Document line 21"},
                              {"b", "Tour start"},
                              {"\033[B", "->Find things"},
                              {"\r", "Search query:"},
                              // The line editor's keys, a character of two bytes among them, end
                              // at "word": Left, End, Home, Delete, Ctrl-W and Backspace each
                              // change the line.
                              {"xwr\033[Do\033[Fd\033[H\033[3~\033[F cr\xc3\xa8me\027\177",
                               "Search query: word"},
                              {"\r", "Found the word"},
                          }));
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

TEST(ValgrindTour, TlsPagesAndARefusedCertificateRunClean) {
    auto ca = make_test_ca();
    ASSERT_TRUE(ca);
    auto server = start_gopher_server();
    auto good = start_tls_front(*ca, "good", server->port);
    auto expired = start_tls_front(*ca, "expired", server->port);
    ASSERT_TRUE(good && expired);
    serve(*server, "",
          Script{menu_line('i', "Secure start", "", "null.host", 1) +
                 menu_line('0', "Secure notes", "/notes", "localhost", good->port) + ".\r\n"});
    serve(*server, "/notes", Script{long_document()});

    PtyOptions options = under_memcheck();
    options.environment = {trust_test_ca(*ca)};
    auto run_owner = start_program({tls_url(*good, "localhost")}, options);
    PtyRun& run = *run_owner;
    const auto step = [&](const std::string& keys, const char* then_shown) {
        send_keys(run, keys);
        return wait_for_text(run, then_shown, memcheck_wait_ms);
    };
    ASSERT_TRUE(wait_for_text(run, "Secure start", memcheck_wait_ms))
        << screen_text(run) << describe_end(run) << run.errors;
    ASSERT_TRUE(step("\r", "Document line 1")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("b", "Secure start")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step("o", "Open URL:")) << screen_text(run) << run.errors;
    ASSERT_TRUE(step(tls_url(*expired, "localhost") + "\r", "certificate has expired"))
        << screen_text(run) << run.errors;
    send_keys(run, "q");
    expect_clean_end(run, 0);
}

TEST(ValgrindTour, FailedFetchAfterTheFirstPageRunsClean) {
    auto server = start_gopher_server();
    auto refused = reserve_refused_port();
    serve(*server, "", Script{failing_links_menu(refused->port, server->port)});
    auto run = start_program({"127.0.0.1:" + std::to_string(server->port)}, under_memcheck());
    ASSERT_TRUE(wait_for_text(*run, "->Refused", memcheck_wait_ms))
        << screen_text(*run) << describe_end(*run) << run->errors;

    send_keys(*run, "\r");
    if (fetch_failure_ends_run) {
        expect_clean_end(*run, 1);
        EXPECT_NE(run->errors.find("Error: Could not connect to host"), std::string::npos)
            << run->errors;
        return;
    }
    ASSERT_TRUE(wait_for_text(*run, "Error: Could not connect to host", memcheck_wait_ms))
        << screen_text(*run);
    EXPECT_TRUE(screen_contains(*run, "->Refused")) << screen_text(*run);
    send_keys(*run, "q");
    expect_clean_end(*run, 0);
}

TEST(ValgrindTour, CancelledFetchRunsClean) {
    if (!fetch_can_be_cancelled) {
        GTEST_SKIP() << "a page cannot be cancelled while it loads yet (Esc or Ctrl-C during a "
                        "fetch)";
    }
    auto server = start_gopher_server();
    auto refused = reserve_refused_port();
    serve(*server, "", Script{failing_links_menu(refused->port, server->port)});
    serve(*server, "/stall", Script{"Half a li", Reply::stall});
    auto run = start_program({"127.0.0.1:" + std::to_string(server->port)}, under_memcheck());
    ASSERT_TRUE(wait_for_text(*run, "->Refused", memcheck_wait_ms))
        << screen_text(*run) << describe_end(*run) << run->errors;

    // Once by Esc, once by Ctrl-C.
    for (const char* cancel : {"\033", "\003"}) {
        const std::size_t before = request_count(*server);
        send_keys(*run, "\033[B\r");
        ASSERT_TRUE(wait_for_requests(*server, before + 1, memcheck_wait_ms));
        send_keys(*run, cancel);
        ASSERT_TRUE(wait_for_text(*run, "Cancelled.", memcheck_wait_ms)) << screen_text(*run);
        ASSERT_TRUE(wait_for_text(*run, "Stalled", memcheck_wait_ms)) << screen_text(*run);
        send_keys(*run, "\033[A");
    }
    send_keys(*run, "q");
    expect_clean_end(*run, 0);
}

TEST(ValgrindTour, ResizesOnEveryScreenRunClean) {
    auto server = start_gopher_server();
    const int port = server->port;
    serve(*server, "",
          Script{menu_line('i', "Resize start", "", "null.host", 1) +
                 menu_line('0', "A document", "/doc", "127.0.0.1", port) + ".\r\n"});
    serve(*server, "/doc", Script{long_document()});
    auto run_owner = start_program({"127.0.0.1:" + std::to_string(port)}, under_memcheck());
    PtyRun& run = *run_owner;
    ASSERT_TRUE(wait_for_text(run, "Resize start", memcheck_wait_ms))
        << screen_text(run) << describe_end(run) << run.errors;

    // Every size a window can take, from one cell to a wide one, on each screen: the menu, the
    // text, the about screen and a prompt, each redrawn at every size.
    const auto sizes = [&] {
        for (const auto& [rows, cols] : {std::pair{1, 1}, {3, 10}, {100, 300}, {24, 80}}) {
            const std::size_t mark = run.output.size();
            resize(run, rows, cols);
            std::ignore = wait_for_new_output(run, mark, "\033[H\033[J", 2'000);
        }
    };
    sizes();
    send_keys(run, "\r");
    ASSERT_TRUE(wait_for_text(run, "Document line 1", memcheck_wait_ms)) << screen_text(run);
    sizes();
    ASSERT_TRUE(wait_for_text(run, "Document line 1", memcheck_wait_ms)) << screen_text(run);
    // Lines cut and scrolled sideways, wrapped again, a search and the next and previous match.
    send_keys(run, "w\033[C\033[Dw/line 2\rnN");
    ASSERT_TRUE(wait_for_text(run, "Document line 2", memcheck_wait_ms)) << screen_text(run);
    send_keys(run, "\033[H");
    ASSERT_TRUE(wait_for_text(run, "Document line 1", memcheck_wait_ms)) << screen_text(run);
    send_keys(run, "a");
    ASSERT_TRUE(wait_for_text(run, "Shortcuts:", memcheck_wait_ms)) << screen_text(run);
    sizes();
    send_keys(run, "x");
    ASSERT_TRUE(wait_for_text(run, "Document line 1", memcheck_wait_ms)) << screen_text(run);
    send_keys(run, "o");
    ASSERT_TRUE(wait_for_text(run, "Open URL:", memcheck_wait_ms)) << screen_text(run);
    sizes();
    // The prompt redrawn at the last size: no redraw for an earlier one is still to come.
    ASSERT_TRUE(wait_until(
        run, [&] { return row_text(run, 24).find("Open URL:") != std::string::npos; },
        memcheck_wait_ms))
        << screen_text(run);
    send_keys(run, "\033");
    // Esc and q arriving together would be one key, Alt-q.
    ASSERT_TRUE(wait_until(
        run, [&] { return !screen_contains(run, "Open URL:"); }, memcheck_wait_ms))
        << screen_text(run);
    send_keys(run, "q");
    expect_clean_end(run, 0);
}

// A save that completes, one quit while it runs (its temporary file goes with the model), and
// the same download to a standard output that is no terminal.
TEST(ValgrindTour, SavesAndPlainOutputRunClean) {
    auto server = start_gopher_server();
    const int port = server->port;
    const std::string photo(100'000, 'p');
    serve(*server, "",
          Script{menu_line('I', "Photo", "/photo.jpg", "127.0.0.1", port) +
                 menu_line('9', "Endless", "/endless.bin", "127.0.0.1", port) + ".\r\n"});
    serve(*server, "/photo.jpg", Script{photo, Reply::in_pieces, 4096, 1});
    serve(*server, "/endless.bin", Script{"a first part", Reply::stall});
    const ScratchDir dir;
    PtyOptions options = under_memcheck();
    options.working_dir = dir.path;
    auto run = start_program({"127.0.0.1:" + std::to_string(port)}, options);
    ASSERT_TRUE(wait_for_text(*run, "->Photo", memcheck_wait_ms))
        << screen_text(*run) << describe_end(*run) << run->errors;
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "Save as: photo.jpg", memcheck_wait_ms)) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "Saved 97 KB to photo.jpg.", memcheck_wait_ms))
        << screen_text(*run);
    send_keys(*run, "\033[Bs");
    ASSERT_TRUE(wait_for_text(*run, "Save as: endless.bin", memcheck_wait_ms)) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "Saving endless.bin... 0 KB", memcheck_wait_ms))
        << screen_text(*run);
    send_keys(*run, "q");
    expect_clean_end(*run, 0);
    EXPECT_EQ(dir.entries(), std::vector<std::string>{"photo.jpg"});
    EXPECT_EQ(read_file(dir.file("photo.jpg")), photo);

    const std::string out_path = dir.file("out");
    const int out = open(out_path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    ASSERT_GE(out, 0);
    options.stdout_fd = out;
    auto plain = start_program({"127.0.0.1:" + std::to_string(port) + "/9/photo.jpg"}, options);
    ASSERT_TRUE(wait_for_exit(*plain, memcheck_wait_ms)) << describe_end(*plain);
    close(out);
    EXPECT_TRUE(exited_with(*plain, 0)) << describe_end(*plain) << "\n" << plain->errors;
    EXPECT_EQ(plain->errors.find("definitely lost"), std::string::npos) << plain->errors;
    EXPECT_EQ(read_file(out_path), photo);
}

// Lookups in the mix: one that answers from the hosts file on its thread, and ones whose name
// server never answers, cancelled by Esc and by Ctrl-C and still running when the program ends,
// on a later page (status 0) and on the first (status 1).
TEST(ValgrindTour, LookupsLeftRunningAtTheEndRunClean) {
    if (!name_sandbox_permitted()) {
        GTEST_SKIP() << "no mount namespaces here (needs root)";
    }
    const auto name_server = start_silent_name_server();
    if (!name_server) {
        GTEST_SKIP() << "no loopback address for a name server on port 53";
    }
    const auto sandbox =
        make_name_sandbox(resolv_conf_for(name_server->address, 30), "127.0.0.1 localhost\n");
    ASSERT_TRUE(sandbox);
    auto server = start_gopher_server();
    serve(*server, "",
          Script{menu_line('i', "Lookup tour", "", "null.host", 1) +
                 menu_line('0', "By name", "/named", "localhost", server->port) +
                 menu_line('0', "Never", "/never", "never.test", server->port) + ".\r\n"});
    serve(*server, "/named", Script{"Reached by name\r\n"});
    auto run =
        start_program({"127.0.0.1:" + std::to_string(server->port)}, under_memcheck(sandbox.get()));
    ASSERT_TRUE(wait_for_text(*run, "Lookup tour", memcheck_wait_ms))
        << screen_text(*run) << describe_end(*run) << run->errors;
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "Reached by name", memcheck_wait_ms)) << screen_text(*run);
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_text(*run, "->By name", memcheck_wait_ms)) << screen_text(*run);
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_text(*run, "->Never", memcheck_wait_ms)) << screen_text(*run);
    for (const char* cancel : {"\033", "\003"}) {
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_for_text(*run, "Looking up never.test...", memcheck_wait_ms))
            << screen_text(*run);
        send_keys(*run, cancel);
        // The progress row gives way to the words.
        ASSERT_TRUE(wait_for_text(*run, "Cancelled.", memcheck_wait_ms)) << screen_text(*run);
    }
    send_keys(*run, "q");
    expect_clean_end(*run, 0);

    auto first = start_program({"never.test"}, under_memcheck(sandbox.get()));
    ASSERT_TRUE(wait_for_text(*first, "Looking up never.test...", memcheck_wait_ms))
        << screen_text(*first) << describe_end(*first) << first->errors;
    send_keys(*first, "\033");
    expect_clean_end(*first, 1);
    EXPECT_NE(first->errors.find("Cancelled."), std::string::npos) << first->errors;
}

TEST(ValgrindTour, BookmarksAndHistoryRunClean) {
    auto server = start_gopher_server();
    const int port = server->port;
    serve(*server, "",
          Script{menu_line('i', "Tour start", "", "null.host", 1) +
                 menu_line('0', "A document", "/doc", "127.0.0.1", port) + ".\r\n"});
    serve(*server, "/doc", Script{long_document()});
    const ScratchDir data;
    PtyOptions options = under_memcheck();
    options.environment = {"XDG_DATA_HOME=" + data.path};
    auto run_owner = start_program({"127.0.0.1:" + std::to_string(port)}, options);
    PtyRun& run = *run_owner;

    ASSERT_TRUE(wait_for_text(run, "Tour start", memcheck_wait_ms))
        << screen_text(run) << describe_end(run) << run.errors;
    ASSERT_TRUE(walk(run, {
                              {"m", "Bookmarked: A document"},
                              {"B", "Bookmarks"},
                              {"\r", "Document line 1"},
                              {"H", "A document (here)"},
                              {"\033", "Document line 1"},
                              {"b", "->A document"},
                              {"d", "Remove A document? (y/n)"},
                              {"y", "No bookmarks yet."},
                              {"H", "History"},
                              {"\r", "Document line 1"},
                          }));
    send_keys(run, "q");
    expect_clean_end(run, 0);
}

TEST(ValgrindTour, ALinkHandedToAProgramRunsClean) {
    auto server = start_gopher_server();
    const int port = server->port;
    const ScratchDir dir;
    // The stand-in browser records the terminal's mode it was given, then its arguments.
    const std::string record = dir.path + "/record";
    const std::string browser = dir.path + "/browser";
    {
        std::ofstream script(browser);
        script << "#!/bin/sh\nstty -a > " << record << "\nprintf '%s|' \"$@\" >> " << record
               << "\n";
    }
    chmod(browser.c_str(), 0755);
    serve(*server, "",
          Script{menu_line('h', "Web", "URL:https://example.org/", "127.0.0.1", port) + ".\r\n"});
    PtyOptions options = under_memcheck();
    options.environment = {"BROWSER=" + browser};
    auto run_owner = start_program({"127.0.0.1:" + std::to_string(port)}, options);
    PtyRun& run = *run_owner;
    ASSERT_TRUE(wait_for_text(run, "->Web", memcheck_wait_ms))
        << screen_text(run) << describe_end(run) << run.errors;
    send_keys(run, "\r");
    ASSERT_TRUE(wait_for_text(run, "(y/n)", memcheck_wait_ms)) << screen_text(run);
    send_keys(run, "y");
    ASSERT_TRUE(wait_until(
        run,
        [&] {
            const std::optional<std::string> got = read_file(record);
            return got && got->find("https://example.org/|") != std::string::npos;
        },
        memcheck_wait_ms));
    const std::string shown = read_file(record).value_or("");
    // The program it ran had the terminal as the shell leaves it, not in raw mode.
    EXPECT_NE(shown.find(" icanon"), std::string::npos) << shown;
    EXPECT_NE(shown.find(" echo "), std::string::npos) << shown;
    ASSERT_TRUE(wait_for_text(run, "->Web", memcheck_wait_ms)) << screen_text(run);
    EXPECT_EQ(terminal_mode(run).c_lflag & (ICANON | ECHO), 0U) << "raw again";
    send_keys(run, "q");
    expect_clean_end(run, 0);
}
