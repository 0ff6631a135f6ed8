// gophers:// against real TLS servers: stunnel in front of the test's Gopher server, a test CA
// made in the test, the program pointed at it through SSL_CERT_FILE alone. Pages, links that
// keep or leave TLS, a search, a save and plain output; certificates that must be refused; a
// server that answers in cleartext, one that never ends its handshake, one that closes without
// the close notification.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <memory>
#include <string>
#include <unistd.h>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"
#include "support/tls_fixture.hpp"

using namespace e2e;

namespace {

const WindowSize& size = window_sizes[0];
const int bottom = size.rows;

std::string numbered_lines(int count) {
    std::string text;
    for (int i = 1; i <= count; ++i) {
        text += "line " + std::to_string(i) + "\r\n";
    }
    return text;
}

class TlsE2e : public ::testing::Test {
  protected:
    static void SetUpTestSuite() { ca = make_test_ca(); }
    static void TearDownTestSuite() { ca.reset(); }
    void SetUp() override { ASSERT_TRUE(ca); }

    static PtyOptions options() {
        PtyOptions o = options_for(size);
        o.env = {trust_test_ca(*ca)};
        return o;
    }

    // The program with standard output in a file: status and what was written.
    struct Plain {
        ScratchDir dir;
        std::unique_ptr<PtyRun> run;
        std::string written;
    };
    static std::unique_ptr<Plain> run_plain(const std::string& address,
                                            std::vector<std::string> command = {}) {
        auto plain = std::make_unique<Plain>();
        const std::string path = plain->dir.file("out");
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        PtyOptions o = options();
        o.stdout_fd = fd;
        o.command = std::move(command);
        plain->run = start_program({address}, o);
        EXPECT_TRUE(wait_for_exit(*plain->run)) << describe_end(*plain->run);
        close(fd);
        plain->written = read_file(path).value_or("(no file)");
        return plain;
    }

    static inline std::unique_ptr<TestCa> ca;
};

void quit(PtyRun& run) {
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run) << run.errors;
}

} // namespace

TEST_F(TlsE2e, LinksOnTheSameServerKeepTlsAndOthersAreAsTheirLinesSay) {
    auto server = start_gopher_server();
    auto front = start_tls_front(*ca, "good", server->port);
    ASSERT_TRUE(front);
    const int tls_port = front->port;
    serve(*server, "",
          Script{menu_line('0', "Notes", "/notes", "localhost", tls_port) +
                 menu_line('1', "Shouted", "/up", "LOCALHOST", tls_port) +
                 menu_line('1', "Plain", "/plain", "127.0.0.1", server->port) +
                 menu_line('7', "Find", "/find", "localhost", tls_port) + ".\r\n"});
    serve(*server, "/notes", Script{"Notes over TLS\r\n"});
    serve(*server, "/up", Script{menu_line('i', "Up again", "", "null.host", 1) + ".\r\n"});
    serve(*server, "/plain", Script{menu_line('i', "In the clear", "", "null.host", 1) + ".\r\n"});
    serve(*server, "/find\tword", Script{menu_line('i', "Found it", "", "null.host", 1) + ".\r\n"});
    const std::string root = tls_url(*front, "localhost");
    auto run = start_program({root}, options());
    ASSERT_TRUE(wait_for_text(*run, "->Notes")) << screen_text(*run) << run->errors;
    EXPECT_NE(row_text(*run, 1).find(root), std::string::npos) << row_text(*run, 1);

    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "Notes over TLS")) << screen_text(*run);
    EXPECT_NE(row_text(*run, 1).find(root + "0/notes"), std::string::npos) << row_text(*run, 1);
    send_keys(*run, "u");
    ASSERT_TRUE(wait_for_row(*run, bottom, root + "0/notes")) << screen_text(*run);
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_text(*run, "->Notes")) << screen_text(*run);

    // The host in other letters is the same server.
    send_keys(*run, "\033[B");
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "Up again")) << screen_text(*run);
    const std::string shouted = "gophers://LOCALHOST:" + std::to_string(tls_port) + "/1/up";
    EXPECT_NE(row_text(*run, 1).find(shouted), std::string::npos) << row_text(*run, 1);
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_text(*run, "->Shouted")) << screen_text(*run);

    // Another server: cleartext, as the line says.
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_for_text(*run, "->Plain")) << screen_text(*run);
    send_keys(*run, "u");
    const std::string plain = "gopher://127.0.0.1:" + std::to_string(server->port) + "/1/plain";
    ASSERT_TRUE(wait_for_row(*run, bottom, plain)) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_text(*run, "In the clear")) << screen_text(*run);
    EXPECT_NE(row_text(*run, 1).find(plain), std::string::npos) << row_text(*run, 1);
    send_keys(*run, "b");
    ASSERT_TRUE(wait_for_text(*run, "->Plain")) << screen_text(*run);

    // A search on the same server goes over TLS too.
    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(wait_for_text(*run, "Search query:")) << screen_text(*run);
    send_keys(*run, "word\r");
    ASSERT_TRUE(wait_for_text(*run, "Found it")) << screen_text(*run);
    EXPECT_NE(row_text(*run, 1).find(root + "7/find"), std::string::npos) << row_text(*run, 1);

    EXPECT_EQ(requests(*server), (std::vector<std::string>{"\r\n", "/notes\r\n", "/up\r\n",
                                                           "/plain\r\n", "/find\tword\r\n"}));
    quit(*run);
}

