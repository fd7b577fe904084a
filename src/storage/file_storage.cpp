#include "storage/file_storage.hpp"

#include <cerrno>
#include <cstdio>
#include <cstring>

#include <fcntl.h>
#include <unistd.h>

#include "storage/game_folders.hpp"
#include "storage/invariant.hpp"
#include "storage/log.hpp"

InFileStorage::InFileStorage(const std::string& file_name, bool tolerant) : file_name_(game_path(file_name))
{
    in_.open(file_name_, std::ios::binary);
    log_out() << "Opening file " << file_name_ << '\n';
    if (in_.is_open()) {
        in_.seekg(0, std::ios::end);
        const std::streamoff size = in_.tellg();
        in_.seekg(0, std::ios::beg);
        file_size_ = size > 0 ? static_cast<std::size_t>(size) : 0;
        if (!in_.good())
            in_.setstate(std::ios::failbit);
    }

    unsigned int magic = 0;
    const bool read_ok = read_raw(&magic, sizeof magic);
    if (read_ok && magic == storage_magic)
        return;
    // With no bytes read there is no number to show; 0 stands for it.
    log_out() << "File " << file_name_ << " has the wrong magic number [mode:" << 0 << "] "
              << static_cast<int>(read_ok ? magic : 0u) << "(not " << static_cast<int>(storage_magic) << ")" << '\n';
    if (tolerant)
        bad_magic_ = true;
    mark_corrupt();
}

void InFileStorage::write_raw(const void*, std::size_t)
{
    log_out() << "Tried to write to an infile" << '\n';
    INVARIANT(!"write to an InFileStorage");
}

bool InFileStorage::read_raw(void* data, std::size_t size)
{
    if (corrupt() || !in_.good())
        return false;
    if (size > bytes_left()) {
        // Running past the end fails the stream for good, as a file stream does.
        in_.setstate(std::ios::failbit);
        return false;
    }
    in_.read(static_cast<char*>(data), static_cast<std::streamsize>(size));
    position_ += static_cast<std::size_t>(in_.gcount());
    return in_.good();
}

void InFileStorage::rewind()
{
    in_.close();
    in_.clear();
    in_.open(file_name_, std::ios::binary);
    position_ = 0;
    clear_corrupt();
    unsigned int magic = 0;
    if (!in_.is_open() || !read_raw(&magic, sizeof magic) || magic != storage_magic) {
        log_out() << "File has the wrong magic number after rewind (strange)" << '\n';
        mark_corrupt();
    }
}

std::size_t InFileStorage::bytes_left() const
{
    return position_ < file_size_ ? file_size_ - position_ : 0;
}

OutFileStorage::OutFileStorage(const std::string& file_name)
    : file_name_(game_path(file_name)), temp_name_(file_name_ + ".tmp")
{
    out_.open(temp_name_, std::ios::binary | std::ios::trunc);
    if (!out_.is_open())
        fail_write(std::strerror(errno));
    const unsigned int magic = storage_magic;
    write_raw(&magic, sizeof magic);
}

OutFileStorage::~OutFileStorage()
{
    finish();
}

void OutFileStorage::write_raw(const void* data, std::size_t size)
{
    if (!write_failure().empty() || finished_)
        return;
    out_.write(static_cast<const char*>(data), static_cast<std::streamsize>(size));
}

bool OutFileStorage::read_raw(void*, std::size_t)
{
    log_out() << "Tried to read from an outfile" << '\n';
    INVARIANT(!"read from an OutFileStorage");
    return false;
}

void OutFileStorage::rewind()
{
    log_out() << "Tried to rewind an outfile" << '\n';
    INVARIANT(!"rewind of an OutFileStorage");
}

bool OutFileStorage::finish()
{
    if (finished_)
        return write_failure().empty();
    finished_ = true;
    if (!write_failure().empty()) {
        out_.close();
        std::remove(temp_name_.c_str());
        log_err() << "Cannot write " << file_name_ << ": " << write_failure() << '\n';
        return false;
    }

    out_.flush();
    const bool written = out_.good();
    const int write_errno = errno;
    out_.close();
    if (!written || out_.fail()) {
        fail_write(std::strerror(write_errno ? write_errno : EIO));
        log_err() << "Cannot write " << file_name_ << ": " << write_failure() << '\n';
        std::remove(temp_name_.c_str());
        return false;
    }
    // On disk before the rename, so that a crash leaves the old file or the new one, never half of one.
    const int fd = ::open(temp_name_.c_str(), O_RDONLY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
    if (std::rename(temp_name_.c_str(), file_name_.c_str()) != 0) {
        fail_write(std::strerror(errno));
        log_err() << "Cannot write " << file_name_ << ": " << write_failure() << '\n';
        std::remove(temp_name_.c_str());
        return false;
    }
    return true;
}
