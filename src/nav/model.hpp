// The model of the screen: everything a frame is drawn from, each fact held once.
#pragma once

#include <optional>
#include <string>
#include <sys/ioctl.h>
#include <utility>
#include <vector>

#include "nav/bookmarks_path.hpp"
#include "nav/fetch.hpp"
#include "nav/history.hpp"
#include "nav/message.hpp"
#include "nav/overlay.hpp"
#include "nav/page_find.hpp"
#include "nav/save.hpp"
#include "nav/shown_page.hpp"
#include "nav/transfer.hpp"
#include "term/hand_over.hpp"

// How the terminal shows the run: its background, the user's NO_COLOR, the type labels (`t`).
struct Looks {
    bool light = false;     // the background is light: the light palette
    bool no_colour = false; // NO_COLOR set and not empty
    bool labels = false;    // menu rows show their type as a label
    bool asking = false;    // the terminal was asked its background and has not answered yet
};

// The user's programs links are handed to, read from the environment at the start.
struct Programs {
    std::optional<std::string> browser; // BROWSER
    std::optional<std::string> path;    // PATH
};

// How the run ends: status 0, or 1 with the message on standard error after the system's lines
// (the first page failed or was cancelled, plain output failed).
struct RunEnd {
    int status = 0;
    std::string message;
    std::string notes;
};

[[nodiscard]] inline RunEnd failed_run(std::string message, std::string notes) {
    return {1, std::move(message), std::move(notes)};
}

struct Model {
    History history;
    ShownPage shown;
    Overlay overlay;
    Fetch fetch;
    PageFind find;
    // Long lines of a text continue on the rows below; `w` cuts them instead, for the run.
    bool wrap = true;
    // Until the next key.
    Message message;
    Save save;
    // Standard output is no terminal: the start address's download, its bytes going there as
    // they arrive. Nothing is drawn, no key is read, and the run ends with the download.
    std::optional<Transfer> plain_output;
    // The bounds every transfer starts with: the program's; tests shorten them.
    TransactionLimits limits;
    winsize window{};
    // Where the bookmarks file is, from the environment at the start, or why there is none.
    BookmarksPath bookmarks;
    Looks looks;
    Programs programs;
    // Ctrl-Z: the loop gives the terminal back and stops the run, when a shell's job control is
    // there to resume it.
    bool suspend = false;
    // The commands the terminal is handed to, once the user said yes, until they have ended.
    std::optional<std::vector<Command>> hand_over;
    // Set once the run is over.
    std::optional<RunEnd> end;
};
