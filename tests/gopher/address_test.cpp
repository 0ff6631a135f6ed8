// Gopher addresses: parsing what users type and rendering a page's URL.
#include "gopher/address.hpp"

#include <gtest/gtest.h>
#include <optional>
#include <string>

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

TEST(ParseGopherAddress, AcceptsTheAddressForms) {
    const struct {
        const char* address;
        const char* host;
        int port;
        char type;
        const char* selector;
    } cases[] = {
        {"alpha.lan", "alpha.lan", 70, '1', ""},
        {"gopher://alpha.lan", "alpha.lan", 70, '1', ""},
        {"gopher://alpha.lan:70/1/dir", "alpha.lan", 70, '1', "/dir"},
        {"alpha.lan:7070/0/notes.txt", "alpha.lan", 7070, '0', "/notes.txt"},
        {"alpha.lan/", "alpha.lan", 70, '\0', ""},
        {"alpha.lan/1", "alpha.lan", 70, '1', ""},
        {"alpha.lan/11", "alpha.lan", 70, '1', "1"},
        {"alpha.lan/0x", "alpha.lan", 70, '0', "x"},
        {"gopher://7host:70/1/", "7host", 70, '1', "/"},
        {"alpha.lan/1/a:b", "alpha.lan", 70, '1', "/a:b"},
        {"alpha.lan:70:71", "alpha.lan:70", 71, '1', ""},
        {"alpha.lan: 70", "alpha.lan", 70, '1', ""},
        {"alpha.lan:7x", "alpha.lan", 7, '1', ""},
        {"alpha.lan:65535", "alpha.lan", 65535, '1', ""},
        {"10.0.0.7", "10.0.0.7", 70, '1', ""},
        {"7host", "7host", 70, '1', ""},
        {"-alpha.lan", "-alpha.lan", 70, '1', ""},
        {"alpha.lan:+71", "alpha.lan", 71, '1', ""},
        // One label without a dot or a leading digit.
        {"localhost", "localhost", 70, '1', ""},
        {"localhost:7070", "localhost", 7070, '1', ""},
        {"gopher://myserver/", "myserver", 70, '\0', ""},
        {"alpha", "alpha", 70, '1', ""},
        {"My-Server_2", "My-Server_2", 70, '1', ""},
        {"_gopher", "_gopher", 70, '1', ""},
        {"x", "x", 70, '1', ""},
        {"alpha-:70/0/a", "alpha-", 70, '0', "/a"},
        // An IPv6 literal in brackets, kept without them.
        {"[::1]", "::1", 70, '1', ""},
        {"[::1]:7070", "::1", 7070, '1', ""},
        {"[::1]/0/notes", "::1", 70, '0', "/notes"},
        {"gopher://[2001:db8::1]:7070/1/dir", "2001:db8::1", 7070, '1', "/dir"},
        {"gopher://[::ffff:10.0.0.7]/", "::ffff:10.0.0.7", 70, '\0', ""},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.address);
        EXPECT_EQ(p.valid, 1) << "address=" << c.address;
        EXPECT_EQ(p.host, c.host) << "address=" << c.address;
        EXPECT_EQ(p.port, c.port) << "address=" << c.address;
        EXPECT_EQ(p.type, c.type) << "address=" << c.address;
        EXPECT_EQ(p.selector, c.selector) << "address=" << c.address;
    }
}

TEST(ParseGopherAddress, RejectsMalformedAddresses) {
    for (const char* address :
         {"alpha.lan:", "alpha.lan:0", "alpha.lan:70000", "alpha.lan:-70", "alpha.lan:abc",
          "alpha .lan", "alpha\t.lan", "alpha\n.lan", "/1/dir", "gopher://", "gopher:/alpha.lan",
          "GOPHER://alpha.lan", "", "-hx", "--HELP", "-", "\xd9host", "-alpha", "-alpha:70",
          "gopher://-alpha/", "alpha!", "alp\xc3\xa9", "alpha\r", "alpha+beta", "alpha@beta",
          "alpha.lan:99999999999", "alpha.lan:-99999999999",
          // Brackets that do not hold an IPv6 address alone.
          "[::1", "[]", "[zz]", "[alpha.lan]", "[10.0.0.7]", "[::1]:", "[::1]70", "[::1]:70000",
          "gopher://[::1/1/dir", "::1",
          // Nor is an IPv6 address without them read as a host and its last group as the port.
          "2001:db8::1", "2001:db8::1/1/dir", "gopher://fe80::7070/", "10.0.0.1:70:71"}) {
        EXPECT_EQ(parse(address).valid, 0) << "address=" << address;
    }
}

