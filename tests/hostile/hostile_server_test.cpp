// Servers that send what no Gopher server should: the program must survive each one, give the
// terminal back, and let no byte of theirs drive the terminal.
#include <gtest/gtest.h>

#include <arpa/inet.h>
#include <cctype>
#include <cstdio>
#include <fstream>
#include <netinet/in.h>
#include <ostream>
#include <string>
#include <string_view>
#include <sys/socket.h>
#include <tuple>
#include <unistd.h>
#include <vector>

#include "gopher/descriptor.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"

namespace {

// Generous for a sanitized build chewing through 50 MB on a busy machine, and above the
// program's 30 s wait for a silent server; a passing case waits that long only for the stall.
constexpr int hostile_wait_ms = 60'000;
constexpr std::size_t megabyte = std::size_t{1024} * 1024;

// What must be on the screen. Row 0: anywhere. Otherwise the cells from (row, col) on, in
// reading order and wrapping at the right edge, hold exactly this text (one cell per byte).
struct Expect {
    std::string text;
    int row = 0;
    int col = 0;
};

struct HostileCase {
    std::string name;
    // The start address after host:port; empty for the root menu. "$PORT" in any text below
    // stands for the fixture's port.
    std::string path;
    std::string selector; // the one the start address asks for
    // The response: head, then body repeat times ("{n}" in it is the repetition's number,
    // from 1, in 7 digits), then tail.
    std::string head;
    std::string body;
    std::size_t repeat = 0;
    std::string tail;
    Reply reply = Reply::whole;
    std::size_t piece_size = 64;
    std::vector<Expect> shown;      // once the page is drawn
    std::vector<std::string> never; // not on the screen then
    std::string keys;               // typed next
    bool keys_after_end = false;    // typed once the server has sent it all: a page is shown and
                                    // answers keys while the rest of it arrives
    std::vector<Expect> shown_after;
    int status = 0;    // 0: runs until 'q'; else the program ends by itself with it
    std::string error; // its message on standard error
    bool report_memory = false;
};

// Failure messages name the case instead of dumping its megabytes.
void PrintTo(const HostileCase& c, std::ostream* out) {
    *out << c.name;
}

std::string with_port(std::string text, int port) {
    const std::string mark = "$PORT";
    for (std::size_t at = text.find(mark); at != std::string::npos; at = text.find(mark, at)) {
        text.replace(at, mark.size(), std::to_string(port));
    }
    return text;
}

std::string response_of(const HostileCase& c, int port) {
    const std::string body = with_port(c.body, port);
    const std::size_t mark = body.find("{n}");
    std::string out = with_port(c.head, port);
    out.reserve(out.size() + c.repeat * body.size() + c.tail.size());
    char number[16];
    for (std::size_t n = 1; n <= c.repeat; ++n) {
        if (mark == std::string::npos) {
            out += body;
            continue;
        }
        std::snprintf(number, sizeof number, "%07zu", n);
        out.append(body, 0, mark).append(number).append(body, mark + 3);
    }
    out += with_port(c.tail, port);
    return out;
}

// Bytes 0-255 without the ones that would end the field (NUL, TAB, LF).
std::string every_field_byte() {
    std::string bytes;
    for (int b = 1; b < 256; ++b) {
        if (b != '\t' && b != '\n') {
            bytes += static_cast<char>(b);
        }
    }
    return bytes;
}

// every_field_byte() as the terminal must get it: controls 1-31 as "?", except ESC, which
// takes the byte after it along (28) and leaves nothing; printable ASCII as it is; DEL and
// every byte above as "?" (in ascending order no two of them form a UTF-8 character).
std::string every_field_byte_shown() {
    std::string shown(8 + 2 + 1 + 13 + 3, '?'); // 1-8, 11-12, 13, 14-26, 29-31
    for (int b = 0x20; b < 0x7f; ++b) {
        shown += static_cast<char>(b);
    }
    shown.append(1 + 128, '?'); // 127, 128-255
    return shown;
}

std::vector<HostileCase> hostile_cases() {
    const std::string item_to_port = "\t/there\t127.0.0.1\t";
    // Info lines as servers send them: a first line without a TAB would make the page text.
    const std::string info_end = "\t\tnull.host\t1\r\n";
    const std::string line_of_text =
        "Line {n}: a line of text of the same length every time, and more.\r\n";
    std::vector<HostileCase> cases;

    HostileCase text_50mb;
    text_50mb.name = "Text50MB";
    text_50mb.path = "/00big";
    text_50mb.selector = "0big";
    text_50mb.body = line_of_text;
    text_50mb.repeat = 50 * megabyte / (line_of_text.size() - 1) + 1;
    text_50mb.shown = {{"Line 0000001: a line", 4, 2}, {"Line 0000020:", 23, 2}};
    text_50mb.keys = "\033[6"; // Page Down
    text_50mb.shown_after = {{"Line 0000021:", 4, 2}};
    text_50mb.report_memory = true;
    cases.push_back(text_50mb);

    HostileCase menu_100k;
    menu_100k.name = "Menu100000Lines";
    menu_100k.body = "0Item {n}\t/item/{n}\t127.0.0.1\t70\r\n";
    menu_100k.repeat = 100'000;
    menu_100k.tail = ".\r\n";
    menu_100k.shown = {{"->Item 0000001", 4, 2}, {"  Item 0000020", 23, 2}};
    menu_100k.keys = "\033[A"; // Up from the first item wraps to the last
    menu_100k.keys_after_end = true;
    menu_100k.shown_after = {{"->Item 0100000", 23, 2}};
    menu_100k.report_memory = true;
    cases.push_back(menu_100k);

    HostileCase long_text_lines;
    long_text_lines.name = "TextLinesOf1MB";
    long_text_lines.path = "/00long";
    long_text_lines.selector = "0long";
    long_text_lines.head = std::string(megabyte, 'a') + "\n" + std::string(megabyte, 'b');
    // The first line goes on over every row of the screen, 78 columns each.
    long_text_lines.shown = {{std::string(78, 'a') + " ", 4, 2},
                             {std::string(78, 'a') + " ", 5, 2}};
    long_text_lines.never = {std::string(79, 'a')};
    cases.push_back(long_text_lines);

    HostileCase long_menu_line;
    long_menu_line.name = "MenuLineOf1MB";
    long_menu_line.head =
        "iBefore" + info_end + "1" + std::string(megabyte, 'x') + item_to_port + "70";
    // The display keeps its first 1023 bytes, of which the row shows what fits the window.
    long_menu_line.shown = {
        {"  Before", 4, 2}, {"->" + std::string(77, 'x'), 5, 2}, {std::string(80, ' '), 6, 1}};
    cases.push_back(long_menu_line);

    HostileCase tabs;
    tabs.name = "MenuLineWith10000Tabs";
    tabs.head = "1Many tabs" + std::string(10'000, '\t') + "\r\niAfter the tabs\r\n";
    // Its port field is empty, which reads as port 0: shown, but not selectable.
    tabs.shown = {{"  Many tabs ", 4, 2}, {"  After the tabs", 5, 2}};
    cases.push_back(tabs);

    HostileCase binary;
    binary.name = "BinaryWithNulAnd0xFF";
    binary.path = "/99file.zip";
    binary.selector = "9file.zip";
    binary.head = std::string("PK\x03\x04\xff\xff\x7f\x80 header\r\n\xff\xfe\x00hidden", 26);
    // Not UTF-8: its bytes above 0x7f are read as Windows-1252, the controls are still "?".
    binary.shown = {{"PK??\xc3\xbf\xc3\xbf?\xe2\x82\xac header", 4, 2},
                    {"\xc3\xbf\xc3\xbe ", 5, 2}};
    binary.never = {"hidden"};
    cases.push_back(binary);

    // A selectable item whose display and selector hold every byte a field can; the NUL after
    // it ends the content. Opening it puts the selector in the header bar.
    HostileCase every_byte;
    every_byte.name = "EveryByteInDisplayAndSelector";
    every_byte.head = "iBefore" + info_end + "0" + every_field_byte() + "\t" + every_field_byte() +
                      "\t127.0.0.1\t$PORT\r\n" + std::string(1, '\0') + "iHidden\r\n";
    every_byte.shown = {{"  Before", 4, 2},
                        {"->" + every_field_byte_shown().substr(0, 77), 5, 2},
                        {std::string(80, ' '), 6, 1}};
    every_byte.never = {"Hidden"};
    every_byte.keys = "\r";
    // The header's URL is cut at the last column: nothing of it reaches row 2.
    every_byte.shown_after = {
        {"gopher://127.0.0.1:$PORT/0" + every_field_byte_shown().substr(0, 40), 1, 1},
        {std::string(80, ' '), 2, 1}};
    cases.push_back(every_byte);

    HostileCase cr_only;
    cr_only.name = "CarriageReturnsOnly";
    cr_only.path = "/00cr";
    cr_only.selector = "0cr";
    cr_only.head = "one\rtwo\rthree\r";
    cr_only.shown = {{"one?two?three ", 4, 2}};
    cases.push_back(cr_only);

    HostileCase trickle;
    trickle.name = "OneByteAtATime";
    trickle.head = "iSlowly" + info_end + "1Inside" + item_to_port + "70\r\n0Last" + item_to_port +
                   "70\r\n.\r\n";
    trickle.reply = Reply::in_pieces;
    trickle.piece_size = 1;
    trickle.shown = {{"  Slowly", 4, 2}, {"->Inside", 5, 2}, {"  Last", 6, 2}};
    cases.push_back(trickle);

    HostileCase stall;
    stall.name = "HalfAMenuThenSilence";
    stall.head = "iFirst half\r\n1Inside" + item_to_port;
    stall.reply = Reply::stall;
    stall.never = {"First half"};
    stall.status = 1;
    stall.error = "Error: Failed to read from socket.";
    cases.push_back(stall);

    HostileCase cut;
    cut.name = "ClosedMidResponse";
    cut.head = "iFirst line" + info_end + "0Second" + item_to_port + "70\r\n0Cut mid-li";
    cut.shown = {{"  First line", 4, 2}, {"->Second", 5, 2}, {"  Cut mid-li", 6, 2}};
    cases.push_back(cut);

    HostileCase cut_text;
    cut_text.name = "TextClosedMidLine";
    cut_text.path = "/00cut";
    cut_text.selector = "0cut";
    cut_text.head = "Whole line\r\nHalf a li";
    cut_text.shown = {{"Whole line", 4, 2}, {"Half a li ", 5, 2}};
    cases.push_back(cut_text);

    // A port outside 1..65535 leaves its item unselectable: no marker, Enter opens nothing,
    // and the program runs on until 'q'.
    for (const char* port : {"0", "70000", "-1"}) {
        HostileCase bad_port;
        bad_port.name = std::string("Port") + (port[0] == '-' ? "Minus1" : port);
        bad_port.head = std::string("1Port ") + port + item_to_port + port + "\r\n";
        bad_port.shown = {{std::string("  Port ") + port, 4, 2}};
        bad_port.keys = "\r";
        bad_port.shown_after = bad_port.shown;
        cases.push_back(bad_port);
    }
    return cases;
}

// The cells from (row, col) on, in reading order, wrapping at the right edge.
std::string cells_from(const PtyRun& run, int row, int col, std::size_t count) {
    std::string text;
    for (; text.size() < count && row <= screen_rows(run); ++row, col = 1) {
        for (; text.size() < count && col <= screen_cols(run); ++col) {
            text += cell_at(run, row, col).text;
        }
    }
    return text;
}

bool holds(const PtyRun& run, const Expect& e) {
    if (e.row == 0) {
        return screen_contains(run, e.text);
    }
    return cells_from(run, e.row, e.col, e.text.size()) == e.text;
}

bool all_hold(const PtyRun& run, const std::vector<Expect>& expected) {
    for (const Expect& e : expected) {
        if (!holds(run, e)) {
            return false;
        }
    }
    return true;
}

std::string describe(const PtyRun& run, const std::vector<Expect>& expected) {
    std::string out;
    for (const Expect& e : expected) {
        if (holds(run, e)) {
            continue;
        }
        out += "missing at " + std::to_string(e.row) + "," + std::to_string(e.col) + ": " +
               e.text.substr(0, 100) + "\n";
        if (e.row > 0) {
            out +=
                "   found: " + cells_from(run, e.row, e.col, e.text.size()).substr(0, 100) + "\n";
        }
    }
    return out + "screen:\n" + screen_text(run);
}

std::vector<Expect> with_port(std::vector<Expect> expected, int port) {
    for (Expect& e : expected) {
        e.text = with_port(e.text, port);
    }
    return expected;
}

// Length of the well-formed UTF-8 character at the start of bytes, or 0. C1 controls
// (U+0080 to U+009F) count as malformed here: some terminals obey them.
std::size_t utf8_character(std::string_view bytes) {
    const auto byte = [&](std::size_t i) {
        return i < bytes.size() ? static_cast<unsigned char>(bytes[i]) : 0u;
    };
    const auto tail = [&](std::size_t i, unsigned low, unsigned high) {
        return byte(i) >= low && byte(i) <= high;
    };
    const unsigned lead = byte(0);
    if (lead == 0xc2) {
        return tail(1, 0xa0, 0xbf) ? 2 : 0;
    }
    if (lead > 0xc2 && lead <= 0xdf) {
        return tail(1, 0x80, 0xbf) ? 2 : 0;
    }
    if (lead >= 0xe0 && lead <= 0xef) {
        return tail(1, lead == 0xe0 ? 0xa0 : 0x80, lead == 0xed ? 0x9f : 0xbf) &&
                       tail(2, 0x80, 0xbf)
                   ? 3
                   : 0;
    }
    if (lead >= 0xf0 && lead <= 0xf4) {
        return tail(1, lead == 0xf0 ? 0x90 : 0x80, lead == 0xf4 ? 0x8f : 0xbf) &&
                       tail(2, 0x80, 0xbf) && tail(3, 0x80, 0xbf)
                   ? 4
                   : 0;
    }
    return 0;
}

// "" when every byte the program wrote to the terminal is printable text, TAB, BS (the
// prompts' erase), valid UTF-8 without C1 controls, or one of the program's own sequences:
// ESC [, optional "?", digits and ";", then one of m H J h l. Else the first offending bytes.
std::string foreign_bytes(std::string_view out) {
    std::size_t i = 0;
    while (i < out.size()) {
        const auto c = static_cast<unsigned char>(out[i]);
        if ((c >= 0x20 && c < 0x7f) || c == '\t' || c == '\b') {
            ++i;
            continue;
        }
        if (c == 0x1b && i + 1 < out.size() && out[i + 1] == '[') {
            std::size_t j = i + 2;
            if (j < out.size() && out[j] == '?') {
                ++j;
            }
            while (j < out.size() &&
                   (std::isdigit(static_cast<unsigned char>(out[j])) != 0 || out[j] == ';')) {
                ++j;
            }
            if (j < out.size() &&
                std::string_view("mHJhlKrSTABCD").find(out[j]) != std::string::npos) {
                i = j + 1;
                continue;
            }
        } else if (c >= 0x80) {
            const std::size_t length = utf8_character(out.substr(i));
            if (length > 0) {
                i += length;
                continue;
            }
        }
        std::string shown;
        for (const char b : out.substr(i, 16)) {
            char hex[8];
            std::snprintf(hex, sizeof hex, "%02x ", static_cast<unsigned char>(b));
            shown += hex;
        }
        return "at byte " + std::to_string(i) + ": " + shown;
    }
    return "";
}

bool sanitizer_report(const std::string& errors) {
    for (const char* mark : {"runtime error", "AddressSanitizer", "LeakSanitizer"}) {
        if (errors.find(mark) != std::string::npos) {
            return true;
        }
    }
    return false;
}

// The program's peak resident memory in kB (VmHWM), or -1 when it cannot be read.
long peak_rss_kb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) {
            return std::stol(line.substr(6));
        }
    }
    return -1;
}

