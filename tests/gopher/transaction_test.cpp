// The Gopher transaction against a loopback server, in-process and through the program.
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <functional>
#include <memory>
#include <poll.h>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>
#include <utility>
#include <variant>
#include <vector>

#include "app/event_loop.hpp"
#include "gopher/descriptor.hpp"
#include "gopher/resolver.hpp"
#include "gopher/transaction.hpp"
#include "nav/model.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/socket_address_text.hpp"
#include "support/transaction_driver.hpp"

namespace {

using Socket = Descriptor;

Address address_of(const GopherServer& server, std::string_view selector, char type = '1') {
    return {.host = server.address,
            .port = server.port,
            .type = type,
            .selector = std::string(selector)};
}

// One transaction with the server, run to its end.
struct Fetched {
    Transaction transaction;

    Fetched(const GopherServer& server, std::string_view selector, TransactionLimits limits = {}) {
        begin_transaction(&transaction, address_of(server, selector), limits);
        run_transaction(&transaction);
    }

    const char* content() const { return transaction.content.get(); }
    // The content as a string; a failure shows as its message.
    std::string text() const {
        return content() != nullptr ? std::string(content())
                                    : std::string("(failed: ") + transaction.failure + ")";
    }
};

// The read end of a pipe that holds the given bytes: keys typed before the fetch looks.
struct TypedKeys {
    int ends[2] = {-1, -1};
    explicit TypedKeys(std::string_view bytes) {
        if (pipe(ends) != 0 ||
            write(ends[1], bytes.data(), bytes.size()) != static_cast<ssize_t>(bytes.size())) {
            ADD_FAILURE() << "no pipe";
        }
    }
    ~TypedKeys() {
        close(ends[0]);
        close(ends[1]);
    }
    TypedKeys(const TypedKeys&) = delete;
    TypedKeys& operator=(const TypedKeys&) = delete;
};

// An IPv4 or IPv6 address and port, as the resolver gives them.
SocketAddress at(const char* text, int port) {
    SocketAddress address;
    if (inet_pton(AF_INET, text, &reinterpret_cast<sockaddr_in*>(&address.storage)->sin_addr) ==
        1) {
        auto* in = reinterpret_cast<sockaddr_in*>(&address.storage);
        in->sin_family = AF_INET;
        in->sin_port = htons(static_cast<std::uint16_t>(port));
        address.length = sizeof(sockaddr_in);
    } else {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
        EXPECT_EQ(inet_pton(AF_INET6, text, &in6->sin6_addr), 1) << text;
        in6->sin6_family = AF_INET6;
        in6->sin6_port = htons(static_cast<std::uint16_t>(port));
        address.length = sizeof(sockaddr_in6);
    }
    return address;
}

// The address a connected socket reaches, as inet_ntop writes it.
std::string peer_of(int fd) {
    SocketAddress peer;
    peer.length = sizeof peer.storage;
    getpeername(fd, reinterpret_cast<sockaddr*>(&peer.storage), &peer.length);
    return address_text(peer);
}

struct FileCloser {
    void operator()(std::FILE* file) const noexcept { std::fclose(file); }
};

// Everything call writes to descriptor fd (with C stdio flushed around it), which meanwhile goes
// to a temporary file.
std::string written_to(int fd, const std::function<void()>& call) {
    std::fflush(nullptr);
    const std::unique_ptr<std::FILE, FileCloser> file{std::tmpfile()};
    const int saved = dup(fd);
    dup2(fileno(file.get()), fd);
    call();
    std::fflush(nullptr);
    dup2(saved, fd);
    close(saved);
    std::string text(static_cast<std::size_t>(lseek(fileno(file.get()), 0, SEEK_CUR)), '\0');
    lseek(fileno(file.get()), 0, SEEK_SET);
    text.resize(static_cast<std::size_t>(
        std::max<ssize_t>(0, read(fileno(file.get()), text.data(), text.size()))));
    return text;
}

// Printable bytes that do not repeat with any power of two, so a misplaced piece shows.
std::string pattern(std::size_t size) {
    std::string text(size, '\0');
    for (std::size_t i = 0; i < size; ++i) {
        text[i] = static_cast<char>('!' + (i * 7 + i / 251) % 94);
    }
    return text;
}

Content content_of(std::string_view text) {
    Content content{static_cast<char*>(std::malloc(text.size() + 1))};
    std::memcpy(content.get(), text.data(), text.size());
    content[text.size()] = '\0';
    return content;
}

// A run of the program's event loop in-process, on a window of 24 rows. The page asked for is
// fetched while the keys typed wait in a pipe that ends after them; the run ends once the model
// stops running (the end of input does it once the keys are taken). Frames go to a temporary
// file. The fetch limits are the safety net: a fetch that nothing cancels ends by them.
struct LoopRun {
    Model model;

