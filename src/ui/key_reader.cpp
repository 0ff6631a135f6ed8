// The views' one source of input: whole keys from the keyboard, and ticks between them.
#include "ui/key_reader.hpp"

#include <cerrno>
#include <cstring>
#include <poll.h>
#include <unistd.h>

namespace {

constexpr int tick_ms = 100;
// How long the rest of a sequence is waited for; a lone ESC is the Esc key after it.
constexpr int sequence_wait_ms = 50;

static_assert(KeyQueue{}.bytes.size() > longest_sequence + 1,
              "a full queue must always hold a whole key");

std::span<const unsigned char> queued(const KeyQueue* queue) {
    return {queue->bytes.data(), static_cast<std::size_t>(queue->length)};
}

Input take(KeyQueue* queue, DecodedKey key) {
    std::memmove(queue->bytes.data(), queue->bytes.data() + key.length,
                 static_cast<std::size_t>(queue->length - key.length));
    queue->length -= key.length;
    return {InputKind::key, key};
}

// Once the input has ended nothing can follow what is queued.
Input drain(KeyQueue* queue) {
    queue->ended = true;
    if (queue->length == 0) {
        return {InputKind::ended, {}};
    }
    return take(queue, next_key(queued(queue), true));
}

} // namespace

Input read_input(KeyQueue* queue, int fd) {
    if (queue->ended) {
        return drain(queue);
    }
    if (const DecodedKey key = next_key(queued(queue), false); key.length > 0) {
        return take(queue, key);
    }
    pollfd wanted{fd, POLLIN, 0};
    const int ready = poll(&wanted, 1, queue->length > 0 ? sequence_wait_ms : tick_ms);
    if (ready < 0) {
        return errno == EINTR ? Input{} : drain(queue);
    }
    if (ready == 0) {
        // Nothing more came: what is queued is whole now.
        return queue->length > 0 ? take(queue, next_key(queued(queue), true)) : Input{};
    }
    const std::size_t room = queue->bytes.size() - static_cast<std::size_t>(queue->length);
    const ssize_t got = read(fd, queue->bytes.data() + queue->length, room);
    if (got < 0 && (errno == EINTR || errno == EAGAIN)) {
        return {};
    }
    if (got <= 0) {
        return drain(queue);
    }
    queue->length += static_cast<int>(got);
    if (const DecodedKey key = next_key(queued(queue), false); key.length > 0) {
        return take(queue, key);
    }
    return {};
}
