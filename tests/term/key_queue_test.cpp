// Keys read from a descriptor: whole, in order, and the end of input; a cancel among keys held.
#include "term/key_queue.hpp"

#include <chrono>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <string_view>
#include <unistd.h>

namespace {

enum class InputKind { key, tick, ended };
struct Input {
    InputKind kind = InputKind::tick;
    DecodedKey key;
};

// The keyboard's side of the event loop, alone: the next key queued, else a wait for fd of up to
// 100 ms (50 ms, the escape wait, while the queue holds the start of a key), one read, and the
// first whole key; a tick when there is none yet.
Input read_input(KeyQueue* queue, int fd) {
    if (const DecodedKey key = take_key(queue, false); key.length > 0) {
        return {InputKind::key, key};
    }
    if (queue->ended) {
        return {InputKind::ended, {}};
    }
    pollfd wanted{fd, POLLIN, 0};
    const int ready = poll(&wanted, 1, queue->length > 0 ? escape_wait_ms : 100);
    if (ready == 0) {
        // Nothing more came: what is queued is whole now.
        const DecodedKey key = take_key(queue, true);
        return key.length > 0 ? Input{InputKind::key, key} : Input{};
    }
    if (ready > 0) {
        std::ignore = read_keyboard(queue, fd);
    }
    if (const DecodedKey key = take_key(queue, false); key.length > 0) {
        return {InputKind::key, key};
    }
    return queue->ended && queue->length == 0 ? Input{InputKind::ended, {}} : Input{};
}

struct Pipe {
    int read_end = -1;
    int write_end = -1;
    Pipe() {
        int ends[2];
        if (pipe(ends) == 0) {
            read_end = ends[0];
            write_end = ends[1];
        }
    }
    ~Pipe() {
        close_writing();
        if (read_end >= 0) {
            close(read_end);
        }
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    void send(std::string_view bytes) const {
        ASSERT_EQ(write(write_end, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    void close_writing() {
        if (write_end >= 0) {
            close(write_end);
            write_end = -1;
        }
    }
};

// The next input that is not a tick; ticks come while a wait runs out, and a few are allowed.
Input next_input(KeyQueue* queue, int fd) {
    for (int tries = 0; tries < 50; ++tries) {
        const Input input = read_input(queue, fd);
        if (input.kind != InputKind::tick) {
            return input;
        }
    }
    ADD_FAILURE() << "only ticks";
    return {};
}

void expect_key(const Input& input, Key key, unsigned char byte = 0) {
    ASSERT_EQ(input.kind, InputKind::key);
    EXPECT_EQ(input.key.key, key);
    if (key == Key::byte || key == Key::back) {
        EXPECT_EQ(input.key.byte, byte);
    }
}

TEST(KeyQueue, KeysArrivingTogetherAreAllRead) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    keyboard.send("bq\x1b[6~\x08");
    expect_key(next_input(&queue, keyboard.read_end), Key::byte, 'b');
    expect_key(next_input(&queue, keyboard.read_end), Key::byte, 'q');
    expect_key(next_input(&queue, keyboard.read_end), Key::page_down);
    expect_key(next_input(&queue, keyboard.read_end), Key::back, 0x08);
    // Nothing is waiting: a tick.
    EXPECT_EQ(read_input(&queue, keyboard.read_end).kind, InputKind::tick);
}

TEST(KeyQueue, SequenceInPiecesIsOneKey) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    keyboard.send("\x1b[");
    EXPECT_EQ(read_input(&queue, keyboard.read_end).kind, InputKind::tick);
    keyboard.send("6~");
    expect_key(next_input(&queue, keyboard.read_end), Key::page_down);
}

TEST(KeyQueue, LoneEscIsTheEscKeyOnceTheWaitRunsOut) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    keyboard.send("\x1b");
    expect_key(next_input(&queue, keyboard.read_end), Key::escape);
    keyboard.send("\x1b[5");
    expect_key(next_input(&queue, keyboard.read_end), Key::page_up);
}

TEST(KeyQueue, QueuedKeysComeBeforeTheEnd) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    keyboard.send("a\x1b[");
    keyboard.close_writing();
    expect_key(next_input(&queue, keyboard.read_end), Key::byte, 'a');
    expect_key(next_input(&queue, keyboard.read_end), Key::ignored);
    EXPECT_EQ(next_input(&queue, keyboard.read_end).kind, InputKind::ended);
    EXPECT_EQ(read_input(&queue, keyboard.read_end).kind, InputKind::ended);
}

TEST(KeyQueue, FailingDescriptorEndsInput) {
    int closed = -1;
    {
        const Pipe gone;
        closed = gone.read_end;
    }
    ASSERT_GE(closed, 0);
    KeyQueue queue;
    EXPECT_EQ(next_input(&queue, closed).kind, InputKind::ended);
}

// More than the queue holds, sent at once, in a sequence that never ends: read in bounded
// pieces, without a key lost after it.
TEST(KeyQueue, FloodIsReadInBoundedPieces) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    const std::string flood = "\x1b[" + std::string(62, '1') + std::string(1000, 'x') + "q";
    keyboard.send(flood);
    keyboard.close_writing();
    expect_key(next_input(&queue, keyboard.read_end), Key::ignored);
    for (int i = 0; i < 1000; ++i) {
        expect_key(next_input(&queue, keyboard.read_end), Key::byte, 'x');
    }
    expect_key(next_input(&queue, keyboard.read_end), Key::byte, 'q');
    EXPECT_EQ(next_input(&queue, keyboard.read_end).kind, InputKind::ended);
}

