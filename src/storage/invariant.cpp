#include "storage/invariant.hpp"

#include <cstdlib>
#include <ostream>

#include "storage/log.hpp"

void invariant_broken(const char* file, int line, const char* condition)
{
    log_out().flush();
    // A tool or a bench may have muted the streams; the line that says why
    // the game stopped must still be seen.
    restore_log_streams();
    log_err() << "Broken invariant at " << file << ':' << line << ": " << condition << std::endl;
    std::abort();
}
