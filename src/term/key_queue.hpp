// Bytes from the keyboard that no one has taken as keys yet, and the whole keys taken off them.
#pragma once

#include <array>

#include "term/key_decoder.hpp"

// An ESC followed by nothing within this time is the Esc key; followed by more, it starts a key
// sequence (an arrow, say).
inline constexpr int escape_wait_ms = 50;
// The beginning of a terminal's answer waits this long for its end (the rest may come in a
// later read), and no longer, so that an Esc typed after a broken answer still acts.
inline constexpr int answer_wait_ms = 500;

// Room for the longest escape sequence and a burst of typing. The loop appends what is read and
// takes keys off the front in order, so nothing typed ahead is lost. While a page loads the keys
// are held: they are only looked at for a cancel (`scanned` counts the bytes looked at), and they
// act once the page is shown.
struct KeyQueue {
    std::array<unsigned char, 256> bytes{};
    int length = 0;
    int scanned = 0;
    bool ended = false; // the descriptor is at its end or failed; what is queued is still read
};

static_assert(KeyQueue{}.bytes.size() > longest_sequence + 1,
              "a full queue must always hold a whole key");

// What one read of the keyboard brought.
struct KeyboardRead {
    bool got = false;       // bytes were queued
    bool cancelled = false; // the queue was full: the bytes read were dropped, but an Esc or a
                            // Ctrl-C among them cancels what is loading
};

// The one read of the keyboard: appends what fd has to the queue, or, when the queue is full,
// reads into scratch and keeps only the news of a cancel (a paste while a page loads can fill
// the queue). End of input or an error marks the queue ended.
[[nodiscard]] KeyboardRead read_keyboard(KeyQueue* queue, int fd);

// The whole key (or terminal's answer) at the front, taken off the queue; length 0 when none is
// whole yet. waited: how long the loop has waited since the last read (see next_key); an ended
// queue has waited for everything.
[[nodiscard]] DecodedKey take_key(KeyQueue* queue, Waited waited);
// settled: both waits ran out.
[[nodiscard]] DecodedKey take_key(KeyQueue* queue, bool settled);

// Keys start being held: every key queued is looked at for a cancel again, from the front.
void hold_keys(KeyQueue* queue);

// While keys are held: looks at the keys queued since the last look, and takes the first lone
// Esc, Ctrl-C, Ctrl-Z or terminal's answer among them out of the queue (these act at once, a
// page loading or not); the keys around it stay. Length 0 when there is none.
[[nodiscard]] DecodedKey take_held_key(KeyQueue* queue, Waited waited);
// The same for a cancel alone (answers stay with the keys). True when one was taken.
[[nodiscard]] bool take_cancel(KeyQueue* queue, bool settled);

// True when queued bytes wait for the rest of a key, so the loop sets its escape deadline: at the
// front, or past the bytes looked at while keys are held.
[[nodiscard]] bool key_unfinished(const KeyQueue& queue, bool held);
// True when what waits is the beginning of a terminal's answer, which waits past the escape
// wait, up to answer_wait_ms after the last read.
[[nodiscard]] bool answer_unfinished(const KeyQueue& queue, bool held);

// Esc, or Ctrl-C (byte 3: raw mode turns it into a byte).
[[nodiscard]] bool cancels(const DecodedKey& key);
