#pragma once

#include <string>

// A time as results show it: minutes and a colon only when there is a whole
// minute, then seconds, a point and three digits of milliseconds, each
// truncated ("1:15.500", "5.250", "0.007"). A negative time is the same text
// after a minus sign ("-1.500"); a time no level can hold (not plausible())
// is "--.---".
std::string time_text(double seconds);

// Whether a time can be a result: a level timer's time after a win is never
// below zero, and no level holds one beyond what its loader accepts. The
// progress files refuse other times as damage, so results never take them.
bool plausible_result_time(double seconds);

// Whether `time` beats the result `old` (-1: none yet): a countdown's best
// leaves the most time, any other level's the least.
bool better_result(double time, double old, bool countdown);
