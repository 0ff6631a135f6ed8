// Keys read from a descriptor: whole, in order, and the end of input.
#include "ui/key_reader.hpp"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <string_view>
#include <unistd.h>

namespace {

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

TEST(KeyReader, KeysArrivingTogetherAreAllRead) {
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

TEST(KeyReader, SequenceInPiecesIsOneKey) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    keyboard.send("\x1b[");
    EXPECT_EQ(read_input(&queue, keyboard.read_end).kind, InputKind::tick);
    keyboard.send("6~");
    expect_key(next_input(&queue, keyboard.read_end), Key::page_down);
}

TEST(KeyReader, LoneEscIsTheEscKeyOnceTheWaitRunsOut) {
    Pipe keyboard;
    ASSERT_GE(keyboard.read_end, 0);
    KeyQueue queue;
    keyboard.send("\x1b");
    expect_key(next_input(&queue, keyboard.read_end), Key::escape);
    keyboard.send("\x1b[5");
    expect_key(next_input(&queue, keyboard.read_end), Key::page_up);
}

TEST(KeyReader, QueuedKeysComeBeforeTheEnd) {
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

TEST(KeyReader, FailingDescriptorEndsInput) {
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
TEST(KeyReader, FloodIsReadInBoundedPieces) {
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

} // namespace
