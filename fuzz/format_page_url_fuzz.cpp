// The URL of a page: it parses back to the same page, and it is cut to nothing, never short.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "fuzz_check.hpp"
#include "gopher/address.hpp"
#include "gopher/host_port.hpp"

namespace {

bool is_hex(char c) {
    return (c >= '0' && c <= '9') || (c >= 'a' && c <= 'f') || (c >= 'A' && c <= 'F');
}

bool host_passes_checks(const char* host) {
    if (*host == '\0' || std::strpbrk(host, " \t\n/") != nullptr) {
        return false;
    }
    // Typed in brackets.
    if (is_ipv6_literal(host)) {
        return true;
    }
    if (std::strchr(host, '.') != nullptr || (host[0] >= '0' && host[0] <= '9')) {
        return true;
    }
    const std::string_view label = host;
    return label[0] != '-' &&
           label.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ"
                                   "0123456789-_") == std::string_view::npos;
}

// A URL's selector is read decoded: one with an escape or a line break does not come back as it
// was.
bool survives_decoding(const char* selector) {
    for (const char* c = selector; *c != '\0'; ++c) {
        if (*c == '\r' || *c == '\n' || (c[0] == '%' && is_hex(c[1]) && is_hex(c[2]))) {
            return false;
        }
    }
    return true;
}

// The URL as written out by hand, or "" when the room test says it does not fit. An IPv6
// literal goes in brackets.
std::string expected_url(const Address& page, std::size_t size) {
    const std::string host = is_ipv6_literal(page.host) ? "[" + page.host + "]" : page.host;
    const std::string& selector = page.selector;
    const std::string port = std::to_string(page.port);
    const std::size_t width = port.size() < 5 ? 5 : port.size();
    const bool root = selector.empty() || selector == "1";
    const std::string scheme = page.tls ? "gophers://" : "gopher://";
    std::string url = scheme + host + ":" + port + "/";
    if (root) {
        return host.size() + width + scheme.size() + 2 < size ? url : "";
    }
    if (host.size() + selector.size() + width + scheme.size() + 3 >= size) {
        return "";
    }
    url += page.type;
    url += selector;
    return url.c_str(); // a NUL type ends the text there
}

std::string render(const Address& page, std::size_t size) {
    // Exact size, so that a write past the end is caught.
    std::vector<char> out(size, 'U');
    format_page_url(page, out.data(), size);
    FUZZ_CHECK(std::memchr(out.data(), '\0', size) != nullptr);
    return out.data();
}

void check_round_trip(std::string_view address) {
    const std::optional<Address> parsed = parse_gopher_address(address);
    if (!parsed || !host_passes_checks(parsed->host.c_str()) ||
        !survives_decoding(parsed->selector.c_str())) {
        return;
    }
    const Address& page = *parsed;
    const std::string url = render(page, 1290);
    FUZZ_CHECK(url == expected_url(page, 1290));
    if (url.empty()) {
        return;
    }
    const std::optional<Address> again = parse_gopher_address(url);
    FUZZ_CHECK(again.has_value());
    FUZZ_CHECK(again->host == page.host);
    FUZZ_CHECK(again->port == page.port);
    FUZZ_CHECK(again->tls == page.tls);
    const bool root = page.selector.empty() || page.selector == "1";
    if (root) {
        FUZZ_CHECK(again->selector.empty());
    } else {
        FUZZ_CHECK(again->type == page.type);
        FUZZ_CHECK(again->selector == page.selector);
    }
}

// Text as an address field holds it: no NUL, at most max bytes.
std::string field(const std::string& text, std::size_t max) {
    return std::string(text.c_str(), strnlen(text.c_str(), max));
}

// Pages pushed from menu lines have any port and any host, and buffers may be of any size.
void check_any_page(FuzzedDataProvider& input) {
    Address page;
    page.tls = input.ConsumeBool();
    page.port = input.ConsumeIntegral<int>();
    page.type = input.ConsumeIntegral<char>();
    const std::size_t size = input.ConsumeIntegralInRange<std::size_t>(1, 1400);
    page.host = field(input.ConsumeRandomLengthString(300), 255);
    page.selector = field(input.ConsumeRandomLengthString(1100), 1023);
    FUZZ_CHECK(render(page, size) == expected_url(page, size));
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The address as typed: text up to the first NUL.
    const std::string address(reinterpret_cast<const char*>(data), size);
    check_round_trip(address.c_str());
    FuzzedDataProvider input(data, size);
    check_any_page(input);
    return 0;
}
