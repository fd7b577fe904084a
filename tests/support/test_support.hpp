#pragma once

#include <string>
#include <vector>

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
bool path_exists(const std::string& path);
