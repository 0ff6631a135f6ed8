// What one read of up to three bytes from the keyboard means to a view.
#include "ui/keys.hpp"

#include <cerrno>
#include <sys/select.h>
#include <unistd.h>

namespace {

constexpr unsigned char esc = 0x1b;
constexpr long poll_interval_us = 100'000;

} // namespace

KeyRead decode_key(const unsigned char* bytes, long count) {
    if (count < 0) {
        return {KeyKind::none, 0};
    }
    if (count == 0) {
        return {KeyKind::closed, 0};
    }
    if (count == 1) {
        return {KeyKind::single, bytes[0]};
    }
    if (count == 3 && bytes[0] == esc) {
        if (bytes[1] == '[' || bytes[1] == 'O') {
            return {KeyKind::movement, bytes[2]};
        }
    }
    return {KeyKind::dropped, 0};
}

KeyRead read_key() {
    // select may change both, so they are built afresh for every wait.
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(STDIN_FILENO, &readable);
    timeval timeout{0, poll_interval_us};
    const int ready = select(STDIN_FILENO + 1, &readable, nullptr, nullptr, &timeout);
    // A terminal gone (EIO) or a descriptor that cannot be read never brings a key.
    if (ready < 0 && errno != EINTR) {
        return {KeyKind::closed, 0};
    }
    if (ready <= 0 || !FD_ISSET(STDIN_FILENO, &readable)) {
        return {KeyKind::none, 0};
    }
    unsigned char bytes[3];
    const ssize_t got = read(STDIN_FILENO, bytes, sizeof bytes);
    if (got < 0 && errno != EINTR && errno != EAGAIN) {
        return {KeyKind::closed, 0};
    }
    return decode_key(bytes, static_cast<long>(got));
}
