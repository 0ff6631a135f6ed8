// What a key does: in the overlay (a prompt, its error, the about screen) or in the view.
#pragma once

#include "term/key_decoder.hpp"

struct Model;

void key_in_overlay(Model* model, DecodedKey key);
void key_in_view(Model* model, DecodedKey key);
