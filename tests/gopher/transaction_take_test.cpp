// A transaction whose bytes are taken as they arrive: all of them come out once, in order, the
// buffer stays small, and the cap counts the bytes already taken.
#include "gopher/transaction.hpp"

#include <arpa/inet.h>
#include <chrono>
#include <gtest/gtest.h>
#include <poll.h>
#include <string>

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
    in_addr loopback{};
    inet_pton(AF_INET, "127.0.0.1", &loopback);
    begin_transaction_to(t, {loopback}, server.port, selector, limits);
    Taken taken;
    const auto give_up = Clock::now() + std::chrono::seconds(30);
    while (!transaction_finished(*t) && Clock::now() < give_up) {
        const TransactionWait wanted = transaction_wait(*t);
        pollfd fd{wanted.fd, wanted.events, 0};
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                              std::max(wanted.deadline, Clock::now()) - Clock::now())
                              .count();
        const int ready =
            poll(&fd, wanted.fd >= 0 ? 1 : 0, static_cast<int>(std::min<long>(left, 1000)));
        step_transaction(t, ready > 0 ? fd.revents : 0, Clock::now());
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
    ASSERT_EQ(t.state, TransactionState::done) << (t.failure != nullptr ? t.failure : "");
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
    EXPECT_STREQ(t.failure, fetch_error::too_large);
    EXPECT_LE(taken.bytes.size(), limits.response_cap);
}

} // namespace
