// Any address text: parsing never crashes, and a valid result is a usable host, port and selector.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>

#include "fuzz_check.hpp"
#include "gopher/address.hpp"

namespace {

struct Parsed {
    int valid;
    std::unique_ptr<char[]> host = std::make_unique<char[]>(256);
    int port = -1;
    std::unique_ptr<char[]> selector = std::make_unique<char[]>(1024);
    char type = '?';
};

// Exact-size heap buffers, so that a write or read past either array is caught.
Parsed parse(const std::string& address) {
    auto text = std::make_unique<char[]>(address.size() + 1);
    std::memcpy(text.get(), address.c_str(), address.size() + 1);
    Parsed out;
    std::memset(out.host.get(), 'H', 256);
    std::memset(out.selector.get(), 'S', 1024);
    out.valid =
        parse_gopher_address(text.get(), out.host.get(), &out.port, out.selector.get(), &out.type);
    return out;
}

bool same(const Parsed& a, const Parsed& b) {
    if (a.valid != b.valid) {
        return false;
    }
    return a.valid == 0 ||
           (std::strcmp(a.host.get(), b.host.get()) == 0 && a.port == b.port &&
            std::strcmp(a.selector.get(), b.selector.get()) == 0 && a.type == b.type);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The address is a C string: it ends at the first NUL.
    const std::string address(reinterpret_cast<const char*>(data),
                              strnlen(reinterpret_cast<const char*>(data), size));
    const Parsed parsed = parse(address);
    FUZZ_CHECK(parsed.valid == 0 || parsed.valid == 1);
    if (parsed.valid == 1) {
        const char* host = parsed.host.get();
        FUZZ_CHECK(std::memchr(host, '\0', 256) != nullptr);
        const std::size_t host_length = std::strlen(host);
        FUZZ_CHECK(host_length >= 1 && host_length <= 255);
        FUZZ_CHECK(std::strpbrk(host, " \t\n") == nullptr);
        FUZZ_CHECK(std::strchr(host, '/') == nullptr);
        FUZZ_CHECK(parsed.port >= 1 && parsed.port <= 65535);
        FUZZ_CHECK(std::memchr(parsed.selector.get(), '\0', 1024) != nullptr);
        FUZZ_CHECK(std::strlen(parsed.selector.get()) <= 1023);
        // Only an empty selector may follow a NUL type (an address ending in "/").
        FUZZ_CHECK(parsed.type != '\0' || parsed.selector[0] == '\0');
        // A URL's selector, decoded, could not split the request line.
        if (address.starts_with("gopher://")) {
            FUZZ_CHECK(std::strpbrk(parsed.selector.get(), "\r\n") == nullptr);
        }
    }
    // Only the first 1289 characters count.
    if (address.size() > 1289) {
        FUZZ_CHECK(same(parsed, parse(address.substr(0, 1289))));
    }
    return 0;
}
