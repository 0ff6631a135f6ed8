// Any address text: parsing never crashes, and a valid result is a usable host, port and selector.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

#include "fuzz_check.hpp"
#include "gopher/address.hpp"

namespace {

// An exact-size heap copy without a terminator, so that a read past the view is caught.
std::optional<Address> parse(std::string_view address) {
    const auto text = std::make_unique<char[]>(address.size() + 1);
    std::memcpy(text.get(), address.data(), address.size());
    return parse_gopher_address({text.get(), address.size()});
}

bool same(const std::optional<Address>& a, const std::optional<Address>& b) {
    if (a.has_value() != b.has_value()) {
        return false;
    }
    return !a || (a->host == b->host && a->port == b->port && a->selector == b->selector &&
                  a->type == b->type && a->tls == b->tls);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The address as typed: text without NULs (a command-line argument, the prompt's line).
    const std::string address(reinterpret_cast<const char*>(data),
                              strnlen(reinterpret_cast<const char*>(data), size));
    const std::optional<Address> parsed = parse(address);
    if (parsed) {
        const std::string& host = parsed->host;
        FUZZ_CHECK(!host.empty() && host.size() <= 255);
        FUZZ_CHECK(host.find('\0') == std::string::npos);
        FUZZ_CHECK(host.find_first_of(" \t\n") == std::string::npos);
        FUZZ_CHECK(host.find('/') == std::string::npos);
        FUZZ_CHECK(parsed->port >= 1 && parsed->port <= 65535);
        const std::string& selector = parsed->selector;
        FUZZ_CHECK(selector.size() <= 1023);
        FUZZ_CHECK(selector.find('\0') == std::string::npos);
        // Only an empty selector may follow a NUL type (an address ending in "/").
        FUZZ_CHECK(parsed->type != '\0' || selector.empty());
        // A URL's selector, decoded, could not split the request line.
        const bool tls_url = address.starts_with("gophers://");
        if (address.starts_with("gopher://") || tls_url) {
            FUZZ_CHECK(selector.find_first_of("\r\n") == std::string::npos);
        }
        // TLS only when asked for, and never lost: the same address in cleartext differs only
        // there (while neither is cut).
        FUZZ_CHECK(parsed->tls == tls_url);
        if (tls_url && address.size() <= 1289) {
            const std::optional<Address> plain = parse("gopher://" + address.substr(10));
            FUZZ_CHECK(plain && !plain->tls && plain->host == host && plain->port == parsed->port &&
                       plain->selector == selector && plain->type == parsed->type);
        }
    }
    // Only the first 1289 characters count.
    if (address.size() > 1289) {
        FUZZ_CHECK(same(parsed, parse(std::string_view(address).substr(0, 1289))));
    }
    return 0;
}
