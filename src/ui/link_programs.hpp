// Links handed to the user's programs: the argument lists from BROWSER and for telnet, the
// questions asked first, and which links are never handed on.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "term/hand_over.hpp"

inline constexpr std::string_view unsafe_link_message = "Error: This link cannot be opened safely.";

// BROWSER's commands for the URL, in order: commands separated by ':', each split into words on
// blanks; "%s" in a word becomes the URL ("%%" a '%'); a command without "%s" gets the URL as its
// last argument. Empty commands are left out.
[[nodiscard]] std::vector<Command> browser_commands(std::string_view browser, std::string_view url);

// "telnet HOST PORT" (or tn3270), the port left out when it is telnet's own, 23.
[[nodiscard]] Command telnet_command(std::string_view program, std::string_view host, int port);

// False for a URL or host that must never reach another program: one holding a control byte or
// a blank, or beginning with '-' (it would be read as an option).
[[nodiscard]] bool safe_to_hand_on(std::string_view text);

// "Open URL with COMMAND? (y/n)", COMMAND being the first word of the command that will run.
[[nodiscard]] std::string browser_question(std::string_view url, const Command& command);
// "Open telnet://HOST:PORT with telnet? (y/n)", after "Log in as: NAME. " when the selector
// (the login name) is not empty.
[[nodiscard]] std::string telnet_question(std::string_view program, std::string_view host, int port,
                                          std::string_view selector);
// "Error: COMMAND failed (status N)."
[[nodiscard]] std::string program_failed_message(std::string_view command, int status);
