// A random Gopher site for one storm, the same for the same seed.
#include "storm/storm_site.hpp"
#include "storm/storm_random.hpp"

#include <array>
#include <random>
#include <string_view>

namespace {

using storm_random::chance;
using storm_random::pick;
using storm_random::Random;

// Pieces a display string or a text line is made of: plain words, characters of every width,
// and bytes a terminal would act on if they reached it.
constexpr std::array<std::string_view, 30> pieces = {
    "word ",
    "Gopher ",
    "the quick brown fox ",
    "\xc3\xa9",                 // é
    "\xd0\x96\xd0\xb8\xd0\xb7", // Cyrillic
    "\xe6\xbc\xa2\xe5\xad\x97", // CJK, two columns each
    "\xef\xbc\xa1",             // fullwidth A
    "\xf0\x9f\x99\x82",         // emoji
    "e\xcc\x81",                // combining acute
    "\xe2\x80\x8b",             // zero-width space
    "\t",
    "\t\t",
    "\r",
    "\x01\x07\x08",
    "\x7f",
    "\xff", // never valid UTF-8
    "\xc3", // a sequence cut short
    "\xe6\xbc",
    "\033[2J",
    "\033[31m",
    "\033[?1049h",      // alternate screen
    "\033[?25h",        // cursor on
    "\033]0;title\007", // window title
    "\033(B",
    "\033#8",
    "\033[1;999r", // scroll region
    "\033[10;10H",
    "\033c", // full reset
    "\033",
    "\233"
    "2J", // C1 control sequence introducer
};

std::string random_text(Random& random, int max_pieces) {
    std::string text;
    const int count = pick(random, 0, max_pieces);
    for (int i = 0; i < count; ++i) {
        text += pieces[static_cast<std::size_t>(pick(random, 0, pieces.size() - 1))];
    }
    if (chance(random, 5)) {
        text += std::string(static_cast<std::size_t>(pick(random, 100, 1100)), 'W');
    }
    return text;
}

std::string menu_selector(int n) {
    return "/m" + std::to_string(n);
}

std::string text_selector(int n) {
    return "/t" + std::to_string(n);
}

struct Plan {
    int menus = 0;
    int texts = 0;
    std::string host;
    int port = 0;
    int refused_port = 0;
    bool stalls = true;
};

std::string random_link(Random& random, const Plan& plan) {
    const std::string display = random_text(random, 6);
    switch (pick(random, 0, 11)) {
    case 0:
    case 1:
    case 2:
        return menu_line('1', display, menu_selector(pick(random, 0, plan.menus - 1)), plan.host,
                         plan.port);
    case 3:
    case 4:
    case 5:
        return menu_line('0', display, text_selector(pick(random, 0, plan.texts - 1)), plan.host,
                         plan.port);
    case 6:
        return menu_line('7', display, "/find", plan.host, plan.port);
    case 7:
        return menu_line(chance(random, 50) ? '0' : '1', display, "/gone", plan.host,
                         plan.refused_port);
    case 8:
        return menu_line('0', display, "/reset", plan.host, plan.port);
    case 9:
        if (plan.stalls) {
            return menu_line('0', display, "/stall", plan.host, plan.port);
        }
        return menu_line('0', display, "/slow", plan.host, plan.port);
    case 10:
        return menu_line('1', display, "/nowhere", "null.host", 70);
    default:
        // A type the program does not open, and a line with missing fields.
        return chance(random, 50) ? menu_line('9', display, "/bin", plan.host, plan.port)
                                  : "1" + display + "\t/m0\r\n";
    }
}

std::string random_menu(Random& random, const Plan& plan) {
    std::string menu;
    const int runs = pick(random, 0, 12);
    for (int run = 0; run < runs; ++run) {
        const bool links = chance(random, 50);
        const int length = pick(random, 1, chance(random, 20) ? 60 : 8);
        for (int i = 0; i < length; ++i) {
            menu += links ? random_link(random, plan)
                          : menu_line('i', random_text(random, 8), "", "null.host", 1);
        }
    }
    if (chance(random, 80)) {
        menu += ".\r\n";
    }
    return menu;
}

std::string random_document(Random& random) {
    std::string text;
    const int lines = pick(random, 0, chance(random, 20) ? 600 : 60);
    for (int i = 0; i < lines; ++i) {
        text += random_text(random, 12);
        if (chance(random, 3)) {
            text += std::string(static_cast<std::size_t>(pick(random, 1000, 5000)), 'x');
        }
        text += chance(random, 80) ? "\r\n" : "\n";
    }
    return text;
}

// Most pages arrive whole; some in small pieces, some cut short by a normal close.
Script delivery(Random& random, std::string response) {
    Script script{std::move(response)};
    const int how = pick(random, 0, 9);
    if (how == 0) {
        script.reply = Reply::in_pieces;
        script.piece_size = static_cast<std::size_t>(pick(random, 1, 512));
        script.pause_ms = pick(random, 0, 3);
    } else if (how == 1) {
        script.response.resize(script.response.size() / 2);
    }
    return script;
}

} // namespace

Site generate_site(std::uint64_t seed, const SiteOptions& options, const std::string& host,
                   int port, int refused_port) {
    Random random(seed);
    Plan plan;
    plan.menus = pick(random, 2, 8);
    plan.texts = pick(random, 2, 8);
    plan.host = host;
    plan.port = port;
    plan.refused_port = refused_port;
    plan.stalls = options.stalls;

    Site site;
    // The root always has a link, so that the storm can leave it.
    site.pages.push_back({"", Script{menu_line('1', "Start", menu_selector(0), host, port) +
                                     random_menu(random, plan)}});
    for (int n = 0; n < plan.menus; ++n) {
        site.pages.push_back({menu_selector(n), delivery(random, random_menu(random, plan))});
    }
    for (int n = 0; n < plan.texts; ++n) {
        site.pages.push_back({text_selector(n), delivery(random, random_document(random))});
    }
    site.pages.push_back({"/reset", Script{random_document(random), Reply::reset}});
    site.pages.push_back({"/slow", Script{random_document(random), Reply::in_pieces, 64, 5}});
    if (options.stalls) {
        site.pages.push_back({"/stall", Script{"Half a line", Reply::stall}});
    }
    return site;
}

void serve_site(GopherServer& server, const Site& site) {
    for (const SitePage& page : site.pages) {
        serve(server, page.selector, page.script);
    }
    serve_default(server,
                  Script{menu_line('i', "Found nothing", "", "null.host", 1) +
                         menu_line('1', "Start again", "", server.address, server.port) + ".\r\n"});
}
