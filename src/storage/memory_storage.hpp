#pragma once

#include <vector>

#include "storage/base_storage.hpp"

// Bytes kept in memory; written at the end, read from a read position. After
// a write failed nothing more is written or read.
class MemoryStorage : public BaseStorage {
public:
    void write_raw(const void* data, std::size_t size) override;
    bool read_raw(void* data, std::size_t size) override;
    void rewind() override;
    void truncate() override;
    std::size_t bytes_left() const override;

    const std::vector<unsigned char>& bytes() const { return bytes_; }
    int read_position() const { return read_position_; }

private:
    std::vector<unsigned char> bytes_;
    int read_position_ = 0;
};
