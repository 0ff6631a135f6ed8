// The model of the screen: everything a frame is drawn from, each fact held once.
#pragma once

#include <string>
#include <sys/ioctl.h>

#include "gopher/menu_item.hpp"
#include "nav/fetch.hpp"
#include "nav/history.hpp"
#include "nav/note.hpp"
#include "nav/page_find.hpp"
#include "nav/save.hpp"
#include "nav/shown_page.hpp"

enum class PromptKind { search, address, save, find };

// What is drawn over the page: a prompt on the bottom row, the prompt's error message (in red,
// until a key), or the about screen in place of the page.
enum class OverlayKind { none, prompt, prompt_error, about };

struct Overlay {
    OverlayKind kind = OverlayKind::none;
    PromptKind prompt = PromptKind::address;
    std::string typed;
    // The search item the query is for: a view into the content of the page on screen.
    MenuItem search{};
    const char* error = nullptr; // prompt_error: one of the program's own constant texts
    bool reopen = false;         // prompt_error: the address prompt opens again after the key
};

struct Model {
    History history;
    ShownPage shown;
    Overlay overlay;
    Fetch fetch;
    PageFind find;
    // Long lines of a text continue on the rows below; `w` cuts them instead, for the run.
    bool wrap = true;
    // A failed or cancelled fetch's words, shown in red on the bottom row over every frame
    // until the next key; empty for none.
    std::string message;
    Save save;
    // The news of a save or a link, until the next key; a failed fetch's message wins over it.
    Note note;
    // Standard output is no terminal: the start address's bytes go there as they arrive,
    // nothing is drawn and the keyboard is not read.
    bool plain_output = false;
    winsize window{};
    bool running = true;
    // The first page failed: the run ends with these on standard error (the system's lines,
    // then the message) and status 1.
    std::string fatal_message; // empty: the run ends well
    std::string fatal_notes;
};
