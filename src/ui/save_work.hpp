// The save in the model: its prompt, the download going to a file as it arrives alongside the
// page, its progress and its end.
#pragma once

#include <chrono>

#include "term/key_decoder.hpp"

struct MenuItem;
struct Model;
struct Save;
struct Waits;

// The "Save as: " prompt with a proposed name, for an item of the menu on screen or for the
// page on screen; while a save runs, "A save is running." instead.
void ask_to_save_item(Model* model, const MenuItem& item);
void ask_to_save_page(Model* model);
// The `s` key: the marked item of a menu (any that can be fetched), the page of a text.
void save_key(Model* model);

// A key while the save prompt is up; false, and nothing done, for any other overlay. Enter
// starts the save; a name already taken shows "Error: NAME exists." until the next key, and the
// prompt comes back with the name (the error reopens it).
[[nodiscard]] bool key_in_save_prompt(Model* model, DecodedKey key,
                                      std::chrono::steady_clock::time_point now);

// A descriptor was ready (fd -1 when none is), or a deadline may have passed. True when the
// screen changed: the save ended or its progress moved.
[[nodiscard]] bool step_save(Model* model, int fd, short revents,
                             std::chrono::steady_clock::time_point now);
void add_save_waits(const Save& save, Waits* waits);
// Esc or Ctrl-C in the view: the temporary file goes, "Save cancelled.". False when no save
// runs.
bool cancel_save(Model* model);
