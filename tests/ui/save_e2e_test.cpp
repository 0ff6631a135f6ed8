// Saving seen through a terminal: the prompt and its proposed name, a download that runs while
// the user moves, the refusals and failures that leave nothing behind, and the page saved from
// memory. Every run saves into a scratch directory of its own.
#include <csignal>
#include <cstring>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <memory>
#include <string>
#include <vector>

#include "support/e2e_screen.hpp"
#include "support/gopher_fixture.hpp"
#include "support/pty_runner.hpp"
#include "support/scratch_dir.hpp"

using namespace e2e;

namespace {

const WindowSize& size = window_sizes[0];
const int bottom = size.rows;
constexpr Look red_look{colour::red, colour::none, true};

// Every byte value, in an order that repeats only every 251 bytes.
std::string binary(std::size_t length) {
    std::string bytes(length, '\0');
    for (std::size_t i = 0; i < length; ++i) {
        bytes[i] = static_cast<char>((i * 7 + i / 251) & 0xFF);
    }
    return bytes;
}

// The file's bytes against the server's, without printing a megabyte on failure.
::testing::AssertionResult holds(const ScratchDir& dir, const std::string& name,
                                 const std::string& wanted) {
    const std::optional<std::string> got = read_file(dir.file(name));
    if (!got) {
        return ::testing::AssertionFailure() << name << " is missing";
    }
    if (*got != wanted) {
        const auto differ = std::mismatch(got->begin(), got->end(), wanted.begin(), wanted.end());
        return ::testing::AssertionFailure()
               << name << " holds " << got->size() << " bytes, the server sent " << wanted.size()
               << "; first difference at " << (differ.first - got->begin());
    }
    return ::testing::AssertionSuccess();
}

struct SaveSite {
    ScratchDir dir;
    std::unique_ptr<GopherServer> server = start_gopher_server();

    std::string item(char type, std::string_view display, std::string_view selector) const {
        return menu_line(type, display, selector, "127.0.0.1", server->port);
    }
    // The program on the root menu, its first link marked on row `marked`.
    std::unique_ptr<PtyRun> start(const std::string& menu, std::string_view marked) const {
        serve(*server, "", Script{menu + ".\r\n"});
        PtyOptions options = options_for(size);
        options.working_dir = dir.path;
        auto run = start_program({address_of(*server)}, options);
        EXPECT_TRUE(wait_until(*run, [&] { return screen_contains(*run, marked); }))
            << screen_text(*run) << run->errors;
        return run;
    }
};

bool bottom_starts_with(PtyRun& run, std::string_view text) {
    return wait_until(run, [&] { return row_text(run, bottom).starts_with(text); });
}

void quit(PtyRun& run) {
    send_keys(run, "q");
    ASSERT_TRUE(wait_for_exit(run)) << describe_end(run);
    EXPECT_TRUE(exited_with(run, 0)) << describe_end(run) << run.errors;
}

} // namespace

TEST(SaveScreen, EnterOnABinaryItemProposesItsNameAndSavesItWhileTheUserMoves) {
    SaveSite site;
    const std::string photo = binary(std::size_t{200} * 1024);
    // About two seconds in all: long enough to move and press keys while it runs.
    serve(*site.server, "/pics/photo.jpg", Script{photo, Reply::in_pieces, 2048, 20});
    auto run = site.start(menu_line('i', "Pictures", "", "null.host", 1) +
                              site.item('I', "Photo", "/pics/photo.jpg") +
                              site.item('0', "Notes", "/notes"),
                          "->Photo");

    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: photo.jpg")) << screen_text(*run);
    EXPECT_EQ(request_count(*site.server), 1U) << "the prompt fetches nothing";
    send_keys(*run, "\r");
    ASSERT_TRUE(bottom_starts_with(*run, "Saving photo.jpg... ")) << screen_text(*run);

    // Keys act at once: the marker moves while the bytes still arrive.
    send_keys(*run, "\033[B");
    ASSERT_TRUE(wait_until(*run, [&] {
        return row_text(*run, 6) == at_column(size.content_col, "->Notes") &&
               row_text(*run, bottom).starts_with("Saving photo.jpg... ");
    })) << screen_text(*run);
    // One save at a time.
    send_keys(*run, "s");
    ASSERT_TRUE(wait_for_row(*run, bottom, "A save is running.")) << screen_text(*run);
    EXPECT_EQ(look_at(*run, bottom, 1), red_look);

    ASSERT_TRUE(wait_for_row(*run, bottom, "Saved 200 KB to photo.jpg.")) << screen_text(*run);
    EXPECT_EQ(look_at(*run, bottom, 1), plain_look);
    EXPECT_TRUE(holds(site.dir, "photo.jpg", photo));
    EXPECT_EQ(site.dir.entries(), std::vector<std::string>{"photo.jpg"});
    EXPECT_EQ(requests(*site.server), (std::vector<std::string>{"\r\n", "/pics/photo.jpg\r\n"}));
    send_keys(*run, "x");
    ASSERT_TRUE(wait_for_row(*run, bottom, "")) << "the note goes at the next key";
    quit(*run);
}

