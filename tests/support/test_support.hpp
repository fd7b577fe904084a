#pragma once

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "support/build_paths.hpp"

// A fresh folder under the system's temporary folder, removed with its
// contents when the object goes away.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

std::vector<unsigned char> read_file_bytes(const std::string& path);
void write_file_bytes(const std::string& path, const std::vector<unsigned char>& bytes);

// The source tree, as an absolute path from the build: a compiler cache may
// make __FILE__ relative, and tests change their working folder.
inline const std::filesystem::path source_root = source_dir;

std::string read_text(const std::filesystem::path& path);
inline void write_text(const std::filesystem::path& path, const std::string& text) { std::ofstream(path) << text; }

// What follows `prefix` on each line of `text` that starts with it (with no
// prefix, every line).
inline std::vector<std::string> prefixed_lines(const std::string& text, const std::string& prefix = "")
{
    std::vector<std::string> found;
    std::istringstream lines(text);
    for (std::string line; std::getline(lines, line);)
        if (line.starts_with(prefix))
            found.push_back(line.substr(prefix.size()));
    return found;
}

// Makes a folder the working folder while the object lives.
class ScopedCwd {
public:
    explicit ScopedCwd(const std::filesystem::path& folder) : old_(std::filesystem::current_path())
    {
        std::filesystem::current_path(folder);
    }
    ~ScopedCwd() { std::filesystem::current_path(old_); }
    ScopedCwd(const ScopedCwd&) = delete;
    ScopedCwd& operator=(const ScopedCwd&) = delete;

private:
    std::filesystem::path old_;
};