    explicit LoopRun(TransactionLimits limits = {.connect_timeout_ms = 5000,
                                                 .idle_timeout_ms = 5000}) {
        model.window.ws_row = 24;
        model.window.ws_col = 80;
        model.limits = limits;
    }
    // A page already on screen, as a fetch before left it.
    void show(const Address& address, std::string_view content) {
        push_page(&model.history, address);
        accept_fetched(&model.history, content_of(content));
        prepare_shown_page(&model.shown, model.history.current, 20);
    }
    void run(std::string_view typed) {
        TypedKeys keys(typed);
        close(std::exchange(keys.ends[1], -1));
        std::ignore = written_to(STDOUT_FILENO, [&] { run_event_loop(&model, keys.ends[0]); });
    }
    // What the address prompt holds when it is open: the keys that reached it.
    std::string prompt() const {
        const Prompt* open = std::get_if<Prompt>(&model.overlay);
        return open != nullptr ? open->line.text : "(no prompt)";
    }
    std::string current_content() const {
        const Page* page = model.history.current;
        return page != nullptr && page->content ? page->content.get() : "(none)";
    }
};

} // namespace

TEST(Transaction, SendsTheSelectorAndCrLfOnly) {
    auto server = start_gopher_server();
    const std::vector<std::string> selectors = {"", "/find\tword", "/dir/a:b"};
    for (const std::string& selector : selectors) {
        const Fetched fetched(*server, selector);
    }
    ASSERT_TRUE(wait_for_closed(*server, selectors.size()));
    const std::vector<std::string> seen = requests(*server);
    ASSERT_EQ(seen.size(), selectors.size());
    for (std::size_t i = 0; i < selectors.size(); ++i) {
        EXPECT_EQ(seen[i], selectors[i] + "\r\n") << "case=" << i;
    }
}

TEST(Transaction, ServerClosingAtOnceGivesEmptyContent) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"", Reply::close_at_once});
    const Fetched fetched(*server, "/x");
    ASSERT_NE(fetched.content(), nullptr);
    EXPECT_STREQ(fetched.content(), "");
}

TEST(Transaction, ContentIsTheWholeResponseAroundBufferSizes) {
    auto server = start_gopher_server();
    // 4095 fills the first buffer up to its terminator's byte.
    for (std::size_t size : {1u, 4094u, 4095u, 4096u, 8191u, 8192u}) {
        const std::string response = pattern(size);
        serve_default(*server, Script{response});
        const Fetched fetched(*server, "");
        EXPECT_EQ(fetched.text(), response) << "case=" << size;
    }
}

TEST(Transaction, ResponseInSmallPiecesArrivesWhole) {
    auto server = start_gopher_server();
    const std::string response = pattern(3 * 1024 * 1024 + 123);
    serve_default(*server, Script{response, Reply::in_pieces, 7919, 1});
    const Fetched fetched(*server, "/big");
    EXPECT_TRUE(fetched.text() == response);
}

TEST(Transaction, NulByteEndsTheContent) {
    auto server = start_gopher_server();
    serve_default(*server, Script{std::string("abc\0def", 7)});
    const Fetched fetched(*server, "");
    EXPECT_STREQ(fetched.content(), "abc");
}

