// Contents shaped like the end-to-end workloads, and a model showing one of them.
#pragma once

#include <cstddef>
#include <string>

#include "nav/model.hpp"

// Numbered lines of 73 bytes up to at least the given size.
[[nodiscard]] std::string make_text(std::size_t bytes);
// Links of types 0 and 1 (every third a directory), CR LF line ends, then the "." line.
[[nodiscard]] std::string make_menu(int lines);

// A model of 80x24 whose current page (127.0.0.1, type 1) holds a copy of the content; its
// record on screen is not prepared yet.
struct BenchModel {
    Model model;
    BenchModel(const std::string& content, const char* selector);
    [[nodiscard]] Page& page() { return *model.history.current; }
    [[nodiscard]] const char* content() const { return model.history.current->content.get(); }
};

// While it lives, descriptor 1 (and C stdout, fully buffered as in the program) writes to
// /dev/null.
class NullStdout {
  public:
    NullStdout();
    ~NullStdout();
    NullStdout(const NullStdout&) = delete;
    NullStdout& operator=(const NullStdout&) = delete;

  private:
    int saved_ = -1;
};
