// Entry point: options, the start address, then the terminal and the event loop.
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <unistd.h>

#include "app/cli.hpp"
#include "app/event_loop.hpp"
#include "app/fatal.hpp"
#include "gopher/address.hpp"
#include "nav/history.hpp"
#include "nav/model.hpp"
#include "term/terminal.hpp"

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

    std::atexit(restore_terminal);
    enable_raw_mode();

    // Large (the fetch's buffers hang off it) and alive until the end of main.
    const auto model = std::make_unique<Model>();
    query_window_size(&model->window);
    push_page(&model->history, *address);
    run_event_loop(model.get(), STDIN_FILENO);
    if (model->fatal_message != nullptr) {
        fatal_after(model->fatal_notes, model->fatal_message);
    }
    return 0;
}
