// A question on the bottom row, "... (y/n)": y or Y does what it asks, any other key says no.
#pragma once

#include <optional>

#include "nav/confirm.hpp"
#include "term/key_decoder.hpp"

struct Frame;
struct Model;
struct Overlay;

void ask(Overlay* overlay, Confirm confirm);

// The key answers the question, which closes: the action when it was yes.
[[nodiscard]] std::optional<ConfirmAction> answer(Overlay* overlay, DecodedKey key);

// The question in the prompt's colour, the cursor after it.
void draw_confirm_row(const Model& model, Frame* frame);
