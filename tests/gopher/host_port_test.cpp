// Host and port of a typed address, IPv6 literals in brackets, and the host written back.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <string_view>

#include "gopher/host_port.hpp"

namespace {

TEST(HostPort, SplitsHostAndPort) {
    struct Case {
        std::string_view text;
        std::string_view host;
        std::string_view port;
        bool has_port;
    };
    const Case cases[] = {
        {"alpha.lan", "alpha.lan", "", false},
        {"alpha.lan:7070", "alpha.lan", "7070", true},
        // The last colon splits, as it always has.
        {"alpha.lan:70:71", "alpha.lan:70", "71", true},
        // An empty port is left to the caller to refuse.
        {"alpha.lan:", "alpha.lan", "", true},
        {"[::1]", "::1", "", false},
        {"[::1]:7070", "::1", "7070", true},
        {"[2001:db8::5]:70", "2001:db8::5", "70", true},
        {"[::ffff:10.0.0.1]", "::ffff:10.0.0.1", "", false},
        {"[::1]:", "::1", "", true},
        // Without brackets a bare IPv6 literal is split like any host.
        {"::1", ":", "1", true},
    };
    for (const Case& c : cases) {
        const std::optional<HostPort> split = split_host_port(c.text);
        ASSERT_TRUE(split) << c.text;
        EXPECT_EQ(split->host, c.host) << c.text;
        EXPECT_EQ(split->port, c.port) << c.text;
        EXPECT_EQ(split->has_port, c.has_port) << c.text;
    }
}

TEST(HostPort, RefusesBracketsWithoutAnIpv6Address) {
    for (const std::string_view text :
         {"[::1", "[]", "[zz]", "[::1]x", "[::1]70", "[127.0.0.1]", "[alpha.lan]:70",
          "[fe80::1%eth0]", "[::1]]", "[", "[[::1]]"}) {
        EXPECT_FALSE(split_host_port(text)) << text;
    }
}

TEST(HostPort, Ipv6Literals) {
    for (const std::string_view yes :
         {"::1", "::", "2001:db8::5", "::ffff:127.0.0.1", "1:2:3:4:5:6:7:8",
          "0000:0000:0000:0000:0000:ffff:255.255.255.255"}) {
        EXPECT_TRUE(is_ipv6_literal(yes)) << yes;
    }
    const std::string_view not_literals[] = {
        "", "127.0.0.1", "alpha.lan", "[::1]", ":", "::1:", "1:2:3:4:5:6:7:8:9",
        // A NUL inside must not cut the text to a valid address.
        std::string_view("::1\0x", 5)};
    for (const std::string_view no : not_literals) {
        EXPECT_FALSE(is_ipv6_literal(no)) << no;
    }
}

// What url_host writes, split_host_port reads back as the same host.
TEST(HostPort, UrlHostBracketsOnlyIpv6AndReadsBack) {
    struct Case {
        std::string_view host;
        std::string_view shown;
    };
    const Case cases[] = {
        {"::1", "[::1]"},           {"2001:db8::5", "[2001:db8::5]"}, {"127.0.0.1", "127.0.0.1"},
        {"alpha.lan", "alpha.lan"}, {"alpha.lan:70", "alpha.lan:70"},
    };
    for (const Case& c : cases) {
        const std::string shown = url_host(c.host);
        EXPECT_EQ(shown, c.shown);
        const std::string address = shown + ":7070";
        const std::optional<HostPort> split = split_host_port(address);
        ASSERT_TRUE(split) << address;
        EXPECT_EQ(split->host, c.host) << address;
        EXPECT_EQ(split->port, "7070") << address;
    }
}

} // namespace
