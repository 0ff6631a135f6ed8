// Where a name typed in the save prompt saves to.
#include "nav/save_path.hpp"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <string>

namespace {

TEST(SavePath, HomeAndFolders) {
    const struct {
        const char* typed;
        const char* home;
        bool folder;
        const char* path;
    } cases[] = {
        {"~/file", "/home/ann", false, "/home/ann/file"},
        {"~/file", "/home/ann/", false, "/home/ann/file"},
        {"~/", "/home/ann", true, "/home/ann/page.txt"},
        {"~", "/home/ann", true, "/home/ann/page.txt"},
        {"~", "/", true, "/page.txt"},
        {"~/a/b", "/", false, "/a/b"},
        {"~bob/file", "/home/ann", false, "~bob/file"}, // another user's home is not looked up
        {"a~/file", "/home/ann", false, "a~/file"},
        {"~/file", "", false, "~/file"}, // no home known
        {"Downloads/", "/home/ann", true, "Downloads/page.txt"},
        {"Downloads", "/home/ann", true, "Downloads/page.txt"},
        {"Downloads//", "/home/ann", true, "Downloads/page.txt"},
        {"/", "/home/ann", true, "/page.txt"},
        {"notes.txt", "/home/ann", false, "notes.txt"},
        {"new/", "/home/ann", false, "new/"}, // not a folder: refused later as one
    };
    for (const auto& c : cases) {
        EXPECT_EQ(save_path(c.typed, "page.txt", c.home, c.folder), c.path)
            << "typed=" << c.typed << " home=" << c.home;
    }
    EXPECT_EQ(expand_home("~/x", "/h"), "/h/x");
}

TEST(SavePath, FoldersAreSeenThroughLinks) {
    std::string pattern = "/tmp/kesmor-path-XXXXXX";
    ASSERT_NE(mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
    const std::filesystem::path dir = pattern;
    std::filesystem::create_directory(dir / "sub");
    std::filesystem::create_directory_symlink(dir / "sub", dir / "link");
    std::ofstream(dir / "file") << "x";
    EXPECT_TRUE(is_existing_folder(dir / "sub"));
    EXPECT_TRUE(is_existing_folder((dir / "sub").string() + "/"));
    EXPECT_TRUE(is_existing_folder(dir / "link"));
    EXPECT_FALSE(is_existing_folder(dir / "file"));
    EXPECT_FALSE(is_existing_folder(dir / "none"));
    EXPECT_FALSE(is_existing_folder(""));
    std::filesystem::remove_all(dir);
}

} // namespace
