// What a search shows: its matches marked on screen, and its words on the bottom row.
#pragma once

struct Model;

// True while the matches of the last search are marked on the page on screen: it is the page
// searched and a match was found there.
[[nodiscard]] bool find_marks_shown(const Model& model);

// "Search wrapped." or "Not found: TEXT" (in red) on the bottom row, if the last search left
// either.
void draw_find_note(const Model& model);
