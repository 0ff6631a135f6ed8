// The host and port of an address as typed.
#include "gopher/host_port.hpp"

#include <arpa/inet.h>
#include <cstring>
#include <netinet/in.h>

std::optional<HostPort> split_host_port(std::string_view text) {
    if (!text.empty() && text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || !is_ipv6_literal(text.substr(1, close - 1))) {
            return std::nullopt;
        }
        const std::string_view rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':') {
            return std::nullopt;
        }
        return HostPort{.host = text.substr(1, close - 1),
                        .port = rest.empty() ? rest : rest.substr(1),
                        .has_port = !rest.empty()};
    }
    const std::size_t colon = text.rfind(':');
    if (colon == std::string_view::npos) {
        return HostPort{.host = text, .port = {}, .has_port = false};
    }
    return HostPort{
        .host = text.substr(0, colon), .port = text.substr(colon + 1), .has_port = true};
}

bool is_ipv6_literal(std::string_view host) {
    // The longest form: eight groups of four digits, or six and a dotted IPv4 address.
    char text[INET6_ADDRSTRLEN];
    if (host.empty() || host.size() >= sizeof text) {
        return false;
    }
    std::memcpy(text, host.data(), host.size());
    text[host.size()] = '\0';
    in6_addr address{};
    // A NUL inside host ends the copy early and must not pass as the shorter address.
    return host.find('\0') == std::string_view::npos && inet_pton(AF_INET6, text, &address) == 1;
}

std::string url_host(std::string_view host) {
    if (!is_ipv6_literal(host)) {
        return std::string(host);
    }
    std::string bracketed = "[";
    bracketed += host;
    bracketed += ']';
    return bracketed;
}
