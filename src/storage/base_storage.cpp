#include "storage/base_storage.hpp"

#include <cstring>

#include "storage/event_record.hpp"
#include "storage/log.hpp"

BaseStorage::~BaseStorage() = default;

void BaseStorage::write(bool value)
{
    const unsigned char byte = value ? 1 : 0;
    write_raw(&byte, 1);
}

void BaseStorage::write(int value)
{
    write(static_cast<unsigned int>(value));
}

void BaseStorage::write(unsigned int value)
{
    write_raw(&value, sizeof value);
}

void BaseStorage::write(const std::string& value)
{
    // The reader would refuse it, and with it the whole file.
    if (value.size() >= static_cast<std::size_t>(max_string_length)) {
        fail_write("a string of " + std::to_string(value.size()) + " bytes is too long to be read back");
        return;
    }
    write(static_cast<int>(value.size()));
    for (const char c : value)
        write_raw(&c, 1);
}

void BaseStorage::write(const SDL_Event& event)
{
    const EventRecord record = event_to_record(event);
    write_raw(record.data(), record.size());
}

void BaseStorage::write(double value)
{
    write_raw(&value, sizeof value);
}

bool BaseStorage::read(bool& value)
{
    unsigned char byte = 0;
    if (!read_raw(&byte, 1))
        return false;
    value = (byte == 1);
    return true;
}

bool BaseStorage::read(int& value)
{
    unsigned int u = 0;
    const bool ok = read(u);
    value = static_cast<int>(u);
    return ok;
}

bool BaseStorage::read(unsigned int& value)
{
    unsigned int u = 0;
    const bool ok = read_raw(&u, sizeof u);
    value = u;
    return ok;
}

bool BaseStorage::read(std::string& value)
{
    int length = 0;
    if (!read(length))
        return false;
    log_out() << "Got string size: " << length << '\n';
    if (length < 0 || length >= max_string_length || static_cast<std::size_t>(length) > bytes_left()) {
        mark_corrupt();
        return false;
    }
    value.clear();
    for (int i = 0; i < length; ++i) {
        char c = 0;
        if (!read_raw(&c, 1))
            return false;
        value.push_back(c);
    }
    log_out() << "Read string: " << value << '\n';
    return true;
}

bool BaseStorage::read(SDL_Event& event)
{
    EventRecord record{};
    if (!read_raw(record.data(), record.size()))
        return false;
    if (!event_record_plausible(record)) {
        mark_corrupt();
        return false;
    }
    event = event_from_record(record);
    return true;
}

bool BaseStorage::read(double& value)
{
    double d = 0.0;
    const bool ok = read_raw(&d, sizeof d);
    value = d;
    return ok;
}

void BaseStorage::truncate() {}

void BaseStorage::refuse(const std::string& reason)
{
    if (refusal_.empty())
        refusal_ = reason;
    mark_corrupt();
}

bool BaseStorage::read_count(int& count, std::size_t min_record_bytes)
{
    if (!read(count))
        return false;
    if (count < 0 || static_cast<std::size_t>(count) > bytes_left() / (min_record_bytes ? min_record_bytes : 1)) {
        log_out() << "Stored count " << count << " is more than the data can hold" << '\n';
        mark_corrupt();
        return false;
    }
    return true;
}

bool BaseStorage::read_count(unsigned int& count, std::size_t min_record_bytes)
{
    if (!read(count))
        return false;
    if (count > bytes_left() / (min_record_bytes ? min_record_bytes : 1)) {
        log_out() << "Stored count " << count << " is more than the data can hold" << '\n';
        mark_corrupt();
        return false;
    }
    return true;
}

void copy_rest(BaseStorage& from, BaseStorage& to)
{
    unsigned char byte = 0;
    while (from.read_raw(&byte, 1))
        to.write_raw(&byte, 1);
}
