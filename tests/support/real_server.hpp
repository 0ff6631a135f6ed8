// A real Gopher server for the end-to-end tests: gophernicus behind socat on a free port of
// 127.0.0.1, serving a directory tree, the same server that `make demo` runs.
//
//   auto server = start_real_server();                  // the demo gopherhole
//   ASSERT_TRUE(server);                                 // a failed start has failed the test
//   auto run = start_program({real_server_url(*server)}); // gopher://127.0.0.1:PORT/
//
// scripts/gopher_server.sh starts it and returns once the port accepts connections. A tree
// other than the demo's must be world-readable (gophernicus serves nothing else). The
// destructor stops the server by its PID and waits until it is gone.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>

struct RealServer {
    int port = 0;
    pid_t pid = 0; // of the socat listener, which leads the server's process group

    RealServer() = default;
    RealServer(const RealServer&) = delete;
    RealServer& operator=(const RealServer&) = delete;
    ~RealServer();
};

// The demo's gopherhole in the source tree.
[[nodiscard]] std::string demo_gopherhole();

// Null when the server did not start; the reason has then been reported as a test failure.
[[nodiscard]] std::unique_ptr<RealServer> start_real_server(std::string_view root = {});

// "gopher://127.0.0.1:PORT/": the root menu of the server.
[[nodiscard]] std::string real_server_url(const RealServer& server);
