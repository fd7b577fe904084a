#include "storage/log.hpp"

#include <iostream>
#include <streambuf>

namespace {

class NullBuffer : public std::streambuf {
protected:
    int overflow(int c) override { return traits_type::not_eof(c); }
    std::streamsize xsputn(const char*, std::streamsize n) override { return n; }
};

NullBuffer null_buffer;
std::ostream null_stream(&null_buffer);

std::ostream* out_stream = &std::cout;
std::ostream* err_stream = &std::cerr;

}  // namespace

std::ostream& log_out() { return *out_stream; }
std::ostream& log_err() { return *err_stream; }

void set_log_streams(std::ostream* out, std::ostream* err)
{
    out_stream = out ? out : &null_stream;
    err_stream = err ? err : &null_stream;
}

void restore_log_streams()
{
    out_stream = &std::cout;
    err_stream = &std::cerr;
}