TEST(SaveScreen, AnExistingFileIsNeverReplaced) {
    SaveSite site;
    const std::string photo = binary(5000);
    serve(*site.server, "/photo.jpg", Script{photo});
    write_file(site.dir.file("photo.jpg"), "the user's own photo");
    auto run = site.start(site.item('I', "Photo", "/photo.jpg"), "->Photo");

    send_keys(*run, "\r\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Error: photo.jpg exists.")) << screen_text(*run);
    EXPECT_EQ(look_at(*run, bottom, 1), red_look);
    EXPECT_EQ(read_file(site.dir.file("photo.jpg")), "the user's own photo");
    EXPECT_EQ(request_count(*site.server), 1U);

    // The key only dismisses the error; the prompt is back with the name to change.
    send_keys(*run, "x");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: photo.jpg")) << screen_text(*run);
    send_keys(*run, "\x7f\x7f\x7fpng\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Saved 4 KB to photo.png.")) << screen_text(*run);
    EXPECT_TRUE(holds(site.dir, "photo.png", photo));
    EXPECT_EQ(read_file(site.dir.file("photo.jpg")), "the user's own photo");
    EXPECT_EQ(site.dir.entries(), (std::vector<std::string>{"photo.jpg", "photo.png"}));
    quit(*run);
}

// "~" is the home folder; a folder typed takes the proposed name inside it, where a file there
// is still never replaced.
TEST(SaveScreen, TildeIsTheHomeFolderAndAFolderTakesTheProposedName) {
    SaveSite site;
    const std::string photo = binary(5000);
    serve(*site.server, "/photo.jpg", Script{photo});
    const std::string home = site.dir.file("home");
    ASSERT_EQ(mkdir(home.c_str(), 0700), 0);
    ASSERT_EQ(mkdir(site.dir.file("Downloads").c_str(), 0700), 0);
    serve(*site.server, "", Script{site.item('I', "Photo", "/photo.jpg") + ".\r\n"});
    PtyOptions options = options_for(size);
    options.working_dir = site.dir.path;
    options.environment = {"HOME=" + home};
    auto run = start_program({address_of(*site.server)}, options);
    ASSERT_TRUE(wait_until(*run, [&] { return screen_contains(*run, "->Photo"); }))
        << screen_text(*run) << run->errors;

    const struct {
        const char* typed;
        std::string file; // in the scratch folder
        std::string note; // the path the note names
    } cases[] = {
        {"~/mine.jpg", "home/mine.jpg", home + "/mine.jpg"},
        {"~", "home/photo.jpg", home + "/photo.jpg"},
        {"Downloads/", "Downloads/photo.jpg", "Downloads/photo.jpg"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed);
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: photo.jpg")) << screen_text(*run);
        // Ctrl-U empties the line before the cursor: the proposed name.
        send_keys(*run, "\025" + std::string(c.typed) + "\r");
        ASSERT_TRUE(wait_for_row(*run, bottom, "Saved 4 KB to " + c.note + "."))
            << screen_text(*run);
        EXPECT_TRUE(holds(site.dir, c.file, photo));
        send_keys(*run, "x");
        ASSERT_TRUE(wait_for_row(*run, bottom, "")) << screen_text(*run);
    }
    // The folder again: its photo.jpg is there now, and the prompt stays with the name typed.
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: photo.jpg")) << screen_text(*run);
    send_keys(*run, "\025Downloads\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Error: Downloads/photo.jpg exists."))
        << screen_text(*run);
    send_keys(*run, "x");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: Downloads")) << screen_text(*run);
    send_keys(*run, "\033");
    ASSERT_TRUE(wait_for_row(*run, bottom, "")) << screen_text(*run);
    EXPECT_EQ(read_file(site.dir.file("home/mine.jpg")), photo);
    EXPECT_EQ(site.dir.entries(), (std::vector<std::string>{"Downloads", "home"}));
    quit(*run);
}

