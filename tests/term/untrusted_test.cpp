// The filter between bytes from the network and the terminal.
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
    }
}

} // namespace
