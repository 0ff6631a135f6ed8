// A directory of its own for a test that writes files, removed with all it holds at the end.
//
//   ScratchDir dir;                        // /tmp/kesmor-test-XXXXXX
//   options.working_dir = dir.path;        // the program saves there
//   EXPECT_EQ(dir.entries(), std::vector<std::string>{"photo.jpg"});
//   EXPECT_EQ(read_file(dir.file("photo.jpg")), bytes);
#pragma once

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <optional>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

struct ScratchDir {
    std::string path;

    ScratchDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "kesmor-test-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            throw std::runtime_error("no scratch directory");
        }
        path = pattern;
    }
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;
    ~ScratchDir() {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }

    [[nodiscard]] std::string file(const std::string& name) const { return path + "/" + name; }

    // The names in the directory, hidden ones (a temporary file left behind) included, sorted.
    [[nodiscard]] std::vector<std::string> entries() const {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(path)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }
};

// The whole file, or nothing when it cannot be read.
inline std::optional<std::string> read_file(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return std::nullopt;
    }
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline void write_file(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary);
    out << bytes;
}
