#include "world/time_text.hpp"

#include <cmath>
#include <sstream>

#include "geometry/plausible.hpp"
#include "storage/base_storage.hpp"

std::string time_text(double t)
{
    // A damaged file or the editor's timer field can hold any double. A time
    // below zero shows its sign once, in front; one that no level can hold
    // (NaN, infinite or beyond the level loader's limit) shows as a blank
    // clock rather than overflow the whole numbers below.
    if (!plausible(t))
        return "--.---";
    if (t < 0)
        return std::string(1, '-').append(time_text(-t));
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

bool plausible_result_time(double seconds)
{
    return seconds >= 0 && plausible(seconds);
}

bool better_result(double time, double old, bool countdown)
{
    return old == -1 || (countdown ? time > old : time < old);
}
