#pragma once

#include <sstream>
#include <string>

#include "storage/log.hpp"

// Collects what the game prints on its two streams while it is alive.
class LogCapture {
public:
    LogCapture() { set_log_streams(&out_, &err_); }
    ~LogCapture() { restore_log_streams(); }
    LogCapture(const LogCapture&) = delete;
    LogCapture& operator=(const LogCapture&) = delete;

    std::string out() const { return out_.str(); }
    std::string err() const { return err_.str(); }
    void clear() { out_.str(""); err_.str(""); }

private:
    std::ostringstream out_;
    std::ostringstream err_;
};
