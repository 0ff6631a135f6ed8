// Bytes read from the keyboard before anyone asked for them (typed while a page loads).
#pragma once

#include <cstddef>

// First in, first out. A fixed array, so queueing never allocates; bytes beyond its room are
// dropped. Meant to become the byte queue of the key decoder once that exists.
struct InputQueue {
    unsigned char bytes[256];
    std::size_t length;
};

// Appends as many of the bytes as there is room for.
void queue_input(InputQueue* queue, const unsigned char* bytes, std::size_t count);

// Moves up to max bytes from the front of the queue to out; returns how many.
[[nodiscard]] std::size_t take_input(InputQueue* queue, unsigned char* out, std::size_t max);

// Where one key of the queue ends: an escape sequence of up to three bytes is one key, any
// other byte is a key of its own. 0 when the queue is empty.
[[nodiscard]] std::size_t first_key_length(const InputQueue& queue);
