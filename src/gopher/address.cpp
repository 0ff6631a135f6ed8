// Gopher addresses as typed by the user, and the URL shown for a page.
#include "gopher/address.hpp"

#include <cstdio>
#include <cstring>

#include "base/hex.hpp"
#include "gopher/bounded_copy.hpp"
#include "gopher/decimal.hpp"
#include "gopher/fields.hpp"
#include "gopher/host_port.hpp"

namespace {

bool is_digit(char c) {
    return c >= '0' && c <= '9';
}

bool is_label_char(char c) {
    return is_digit(c) || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '-' || c == '_';
}

// A host without a dot or a leading digit must be one plain label (localhost, myserver), which
// keeps a mistyped option such as -hx or --HELP from reaching a name lookup.
bool host_acceptable(const char* host) {
    if (*host == '\0' || std::strpbrk(host, " \t\n") != nullptr) {
        return false;
    }
    if (std::strchr(host, '.') != nullptr || is_digit(host[0])) {
        return true;
    }
    if (host[0] == '-') {
        return false;
    }
    for (const char* c = host; *c != '\0'; ++c) {
        if (!is_label_char(*c)) {
            return false;
        }
    }
    return true;
}

// Not tolower: the locale must not decide whether two hosts are the same.
char ascii_lower(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

// Decodes every %XX of a URL's selector in place; a "%" without two hex digits stays as it is.
// False when the selector, decoded, holds a byte that would end or split the request line.
bool percent_decode(char* text) {
    char* out = text;
    for (const char* in = text; *in != '\0'; ++out) {
        const int high = in[0] == '%' ? hex_value(in[1]) : -1;
        const int low = high >= 0 ? hex_value(in[2]) : -1;
        const char byte = low >= 0 ? static_cast<char>(high * 16 + low) : *in;
        if (byte == '\0' || byte == '\r' || byte == '\n') {
            return false;
        }
        *out = byte;
        in += low >= 0 ? 3 : 1;
    }
    *out = '\0';
    return true;
}

bool is_letter(char c) {
    return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z');
}

// The length of a leading "scheme://" (RFC 3986's scheme), or 0.
std::size_t scheme_length(std::string_view text) {
    if (text.empty() || !is_letter(text[0])) {
        return 0;
    }
    std::size_t i = 1;
    while (i < text.size() && (is_letter(text[i]) || is_digit(text[i]) || text[i] == '+' ||
                               text[i] == '-' || text[i] == '.')) {
        ++i;
    }
    return text.substr(i).starts_with("://") ? i : 0;
}

bool same_letters(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        const auto lower = [](char c) {
            return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c;
        };
        if (lower(a[i]) != lower(b[i])) {
            return false;
        }
    }
    return true;
}

// Hex digits and colons, at least two of them (dots for an IPv4 tail): an IPv6 address.
bool looks_like_ipv6(std::string_view host) {
    std::size_t colons = 0;
    for (const char c : host) {
        if (c == ':') {
            ++colons;
        } else if (hex_value(c) < 0 && c != '.') {
            return false;
        }
    }
    return colons >= 2;
}

// What an IPv6 address cut at its last colon leaves: hex digits, dots and a colon or more.
bool host_is_ipv6_like(std::string_view host) {
    return host.find(':') != std::string_view::npos &&
           host.find_first_not_of("0123456789abcdefABCDEF:.") == std::string_view::npos;
}

} // namespace

std::string_view invalid_address_message(std::string_view typed) {
    if (const std::size_t scheme = scheme_length(typed); scheme > 0) {
        const std::string_view name = typed.substr(0, scheme);
        if (!same_letters(name, "gopher") && !same_letters(name, "gophers")) {
            return "Error: Only gopher:// and gophers:// addresses open here.";
        }
        typed.remove_prefix(scheme + 3);
    }
    const std::string_view host_port = typed.substr(0, typed.find('/'));
    std::string_view port;
    if (host_port.starts_with('[')) {
        const std::size_t close = host_port.find(']');
        if (close != std::string_view::npos && host_port.substr(close + 1).starts_with(':')) {
            port = host_port.substr(close + 2);
        }
    } else {
        if (looks_like_ipv6(host_port)) {
            return "Error: An IPv6 address goes in brackets, as [::1].";
        }
        const std::size_t colon = host_port.rfind(':');
        if (colon != std::string_view::npos) {
            if (looks_like_ipv6(host_port.substr(0, colon))) {
                return "Error: An IPv6 address goes in brackets, as [::1].";
            }
            port = host_port.substr(colon + 1);
        }
    }
    if (!port.empty()) {
        bool digits = true;
        for (const char c : port) {
            digits = digits && is_digit(c);
        }
        const std::size_t first = port.find_first_not_of('0');
        const std::string_view value =
            first == std::string_view::npos ? std::string_view{} : port.substr(first);
        if (digits && (value.empty() || value.size() > 5 ||
                       (value.size() == 5 && value > std::string_view{"65535"}))) {
            return "Error: The port must be 1-65535.";
        }
    }
    return "Error: Invalid Gopher address format.";
}

