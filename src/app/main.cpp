// Entry point: options, the start address, then the terminal and the event loop.
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <unistd.h>

#include "app/cli.hpp"
#include "app/event_loop.hpp"
#include "app/fatal.hpp"
#include "gopher/address.hpp"
#include "nav/history.hpp"
#include "nav/model.hpp"
#include "term/background.hpp"
#include "term/sequences.hpp"
#include "term/terminal.hpp"
#include "ui/save_work.hpp"

namespace {

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

} // namespace

int main(int argc, char** argv) {
    install_out_of_memory_handler();
    if (argc < 2) {
        print_usage();
        return 0;
    }
    const char* arg = argv[1];
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
    if (isatty(STDOUT_FILENO) == 0) {
        // A file or a pipe takes the bytes as they come; the terminal, if any, stays as it is.
        // A reader that goes away is a write error, reported, not a silent death.
        std::signal(SIGPIPE, SIG_IGN);
        start_plain_output(model.get(), *address, std::chrono::steady_clock::now());
        run_event_loop(model.get(), -1);
    } else {
        std::atexit(restore_terminal);
        enable_raw_mode();
        query_window_size(&model->window);
        read_habits(model.get());
        push_page(&model->history, *address);
        run_event_loop(model.get(), STDIN_FILENO);
    }
    if (model->end && model->end->status != 0) {
        fatal_after(model->end->notes, model->end->message.c_str());
    }
    return 0;
}
