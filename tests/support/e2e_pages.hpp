// Pages the end-to-end screen tests serve, with what the views must show of them.
#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"

namespace e2e {

// The nine-item menu with every kind of line: an information line, links of several types on
// this server, a search on another one, placeholder hosts, a line without TAB, one with one TAB,
// and the closing ".". Every line ends in CR LF.
inline std::string worked_example_menu(int port, int search_port) {
    const std::string here = std::to_string(port);
    return "iWelcome\t\tnull.host\t1\r\n"
           "1Documents\t/docs\t127.0.0.1\t" +
           here +
           "\r\n"
           "0Read me  \t/readme.txt\t\r\n"
           "7Search\t/find\t127.0.0.1\t" +
           std::to_string(search_port) +
           "\t+\r\n"
           "3Not found\t\terror.host\t1\r\n"
           "1Mirror\t/\tnull.host\t70\r\n"
           "hHelp page\t/help.html\t127.0.0.1\t" +
           here +
           "\r\n"
           "Just a note\r\n"
           "9Tarball\t/pack.tar\r\n"
           ".\r\n";
}

struct MenuRow {
    std::string_view text; // marker and display
    Look look;
};

// The worked example as drawn, from the first content row on, with the first link selected.
inline constexpr MenuRow worked_example_rows[] = {
    {"  Welcome", {colour::grey, colour::none, false}},
    {"->Documents", selection_look},
    {"  Read me", {colour::yellow, colour::none, true}},
    {"  Search", {colour::blue, colour::none, true}},
    {"  Not found", {colour::red, colour::none, true}},
    {"  Mirror", {colour::green, colour::none, true}},
    {"  Help page", {colour::cyan, colour::none, true}},
    {"  ust a note", {colour::bright_red, colour::none, true}},
    {"  Tarball", {colour::magenta, colour::none, true}},
};
// Content rows of the links, in the order of their ordinals.
inline constexpr int documents_row = 5;
inline constexpr int read_me_row = 6;
inline constexpr int search_row = 7;
inline constexpr int help_row = 10;
inline constexpr int last_example_row = 12;

// "Item 01" and so on.
inline std::string item_label(int n) {
    char label[32];
    std::snprintf(label, sizeof label, "Item %02d", n);
    return label;
}

// An information line, then count text links "Item 01" to "Item nn" on the server.
inline std::string long_menu(const GopherServer& server, int count) {
    std::string menu = menu_line('i', "Top of the list", "", "null.host", 1);
    for (int n = 1; n <= count; ++n) {
        menu +=
            menu_line('0', item_label(n), "/item" + std::to_string(n), "127.0.0.1", server.port);
    }
    return menu + ".\r\n";
}

inline std::string line_label(int n) {
    char label[32];
    std::snprintf(label, sizeof label, "Line %02d", n);
    return label;
}

// "Line 01" to "Line nn", CR LF ended.
inline std::string numbered_lines(int count) {
    std::string text;
    for (int n = 1; n <= count; ++n) {
        text += line_label(n) + "\r\n";
    }
    return text;
}

} // namespace e2e
