// Entry point: options, the start address, then the terminal and the event loop.
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unistd.h>

#include "app/cli.hpp"
#include "app/event_loop.hpp"
#include "app/fatal.hpp"
#include "base/write_whole.hpp"
#include "gopher/address.hpp"
#include "nav/bookmarks_file.hpp"
#include "nav/bookmarks_path.hpp"
#include "nav/history.hpp"
#include "nav/model.hpp"
#include "term/background.hpp"
#include "term/sequences.hpp"
#include "term/terminal.hpp"
#include "ui/bookmark_work.hpp"
#include "ui/fetch_work.hpp"
#include "ui/plain_output.hpp"

namespace {

// The start page with standard output no terminal: the bookmarks file's bytes as they are.
int write_bookmarks(const BookmarksPath& where) {
    if (where.path.empty()) {
        return 0; // no file to write
    }
    const BookmarksRead read = read_bookmarks(where.path);
    if (!read.reason.empty()) {
        fatal(read_message(read).c_str());
    }
    // A reader that goes away ends the run quietly by SIGPIPE, as a page's plain output does.
    std::signal(SIGPIPE, SIG_DFL);
    if (const int error = write_whole(STDOUT_FILENO, read.bytes); error != 0) {
        const std::string message =
            std::string("Error: Cannot write the bookmarks: ") + std::strerror(error) + ".";
        fatal(message.c_str());
    }
    return 0;
}

std::optional<std::string> environment(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? std::optional<std::string>(value) : std::nullopt;
}

// The user's colours and programs. The background is asked of the terminal when the environment
// does not tell: the answer comes among the keys, and until it does the dark palette is drawn.
void read_habits(Model* model) {
    const char* no_color = std::getenv("NO_COLOR");
    model->looks.no_colour = no_color != nullptr && *no_color != '\0';
    model->looks.labels = model->looks.no_colour;
    if (!model->looks.no_colour) {
        switch (guess_background(std::getenv("COLORFGBG"))) {
        case BackgroundGuess::light:
            model->looks.light = true;
            break;
        case BackgroundGuess::dark:
            break;
        case BackgroundGuess::ask:
            // Goes out with the first frame.
            std::fputs(seq::ask_background, stdout);
            std::fputs(seq::ask_device_attributes, stdout);
            model->looks.asking = true;
            break;
        }
    }
    model->programs.browser = environment("BROWSER");
    model->programs.path = environment("PATH");
}

// The terminal taken over for the run: raw mode (given back at exit), its size, the user's looks.
void start_terminal(Model* model) {
    std::atexit(restore_terminal);
    enable_raw_mode();
    query_window_size(&model->window);
    read_habits(model);
}

} // namespace

int main(int argc, char** argv) {
    install_out_of_memory_handler();
    const char* arg = argc < 2 ? nullptr : argv[1];
    const BookmarksPath bookmarks =
        bookmarks_path(std::getenv("XDG_DATA_HOME"), std::getenv("HOME"));
    if (arg == nullptr) {
        if (isatty(STDOUT_FILENO) == 0) {
            return write_bookmarks(bookmarks);
        }
        // No address: the bookmarks page is the start page.
        const auto model = std::make_unique<Model>();
        model->bookmarks = bookmarks;
        start_terminal(model.get());
        open_bookmarks_page(model.get());
        run_event_loop(model.get(), STDIN_FILENO);
        return 0;
    }
    if (std::strcmp(arg, "-h") == 0 || std::strcmp(arg, "--help") == 0) {
        print_usage();
        return 0;
    }
    if (std::strcmp(arg, "-v") == 0 || std::strcmp(arg, "--version") == 0) {
        print_version();
        return 0;
    }

    const std::optional<Address> address = parse_gopher_address(arg);
    if (!address) {
        fatal("Error: Invalid Gopher address format.");
    }

    // Large (the fetch's buffers hang off it) and alive until the end of main: a save still
    // running then removes its temporary file as it goes.
    const auto model = std::make_unique<Model>();
    model->bookmarks = bookmarks;
    if (isatty(STDOUT_FILENO) == 0) {
        // A file or a pipe takes the bytes as they come; the terminal, if any, stays as it is.
        // A reader that goes away (head -c 1) ends the run quietly by SIGPIPE, as it ends other
        // tools, even when the parent left the signal ignored. Sockets never raise it: their
        // writes pass MSG_NOSIGNAL.
        std::signal(SIGPIPE, SIG_DFL);
        start_plain_output(model.get(), *address, std::chrono::steady_clock::now());
        run_event_loop(model.get(), -1);
    } else {
        start_terminal(model.get());
        ask_for_page(model.get(), *address);
        run_event_loop(model.get(), STDIN_FILENO);
    }
    if (model->end && model->end->status != 0) {
        fatal_after(model->end->notes, model->end->message.c_str());
    }
    return 0;
}
