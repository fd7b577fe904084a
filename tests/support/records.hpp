#pragma once

#include <cstddef>
#include <vector>

#include "storage/memory_storage.hpp"

// The bytes an object stores of itself.
template <typename T>
std::vector<unsigned char> saved_bytes(const T& object)
{
    MemoryStorage storage;
    object.save(storage);
    return storage.bytes();
}

// Loads the object from the first `size` bytes (all of them by default).
template <typename T>
bool load_bytes(T& object, const std::vector<unsigned char>& bytes, std::size_t size = static_cast<std::size_t>(-1))
{
    MemoryStorage storage;
    if (size > bytes.size())
        size = bytes.size();
    if (size > 0)
        storage.write_raw(bytes.data(), size);
    return object.load(storage);
}