std::optional<Address> parse_gopher_address(std::string_view typed) {
    char work[address_max + 1];
    copy_bounded(work, typed, address_max);
    if (work[0] == '\0') {
        return std::nullopt;
    }
    Address address;

    char* rest = work;
    // Only a URL is percent-encoded; the other forms are taken literally.
    const bool url = std::strncmp(rest, "gopher://", 9) == 0;
    address.tls = std::strncmp(rest, "gophers://", 10) == 0;
    if (url) {
        rest += 9;
    } else if (address.tls) {
        rest += 10;
    }

    if (char* slash = std::strchr(rest, '/')) {
        *slash = '\0';
        // A trailing "/" gives the NUL type.
        address.type = slash[1];
        if (slash[1] != '\0' && slash[2] != '\0') {
            if ((url || address.tls) && !percent_decode(slash + 2)) {
                return std::nullopt;
            }
            address.selector.assign(slash + 2, strnlen(slash + 2, selector_max));
        }
    }

    // An IPv6 literal in brackets, or the text before the last colon, so that alpha.lan:70:71
    // is the host alpha.lan:70 on port 71.
    const std::optional<HostPort> split = split_host_port(rest);
    if (!split) {
        return std::nullopt;
    }
    if (split->has_port) {
        if (split->port.empty()) {
            return std::nullopt;
        }
        // The port runs to the end of rest, so it is terminated.
        address.port = read_decimal(split->port.data());
    }
    // A literal in brackets is checked already; a name must pass for one.
    const std::string host(split->host);
    // An IPv6 address without brackets would lose its last group to the port.
    if (rest[0] != '[' && (!host_acceptable(host.c_str()) || host_is_ipv6_like(host))) {
        return std::nullopt;
    }
    address.host.assign(host, 0, strnlen(host.c_str(), host_max));
    if (static_cast<unsigned>(address.port) - 1u >= 65535u) {
        return std::nullopt;
    }
    return address;
}

void format_page_url(const Address& page, char* out, std::size_t size) {
    if (size == 0) {
        return;
    }
    out[0] = '\0';
    char port_text[16];
    const int port_length = std::snprintf(port_text, sizeof port_text, "%d", page.port);
    const std::size_t width = port_length < 5 ? 5 : static_cast<std::size_t>(port_length);
    // An IPv6 literal goes in brackets, so that its colons are not read as the port's.
    const std::string host = url_host(page.host);
    const std::size_t host_length = host.size();
    const std::size_t selector_length = page.selector.size();

    // Beyond host, port and selector a URL holds the scheme, ":" and "/" (2 bytes), then the
    // type when a selector follows (3); "<" keeps a byte for the NUL.
    const char* scheme = page.tls ? "gophers://" : "gopher://";
    const std::size_t fixed = std::strlen(scheme) + 2;
    const bool root = page.selector.empty() || page.selector == "1";
    if (root) {
        if (host_length + width + fixed < size) {
            std::snprintf(out, size, "%s%s:%d/", scheme, host.c_str(), page.port);
        }
    } else if (host_length + selector_length + width + fixed + 1 < size) {
        std::snprintf(out, size, "%s%s:%d/%c%s", scheme, host.c_str(), page.port, page.type,
                      page.selector.c_str());
    }
}

bool same_server(const Address& menu, std::string_view host, int port) {
    if (port != menu.port || host.size() != menu.host.size()) {
        return false;
    }
    for (std::size_t i = 0; i < host.size(); ++i) {
        if (ascii_lower(host[i]) != ascii_lower(menu.host[i])) {
            return false;
        }
    }
    return true;
}
