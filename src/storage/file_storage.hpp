#pragma once

#include <fstream>
#include <string>

#include "storage/base_storage.hpp"

// Reads a file written by OutFileStorage. Opening prints "Opening file " and
// checks the magic number. In tolerant mode a missing or foreign file only
// sets bad_magic() and the owner treats the file as absent; in strict mode the
// storage becomes corrupt. Either way no read succeeds on such a file.
class InFileStorage : public BaseStorage {
public:
    InFileStorage(const std::string& file_name, bool tolerant);

    void write_raw(const void* data, std::size_t size) override;
    bool read_raw(void* data, std::size_t size) override;
    void rewind() override;
    std::size_t bytes_left() const override;

    bool bad_magic() const { return bad_magic_; }
    const std::string& file_name() const { return file_name_; }

private:
    bool open_and_check_magic();

    bool bad_magic_ = false;
    std::ifstream in_;
    std::string file_name_;
    std::size_t file_size_ = 0;
    std::size_t position_ = 0;
};

// Writes a file: the magic number at once, then whatever is written. The data
// goes to a temporary file beside the target, which replaces the target only
// when the whole file was written, so a failed or interrupted write never
// destroys the previous file. finish() does that and tells whether it worked;
// the destructor finishes a storage that was not finished explicitly.
class OutFileStorage : public BaseStorage {
public:
    explicit OutFileStorage(const std::string& file_name);
    ~OutFileStorage() override;

    void write_raw(const void* data, std::size_t size) override;
    bool read_raw(void* data, std::size_t size) override;
    void rewind() override;
    std::size_t bytes_left() const override { return 0; }

    // Closes the file and moves it into place. A failure (the file could not
    // be opened or written, or a write failed) is reported on the error stream
    // with the file name and the reason, returns false and leaves the old
    // file as it was.
    bool finish();

    const std::string& file_name() const { return file_name_; }

private:
    std::string file_name_;
    std::string temp_name_;
    std::ofstream out_;
    bool finished_ = false;
};
