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
    bool light = false;
    bool operator==(const Got&) const = default;
};

void PrintTo(const Got& got, std::ostream* out) {
    *out << "{key " << static_cast<int>(got.key) << ", byte " << static_cast<int>(got.byte)
         << (got.light ? ", light}" : "}");
}

std::span<const unsigned char> bytes_of(std::string_view text) {
    return {reinterpret_cast<const unsigned char*>(text.data()), text.size()};
}

// Takes every whole key off the front of queue; waited as next_key's.
void take_keys(std::string* queue, Waited waited, std::vector<Got>* keys) {
    for (;;) {
        const DecodedKey key = next_key(bytes_of(*queue), waited);
        if (key.length == 0) {
            return;
        }
        ASSERT_LE(static_cast<std::size_t>(key.length), queue->size());
        keys->push_back({key.key, key.byte, key.light});
        queue->erase(0, static_cast<std::size_t>(key.length));
    }
}

// The keys of input arriving in reads that end at the given offsets, with every wait running out
// only after the last read; between reads, the wait has run out up to between.
std::vector<Got> decode(std::string_view input, const std::vector<std::size_t>& ends,
                        Waited between = Waited::no) {
    std::vector<Got> keys;
    std::string queue;
    std::size_t from = 0;
    for (const std::size_t end : ends) {
        queue.append(input.substr(from, end - from));
        from = end;
        take_keys(&queue, between, &keys);
    }
    queue.append(input.substr(from));
    take_keys(&queue, Waited::no, &keys);
    take_keys(&queue, Waited::answer, &keys);
    EXPECT_TRUE(queue.empty());
    return keys;
}

constexpr Got up{Key::up, 0}, down{Key::down, 0}, page_up{Key::page_up, 0},
    page_down{Key::page_down, 0}, home{Key::home, 0}, end{Key::end, 0}, escape{Key::escape, 0},
    ignored{Key::ignored, 0}, right{Key::right, 0}, left{Key::left, 0}, answered{Key::answered, 0},
    light{Key::background, 0, true}, dark{Key::background, 0, false},
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
        {"\x1b[?1;2c", {answered}},           // the terminal's device attributes, no key
        // ESC followed at once by another key (tmux and ssh send Esc and the next key in one
        // write) is Esc, then that key.
        {"\x1bx", {escape, byte('x')}},
        {"\x1b ", {escape, byte(' ')}},
        {"\x1b[", {ignored}}, // Alt+[ when nothing follows
        {"\x1bO", {ignored}},
        {"\x1b\r", {escape, byte('\r')}},
        {"\x1b\x7f", {escape, back(0x7f)}},
        {"\x1b\xc3\xa9", {escape, byte(0xc3), byte(0xa9)}},
        {"\x1b\x1b", {escape, escape}},
        {"\x1b\x1b[A", {escape, up}},
        {"\x1b\x1b[B", {escape, down}},
        {"\x1bj", {escape, byte('j')}},
        {"\x1b]", {ignored}}, // the start of an answer that never went on
        {"\x1b]x", {escape, byte(']'), byte('x')}},
        {"\x1b]11x", {escape, byte(']'), byte('1'), byte('1'), byte('x')}},
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
        {"\x1b\x1b[6\x1b[B", {escape, page_down, down}},
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
            c.input == "\x1b[" || c.input == "\x1bO" || c.input == "\x1b]") {
            continue;
        }
        input += c.input;
        keys.insert(keys.end(), c.keys.begin(), c.keys.end());
    }
    EXPECT_EQ(decode(input, {}), keys);
}

