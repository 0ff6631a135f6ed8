// The one owner of a file descriptor: closed when it goes, unless handed on.
#pragma once

#include <unistd.h>
#include <utility>

struct Descriptor {
    int fd = -1;

    Descriptor() = default;
    explicit Descriptor(int owned) : fd(owned) {}
    Descriptor(Descriptor&& other) noexcept : fd(std::exchange(other.fd, -1)) {}
    Descriptor& operator=(Descriptor&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.fd, -1));
        }
        return *this;
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor() { reset(); }

    // Gives the descriptor up without closing it.
    [[nodiscard]] int release() { return std::exchange(fd, -1); }
    // Closes the one held, if any, and holds `owned` instead.
    void reset(int owned = -1) {
        if (fd >= 0) {
            close(fd);
        }
        fd = owned;
    }
};
