// A long session on the demo's real server: thousands of page visits (open, back, forward,
// reload, search), with the program's peak memory held to what its history holds and its open
// descriptors back to the start after every visit. Not part of `make check`: `make soak`.
//
//   KESMOR_SOAK_VISITS   visits to make (default 10000)
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <dirent.h>
#include <fstream>
#include <map>
#include <netinet/in.h>
#include <random>
#include <string>
#include <sys/socket.h>
#include <unistd.h>
#include <vector>

#include "gopher/descriptor.hpp"
#include "support/pty_runner.hpp"
#include "support/real_server.hpp"

namespace {

// Failures after the first page leave the user on the page, and a page can be cancelled while
// it loads: both are part of the session.
constexpr bool failures_keep_the_session = true;
constexpr bool fetch_can_be_cancelled = true;

// Room for the program's own allocations beyond the pages' bytes: the menu's items, the frame
// buffer, the allocator's slack.
constexpr long margin_kib = 8L * 1024;
// Each page held costs its content and its record (host and selector buffers).
constexpr long page_record_bytes = 2048;

// The response to a selector, as the program receives it.
std::string fetch(int port, const std::string& selector) {
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    inet_pton(AF_INET, "127.0.0.1", &address.sin_addr);
    std::string response;
    if (connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0) {
        const std::string request = selector + "\r\n";
        if (write(fd, request.data(), request.size()) == static_cast<ssize_t>(request.size())) {
            char buffer[8192];
            for (ssize_t n; (n = read(fd, buffer, sizeof buffer)) > 0;) {
                response.append(buffer, static_cast<std::size_t>(n));
            }
        }
    }
    close(fd);
    return response;
}

int open_descriptors(pid_t pid) {
    DIR* dir = opendir(("/proc/" + std::to_string(pid) + "/fd").c_str());
    if (dir == nullptr) {
        return -1;
    }
    int count = 0;
    while (const dirent* entry = readdir(dir)) {
        count += entry->d_name[0] != '.' ? 1 : 0;
    }
    closedir(dir);
    return count;
}

// A field of /proc/PID/status in KiB, such as "VmHWM".
long status_kib(pid_t pid, const std::string& field) {
    std::ifstream in("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(in, line);) {
        if (line.rfind(field + ":", 0) == 0) {
            return std::atol(line.c_str() + field.size() + 1);
        }
    }
    return -1;
}

struct Target {
    std::string address;  // as typed after 'o'
    std::string selector; // as requested
};

struct Visit {
    std::string header; // row 1 when the page was first shown
    long bytes = 0;
};

} // namespace

