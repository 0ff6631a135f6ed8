// What one read of up to three bytes from the keyboard means to a view.
#pragma once

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

// Waits up to 100 ms for standard input, then reads up to three bytes once.
[[nodiscard]] KeyRead read_key();
