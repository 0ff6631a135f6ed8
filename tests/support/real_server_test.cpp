#include "support/real_server.hpp"

#include "gopher/descriptor.hpp"
#include <arpa/inet.h>
#include <cerrno>
#include <fstream>
#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace {

constexpr int read_timeout_ms = 15'000;

struct Socket : Descriptor {
    Socket() : Descriptor(::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)) {}
};

// One Gopher transaction over a plain socket: the selector and CR LF out, everything until the
// server closes in. On failure the text says what went wrong, prefixed with "!".
std::string fetch(int port, const std::string& selector) {
    Socket socket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (connect(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        return "!connect failed, errno " + std::to_string(errno);
    }
    const std::string request = selector + "\r\n";
    if (write(socket.fd, request.data(), request.size()) != static_cast<ssize_t>(request.size())) {
        return "!write failed";
    }
    std::string response;
    for (;;) {
        pollfd ready{socket.fd, POLLIN, 0};
        if (poll(&ready, 1, read_timeout_ms) <= 0) {
            return "!no answer within the time-out after: " + response;
        }
        char chunk[4096];
        const ssize_t got = read(socket.fd, chunk, sizeof chunk);
        if (got < 0) {
            return "!read failed";
        }
        if (got == 0) {
            return response;
        }
        response.append(chunk, static_cast<std::size_t>(got));
    }
}

// A zombie no longer serves; it waits only for whoever inherited it to reap it.
bool process_alive(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text;
    if (!std::getline(stat, text)) {
        return false;
    }
    const auto state = text.rfind(") ");
    return state != std::string::npos && text.substr(state + 2, 1) != "Z";
}

std::string link(char type, const std::string& display, const std::string& selector, int port) {
    return type + display + "\t" + selector + "\t127.0.0.1\t" + std::to_string(port) + "\r\n";
}

} // namespace

TEST(RealServer, ServesTheDemoRootMenuWithLinksBackToItsPortAndIsGoneAfterwards) {
    pid_t pid = 0;
    {
        auto server = start_real_server();
        ASSERT_TRUE(server);
        pid = server->pid;
        EXPECT_TRUE(process_alive(pid));

        const std::string menu = fetch(server->port, "");
        const int port = server->port;
        EXPECT_NE(menu.find(link('0', "A long read: the lighthouse log (scrolls by pages)",
                                 "/lighthouse-log.txt", port)),
                  std::string::npos)
            << menu;
        EXPECT_NE(
            menu.find(link('1', "Coastal stations: a long menu of 64 entries", "/stations/", port)),
            std::string::npos)
            << menu;
        EXPECT_NE(menu.find(link('7', "Search the glossary (try: menu, port or selector)",
                                 "/cgi-bin/search", port)),
                  std::string::npos)
            << menu;
        EXPECT_NE(menu.find("1A menu on null.host, the placeholder for no host\t/nowhere\t"
                            "null.host\t70\r\n"),
                  std::string::npos)
            << menu;
        EXPECT_EQ(menu.substr(0, 1), "i") << menu;
        ASSERT_GE(menu.size(), 3u);
        EXPECT_EQ(menu.substr(menu.size() - 3), ".\r\n") << menu;
    }
    EXPECT_FALSE(process_alive(pid)) << "PID " << pid;
}

TEST(RealServer, AnswersEveryKindOfDemoItem) {
    auto server = start_real_server();
    ASSERT_TRUE(server);
    const int port = server->port;
    struct Case {
        std::string selector;
        std::string expected;
    };
    const Case cases[] = {
        {"/lighthouse-log.txt", "Day 120  Wind"},
        {"/ferry-timetable.txt", ".| and column 79 is cut or wraps."},
        {"/utf8-sampler.txt", "Καλημέρα από τον φάρο."},
        {"/stations/", link('0', "Slate Reach (station 64)", "/cgi-bin/station?64", port)},
        {"/stations/", link('1', "Back to the main menu", "/", port)},
        {"/cgi-bin/station?17", "STATION 17: Heron Point\r\n"},
        {"/cgi-bin/search\tport", "i  port: the TCP port of the server that holds an item."},
        {"/cgi-bin/search\tport", link('7', "Search again", "/cgi-bin/search", port)},
        {"/cgi-bin/search\tnothing-like-this", "iNo entry contains that word."},
    };
    for (const Case& c : cases) {
        const std::string answer = fetch(port, c.selector);
        EXPECT_NE(answer.find(c.expected), std::string::npos) << "case=" << c.selector << "\n"
                                                              << answer;
    }
}

TEST(RealServer, ATreeThatCannotBeServedFailsTheTest) {
    EXPECT_NONFATAL_FAILURE({ EXPECT_FALSE(start_real_server("/nonexistent/kesmor/tree")); },
                            "did not start");
}
