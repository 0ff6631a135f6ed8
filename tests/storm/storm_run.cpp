// Runs one storm and checks, after every event, what always holds.
#include "storm/storm_run.hpp"

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <unistd.h>

#include "storm/storm_site.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"
#include "support/tls_fixture.hpp"

namespace {

using Clock = std::chrono::steady_clock;

// The palette colour of the header band and of the about screen's title bar.
constexpr int band_colour = 17;
// Output that stops for this long is taken as a finished frame. A view looks for a resize
// every 100 ms, so after a resize the wait is longer.
constexpr int quiet_ms = 60;
constexpr int quiet_after_resize_ms = 160;
// A check that fails is given this long to come true before it counts: a frame may be caught
// half written.
constexpr int grace_ms = 3'000;
constexpr int exit_wait_ms = 10'000;
// Every view's first frame starts by clearing the screen.
constexpr std::string_view first_frame = "\033[H\033[J";

void pump_for(PtyRun& run, int ms) {
    std::ignore = wait_until(
        run, [] { return false; }, ms);
}

// Until no output has come for quiet ms, or the program has ended.
void settle(PtyRun& run, int quiet) {
    const auto deadline = Clock::now() + std::chrono::milliseconds(grace_ms);
    for (;;) {
        const std::size_t before = run.output.size();
        pump_for(run, quiet);
        if (finished(run) || run.output.size() == before || Clock::now() > deadline) {
            return;
        }
    }
}

bool sanitizer_report(const std::string& errors) {
    for (const char* mark : {"ERROR: AddressSanitizer", "ERROR: LeakSanitizer", "runtime error:",
                             "SUMMARY: UndefinedBehaviorSanitizer", "ThreadSanitizer"}) {
        if (errors.find(mark) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The messages a failed fetch ends the run with.
bool fetch_failure_message(const std::string& errors) {
    for (const char* message : {"Error: Could not connect to host", "Error: Failed to read",
                                "Error: Failed to resolve host", "Error: Failed to send",
                                "Error: Response too large", "Error: Timed out"}) {
        if (errors.find(message) != std::string::npos) {
            return true;
        }
    }
    return false;
}

bool header_on_row_one(const PtyRun& run) {
    const int rows = screen_rows(run);
    const int cols = screen_cols(run);
    if (rows < 1 || cols < 1) {
        return true;
    }
    const ScreenCell middle = cell_at(run, 1, (cols + 1) / 2);
    if (middle.bg.index == band_colour) {
        return true;
    }
    // A one-row window lends its row to a prompt or a message, which are bold (from the
    // label's column), and to the progress of a fetch.
    if (rows != 1) {
        return false;
    }
    // The progress may be cut to a few columns.
    const std::string text = row_text(run, 1);
    const auto progress = [&](std::string_view words) {
        return text.starts_with(words) || (!text.empty() && words.starts_with(text));
    };
    const std::size_t first = text.find_first_not_of(' ');
    const bool bold =
        first != std::string::npos && cell_at(run, 1, static_cast<int>(first) + 1).bold;
    return bold || progress("Receiving... ") || progress("Connecting to ") ||
           progress("Looking up ");
}

// The first cell, "row:col", that shows the band's colour below row 1; empty if none.
std::string band_below_row_one(const PtyRun& run) {
    for (int row = 2; row <= screen_rows(run); ++row) {
        for (int col = 1; col <= screen_cols(run); ++col) {
            if (cell_at(run, row, col).bg.index == band_colour) {
                return std::to_string(row) + ":" + std::to_string(col);
            }
        }
    }
    return {};
}

std::string restored_problem(const PtyRun& run) {
    std::string problem = describe_mode_change(run.initial_termios, terminal_mode(run));
    if (!run.cursor_visible) {
        problem += "cursor hidden; ";
    }
    if (run.alt_screen) {
        problem += "alternate screen on; ";
    }
    const ScreenCell pen = current_pen(run);
    if (pen.bold || pen.reverse || !pen.fg.is_default || !pen.bg.is_default) {
        problem += "attributes not reset; ";
    }
    return problem;
}

std::string with_port(std::string bytes, int port) {
    const std::string placeholder = port_placeholder;
    for (std::size_t at = bytes.find(placeholder); at != std::string::npos;
         at = bytes.find(placeholder, at)) {
        bytes.replace(at, placeholder.size(), std::to_string(port));
    }
    return bytes;
}

// Our side of the terminal closed: a hang-up for the program, whose reads then fail.
void hang_up(PtyRun& run) {
    pump(run);
    if (run.master >= 0) {
        close(run.master);
        run.master = -1;
    }
    run.terminal_closed = true;
}

void apply(PtyRun& run, const Event& event, int port) {
    switch (event.kind) {
    case EventKind::key:
    case EventKind::burst:
    case EventKind::split:
    case EventKind::garbage:
    case EventKind::paste:
        for (std::size_t i = 0; i < event.writes.size(); ++i) {
            if (i > 0) {
                if (event.pause_ms < 0) {
                    settle(run, quiet_ms);
                } else {
                    pump_for(run, event.pause_ms);
                }
            }
            send_keys(run, with_port(event.writes[i], port));
        }
        break;
    case EventKind::resize:
        if (event.numbers.size() >= 2 && run.master >= 0) {
            resize(run, event.numbers[0], event.numbers[1]);
        }
        break;
    case EventKind::winch_burst:
        for (std::size_t i = 0; i + 1 < event.numbers.size() && run.master >= 0; i += 2) {
            resize(run, event.numbers[i], event.numbers[i + 1]);
            send_signal(run, SIGWINCH);
        }
        break;
    case EventKind::sigint:
        send_signal(run, SIGINT);
        break;
    case EventKind::sigterm:
        send_signal(run, SIGTERM);
        break;
    case EventKind::sighup:
        send_signal(run, SIGHUP);
        break;
    case EventKind::hangup:
        hang_up(run);
        break;
    case EventKind::quit:
        send_keys(run, "\033");
        pump_for(run, 150);
        send_keys(run, "q");
        break;
    }
}

bool ends_the_run(EventKind kind) {
    return kind == EventKind::sigint || kind == EventKind::sigterm || kind == EventKind::sighup ||
           kind == EventKind::hangup;
}

struct Storm {
    const StormPlan& plan;
    const Endings& endings;
    PtyRun* run = nullptr;
    std::string failure;

    bool on(Invariant invariant) const { return (plan.invariants & invariant) != 0; }

    void fail(const std::string& what) {
        if (failure.empty()) {
            failure = what;
        }
    }

    bool ending_allowed(const std::vector<std::string>& allowed) const {
        const std::string end = describe_end(*run);
        if (std::find(allowed.begin(), allowed.end(), end) != allowed.end()) {
            return true;
        }
        return end == "exited 1" && endings.fetch_failure_ends_run &&
               fetch_failure_message(run->errors);
    }

    // What holds after every event.
    void check(EventKind kind) {
        if (on(inv_no_sanitizer_report) && sanitizer_report(run->errors)) {
            fail("sanitizer report on stderr");
        }
        if (on(inv_ending)) {
            if (ends_the_run(kind)) {
                std::ignore = wait_for_exit(*run, exit_wait_ms);
            }
            if (!ending_allowed(allowed_endings(kind, endings))) {
                fail("ended as \"" + describe_end(*run) + "\" after " + event_name(kind));
            }
        }
        if (run->reaped || run->terminal_closed) {
            return; // the screen no longer belongs to the program
        }
        if (on(inv_header_on_row_one) && !header_on_row_one(*run) &&
            !wait_until(
                *run, [&] { return run->reaped || header_on_row_one(*run); }, grace_ms)) {
            fail("row 1 does not hold the header");
        }
        if (on(inv_band_only_on_row_one) && !band_below_row_one(*run).empty() &&
            !wait_until(
                *run, [&] { return run->reaped || band_below_row_one(*run).empty(); }, grace_ms)) {
            fail("the header band's colour at " + band_below_row_one(*run));
        }
        if (kind == EventKind::resize || kind == EventKind::winch_burst) {
            // A frame drawn for the size before a resize can land after it, on any terminal:
            // that scroll is not the program's doing. The frame for the new size is held to
            // the checks above, and the next event's output to this one.
            run->scrolled_lines = 0;
        } else if (on(inv_no_scrolling) && run->scrolled_lines > 0) {
            fail(std::to_string(run->scrolled_lines) + " lines scrolled off the top");
        }
    }

    // Leaves the program the way a user would, then checks the terminal it gave back.
    void finish() {
        if (!run->reaped && !run->terminal_closed) {
            for (int round = 0; round < 3 && !run->reaped; ++round) {
                send_keys(*run, "\033");
                pump_for(*run, 150);
                send_keys(*run, "q");
                std::ignore = wait_until(
                    *run, [&] { return run->reaped; }, 3'000);
            }
            if (!run->reaped) {
                if (on(inv_quits_on_q)) {
                    fail("Esc, q did not end the run");
                }
                send_signal(*run, SIGTERM);
            }
            std::ignore = wait_for_exit(*run, exit_wait_ms);
            if (on(inv_ending) && !ending_allowed({"exited 0", "killed by signal 15"})) {
                fail("ended as \"" + describe_end(*run) + "\" when asked to quit");
            }
        }
        std::ignore = wait_for_exit(*run, exit_wait_ms);
        if (on(inv_no_sanitizer_report) && sanitizer_report(run->errors)) {
            fail("sanitizer report on stderr");
        }
        // After a hang-up there is no terminal left to look at.
        if (on(inv_terminal_restored) && run->master >= 0) {
            const std::string problem = restored_problem(*run);
            if (!problem.empty()) {
                fail("terminal not restored: " + problem);
            }
        }
    }
};

std::string report(const StormPlan& plan, const Storm& storm, int events_run) {
    std::string out = "storm failed: " + storm.failure + "\nseed " + std::to_string(plan.seed) +
                      (plan.stalls ? ", stalls" : "") +
                      (plan.refused_start ? ", refused start" : "") + ", invariants " +
                      invariant_names(plan.invariants) + "\n";
    for (int i = 0; i < events_run && i < static_cast<int>(plan.events.size()); ++i) {
        out += "  " + std::to_string(i + 1) + ". " +
               describe_event(plan.events[static_cast<std::size_t>(i)]) + "\n";
    }
    const PtyRun& run = *storm.run;
    out += "program: " + describe_end(run) + ", window " + std::to_string(screen_rows(run)) + "x" +
           std::to_string(screen_cols(run)) + "\n";
    if (!run.reaped) {
        out += "screen:\n" + screen_text(run);
    }
    if (!run.errors.empty()) {
        out += "stderr:\n" + run.errors.substr(0, 4000) + "\n";
    }
    return out;
}

} // namespace

std::vector<std::string> allowed_endings(EventKind kind, const Endings& endings) {
    switch (kind) {
    case EventKind::sigint:
        return {endings.sigint};
    case EventKind::sigterm:
        return {"killed by signal 15"};
    case EventKind::sighup:
        return {"killed by signal 1"};
    case EventKind::hangup:
        // SIGHUP from the kernel; or the failed read is seen first and ends the run like q.
        return {"killed by signal 1", "exited 0"};
    case EventKind::quit:
        // From a prompt, a message or a fetch, Esc and q may not reach a view.
        return {"running", "exited 0"};
    default:
        return {"running"};
    }
}

std::string invariant_names(unsigned invariants) {
    constexpr std::pair<Invariant, const char*> names[] = {
        {inv_ending, "ending"},
        {inv_no_sanitizer_report, "no_sanitizer_report"},
        {inv_header_on_row_one, "header_on_row_one"},
        {inv_band_only_on_row_one, "band_only_on_row_one"},
        {inv_no_scrolling, "no_scrolling"},
        {inv_terminal_restored, "terminal_restored"},
        {inv_quits_on_q, "quits_on_q"},
    };
    std::string out;
    for (const auto& [bit, name] : names) {
        if ((invariants & bit) != 0) {
            out += out.empty() ? "" : " ";
            out += name;
        }
    }
    return out.empty() ? "none" : out;
}

StormResult run_storm(const StormPlan& plan, const Endings& endings) {
    auto server = start_gopher_server();
    auto refused = reserve_refused_port();
    // One seed in eight serves its site over TLS, stunnel in front of the server: its links name
    // the TLS port and so stay TLS, the failing ones and typed addresses are cleartext.
    const bool tls = plan.seed % 8 == 0 && !plan.refused_start;
    std::unique_ptr<TestCa> ca = tls ? make_test_ca() : nullptr;
    std::unique_ptr<TlsFront> front = ca ? start_tls_front(*ca, "good", server->port) : nullptr;
    if (tls && !front) {
        return {
            .passed = false, .events_run = 0, .ended = "", .report = "the TLS site did not start"};
    }
    // One seed in three names the server, so that its links go through lookups on their thread
    // (from the hosts file, as fast as a numeric address).
    const std::string host = plan.seed % 3 == 1 || tls ? "localhost" : server->address;
    const int site_port = tls ? front->port : server->port;
    const Site site =
        generate_site(plan.seed, SiteOptions{plan.stalls}, host, site_port, refused->port);
    serve_site(*server, site);

    const int start_port = plan.refused_start ? refused->port : server->port;
    // Random keys open the save prompt and press Enter in it: what they save lands here.
    const ScratchDir saves;
    PtyOptions options;
    options.working_dir = saves.path;
    if (tls) {
        options.env = {trust_test_ca(*ca)};
    }
    auto run = start_program(
        {tls ? tls_url(*front, "localhost") : "127.0.0.1:" + std::to_string(start_port)}, options);
    Storm storm{plan, endings, run.get(), {}};
    StormResult result;

    if (plan.refused_start) {
        std::ignore = wait_for_exit(*run, exit_wait_ms);
        if (storm.on(inv_ending) && !exited_with(*run, 1)) {
            storm.fail("a refused first page ended as \"" + describe_end(*run) + "\"");
        }
        storm.finish();
    } else if (!wait_until(
                   *run,
                   [&] {
                       return run->reaped || run->output.find(first_frame) != std::string::npos;
                   },
                   default_wait_ms)) {
        storm.fail("the first page never showed");
    } else {
        settle(*run, quiet_ms);
        storm.check(EventKind::key);
        // KESMOR_STORM_TRACE: each event on stderr as it is sent, for a storm that crashes the
        // test itself.
        const bool trace = std::getenv("KESMOR_STORM_TRACE") != nullptr;
        for (const Event& event : plan.events) {
            if (trace) {
                std::fprintf(stderr, "storm %d: %s (%dx%d, %zu bytes out)\n", result.events_run + 1,
                             describe_event(event).c_str(), screen_rows(*run), screen_cols(*run),
                             run->output.size());
            }
            apply(*run, event, server->port);
            ++result.events_run;
            const bool sized =
                event.kind == EventKind::resize || event.kind == EventKind::winch_burst;
            settle(*run, sized ? quiet_after_resize_ms : quiet_ms);
            storm.check(event.kind);
            if (!storm.failure.empty() || run->reaped || run->terminal_closed) {
                break;
            }
        }
        if (storm.failure.empty()) {
            storm.finish();
        }
    }
    result.ended = describe_end(*run);
    if (!storm.failure.empty()) {
        result.passed = false;
        result.report = report(plan, storm, result.events_run);
    }
    return result;
}
