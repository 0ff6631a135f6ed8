// Whole keys from the bytes a terminal sends, one key at a time off the front of a queue.
#pragma once

#include <span>

enum class Key {
    up,
    down,
    page_up,
    page_down,
    home,
    end,
    right, // the text view scrolls sideways with these while lines are cut
    left,
    escape,      // ESC with nothing after it within the wait
    back,        // BS or DEL: terminals send either for Backspace
    delete_char, // the Delete key, ESC [ 3 ~: erases the character under the cursor in a prompt
    ignored,     // any other escape sequence, or Alt with a key, taken whole
    byte,        // any other single byte: a command key or a character
};

struct DecodedKey {
    int length = 0; // bytes the key takes off the queue; 0 while it is not whole yet
    Key key = Key::ignored;
    unsigned char byte = 0; // the byte of a byte or back key
};

// The longest escape sequence taken whole. A sequence still growing past it is cut there and
// ignored, so a queue of that many bytes always yields a key.
inline constexpr int longest_sequence = 64;

// The key at the front of the queued bytes. settled: nothing more arrived within the wait after
// them, so a lone ESC, or a sequence without its final byte, ends where the queue does (ESC [ 5
// and ESC [ 6 are then Page Up and Page Down). Unsettled, a key that might go on waits (length
// 0); a key is never decoded differently for having arrived in pieces.
[[nodiscard]] DecodedKey next_key(std::span<const unsigned char> queued, bool settled);