// A failed, cancelled or abandoned save leaves no file, not even a temporary one.
TEST(SaveScreen, FailuresCancelsAndQuittingLeaveNothingBehind) {
    SaveSite site;
    auto refused = reserve_refused_port();
    serve(*site.server, "/photo.jpg", Script{binary(10'000), Reply::stall});
    const std::string menu = site.item('I', "Photo", "/photo.jpg") +
                             menu_line('9', "Gone", "/gone.bin", "127.0.0.1", refused->port);
    auto run = site.start(menu, "->Photo");

    // Into a directory that is not there: the system's reason, and no request.
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: photo.jpg")) << screen_text(*run);
    send_keys(*run, std::string(9, '\x7f') + "nowhere/photo.jpg\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Error: No such file or directory"))
        << screen_text(*run);
    EXPECT_EQ(look_at(*run, bottom, 1), red_look);
    EXPECT_EQ(request_count(*site.server), 1U);
    EXPECT_TRUE(site.dir.entries().empty());
    // The key after the error gives the prompt back with the name, to change or leave.
    send_keys(*run, "x");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: nowhere/photo.jpg")) << screen_text(*run);
    send_keys(*run, "\033");
    ASSERT_TRUE(wait_for_row(*run, bottom, "")) << screen_text(*run);

    // A server that refuses: the fetch's words.
    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: gone.bin")) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Error: Could not connect to host"))
        << screen_text(*run);
    EXPECT_TRUE(site.dir.entries().empty());

    // Esc while the bytes arrive: the temporary file beside the name goes.
    send_keys(*run, "\033[A");
    for (const char* cancel : {"\033", "\003"}) {
        SCOPED_TRACE(cancel[0] == '\033' ? "Esc" : "Ctrl-C");
        send_keys(*run, "\r\r");
        ASSERT_TRUE(wait_for_row(*run, bottom, "Saving photo.jpg... 9 KB")) << screen_text(*run);
        const std::vector<std::string> during = site.dir.entries();
        ASSERT_EQ(during.size(), 1U);
        EXPECT_TRUE(during[0].starts_with(".photo.jpg.kesmor-")) << during[0];
        send_keys(*run, cancel);
        ASSERT_TRUE(wait_for_row(*run, bottom, "Save cancelled.")) << screen_text(*run);
        EXPECT_TRUE(site.dir.entries().empty());
        send_keys(*run, "x");
    }

    // Quitting asks nothing; the run's end removes the temporary file.
    send_keys(*run, "\r\r");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Saving photo.jpg... 9 KB")) << screen_text(*run);
    EXPECT_EQ(site.dir.entries().size(), 1U);
    quit(*run);
    EXPECT_TRUE(site.dir.entries().empty());
}

