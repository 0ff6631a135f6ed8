// Whole keys from the bytes a terminal sends, however the bytes are split into reads.
#include "term/key_decoder.hpp"

#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <vector>

using namespace std::string_literals;

namespace {

struct Got {
    Key key;
    unsigned char byte;
    bool operator==(const Got&) const = default;
};

void PrintTo(const Got& got, std::ostream* out) {
    *out << "{key " << static_cast<int>(got.key) << ", byte " << static_cast<int>(got.byte) << "}";
}

std::span<const unsigned char> bytes_of(std::string_view text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

// Takes every whole key off the front of queue; settled as next_key's.
void take_keys(std::string* queue, bool settled, std::vector<Got>* keys) {
    for (;;) {
        const DecodedKey key = next_key(bytes_of(*queue), settled);
        if (key.length == 0) {
            return;
        }
        ASSERT_LE(static_cast<std::size_t>(key.length), queue->size());
        keys->push_back({key.key, key.byte});
        queue->erase(0, static_cast<std::size_t>(key.length));
    }
}

// The keys of input arriving in reads that end at the given offsets, with the wait running out
// only after the last read.
std::vector<Got> decode(std::string_view input, const std::vector<std::size_t>& ends) {
    std::vector<Got> keys;
    std::string queue;
    std::size_t from = 0;
    for (const std::size_t end : ends) {
        queue.append(input.substr(from, end - from));
        from = end;
        take_keys(&queue, false, &keys);
    }
    queue.append(input.substr(from));
    take_keys(&queue, false, &keys);
    take_keys(&queue, true, &keys);
    EXPECT_TRUE(queue.empty());
    return keys;
}

constexpr Got up{Key::up, 0}, down{Key::down, 0}, page_up{Key::page_up, 0},
    page_down{Key::page_down, 0}, home{Key::home, 0}, end{Key::end, 0}, escape{Key::escape, 0},
    ignored{Key::ignored, 0}, right{Key::right, 0}, left{Key::left, 0},
    delete_char{Key::delete_char, 0};
constexpr Got byte(unsigned char b) {
    return {Key::byte, b};
}
constexpr Got back(unsigned char b) {
    return {Key::back, b};
}

struct Case {
    std::string input;
    std::vector<Got> keys;
};

const std::vector<Case>& cases() {
    static const std::vector<Case> table = {
        {"\x1b[A", {up}},
        {"\x1b[B", {down}},
        {"\x1bOA", {up}},
        {"\x1bOB", {down}},
        {"\x1b[5~", {page_up}},
        {"\x1b[6~", {page_down}},
        {"\x1b[5", {page_up}}, // nothing followed in time
        {"\x1b[6", {page_down}},
        {"\x1b[5;5~", {ignored}}, // Ctrl+Page Up runs to its final byte
        {"\x1b[5q", {ignored}},
        {"\x1b[H", {home}},
        {"\x1b[F", {end}},
        {"\x1b[1~", {home}},
        {"\x1b[4~", {end}},
        {"\x1bOH", {home}},
        {"\x1bOF", {end}},
        {"\x1b[3~", {delete_char}},
        {"\x1b[2~", {ignored}},   // Insert
        {"\x1b[3;5~", {ignored}}, // Ctrl+Delete
        {"\x1b[15~", {ignored}},  // F5
        {"\x1bOP", {ignored}},    // F1
        {"\x1b[[A", {ignored}},   // F1 on the Linux console
        {"\x1b[C\x1b[D", {right, left}},
        {"\x1bOC\x1bOD", {right, left}},
        {"\x1b[1;5C", {ignored}}, // Ctrl+Right
        {"\x1b[1;5A", {ignored}}, // Ctrl+Up
        {"\x1b[1;2H", {ignored}}, // Shift+Home
        {"\x1bO5A", {ignored}},
        {"\x1b[<0;12;7M", {ignored}},         // a mouse report
        {"\x1b[M !!q", {ignored, byte('q')}}, // an old-style one, then a key
        {"\x1b[?1;2c", {ignored}},
        {"\x1bx", {ignored}}, // Alt+x
        {"\x1b ", {ignored}},
        {"\x1b[", {ignored}}, // Alt+[ when nothing follows
        {"\x1bO", {ignored}},
        {"\x1b\r", {ignored}}, // Alt+Enter opens nothing
        {"\x1b\x7f", {ignored}},
        {"\x1b\xc3\xa9", {ignored, byte(0xa9)}},
        {"\x1b\x1b", {ignored}},   // Alt+Esc
        {"\x1b\x1b[A", {ignored}}, // Alt+Up on some terminals
        {"\x1b", {escape}},
        {"\x08", {back(0x08)}},
        {"\x7f", {back(0x7f)}},
        {"q", {byte('q')}},
        {"\r", {byte('\r')}},
        {"\x03", {byte(0x03)}},
        {"\xff", {byte(0xff)}},
        {"bq", {byte('b'), byte('q')}},
        {"q\x1b[B", {byte('q'), down}},
        {"\x1b[6~\r", {page_down, byte('\r')}},
        {"\x1b[A\x1b[B\x1bOA", {up, down, up}},
        {"ab\x1b", {byte('a'), byte('b'), escape}},
        // A control byte cuts a sequence short and is read on its own.
        {"\x1b[1\r", {ignored, byte('\r')}},
        {"\x1b[\x1b[A", {ignored, up}},
        {"\x1bO\x7f", {ignored, back(0x7f)}},
        {"\x1b[1;5\x1b[B", {ignored, down}},
        {"\x1b[?\x1bOA", {ignored, up}},
        {"\x1bO5\x1b", {ignored, escape}},
        {"\x1b[5\x1b", {page_up, escape}},
        {"\x1b[\x1b", {ignored, escape}},
        {"\x1b[12\tq", {ignored, byte('\t'), byte('q')}},
        {"\x1b[1\x00"s, {ignored, byte(0)}},
        {"\x1b[1;\x80", {ignored, byte(0x80)}},
        {"\x1b[\xff", {ignored, byte(0xff)}},
        {"\x1bO\x08", {ignored, back(0x08)}},
        // ESC [ 5 and ESC [ 6 cut by the next sequence are still the page keys.
        {"\x1b[5\x1b[6~", {page_up, page_down}},
        {"\x1b[6\x1b[B", {page_down, down}},
        {"\x1b[5\x1b[5\x1b[A", {page_up, page_up, up}},
        {"\x1b[6\x1bOB", {page_down, down}},
        {"\x1b\x1b[6\x1b[B", {ignored, down}}, // Alt+Page Down
        // ...but cut by CR or any other control byte, they are dropped like any other.
        {"\x1b[6\r", {ignored, byte('\r')}},
        {"\x1b[5\n", {ignored, byte('\n')}},
        {"\x1b[6\x7f", {ignored, back(0x7f)}},
        {"\x1b[6\x03", {ignored, byte(0x03)}},
        {"\x1b[5\xc3\xa9", {ignored, byte(0xc3), byte(0xa9)}},
        {"\x1b[6\x1f~", {ignored, byte(0x1f), byte('~')}},
        {"\x1bO6\x1b[B", {ignored, down}}, // only the CSI form is a page key
    };
    return table;
}

std::string shown(std::string_view input) {
    return testing::PrintToString(std::string(input));
}

TEST(KeyDecoder, DecodesEachSequenceWhole) {
    for (const Case& c : cases()) {
        EXPECT_EQ(decode(c.input, {}), c.keys) << "case=" << shown(c.input);
    }
}

TEST(KeyDecoder, SameKeysWhereverTheReadsEnd) {
    for (const Case& c : cases()) {
        for (std::size_t split = 1; split < c.input.size(); ++split) {
            EXPECT_EQ(decode(c.input, {split}), c.keys)
                << "case=" << shown(c.input) << " split=" << split;
        }
        std::vector<std::size_t> every;
        for (std::size_t end = 1; end < c.input.size(); ++end) {
            every.push_back(end);
        }
        EXPECT_EQ(decode(c.input, every), c.keys) << "case=" << shown(c.input) << " bytewise";
    }
}

TEST(KeyDecoder, KeysInOneReadFollowEachOther) {
    std::string input;
    std::vector<Got> keys;
    for (const Case& c : cases()) {
        // A lone ESC or a cut sequence is whole only when nothing follows it.
        if (c.input.back() == '\x1b' || c.input == "\x1b[5" || c.input == "\x1b[6" ||
            c.input == "\x1b[" || c.input == "\x1bO" || c.input == "\x1b\x1b") {
            continue;
        }
        input += c.input;
        keys.insert(keys.end(), c.keys.begin(), c.keys.end());
    }
    EXPECT_EQ(decode(input, {}), keys);
}

TEST(KeyDecoder, WaitsForMoreUntilSettled) {
    for (const std::string_view start :
         {"\x1b", "\x1b[", "\x1bO", "\x1b[5", "\x1b[1;5", "\x1b\x1b", "\x1b\x1b[", "\x1b[M!"}) {
        EXPECT_EQ(next_key(bytes_of(start), false).length, 0) << "case=" << shown(start);
        EXPECT_EQ(next_key(bytes_of(start), true).length, static_cast<int>(start.size()))
            << "case=" << shown(start);
    }
    EXPECT_EQ(next_key({}, true).length, 0);
}

// A terminal that never ends its sequence cannot fill the queue: the sequence is cut, and what
// follows is read afresh.
TEST(KeyDecoder, EndlessSequenceIsCut) {
    const std::string endless = "\x1b[" + std::string(500, '1');
    const DecodedKey key = next_key(bytes_of(endless), false);
    EXPECT_EQ(key.length, longest_sequence);
    EXPECT_EQ(key.key, Key::ignored);
    const std::string shorter = "\x1b[" + std::string(longest_sequence - 3, ';') + "A";
    EXPECT_EQ(next_key(bytes_of(shorter), false).length, longest_sequence);
    const std::string alt = "\x1b" + endless;
    EXPECT_EQ(next_key(bytes_of(alt), false).length, longest_sequence + 1);
}

} // namespace
