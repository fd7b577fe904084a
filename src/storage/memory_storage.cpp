#include "storage/memory_storage.hpp"

#include <cstring>
#include <functional>

void MemoryStorage::write_raw(const void* data, std::size_t size)
{
    if (!write_failure().empty())
        return;
    const auto* p = static_cast<const unsigned char*>(data);
    const unsigned char* begin = bytes_.data();
    const unsigned char* end = begin + bytes_.size();
    // Bytes from our own array: copy by index, since growing may move the array.
    if (size > 0 && std::less_equal<const unsigned char*>()(begin, p) && std::less<const unsigned char*>()(p, end)) {
        const std::size_t from = static_cast<std::size_t>(p - begin);
        for (std::size_t i = 0; i < size; ++i)
            bytes_.push_back(bytes_[from + i]);
        return;
    }
    bytes_.insert(bytes_.end(), p, p + size);
}

bool MemoryStorage::read_raw(void* data, std::size_t size)
{
    // What a failed write left is not the record that was written.
    if (corrupt() || !write_failure().empty() || size > bytes_left())
        return false;
    if (size > 0)
        std::memcpy(data, bytes_.data() + read_position_, size);
    read_position_ += static_cast<int>(size);
    return true;
}

void MemoryStorage::rewind()
{
    read_position_ = 0;
    clear_corrupt();
}

void MemoryStorage::truncate()
{
    if (bytes_.size() > static_cast<std::size_t>(read_position_))
        bytes_.resize(static_cast<std::size_t>(read_position_));
}

std::size_t MemoryStorage::bytes_left() const
{
    return bytes_.size() - static_cast<std::size_t>(read_position_);
}
