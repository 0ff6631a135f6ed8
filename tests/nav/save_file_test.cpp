// Saving an item to a file: nothing replaced, nothing left behind.
#include "nav/save_file.hpp"

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <set>
#include <string>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "ui/status_line.hpp"

namespace {

namespace fs = std::filesystem;

// A fresh directory under /tmp, the current directory while the test runs, so that relative
// names land in it; removed with all it holds afterwards.
struct SaveDir : testing::Test {
    std::string dir;
    fs::path old_cwd;

    void SetUp() override {
        std::string pattern = "/tmp/kesmor-save-XXXXXX";
        ASSERT_NE(mkdtemp(pattern.data()), nullptr) << std::strerror(errno);
        dir = pattern;
        old_cwd = fs::current_path();
        fs::current_path(dir);
    }
    void TearDown() override {
        fs::current_path(old_cwd);
        std::error_code ignored;
        fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
        fs::remove_all(dir, ignored);
    }

    std::set<std::string> entries() const {
        std::set<std::string> names;
        for (const auto& entry : fs::recursive_directory_iterator(dir)) {
            names.insert(fs::relative(entry.path(), dir).string());
        }
        return names;
    }
};

std::string read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

TEST_F(SaveDir, SavesByteForByte) {
    std::string bytes;
    for (int i = 0; i < 256; ++i) {
        bytes += static_cast<char>(i);
    }
    bytes += std::string(3 << 20, 'z');
    fs::create_directory(dir + "/sub");
    for (const std::string& name : {std::string("pack.tar"), dir + "/sub/pack.tar"}) {
        SaveFile save;
        const SaveResult started = save_start(name, &save);
        ASSERT_EQ(started.status, SaveStatus::ok) << started.message;
        EXPECT_EQ(started.message, "");
        // Pieces of every size, as they come from the network.
        for (std::size_t at = 0, piece = 1; at < bytes.size(); at += piece, piece *= 3) {
            const SaveResult wrote = save_write(&save, std::string_view(bytes).substr(at, piece));
            ASSERT_EQ(wrote.status, SaveStatus::ok) << wrote.message;
        }
        EXPECT_EQ(save.written, bytes.size());
        const SaveResult finished = save_finish(&save);
        ASSERT_EQ(finished.status, SaveStatus::ok) << finished.message;
        EXPECT_TRUE(read_file(name) == bytes) << name;
    }
    EXPECT_EQ(entries(), (std::set<std::string>{"pack.tar", "sub", "sub/pack.tar"}));

    SaveFile empty;
    ASSERT_EQ(save_start("empty", &empty).status, SaveStatus::ok);
    ASSERT_EQ(save_finish(&empty).status, SaveStatus::ok);
    EXPECT_EQ(read_file("empty"), "");
}

TEST_F(SaveDir, AnythingAtTheNameIsRefusedAndKept) {
    write_file("file", "old");
    fs::create_directory("folder");
    fs::create_symlink("nowhere", "dangling");
    for (const char* name : {"file", "folder", "dangling", "folder/"}) {
        SaveFile save;
        const SaveResult started = save_start(name, &save);
        EXPECT_EQ(started.status, SaveStatus::exists) << name;
        EXPECT_EQ(started.message, std::string("Error: ") + name + " exists.");
        EXPECT_EQ(save.fd, -1) << name;
    }
    EXPECT_EQ(read_file("file"), "old");
    EXPECT_EQ(entries(), (std::set<std::string>{"file", "folder", "dangling"}));
}

TEST_F(SaveDir, FailuresGiveTheSystemsReasonAndLeaveNothing) {
    write_file("plain", "x");
    const struct {
        std::string name;
        std::string message;
    } cases[] = {
        {"missing/x", "Error: No such file or directory"},
        {dir + "/missing/x", "Error: No such file or directory"},
        {"plain/x", "Error: Not a directory"},
        {std::string(256, 'n'), "Error: File name too long"},
        {"", "Error: No such file or directory"},
        {"new/", "Error: Is a directory"},
    };
    for (const auto& c : cases) {
        SaveFile save;
        const SaveResult started = save_start(c.name, &save);
        EXPECT_EQ(started.status, SaveStatus::failed) << c.name;
        EXPECT_EQ(started.message, c.message) << c.name;
        EXPECT_EQ(save_write(&save, "data").status, SaveStatus::failed) << c.name;
        EXPECT_EQ(save_finish(&save).status, SaveStatus::failed) << c.name;
    }
    EXPECT_EQ(entries(), (std::set<std::string>{"plain"}));
}

TEST_F(SaveDir, ANameOf255BytesGetsATemporaryNameThatFits) {
    const std::string name(255, 'n');
    SaveFile save;
    ASSERT_EQ(save_start(name, &save).status, SaveStatus::ok);
    EXPECT_LE(fs::path(save.temp_path).filename().string().size(), 255U);
    ASSERT_EQ(save_write(&save, "x").status, SaveStatus::ok);
    ASSERT_EQ(save_finish(&save).status, SaveStatus::ok);
    EXPECT_EQ(entries(), (std::set<std::string>{name}));
}

// Exits 0 when a save into a read-only directory fails with the system's reason.
[[noreturn]] void save_into_locked() {
    SaveFile save;
    const SaveResult started = save_start("locked/x", &save);
    std::_Exit(started.status == SaveStatus::failed && started.message == "Error: Permission denied"
                   ? 0
                   : 1);
}

TEST_F(SaveDir, NoPermissionGivesTheReason) {
    fs::create_directory("locked");
    fs::permissions("locked", fs::perms::owner_read | fs::perms::owner_exec |
                                  fs::perms::others_read | fs::perms::others_exec);
    if (geteuid() != 0) {
        EXPECT_EXIT(save_into_locked(), testing::ExitedWithCode(0), "");
    } else {
        // Root writes whatever the permissions: a child process steps down to nobody, who
        // may look into the directories but write in none.
        fs::permissions(dir, fs::perms::others_read | fs::perms::others_exec,
                        fs::perm_options::add);
        EXPECT_EXIT(
            {
                if (setgid(65534) != 0 || setuid(65534) != 0) {
                    std::_Exit(2);
                }
                save_into_locked();
            },
            testing::ExitedWithCode(0), "");
    }
    fs::permissions("locked", fs::perms::owner_all);
    EXPECT_EQ(entries(), (std::set<std::string>{"locked"}));
}

TEST_F(SaveDir, CancelOrTheEndOfTheRecordLeavesNothing) {
    {
        SaveFile save;
        ASSERT_EQ(save_start("cancelled", &save).status, SaveStatus::ok);
        ASSERT_EQ(save_write(&save, "part").status, SaveStatus::ok);
        EXPECT_EQ(entries().size(), 1U) << "the temporary file";
        save_cancel(&save);
        EXPECT_EQ(entries().size(), 0U);
        save_cancel(&save);
        EXPECT_EQ(save_finish(&save).status, SaveStatus::failed);
        EXPECT_FALSE(fs::exists("cancelled"));
    }
    {
        SaveFile save;
        ASSERT_EQ(save_start("dropped", &save).status, SaveStatus::ok);
        ASSERT_EQ(save_write(&save, "part").status, SaveStatus::ok);
    }
    EXPECT_EQ(entries().size(), 0U);

    // A moved record carries the save; the one moved from owns nothing.
    SaveFile kept;
    {
        SaveFile first;
        ASSERT_EQ(save_start("moved", &first).status, SaveStatus::ok);
        ASSERT_EQ(save_write(&first, "one ").status, SaveStatus::ok);
        SaveFile second(std::move(first));
        kept = std::move(second);
    }
    EXPECT_EQ(entries().size(), 1U);
    ASSERT_EQ(save_write(&kept, "two").status, SaveStatus::ok);
    // A new start drops the save in the record.
    SaveFile replaced;
    ASSERT_EQ(save_start("other", &replaced).status, SaveStatus::ok);
    replaced = std::move(kept);
    EXPECT_EQ(entries().size(), 1U);
    ASSERT_EQ(save_finish(&replaced).status, SaveStatus::ok);
    EXPECT_EQ(read_file("moved"), "one two");
    EXPECT_EQ(entries(), (std::set<std::string>{"moved"}));
}

TEST_F(SaveDir, AFileThatAppearsBeforeTheFinishIsNotReplaced) {
    SaveFile save;
    ASSERT_EQ(save_start("late", &save).status, SaveStatus::ok);
    ASSERT_EQ(save_write(&save, "new").status, SaveStatus::ok);
    write_file("late", "old");
    const SaveResult finished = save_finish(&save);
    EXPECT_EQ(finished.status, SaveStatus::exists);
    EXPECT_EQ(finished.message, "Error: late exists.");
    EXPECT_EQ(read_file("late"), "old");
    EXPECT_EQ(entries(), (std::set<std::string>{"late"}));
}

TEST_F(SaveDir, TheLinkFallbackNeverReplacesEither) {
    write_file("temp", "new");
    write_file("there", "old");
    EXPECT_EQ(link_into_place("temp", "there"), EEXIST);
    EXPECT_EQ(read_file("there"), "old");
    EXPECT_EQ(read_file("temp"), "new");
    EXPECT_EQ(link_into_place("temp", "free"), 0);
    EXPECT_EQ(read_file("free"), "new");
    EXPECT_EQ(entries(), (std::set<std::string>{"there", "free"}));
}

TEST_F(SaveDir, TheFilesModeHonoursTheUmask) {
    for (const mode_t mask : {022, 077, 002, 0}) {
        const mode_t old_mask = umask(mask);
        SaveFile save;
        const std::string name = "mode" + std::to_string(mask);
        const SaveResult started = save_start(name, &save);
        umask(old_mask);
        ASSERT_EQ(started.status, SaveStatus::ok);
        struct stat temp {};
        ASSERT_EQ(stat(save.temp_path.c_str(), &temp), 0);
        EXPECT_EQ(temp.st_mode & 0777, 0666 & ~mask) << "umask=" << mask;
        ASSERT_EQ(save_finish(&save).status, SaveStatus::ok);
        struct stat saved {};
        ASSERT_EQ(stat(name.c_str(), &saved), 0);
        EXPECT_EQ(saved.st_mode & 0777, 0666 & ~mask) << "umask=" << mask;
    }
}

// A file size limit makes the disk "full" partway through a write, with no special file
// system: the write is short, then fails.
TEST_F(SaveDir, AWriteThatFailsRemovesTheTemporaryFile) {
    rlimit old_limit{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old_limit), 0);
    rlimit small = old_limit;
    small.rlim_cur = 4096;
    // Without a handler the signal would end the test binary instead of failing the write.
    const auto old_handler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    SaveFile save;
    const SaveResult started = save_start("big", &save);
    const SaveResult wrote = save_write(&save, std::string(10000, 'b'));
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &old_limit), 0);
    std::signal(SIGXFSZ, old_handler);
    ASSERT_EQ(started.status, SaveStatus::ok);
    EXPECT_EQ(wrote.status, SaveStatus::failed);
    EXPECT_EQ(wrote.message, "Error: File too large");
    EXPECT_EQ(save.written, 4096U) << "the short write counted";
    EXPECT_EQ(entries().size(), 0U);
    EXPECT_EQ(save_write(&save, "more").status, SaveStatus::failed);
    EXPECT_EQ(save_finish(&save).status, SaveStatus::failed);
    EXPECT_EQ(entries().size(), 0U);
}

