// The one way the program ends on an unrecoverable error.
#pragma once

// Writes the message and a newline to standard error and exits with status 1. Once the terminal
// has been taken over it is given back first, so the message stays readable.
[[noreturn]] void fatal(const char* message);
