// What a search shows: its matches marked on screen.
#pragma once

struct Model;

// True while the matches of the last search are marked on the page on screen: it is the page
// searched and a match was found there.
[[nodiscard]] bool find_marks_shown(const Model& model);
