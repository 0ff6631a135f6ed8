// A transaction whose bytes are taken as they arrive: all of them come out once, in order, the
// buffer stays small, and the cap counts the bytes already taken.
#include "gopher/transaction.hpp"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>
#include <vector>

#include "support/gopher_fixture.hpp"

namespace {

using Clock = std::chrono::steady_clock;

struct Taken {
    std::string bytes;
    std::size_t largest_buffer = 0;
};

// Steps the transaction to its end as the event loop would, taking the bytes after each step.
Taken run_taking(Transaction* t, const GopherServer& server, std::string_view selector,
                 TransactionLimits limits) {
    SocketAddress loopback{};
    auto* in = reinterpret_cast<sockaddr_in*>(&loopback.storage);
    in->sin_family = AF_INET;
    in->sin_port = htons(static_cast<std::uint16_t>(server.port));
    inet_pton(AF_INET, "127.0.0.1", &in->sin_addr);
    loopback.length = sizeof(sockaddr_in);
    begin_transaction_to(t, {loopback}, selector, limits);
    Taken taken;
    const auto give_up = Clock::now() + std::chrono::seconds(30);
    while (!transaction_finished(*t) && Clock::now() < give_up) {
        std::vector<pollfd> watched;
        transaction_watch(*t, &watched);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::max(transaction_deadline(*t), Clock::now()) - Clock::now())
                              .count();
        const int ready =
            poll(watched.data(), watched.size(), static_cast<int>(std::min<long>(left, 1000)));
        bool stepped = false;
        for (const pollfd& entry : watched) {
            if (ready > 0 && entry.revents != 0) {
                step_transaction(t, entry.fd, entry.revents, Clock::now());
                stepped = true;
                break;
            }
        }
        if (!stepped) {
            step_transaction(t, -1, 0, Clock::now());
        }
        taken.bytes += transaction_received(*t);
        transaction_take(t);
        taken.largest_buffer = std::max(taken.largest_buffer, t->capacity);
    }
    return taken;
}

std::string pattern(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>((i * 31 + i / 997) & 0xFF);
    }
    return bytes;
}

TEST(TransactionTake, EveryByteComesOutOnceInOrderThroughASmallBuffer) {
    auto server = start_gopher_server();
    const std::string bytes = pattern(std::size_t{4} * 1024 * 1024 + 3);
    serve(*server, "/big", Script{bytes, Reply::in_pieces, 100'000, 1});
    Transaction t;
    const Taken taken = run_taking(&t, *server, "/big", {});
    ASSERT_EQ(t.state, TransactionState::done) << t.failure;
    EXPECT_EQ(transaction_total(t), bytes.size());
    EXPECT_EQ(taken.bytes.size(), bytes.size());
    EXPECT_TRUE(taken.bytes == bytes) << "the bytes taken differ from those sent";
    EXPECT_LE(taken.largest_buffer, std::size_t{1} << 18);
}

TEST(TransactionTake, TheCapCountsTheBytesTaken) {
    auto server = start_gopher_server();
    serve(*server, "/big", Script{pattern(300'000), Reply::in_pieces, 10'000, 1});
    Transaction t;
    TransactionLimits limits;
    limits.response_cap = 100'000;
    const Taken taken = run_taking(&t, *server, "/big", limits);
    EXPECT_EQ(t.state, TransactionState::failed);
    EXPECT_EQ(t.failure, fetch_error::too_large);
    EXPECT_LE(taken.bytes.size(), limits.response_cap);
}

} // namespace
