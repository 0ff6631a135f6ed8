// The bookmarks file: read as the bookmarks page, added to and removed from by line, safely when
// several programs share it.
#include "nav/bookmarks_file.hpp"

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <tuple>
#include <unistd.h>
#include <utility>

#include "base/write_whole.hpp"
#include "gopher/descriptor.hpp"

namespace {

// How much of the file an add looks through for the same place: far past any file a person
// keeps, and a bound on the memory a strange file can take.
constexpr std::size_t add_scan_max = std::size_t{64} << 20U;
// How long an add or a removal waits for another program's removal to finish: it takes
// milliseconds, so this is only reached when something holds the lock and does not let go.
constexpr long lock_wait_ms = 10000;
// Each try finds the file renamed by a removal that finished meanwhile; many in a row mean
// programs racing without end.
constexpr int reopen_tries = 1000;

// Errors are errno values, and one of the program's own.
constexpr int not_regular = -1;
constexpr std::string_view bad_address = "Its address holds a TAB or a line break";

std::string reason_of(int error) {
    return error == not_regular ? "Not a regular file" : std::strerror(error);
}

// Opens the path without waiting on a FIFO or a device, and only as a regular file. 0 or the
// error; fd holds nothing on an error.
int open_regular(const std::string& path, int flags, Descriptor* fd) {
    fd->reset(open(path.c_str(), flags | O_NONBLOCK | O_CLOEXEC, 0666));
    if (fd->fd < 0) {
        return errno;
    }
    struct stat info {};
    int error = 0;
    if (fstat(fd->fd, &info) != 0) {
        error = errno;
    } else if (S_ISDIR(info.st_mode)) {
        error = EISDIR;
    } else if (!S_ISREG(info.st_mode)) {
        error = not_regular;
    }
    if (error != 0) {
        fd->reset();
    }
    return error;
}

long elapsed_ms(const timespec& since) {
    timespec now{};
    std::ignore = clock_gettime(CLOCK_MONOTONIC, &now);
    return (now.tv_sec - since.tv_sec) * 1000L + (now.tv_nsec - since.tv_nsec) / 1000000L;
}

// The exclusive lock, waited for a bounded time; 0 or an errno.
int lock_file(int fd) {
    timespec start{};
    std::ignore = clock_gettime(CLOCK_MONOTONIC, &start);
    long pause_ns = 100000;
    for (;;) {
        if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
            return 0;
        }
        if (errno != EWOULDBLOCK && errno != EINTR) {
            return errno;
        }
        if (elapsed_ms(start) > lock_wait_ms) {
            return EWOULDBLOCK;
        }
        const timespec pause{0, pause_ns};
        std::ignore = nanosleep(&pause, nullptr);
        pause_ns = pause_ns < 20000000 ? pause_ns * 2 : pause_ns;
    }
}

// Opens the path and locks it, making sure that the descriptor locked is the file at the path:
// one opened before a removal renamed a new file over it names a file no one reads any more, and
// a line added to it would be lost. 0 or the error (ENOENT when the file is missing and flags
// do not create it).
int open_locked(const std::string& path, int flags, Descriptor* fd) {
    for (int attempt = 0; attempt < reopen_tries; ++attempt) {
        if (const int error = open_regular(path, flags, fd); error != 0) {
            return error;
        }
        if (const int error = lock_file(fd->fd); error != 0) {
            fd->reset();
            return error;
        }
        struct stat held {};
        struct stat named {};
        if (fstat(fd->fd, &held) != 0) {
            const int error = errno;
            fd->reset();
            return error;
        }
        if (stat(path.c_str(), &named) == 0 && named.st_dev == held.st_dev &&
            named.st_ino == held.st_ino) {
            return 0;
        }
        // Renamed away or removed while this waited: the path's file is the one to use.
    }
    fd->reset();
    return EAGAIN;
}

