// Runs one storm: the real program in a pseudo-terminal against a random site on the loopback
// fixture, one event after another, with what always holds checked after each.
//
//   StormPlan plan{seed, false, false, checked_today};
//   plan.events = generate_events(seed, 60);
//   StormResult result = run_storm(plan, today);
//   EXPECT_TRUE(result.passed) << result.report;   // the seed, the event list, the screen
#pragma once

#include <string>
#include <vector>

#include "storm/storm_events.hpp"

// Each check on its own bit, so that one the program cannot pass yet can be left off.
enum Invariant : unsigned {
    // Alive, or ended the way the last event allows (ending_allowed below).
    inv_ending = 1u << 0,
    // Nothing from AddressSanitizer, UndefinedBehaviorSanitizer or LeakSanitizer on stderr.
    inv_no_sanitizer_report = 1u << 1,
    // Row 1 shows the header band (colour 17 at its middle column) once the output settles.
    inv_header_on_row_one = 1u << 2,
    // No other row shows the band's colour: no piece of a header wrapped or left behind.
    inv_band_only_on_row_one = 1u << 3,
    // Nothing scrolled off the top: no output went past the bottom row.
    inv_no_scrolling = 1u << 4,
    // At the end: the terminal's modes as they were, the cursor shown, attributes reset, the
    // main screen.
    inv_terminal_restored = 1u << 5,
    // At the end: Esc, then q ends the run with status 0 from any screen.
    inv_quits_on_q = 1u << 6,
};

inline constexpr unsigned all_invariants =
    inv_ending | inv_no_sanitizer_report | inv_header_on_row_one | inv_band_only_on_row_one |
    inv_no_scrolling | inv_terminal_restored | inv_quits_on_q;

// How the program may end, as it behaves now. One place to change when the behaviour does.
struct Endings {
    // What SIGINT from another process gives: the program ends by the same signal.
    std::string sigint = "killed by signal 2";
    // A fetch that fails after the first page (a refused port, a reset, a stall's time-out)
    // would end the run with status 1 and its message on stderr. It leaves the user on the
    // page instead, so such an ending is a fault.
    bool fetch_failure_ends_run = false;
};

// What the program does on main today.
inline const Endings today{};

// describe_end texts the event allows besides a fetch failure's "exited 1" (see Endings).
[[nodiscard]] std::vector<std::string> allowed_endings(EventKind kind, const Endings& endings);

struct StormResult {
    bool passed = true;
    int events_run = 0;
    std::string ended;  // describe_end of the program at the end
    std::string report; // on failure: what failed, the seed, the events up to it, the screen
};

[[nodiscard]] StormResult run_storm(const StormPlan& plan, const Endings& endings);

// "inv_header_on_row_one inv_no_scrolling": the names of the bits set.
[[nodiscard]] std::string invariant_names(unsigned invariants);
