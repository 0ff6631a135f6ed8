// The views' one source of input: whole keys from the keyboard, and ticks between them.
#pragma once

#include "term/key_queue.hpp"
#include "ui/key_decoder.hpp"

enum class InputKind {
    key,   // one whole key
    tick,  // no whole key yet: the wait ran out, a signal came, or a sequence is incomplete
    ended, // no key can ever come
};

struct Input {
    InputKind kind = InputKind::tick;
    DecodedKey key;
};

// The next key queued; else waits for fd up to 100 ms (50 ms while the queue holds the start of
// a sequence), reads what is available and returns the first whole key. A tick leaves checking
// for a resize to the caller, which then calls again; keys typed ahead stay queued meanwhile.
[[nodiscard]] Input read_input(KeyQueue* queue, int fd);
