// Receiving a whole response from a loopback socket, as a server sends it.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <netinet/in.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

#include "bench_support.hpp"
#include "gopher/transaction.hpp"
#include "support/transaction_driver.hpp"

namespace {

// A connected pair of loopback TCP sockets: {client, server}.
struct SocketPair {
    int client = -1;
    int server = -1;
};

SocketPair connect_loopback() {
    const int listener = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener < 0 || bind(listener, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener, 1) != 0 ||
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        std::abort();
    }
    SocketPair pair;
    pair.client = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (connect(pair.client, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0) {
        std::abort();
    }
    pair.server = accept(listener, nullptr, nullptr);
    close(listener);
    return pair;
}

// Arg: megabytes of text.
void receive_all(benchmark::State& state) {
    const std::string text = make_text(static_cast<std::size_t>(state.range(0)) << 20);
    for (auto _ : state) {
        const SocketPair pair = connect_loopback();
        std::thread sender{[&text, fd = pair.server] {
            std::size_t sent = 0;
            while (sent < text.size()) {
                const ssize_t n = write(fd, text.data() + sent, text.size() - sent);
                if (n <= 0) {
                    break;
                }
                sent += static_cast<std::size_t>(n);
            }
            close(fd);
        }};
        const Transaction received = ::receive_all(pair.client); // closes the client side
        benchmark::DoNotOptimize(received.content.get());
        sender.join();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) *
                            static_cast<std::int64_t>(text.size()));
}
BENCHMARK(receive_all)->Arg(1)->Arg(10)->Arg(100)->Unit(benchmark::kMillisecond)->UseRealTime();

} // namespace