// Bound and never listening: a connection to this loopback port is refused while it lives.
// If the port is taken the bind fails, and then someone else holds it as well.
struct HeldPort {
    Descriptor socket{::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0)};

    explicit HeldPort(int port) {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(static_cast<std::uint16_t>(port));
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        if (socket.fd >= 0) {
            std::ignore =
                bind(socket.fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        }
    }
};

class HostileServer : public testing::TestWithParam<HostileCase> {};

} // namespace

TEST_P(HostileServer, ProgramSurvivesAndShowsOnlyFilteredText) {
    const HostileCase& c = GetParam();
    // Where the ports 70000 and -1 of a menu line would end up if they were ever used.
    const HeldPort low_bits_of_70000{70000 & 0xffff};
    const HeldPort low_bits_of_minus_1{0xffff};

    auto server = start_gopher_server();
    const int port = server->port;
    serve(*server, c.selector,
          Script{response_of(c, port), c.reply, c.piece_size, c.reply == Reply::in_pieces ? 1 : 0});
    auto run_owner = start_program({"127.0.0.1:" + std::to_string(port) + c.path});
    PtyRun& run = *run_owner;

    const std::vector<Expect> shown = with_port(c.shown, port);
    ASSERT_TRUE(wait_until(
        run, [&] { return all_hold(run, shown); }, hostile_wait_ms))
        << describe(run, shown) << describe_end(run) << run.errors;
    for (const std::string& text : c.never) {
        EXPECT_FALSE(screen_contains(run, text)) << text << "\n" << screen_text(run);
    }
    if (c.keys_after_end) {
        ASSERT_TRUE(wait_for_closed(*server, 1)) << describe_end(run);
    }
    if (!c.keys.empty()) {
        const std::size_t mark = run.output.size();
        send_keys(run, c.keys);
        // Every key taken draws a new frame (or ends the run). Waiting for it keeps the 'q' below
        // out of the keys' read: a read of two unrelated bytes is dropped.
        EXPECT_TRUE(wait_for_new_output(run, mark, "\033[?2026l", hostile_wait_ms))
            << describe_end(run);
    }
    const std::vector<Expect> shown_after = with_port(c.shown_after, port);
    EXPECT_TRUE(wait_until(
        run, [&] { return all_hold(run, shown_after); }, hostile_wait_ms))
        << describe(run, shown_after) << describe_end(run) << run.errors;

    if (c.report_memory) {
        const long kb = peak_rss_kb(run.pid);
        std::printf("[   MEMORY ] %s: peak resident memory %ld kB\n", c.name.c_str(), kb);
        RecordProperty("peak_rss_kb", std::to_string(kb));
    }
    if (c.status == 0) {
        EXPECT_FALSE(run.reaped) << describe_end(run) << run.errors;
        send_keys(run, "q");
    }
    ASSERT_TRUE(wait_for_exit(run, hostile_wait_ms)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, c.status)) << describe_end(run) << run.errors;
    EXPECT_FALSE(sanitizer_report(run.errors)) << run.errors;
    EXPECT_EQ(run.errors, c.error.empty() ? "" : c.error + "\n");

    EXPECT_EQ(describe_mode_change(run.initial_termios, terminal_mode(run)), "");
    EXPECT_TRUE(cursor(run).visible);
    EXPECT_EQ(screen_text(run), std::string(static_cast<std::size_t>(screen_rows(run)), '\n'));
    EXPECT_EQ(foreign_bytes(run.output), "");
    EXPECT_EQ(run.title, "");
}

INSTANTIATE_TEST_SUITE_P(Responses, HostileServer, testing::ValuesIn(hostile_cases()),
                         [](const testing::TestParamInfo<HostileCase>& info) {
                             return info.param.name;
                         });