// Closing the terminal window (SIGHUP), kill (SIGTERM) or kill -INT during a save: the run
// ends by the signal, as always, and the temporary file goes with it.
TEST(SaveScreen, ASignalDuringASaveLeavesNothingBehind) {
    for (const int signal_number : {SIGHUP, SIGTERM, SIGINT}) {
        SCOPED_TRACE("case=" + std::string(sigabbrev_np(signal_number)));
        SaveSite site;
        serve(*site.server, "/photo.jpg", Script{binary(10'000), Reply::stall});
        auto run = site.start(site.item('I', "Photo", "/photo.jpg"), "->Photo");
        send_keys(*run, "\r\r");
        ASSERT_TRUE(wait_for_row(*run, bottom, "Saving photo.jpg... 9 KB")) << screen_text(*run);
        const std::vector<std::string> during = site.dir.entries();
        ASSERT_EQ(during.size(), 1U);
        EXPECT_TRUE(during[0].starts_with(".photo.jpg.kesmor-")) << during[0];
        send_signal(*run, signal_number);
        ASSERT_TRUE(wait_for_exit(*run)) << describe_end(*run);
        EXPECT_TRUE(killed_by(*run, signal_number)) << describe_end(*run);
        EXPECT_EQ(site.dir.entries(), std::vector<std::string>{});
    }
}

TEST(SaveScreen, SSavesTheTextOnScreenFromMemoryAndAMenuItemAsSent) {
    SaveSite site;
    const std::string submenu = menu_line('i', "Inside", "", "null.host", 1) +
                                site.item('0', "Deeper", "/deeper") + "\r\n.\r\n";
    // The bytes as received, a NUL and a lone CR included.
    constexpr char notes_bytes[] = "First line\r\nA\ttab\r\nA NUL \0 and a CR\r";
    const std::string notes(notes_bytes, sizeof notes_bytes - 1);
    serve(*site.server, "/sub", Script{submenu});
    serve(*site.server, "/docs/read.txt", Script{notes});
    auto run =
        site.start(site.item('1', "Submenu", "/sub") + site.item('0', "Read me", "/docs/read.txt"),
                   "->Submenu");

    send_keys(*run, "s");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: sub")) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(
        wait_for_row(*run, bottom, "Saved " + std::to_string(submenu.size()) + " bytes to sub."))
        << screen_text(*run);
    EXPECT_TRUE(holds(site.dir, "sub", submenu));
    EXPECT_TRUE(screen_contains(*run, "->Submenu")) << "the menu stays on screen";

    send_keys(*run, "\033[B\r");
    ASSERT_TRUE(wait_for_text(*run, "First line")) << screen_text(*run);
    ASSERT_EQ(request_count(*site.server), 3U);
    send_keys(*run, "s");
    ASSERT_TRUE(wait_for_row(*run, bottom, "Save as: read.txt")) << screen_text(*run);
    send_keys(*run, "\r");
    ASSERT_TRUE(
        wait_for_row(*run, bottom, "Saved " + std::to_string(notes.size()) + " bytes to read.txt."))
        << screen_text(*run);
    EXPECT_TRUE(holds(site.dir, "read.txt", notes));
    EXPECT_EQ(request_count(*site.server), 3U) << "the page on screen is not fetched again";
    EXPECT_EQ(site.dir.entries(), (std::vector<std::string>{"read.txt", "sub"}));
    quit(*run);
}

TEST(SaveScreen, TheProposedNameIsSafe) {
    SaveSite site;
    const struct {
        std::string selector;
        const char* proposed;
    } cases[] = {
        {"../../etc/x", "x"}, {"-rf", "rf"},    {".hidden", "hidden"},
        {"a\033[2Jb", "ab"},  {"", "download"}, {"/pub/caf\xc3\xa9.png", "caf\xc3\xa9.png"},
    };
    std::string menu;
    for (const auto& c : cases) {
        menu += site.item('I', "Picture", c.selector);
    }
    auto run = site.start(menu, "->Picture");
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::PrintToString(c.selector));
        send_keys(*run, "\r");
        ASSERT_TRUE(wait_for_row(*run, bottom, std::string("Save as: ") + c.proposed))
            << screen_text(*run);
        send_keys(*run, "\033");
        ASSERT_TRUE(wait_for_row(*run, bottom, "")) << screen_text(*run);
        send_keys(*run, "\033[B");
    }
    EXPECT_EQ(request_count(*site.server), 1U);
    EXPECT_TRUE(site.dir.entries().empty());
    quit(*run);
}