TEST(SaveSizeText, KilobytesThenTenthsOfMegabytes) {
    constexpr std::uint64_t kib = 1024;
    constexpr std::uint64_t mib = kib * kib;
    const struct {
        std::uint64_t bytes;
        const char* text;
    } cases[] = {
        {0, "0 KB"},
        {1023, "0 KB"},
        {1024, "1 KB"},
        {10 * mib - 1, "10239 KB"},
        {10 * mib, "10.0 MB"},
        {10 * mib + mib / 10 - 1, "10.0 MB"},
        {10 * mib + mib / 10 + 1, "10.1 MB"},
        {256 * mib, "256.0 MB"},
        {5 * kib * mib * kib, "5242880.0 MB"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(save_size_text(c.bytes), c.text) << "bytes=" << c.bytes;
    }
    // The same figures as the progress of a fetch.
    for (const std::uint64_t bytes : {0UL, 5000UL, 10 * mib - 1, 10 * mib, 123456789UL}) {
        EXPECT_EQ("Receiving... " + save_size_text(bytes), receiving_text(bytes))
            << "bytes=" << bytes;
    }
}

TEST(SavedText, BytesUnderOneKilobyteAndTheIncompletePage) {
    const struct {
        std::uint64_t bytes;
        bool incomplete;
        const char* text;
    } cases[] = {
        {86, false, "Saved 86 bytes to latin1."},
        {1, false, "Saved 1 byte to latin1."},
        {0, false, "Saved 0 bytes to latin1."},
        {1023, false, "Saved 1023 bytes to latin1."},
        {1024, false, "Saved 1 KB to latin1."},
        {20ULL * 1024 * 1024, false, "Saved 20.0 MB to latin1."},
        {5000, true, "Saved 4 KB to latin1 (incomplete page)."},
        {2, true, "Saved 2 bytes to latin1 (incomplete page)."},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(saved_text(c.bytes, "latin1", c.incomplete), c.text) << "bytes=" << c.bytes;
    }
}

} // namespace
