#include "progress/time_text.hpp"

#include <sstream>

std::string time_text(double t)
{
    const int minutes = static_cast<int>(t / 60);
    const int seconds = static_cast<int>(t - minutes * 60);
    const int milliseconds = static_cast<int>((t - static_cast<int>(t)) * 1000);
    std::ostringstream text;
    if (minutes > 0) {
        text << minutes << ":";
        if (seconds < 10)
            text << "0";
    }
    text << seconds << ".";
    if (milliseconds < 100)
        text << "0";
    if (milliseconds < 10)
        text << "0";
    text << milliseconds;
    return text.str();
}
