// What a storm does to the program, event by event, and the file an event list is kept in so
// that a failing storm can be replayed.
//
// The file is text, one record a line, "#" lines ignored:
//   kesmor-storm 1
//   seed 1234                  the site is generated again from it
//   stalls 0                   SiteOptions::stalls
//   start good | refused       the first page: the site's root, or a refused port
//   invariants 0x3f            the checks that were on (storm_run.hpp)
//   event KIND PAUSE NUMBERS WRITES...
// where KIND is a name from event_name, PAUSE the milliseconds between writes (-1: until the
// program's output settles), NUMBERS comma-separated integers or "-", and every WRITE the bytes
// of one write to the terminal in hex. A file without events stands for the events a new storm
// of its seed runs.
#pragma once

#include <cstdint>
#include <optional>
#include <random>
#include <string>
#include <vector>

enum class EventKind {
    key,         // one key, all its bytes in one write
    burst,       // several keys in one write
    split,       // one key sequence, one byte a write
    garbage,     // a partial or invalid escape sequence
    paste,       // 'o', then 2,000 bytes in one write, then Enter or Esc
    resize,      // numbers: rows, cols
    winch_burst, // numbers: rows, cols pairs applied back to back, then extra SIGWINCHs
    sigint,
    sigterm,
    sighup,
    hangup, // our side of the terminal closed: the program's standard input is gone
    quit,   // Esc, a pause, then q: the way a user leaves
};

// Stands for the site's port in the bytes of a write.
inline constexpr char port_placeholder[] = "{port}";

struct Event {
    EventKind kind = EventKind::key;
    int pause_ms = -1;
    std::vector<int> numbers;
    std::vector<std::string> writes;
};

struct StormPlan {
    std::uint64_t seed = 0;
    bool stalls = false;
    bool refused_start = false;
    unsigned invariants = 0;
    std::vector<Event> events;
};

[[nodiscard]] const char* event_name(EventKind kind);
// "key 1b5b42", "resize 24x80": one event, short, for failure messages.
[[nodiscard]] std::string describe_event(const Event& event);

// count events from the seed's own generator, most often followed by an ending event (a signal,
// a hang-up, quit); a rare ending in the middle ends the list there.
[[nodiscard]] std::vector<Event> generate_events(std::uint64_t seed, int count);

[[nodiscard]] std::string write_plan(const StormPlan& plan);
// Empty when the text is not a plan; error says where.
[[nodiscard]] std::optional<StormPlan> read_plan(const std::string& text, std::string* error);