TEST_F(TlsE2e, SavesAnItemAndWritesPlainOutputOverTls) {
    auto server = start_gopher_server();
    auto front = start_tls_front(*ca, "good", server->port);
    ASSERT_TRUE(front);
    std::string blob(300'000, '\0');
    for (std::size_t i = 0; i < blob.size(); ++i) {
        blob[i] = static_cast<char>(i * 7 % 251);
    }
    serve(*server, "/blob.bin", Script{blob, Reply::in_pieces, 8192, 1});
    serve(*server, "",
          Script{menu_line('9', "Blob", "/blob.bin", "localhost", front->port) + ".\r\n"});

    ScratchDir dir;
    PtyOptions o = options();
    o.working_dir = dir.path;
    auto run = start_program({tls_url(*front, "localhost")}, o);
    ASSERT_TRUE(wait_for_text(*run, "->Blob")) << screen_text(*run) << run->errors;
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: blob.bin")) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_until(*run, [&] { return row_text(*run, bottom).starts_with("Saved "); }))
        << screen_text(*run);
    EXPECT_EQ(read_file(dir.file("blob.bin")), blob);
    quit(*run);

    const auto plain = run_plain(tls_url(*front, "localhost") + "9/blob.bin");
    EXPECT_TRUE(exited_with(*plain->run, 0)) << describe_end(*plain->run) << plain->run->errors;
    EXPECT_TRUE(plain->written == blob) << plain->written.size() << " bytes written";
    EXPECT_EQ(plain->run->output, "");
}

TEST_F(TlsE2e, RefusedCertificatesAndCleartextFailWithTheLibrarysWords) {
    struct Case {
        const char* cert; // nullptr: a server that answers in cleartext
        const char* host;
        const char* message;
    };
    const Case cases[] = {
        {"wrong", "localhost", "Error: TLS: hostname mismatch.\n"},
        {"wrong", "127.0.0.1", "Error: TLS: IP address mismatch.\n"},
        {"expired", "localhost", "Error: TLS: certificate has expired.\n"},
        {"self", "localhost", "Error: TLS: self-signed certificate.\n"},
        {nullptr, "localhost", "Error: TLS: wrong version number.\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.cert != nullptr ? c.cert : "cleartext");
        auto server = start_gopher_server();
        serve_default(*server, Script{"iSecret\tx\tnull.host\t1\r\n.\r\n"});
        std::unique_ptr<TlsFront> front;
        std::unique_ptr<TlsTestServer> clear;
        int port = 0;
        if (c.cert != nullptr) {
            front = start_tls_front(*ca, c.cert, server->port);
            ASSERT_TRUE(front);
            port = front->port;
        } else {
            clear = start_tls_test_server(*ca, TlsServerMode::cleartext,
                                          "iSecret\tx\tnull.host\t1\r\n.\r\n");
            ASSERT_TRUE(clear);
            port = clear->port;
        }
        const auto plain =
            run_plain("gophers://" + std::string(c.host) + ":" + std::to_string(port) + "/");
        EXPECT_TRUE(exited_with(*plain->run, 1)) << describe_end(*plain->run);
        EXPECT_EQ(plain->run->errors, c.message);
        EXPECT_EQ(plain->written, "") << "never read in cleartext";
        EXPECT_EQ(request_count(*server), 0U) << "nothing passed the refused handshake";
    }
}

TEST_F(TlsE2e, ARefusedCertificateAfterTheFirstPageLeavesTheSessionAsItWas) {
    auto server = start_gopher_server();
    serve_default(*server, Script{menu_line('i', "Welcome", "", "null.host", 1) + ".\r\n"});
    auto good = start_tls_front(*ca, "good", server->port);
    auto expired = start_tls_front(*ca, "expired", server->port);
    ASSERT_TRUE(good && expired);
    auto run = start_program({tls_url(*good, "localhost")}, options());
    ASSERT_TRUE(wait_for_text(*run, "Welcome")) << screen_text(*run) << run->errors;
    send_keys(*run, "o");
    send_keys(*run, tls_url(*expired, "localhost") + "\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Error: TLS: certificate has expired."))
        << screen_text(*run);
    EXPECT_EQ(look_at(*run, bottom, 1), (Look{colour::red, colour::none, true}));
    EXPECT_NE(row_text(*run, 1).find(tls_url(*good, "localhost")), std::string::npos);
    EXPECT_TRUE(screen_contains(*run, "Welcome"));
    quit(*run);
}

TEST_F(TlsE2e, AHandshakeThatNeverEndsIsCancelledOrGivenUpAtTheConnectBound) {
    auto server = start_gopher_server();
    serve(*server, "", Script{menu_line('i', "Welcome", "", "null.host", 1) + ".\r\n"});
    // Whatever the handshake's bytes hold, the server answers nothing and keeps the connection.
    auto silent = start_gopher_server();
    serve_default(*silent, Script{"", Reply::stall});
    const std::string stalled = "gophers://127.0.0.1:" + std::to_string(silent->port) + "/";

    auto run = start_program({address_of(*server)}, options());
    ASSERT_TRUE(wait_for_text(*run, "Welcome")) << screen_text(*run) << run->errors;
    send_keys(*run, "o");
    send_keys(*run, stalled + "\r");
    // Connected, and the handshake's first bytes are in: the progress row is still today's.
    ASSERT_TRUE(wait_until(*run, [&] {
        return !requests(*silent).empty() && !requests(*silent)[0].empty() &&
               screen_contains(*run, "Connecting to 127.0.0.1:");
    })) << screen_text(*run);
    send_keys(*run, "\033");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Cancelled.")) << screen_text(*run);
    EXPECT_TRUE(screen_contains(*run, "Welcome"));
    quit(*run);

    // The connect bound (2 s in this build) covers the handshake.
    const auto plain = run_plain(stalled, {KESMOR_SMALL_LIMITS_BINARY});
    EXPECT_TRUE(exited_with(*plain->run, 1)) << describe_end(*plain->run);
    EXPECT_EQ(plain->run->errors, "Error: Could not connect to host\n");
}

TEST_F(TlsE2e, AConnectionClosedWithoutTheCloseNotificationIsACutPage) {
    // After the first screen: the page keeps what came and says it is incomplete.
    auto cut = start_tls_test_server(*ca, TlsServerMode::cut, numbered_lines(60), "line 61\r\n");
    ASSERT_TRUE(cut);
    const std::string url = "gophers://localhost:" + std::to_string(cut->port) + "/0/text";
    auto run = start_program({url}, options());
    ASSERT_TRUE(wait_for_text(*run, "line 20")) << screen_text(*run) << run->errors;
    open_tls_gate(*cut);
    ASSERT_TRUE(wait_for_row(*run, bottom,
                             "Error: TLS: unexpected eof while reading. The page is incomplete."))
        << screen_text(*run);
    EXPECT_NE(row_text(*run, 1).find(url + " (incomplete)"), std::string::npos)
        << row_text(*run, 1);
    send_keys(*run, "\033[F"); // End: the last line that came is there
    ASSERT_TRUE(wait_for_text(*run, "line 61")) << screen_text(*run);
    quit(*run);

    // Before the first screen: the fetch fails as any first page does.
    auto early = start_tls_test_server(*ca, TlsServerMode::cut, "line 1\r\n");
    ASSERT_TRUE(early);
    open_tls_gate(*early);
    const auto plain = run_plain("gophers://localhost:" + std::to_string(early->port) + "/0/text");
    EXPECT_TRUE(exited_with(*plain->run, 1)) << describe_end(*plain->run);
    EXPECT_EQ(plain->run->errors, "Error: TLS: unexpected eof while reading.\n");
}
