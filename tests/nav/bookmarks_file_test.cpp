// The bookmarks file on disk: reading it, adding to it and removing from it, every other byte
// kept and every failure leaving it as it was.
#include "nav/bookmarks_file.hpp"

#include <csignal>
#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "nav/bookmarks_path.hpp"
#include "support/child_process.hpp"
#include "support/scratch_dir.hpp"

namespace {

namespace fs = std::filesystem;

Bookmark place(std::string display, std::string selector, char type = '1') {
    return {type, std::move(display), std::move(selector), "example.org", 70};
}

// A scratch XDG_DATA_HOME; the file is not there until a test makes it.
struct BookmarksDir : testing::Test {
    ScratchDir scratch;
    std::string data = scratch.file("data");
    std::string path = bookmarks_path(data.c_str(), nullptr).path;
    std::string folder = data + "/kesmor";

    void TearDown() override {
        std::error_code ignored;
        fs::permissions(scratch.path, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(data, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::permissions(folder, fs::perms::owner_all, fs::perm_options::add, ignored);
    }

    void make_file(const std::string& bytes) const {
        fs::create_directories(folder);
        write_file(path, bytes);
    }
    [[nodiscard]] std::string file_bytes() const { return read_file(path).value_or("(none)"); }
    // What the folder holds: a temporary file left behind would show.
    [[nodiscard]] std::vector<std::string> folder_entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(folder)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
    // The spot of the first line holding `text`, as the bookmarks page would give it.
    [[nodiscard]] LineSpot spot_of(const std::string& bytes, const std::string& text) const {
        return line_spot(bytes, bytes.find(text));
    }
};

mode_t mode_of(const std::string& path) {
    struct stat info {};
    EXPECT_EQ(stat(path.c_str(), &info), 0) << path;
    return info.st_mode & 07777U;
}

// A file a person edited: comments, information lines, blank lines, both line ends, and a last
// line without its end.
const std::string hand_edited = "# My places\n"
                                "iThe best of the week\t\tnull.host\t1\r\n"
                                "\n"
                                "1Floodgap\t/\tgopher.floodgap.com\t70\r\n"
                                "0Notes\t/notes.txt\texample.org\t70\n"
                                "\r\n"
                                "some text of mine\n"
                                "1Last\t/last\texample.org\t70";

TEST_F(BookmarksDir, AMissingFileReadsEmptyAndThePageSaysHowToKeepOne) {
    const BookmarksRead read = read_bookmarks(path);
    EXPECT_EQ(read.bytes, "");
    EXPECT_FALSE(read.cut);
    EXPECT_EQ(read_message(read), "");
    EXPECT_EQ(bookmarks_page_content(read.bytes),
              "iNo bookmarks yet. Press m on a page or a link to keep it.\t\tnull.host\t1\r\n");
    EXPECT_FALSE(fs::exists(data)) << "reading makes nothing";
    make_file(hand_edited);
    EXPECT_EQ(read_bookmarks(path).bytes, hand_edited);
    EXPECT_EQ(bookmarks_page_content(hand_edited), hand_edited);
}

TEST_F(BookmarksDir, ReadsTheFirstMebibyteOfALargeFileAndSaysItWasCut) {
    std::string big;
    while (big.size() < 2 * bookmarks_read_max) {
        big += "1Place " + std::to_string(big.size()) + "\t/p\texample.org\t70\r\n";
    }
    make_file(big);
    const BookmarksRead read = read_bookmarks(path);
    EXPECT_TRUE(read.cut);
    EXPECT_EQ(read.bytes, big.substr(0, bookmarks_read_max));
    make_file(big.substr(0, bookmarks_read_max));
    EXPECT_FALSE(read_bookmarks(path).cut) << "exactly the bound is whole";
}

TEST_F(BookmarksDir, ANonFileAtThePathIsAnErrorWithItsReason) {
    fs::create_directories(path);
    EXPECT_EQ(read_message(read_bookmarks(path)),
              "Error: Cannot read the bookmarks: Is a directory.");
    EXPECT_EQ(add_message(add_bookmark(path, place("x", "/x")), "x"),
              "Error: Cannot keep the bookmark: Is a directory.");
    fs::remove(path);
    // A FIFO would block a plain open for ever.
    ASSERT_EQ(mkfifo(path.c_str(), 0600), 0);
    EXPECT_EQ(read_message(read_bookmarks(path)),
              "Error: Cannot read the bookmarks: Not a regular file.");
    EXPECT_EQ(add_bookmark(path, place("x", "/x")).reason, "Not a regular file");
}

TEST_F(BookmarksDir, TheFirstBookmarkMakesTheFoldersAndTheFile) {
    const mode_t old_mask = umask(027);
    const AddResult added = add_bookmark(path, place("Home", "/"));
    umask(old_mask);
    ASSERT_EQ(added.status, AddStatus::added) << added.reason;
    EXPECT_EQ(add_message(added, "Home"), "Bookmarked: Home");
    EXPECT_EQ(file_bytes(), "1Home\t/\texample.org\t70\r\n");
    EXPECT_EQ(mode_of(data), 0700U);
    EXPECT_EQ(mode_of(folder), 0700U);
    EXPECT_EQ(mode_of(path), 0640U) << "0666 less the umask";
    EXPECT_EQ(mode_of(scratch.path), 0700U) << "a folder that was there keeps its mode";
}

TEST_F(BookmarksDir, TheSamePlaceIsKeptOnce) {
    make_file(hand_edited);
    // The same place under another name, in a line a person wrote.
    const AddResult again = add_bookmark(path, place("Notes again", "/notes.txt", '0'));
    EXPECT_EQ(again.status, AddStatus::already);
    EXPECT_EQ(add_message(again, "Notes again"), "Already bookmarked.");
    EXPECT_EQ(add_bookmark(path, place("Last", "/last")).status, AddStatus::already)
        << "the last line, without its end";
    EXPECT_EQ(file_bytes(), hand_edited);
    // Another type is another place; the last line gets its end before the new one.
    ASSERT_EQ(add_bookmark(path, place("Notes", "/notes.txt", '1')).status, AddStatus::added);
    EXPECT_EQ(file_bytes(), hand_edited + "\r\n1Notes\t/notes.txt\texample.org\t70\r\n");
}

TEST_F(BookmarksDir, AnAddressThatWouldBreakTheLineIsRefused) {
    const AddResult refused = add_bookmark(path, place("x", "/a\tb"));
    EXPECT_EQ(add_message(refused, "x"),
              "Error: Cannot keep the bookmark: Its address holds a TAB or a line break.");
    EXPECT_FALSE(fs::exists(data));
}

TEST_F(BookmarksDir, NoHomeGivesTheReason) {
    const BookmarksPath none = bookmarks_path(nullptr, nullptr);
    EXPECT_EQ(add_message({AddStatus::failed, none.reason}, "x"),
              "Error: Cannot keep the bookmark: Neither XDG_DATA_HOME nor HOME is set.");
}

// Runs body as a user who cannot write into the scratch folder's locked parts: root writes
// whatever the permissions, so a child steps down to nobody first. The child's exit status.
template <typename Body> int without_write_permission(const std::string& scratch, Body body) {
    fs::permissions(scratch, fs::perms::others_read | fs::perms::others_exec,
                    fs::perm_options::add);
    return wait_child(start_child([&] {
        if (geteuid() == 0 && (setgid(65534) != 0 || setuid(65534) != 0)) {
            return 2;
        }
        return body();
    }));
}

TEST_F(BookmarksDir, AReadOnlyFolderKeepsNothingAndChangesNothing) {
    // No folder can be made.
    fs::create_directories(data);
    fs::permissions(data, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                              fs::perms::others_exec);
    EXPECT_EQ(without_write_permission(scratch.path,
                                       [&] {
                                           const AddResult got =
                                               add_bookmark(path, place("x", "/x"));
                                           return got.status == AddStatus::failed &&
                                                          add_message(got, "x") ==
                                                              "Error: Cannot keep the bookmark: "
                                                              "Permission denied."
                                                      ? 0
                                                      : 1;
                                       }),
              0);
    EXPECT_FALSE(fs::exists(folder));

    // A file that is there but cannot be written; then one that can, in a folder where no
    // temporary file can go.
    fs::permissions(data, fs::perms::owner_all);
    make_file(hand_edited);
    fs::permissions(folder, fs::perms::owner_read | fs::perms::owner_exec | fs::perms::others_read |
                                fs::perms::others_exec);
    fs::permissions(data, fs::perms::others_read | fs::perms::others_exec, fs::perm_options::add);
    for (const fs::perms file_mode : {fs::perms::owner_read | fs::perms::others_read,
                                      fs::perms::owner_read | fs::perms::owner_write |
                                          fs::perms::others_read | fs::perms::others_write}) {
        fs::permissions(path, file_mode);
        const bool file_writable = (file_mode & fs::perms::others_write) != fs::perms::none;
        EXPECT_EQ(without_write_permission(
                      scratch.path,
                      [&] {
                          const std::string bytes = read_bookmarks(path).bytes;
                          const RemoveResult removed =
                              remove_bookmark(path, line_spot(bytes, bytes.find("1Floodgap")));
                          const bool add_refused =
                              file_writable ||
                              add_bookmark(path, place("x", "/x")).reason == "Permission denied";
                          return add_refused && remove_message(removed, "Floodgap") ==
                                                    "Error: Cannot remove the bookmark: Permission "
                                                    "denied."
                                     ? 0
                                     : 1;
                      }),
                  0)
            << (file_writable ? "writable file" : "read-only file");
        EXPECT_EQ(file_bytes(), hand_edited);
        EXPECT_EQ(folder_entries(), std::vector<std::string>{"bookmarks"});
    }
}

TEST_F(BookmarksDir, AFullDiskLeavesNoPartOfALine) {
    make_file(hand_edited);
    // The file may grow by a few bytes only: the write stops inside the line.
    const int status = wait_child(start_child([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit small{hand_edited.size() + 10, hand_edited.size() + 10};
        if (setrlimit(RLIMIT_FSIZE, &small) != 0) {
            return 2;
        }
        const AddResult got = add_bookmark(path, place("A long display string", "/long"));
        return got.status == AddStatus::failed && !got.reason.empty() ? 0 : 1;
    }));
    EXPECT_EQ(status, 0);
    EXPECT_EQ(file_bytes(), hand_edited);
}

TEST_F(BookmarksDir, RemovalTakesOnlyItsLineOfAHandEditedFile) {
    struct Case {
        std::string line; // the start of the line removed
        std::string left;
    };
    const Case cases[] = {
        {"1Floodgap", "# My places\n"
                      "iThe best of the week\t\tnull.host\t1\r\n"
                      "\n"
                      "0Notes\t/notes.txt\texample.org\t70\n"
                      "\r\n"
                      "some text of mine\n"
                      "1Last\t/last\texample.org\t70"},
        {"0Notes", "# My places\n"
                   "iThe best of the week\t\tnull.host\t1\r\n"
                   "\n"
                   "1Floodgap\t/\tgopher.floodgap.com\t70\r\n"
                   "\r\n"
                   "some text of mine\n"
                   "1Last\t/last\texample.org\t70"},
        {"1Last", "# My places\n"
                  "iThe best of the week\t\tnull.host\t1\r\n"
                  "\n"
                  "1Floodgap\t/\tgopher.floodgap.com\t70\r\n"
                  "0Notes\t/notes.txt\texample.org\t70\n"
                  "\r\n"
                  "some text of mine\n"},
    };
    for (const Case& c : cases) {
        make_file(hand_edited);
        fs::permissions(path, fs::perms::owner_read | fs::perms::owner_write);
        const std::string shown = read_bookmarks(path).bytes;
        const RemoveResult removed = remove_bookmark(path, spot_of(shown, c.line));
        ASSERT_EQ(removed.status, RemoveStatus::removed) << c.line << ": " << removed.reason;
        EXPECT_EQ(remove_message(removed, "Floodgap"), "Removed: Floodgap");
        EXPECT_EQ(file_bytes(), c.left) << c.line;
        EXPECT_EQ(mode_of(path), 0600U) << "the file keeps its mode";
        EXPECT_EQ(folder_entries(), std::vector<std::string>{"bookmarks"}) << "nothing left";
    }
}

TEST_F(BookmarksDir, ALineThatChangedIsNotRemoved) {
    make_file(hand_edited);
    const std::string shown = read_bookmarks(path).bytes;
    const LineSpot notes = spot_of(shown, "0Notes");
    struct Case {
        const char* what;
        std::string now;
    };
    const Case cases[] = {
        {"edited", std::string(hand_edited).replace(hand_edited.find("Notes"), 5, "Nites")},
        {"moved down", "# one more line\n" + hand_edited},
        {"removed", std::string(hand_edited).erase(notes.at, notes.line.size())},
        {"lost its end", hand_edited.substr(0, notes.at + notes.line.size() - 1)},
    };
    for (const Case& c : cases) {
        write_file(path, c.now);
        const RemoveResult removed = remove_bookmark(path, notes);
        EXPECT_EQ(remove_message(removed, "Notes"),
                  "Error: The bookmarks file changed; nothing removed.")
            << c.what;
        EXPECT_EQ(file_bytes(), c.now) << c.what;
    }
    fs::remove(path);
    EXPECT_EQ(remove_bookmark(path, notes).status, RemoveStatus::changed) << "no file";
    EXPECT_FALSE(fs::exists(path));
}

TEST_F(BookmarksDir, AFileOverAMebibyteIsNeverRewritten) {
    std::string big = hand_edited + "\n";
    while (big.size() <= bookmarks_read_max) {
        big += "1Place\t/p" + std::to_string(big.size()) + "\texample.org\t70\r\n";
    }
    make_file(big);
    const std::string shown = read_bookmarks(path).bytes;
    const RemoveResult removed = remove_bookmark(path, spot_of(shown, "1Floodgap"));
    EXPECT_EQ(remove_message(removed, "Floodgap"),
              "Error: The bookmarks file is too large to change here.");
    EXPECT_EQ(file_bytes(), big);
    // Adding still works: it only appends.
    EXPECT_EQ(add_bookmark(path, place("New", "/new")).status, AddStatus::added);
}

TEST_F(BookmarksDir, ASymbolicLinkStaysALink) {
    fs::create_directories(folder);
    const std::string kept = scratch.file("dotfiles-bookmarks");
    write_file(kept, hand_edited);
    fs::create_symlink(kept, path);
    const std::string shown = read_bookmarks(path).bytes;
    ASSERT_EQ(remove_bookmark(path, spot_of(shown, "1Floodgap")).status, RemoveStatus::removed);
    EXPECT_TRUE(fs::is_symlink(path));
    EXPECT_EQ(read_file(kept)->find("Floodgap"), std::string::npos);
    ASSERT_EQ(add_bookmark(path, place("New", "/new")).status, AddStatus::added);
    EXPECT_NE(read_file(kept)->find("1New"), std::string::npos);
}

} // namespace