TEST(InvalidAddressMessage, GivesTheReasonWhereOneApplies) {
    constexpr const char* scheme = "Error: Only gopher:// and gophers:// addresses open here.";
    constexpr const char* port = "Error: The port must be 1-65535.";
    constexpr const char* ipv6 = "Error: An IPv6 address goes in brackets, as [::1].";
    constexpr const char* format = "Error: Invalid Gopher address format.";
    const struct {
        const char* typed;
        const char* message;
    } cases[] = {
        {"http://example.org/", scheme},
        {"HTTPS://example.org:99999/", scheme}, // the scheme first
        {"ftp://[::1]/", scheme},
        {"git+ssh://host/x", scheme},
        {"alpha.lan:99999", port},
        {"alpha.lan:0", port},
        {"alpha.lan:000", port},
        {"alpha.lan:65536", port},
        {"alpha.lan:99999999999", port},
        {"gopher://alpha.lan:70000/1/dir", port},
        {"gophers://alpha.lan:0/", port},
        {"[::1]:70000", port},
        {"gopher://[::1]:0/1/x", port},
        {"::1", ipv6},
        {"gopher://::1/", ipv6},
        {"fe80::1:7070", ipv6},
        {"2001:db8::10/1/dir", ipv6},
        {"gopher://2001:db8::1:70/1/dir", ipv6},
        {"::ffff:10.0.0.7", ipv6},
        {"", format},
        {"alpha.lan:", format},
        {"alpha.lan:abc", format},
        {"alpha.lan:-70", format},
        {"gopher://", format},
        {"gopher:/alpha.lan", format},
        {"GOPHER://alpha.lan", format}, // not another scheme, though not taken either
        {"[::1", format},
        {"[zz]", format},
        {"alpha!", format},
        {"--HELP", format},
        {"mailto:ann@alpha.lan", format},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(parse(c.typed).valid, 0) << "typed=" << c.typed;
        EXPECT_EQ(invalid_address_message(c.typed), c.message) << "typed=" << c.typed;
    }
}

TEST(ParseGopherAddress, DecodesPercentEscapesInTheSelectorOfAUrlOnly) {
    const struct {
        const char* address;
        const char* selector; // nullptr: invalid
        char type = '1';
    } cases[] = {
        {"gopher://alpha.lan/1/my%20dir", "/my dir"},
        {"gopher://alpha.lan/7/find%09word", "/find\tword", '7'},
        {"gopher://alpha.lan/0/%2fa%2Fb%41%7e%7E", "//a/bA~~", '0'},
        {"gopher://alpha.lan/1%41", "A"},
        {"gopher://alpha.lan/1/%ff%C3%A9%01%7F", "/\xff\xc3\xa9\x01\x7f"},
        {"gopher://alpha.lan/1/100%25", "/100%"},
        {"gopher://alpha.lan/1/%2541", "/%41"}, // decoded once
        // A "%" without two hex digits stays.
        {"gopher://alpha.lan/1/50%", "/50%"},
        {"gopher://alpha.lan/1/%4", "/%4"},
        {"gopher://alpha.lan/1/%g1%1g%%41", "/%g1%1g%A"},
        {"gopher://alpha.lan/1/% 20", "/% 20"},
        // The type character and the host are not decoded.
        {"gopher://alpha.lan/%31", "31", '%'},
        // Bytes that would end or split the request line.
        {"gopher://alpha.lan/1/a%00b", nullptr},
        {"gopher://alpha.lan/1/a%0db", nullptr},
        {"gopher://alpha.lan/1/a%0Ab", nullptr},
        {"gopher://alpha.lan/1/a%0D%0A", nullptr},
        // The forms without the prefix are taken literally.
        {"alpha.lan/1/my%20dir", "/my%20dir"},
        {"alpha.lan/1/a%00b", "/a%00b"},
    };
    for (const auto& c : cases) {
        const Parsed p = parse(c.address);
        EXPECT_EQ(p.valid, c.selector != nullptr ? 1 : 0) << "address=" << c.address;
        if (c.selector != nullptr) {
            EXPECT_EQ(p.selector, c.selector) << "address=" << c.address;
            EXPECT_EQ(p.type, c.type) << "address=" << c.address;
            EXPECT_EQ(p.host, "alpha.lan") << "address=" << c.address;
        }
    }
    EXPECT_EQ(parse("gopher://alpha%2elan/").valid, 0) << "the host is not decoded";
}

