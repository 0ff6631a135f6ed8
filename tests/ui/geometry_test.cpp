// Where things go on the screen.
#include "ui/geometry.hpp"

#include <gtest/gtest.h>
#include <utility>

#include "ui/about.hpp"

namespace {

TEST(Geometry, ContentStartsOneRightOfTheBandOnWideWindows) {
    const struct {
        int cols, bar, content;
    } cases[] = {{0, 1, 1},  {40, 1, 1}, {79, 1, 1},   {80, 1, 2},
                 {82, 2, 3}, {83, 2, 3}, {100, 11, 12}};
    for (const auto& c : cases) {
        EXPECT_EQ(bar_column(c.cols), c.bar) << "cols=" << c.cols;
        EXPECT_EQ(content_column(c.cols), c.content) << "cols=" << c.cols;
    }
}

TEST(Geometry, ViewsUseTheRowsBetweenHeaderAndBottomRow) {
    const struct {
        int rows, menu_page, text_rows;
    } cases[] = {{0, 0, 1}, {4, 0, 1}, {5, 1, 1}, {24, 20, 20}};
    for (const auto& c : cases) {
        EXPECT_EQ(content_rows(c.rows), c.menu_page) << "rows=" << c.rows;
        EXPECT_EQ(text_visible_rows(c.rows), c.text_rows) << "rows=" << c.rows;
    }
}

TEST(Geometry, PromptInputFollowsItsLabel) {
    const struct {
        int cols, label, search, address;
    } cases[] = {{80, 1, 15, 11}, {100, 11, 25, 21}, {0, 1, 15, 11}};
    for (const auto& c : cases) {
        EXPECT_EQ(prompt_label_column(c.cols), c.label) << "cols=" << c.cols;
        for (const auto& [kind, input] :
             {std::pair{PromptKind::search, c.search}, std::pair{PromptKind::address, c.address}}) {
            EXPECT_EQ(prompt_label_column(c.cols) + static_cast<int>(prompt_label(kind).size()),
                      input)
                << "cols=" << c.cols;
        }
    }
}

TEST(Geometry, AboutBlockIsCentredButNeverAboveRowThree) {
    const struct {
        int rows, cols, lines, title, row, col;
    } cases[] = {
        {24, 80, 15, 34, 4, 27}, {25, 80, 15, 34, 5, 27}, {23, 80, 15, 34, 4, 27},
        {22, 80, 15, 34, 3, 27}, {20, 80, 15, 34, 3, 27}, {0, 0, 15, 1, 3, 1},
        {24, 26, 15, 7, 4, 1},   {28, 80, 20, 34, 4, 27}, {30, 80, 20, 34, 5, 27},
        {24, 80, 20, 34, 3, 27},
    };
    ASSERT_EQ(about_line_count(), 20);
    for (const auto& c : cases) {
        const AboutGeometry g = about_geometry(c.rows, c.cols, c.lines, 25);
        EXPECT_EQ(g.title_col, c.title) << "rows=" << c.rows << " cols=" << c.cols;
        EXPECT_EQ(g.row, c.row) << "rows=" << c.rows << " cols=" << c.cols;
        EXPECT_EQ(g.col, c.col) << "rows=" << c.rows << " cols=" << c.cols;
    }
}

} // namespace
