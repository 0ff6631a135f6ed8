// TLS for the tests: a test CA made with the openssl command, stunnel in front of a loopback
// Gopher server, and a small TLS server of our own for what stunnel will not do.
//
//   auto ca = make_test_ca();                                  // certificates in a scratch dir
//   auto server = start_gopher_server();
//   auto front = start_tls_front(*ca, "good", server->port);    // stunnel on 127.0.0.1
//   PtyOptions options;
//   options.env = {trust_test_ca(*ca)};                         // SSL_CERT_FILE=.../ca.pem
//   auto run = start_program({tls_url(*front, "localhost")}, options);
//
// Certificates (tests/support/make_test_ca.sh): "good" names localhost and 127.0.0.1, "wrong"
// another name, "expired" expired in 2020, "self" is signed by itself. Every server is stopped
// by its destructor (stunnel by its PID).
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <thread>

#include "support/scratch_dir.hpp"

struct TestCa {
    ScratchDir dir;
};

// Null when openssl failed; the reason has then been reported as a test failure.
[[nodiscard]] std::unique_ptr<TestCa> make_test_ca();
// "SSL_CERT_FILE=DIR/ca.pem": the one thing that points the program at the test CA.
[[nodiscard]] std::string trust_test_ca(const TestCa& ca);

struct TlsFront {
    int port = 0;
    pid_t pid = 0;
    std::string config;

    TlsFront() = default;
    TlsFront(const TlsFront&) = delete;
    TlsFront& operator=(const TlsFront&) = delete;
    ~TlsFront();
};

// stunnel on 127.0.0.1 with the certificate named (good, wrong, expired, self), passing the
// cleartext on to backend_port; returns once it accepts connections. Null when it did not start
// (reported as a test failure).
[[nodiscard]] std::unique_ptr<TlsFront> start_tls_front(const TestCa& ca, std::string_view cert,
                                                        int backend_port);
// "gophers://HOST:PORT/".
[[nodiscard]] std::string tls_url(const TlsFront& front, std::string_view host);

enum class TlsServerMode {
    // The handshake, the request read, `first` sent; at the gate `rest` is sent and the
    // connection closed without the TLS close notification.
    cut,
    // No TLS: `first` is sent as soon as a connection comes, then it waits for the client to go.
    cleartext,
};

struct TlsTestServer {
    int port = 0;
    int listener = -1;
    int stop_read = -1, stop_write = -1;
    int gate_read = -1, gate_write = -1;
    std::thread thread;

    TlsTestServer() = default;
    TlsTestServer(const TlsTestServer&) = delete;
    TlsTestServer& operator=(const TlsTestServer&) = delete;
    ~TlsTestServer();
};

// On 127.0.0.1, any free port, one connection at a time, with the "good" certificate.
[[nodiscard]] std::unique_ptr<TlsTestServer> start_tls_test_server(const TestCa& ca,
                                                                   TlsServerMode mode,
                                                                   std::string first,
                                                                   std::string rest = {});
// Lets one cut answer go on past its gate.
void open_tls_gate(TlsTestServer& server);
