// A TLS connection over a connected non-blocking socket: the handshake, reads and writes that
// never wait and say which way the socket must be ready before they can go on.
//
// The library's defaults decide what is trusted (SSL_CERT_FILE and SSL_CERT_DIR work as for
// every other program); the peer's certificate must verify and name the host, and TLS 1.2 is
// the least accepted. Nothing is configured and nothing is written.
#pragma once

#include <cstddef>
#include <memory>
#include <string>
#include <string_view>

struct ssl_ctx_st;
struct ssl_st;

struct TlsContextFree {
    void operator()(ssl_ctx_st* context) const;
};
struct TlsSessionFree {
    void operator()(ssl_st* session) const;
};

struct TlsStream {
    std::unique_ptr<ssl_ctx_st, TlsContextFree> context;
    std::unique_ptr<ssl_st, TlsSessionFree> session;
};

enum class TlsStatus {
    done,       // the call went through; bytes says how many for a read or a write
    want_read,  // call again once the socket is readable
    want_write, // call again once the socket is writable
    closed,     // a read met the server's close notification: the response is whole
    failed,     // failure holds "Error: TLS: REASON.", or is empty when the socket itself failed
};

struct TlsResult {
    TlsStatus status = TlsStatus::done;
    std::size_t bytes = 0;
    std::string failure;
};

// Prepares the client side on fd (owned by the caller, who must keep it open while the stream
// lives) for host: sent as SNI unless it is an IP literal, and checked against the certificate
// (an IP literal against its IP addresses). False with the failure when the library refuses.
[[nodiscard]] bool tls_start(TlsStream* stream, int fd, std::string_view host,
                             std::string* failure);
[[nodiscard]] TlsResult tls_handshake(TlsStream* stream);
[[nodiscard]] TlsResult tls_write(TlsStream* stream, const char* bytes, std::size_t length);
// A read of up to room bytes; room must be at least 1.
[[nodiscard]] TlsResult tls_read(TlsStream* stream, char* into, std::size_t room);
// Whether bytes already decrypted wait in the stream, which no poll of the socket would tell.
[[nodiscard]] bool tls_pending(const TlsStream& stream);