// Addresses that refuse are passed over at once, in either family, and without a word.
TEST(Transaction, FirstAddressThatAcceptsIsUsedSilently) {
    auto server = start_gopher_server("127.0.0.1");
    auto server6 = start_gopher_server("::1");
    // Nothing listens on 127.0.0.2 at the first port, nor on ::1 at the second.
    struct Case {
        std::vector<SocketAddress> addresses;
        const char* peer;
    };
    const Case cases[] = {
        {{at("127.0.0.2", server->port), at("127.0.0.1", server->port)}, "127.0.0.1"},
        {{at("::1", server->port), at("127.0.0.1", server->port)}, "127.0.0.1"},
        {{at("127.0.0.1", server6->port), at("::1", server6->port)}, "::1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("case=") + c.peer);
        int fd = -1;
        const std::string messages =
            written_to(STDERR_FILENO, [&] { fd = connect_first(c.addresses); });
        const Socket connected{fd};
        ASSERT_GE(connected.fd, 0);
        EXPECT_EQ(peer_of(connected.fd), c.peer);
        EXPECT_EQ(messages, "");
    }
}

TEST(Transaction, AddressesAreTriedInOrder) {
    auto first = start_gopher_server("127.0.0.2");
    auto second = start_gopher_server("127.0.0.1", first->port);
    const Socket connected{
        connect_first({at("127.0.0.2", first->port), at("127.0.0.1", first->port)})};
    ASSERT_GE(connected.fd, 0);
    EXPECT_EQ(peer_of(connected.fd), "127.0.0.2");
}

// An address that never answers holds the next one back only for the stagger, not for its
// connect bound: both attempts are then in flight, and the one that connects wins.
TEST(Transaction, NextAddressRacesOneThatNeverAnswers) {
    auto full = start_full_listener();
    auto server = start_gopher_server("127.0.0.1");
    serve_default(*server, Script{"raced"});
    Transaction t;
    begin_transaction_to(&t, {at("127.0.0.1", full->port), at("127.0.0.1", server->port)}, "",
                         {.connect_timeout_ms = 600'000});
    ASSERT_EQ(t.state, TransactionState::connecting);
    std::vector<pollfd> watched;
    transaction_watch(t, &watched);
    EXPECT_EQ(watched.size(), 1u);
    const auto stagger = std::chrono::milliseconds(connection_stagger_ms);
    EXPECT_LE(transaction_deadline(t), std::chrono::steady_clock::now() + stagger);
    // The stagger passes with nothing ready: the second address starts beside the first.
    step_transaction(&t, -1, 0, std::chrono::steady_clock::now() + stagger);
    if (t.state == TransactionState::connecting) {
        watched.clear();
        transaction_watch(t, &watched);
        EXPECT_EQ(watched.size(), 2u);
    }
    run_transaction(&t);
    ASSERT_EQ(t.state, TransactionState::done) << t.failure;
    EXPECT_STREQ(t.content.get(), "raced");
}

TEST(Transaction, NoAddressAcceptingGivesNoSocket) {
    auto refused = reserve_refused_port();
    EXPECT_EQ(connect_first({at("127.0.0.1", refused->port), at("127.0.0.2", refused->port)}), -1);
    EXPECT_EQ(connect_first({}), -1);
}

// Menu lines carry any port; the wire takes its low 16 bits.
TEST(Transaction, PortIsTakenModulo65536) {
    std::unique_ptr<GopherServer> server;
    try {
        server = start_gopher_server("127.0.0.1", 70000 - 65536);
    } catch (const std::exception& e) {
        GTEST_SKIP() << "port 4464 is busy: " << e.what();
    }
    serve_default(*server, Script{"wrapped"});
    Transaction t;
    begin_transaction(&t, {.host = "127.0.0.1", .port = 70000, .type = '1', .selector = ""});
    run_transaction(&t);
    ASSERT_EQ(t.state, TransactionState::done);
    EXPECT_STREQ(t.content.get(), "wrapped");
}

// A host given as an IPv6 literal, as a menu line names it.
TEST(Transaction, Ipv6LiteralHostIsFetched) {
    auto server = start_gopher_server("::1");
    serve(*server, "/six", Script{"over IPv6"});
    const Fetched fetched(*server, "/six");
    EXPECT_EQ(fetched.text(), "over IPv6");
}

TEST(Transaction, FailureGivesItsMessageAndNoContent) {
    auto server = start_gopher_server();
    auto refused = reserve_refused_port();
    auto full = start_full_listener();
    const std::string unresolvable = std::string(64, 'x') + ".invalid";
    const std::size_t cap = 10'000;
    serve(*server, "/stall", Script{"partly", Reply::stall});
    serve(*server, "/reset", Script{pattern(8000), Reply::reset});
    serve(*server, "/over", Script{pattern(cap + 1)});
    serve(*server, "/at", Script{pattern(cap)});
    struct Case {
        std::string host;
        int port;
        const char* selector;
        const char* message; // null: the whole response arrives
    };
    const Case cases[] = {
        {"127.0.0.1", refused->port, "", "Error: Could not connect to host"},
        {unresolvable, 70, "", "Error: Failed to resolve host"},
        {"127.0.0.1", full->port, "", "Error: Could not connect to host"},
        {"127.0.0.1", server->port, "/stall", "Error: Failed to read from socket."},
        {"127.0.0.1", server->port, "/reset", "Error: Failed to read from socket."},
        {"127.0.0.1", server->port, "/over", "Error: Response too large."},
        {"127.0.0.1", server->port, "/at", nullptr},
    };
    const TransactionLimits limits{.resolve_timeout_ms = 30'000,
                                   .connect_timeout_ms = 300,
                                   .idle_timeout_ms = 300,
                                   .response_cap = cap};
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string("case=") + c.host + ":" + std::to_string(c.port) + c.selector);
        Transaction t;
        begin_transaction(&t, {.host = c.host, .port = c.port, .type = '1', .selector = c.selector},
                          limits);
        run_transaction(&t);
        if (c.message == nullptr) {
            EXPECT_EQ(t.state, TransactionState::done);
            ASSERT_NE(t.content, nullptr);
            EXPECT_EQ(std::string(t.content.get()), pattern(cap));
            continue;
        }
        EXPECT_EQ(t.state, TransactionState::failed);
        EXPECT_EQ(t.failure, c.message);
        EXPECT_EQ(t.content, nullptr) << "a partial response is discarded";
        if (c.host == unresolvable) {
            // The resolver's reason goes with its failure.
            EXPECT_EQ(t.notes.rfind("getaddrinfo: ", 0), 0u) << t.notes;
        } else {
            EXPECT_EQ(t.notes, "");
        }
    }
}

TEST(Transaction, ResponseCapOfTheProgramIs256MiB) {
    EXPECT_EQ(TransactionLimits{}.response_cap, 256u * 1024 * 1024);
}

// The keys typed while a page loads, through the program's loop: a lone Esc or a Ctrl-C cancels,
// every other key (an escape sequence too) waits, in order, and acts once the page is left
// alone. "o" opens the address prompt, so the keys after it show as the text typed there.
TEST(Transaction, EscOrInterruptCancelsAStalledFetchAndKeepsTheKeysBefore) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"partly", Reply::stall});
    struct Case {
        std::string typed;
        std::string prompt; // what reaches the prompt afterwards
    };
    const Case cases[] = {
        {"\x1b", "(no prompt)"},
        {"\x03", "(no prompt)"},
        // Were the Esc of the arrow or the Ctrl-C taken for a key, the prompt would close.
        {"oab\x1b[Ac\x03zz", "abczz"},
        {"oj\x1b", "j"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case=" + testing::PrintToString(c.typed));
        {
            // The first page: a cancel ends the run at once, before any key acts.
            LoopRun first;
            push_page(&first.model.history, address_of(*server, "/first"));
            first.run(c.typed);
            ASSERT_TRUE(first.model.end.has_value());
            EXPECT_EQ(first.model.end->message, "Cancelled.");
            EXPECT_EQ(first.model.history.current, nullptr);
        }
        LoopRun later;
        later.show(address_of(*server, "/shown", '0'), "the page on screen\n");
        push_page(&later.model.history, address_of(*server, "/next"));
        later.run(c.typed);
        EXPECT_FALSE(later.model.end && later.model.end->status != 0);
        EXPECT_EQ(later.model.history.pending, nullptr);
        EXPECT_EQ(later.model.history.current->address.selector, "/shown");
        EXPECT_EQ(later.current_content(), "the page on screen\n");
        EXPECT_EQ(later.prompt(), c.prompt);
        if (c.prompt == "(no prompt)") {
            // No key came after it: the words stay.
            EXPECT_EQ(later.model.message.text, "Cancelled.");
        }
    }
}

