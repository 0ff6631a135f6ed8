// A question on the bottom row, "... (y/n)": y or Y does what it asks, any other key says no.
#pragma once

#include <optional>
#include <sys/ioctl.h>

#include "nav/overlay.hpp"
#include "term/key_decoder.hpp"

struct Frame;
struct Palette;

void ask(Overlay* overlay, Confirm confirm);

// The key answers the question: the action when it was yes. The caller closes the question.
[[nodiscard]] std::optional<ConfirmAction> answer(Confirm* confirm, DecodedKey key);

// The question in the prompt's colour, the cursor after it.
void draw_confirm_row(const Confirm& confirm, const winsize& window, const Palette& palette,
                      Frame* frame);
