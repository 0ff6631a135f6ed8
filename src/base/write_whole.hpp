// The whole of a buffer written to a descriptor (a file, standard output), going on after
// interruptions and short writes.
#pragma once

#include <cerrno>
#include <cstddef>
#include <string_view>
#include <unistd.h>

// 0, or the errno of the write that failed (EIO for one that wrote nothing).
[[nodiscard]] inline int write_whole(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t done = write(fd, bytes.data(), bytes.size());
        if (done < 0 && errno == EINTR) {
            continue;
        }
        if (done <= 0) {
            return done < 0 ? errno : EIO;
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
    }
    return 0;
}
