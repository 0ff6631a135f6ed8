// The fetch in flight in the model: started when a page is asked for, stepped by the loop's
// events, cancelled by Esc or Ctrl-C, and ended into the history or a message.
#pragma once

#include <chrono>
#include <string_view>

struct Address;
struct Fetch;
struct Model;
struct Waits;

// A page asked for by its address (the command line, a typed address, a URL: link). One asking
// for a search without its query opens the search prompt first, as a search item does.
// display: the display string of the link that led to it, empty for none.
void ask_for_page(Model* model, const Address& address, std::string_view display = {});
// That prompt closed without a query: as a cancelled fetch ("Cancelled."; on the first page the
// run ends).
void drop_asked_search(Model* model);

// A page waits to be fetched and none is loading: the loop then sends the fetch event.
[[nodiscard]] bool wants_fetch(const Model& model);
void start_fetch(Model* model, std::chrono::steady_clock::time_point now);
// Keys wait while a page is asked for and not on screen yet; only a cancel is looked for.
[[nodiscard]] bool keys_held(const Fetch& fetch);
// The page on screen is still arriving.
[[nodiscard]] bool page_loading(const Model& model);
// After a key: a page on screen that is still arriving and that the user left (back, forward,
// another page or a reload asked for) stops loading and keeps what arrived.
void leave_loading_page(Model* model);
// A descriptor was ready (fd and revents as poll gave them; fd -1 when none is), or a deadline
// may have passed. True when the screen changed: the page arrived, the fetch failed, or the
// progress row moved.
[[nodiscard]] bool step_fetch(Model* model, int fd, short revents,
                              std::chrono::steady_clock::time_point now);
// What the fetch waits for.
void add_fetch_waits(const Fetch& fetch, Waits* waits);
// Before the first screen: the history as it was, "Cancelled." on the bottom row; on the first
// page the run ends. After it: the page keeps what arrived, marked incomplete.
void cancel_fetch(Model* model);
