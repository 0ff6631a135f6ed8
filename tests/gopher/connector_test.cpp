// Happy Eyeballs on loopback: listeners that accept, ports that refuse, and listeners whose
// queue is full, which drop the handshake and so never answer. Time is given to the connector
// by the test where the order of events matters; where the network decides, a poll loop drives
// it with a safety net only.
#include <gtest/gtest.h>

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <memory>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <vector>

#include "gopher/connector.hpp"

namespace {

using Clock = std::chrono::steady_clock;
using std::chrono::milliseconds;

constexpr int safety_ms = 30'000;
// Long enough never to pass in a test: an attempt that ends ended for another reason.
constexpr int hour_ms = 3'600'000;

int ms_until(Clock::time_point when) {
    const auto left = std::chrono::duration_cast<milliseconds>(when - Clock::now()).count();
    return left <= 0 ? 0 : static_cast<int>(std::min<long long>(left + 1, safety_ms));
}

// Polls and steps until the connector is done or the safety net runs out.
void drive(Connector& c) {
    const auto give_up = Clock::now() + milliseconds(safety_ms);
    while (c.state == ConnectorState::connecting && Clock::now() < give_up) {
        std::vector<pollfd> fds;
        connector_watch(c, fds);
        poll(fds.data(), fds.size(), ms_until(std::min(connector_deadline(c), give_up)));
        connector_step(c, fds, Clock::now());
    }
}

SocketAddress loopback(int family) {
    SocketAddress address;
    if (family == AF_INET) {
        auto* in = reinterpret_cast<sockaddr_in*>(&address.storage);
        in->sin_family = AF_INET;
        in->sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        address.length = sizeof(sockaddr_in);
    } else {
        auto* in6 = reinterpret_cast<sockaddr_in6*>(&address.storage);
        in6->sin6_family = AF_INET6;
        in6->sin6_addr = in6addr_loopback;
        address.length = sizeof(sockaddr_in6);
    }
    return address;
}

// A TCP socket bound to a free loopback port, listening when backlog >= 0: refused connections
// when not. address is where to connect. socket is -1 when the family has no loopback here.
struct Port {
    Descriptor socket;
    SocketAddress address;
};

Port bound_port(int family, int backlog) {
    Port port{Descriptor{::socket(family, SOCK_STREAM | SOCK_CLOEXEC, 0)}, loopback(family)};
    if (port.socket.fd < 0 ||
        bind(port.socket.fd, reinterpret_cast<const sockaddr*>(&port.address.storage),
             port.address.length) != 0 ||
        (backlog >= 0 && listen(port.socket.fd, backlog) != 0) ||
        getsockname(port.socket.fd, reinterpret_cast<sockaddr*>(&port.address.storage),
                    &port.address.length) != 0) {
        port.socket.reset();
    }
    return port;
}

// A listener whose accept queue is full: a connection made to it first waits there, and the
// kernel drops every later handshake while nobody accepts, so a connect neither succeeds nor
// fails. Accepting the waiting connection lets the next retransmitted handshake through.
struct Blackhole {
    Port listener;
    Descriptor filler;
};

std::unique_ptr<Blackhole> start_blackhole(int family = AF_INET) {
    auto hole = std::make_unique<Blackhole>();
    hole->listener = bound_port(family, 0);
    if (hole->listener.socket.fd < 0) {
        return nullptr;
    }
    hole->filler = Descriptor{::socket(family, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0)};
    const SocketAddress& to = hole->listener.address;
    if (connect(hole->filler.fd, reinterpret_cast<const sockaddr*>(&to.storage), to.length) != 0 &&
        errno != EINPROGRESS) {
        return nullptr;
    }
    pollfd entry{hole->filler.fd, POLLOUT, 0};
    int error = 0;
    socklen_t length = sizeof error;
    if (poll(&entry, 1, safety_ms) != 1 ||
        getsockopt(hole->filler.fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0 || error != 0) {
        return nullptr;
    }
    return hole;
}

// Accepts one connection within the safety net: the connector's winner really reached it.
bool accepts(const Port& listener) {
    pollfd entry{listener.socket.fd, POLLIN, 0};
    if (poll(&entry, 1, safety_ms) != 1) {
        return false;
    }
    const Descriptor accepted{accept4(listener.socket.fd, nullptr, nullptr, SOCK_CLOEXEC)};
    return accepted.fd >= 0;
}

SocketAddress unsupported_family() {
    SocketAddress address;
    address.storage.ss_family = 250; // no such family: socket() fails
    address.length = sizeof(sockaddr_in);
    return address;
}

TEST(Connector, ConnectsOverEachLoopbackFamily) {
    for (const int family : {AF_INET, AF_INET6}) {
        const Port listener = bound_port(family, 8);
        if (listener.socket.fd < 0) {
            ADD_FAILURE() << "no loopback listener for family " << family;
            continue;
        }
        Connector c;
        start_connector(c, {listener.address}, hour_ms, Clock::now());
        drive(c);
        ASSERT_EQ(c.state, ConnectorState::connected) << family;
        EXPECT_EQ(c.connected_address, 0u);
        EXPECT_TRUE(c.attempts.empty());
        EXPECT_EQ(connector_deadline(c), Clock::time_point::max());
        const Descriptor socket = take_connection(c);
        EXPECT_GE(socket.fd, 0);
        EXPECT_TRUE(accepts(listener)) << family;
    }
}

// With no stagger to wait for, only a failure can move the connector on: each one must start
// the next address at once. socket() failures are noted.
TEST(Connector, AddressesThatFailAreSkippedAtOnce) {
    const Port refused4 = bound_port(AF_INET, -1);
    const Port refused6 = bound_port(AF_INET6, -1);
    const Port listener = bound_port(AF_INET, 8);
    ASSERT_GE(refused4.socket.fd, 0);
    ASSERT_GE(refused6.socket.fd, 0);
    ASSERT_GE(listener.socket.fd, 0);

    Connector c;
    start_connector(c, {unsupported_family(), refused4.address, refused6.address, listener.address},
                    hour_ms, Clock::now(), hour_ms);
    drive(c);
    ASSERT_EQ(c.state, ConnectorState::connected);
    EXPECT_EQ(c.connected_address, 3u);
    EXPECT_EQ(c.notes, std::string("socket: ") + std::strerror(EAFNOSUPPORT) + "\n");
    EXPECT_TRUE(accepts(listener));
}

TEST(Connector, FailsWhenEveryAddressFails) {
    const Port refused4 = bound_port(AF_INET, -1);
    const Port refused6 = bound_port(AF_INET6, -1);
    ASSERT_GE(refused4.socket.fd, 0);
    ASSERT_GE(refused6.socket.fd, 0);

    Connector c;
    start_connector(c, {refused4.address, unsupported_family(), refused6.address}, hour_ms,
                    Clock::now(), hour_ms);
    drive(c);
    EXPECT_EQ(c.state, ConnectorState::failed);
    EXPECT_TRUE(c.attempts.empty());
    EXPECT_LT(take_connection(c).fd, 0);

    Connector none;
    start_connector(none, {}, hour_ms, Clock::now());
    EXPECT_EQ(none.state, ConnectorState::failed);
}

// A first address that never answers: the second starts when the stagger is up, not before,
// and wins while the first is still trying; the first is then closed.
TEST(Connector, NextAddressStartsAfterTheStaggerAndWins) {
    const auto hole = start_blackhole();
    ASSERT_TRUE(hole) << "no full listener on loopback";
    const Port listener = bound_port(AF_INET6, 8);
    ASSERT_GE(listener.socket.fd, 0);

    const auto start = Clock::now();
    Connector c;
    start_connector(c, {hole->listener.address, listener.address}, hour_ms, start);
    ASSERT_EQ(c.state, ConnectorState::connecting);
    ASSERT_EQ(c.attempts.size(), 1u);
    EXPECT_EQ(connector_deadline(c), start + milliseconds(connection_stagger_ms));

    connector_step(c, {}, start + milliseconds(connection_stagger_ms - 1));
    EXPECT_EQ(c.attempts.size(), 1u);
    connector_step(c, {}, start + milliseconds(connection_stagger_ms));
    ASSERT_EQ(c.attempts.size(), 2u);
    std::vector<pollfd> fds;
    connector_watch(c, fds);
    ASSERT_EQ(fds.size(), 2u);
    EXPECT_EQ(fds[0].events, POLLOUT);
    // Nothing left to start: the next event is an attempt's bound.
    EXPECT_EQ(connector_deadline(c), start + milliseconds(hour_ms));

    drive(c);
    ASSERT_EQ(c.state, ConnectorState::connected);
    EXPECT_EQ(c.connected_address, 1u);
    EXPECT_TRUE(c.attempts.empty());
    EXPECT_TRUE(accepts(listener));
}

// Starting the next address does not give up the one before: once the first one's listener
// has room, its retransmitted handshake gets through and it wins over the second, which never
// answers.
TEST(Connector, EarlierAttemptGoesOnAndCanWin) {
    const auto first = start_blackhole();
    const auto second = start_blackhole(AF_INET6);
    ASSERT_TRUE(first && second) << "no full listener on loopback";

    const auto start = Clock::now();
    Connector c;
    start_connector(c, {first->listener.address, second->listener.address}, hour_ms, start);
    connector_step(c, {}, start + milliseconds(connection_stagger_ms));
    ASSERT_EQ(c.attempts.size(), 2u);

    ASSERT_TRUE(accepts(first->listener)); // the filler: room for one more
    drive(c);
    ASSERT_EQ(c.state, ConnectorState::connected);
    EXPECT_EQ(c.connected_address, 0u);
    EXPECT_TRUE(accepts(first->listener));
}

// Each attempt has its own bound; one that runs out starts the next address at once.
TEST(Connector, AttemptRunsOutOfTime) {
    const auto hole = start_blackhole();
    ASSERT_TRUE(hole) << "no full listener on loopback";
    const Port listener = bound_port(AF_INET, 8);
    ASSERT_GE(listener.socket.fd, 0);
    constexpr int bound_ms = 1000;

    const auto start = Clock::now();
    Connector alone;
    start_connector(alone, {hole->listener.address}, bound_ms, start);
    EXPECT_EQ(connector_deadline(alone), start + milliseconds(bound_ms));
    connector_step(alone, {}, start + milliseconds(bound_ms - 1));
    EXPECT_EQ(alone.state, ConnectorState::connecting);
    connector_step(alone, {}, start + milliseconds(bound_ms));
    EXPECT_EQ(alone.state, ConnectorState::failed);
    EXPECT_TRUE(alone.attempts.empty());

    Connector c;
    start_connector(c, {hole->listener.address, listener.address}, bound_ms, start, hour_ms);
    connector_step(c, {}, start + milliseconds(bound_ms));
    drive(c);
    ASSERT_EQ(c.state, ConnectorState::connected);
    EXPECT_EQ(c.connected_address, 1u);
}

} // namespace
