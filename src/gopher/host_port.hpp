// The host and port of an address as typed ("host", "host:port", "[v6]", "[v6]:port"), and a
// host written back the same way, with brackets around an IPv6 literal.
#pragma once

#include <optional>
#include <string>
#include <string_view>

struct HostPort {
    std::string_view host; // without brackets
    std::string_view port; // the text after the colon, unchecked; empty when has_port is false
    bool has_port = false;
};

// Splits the part of an address before its selector. An IPv6 literal in brackets is the host
// and may be followed only by ":port"; without brackets the last colon splits, so that
// "alpha.lan:70:71" is the host "alpha.lan:70" on port 71. Nothing when the brackets do not hold
// an IPv6 address or something other than ":port" follows them. The views point into text.
[[nodiscard]] std::optional<HostPort> split_host_port(std::string_view text);

// An IPv6 address as inet_pton reads it, without brackets ("::1", "2001:db8::5").
[[nodiscard]] bool is_ipv6_literal(std::string_view host);

// The host as a URL or a header shows it: "[::1]" for an IPv6 literal, otherwise unchanged.
[[nodiscard]] std::string url_host(std::string_view host);
