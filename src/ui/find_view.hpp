// What a search shows: its matches marked on screen.
#pragma once

#include <optional>

struct Model;
struct TextMatch;

// True while the matches of the last search are marked on the page on screen: it is the page
// searched and a match was found there.
[[nodiscard]] bool find_marks_shown(const Model& model);

// The match the screen was brought to, while its matches are marked: in a text (null when
// there is none), or the index of a menu's item.
[[nodiscard]] const TextMatch* text_match_shown(const Model& model);
[[nodiscard]] std::optional<long> item_match_shown(const Model& model);
