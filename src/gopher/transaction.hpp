// One Gopher transaction: connect, send the selector, read until the server closes.
#pragma once

#include <cstddef>
#include <netinet/in.h>
#include <sys/types.h>
#include <vector>

#include "gopher/content.hpp"

struct Browser;

// A server that accepts nothing within this time is given up, and the next address is tried.
inline constexpr int connect_timeout_ms = 10'000;
// A server that sends nothing for this long is given up; a slow one that keeps sending is not.
inline constexpr int receive_idle_timeout_ms = 30'000;

// Stores the current page's response in its content. Never returns on failure.
void fetch_page(Browser* browser);
// A connected socket on which the request line has been written. Never returns on failure.
[[nodiscard]] int open_gopher_connection(const char* host, int port, const char* selector);
// Tries the addresses in order; the first socket that connects, or -1.
[[nodiscard]] int connect_first(const std::vector<in_addr>& addresses, int port,
                                int timeout_ms = connect_timeout_ms);
// Bytes written (then equal to length), or -1 after a write error other than EINTR.
[[nodiscard]] ssize_t write_all(int fd, const char* bytes, std::size_t length);
// Everything until end of stream, NUL-terminated. Never returns on failure.
[[nodiscard]] Content receive_all(int fd, int idle_timeout_ms = receive_idle_timeout_ms);
