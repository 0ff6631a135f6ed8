// Saving an item to a file the user named: written beside it under a temporary name, moved to
// the name only when complete, and never over a file that is there.
#include "nav/save_file.hpp"

#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>

#include "term/terminal.hpp"

namespace {

// The longest file name most file systems take, which the temporary name must fit as well.
constexpr std::size_t name_max = 255;
constexpr std::string_view temp_tag = ".kesmor-";
constexpr std::size_t suffix_length = 6;
// Tries at a free temporary name before giving up: a clash is already unlikely once.
constexpr int create_attempts = 100;

SaveResult ok() {
    return {SaveStatus::ok, {}};
}

SaveResult failure(int error) {
    return {SaveStatus::failed, std::string("Error: ") + std::strerror(error)};
}

SaveResult exists(std::string_view name) {
    std::string message = "Error: ";
    message += name;
    message += " exists.";
    return {SaveStatus::exists, std::move(message)};
}

// Six letters or digits; random when the kernel gives randomness, else from the clock and the
// attempt, which O_EXCL makes safe either way.
std::string random_suffix(unsigned attempt) {
    constexpr std::string_view letters =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::array<unsigned char, suffix_length> noise{};
    if (getrandom(noise.data(), noise.size(), GRND_NONBLOCK) !=
        static_cast<ssize_t>(noise.size())) {
        timespec now{};
        std::ignore = clock_gettime(CLOCK_MONOTONIC, &now);
        auto mix = static_cast<unsigned long>(now.tv_nsec) ^
                   (static_cast<unsigned long>(getpid()) << 16U) ^ (attempt * 2654435761UL);
        for (unsigned char& byte : noise) {
            byte = static_cast<unsigned char>(mix);
            mix = mix * 6364136223846793005UL + 1442695040888963407UL;
            mix ^= mix >> 29U;
        }
    }
    std::string suffix;
    for (const unsigned char byte : noise) {
        suffix += letters[byte % letters.size()];
    }
    return suffix;
}

// ".BASE.kesmor-" in the name's directory, BASE cut so the whole stays a legal file name.
std::string temp_prefix(std::string_view name) {
    const std::size_t slash = name.rfind('/');
    const std::size_t base_at = slash == std::string_view::npos ? 0 : slash + 1;
    const std::size_t room = name_max - 1 - temp_tag.size() - suffix_length;
    std::string prefix{name.substr(0, base_at)};
    prefix += '.';
    prefix += name.substr(base_at, room);
    prefix += temp_tag;
    return prefix;
}

void close_and_remove(SaveFile* save) {
    if (save->fd >= 0) {
        std::ignore = close(save->fd);
        save->fd = -1;
    }
    if (!save->temp_path.empty()) {
        std::ignore = unlink(save->temp_path.c_str());
        forget_temp_file(save->temp_path.c_str());
        save->temp_path.clear();
    }
}

} // namespace

SaveFile::SaveFile(SaveFile&& other) noexcept
    : name(std::move(other.name)), temp_path(std::exchange(other.temp_path, {})),
      fd(std::exchange(other.fd, -1)), written(other.written) {}

SaveFile& SaveFile::operator=(SaveFile&& other) noexcept {
    if (this != &other) {
        close_and_remove(this);
        name = std::move(other.name);
        temp_path = std::exchange(other.temp_path, {});
        fd = std::exchange(other.fd, -1);
        written = other.written;
    }
    return *this;
}

SaveFile::~SaveFile() {
    close_and_remove(this);
}

SaveResult save_start(std::string_view name, SaveFile* save) {
    close_and_remove(save);
    save->name = name;
    save->written = 0;
    if (name.empty()) {
        return failure(ENOENT);
    }
    struct stat there {};
    if (lstat(save->name.c_str(), &there) == 0) {
        return exists(name);
    }
    if (errno != ENOENT) {
        return failure(errno);
    }
    if (name.back() == '/') {
        return failure(EISDIR);
    }
    const std::string prefix = temp_prefix(name);
    for (int attempt = 0; attempt < create_attempts; ++attempt) {
        std::string path = prefix + random_suffix(static_cast<unsigned>(attempt));
        // Not mkstemp: its 0600 would ignore the umask the user chose for new files.
        const int fd = open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            save->fd = fd;
            save->temp_path = std::move(path);
            remember_temp_file(save->temp_path.c_str());
            return ok();
        }
        if (errno != EEXIST) {
            return failure(errno);
        }
    }
    return failure(EEXIST);
}

SaveResult save_write(SaveFile* save, std::string_view bytes) {
    if (save->fd < 0) {
        return failure(EBADF);
    }
    while (!bytes.empty()) {
        const ssize_t done = write(save->fd, bytes.data(), bytes.size());
        if (done < 0) {
            if (errno == EINTR) {
                continue;
            }
            const int error = errno;
            close_and_remove(save);
            return failure(error);
        }
        bytes.remove_prefix(static_cast<std::size_t>(done));
        save->written += static_cast<std::uint64_t>(done);
    }
    return ok();
}

int link_into_place(const char* temp, const char* name) {
    if (link(temp, name) != 0) {
        return errno;
    }
    std::ignore = unlink(temp);
    return 0;
}

SaveResult save_finish(SaveFile* save) {
    if (save->fd < 0) {
        return failure(EBADF);
    }
    // A file system may report a failed write only at close.
    const int closed = close(save->fd);
    save->fd = -1;
    if (closed != 0 && errno != EINTR) {
        const int error = errno;
        close_and_remove(save);
        return failure(error);
    }
    int error = 0;
    if (renameat2(AT_FDCWD, save->temp_path.c_str(), AT_FDCWD, save->name.c_str(),
                  RENAME_NOREPLACE) != 0) {
        error = errno;
        if (error == ENOSYS || error == EINVAL) {
            error = link_into_place(save->temp_path.c_str(), save->name.c_str());
        }
    }
    if (error == 0) {
        forget_temp_file(save->temp_path.c_str());
        save->temp_path.clear();
        return ok();
    }
    close_and_remove(save);
    return error == EEXIST ? exists(save->name) : failure(error);
}

void save_cancel(SaveFile* save) {
    close_and_remove(save);
}

std::string save_size_text(std::uint64_t bytes) {
    constexpr std::uint64_t kib = 1024;
    constexpr std::uint64_t mib = kib * kib;
    if (bytes < 10 * mib) {
        return std::to_string(bytes / kib) + " KB";
    }
    const std::uint64_t tenths = bytes / mib * 10 + bytes % mib * 10 / mib;
    return std::to_string(tenths / 10) + "." + std::to_string(tenths % 10) + " MB";
}

std::string saved_text(std::uint64_t bytes, std::string_view name, bool incomplete) {
    std::string text = "Saved ";
    if (bytes < 1024) {
        text += std::to_string(bytes);
        text += bytes == 1 ? " byte" : " bytes";
    } else {
        text += save_size_text(bytes);
    }
    text += " to ";
    text += name;
    text += incomplete ? " (incomplete page)." : ".";
    return text;
}
