// Keys decoded from a byte stream are the same however the stream is split into reads, and
// every call either takes bytes or waits for more that could complete a key.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "fuzz_check.hpp"
#include "term/key_decoder.hpp"

namespace {

struct Got {
    Key key;
    unsigned char byte;
    bool light;
    bool operator==(const Got&) const = default;
};

void take_keys(std::vector<unsigned char>* queue, bool settled, std::vector<Got>* keys) {
    for (;;) {
        const DecodedKey key = next_key(*queue, settled);
        FUZZ_CHECK(key.length >= 0 && static_cast<std::size_t>(key.length) <= queue->size());
        if (key.length == 0) {
            // Waiting is only for bytes that could still complete a key.
            FUZZ_CHECK(!settled || queue->empty());
            FUZZ_CHECK(queue->size() <= static_cast<std::size_t>(longest_sequence));
            return;
        }
        FUZZ_CHECK(key.byte == 0 || key.key == Key::byte || key.key == Key::back);
        FUZZ_CHECK(!key.light || key.key == Key::background);
        keys->push_back({key.key, key.byte, key.light});
        queue->erase(queue->begin(), queue->begin() + key.length);
    }
}

// The keys of the stream read in pieces that end at ends (ascending), settled after the last.
std::vector<Got> decode(std::span<const unsigned char> stream,
                        const std::vector<std::size_t>& ends) {
    std::vector<Got> keys;
    std::vector<unsigned char> queue;
    std::size_t from = 0;
    for (const std::size_t end : ends) {
        queue.insert(queue.end(), stream.begin() + static_cast<std::ptrdiff_t>(from),
                     stream.begin() + static_cast<std::ptrdiff_t>(end));
        from = end;
        take_keys(&queue, false, &keys);
    }
    queue.insert(queue.end(), stream.begin() + static_cast<std::ptrdiff_t>(from), stream.end());
    take_keys(&queue, false, &keys);
    take_keys(&queue, true, &keys);
    FUZZ_CHECK(queue.empty());
    return keys;
}

} // namespace

// The first byte chooses where the reads end; the rest is the stream.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::span<const unsigned char> stream(data + 1, size - 1);
    const std::vector<Got> whole = decode(stream, {});

    std::vector<std::size_t> every;
    std::vector<std::size_t> some;
    std::uint32_t state = data[0] * 2654435761u + 1;
    for (std::size_t end = 1; end < stream.size(); ++end) {
        every.push_back(end);
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        if (state % 4 == 0) {
            some.push_back(end);
        }
    }
    FUZZ_CHECK(decode(stream, every) == whole);
    FUZZ_CHECK(decode(stream, some) == whole);
    return 0;
}
