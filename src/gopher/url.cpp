// URLs for items: gopher URLs to copy and paste back, web links, telnet sessions.
#include "gopher/url.hpp"

namespace {

bool needs_encoding(unsigned char c) {
    return c <= 0x20 || c >= 0x7f || c == '%' || c == '?' || c == '#';
}

void append_encoded(std::string* out, unsigned char c) {
    constexpr std::string_view hex = "0123456789ABCDEF";
    *out += '%';
    *out += hex[c >> 4];
    *out += hex[c & 0x0f];
}

void append_selector(std::string* out, std::string_view text) {
    for (const char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (needs_encoding(byte)) {
            append_encoded(out, byte);
        } else {
            *out += c;
        }
    }
}

// The host is taken literally when the URL is read back, so only what would break the URL or
// reach the terminal raw is encoded.
void append_host(std::string* out, std::string_view host) {
    const bool ipv6 = host.find(':') != std::string_view::npos &&
                      !(host.size() >= 2 && host.front() == '[' && host.back() == ']');
    if (ipv6) {
        *out += '[';
    }
    for (const char c : host) {
        const auto byte = static_cast<unsigned char>(c);
        if (needs_encoding(byte) || c == '/') {
            append_encoded(out, byte);
        } else {
            *out += c;
        }
    }
    if (ipv6) {
        *out += ']';
    }
}

std::string session_url(std::string_view scheme, std::string_view host, int port) {
    std::string url{scheme};
    append_host(&url, host);
    url += ':';
    url += std::to_string(port);
    return url;
}

} // namespace

std::string gopher_url(std::string_view host, int port, char type, std::string_view selector,
                       bool tls) {
    std::string url = session_url(tls ? "gophers://" : "gopher://", host, port);
    url += '/';
    // The type is read back as the byte after the "/", never decoded: a printable one is written
    // as it is, whatever it is, so that it comes back; any other is encoded and cannot.
    const auto type_byte = static_cast<unsigned char>(type);
    if (type_byte <= 0x20 || type_byte >= 0x7f) {
        append_encoded(&url, type_byte);
    } else {
        url += type;
    }
    append_selector(&url, selector);
    return url;
}

std::optional<std::string_view> web_url(std::string_view selector) {
    constexpr std::string_view prefix = "URL:";
    if (selector.starts_with('/')) {
        selector.remove_prefix(1);
    }
    if (!selector.starts_with(prefix) || selector.size() == prefix.size()) {
        return std::nullopt;
    }
    return selector.substr(prefix.size());
}

std::string telnet_url(char type, std::string_view host, int port) {
    return session_url(type == '8' ? "telnet://" : "tn3270://", host, port);
}