// Enter and Esc in one burst: the Esc is queued before the fetch looks, and still cancels it;
// the keys between stay for afterwards. Were the Esc missed, the fetch would fail by its limit
// and the Esc would close the prompt the keys open.
TEST(Transaction, EscQueuedWhenTheFetchBeginsCancelsIt) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"partly", Reply::stall});
    LoopRun run;
    run.show(address_of(*server, "/menu"),
             menu_line('1', "Stalls", "/stall", "127.0.0.1", server->port) + ".\r\n");
    run.run("\rox\x1b[Ay\x1b");
    EXPECT_EQ(run.model.history.pending, nullptr);
    EXPECT_EQ(run.model.history.current->address.selector, "/menu");
    EXPECT_EQ(run.prompt(), "xy");
}

TEST(Transaction, KeysTypedDuringAFetchAreQueuedInOrder) {
    auto server = start_gopher_server();
    serve(*server, "/stall", Script{"", Reply::stall});
    // An escape sequence is a key, not a cancel; the fetch ends by its idle limit.
    const std::string typed = "q\x1b[Bx\x1bOAy";
    const TransactionLimits short_idle{.idle_timeout_ms = 300};
    {
        LoopRun first{short_idle};
        push_page(&first.model.history, address_of(*server, "/stall"));
        first.run(typed);
        ASSERT_TRUE(first.model.end.has_value());
        EXPECT_EQ(first.model.end->message, "Error: Failed to read from socket.");
    }
    LoopRun later{short_idle};
    later.show(address_of(*server, "/shown", '0'), "the page on screen\n");
    push_page(&later.model.history, address_of(*server, "/stall"));
    later.run("o" + typed);
    EXPECT_EQ(later.model.history.current->address.selector, "/shown");
    EXPECT_EQ(later.model.history.pending, nullptr);
    // A sequence taken for a lone Esc would have cancelled, or closed the prompt.
    EXPECT_EQ(later.prompt(), "qxy");
}

