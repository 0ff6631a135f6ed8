// The one way the program ends on an unrecoverable error.
#pragma once

#include <string_view>

// Writes the message and a newline to standard error and exits with status 1. Once the terminal
// has been taken over it is given back first, so the message stays readable.
[[noreturn]] void fatal(const char* message);

// Makes every failed operator new (std::bad_alloc from the standard library included) end the
// run with "Error: Out of memory.", the terminal given back, status 1, at the point of failure.
void install_out_of_memory_handler();

// The same, with lines of system errors (such as "socket: ...") written just before the
// message, once the terminal has been given back, so that the clearing does not hide them.
[[noreturn]] void fatal_after(std::string_view notes, const char* message);
