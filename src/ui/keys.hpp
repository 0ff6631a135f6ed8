// What one read of up to three bytes from the keyboard means to a view.
#pragma once

#include "term/input_queue.hpp"

enum class KeyKind {
    none,     // nothing arrived (time-out, signal, error)
    closed,   // end of input: no key can ever arrive
    movement, // ESC, '[' or 'O', then byte
    single,   // one byte: a command key
    dropped,  // any other read
};

struct KeyRead {
    KeyKind kind;
    unsigned char byte;
};

// count is the result of the read: below 0 a failure, 0 the end of input.
[[nodiscard]] KeyRead decode_key(const unsigned char* bytes, long count);

// The first key of the queue when there is one; else waits up to 100 ms for standard input,
// then reads up to three bytes once. A wait or read that fails other than by a signal is
// closed, like the end of input: the terminal is gone and no key can come.
[[nodiscard]] KeyRead read_key(InputQueue* queued);

// Waits for one byte, the queue's first when there is one. False once input has ended or
// failed other than by a signal: nothing more can be typed.
[[nodiscard]] bool read_byte(InputQueue* queued, unsigned char* byte);
