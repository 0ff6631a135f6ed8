// The draw step: one whole frame from the model, changing nothing.
#pragma once

#include "term/frame.hpp"

struct Model;

// The frame of the window's size: the page (or the about screen), then what the bottom row
// holds. The loop hands it to the writer.
[[nodiscard]] Frame draw_frame(const Model& model);