TEST(ParseGopherAddress, CutsTheAddressThenDecodesThenCutsTheSelector) {
    const std::string prefix = "gopher://alpha.lan/0";
    auto escapes = [](int count, const char* escape) {
        std::string text;
        for (int i = 0; i < count; ++i) {
            text += escape;
        }
        return text;
    };
    // 1289 characters of address text end with the 423rd escape: the next one is never seen.
    ASSERT_EQ(prefix.size() + std::size_t{423} * 3, 1289u);
    Parsed p = parse(prefix + escapes(424, "%41"));
    EXPECT_EQ(p.valid, 1);
    EXPECT_EQ(p.selector, std::string(423, 'A'));

    // The 1023 characters are counted after decoding.
    p = parse(prefix + std::string(1000, 's') + escapes(30, "%41"));
    EXPECT_EQ(p.valid, 1);
    EXPECT_EQ(p.selector, std::string(1000, 's') + std::string(23, 'A'));

    // An escape cut in half by the 1289-character limit is no escape.
    p = parse(prefix + std::string(1267, 's') + "%00");
    EXPECT_EQ(p.valid, 1);
    EXPECT_EQ(p.selector, std::string(1023, 's'));
    // A forbidden byte is refused wherever it decodes, even past the 1023rd character.
    EXPECT_EQ(parse(prefix + std::string(1100, 's') + "%0a").valid, 0);
}

TEST(ParseGopherAddress, CutsOverlongInputInsteadOfRejectingIt) {
    // The address is read up to its 1289th character: a port placed after that is never seen.
    const std::string host = "alpha.lan";
    const std::string long_selector(2000, 's');
    Parsed p = parse(host + "/0" + long_selector);
    EXPECT_EQ(p.valid, 1);
    EXPECT_EQ(p.selector, std::string(1023, 's'));

    // The "." that would make this host acceptable lies past the 1289th character (without it,
    // the "!" makes it no single label either).
    EXPECT_EQ(parse("!" + std::string(1288, 'h') + ".lan").valid, 0);
    EXPECT_EQ(parse("!" + std::string(1283, 'h') + ".lan").valid, 1);

    const std::string long_host = std::string(300, 'h') + ".lan";
    p = parse(long_host);
    EXPECT_EQ(p.valid, 1);
    EXPECT_EQ(p.host, long_host.substr(0, 255));
}

Address make_page(const char* host, int port, char type, const std::string& selector) {
    return {.host = host, .port = port, .type = type, .selector = selector};
}

std::string render(const Address& page, std::size_t size = 1290) {
    std::string out(size, '#');
    format_page_url(page, out.data(), size);
    return out.c_str();
}

TEST(FormatPageUrl, RendersRootAndFullForms) {
    const struct {
        int port;
        char type;
        const char* selector;
        const char* url;
    } cases[] = {
        {70, '1', "", "gopher://alpha.lan:70/"},
        {70, '1', "1", "gopher://alpha.lan:70/"},
        {70, '0', "1", "gopher://alpha.lan:70/"},
        {70, '1', "/", "gopher://alpha.lan:70/1/"},
        {70, '1', "11", "gopher://alpha.lan:70/111"},
        {70, '1', "/dir", "gopher://alpha.lan:70/1/dir"},
        {7070, '0', "/notes.txt", "gopher://alpha.lan:7070/0/notes.txt"},
        {-1, '7', "/find\tword", "gopher://alpha.lan:-1/7/find\tword"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(render(make_page("alpha.lan", c.port, c.type, c.selector)), c.url)
            << "selector=" << c.selector;
    }
    // An IPv6 literal in brackets, in both forms; a host with colons that is none, as it is.
    EXPECT_EQ(render(make_page("::1", 7070, '1', "")), "gopher://[::1]:7070/");
    EXPECT_EQ(render(make_page("2001:db8::1", 70, '0', "/a")), "gopher://[2001:db8::1]:70/0/a");
    EXPECT_EQ(render(make_page("alpha.lan:70", 71, '1', "")), "gopher://alpha.lan:70:71/");
}

TEST(FormatPageUrl, GivesTheEmptyStringWhenTheUrlDoesNotFit) {
    const std::string host(255, 'h');
    EXPECT_EQ(render(make_page(host.c_str(), 70, '1', std::string(1023, 's'))), "");
    EXPECT_EQ(render(make_page(host.c_str(), 70, '1', "")), "gopher://" + host + ":70/");

    // The room test counts at least five characters for the port, and the terminator.
    const Address page = make_page("alpha.lan", 70, '1', "/dir");
    const std::size_t exact = std::string("gopher://alpha.lan:70/1/dir").size() + 3 + 1;
    EXPECT_EQ(render(page, exact), "gopher://alpha.lan:70/1/dir");
    EXPECT_EQ(render(page, exact - 1), "");
    const Address wide_port = make_page("alpha.lan", 1234567, '1', "/dir");
    EXPECT_EQ(render(wide_port, 28 + 5), "gopher://alpha.lan:1234567/1/dir");
    EXPECT_EQ(render(wide_port, 28 + 4), "");
    // The brackets of an IPv6 host count.
    const Address six = make_page("::1", 70, '1', "/dir");
    const std::size_t exact_six = std::string("gopher://[::1]:70/1/dir").size() + 3 + 1;
    EXPECT_EQ(render(six, exact_six), "gopher://[::1]:70/1/dir");
    EXPECT_EQ(render(six, exact_six - 1), "");
}

TEST(FormatPageUrl, FullFormParsesBackToTheSamePage) {
    const struct {
        const char* host;
        int port;
        char type;
        const char* selector;
    } cases[] = {
        {"alpha.lan", 70, '1', "/dir"},  {"10.0.0.7", 7070, '0', "/notes.txt:8"},
        {"7host", 65535, 'h', "/a/b/c"}, {"alpha.lan", 1, '7', "x"},
        {"::1", 7070, '0', "/six"},      {"1::2:3", 70, '1', "/dir"},
    };
    for (const auto& c : cases) {
        const std::string url = render(make_page(c.host, c.port, c.type, c.selector));
        const Parsed p = parse(url);
        EXPECT_EQ(p.valid, 1) << url;
        EXPECT_EQ(p.host, c.host) << url;
        EXPECT_EQ(p.port, c.port) << url;
        EXPECT_EQ(p.type, c.type) << url;
        EXPECT_EQ(p.selector, c.selector) << url;
    }
    // The root form drops a selector of "1".
    const Parsed p = parse(render(make_page("alpha.lan", 70, '0', "1")));
    EXPECT_EQ(p.selector, "");
}

} // namespace

