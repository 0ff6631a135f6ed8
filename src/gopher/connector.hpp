// Connecting to the addresses of a host as Happy Eyeballs does (RFC 8305): the next address is
// tried 250 ms after the one before while nothing has connected, or at once when an attempt
// fails, earlier attempts go on, and the first to connect wins. It never waits: the loop polls
// what connector_watch asks for until connector_deadline, then calls connector_step.
//
//   start_connector(c, addresses, connect_timeout_ms, Clock::now());
//   while (c.state == ConnectorState::connecting) {
//       fds.clear(); connector_watch(c, fds);      // with everything else the loop watches
//       poll(fds, ..., until connector_deadline(c));
//       connector_step(c, fds, Clock::now());
//   }
//   if (c.state == ConnectorState::connected) socket = take_connection(c);
#pragma once

#include <chrono>
#include <cstddef>
#include <poll.h>
#include <span>
#include <string>
#include <vector>

#include "gopher/descriptor.hpp"
#include "gopher/resolver.hpp"

// The wait before the next address while the earlier ones have neither connected nor failed.
inline constexpr int connection_stagger_ms = 250;

enum class ConnectorState {
    idle,       // not started
    connecting, // attempts in flight, or addresses left to try
    connected,  // connection holds the socket
    failed,     // every address failed or ran out of time
};

struct ConnectAttempt {
    Descriptor socket; // non-blocking, connect in progress
    std::size_t address = 0;
    std::chrono::steady_clock::time_point deadline;
};

struct Connector {
    ConnectorState state = ConnectorState::idle;
    std::vector<SocketAddress> addresses;
    std::size_t next_address = 0;         // the first not yet tried
    std::vector<ConnectAttempt> attempts; // in flight, oldest first
    int attempt_timeout_ms = 0;
    int stagger_ms = connection_stagger_ms;
    // When the next address starts if nothing has happened by then.
    std::chrono::steady_clock::time_point next_start;
    Descriptor connection;             // once connected: the socket, still non-blocking
    std::size_t connected_address = 0; // index of the address that won
    // Lines of system errors met on the way ("socket: ..."), for standard error once the
    // terminal is given back.
    std::string notes;
};

// Starts on the first address at once (and on more when it fails at once): the connector may
// be connected or failed on return. Each attempt is given up after attempt_timeout_ms.
void start_connector(Connector& connector, std::vector<SocketAddress> addresses,
                     int attempt_timeout_ms, std::chrono::steady_clock::time_point now,
                     int stagger_ms = connection_stagger_ms);

// Appends one POLLOUT entry per attempt in flight.
void connector_watch(const Connector& connector, std::vector<pollfd>& out);

// When something happens without a descriptor (the next address starts, an attempt runs out
// of time); time_point::max() when nothing is timed.
[[nodiscard]] std::chrono::steady_clock::time_point connector_deadline(const Connector& connector);

// Takes the poll results (entries of other descriptors are ignored; the attempts' own must come
// from the poll that followed the last connector_watch) and the time, and moves on: the first
// attempt that connected wins and the others are closed; failed and timed-out attempts are
// closed and the next address starts.
void connector_step(Connector& connector, std::span<const pollfd> ready,
                    std::chrono::steady_clock::time_point now);

// The connected socket (non-blocking); the connector keeps none afterwards.
[[nodiscard]] Descriptor take_connection(Connector& connector);
