// Saving an item to a file the user named: written beside it under a temporary name, moved to
// the name only when complete, and never over a file that is there.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

enum class SaveStatus {
    ok,
    exists, // something is at the name: the caller may keep its prompt open for another
    failed,
};

struct SaveResult {
    SaveStatus status;
    std::string message; // empty when ok; "Error: NAME exists." or "Error: " + strerror(errno)
};

// One save in progress. Until save_finish succeeds the data is only in the temporary file,
// which save_cancel, any failure, and the end of the record all remove: nothing is left
// behind. Movable, not copyable.
struct SaveFile {
    std::string name;      // where the file goes, as the user gave it
    std::string temp_path; // the temporary file beside it; empty when there is none
    int fd = -1;           // open on temp_path, or -1
    std::uint64_t written = 0;

    SaveFile() = default;
    SaveFile(SaveFile&& other) noexcept;
    SaveFile& operator=(SaveFile&& other) noexcept;
    SaveFile(const SaveFile&) = delete;
    SaveFile& operator=(const SaveFile&) = delete;
    ~SaveFile();
};

// Refuses with `exists` when anything (a dangling link included) is at the name; otherwise
// creates a new temporary file ".NAME.kesmor-XXXXXX" in the name's directory (a relative name
// counts from the current directory), mode 0666 less the umask. A save already in *save is
// cancelled first.
[[nodiscard]] SaveResult save_start(std::string_view name, SaveFile* save);
// Appends all of bytes. On a failure (disk full, ...) the temporary file is removed.
[[nodiscard]] SaveResult save_write(SaveFile* save, std::string_view bytes);
// Closes the temporary file and moves it to the name, never replacing what appeared there in
// the meantime (`exists`). Whatever the outcome, no temporary file is left. Not synced to
// disk: the loop would stall on a large file, and a save lost in a crash can be fetched again.
[[nodiscard]] SaveResult save_finish(SaveFile* save);
// Removes the temporary file; safe to repeat.
void save_cancel(SaveFile* save);

// The move of save_finish on a file system without renameat2: link, then unlink the
// temporary name. 0, or the errno of the link (EEXIST when something is at name), in which
// case temp is still there.
[[nodiscard]] int link_into_place(const char* temp, const char* name);

// "N KB" below 10 MB, "N.N MB" from there, rounded down as the progress of a fetch is: for
// "Saving NAME... N KB" and "Saved N KB to NAME.".
[[nodiscard]] std::string save_size_text(std::uint64_t bytes);

// The note at the end of a save: "Saved 86 bytes to NAME." under 1 KB ("1 byte"), else with
// save_size_text; "Saved N KB to NAME (incomplete page)." when the page it saved had not all
// arrived.
[[nodiscard]] std::string saved_text(std::uint64_t bytes, std::string_view name, bool incomplete);
