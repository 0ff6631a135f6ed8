// A loopback Gopher server for the tests: scripted answers per selector, every request recorded.
//
//   auto server = start_gopher_server();                         // 127.0.0.1, ephemeral port
//   serve(*server, "", Script{menu_line('0', "Notes", "/notes", "127.0.0.1", server->port)
//                            + ".\r\n"});
//   serve(*server, "/notes", Script{"Plain text\r\n"});
//   serve(*server, "/slow", Script{big_text, Reply::in_pieces, 1000, 1});
//   serve_default(*server, Script{"", Reply::stall});          // any other selector
//   serve(*server, "/cut", Script{"half a page", Reply::reset}); // then a connection reset
//   auto run = start_program({"127.0.0.1:" + std::to_string(server->port)});
//   ASSERT_TRUE(wait_for_requests(*server, 1));
//   EXPECT_EQ(requests(*server)[0], "\r\n");
//
// One connection is served at a time, in the order they arrive, on a background thread. A
// request is the selector line up to CR LF; the script is chosen by the text before the CR LF.
// Every byte the client sends on a connection (also after the CR LF) is recorded in one entry
// of requests(), in the order of the connections, as it arrives. The destructor stops the
// thread (a stalled answer ends then) and closes every descriptor.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <map>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

enum class Reply {
    whole,         // send the response, then close
    close_at_once, // read the request, close without a byte
    in_pieces,     // send piece_size bytes at a time, pausing pause_ms between them
    stall,         // send the response (often nothing), then neither send nor close while
                   // the server runs
    reset,         // send the response, then abort the connection: the client reads a reset
    gated,         // send the response, wait until the test opens the gate (open_gate), then
                   // send `rest` and end as `after` says (whole, stall or reset); a client that
                   // closes meanwhile ends it
};

struct Script {
    std::string response;
    Reply reply = Reply::whole;
    std::size_t piece_size = 64;
    int pause_ms = 1;
    std::string rest = {};      // gated: what follows the gate
    Reply after = Reply::whole; // gated: whole, stall or reset
};

struct GopherServer {
    std::string address; // the loopback address it listens on: "127.0.0.1", "::1"
    int port = 0;
    int listener = -1;
    int stop_read = -1; // readable once the server is stopping
    int stop_write = -1;
    int gate_read = -1; // a byte per gated answer let through
    int gate_write = -1;
    std::thread thread;

    mutable std::mutex mutex; // guards everything below
    mutable std::condition_variable changed;
    std::map<std::string, Script, std::less<>> scripts;
    Script fallback;
    std::vector<std::string> requests;
    std::size_t complete = 0; // connections whose request line has ended
    std::size_t closed = 0;   // connections that have ended

    GopherServer() = default;
    GopherServer(const GopherServer&) = delete;
    GopherServer& operator=(const GopherServer&) = delete;
    ~GopherServer();
};

// Listens on address:port (port 0: any free one, then read server->port); address is IPv4 or
// IPv6 ("::1").
[[nodiscard]] std::unique_ptr<GopherServer> start_gopher_server(const char* address = "127.0.0.1",
                                                                int port = 0);
void serve(GopherServer& server, std::string selector, Script script);
// The answer to any selector without a script of its own (at first: an empty response).
void serve_default(GopherServer& server, Script script);

// Lets one gated answer go on past its gate.
void open_gate(GopherServer& server);

// Copies, safe while the server runs.
[[nodiscard]] std::vector<std::string> requests(const GopherServer& server);
[[nodiscard]] std::size_t request_count(const GopherServer& server);
// True once count connections have been accepted and each has sent its CR LF (or closed).
[[nodiscard]] bool wait_for_requests(const GopherServer& server, std::size_t count,
                                     int timeout_ms = 15'000);
// True once count connections have ended, so that their requests() entries are final.
[[nodiscard]] bool wait_for_closed(const GopherServer& server, std::size_t count,
                                   int timeout_ms = 15'000);

// A loopback port that refuses connections for as long as this lives: bound, never listening,
// so no other program can take it meanwhile.
struct RefusedPort {
    int fd = -1;
    int port = 0;

    RefusedPort() = default;
    RefusedPort(const RefusedPort&) = delete;
    RefusedPort& operator=(const RefusedPort&) = delete;
    ~RefusedPort();
};

[[nodiscard]] std::unique_ptr<RefusedPort> reserve_refused_port(const char* address = "127.0.0.1");

// A loopback listener whose queue is full and which never accepts: a connection attempt to it
// gets no answer at all until it gives up.
struct FullListener {
    int fd = -1;
    int port = 0;
    std::vector<int> fillers; // the connections that fill the queue

    FullListener() = default;
    FullListener(const FullListener&) = delete;
    FullListener& operator=(const FullListener&) = delete;
    ~FullListener();
};

// On address:port (port 0: any free one), IPv4 or IPv6.
[[nodiscard]] std::unique_ptr<FullListener> start_full_listener(const char* address = "127.0.0.1",
                                                                int port = 0);

// One menu line: type, display, TAB, selector, TAB, host, TAB, port, CR LF.
[[nodiscard]] std::string menu_line(char type, std::string_view display, std::string_view selector,
                                    std::string_view host, int port);
