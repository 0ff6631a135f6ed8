// Where the bookmarks file lives, for every way the two variables can be set.
#include "nav/bookmarks_path.hpp"

#include <gtest/gtest.h>

namespace {

TEST(BookmarksPath, FollowsXdgDataHomeElseHome) {
    struct Case {
        const char* xdg;
        const char* home;
        const char* path; // empty: no path
    };
    const Case cases[] = {
        {"/data", "/home/ann", "/data/kesmor/bookmarks"},
        {"/data/", "/home/ann", "/data/kesmor/bookmarks"},
        {"/data", nullptr, "/data/kesmor/bookmarks"},
        {nullptr, "/home/ann", "/home/ann/.local/share/kesmor/bookmarks"},
        {"", "/home/ann", "/home/ann/.local/share/kesmor/bookmarks"},
        {"data", "/home/ann", "/home/ann/.local/share/kesmor/bookmarks"},
        {"~/data", "/home/ann/", "/home/ann/.local/share/kesmor/bookmarks"},
        {"/", "/home/ann", "/kesmor/bookmarks"},
        {nullptr, "/", "/.local/share/kesmor/bookmarks"},
        {nullptr, nullptr, ""},
        {"", "", ""},
        {"data", "home/ann", ""},
    };
    for (const Case& c : cases) {
        const BookmarksPath got = bookmarks_path(c.xdg, c.home);
        const std::string label = std::string("XDG_DATA_HOME=") + (c.xdg ? c.xdg : "(unset)") +
                                  " HOME=" + (c.home ? c.home : "(unset)");
        EXPECT_EQ(got.path, c.path) << label;
        if (got.path.empty()) {
            EXPECT_EQ(got.reason, "Neither XDG_DATA_HOME nor HOME is set") << label;
        } else {
            EXPECT_EQ(got.reason, "") << label;
        }
    }
}

} // namespace
