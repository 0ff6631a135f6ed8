// Contents shaped like the end-to-end workloads, and a browser showing one of them.
#pragma once

#include <cstddef>
#include <string>

#include "nav/browser.hpp"
#include "nav/shown_page.hpp"

// Numbered lines of 73 bytes up to at least the given size.
[[nodiscard]] std::string make_text(std::size_t bytes);
// Links of types 0 and 1 (every third a directory), CR LF line ends, then the "." line.
[[nodiscard]] std::string make_menu(int lines);

// A browser of 80x24 whose current page holds a copy of the content; freed with its history.
struct BenchBrowser {
    Browser browser{};
    ShownPage shown;
    BenchBrowser(const std::string& content, const char* selector);
    ~BenchBrowser();
    BenchBrowser(const BenchBrowser&) = delete;
    BenchBrowser& operator=(const BenchBrowser&) = delete;
    [[nodiscard]] const char* content() const { return browser.current->content.get(); }
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
