// The file name offered for saving an item.
#include "gopher/file_name.hpp"

#include <algorithm>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(ProposedFileName, TakesTheLastPartAndMakesItSafe) {
    const struct {
        std::string selector;
        std::string name;
    } cases[] = {
        {"/pub/pack.tar.gz", "pack.tar.gz"},
        {"pack.tar", "pack.tar"},
        {"../../etc/x", "x"},
        {"-rf", "rf"},
        {"/files/--help", "help"},
        {".hidden", "hidden"},
        {"/a/.-.x", "x"},
        {"/a/..", "download"},
        {"", "download"},
        {"/", "download"},
        {"///", "download"},
        // The last part is empty: the one before names the item.
        {"/dir/", "dir"},
        {"/dir//", "dir"},
        {"/find\tquery/with/slashes", "find"},
        {"/docs/report.txt\t", "report.txt"},
        {"\t/x", "download"},
        {"a\x1b[2Jb", "ab"},
        {"a\x1b[1;31mred\x1b[0m", "ared"},
        {"a\x1b]0;title\ab", "ab"},
        {"a\x1b]0;title\x1b\\b", "ab"},
        {"a\x1b"
         "cb",
         "ab"},
        {"a\x1b", "a"},
        {"a\x1b[", "a"},
        {"a\x1b[12", "a"},
        {"\x1b[2J.x", "x"},
        // A sequence ends where the terminal filter ends it: with its final byte, whatever
        // comes between; a string only at its terminator.
        {"a\x1b(Bb", "ab"},
        {"a\x1b[1\xc3\xa9mb", "ab"},
        {"a\x1b]0;t\x1b[1mb", "a"},
        {"a\x1b\x1b[2Jb", "ab"},
        {std::string("a\0b\rc\nd\x7f"
                     "e\x01",
                     10),
         "abcde"},
        {"caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt", "caf\xc3\xa9 \xe6\x97\xa5\xe6\x9c\xac.txt"},
        {"/a b/c d", "c d"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(proposed_file_name(c.selector), c.name) << "selector=" << c.selector;
    }
}

TEST(ProposedFileName, CutsAt255BytesBetweenCharacters) {
    EXPECT_EQ(proposed_file_name("/d/" + std::string(300, 'x')), std::string(255, 'x'));
    EXPECT_EQ(proposed_file_name(std::string(255, 'x')), std::string(255, 'x'));
    // Characters of 2, 3 and 4 bytes, each made to straddle byte 255 in turn: the name is the
    // longest prefix that ends between characters.
    for (const std::string character : {"\xc3\xa9", "\xe6\x97\xa5", "\xf0\x9f\x98\x80"}) {
        for (std::size_t lead = 250; lead < 256; ++lead) {
            const std::string selector = std::string(lead, 'x') + character + "yyyy";
            const std::size_t after = lead + character.size();
            const std::size_t length = after <= 255 ? std::min<std::size_t>(255, after + 4) : lead;
            EXPECT_EQ(proposed_file_name(selector), selector.substr(0, length))
                << "lead=" << lead << " bytes=" << character.size();
        }
    }
    // Not UTF-8: a long run of continuation bytes is cut near 255, not emptied.
    EXPECT_GE(proposed_file_name(std::string(300, '\x80')).size(), 252U);
}

} // namespace
