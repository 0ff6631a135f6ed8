// Bytes from the keyboard that no one has taken as keys yet, and the whole keys taken off them.
#include "term/key_queue.hpp"

#include <cerrno>
#include <cstring>
#include <span>
#include <unistd.h>

namespace {

constexpr unsigned char interrupt = 0x03;
constexpr unsigned char suspend = 0x1a; // Ctrl-Z

std::span<const unsigned char> queued_from(const KeyQueue* queue, int from) {
    return {queue->bytes.data() + from, static_cast<std::size_t>(queue->length - from)};
}

void remove(KeyQueue* queue, int at, int length) {
    std::memmove(queue->bytes.data() + at, queue->bytes.data() + at + length,
                 static_cast<std::size_t>(queue->length - at - length));
    queue->length -= length;
}

// An ended queue gets nothing more: whatever is unfinished ends where it is.
Waited waited_for(const KeyQueue& queue, Waited waited) {
    return queue.ended ? Waited::answer : waited;
}

// The first cancel (or terminal's answer or Ctrl-Z, when answers) past the keys looked at, taken
// out.
DecodedKey take_held(KeyQueue* queue, Waited waited, bool answers) {
    while (queue->scanned < queue->length) {
        const DecodedKey key = next_key(queued_from(queue, queue->scanned), waited);
        if (key.length == 0) {
            return key;
        }
        const bool stops = key.key == Key::byte && key.byte == suspend;
        if (cancels(key) || (answers && (is_answer(key) || stops))) {
            remove(queue, queue->scanned, key.length);
            return key;
        }
        queue->scanned += key.length;
    }
    return {};
}

} // namespace

bool cancels(const DecodedKey& key) {
    return key.key == Key::escape || (key.key == Key::byte && key.byte == interrupt);
}

KeyboardRead read_keyboard(KeyQueue* queue, int fd) {
    std::array<unsigned char, 64> scratch{};
    const bool room = queue->length < static_cast<int>(queue->bytes.size());
    unsigned char* into = room ? queue->bytes.data() + queue->length : scratch.data();
    const std::size_t size =
        room ? queue->bytes.size() - static_cast<std::size_t>(queue->length) : scratch.size();
    const ssize_t n = read(fd, into, size);
    if (n < 0 && (errno == EINTR || errno == EAGAIN)) {
        return {};
    }
    if (n <= 0) {
        queue->ended = true;
        return {};
    }
    if (room) {
        queue->length += static_cast<int>(n);
        return {true, false};
    }
    std::span<const unsigned char> left{scratch.data(), static_cast<std::size_t>(n)};
    while (!left.empty()) {
        const DecodedKey key = next_key(left, true);
        if (cancels(key)) {
            return {false, true};
        }
        left = left.subspan(static_cast<std::size_t>(key.length));
    }
    return {};
}

DecodedKey take_key(KeyQueue* queue, Waited waited) {
    const DecodedKey key = next_key(queued_from(queue, 0), waited_for(*queue, waited));
    if (key.length > 0) {
        remove(queue, 0, key.length);
        queue->scanned = queue->scanned > key.length ? queue->scanned - key.length : 0;
    }
    return key;
}

DecodedKey take_key(KeyQueue* queue, bool settled) {
    return take_key(queue, settled ? Waited::answer : Waited::no);
}

void hold_keys(KeyQueue* queue) {
    queue->scanned = 0;
}

DecodedKey take_held_key(KeyQueue* queue, Waited waited) {
    return take_held(queue, waited_for(*queue, waited), true);
}

bool take_cancel(KeyQueue* queue, bool settled) {
    return take_held(queue, waited_for(*queue, settled ? Waited::answer : Waited::no), false)
               .length > 0;
}

bool key_unfinished(const KeyQueue& queue, bool held) {
    return !queue.ended && (held ? queue.scanned : 0) < queue.length;
}

bool answer_unfinished(const KeyQueue& queue, bool held) {
    return key_unfinished(queue, held) &&
           next_key(queued_from(&queue, held ? queue.scanned : 0), Waited::escape).length == 0;
}
