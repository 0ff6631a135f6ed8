// URLs for items, and gopher URLs read back by the address parser.
#include "gopher/url.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <string>

#include "gopher/address.hpp"

namespace {

struct Parsed {
    int valid;
    std::string host;
    int port;
    char type;
    std::string selector;
};

Parsed parse(const std::string& address) {
    const std::optional<Address> parsed = parse_gopher_address(address);
    if (!parsed) {
        return {0, "", 0, 'x', ""};
    }
    return {1, parsed->host, parsed->port, parsed->type, parsed->selector};
}

TEST(GopherUrl, WritesTypeAndEncodedSelector) {
    const struct {
        std::string host;
        int port;
        char type;
        std::string selector;
        std::string url;
    } cases[] = {
        {"alpha.lan", 70, '1', "", "gopher://alpha.lan:70/1"},
        {"alpha.lan", 7070, '0', "/notes.txt", "gopher://alpha.lan:7070/0/notes.txt"},
        {"alpha.lan", 70, '7', "/find\tquery", "gopher://alpha.lan:70/7/find%09query"},
        {"alpha.lan", 70, '0', "a b%c?d#e", "gopher://alpha.lan:70/0a%20b%25c%3Fd%23e"},
        {"alpha.lan", 70, '0', "caf\xc3\xa9", "gopher://alpha.lan:70/0caf%C3%A9"},
        {"alpha.lan", 70, '0', std::string("\x1b[2J\x7f\r\n\0", 8),
         "gopher://alpha.lan:70/0%1B[2J%7F%0D%0A%00"},
        {"alpha.lan", 70, '9', "/a:b/c;d=e&f", "gopher://alpha.lan:70/9/a:b/c;d=e&f"},
        {"::1", 70, '1', "/", "gopher://[::1]:70/1/"},
        {"[::1]", 70, '1', "", "gopher://[::1]:70/1"},
        {"fe80::1%eth0", 70, '1', "", "gopher://[fe80::1%25eth0]:70/1"},
        {"bad host/\x1b", 70, '1', "", "gopher://bad%20host%2F%1B:70/1"},
        {"alpha.lan", 70, '\t', "x", "gopher://alpha.lan:70/%09x"},
        {"alpha.lan", 70, '\x9b', "x", "gopher://alpha.lan:70/%9Bx"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(gopher_url(c.host, c.port, c.type, c.selector), c.url) << "url=" << c.url;
    }
}

TEST(GopherUrl, ATlsItemsUrlIsGophers) {
    EXPECT_EQ(gopher_url("alpha.lan", 7443, '0', "/a b", true), "gophers://alpha.lan:7443/0/a%20b");
    EXPECT_EQ(gopher_url("::1", 7443, '1', "", true), "gophers://[::1]:7443/1");
}

TEST(GopherUrl, OpensTheSameItemWhenTypedBack) {
    const struct {
        const char* host;
        int port;
        char type;
        std::string selector;
    } cases[] = {
        {"alpha.lan", 70, '1', ""},
        {"alpha.lan", 70, '1', "/"},
        {"alpha.lan", 7070, '0', "/notes.txt"},
        {"10.0.0.7", 1, 'h', "/a b/c  d "},
        {"localhost", 65535, '7', "/find\tquery with blanks"},
        {"alpha.lan", 70, '0', "100% sure, %41 not A, %zz, %"},
        {"alpha.lan", 70, '0', "/page?q=1#top"},
        {"alpha.lan", 70, '0', "/caf\xc3\xa9/\xe6\x97\xa5\xe6\x9c\xac.txt"},
        {"alpha.lan", 70, '9', "/\x01\x1b[2J\x7f\xff"},
        {"alpha.lan", 70, 'I', "URL:http://example.test/"},
        {"alpha.lan", 70, '0', "//double//slash/"},
        {"alpha.lan", 70, '%', "41"},
        {"alpha.lan", 70, '?', "x"},
        {"alpha.lan", 70, '1', std::string(340, '\t')},
        {"alpha.lan", 70, '1', std::string(1023, 'x')},
    };
    for (const auto& c : cases) {
        const std::string url = gopher_url(c.host, c.port, c.type, c.selector);
        const Parsed back = parse(url);
        EXPECT_EQ(back.valid, 1) << url;
        EXPECT_EQ(back.host, c.host) << url;
        EXPECT_EQ(back.port, c.port) << url;
        EXPECT_EQ(back.type, c.type) << url;
        EXPECT_EQ(back.selector, c.selector) << url;
    }
}

TEST(GopherUrl, SelectorsWithLineBreaksOrNulCannotComeBack) {
    for (const std::string& selector :
         {std::string("a\rb"), std::string("a\nb"), std::string("a\0b", 3)}) {
        EXPECT_EQ(parse(gopher_url("alpha.lan", 70, '0', selector)).valid, 0);
    }
}

TEST(WebUrl, TakesTheAddressAfterUrlColon) {
    const struct {
        const char* selector;
        const char* url; // nullptr: not a web link
    } cases[] = {
        {"URL:http://example.test/", "http://example.test/"},
        {"/URL:https://example.test/a?b#c", "https://example.test/a?b#c"},
        {"URL:mailto:someone@example.test", "mailto:someone@example.test"},
        {"URL: spaced", " spaced"},
        {"URL:", nullptr},
        {"/URL:", nullptr},
        {"", nullptr},
        {"/", nullptr},
        {"//URL:http://example.test/", nullptr},
        {"url:http://example.test/", nullptr},
        {"/docs/URL:http://example.test/", nullptr},
        {"URL", nullptr},
    };
    for (const auto& c : cases) {
        const auto url = web_url(c.selector);
        if (c.url == nullptr) {
            EXPECT_FALSE(url.has_value()) << "selector=" << c.selector;
        } else {
            ASSERT_TRUE(url.has_value()) << "selector=" << c.selector;
            EXPECT_EQ(*url, c.url) << "selector=" << c.selector;
        }
    }
}

TEST(TelnetUrl, SchemeByType) {
    EXPECT_EQ(telnet_url('8', "bbs.lan", 23), "telnet://bbs.lan:23");
    EXPECT_EQ(telnet_url('T', "mainframe.lan", 2323), "tn3270://mainframe.lan:2323");
    EXPECT_EQ(telnet_url('8', "::1", 23), "telnet://[::1]:23");
    EXPECT_EQ(telnet_url('8', "evil\x1b[2J.lan", 23), "telnet://evil%1B[2J.lan:23");
}

} // namespace