// Up to max + 1 bytes from the start, so a caller can tell that the file is longer than max.
int read_from_start(int fd, std::size_t max, std::string* bytes) {
    bytes->clear();
    std::string buffer(std::size_t{64} * 1024, '\0');
    while (bytes->size() <= max) {
        const std::size_t want = std::min(buffer.size(), max + 1 - bytes->size());
        const ssize_t got = pread(fd, buffer.data(), want, static_cast<off_t>(bytes->size()));
        if (got < 0) {
            if (errno == EINTR) {
                continue;
            }
            return errno;
        }
        if (got == 0) {
            break;
        }
        bytes->append(buffer.data(), static_cast<std::size_t>(got));
    }
    return 0;
}

// The folders on the way to the file, each made 0700 when missing.
int make_folders(const std::string& path) {
    for (std::size_t slash = path.find('/', 1); slash != std::string::npos;
         slash = path.find('/', slash + 1)) {
        const std::string folder = path.substr(0, slash);
        struct stat info {};
        if (stat(folder.c_str(), &info) == 0) {
            continue;
        }
        if (mkdir(folder.c_str(), 0700) != 0 && errno != EEXIST) {
            return errno;
        }
    }
    return 0;
}

// A file of its own beside the bookmarks, removed unless it is renamed into place.
struct TempFile {
    std::string path;
    Descriptor fd;
    TempFile() = default;
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    ~TempFile() {
        if (!path.empty()) {
            std::ignore = unlink(path.c_str());
        }
    }
};

// Writes bytes to a new file beside path, with the mode the old one has, and renames it over
// the old one. The data reaches the disk before the rename, so a crash leaves one whole file.
int replace_file(const std::string& path, mode_t mode, std::string_view bytes) {
    const std::size_t slash = path.rfind('/');
    TempFile temp;
    temp.path = path.substr(0, slash + 1) + ".bookmarks.kesmor-XXXXXX";
    temp.fd.reset(mkostemp(temp.path.data(), O_CLOEXEC));
    if (temp.fd.fd < 0) {
        temp.path.clear();
        return errno;
    }
    if (fchmod(temp.fd.fd, mode & 07777U) != 0) {
        return errno;
    }
    if (const int error = write_whole(temp.fd.fd, bytes); error != 0) {
        return error;
    }
    if (fsync(temp.fd.fd) != 0) {
        return errno;
    }
    if (close(temp.fd.release()) != 0 && errno != EINTR) {
        return errno;
    }
    if (rename(temp.path.c_str(), path.c_str()) != 0) {
        return errno;
    }
    temp.path.clear();
    return 0;
}

bool spot_still_there(std::string_view bytes, const LineSpot& spot) {
    if (spot.line.empty() || spot.at > bytes.size() || bytes.size() - spot.at < spot.line.size()) {
        return false;
    }
    const bool starts_line = spot.at == 0 || bytes[spot.at - 1] == '\n';
    const bool ends_line = spot.line.back() == '\n' || spot.at + spot.line.size() == bytes.size();
    return starts_line && ends_line && bytes.substr(spot.at, spot.line.size()) == spot.line;
}

} // namespace

BookmarksRead read_bookmarks(const std::string& path) {
    BookmarksRead read;
    Descriptor fd;
    int error = open_regular(path, O_RDONLY, &fd);
    if (error == 0) {
        error = read_from_start(fd.fd, bookmarks_read_max, &read.bytes);
    }
    if (error == ENOENT) {
        return read;
    }
    if (error != 0) {
        read.bytes.clear();
        read.reason = reason_of(error);
        return read;
    }
    if (read.bytes.size() > bookmarks_read_max) {
        read.bytes.resize(bookmarks_read_max);
        read.cut = true;
    }
    return read;
}

