// A question on the bottom row, "... (y/n)": y does what the question says, any other key no.
#pragma once

#include <string>

#include "term/key_decoder.hpp"

struct Model;
struct OpenWith;
struct Frame;

// Opens the question; y will hand the terminal to the commands.
void ask_to_confirm(Model* model, std::string question, OpenWith yes);

// The key that answers the question (the overlay closes either way).
void key_in_confirm(Model* model, DecodedKey key);

// The question, on the bottom row.
void draw_confirm(const Model& model, Frame* frame);