TEST(TlsAddress, GophersUrlsAskForTlsAndNothingElseDoes) {
    const struct {
        const char* address;
        bool tls;
        const char* host;
        int port;
        char type;
        const char* selector;
    } cases[] = {
        {"gophers://alpha.lan", true, "alpha.lan", 70, '1', ""},
        {"gophers://alpha.lan:7443/0/my%20notes", true, "alpha.lan", 7443, '0', "/my notes"},
        {"gophers://[::1]:7443/1/dir", true, "::1", 7443, '1', "/dir"},
        {"gophers://alpha.lan/", true, "alpha.lan", 70, '\0', ""},
        {"gopher://alpha.lan/1/dir", false, "alpha.lan", 70, '1', "/dir"},
        {"alpha.lan:7443/1/dir", false, "alpha.lan", 7443, '1', "/dir"},
    };
    for (const auto& c : cases) {
        const std::optional<Address> a = parse_gopher_address(c.address);
        ASSERT_TRUE(a) << c.address;
        EXPECT_EQ(a->tls, c.tls) << c.address;
        EXPECT_EQ(a->host, c.host) << c.address;
        EXPECT_EQ(a->port, c.port) << c.address;
        EXPECT_EQ(a->type, c.type) << c.address;
        EXPECT_EQ(a->selector, c.selector) << c.address;
    }
    for (const char* address : {"gophers://", "GOPHERS://alpha.lan", "gophers:/alpha.lan",
                                "gophers://alpha.lan/1/a%0Ab", "gophers://alpha.lan:0"}) {
        EXPECT_FALSE(parse_gopher_address(address)) << address;
    }
}

TEST(TlsAddress, TheUrlOfATlsPageSaysSoAndReadsBack) {
    Address page = make_page("alpha.lan", 7443, '0', "/notes");
    page.tls = true;
    EXPECT_EQ(render(page), "gophers://alpha.lan:7443/0/notes");
    const std::optional<Address> back = parse_gopher_address(render(page));
    ASSERT_TRUE(back);
    EXPECT_TRUE(back->tls);
    EXPECT_EQ(back->selector, "/notes");
    page.selector = "";
    EXPECT_EQ(render(page), "gophers://alpha.lan:7443/");
    // The scheme's extra letter counts in the room test.
    page.selector = "/dir";
    const std::size_t exact = std::string("gophers://alpha.lan:7443/0/dir").size() + 1 + 1;
    EXPECT_EQ(render(page, exact), "gophers://alpha.lan:7443/0/dir");
    EXPECT_EQ(render(page, exact - 1), "");
}

TEST(TlsAddress, TheSameServerIsTheHostAsWrittenInEitherCaseAndThePort) {
    const Address menu = make_page("Alpha.LAN", 7443, '1', "");
    EXPECT_TRUE(same_server(menu, "alpha.lan", 7443));
    EXPECT_TRUE(same_server(menu, "ALPHA.lan", 7443));
    EXPECT_FALSE(same_server(menu, "alpha.lan", 70));
    EXPECT_FALSE(same_server(menu, "alpha.lan.", 7443));
    EXPECT_FALSE(same_server(menu, "beta.lan", 7443));
    EXPECT_FALSE(same_server(make_page("localhost", 70, '1', ""), "127.0.0.1", 70));
}
