// The one loop: waits for the keyboard, the work in flight, deadlines and signal flags, turns
// each into an event for the update step, and writes a frame when the model changed.
#pragma once

struct Model;

// Runs until the model stops running. input_fd is the keyboard; -1 for none (plain output,
// whose run ends with its download).
void run_event_loop(Model* model, int input_fd);
