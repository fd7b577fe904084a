#pragma once

#include <concepts>
#include <cstddef>
#include <string>

#include <SDL/SDL.h>

// A point as files hold it: x, then y, as two doubles. Storage knows no more
// of the game's geometry than that.
template <typename P>
concept StoredPoint = requires(P p) {
    { p.x } -> std::same_as<double&>;
    { p.y } -> std::same_as<double&>;
};

// Every data file starts with this number; on disk the bytes are ED 55 5E 0B.
constexpr unsigned int storage_magic = 0x0B5E55EDu;

// Strings this long or longer are taken as a sign of a damaged stream, so
// they are never written either.
constexpr int max_string_length = 10000;

// The typed binary stream through which every data file is written and read.
// The reader must make exactly the reads the writer made, in the same order.
//
// A storage that meets damaged data (a wrong magic number in strict mode, an
// impossible string length or count) becomes corrupt: from then on every read
// fails and nothing more is read, so a loader only has to check its reads.
// A loader that finds a value no level may hold refuses it through the
// storage, with a reason its caller can show.
//
// A write that cannot be read back (a string too long) fails the storage for
// writing: nothing more is written and the owner finds write_failure() set.
class BaseStorage {
public:
    virtual ~BaseStorage();

    virtual void write_raw(const void* data, std::size_t size) = 0;
    virtual void write(bool value);
    virtual void write(int value);
    virtual void write(unsigned int value);
    virtual void write(const std::string& value);
    virtual void write(const SDL_Event& event);
    virtual void write(double value);
    template <StoredPoint P>
    void write(const P& point)
    {
        write(point.x);
        write(point.y);
    }

    virtual bool read_raw(void* data, std::size_t size) = 0;
    virtual bool read(bool& value);
    virtual bool read(int& value);
    virtual bool read(unsigned int& value);
    virtual bool read(std::string& value);
    virtual bool read(SDL_Event& event);
    virtual bool read(double& value);
    template <StoredPoint P>
    bool read(P& point)
    {
        return read(point.x) && read(point.y);
    }

    virtual void rewind() = 0;
    virtual void truncate();

    // A string literal would otherwise pick the bool overload.
    void write(const char*) = delete;

    // Bytes that reads can still deliver before the end of the data.
    virtual std::size_t bytes_left() const = 0;

    // Reads a stored element count and accepts it only when it is not negative
    // and the remaining bytes can hold that many records of at least
    // min_record_bytes each; otherwise the storage becomes corrupt. Every count
    // that sizes an allocation is read this way.
    bool read_count(int& count, std::size_t min_record_bytes);
    bool read_count(unsigned int& count, std::size_t min_record_bytes);

    bool corrupt() const { return corrupt_; }

    // Makes the storage corrupt because of what a loader found; the first
    // reason given is kept ("toughness is negative").
    void refuse(const std::string& reason);
    // Why the data was refused, when a check said so; empty otherwise.
    const std::string& refusal() const { return refusal_; }

    // Why writing failed; empty while every write succeeded.
    const std::string& write_failure() const { return write_failure_; }

protected:
    void mark_corrupt() { corrupt_ = true; }
    void clear_corrupt()
    {
        corrupt_ = false;
        refusal_.clear();
    }
    // The first failure is kept: it is the one that explains the rest.
    void fail_write(const std::string& reason)
    {
        if (write_failure_.empty())
            write_failure_ = reason;
    }

private:
    bool corrupt_ = false;
    std::string refusal_;
    std::string write_failure_;
};

// Moves the rest of `from` to `to`, one byte at a time, until a read fails.
void copy_rest(BaseStorage& from, BaseStorage& to);
