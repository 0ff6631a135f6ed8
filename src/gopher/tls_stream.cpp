// A TLS connection over a connected non-blocking socket: the handshake, reads and writes that
// never wait.
#include "gopher/tls_stream.hpp"

#include <arpa/inet.h>
#include <csignal>
#include <ctime>
#include <netinet/in.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>
#include <pthread.h>
#include <tuple>

namespace {

// The library writes to the socket with write(), which raises SIGPIPE when the server has gone
// away: held while the library works, and one raised meanwhile taken back, so that the write
// fails with an error instead of ending the program.
class PipeSignalHeld {
  public:
    PipeSignalHeld() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        sigset_t pending;
        sigemptyset(&pending);
        std::ignore = sigpending(&pending);
        already_pending_ = sigismember(&pending, SIGPIPE) == 1;
        std::ignore = pthread_sigmask(SIG_BLOCK, &pipe_, &before_);
    }
    ~PipeSignalHeld() {
        sigset_t pending;
        sigemptyset(&pending);
        std::ignore = sigpending(&pending);
        if (!already_pending_ && sigismember(&pending, SIGPIPE) == 1) {
            const timespec none{};
            std::ignore = sigtimedwait(&pipe_, nullptr, &none);
        }
        std::ignore = pthread_sigmask(SIG_SETMASK, &before_, nullptr);
    }
    PipeSignalHeld(const PipeSignalHeld&) = delete;
    PipeSignalHeld& operator=(const PipeSignalHeld&) = delete;
    PipeSignalHeld(PipeSignalHeld&&) = delete;
    PipeSignalHeld& operator=(PipeSignalHeld&&) = delete;

  private:
    sigset_t pipe_{};
    sigset_t before_{};
    bool already_pending_ = false;
};

bool is_ip_literal(const std::string& host) {
    in6_addr ignored{};
    return inet_pton(AF_INET, host.c_str(), &ignored) == 1 ||
           inet_pton(AF_INET6, host.c_str(), &ignored) == 1;
}

std::string tls_error(const char* reason) {
    std::string text = "Error: TLS: ";
    text += reason != nullptr ? reason : "handshake failed";
    text += '.';
    return text;
}

// The library's own words for why the last call failed: the certificate's verdict first, since
// a refused certificate also leaves a less telling error on the queue.
std::string failure_reason(const TlsStream& stream) {
    const long verdict = SSL_get_verify_result(stream.session.get());
    if (verdict != X509_V_OK) {
        ERR_clear_error();
        return tls_error(X509_verify_cert_error_string(verdict));
    }
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    return tls_error(code != 0 ? ERR_reason_error_string(code) : nullptr);
}

TlsResult outcome(TlsStream* stream, int returned) {
    TlsResult result;
    if (returned > 0) {
        result.bytes = static_cast<std::size_t>(returned);
        return result;
    }
    switch (SSL_get_error(stream->session.get(), returned)) {
    case SSL_ERROR_WANT_READ:
        result.status = TlsStatus::want_read;
        return result;
    case SSL_ERROR_WANT_WRITE:
        result.status = TlsStatus::want_write;
        return result;
    case SSL_ERROR_ZERO_RETURN:
        result.status = TlsStatus::closed;
        return result;
    case SSL_ERROR_SYSCALL:
        // The socket itself failed (a reset): the library has no words of its own for it, and
        // the caller says what was being done.
        ERR_clear_error();
        result.status = TlsStatus::failed;
        return result;
    default:
        result.status = TlsStatus::failed;
        result.failure = failure_reason(*stream);
        return result;
    }
}

} // namespace

void TlsContextFree::operator()(ssl_ctx_st* context) const {
    SSL_CTX_free(context);
}

void TlsSessionFree::operator()(ssl_st* session) const {
    SSL_free(session);
}

bool tls_start(TlsStream* stream, int fd, std::string_view host, std::string* failure) {
    ERR_clear_error();
    const std::string name(host);
    stream->context.reset(SSL_CTX_new(TLS_client_method()));
    SSL_CTX* context = stream->context.get();
    if (context == nullptr || SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION) != 1 ||
        SSL_CTX_set_default_verify_paths(context) != 1) {
        *failure = tls_error(ERR_reason_error_string(ERR_get_error()));
        ERR_clear_error();
        return false;
    }
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, nullptr);
    stream->session.reset(SSL_new(context));
    SSL* session = stream->session.get();
    bool named = session != nullptr && SSL_set_fd(session, fd) == 1;
    if (named && is_ip_literal(name)) {
        named = X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(session), name.c_str()) == 1;
    } else if (named) {
        named = SSL_set_tlsext_host_name(session, name.c_str()) == 1 &&
                SSL_set1_host(session, name.c_str()) == 1;
    }
    if (!named) {
        *failure = tls_error(ERR_reason_error_string(ERR_get_error()));
        ERR_clear_error();
        return false;
    }
    SSL_set_connect_state(session);
    return true;
}

TlsResult tls_handshake(TlsStream* stream) {
    const PipeSignalHeld held;
    ERR_clear_error();
    const int returned = SSL_do_handshake(stream->session.get());
    TlsResult result = outcome(stream, returned);
    if (returned == 1) {
        result.bytes = 0;
    }
    return result;
}

TlsResult tls_write(TlsStream* stream, const char* bytes, std::size_t length) {
    const PipeSignalHeld held;
    ERR_clear_error();
    std::size_t written = 0;
    const int returned = SSL_write_ex(stream->session.get(), bytes, length, &written);
    TlsResult result = outcome(stream, returned);
    result.bytes = written;
    return result;
}

TlsResult tls_read(TlsStream* stream, char* into, std::size_t room) {
    const PipeSignalHeld held;
    ERR_clear_error();
    std::size_t read = 0;
    const int returned = SSL_read_ex(stream->session.get(), into, room, &read);
    TlsResult result = outcome(stream, returned);
    result.bytes = read;
    return result;
}

bool tls_pending(const TlsStream& stream) {
    return stream.session && SSL_pending(stream.session.get()) > 0;
}
