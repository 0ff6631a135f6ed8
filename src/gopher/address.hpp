// Gopher addresses as typed by the user, and the URL shown for a page.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Where an item lives: what a page, a menu link, a fetch and the prompts pass around. The host
// holds at most 255 bytes (an IPv6 literal without its brackets) and the selector at most 1023
// (longer input is cut, never rejected).
struct Address {
    std::string host;
    int port = 70;
    char type = '1'; // '\0' for an address ending in "/": the first line decides
    std::string selector;
    bool tls = false; // gophers://: the same protocol inside TLS, never downgraded
};

// The address typed (a command-line argument, the address prompt), or none when it is invalid.
// "gophers://" asks for TLS; every other form is cleartext. An IPv6 literal in brackets is a host
// ("[::1]", "[::1]:7070", "gopher://[::1]:7070/1/dir"); brackets around anything else are invalid.
[[nodiscard]] std::optional<Address> parse_gopher_address(std::string_view typed);

// Why parse_gopher_address refused typed, in the words the address prompt shows: another
// scheme than gopher:// or gophers://, a port out of 1-65535, an IPv6 address without its
// brackets; otherwise "Error: Invalid Gopher address format.".
[[nodiscard]] std::string_view invalid_address_message(std::string_view typed);

// The page's URL ("gophers://" over TLS), an IPv6 host in brackets, or the empty string when it
// does not fit in size bytes.
void format_page_url(const Address& page, char* out, std::size_t size);

// Whether a menu's link to host and port goes to the server the menu came from: the host as
// written, letters in either case, and the same port. A link there keeps the menu's TLS.
[[nodiscard]] bool same_server(const Address& menu, std::string_view host, int port);
