// The prompts on the bottom row: what a key does to the line typed, and how the row is drawn.
#pragma once

#include <sys/ioctl.h>

#include "nav/overlay.hpp"
#include "term/key_decoder.hpp"

struct Frame;
struct Palette;

// A query or a text to find is cut like a selector, a typed address like any address; bytes.
[[nodiscard]] int prompt_limit(PromptKind kind);

enum class PromptEdit { typing, accepted, cancelled };

// One key in the prompt: the line editor's keys edit (a character is typed whole, up to the
// limit), Enter accepts, Esc cancels, and any other key is passed over whole. The part of the
// line shown follows the cursor.
[[nodiscard]] PromptEdit edit_prompt(Prompt* prompt, DecodedKey key, const winsize& window);

// Opens a prompt holding text, the cursor at its end, for target.
void open_prompt(Overlay* overlay, PromptKind kind, std::string_view text, const winsize& window,
                 PromptFor target = {});

// The window changed: the part of the line shown still holds the cursor.
void fit_prompt(Prompt* prompt, const winsize& window);

// The label in colour from the label's column, then the part of the line that fits up to the
// last column, by display width, with the cursor shown in it.
void draw_prompt_row(const Prompt& prompt, const winsize& window, const Palette& palette,
                     Frame* frame);
// The prompt's error in red on its row.
void draw_prompt_error(const PromptError& error, const winsize& window, const Palette& palette,
                       Frame* frame);
