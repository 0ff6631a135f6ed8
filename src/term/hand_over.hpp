// Another program run with the terminal handed over to it, and where to find one.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

using Command = std::vector<std::string>; // an argument vector: never given to a shell

// How the program run ended: its exit status (128 + N when signal N ended it), and which
// command of the list ran; 127 and the first when none could be run.
struct ProgramEnd {
    int status = 127;
    std::size_t command = 0;
};

// The program a command would run, searched in path (the PATH variable; nullptr: the system's
// default) unless the name holds a '/': an executable regular file. Nothing when there is none.
[[nodiscard]] std::optional<std::string> find_program(std::string_view name, const char* path);

// The first command of the list whose program is found, else the first.
[[nodiscard]] std::size_t first_runnable(const std::vector<Command>& commands, const char* path);

// Runs the first command of the list that can be run and waits for it to end. The terminal is
// left as it is. The program gets every signal at its default action and none blocked.
[[nodiscard]] ProgramEnd run_first(const std::vector<Command>& commands);

// The same with the terminal handed over: given back as on exit, then raw mode again once the
// program has ended (the caller reads the window size and draws the whole screen). Ctrl-C and
// Ctrl-\ typed meanwhile are the program's: ours ignores them until it ends.
[[nodiscard]] ProgramEnd run_in_terminal(const std::vector<Command>& commands);
