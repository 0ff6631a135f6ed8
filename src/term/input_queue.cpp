// Bytes read from the keyboard before anyone asked for them (typed while a page loads).
#include "term/input_queue.hpp"

#include <cstring>

void queue_input(InputQueue* queue, const unsigned char* bytes, std::size_t count) {
    const std::size_t room = sizeof queue->bytes - queue->length;
    const std::size_t n = count < room ? count : room;
    std::memcpy(queue->bytes + queue->length, bytes, n);
    queue->length += n;
}

std::size_t take_input(InputQueue* queue, unsigned char* out, std::size_t max) {
    const std::size_t n = max < queue->length ? max : queue->length;
    std::memcpy(out, queue->bytes, n);
    std::memmove(queue->bytes, queue->bytes + n, queue->length - n);
    queue->length -= n;
    return n;
}

std::size_t first_key_length(const InputQueue& queue) {
    if (queue.length == 0) {
        return 0;
    }
    if (queue.bytes[0] != 0x1b) {
        return 1;
    }
    return queue.length < 3 ? queue.length : 3;
}
