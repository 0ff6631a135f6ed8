// Bytes from the keyboard that no one has taken as keys yet, and the whole keys taken off them.
#include "term/key_queue.hpp"

#include <cerrno>
#include <cstring>
#include <span>
#include <unistd.h>

namespace {

constexpr unsigned char interrupt = 0x03;

std::span<const unsigned char> queued_from(const KeyQueue* queue, int from) {
    return {queue->bytes.data() + from, static_cast<std::size_t>(queue->length - from)};
}

void remove(KeyQueue* queue, int at, int length) {
    std::memmove(queue->bytes.data() + at, queue->bytes.data() + at + length,
                 static_cast<std::size_t>(queue->length - at - length));
    queue->length -= length;
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

DecodedKey take_key(KeyQueue* queue, bool settled) {
    const DecodedKey key = next_key(queued_from(queue, 0), settled || queue->ended);
    if (key.length > 0) {
        remove(queue, 0, key.length);
        queue->scanned = queue->scanned > key.length ? queue->scanned - key.length : 0;
    }
    return key;
}

void hold_keys(KeyQueue* queue) {
    queue->scanned = 0;
}

bool take_cancel(KeyQueue* queue, bool settled) {
    while (queue->scanned < queue->length) {
        const DecodedKey key =
            next_key(queued_from(queue, queue->scanned), settled || queue->ended);
        if (key.length == 0) {
            return false;
        }
        if (cancels(key)) {
            remove(queue, queue->scanned, key.length);
            return true;
        }
        queue->scanned += key.length;
    }
    return false;
}

bool key_unfinished(const KeyQueue& queue, bool held) {
    return !queue.ended && (held ? queue.scanned : 0) < queue.length;
}
