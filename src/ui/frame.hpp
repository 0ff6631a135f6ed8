// The draw step: one whole frame from the model, changing nothing.
#pragma once

struct Model;

// Writes the frame to standard output's buffer: the page (or the about screen), then what the
// bottom row holds. The loop flushes it in one write.
void draw_frame(const Model& model);