// A loopback listener that takes connections (the kernel completes them) but never answers: a
// page from it loads until it is cancelled.
Descriptor silent_listener(int* port) {
    Descriptor listener{socket(AF_INET, SOCK_STREAM, 0)};
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (listener.fd < 0 || bind(listener.fd, reinterpret_cast<sockaddr*>(&address), length) != 0 ||
        listen(listener.fd, 64) != 0 ||
        getsockname(listener.fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        return {};
    }
    *port = ntohs(address.sin_port);
    return listener;
}

TEST(Soak, TenThousandVisitsHoldMemoryAndDescriptors) {
    const char* visits_text = std::getenv("KESMOR_SOAK_VISITS");
    const int visits = visits_text != nullptr ? std::atoi(visits_text) : 10'000;
    auto server = start_real_server();
    ASSERT_TRUE(server);
    const std::string host_port = "127.0.0.1:" + std::to_string(server->port);
    int silent_port = 0;
    const Descriptor silent = silent_listener(&silent_port);
    ASSERT_GE(silent.fd, 0);
    const std::vector<Target> targets = {
        {host_port + "/1/", ""},
        {host_port + "/0/lighthouse-log.txt", "/lighthouse-log.txt"},
        {host_port + "/0/ferry-timetable.txt", "/ferry-timetable.txt"},
        {host_port + "/0/utf8-sampler.txt", "/utf8-sampler.txt"},
        {host_port + "/0/glossary.txt", "/glossary.txt"},
        {host_port + "/h/small-page.html", "/small-page.html"},
        {host_port + "/1/stations/", "/stations/"},
    };
    std::map<std::string, long> sizes;
    for (const Target& target : targets) {
        sizes[target.selector] = static_cast<long>(fetch(server->port, target.selector).size());
    }
    const long search_bytes =
        static_cast<long>(fetch(server->port, "/cgi-bin/search\tport").size());

    PtyOptions options;
    options.rows = 40;
    options.cols = 200;
    options.command = {KESMOR_PLAIN_BINARY};
    auto run_owner = start_program({real_server_url(*server)}, options);
    PtyRun& run = *run_owner;
    ASSERT_TRUE(wait_for_text(run, "Welcome to the Kesmor demo gopherhole")) << screen_text(run);
    const int start_fds = open_descriptors(run.pid);
    const long start_hwm = status_kib(run.pid, "VmHWM");
    ASSERT_GT(start_fds, 0);

    std::vector<Visit> history = {{row_text(run, 1), sizes[""]}};
    std::size_t at = 0;
    long peak_history_bytes = 0;
    int fetches = 1;
    std::map<std::string, int> done;
    std::mt19937 random(17);
    const auto started = std::chrono::steady_clock::now();

    // Sends keys, then waits for the frame they cause and for row 1 to read header (when not
    // empty); true when it came.
    const auto act = [&](const std::string& keys, const std::string& header) {
        const std::size_t mark = run.output.size();
        send_keys(run, keys);
        return wait_for_new_output(run, mark, "\033[?2026l") &&
               (header.empty() || wait_until(run, [&] { return row_text(run, 1) == header; }));
    };
    // Sends keys that open a prompt and waits for its label.
    const auto prompt = [&](const std::string& keys, const std::string& label) {
        send_keys(run, keys);
        return wait_for_text(run, label);
    };
    const auto open_page = [&](const std::string& keys, long bytes) {
        if (!act(keys, "")) {
            return false;
        }
        // The new page's frame: wait until the output settles on it.
        std::ignore = wait_until(
            run, [] { return false; }, 30);
        history.resize(at + 1);
        history.push_back({row_text(run, 1), bytes});
        ++at;
        ++fetches;
        return true;
    };

    for (int visit = 0; visit < visits && !run.reaped; ++visit) {
        const int roll = std::uniform_int_distribution<int>(1, 100)(random);
        const bool on_root = row_text(run, 1) == history.front().header;
        std::string what;
        bool shown = false;
        if (roll <= 10) {
            const Target& target =
                targets[std::uniform_int_distribution<std::size_t>(0, targets.size() - 1)(random)];
            what = "open";
            ASSERT_TRUE(prompt("o", "Open URL:")) << screen_text(run);
            shown = open_page(target.address + "\r", sizes[target.selector]);
        } else if (roll <= 13) {
            what = "reload";
            shown = act("r", history[at].header);
            ++fetches;
        } else if (roll <= 15) {
            // The search is the seventh link of the root menu; Home selects the first, wherever
            // the menu was left.
            what = "search";
            if (!on_root) {
                ASSERT_TRUE(prompt("o", "Open URL:")) << screen_text(run);
                ASSERT_TRUE(open_page(targets[0].address + "\r", sizes[""])) << screen_text(run);
                ++done["open"];
            }
            ASSERT_TRUE(prompt("\033[H\033[B\033[B\033[B\033[B\033[B\033[B\r", "Search query:"))
                << screen_text(run);
            shown = open_page("port\r", search_bytes);
        } else if (roll <= 16 && failures_keep_the_session) {
            what = "failure";
            ASSERT_TRUE(prompt("o", "Open URL:")) << screen_text(run);
            shown =
                act("127.0.0.1:1/0/refused\r", history[at].header) && wait_for_text(run, "Error:");
            ++fetches;
        } else if (roll <= 17 && fetch_can_be_cancelled) {
            what = "cancel";
            // A server that never answers: the page loads until Esc cancels it.
            ASSERT_TRUE(prompt("o", "Open URL:")) << screen_text(run);
            send_keys(run, "127.0.0.1:" + std::to_string(silent_port) + "/0/silent\r");
            shown = act("\033", history[at].header) && wait_for_text(run, "Cancelled.");
            ++fetches;
        } else if ((roll <= 58 || at + 1 == history.size()) && at > 0) {
            what = "back";
            --at;
            shown = act("b", history[at].header);
        } else if (at + 1 < history.size()) {
            what = "forward";
            ++at;
            shown = act("f", history[at].header);
        } else {
            what = "open";
            ASSERT_TRUE(prompt("o", "Open URL:")) << screen_text(run);
            shown = open_page(targets[1].address + "\r", sizes[targets[1].selector]);
        }
        ASSERT_TRUE(shown) << "visit " << visit << " (" << what << "):\n"
                           << screen_text(run) << describe_end(run);
        ++done[what];
        ASSERT_TRUE(wait_until(
            run, [&] { return open_descriptors(run.pid) == start_fds; }, 2'000))
            << "visit " << visit << " (" << what << "): " << open_descriptors(run.pid)
            << " descriptors open, " << start_fds << " at the start";
        long held = 0;
        for (const Visit& page : history) {
            held += page.bytes + page_record_bytes;
        }
        peak_history_bytes = std::max(peak_history_bytes, held);
    }

    const long hwm = status_kib(run.pid, "VmHWM");
    const long bound = start_hwm + 2 * peak_history_bytes / 1024 + margin_kib;
    const auto seconds =
        std::chrono::duration_cast<std::chrono::seconds>(std::chrono::steady_clock::now() - started)
            .count();
    std::printf("soak: %d visits in %lld s, %d fetches; open %d, search %d, reload %d, back %d, "
                "forward %d, failure %d, cancel %d\n",
                visits, static_cast<long long>(seconds), fetches, done["open"], done["search"],
                done["reload"], done["back"], done["forward"], done["failure"], done["cancel"]);
    std::printf("soak: history held at most %ld KiB in %zu pages; VmHWM %ld KiB at the first "
                "page, %ld KiB at the end (bound %ld KiB); descriptors %d throughout\n",
                peak_history_bytes / 1024, history.size(), start_hwm, hwm, bound, start_fds);
    EXPECT_LE(hwm, bound);

    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run) << run.errors;
}
