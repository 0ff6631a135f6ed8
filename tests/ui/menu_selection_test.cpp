// Colours of menu rows.
#include "ui/menu_selection.hpp"

#include <gtest/gtest.h>

#include "term/sequences.hpp"

namespace {

TEST(MenuSelection, ColourFollowsTypeUnlessHighlighted) {
    const struct {
        char type;
        const char* color;
    } cases[] = {
        {'0', seq::bold_yellow},
        {'1', seq::bold_green},
        {'2', seq::bold_cyan},
        {'h', seq::bold_cyan},
        {'3', seq::bold_red},
        {'4', seq::bold_magenta},
        {'5', seq::bold_magenta},
        {'6', seq::bold_magenta},
        {'9', seq::bold_magenta},
        {'g', seq::bold_magenta},
        {'7', seq::bold_blue},
        {'8', seq::bold_white},
        {'i', seq::grey},
        {'I', seq::bold_bright_red},
        {'+', seq::bold_bright_red},
        {'\0', seq::bold_bright_red},
    };
    for (const auto& c : cases) {
        EXPECT_STREQ(type_color(c.type, 0), c.color) << "case=" << c.type;
        EXPECT_STREQ(type_color(c.type, 1), seq::selection) << "case=" << c.type;
    }
}

} // namespace
