// The filter between bytes from the network and the terminal.
#include "support/untrusted_text.hpp"
#include "term/untrusted.hpp"

#include <gtest/gtest.h>
#include <random>
#include <string>

using namespace std::string_literals;

namespace {

TEST(Untrusted, FiltersEachKindOfByteAsDocumented) {
    const struct {
        std::string in;
        std::string out;
    } cases[] = {
        // Passes unchanged.
        {"", ""},
        {"plain text, 100% ASCII ~", "plain text, 100% ASCII ~"},
        {"a\tb", "a\tb"},
        {"caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80", "caf\xc3\xa9 \xe2\x82\xac \xf0\x9f\x98\x80"},
        {"\xc2\xa0\xe0\xa0\x80\xef\xbf\xbf\xf4\x8f\xbf\xbf",
         "\xc2\xa0\xe0\xa0\x80\xef\xbf\xbf\xf4\x8f\xbf\xbf"},
        // CSI, removed with its parameters.
        {"\x1b[31mred\x1b[0m", "red"},
        {"\x1b[?25l\x1b[2J\x1b[1;1H\x1b[38;5;17mx", "x"},
        {"\x1b[ q!", "!"},        // intermediate byte, then the final "q"
        {"a\x1b[12;", "a"},       // cut off by the end
        {"\x1b[1\x1b[31mx", "x"}, // a broken one does not eat the next
        // String sequences, up to BEL, ESC "\" or the end.
        {"\x1b]0;title\x07"
         "after",
         "after"},
        {"\x1b]8;;http://x/\x1b\\link\x1b]8;;\x1b\\", "link"},
        {"\x1bPq#0;2;0;0;0\x1b\\x", "x"},
        {"\x1bXsos\x1b\\x", "x"},
        {"\x1b^pm\x07x", "x"},
        {"\x1b_apc\x07x", "x"},
        {"\x1b]unterminated [31m", ""},
        {"\x1b]a\x1b[b\x07x", "x"}, // an ESC inside does not end the string
        // ESC, intermediate bytes and a final byte, removed whole.
        {"\x1b[31mred\x1b(B\x1b[m!", "red!"},
        {"\x1b#8x", "x"},
        {"\x1b Fx", "x"},
        {"\x1b($Bx", "x"},
        {"\x1b(\x1b[31mx", "x"}, // no final byte: the next ESC starts a sequence
        {"\x1b(\x01x", "?x"},
        {"a\x1b(", "a"},
        // ESC ESC: the second ESC starts the sequence.
        {"\x1b\x1b[31mx", "x"},
        {"\x1b\x1b\x1b]0;t\x07x", "x"},
        // Any other ESC goes with the one byte after it.
        {"\x1b"
         "c",
         ""},
        {"a\x1b", "a"},
        // C0 controls and DEL.
        {"\x07\x08\x0b\x0c\x0e\x1f\x7f"s, "???????"},
        {"a\0b"s, "a?b"},
        {"a\rb", "a?b"},
        {"line\r", "line"},
        {"\r\r", "?"},
        {"\r", ""},
        {"\n", "?"},
        // C1 controls, as UTF-8 and as raw bytes.
        {"\xc2\x80"
         "a\xc2\x9b"
         "31m\xc2\x9f",
         "?a?31m?"},
        {"\x9b"
         "31m",
         "?31m"},
        // Bytes that are not UTF-8, one "?" each.
        {"\xc3", "?"},
        {"\xc3(", "?("},
        {"\xe2\x82x", "??x"},
        {"\xf0\x9f\x98", "???"},
        {"\xc0\xaf", "??"},           // overlong "/"
        {"\xe0\x80\xaf", "???"},      // overlong "/"
        {"\xed\xa0\x80", "???"},      // surrogate
        {"\xf4\x90\x80\x80", "????"}, // above U+10FFFF
        {"\x80\xbf\xfe\xff", "????"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(sanitize_untrusted(c.in), c.out) << "case=" << testing::PrintToString(c.in);
    }
}

// A line that is not UTF-8 is read as Windows-1252, after the same filter: escape sequences
// and control bytes go as they would in any line.
TEST(Untrusted, LinesThatAreNotUtf8AreReadAsWindows1252) {
    const struct {
        std::string in;
        LineCoding coding;
        std::string out;
    } cases[] = {
        {"", LineCoding::utf8, ""},
        {"plain \x1b[31mASCII\x1b[0m\x01", LineCoding::utf8, "plain ASCII?"},
        {"caf\xc3\xa9 \xe2\x82\xac", LineCoding::utf8, "caf\xc3\xa9 \xe2\x82\xac"},
        {"\xc2\x9b"
         "31m ok",
         LineCoding::utf8, "?31m ok"}, // a C1 control in UTF-8 stays "?"
        // Latin-1 accents, in Windows-1252's own range too.
        {"caf\xe9 cr\xe8me br\xfbl\xe9"
         "e",
         LineCoding::cp1252, "caf\xc3\xa9 cr\xc3\xa8me br\xc3\xbbl\xc3\xa9\x65"},
        {"\x80 \x93quoted\x94 \x85 \x99 \x9f\xa0\xff", LineCoding::cp1252,
         "\xe2\x82\xac \xe2\x80\x9cquoted\xe2\x80\x9d \xe2\x80\xa6 \xe2\x84\xa2 "
         "\xc5\xb8\xc2\xa0\xc3\xbf"},
        // Bytes that are C1 controls in Latin-1 are characters here.
        {"\x9b"
         "31m",
         LineCoding::cp1252,
         "\xe2\x80\xba"
         "31m"},
        // The five bytes without a character.
        {"\x81\x8d\x8f\x90\x9d!", LineCoding::cp1252,
         "?????"
         "!"},
        // Escape sequences are still removed whole, control bytes still "?".
        {"\x1b[1mna\xefve\x1b[0m\x07\r", LineCoding::cp1252, "na\xc3\xafve?"},
        {"\xe9\x1b]0;title \xff\x07"
         "t",
         LineCoding::cp1252, "\xc3\xa9t"},
        // A UTF-8 character next to a stray byte: the whole line is cp1252.
        {"\xc3\xa9\xe9", LineCoding::cp1252, "\xc3\x83\xc2\xa9\xc3\xa9"},
        {"ok\xc3", LineCoding::cp1252, "ok\xc3\x83"},
        // Bytes inside escape sequences decide nothing.
        {"\x1b[\xe9m caf\xc3\xa9", LineCoding::utf8, " caf\xc3\xa9"},
        {"\x1b]2;\xe9\xff\x07x", LineCoding::utf8, "x"},
        {"\x1b(\xe9", LineCoding::cp1252, "\xc3\xa9"}, // not part of the ESC ( sequence
    };
    for (const auto& c : cases) {
        const std::string context = "case=" + testing::PrintToString(c.in);
        EXPECT_EQ(line_coding(c.in), c.coding) << context;
        EXPECT_EQ(sanitize_untrusted(c.in, c.coding), c.out) << context;
    }
    // Every byte of a long ASCII run is looked at, wherever the stray byte is.
    for (std::size_t at = 0; at < 40; ++at) {
        std::string line(40, 'a');
        EXPECT_EQ(line_coding(line), LineCoding::utf8);
        line[at] = '\xe9';
        EXPECT_EQ(line_coding(line), LineCoding::cp1252) << "at=" << at;
        line[at] = '\x1b';
        EXPECT_EQ(line_coding(line), LineCoding::utf8) << "at=" << at;
    }
}

// Every byte from 0x80 up shows as one character in valid UTF-8, or "?".
TEST(Untrusted, EveryHighByteOfACp1252LineIsOneCharacter) {
    for (unsigned byte = 0x80; byte <= 0xff; ++byte) {
        const std::string in(1, static_cast<char>(byte));
        const std::string out = sanitize_untrusted(in, LineCoding::cp1252);
        const std::string context = "byte=" + std::to_string(byte);
        const bool undefined =
            byte == 0x81 || byte == 0x8d || byte == 0x8f || byte == 0x90 || byte == 0x9d;
        EXPECT_EQ(out == "?", undefined) << context;
        if (undefined) {
            EXPECT_TRUE(cp1252_character(static_cast<unsigned char>(byte)).empty()) << context;
            continue;
        }
        EXPECT_EQ(out, cp1252_character(static_cast<unsigned char>(byte))) << context;
        EXPECT_EQ(line_coding(out), LineCoding::utf8) << context;
        EXPECT_EQ(sanitize_untrusted(out), out) << context; // no C1 control among them
        EXPECT_TRUE(out.size() == 2 || out.size() == 3) << context;
    }
    EXPECT_EQ(cp1252_character(0xe9), "\xc3\xa9");
}

TEST(Untrusted, AppendsToWhatIsThere) {
    std::string out = "\x1b[1;33m";
    append_untrusted(out, "\x1b[31mok");
    EXPECT_EQ(out, "\x1b[1;33mok");
}

// Whatever arrives, the result is harmless: it passes the filter unchanged and holds no ESC,
// no control other than TAB, and is never longer.
TEST(Untrusted, OutputOfRandomBytesIsInertAndStable) {
    std::mt19937 random(1436);
    // Biased towards the bytes that start sequences, so that those paths are well exercised.
    const unsigned char interesting[] = {0x1b, '[',  ']',  'P',  0x07, '\\', '\r', 0xc2,
                                         0x9b, 0xe2, 0x82, 0xf0, 0x9f, 0x80, 'm',  'a'};
    for (int round = 0; round < 2000; ++round) {
        std::string in(random() % 64, '\0');
        for (char& byte : in) {
            const unsigned pick = random();
            byte = static_cast<char>(pick % 2 ? interesting[(pick >> 1) % sizeof interesting]
                                              : (pick >> 1) & 0xff);
        }
        const std::string out = sanitize_untrusted(in);
        const std::string context = "case=" + testing::PrintToString(in);
        EXPECT_LE(out.size(), in.size()) << context;
        EXPECT_EQ(sanitize_untrusted(out), out) << context;
        for (unsigned char byte : out) {
            ASSERT_TRUE(byte >= 0x20 || byte == '\t') << context;
            ASSERT_NE(byte, 0x7f) << context;
        }
        // Read in its own coding, a line becomes valid UTF-8 and stays as it is.
        const std::string read = sanitize_untrusted(in, line_coding(in));
        EXPECT_EQ(line_coding(read), LineCoding::utf8) << context;
        EXPECT_EQ(sanitize_untrusted(read), read) << context;
        EXPECT_EQ(read.find('\x1b'), std::string::npos) << context;
    }
}

} // namespace
