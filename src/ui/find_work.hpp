// Finding text in the page on screen: a search from the find prompt, the next match and the one
// before, looked for in steps between keys when the text is long.
#pragma once

#include <string_view>

#include "nav/find.hpp"

struct Model;
struct PageFind;
struct Waits;

// Enter in the find prompt: a search for what was typed from the first row on screen; with
// nothing typed, the last search again, on from its match. The match found is brought on
// screen with its row at the top where the page allows; in a menu a link that holds it is
// selected. No match leaves the screen as it was.
void accept_find(Model* model, std::string_view typed);

// n and N: the next match after the one found last (past the end, from the top), or the one
// before it. Matches on the row found last are on screen already and are passed over.
void find_again(Model* model, FindDirection direction);

// A search of a long text still looking: one more step of the loop's time event. True when it
// ended, so a frame is due.
[[nodiscard]] bool step_find(Model* model);

// A key while a search looks stops it, the screen as it was.
void stop_find(PageFind* find);

// A search still looking asks for the next turn of the loop at once, after the keys.
void add_find_waits(const PageFind& find, Waits* waits);
