// A resolved address in words, for checks on what the resolver and the connector chose.
#pragma once

#include <string>

#include "gopher/resolver.hpp"

// The address without its port, as inet_ntop writes it ("127.0.0.1", "::1").
[[nodiscard]] std::string address_text(const SocketAddress& address);
// The port of an IPv4 or IPv6 address, or -1.
[[nodiscard]] int address_port(const SocketAddress& address);
