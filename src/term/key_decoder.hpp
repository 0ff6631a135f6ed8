// Whole keys from the bytes a terminal sends, one key at a time off the front of a queue, and the
// terminal's answers to our questions, which come on the same bytes and are never keys.
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
    escape,      // ESC with nothing after it within the wait, or followed at once by another key
    back,        // BS or DEL: terminals send either for Backspace
    delete_char, // the Delete key, ESC [ 3 ~: erases the character under the cursor in a prompt
    ignored,     // any other escape sequence, taken whole
    byte,        // any other single byte: a command key or a character
    // The terminal's answers, no keys: the background colour (OSC 11; `light` says which), and
    // the primary device attributes, after which the terminal answers nothing more we asked.
    background,
    answered,
};

struct DecodedKey {
    int length = 0; // bytes the key takes off the queue; 0 while it is not whole yet
    Key key = Key::ignored;
    unsigned char byte = 0; // the byte of a byte or back key
    bool light = false;     // a background answer: the colour is light
};

// How long the bytes at the end of the queue have waited for more.
enum class Waited {
    no,     // more may still come
    escape, // the escape wait ran out: a lone ESC is the Esc key, a cut key sequence ends here
    answer, // the answer wait ran out too: a terminal's answer still unfinished is dropped
};

// The longest escape sequence or answer taken whole. One still growing past it is cut there and
// ignored, so a queue of that many bytes always yields a key.
inline constexpr int longest_sequence = 64;

// The key at the front of the queued bytes. Until a wait runs out, a key that might go on waits
// (length 0); a key is never decoded differently for having arrived in pieces. Once the escape
// wait ran out, a lone ESC, or a sequence without its final byte, ends where the queue does
// (ESC [ 5 and ESC [ 6 are then Page Up and Page Down); the beginning of a terminal's answer
// waits on until the answer wait runs out, so an answer cut across reads is never typed.
[[nodiscard]] DecodedKey next_key(std::span<const unsigned char> queued, Waited waited);

// settled: nothing more is coming for anything unfinished (both waits ran out).
[[nodiscard]] inline DecodedKey next_key(std::span<const unsigned char> queued, bool settled) {
    return next_key(queued, settled ? Waited::answer : Waited::no);
}

// A background or device attributes answer.
[[nodiscard]] inline bool is_answer(const DecodedKey& key) {
    return key.key == Key::background || key.key == Key::answered;
}