// While a page loads, keys are held: a cancel among them leaves the queue, the others stay in
// order; a lone ESC waits for the wait to run out before it cancels.
TEST(KeyQueue, CancelAmongHeldKeysLeavesTheOthers) {
    const struct {
        std::string queued;
        bool settled;
        bool cancel;
        std::string left;
    } cases[] = {
        {"ab\x03"
         "cd",
         false, true, "abcd"},
        {"a\x1b[Bb", true, false, "a\x1b[Bb"},
        {"a\x1b", false, false, "a\x1b"},
        {"a\x1b", true, true, "a"},
        {"\x1b\x1b[A", false, true, "\x1b[A"},     // Esc, then Up: both typed in one burst
        {"a\x1b[?62c", true, false, "a\x1b[?62c"}, // an answer waits with the keys
    };
    for (const auto& c : cases) {
        KeyQueue queue;
        std::copy(c.queued.begin(), c.queued.end(), queue.bytes.begin());
        queue.length = static_cast<int>(c.queued.size());
        EXPECT_EQ(take_cancel(&queue, c.settled), c.cancel) << testing::PrintToString(c.queued);
        EXPECT_EQ(std::string(queue.bytes.begin(), queue.bytes.begin() + queue.length), c.left)
            << testing::PrintToString(c.queued);
    }
}

// While keys are held, the terminal's answers are taken out as they come, with cancels; the keys
// around them wait.
TEST(KeyQueue, AnswersLeaveHeldKeys) {
    KeyQueue queue;
    const std::string_view queued = "a\x1b]11;rgb:ffff/ffff/ffff\x07"
                                    "b\x1b[?62cc\x1b]11;rgb:00";
    std::copy(queued.begin(), queued.end(), queue.bytes.begin());
    queue.length = static_cast<int>(queued.size());
    const DecodedKey background = take_held_key(&queue, Waited::escape);
    EXPECT_EQ(background.key, Key::background);
    EXPECT_TRUE(background.light);
    EXPECT_EQ(take_held_key(&queue, Waited::escape).key, Key::answered);
    // The last answer is still arriving.
    EXPECT_EQ(take_held_key(&queue, Waited::escape).length, 0);
    EXPECT_TRUE(key_unfinished(queue, true));
    EXPECT_TRUE(answer_unfinished(queue, true));
    EXPECT_EQ(std::string(queue.bytes.begin(), queue.bytes.begin() + queue.length),
              "abc\x1b]11;rgb:00");
    // Its wait over, it is dropped; the keys stay for when the page is shown.
    EXPECT_EQ(take_held_key(&queue, Waited::answer).length, 0);
    EXPECT_FALSE(key_unfinished(queue, true));
    EXPECT_EQ(take_key(&queue, Waited::answer).byte, 'a');
    EXPECT_EQ(take_key(&queue, Waited::answer).byte, 'b');
    EXPECT_EQ(take_key(&queue, Waited::answer).byte, 'c');
    EXPECT_EQ(take_key(&queue, Waited::answer).key, Key::ignored);
    EXPECT_EQ(queue.length, 0);
}

// A lone ESC waits for the escape wait, an answer's beginning for the answer wait.
TEST(KeyQueue, UnfinishedAnswerWaitsLonger) {
    const struct {
        std::string_view queued;
        bool unfinished;
        bool answer;
    } cases[] = {
        {"", false, false},
        {"\x1b", true, false},
        {"\x1b[1;5", true, false},
        {"\x1b[", true, true}, // a key that means nothing, or an answer's beginning
        {"\x1b]11;rgb:", true, true},
        {"\x1b[?6", true, true},
        {"\x1b]11;rgb:0/0/0\x1b", true, true}, // the string terminator cut in two
    };
    for (const auto& c : cases) {
        KeyQueue queue;
        std::copy(c.queued.begin(), c.queued.end(), queue.bytes.begin());
        queue.length = static_cast<int>(c.queued.size());
        EXPECT_EQ(key_unfinished(queue, false), c.unfinished) << testing::PrintToString(c.queued);
        EXPECT_EQ(answer_unfinished(queue, false), c.answer) << testing::PrintToString(c.queued);
    }
}

// A full queue drops what is typed, but not the news of a cancel in it.
TEST(KeyQueue, FullQueueStillSeesACancel) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    queue.length = static_cast<int>(queue.bytes.size());
    keyboard.send("xyz");
    EXPECT_FALSE(read_keyboard(&queue, keyboard.read_end).cancelled);
    keyboard.send("x\x03y");
    EXPECT_TRUE(read_keyboard(&queue, keyboard.read_end).cancelled);
    EXPECT_EQ(queue.length, static_cast<int>(queue.bytes.size()));
}

} // namespace
