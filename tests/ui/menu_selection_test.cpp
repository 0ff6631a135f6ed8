// Colours of menu rows.
#include "ui/menu_selection.hpp"

#include <gtest/gtest.h>

#include "ui/looks.hpp"

namespace {

TEST(MenuSelection, ColourFollowsTypeUnlessHighlighted) {
    const struct {
        char type;
        Attr color;
    } cases[] = {
        {'0', look::bold_yellow},
        {'1', look::bold_green},
        {'2', look::bold_cyan},
        {'h', look::bold_cyan},
        {'3', look::bold_red},
        {'4', look::bold_magenta},
        {'5', look::bold_magenta},
        {'6', look::bold_magenta},
        {'9', look::bold_magenta},
        {'g', look::bold_magenta},
        {'7', look::bold_blue},
        {'8', look::bold_white},
        {'i', look::grey},
        {'I', look::bold_bright_red},
        {'+', look::bold_bright_red},
        {'\0', look::bold_bright_red},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(type_color(c.type, 0), c.color) << "case=" << c.type;
        EXPECT_EQ(type_color(c.type, 1), look::selection) << "case=" << c.type;
    }
}

} // namespace
