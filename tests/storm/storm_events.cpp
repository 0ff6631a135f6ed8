// What a storm does to the program, and the text form of a storm.
#include "storm/storm_events.hpp"
#include "storm/storm_random.hpp"

#include <array>
#include <sstream>
#include <string_view>

namespace {

using storm_random::chance;
using storm_random::pick;
using storm_random::Random;

constexpr std::array names = {"key",   "burst",  "split",   "garbage", "paste",  "resize",
                              "winch", "sigint", "sigterm", "sighup",  "hangup", "quit"};

// Keys as terminals send them. No 'q' (quit is an event of its own, so that storms last), no
// 'o' (the address prompt is opened only by a paste, which always types an address that needs
// no name lookup), no digit and no dot (an address typed by chance could otherwise name a host).
constexpr std::array<std::string_view, 45> keys = {
    "\033[A", "\033[B", "\033[B", "w",         "\033OA",  "\033OB", "\033[5~", "\033[6~", "\033[5",
    "\033[6", "\033[H", "\033[F", "\033[1~",   "\033[4~", "\033OH", "\033[3~", "\r",      "n",
    "\n",     "b",      "N",      "f",         "r",       "a",      "\x7f",    "\b",      "\033",
    "\x03",   "x",      " ",      "j",         "/",       "s",      "h",       "\033[C",  "\033[D",
    "\t",     "\x04",   "\x1a",   "\033[1;5B", "m",       "B",      "d",       "y",       "H",
};

// Sequences cut short, sequences no terminal sends, and ESC where it does not belong.
constexpr std::array<std::string_view, 14> garbage = {
    "\033[",     "\033O",
    "\033[1;",   "\033[99999999999999A",
    "\033\033",  "\033[?",
    "\033]0;x",  "\033[<0;1;1M",
    "\033[200~", "\033P",
    "\233A",     "\xc3\xa9",
    "\xff\xfe",  "\033[1;2;3;4;5;6;7;8;9;10;11;12;13;14;15;16;17;18m",
};

// The emulator (libvterm 0.1.4) dies on a wide character in a window of one column, which the
// random sites are full of: the narrowest window is two columns (one row is fine).
constexpr int min_cols = 2;

// What the find and save prompts are typed besides: whole characters, one of them wide, and the
// line editor's keys (Ctrl-A, Ctrl-E, Ctrl-U, Ctrl-W). The view passes over them.
constexpr std::array<std::string_view, 6> typed_keys = {"\xc3\xa9", "\xe4\xb8\xad", "\x01",
                                                        "\x05",     "\x15",         "\x17"};

std::string random_key(Random& random) {
    const auto at = static_cast<std::size_t>(pick(random, 0, keys.size() + typed_keys.size() - 1));
    return std::string(at < keys.size() ? keys[at] : typed_keys[at - keys.size()]);
}

// Printable, without 'o', 'q' and dots, starting with "!": never a valid address by itself,
// and harmless if the prompt did not open and the view reads it as keys.
std::string paste_body(Random& random) {
    std::string text;
    if (chance(random, 30)) {
        // A loopback address with a long selector: numeric, so no name is looked up. The
        // server's port is put in when the storm runs.
        text = std::string("127.0.0.1:") + port_placeholder + "/1/";
    } else {
        text = "!";
    }
    constexpr std::string_view alphabet = "abcdefghijklmnprstuvwxyz ABCXYZ-_!%";
    // Whole characters of two, three and four bytes, a wide one among them, and bytes that
    // begin no character.
    constexpr std::array<std::string_view, 5> beyond_ascii = {"\xc3\xa9", "\xe4\xb8\xad",
                                                              "\xf0\x9f\x98\x80", "\xc3", "\xff"};
    while (text.size() < 2000) {
        if (chance(random, 10)) {
            text +=
                beyond_ascii[static_cast<std::size_t>(pick(random, 0, beyond_ascii.size() - 1))];
        } else {
            text += alphabet[static_cast<std::size_t>(pick(random, 0, alphabet.size() - 1))];
        }
    }
    return text;
}

std::string hex(std::string_view bytes) {
    constexpr char digits[] = "0123456789abcdef";
    std::string out;
    for (const char c : bytes) {
        const auto byte = static_cast<unsigned char>(c);
        out += digits[byte >> 4];
        out += digits[byte & 15];
    }
    return out;
}

std::optional<std::string> unhex(std::string_view text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    auto value = [](char c) {
        return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1;
    };
    std::string out;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const int high = value(text[i]);
        const int low = value(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        out += static_cast<char>(high * 16 + low);
    }
    return out;
}

Event ending_event(Random& random) {
    constexpr std::array endings = {EventKind::sigint, EventKind::sigterm, EventKind::sighup,
                                    EventKind::hangup, EventKind::quit};
    Event event;
    event.kind = endings[static_cast<std::size_t>(pick(random, 0, endings.size() - 1))];
    return event;
}

Event random_event(Random& random) {
    Event event;
    // In thousandths, so that an ending comes rarely in the middle of a storm.
    const int roll = pick(random, 1, 1000) / 10;
    if (roll == 0) {
        return ending_event(random);
    }
    if (roll <= 36 || roll > 96) {
        event.kind = EventKind::key;
        event.writes = {random_key(random)};
    } else if (roll <= 50) {
        event.kind = EventKind::burst;
        std::string bytes;
        for (int n = pick(random, 2, 12); n > 0; --n) {
            bytes += random_key(random);
        }
        event.writes = {bytes};
    } else if (roll <= 60) {
        event.kind = EventKind::split;
        // Around the 50 ms a lone ESC is given to be a key of its own.
        event.pause_ms = pick(random, 0, 80);
        for (const char c : random_key(random)) {
            event.writes.emplace_back(1, c);
        }
    } else if (roll <= 68) {
        event.kind = EventKind::garbage;
        event.writes = {
            std::string(garbage[static_cast<std::size_t>(pick(random, 0, garbage.size() - 1))])};
    } else if (roll <= 72) {
        event.kind = EventKind::paste;
        event.writes = {"o", paste_body(random), chance(random, 70) ? "\r" : "\033"};
    } else if (roll <= 88) {
        event.kind = EventKind::resize;
        // Small windows are where the layout breaks, so they come often.
        const bool small = chance(random, 40);
        event.numbers = {pick(random, 1, small ? 6 : 100),
                         pick(random, min_cols, small ? 20 : 300)};
    } else {
        event.kind = EventKind::winch_burst;
        for (int n = pick(random, 2, 6); n > 0; --n) {
            event.numbers.push_back(pick(random, 1, 100));
            event.numbers.push_back(pick(random, min_cols, 300));
        }
    }
    return event;
}

} // namespace

