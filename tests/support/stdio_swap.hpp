// Runs screen code in-process: standard input from given bytes, standard output captured.
#pragma once

#include <cstdio>
#include <gtest/gtest.h>
#include <string>
#include <string_view>
#include <unistd.h>

#include "support/frame_bytes.hpp"

// While it lives, descriptor 0 reads the given bytes and then end of input, and descriptor 1
// (with C stdout) writes to a temporary file. Both are put back when it goes.
class StdioSwap {
  public:
    explicit StdioSwap(std::string_view input) {
        std::fflush(stdout);
        std::fwrite(input.data(), 1, input.size(), in_);
        std::fflush(in_);
        std::rewind(in_);
        saved_in_ = dup(STDIN_FILENO);
        saved_out_ = dup(STDOUT_FILENO);
        dup2(fileno(in_), STDIN_FILENO);
        dup2(fileno(out_), STDOUT_FILENO);
    }
    ~StdioSwap() {
        restore();
        std::fclose(in_);
        std::fclose(out_);
    }
    StdioSwap(const StdioSwap&) = delete;
    StdioSwap& operator=(const StdioSwap&) = delete;

    // Everything written so far; gives the descriptors back first.
    std::string output() {
        restore();
        std::string text;
        std::rewind(out_);
        char chunk[4096];
        for (std::size_t got; (got = std::fread(chunk, 1, sizeof chunk, out_)) > 0;) {
            text.append(chunk, got);
        }
        return text;
    }

    // The input not read by the code under test.
    std::string unread() {
        restore();
        std::string text;
        char chunk[256];
        for (ssize_t got; (got = read(fileno(in_), chunk, sizeof chunk)) > 0;) {
            text.append(chunk, static_cast<std::size_t>(got));
        }
        return text;
    }

  private:
    void restore() {
        if (saved_in_ < 0) {
            return;
        }
        std::fflush(stdout);
        dup2(saved_in_, STDIN_FILENO);
        dup2(saved_out_, STDOUT_FILENO);
        close(saved_in_);
        close(saved_out_);
        saved_in_ = saved_out_ = -1;
    }

    std::FILE* in_ = std::tmpfile();
    std::FILE* out_ = std::tmpfile();
    int saved_in_ = -1;
    int saved_out_ = -1;
};
