// Menu or text by the page's type and its first line.
#include <gtest/gtest.h>
#include <string>

#include "gopher/menu.hpp"

namespace {

TEST(ContentIsMenu, AMenuTypeWhoseFirstLineHasNoTabIsText) {
    const std::string menu = "iWelcome\t\tnull.host\t1\r\n0Doc\t/doc\thost\t70\r\n.\r\n";
    const std::string not_found = "Error: File or directory not found!\r\n";
    // The TAB is looked for in the first 1023 bytes of the first line only.
    const std::string long_first_line = "1" + std::string(1100, 'x') + "\t/sel\thost\t70\r\n";
    const std::string tab_on_line_two = "Not found\r\nA\tB\r\n";
    const struct {
        char type;
        std::string content;
        bool menu;
    } cases[] = {
        {'1', menu, true},
        {'7', menu, true},
        {'\0', menu, true},
        {'1', not_found, false},
        {'7', not_found, false},
        {'\0', not_found, false},
        {'1', "", false},
        {'1', long_first_line, false},
        {'1', tab_on_line_two, false},
        // Other types are never menus, whatever they hold.
        {'0', menu, false},
        {'9', menu, false},
        {'h', menu, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(content_is_menu(c.type, c.content.c_str()), c.menu)
            << "type " << c.type << ", " << ::testing::PrintToString(c.content.substr(0, 40));
    }
    EXPECT_FALSE(content_is_menu('1', nullptr)) << "nothing yet";
}

} // namespace
