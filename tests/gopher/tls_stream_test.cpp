// The TLS stream on its own: a server that has gone away fails the call, never the program.
#include <csignal>
#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

#include "gopher/tls_stream.hpp"

namespace {

// The handshake's first write meets a socket whose other end is closed: write() raises SIGPIPE,
// whose default action would end the program without giving the terminal back.
TEST(TlsStreamDeathTest, AServerGoneBeforeTheHandshakeFailsItQuietly) {
    EXPECT_EXIT(
        {
            std::signal(SIGPIPE, SIG_DFL);
            int ends[2];
            if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0) {
                std::_Exit(2);
            }
            close(ends[1]);
            TlsStream stream;
            std::string failure;
            if (!tls_start(&stream, ends[0], "localhost", &failure)) {
                std::_Exit(3);
            }
            const TlsResult result = tls_handshake(&stream);
            std::_Exit(result.status == TlsStatus::failed ? 0 : 4);
        },
        testing::ExitedWithCode(0), "");
}

} // namespace
