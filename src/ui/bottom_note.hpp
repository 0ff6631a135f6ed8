// The note on the bottom row (a save's outcome, where a link goes) and a save's progress.
#pragma once

#include <string>

struct Frame;
struct Model;

// The note until the next key; it takes the place of a failed fetch's older message.
void show_note(Model* model, std::string text, bool error, bool keep_end = false);

// The note, else the save's progress, else nothing: what the bottom row shows when no prompt,
// no page's progress and no failed fetch's message has it.
void draw_bottom_note(const Model& model, Frame* frame);
