// The one way the program ends on an unrecoverable error.
#include "app/fatal.hpp"

#include <cstdio>
#include <cstdlib>

#include "term/terminal.hpp"

void fatal(const char* message) {
    // Restoring clears the screen, so it must come before the message or the user never sees it.
    if (terminal_taken_over()) {
        restore_terminal();
    }
    std::fprintf(stderr, "%s\n", message);
    std::exit(1);
}
