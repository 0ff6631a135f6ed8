// The one way the program ends on an unrecoverable error.
#include "app/fatal.hpp"

#include <cstdio>
#include <cstdlib>
#include <new>

#include "term/terminal.hpp"

void fatal(const char* message) {
    fatal_after({}, message);
}

void install_out_of_memory_handler() {
    std::set_new_handler([] { fatal("Error: Out of memory."); });
}

void fatal_after(std::string_view notes, const char* message) {
    // Restoring leaves the alternate screen, so it must come before the message or the user
    // never sees it.
    if (terminal_taken_over()) {
        restore_terminal();
    }
    if (!notes.empty()) {
        std::fwrite(notes.data(), 1, notes.size(), stderr);
    }
    std::fprintf(stderr, "%s\n", message);
    std::exit(1);
}