const char* event_name(EventKind kind) {
    return names[static_cast<std::size_t>(kind)];
}

std::string describe_event(const Event& event) {
    std::string out = event_name(event.kind);
    for (std::size_t i = 0; i < event.numbers.size(); i += 2) {
        out += " " + std::to_string(event.numbers[i]);
        if (i + 1 < event.numbers.size()) {
            out += "x" + std::to_string(event.numbers[i + 1]);
        }
    }
    for (const std::string& bytes : event.writes) {
        out += " " + (bytes.size() > 24 ? hex(bytes.substr(0, 12)) + "...(" +
                                              std::to_string(bytes.size()) + " bytes)"
                                        : hex(bytes));
    }
    return out;
}

std::vector<Event> generate_events(std::uint64_t seed, int count) {
    // A generator of its own, so that the site and the events do not shift each other.
    Random random(seed ^ 0x5eed5eed5eedULL);
    std::vector<Event> events;
    for (int i = 0; i < count; ++i) {
        events.push_back(random_event(random));
        if (events.back().kind >= EventKind::sigint) {
            return events;
        }
    }
    // Most storms end with a signal, a hang-up or a quit; the others are left by Esc and q.
    if (chance(random, 80)) {
        events.push_back(ending_event(random));
    }
    return events;
}

std::string write_plan(const StormPlan& plan) {
    std::ostringstream out;
    out << "kesmor-storm 1\n"
        << "seed " << plan.seed << "\n"
        << "stalls " << (plan.stalls ? 1 : 0) << "\n"
        << "start " << (plan.refused_start ? "refused" : "good") << "\n"
        << "invariants 0x" << std::hex << plan.invariants << std::dec << "\n";
    for (const Event& event : plan.events) {
        out << "event " << event_name(event.kind) << " " << event.pause_ms << " ";
        if (event.numbers.empty()) {
            out << "-";
        }
        for (std::size_t i = 0; i < event.numbers.size(); ++i) {
            out << (i > 0 ? "," : "") << event.numbers[i];
        }
        for (const std::string& bytes : event.writes) {
            out << " " << hex(bytes);
        }
        out << "\n";
    }
    return out.str();
}

std::optional<StormPlan> read_plan(const std::string& text, std::string* error) {
    StormPlan plan;
    std::istringstream in(text);
    int line_number = 0;
    bool header = false;
    auto fail = [&](const std::string& why) {
        *error = "line " + std::to_string(line_number) + ": " + why;
        return std::nullopt;
    };
    for (std::string line; std::getline(in, line);) {
        ++line_number;
        if (line.empty() || line[0] == '#') {
            continue;
        }
        std::istringstream fields(line);
        std::string word;
        fields >> word;
        if (word == "kesmor-storm") {
            int version = 0;
            fields >> version;
            if (version != 1) {
                return fail("unknown version");
            }
            header = true;
        } else if (word == "seed") {
            fields >> plan.seed;
        } else if (word == "stalls") {
            int on = 0;
            fields >> on;
            plan.stalls = on != 0;
        } else if (word == "start") {
            fields >> word;
            plan.refused_start = word == "refused";
        } else if (word == "invariants") {
            fields >> std::hex >> plan.invariants >> std::dec;
        } else if (word == "event") {
            Event event;
            std::string kind;
            std::string numbers;
            fields >> kind >> event.pause_ms >> numbers;
            bool known = false;
            for (std::size_t i = 0; i < names.size(); ++i) {
                if (kind == names[i]) {
                    event.kind = static_cast<EventKind>(i);
                    known = true;
                }
            }
            if (!known || !fields) {
                return fail("not an event");
            }
            if (numbers != "-") {
                std::istringstream list(numbers);
                for (std::string number; std::getline(list, number, ',');) {
                    event.numbers.push_back(std::stoi(number));
                }
            }
            for (std::string bytes; fields >> bytes;) {
                auto decoded = unhex(bytes);
                if (!decoded) {
                    return fail("bad hex");
                }
                event.writes.push_back(*decoded);
            }
            plan.events.push_back(std::move(event));
        } else {
            return fail("unknown record \"" + word + "\"");
        }
        if (!fields && word != "event" && !fields.eof()) {
            return fail("bad value");
        }
    }
    if (!header) {
        *error = "not a storm file";
        return std::nullopt;
    }
    return plan;
}