AddResult add_bookmark(const std::string& path, const Bookmark& bookmark) {
    const std::optional<std::string> line = bookmark_line(bookmark);
    if (!line) {
        return {AddStatus::failed, std::string(bad_address)};
    }
    constexpr int flags = O_RDWR | O_APPEND | O_CREAT;
    Descriptor fd;
    int error = open_locked(path, flags, &fd);
    if (error == ENOENT) {
        error = make_folders(path);
        if (error == 0) {
            error = open_locked(path, flags, &fd);
        }
    }
    std::string bytes;
    if (error == 0) {
        error = read_from_start(fd.fd, add_scan_max, &bytes);
    }
    struct stat info {};
    if (error == 0 && fstat(fd.fd, &info) != 0) {
        error = errno;
    }
    if (error != 0) {
        return {AddStatus::failed, reason_of(error)};
    }
    if (has_bookmark(bytes, bookmark)) {
        return {AddStatus::already, {}};
    }
    // A last line without its end (a person's edit) is ended, so that the new line stays one of
    // its own.
    std::string out;
    char last = '\n';
    if (info.st_size > 0 && pread(fd.fd, &last, 1, info.st_size - 1) == 1 && last != '\n') {
        out = "\r\n";
    }
    out += *line;
    // One write: a reader that takes no lock never sees half a line.
    const ssize_t done = write(fd.fd, out.data(), out.size());
    if (done == static_cast<ssize_t>(out.size())) {
        return {AddStatus::added, {}};
    }
    error = done < 0 ? errno : ENOSPC;
    if (done > 0) {
        // Part of a line would spoil the file: it goes back to the length it had.
        std::ignore = ftruncate(fd.fd, info.st_size);
    }
    return {AddStatus::failed, reason_of(error)};
}

RemoveResult remove_bookmark(const std::string& path, const LineSpot& spot) {
    // The file behind a symbolic link is the one replaced, so that the link stays.
    char resolved[PATH_MAX];
    if (realpath(path.c_str(), resolved) == nullptr) {
        return errno == ENOENT ? RemoveResult{RemoveStatus::changed, {}}
                               : RemoveResult{RemoveStatus::failed, reason_of(errno)};
    }
    const std::string file = resolved;
    Descriptor fd;
    // Read and write: a file the user made read-only is not replaced by one that is not.
    int error = open_locked(file, O_RDWR, &fd);
    if (error == ENOENT) {
        return {RemoveStatus::changed, {}};
    }
    struct stat info {};
    if (error == 0 && fstat(fd.fd, &info) != 0) {
        error = errno;
    }
    std::string bytes;
    if (error == 0) {
        error = read_from_start(fd.fd, bookmarks_read_max, &bytes);
    }
    if (error != 0) {
        return {RemoveStatus::failed, reason_of(error)};
    }
    if (bytes.size() > bookmarks_read_max) {
        return {RemoveStatus::too_large, {}};
    }
    if (!spot_still_there(bytes, spot)) {
        return {RemoveStatus::changed, {}};
    }
    bytes.erase(spot.at, spot.line.size());
    if (error = replace_file(file, info.st_mode, bytes); error != 0) {
        return {RemoveStatus::failed, reason_of(error)};
    }
    // The lock goes with the descriptor, after the rename: a program waiting for it then finds
    // the new file at the path.
    return {RemoveStatus::removed, {}};
}

std::string add_message(const AddResult& result, std::string_view display) {
    switch (result.status) {
    case AddStatus::added:
        return "Bookmarked: " + std::string(display);
    case AddStatus::already:
        return "Already bookmarked.";
    case AddStatus::failed:
        break;
    }
    return "Error: Cannot keep the bookmark: " + result.reason + ".";
}

std::string remove_message(const RemoveResult& result, std::string_view display) {
    switch (result.status) {
    case RemoveStatus::removed:
        return "Removed: " + std::string(display);
    case RemoveStatus::changed:
        return "Error: The bookmarks file changed; nothing removed.";
    case RemoveStatus::too_large:
        return "Error: The bookmarks file is too large to change here.";
    case RemoveStatus::failed:
        break;
    }
    return "Error: Cannot remove the bookmark: " + result.reason + ".";
}

std::string read_message(const BookmarksRead& read) {
    if (read.reason.empty()) {
        return {};
    }
    return "Error: Cannot read the bookmarks: " + read.reason + ".";
}

std::string bookmarks_page_content(std::string bytes) {
    if (bytes.empty()) {
        return "iNo bookmarks yet. Press m on a page or a link to keep it.\t\tnull.host\t1\r\n";
    }
    return bytes;
}
