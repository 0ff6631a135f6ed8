// What is drawn over the page: nothing, a prompt on the bottom row, the prompt's error, the
// about screen in place of the page, or a question answered with y or n. One state at a time.
#pragma once

#include <optional>
#include <string>
#include <variant>

#include "gopher/address.hpp"
#include "gopher/menu_item.hpp"
#include "nav/confirm.hpp"
#include "nav/line_edit.hpp"

enum class PromptKind { search, address, save, find };

// An address asking for a search without its query (typed, or a link's URL): the query goes to
// it.
struct QueryFor {
    Address address;
    std::string display; // the display string of the link that gave it
};

// What a search prompt's query goes to: a search item of the menu on screen (a view into the
// content of the page on screen), or an address. The other prompts need nothing more.
using PromptFor = std::variant<std::monostate, MenuItem, QueryFor>;

struct Prompt {
    PromptKind kind = PromptKind::address;
    LineEdit line; // what is typed, and the cursor in it
    PromptFor target;
};

// In red on the bottom row until a key; after it, the prompt it came from is back as it was,
// when there is one to reopen.
struct PromptError {
    std::string message;
    std::optional<Prompt> reopen;
};

struct AboutScreen {};

struct NoOverlay {};

using Overlay = std::variant<NoOverlay, Prompt, PromptError, AboutScreen, Confirm>;

// The address a search prompt's query goes to, in the prompt or in the one its error reopens;
// nullptr when there is none.
[[nodiscard]] const QueryFor* query_for(const Overlay& overlay);
