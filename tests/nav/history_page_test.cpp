// The history page: the pages of the run as a menu, the one on screen marked.
#include "nav/history_page.hpp"

#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "gopher/menu.hpp"

namespace {

TEST(HistoryPage, ListsEachPageAsALinkNewestFirst) {
    const std::vector<HistoryEntry> entries = {
        {'0', "/ahead.txt", "example.org", 70, "Read ahead", false, true},
        {'1', "/dir", "example.org", 7070, "A folder", true, true},
        {'1', "", "bookmarks", 0, "", false, false},
        {'1', "", "example.org", 70, "", false, true},
        {'\0', "", "[::1]", 70, "", false, true},
        {'7', "/find\tcats", "example.org", 70, "Find", false, true},
    };
    EXPECT_EQ(history_menu(entries),
              "0Read ahead\t/ahead.txt\texample.org\t70\r\n"
              "1A folder (here)\t/dir\texample.org\t7070\r\n"
              // A typed address shows its URL.
              "1gopher://example.org:70/1\t\texample.org\t70\r\n"
              "1gopher://[::1]:70/\t\t[::1]\t70\r\n"
              // The query of a search cannot stand in a selector field of its own.
              "hFind\tURL:gopher://example.org:70/7/find%09cats\texample.org\t70\r\n");
}

TEST(HistoryPage, TheMarkSurvivesALongDisplayString) {
    const std::string long_name(2000, 'x');
    const HistoryEntry here{'1', "/", "example.org", 70, long_name, true, true};
    const std::string menu = history_menu({&here, 1});
    MenuItem item{};
    ASSERT_EQ(parse_menu_line(std::string_view(menu).substr(0, menu.size() - 1), 0, &item, "", 0),
              1);
    const std::string_view display = menu_item_display(item, menu.c_str());
    EXPECT_EQ(display.size(), 1023U);
    EXPECT_TRUE(display.ends_with("x (here)"));
}

TEST(HistoryPage, NothingToListIsSaid) {
    const HistoryEntry bookmarks{'1', "", "", 0, "", true, false};
    for (const std::span<const HistoryEntry> entries :
         {std::span<const HistoryEntry>{}, std::span<const HistoryEntry>{&bookmarks, 1}}) {
        EXPECT_EQ(history_menu(entries), "iNo pages visited yet.\t\tnull.host\t1\r\n");
    }
}

} // namespace