TEST(KeyDecoder, WaitsForMoreUntilSettled) {
    for (const std::string_view start :
         {"\x1b", "\x1b[", "\x1bO", "\x1b[5", "\x1b[1;5", "\x1b[M!", "\x1b]", "\x1b[?1"}) {
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
    // An ESC before it is the Esc key, at once.
    const std::string burst = "\x1b" + endless;
    EXPECT_EQ(next_key(bytes_of(burst), false).key, Key::escape);
    EXPECT_EQ(next_key(bytes_of(burst), false).length, 1);
    for (const std::string& answer :
         {"\x1b]11;" + std::string(500, 'f'), "\x1b]" + std::string(500, '1'),
          "\x1b[?" + std::string(500, '1')}) {
        EXPECT_EQ(next_key(bytes_of(answer), Waited::no).length, longest_sequence)
            << shown(answer.substr(0, 5));
    }
    // The string terminator's ESC at the bound is left for the next key.
    const std::string at_bound = "\x1b]11;" + std::string(longest_sequence - 6, 'f') + "\x1b\\";
    EXPECT_EQ(next_key(bytes_of(at_bound), Waited::no).length, longest_sequence - 1);
}

// The terminal's answers to the background and device attributes questions, alone, among keys,
// cut short; never typed.
const std::vector<Case>& answer_cases() {
    static const std::vector<Case> table = {
        {"\x1b]11;rgb:ffff/ffff/ffff\x07", {light}},
        {"\x1b]11;rgb:ffff/ffff/ffff\x1b\\", {light}},
        {"\x1b]11;rgb:0000/0000/0000\x1b\\", {dark}},
        {"\x1b]11;rgb:f/f/f\x07", {light}},
        {"\x1b]11;rgb:1e1e/1e1e/1e1e\x07", {dark}},
        {"\x1b]11;rgb:fdf6/e3e3/0000\x07", {light}},   // a light yellow
        {"\x1b]11;rgb:0000/0000/ffff\x07", {dark}},    // pure blue is dark
        {"\x1b]10;rgb:ffff/ffff/ffff\x07", {ignored}}, // the foreground: no background news
        {"\x1b]11;?\x07", {ignored}},
        {"\x1b]11;rgb:ffff/ffff\x07", {ignored}},
        {"\x1b[?62;22c", {answered}},
        {"\x1b[?1;2c\x1b[?6c", {answered, answered}},
        {"j\x1b]11;rgb:ffff/ffff/ffff\x07k", {byte('j'), light, byte('k')}},
        {"\x1b]11;rgb:0/0/0\x07\x1b[?62c", {dark, answered}},
        {"\x1b[B\x1b]11;rgb:ffff/ffff/ffff\x1b\\\x1b[A", {down, light, up}},
        {"\x1b\x1b]11;rgb:ffff/ffff/ffff\x07", {escape, light}},
        {"\x1b\x1b[?62c", {escape, answered}},
        // Cut short by a control byte or another sequence: dropped, the keys after it read.
        {"\x1b]11;rgb:ff\rq", {ignored, byte('\r'), byte('q')}},
        {"\x1b]11;rgb:ff\x1b[A", {ignored, up}},
        {"\x1b]11;rgb:ff\x1b", {ignored, escape}},
        {"\x1b[?62;\x1b[B", {ignored, down}},
    };
    return table;
}

TEST(KeyDecoder, AnswersAreReadWholeAndNeverTyped) {
    for (const Case& c : answer_cases()) {
        EXPECT_EQ(decode(c.input, {}), c.keys) << "case=" << shown(c.input);
        for (std::size_t split = 1; split < c.input.size(); ++split) {
            EXPECT_EQ(decode(c.input, {split}), c.keys)
                << "case=" << shown(c.input) << " split=" << split;
        }
    }
}

// The rest of an answer may come after the escape wait ran out: the beginning waits for it.
TEST(KeyDecoder, AnswerCutAcrossTheEscapeWaitStaysWhole) {
    const std::vector<Case> cases = {
        {"\x1b]11;rgb:ffff/ffff/ffff\x07", {light}},
        {"\x1b]11;rgb:0000/0000/0000\x1b\\", {dark}},
        {"\x1b[?62;22c", {answered}},
    };
    for (const Case& c : cases) {
        for (std::size_t split = 2; split < c.input.size(); ++split) {
            EXPECT_EQ(decode(c.input, {split}, Waited::escape), c.keys)
                << "case=" << shown(c.input) << " split=" << split;
        }
    }
}

// The answer wait is the bound: after it, the beginning is dropped and an ESC after it acts.
TEST(KeyDecoder, UnfinishedAnswerEndsWithTheAnswerWait) {
    const struct {
        std::string_view queued;
        int length;
        Key key;
    } cases[] = {
        {"\x1b]", 2, Key::ignored},           {"\x1b]11", 4, Key::ignored},
        {"\x1b]11;rgb:ff", 11, Key::ignored}, {"\x1b]11;rgb:ffff/ffff/ffff\x1b", 23, Key::ignored},
        {"\x1b[?62;2", 7, Key::ignored},      {"\x1b[", 2, Key::ignored},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(next_key(bytes_of(c.queued), Waited::no).length, 0) << shown(c.queued);
        EXPECT_EQ(next_key(bytes_of(c.queued), Waited::escape).length, 0) << shown(c.queued);
        const DecodedKey key = next_key(bytes_of(c.queued), Waited::answer);
        EXPECT_EQ(key.length, c.length) << shown(c.queued);
        EXPECT_EQ(key.key, c.key) << shown(c.queued);
    }
    // Keys wait for the escape wait alone.
    EXPECT_EQ(next_key(bytes_of("\x1b"), Waited::escape).key, Key::escape);
    EXPECT_EQ(next_key(bytes_of("\x1b[1;5"), Waited::escape).length, 5);
}

} // namespace
