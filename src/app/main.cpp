// Entry point: options, the start address, then the terminal and the browse loop.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "app/cli.hpp"
#include "app/fatal.hpp"
#include "gopher/address.hpp"
#include "gopher/fields.hpp"
#include "nav/browse_loop.hpp"
#include "nav/history.hpp"
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

    char host[host_room] = {};
    int port = 0;
    char selector[selector_room] = {};
    char type = 0;
    if (!parse_gopher_address(arg, host, &port, selector, &type)) {
        fatal("Error: Invalid Gopher address format.");
    }

    std::atexit(restore_terminal);
    enable_raw_mode();

    Browser browser{};
    browser.running = 1;
    query_window_size(&browser.winsize);
    push_page(&browser, host, port, selector, type);
    browse_loop(&browser);

    free_history(browser.current);
    browser.current = nullptr;
    browser.items.reset();
    return 0;
}
