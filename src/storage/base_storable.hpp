#pragma once

class BaseStorage;

// An object that writes its fields to a storage in a fixed order and reads
// them back in the same order.
class BaseStorable {
public:
    virtual ~BaseStorable() = default;
    virtual void save(BaseStorage& storage) const = 0;
    // False when a read failed or a stored value is impossible: the data is
    // damaged and the caller must not use the object.
    virtual bool load(BaseStorage& storage) = 0;
};
