// The search and address prompts on the bottom row: what a key does to the line typed, and how
// the row is drawn.
#pragma once

#include "nav/model.hpp"
#include "term/key_decoder.hpp"

struct Frame;

// A query or a text to find is cut like a selector, a typed address like any address.
[[nodiscard]] int prompt_limit(PromptKind kind);

enum class PromptEdit { typing, accepted, cancelled };

// One key in the prompt: printable ASCII is typed up to the limit, Backspace erases, Enter
// accepts, Esc cancels, and any other key is passed over whole.
[[nodiscard]] PromptEdit edit_prompt(Overlay* overlay, DecodedKey key);

// The label in colour from the label's column, then the last characters typed that fit before
// the last column, with the cursor shown after them.
void draw_prompt_row(const Model& model, Frame* frame);
// The prompt's error in red on its row.
void draw_prompt_error(const Model& model, Frame* frame);