TEST(Transaction, EndedInputIsLeftAloneAndTheFetchGoesOn) {
    auto server = start_gopher_server();
    serve_default(*server, Script{"whole", Reply::in_pieces, 1, 50});
    LoopRun run;
    push_page(&run.model.history, address_of(*server, "/0/x", '0'));
    run.run("");
    EXPECT_FALSE(run.model.end && run.model.end->status != 0);
    EXPECT_EQ(run.current_content(), "whole");
}

TEST(Transaction, ReceiveAllKeepsEveryByteUpToTheCap) {
    const std::string response = pattern(5000);
    for (const std::size_t cap : {std::size_t{4999}, std::size_t{5000}}) {
        int ends[2];
        ASSERT_EQ(socketpair(AF_UNIX, SOCK_STREAM, 0, ends), 0);
        ASSERT_EQ(write(ends[1], response.data(), response.size()),
                  static_cast<ssize_t>(response.size()));
        close(ends[1]);
        const Transaction received = receive_all(ends[0], {.response_cap = cap});
        if (cap < response.size()) {
            EXPECT_EQ(received.state, TransactionState::failed) << "cap=" << cap;
            EXPECT_EQ(received.failure, "Error: Response too large.");
        } else {
            ASSERT_EQ(received.state, TransactionState::done) << "cap=" << cap;
            EXPECT_EQ(std::string(received.content.get()), response);
        }
    }
}

TEST(FetchFailure, EndsWithMessageOnARestoredTerminal) {
    auto refused = reserve_refused_port();
    // A label longer than 63 characters cannot be put in a query, so the resolver gives up
    // without sending one: the test stays off the network.
    const std::string unresolvable = std::string(64, 'x') + ".invalid";
    struct Case {
        std::string address;
        std::string message;
        const char* reason; // the system's line before the message, if any
    };
    const Case cases[] = {
        {"127.0.0.1:" + std::to_string(refused->port), "Error: Could not connect to host", nullptr},
        {unresolvable, "Error: Failed to resolve host", "getaddrinfo: "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("case=" + c.address);
        const int message_row = c.reason == nullptr ? 1 : 2;
        {
            auto run = start_program({c.address});
            ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
            EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
            if (c.reason == nullptr) {
                EXPECT_EQ(run->errors, c.message + "\n");
            } else {
                // The resolver's own words, then the message.
                EXPECT_EQ(run->errors.rfind(c.reason, 0), 0u) << run->errors;
                const std::string tail = "\n" + c.message + "\n";
                ASSERT_GT(run->errors.size(), tail.size() + std::strlen(c.reason));
                EXPECT_EQ(run->errors.substr(run->errors.size() - tail.size()), tail);
                EXPECT_EQ(std::count(run->errors.begin(), run->errors.end(), '\n'), 2);
            }
            EXPECT_EQ(describe_mode_change(run->initial_termios, terminal_mode(*run)), "");
            EXPECT_TRUE(cursor(*run).visible);
        }
        {
            // With standard error on the terminal the message must outlast the clearing.
            auto run = start_program({c.address}, PtyOptions{.stderr_to_terminal = true});
            ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
            EXPECT_TRUE(exited_with(*run, 1)) << describe_end(*run);
            if (c.reason != nullptr) {
                EXPECT_EQ(row_text(*run, 1).rfind(c.reason, 0), 0u) << screen_text(*run);
            }
            EXPECT_EQ(row_text(*run, message_row), c.message) << screen_text(*run);
            EXPECT_EQ(cursor(*run).row, message_row + 1);
            EXPECT_TRUE(cursor(*run).visible);
        }
    }
}
