#pragma once

#include <string>

// A time as results show it: minutes and a colon only when there is a whole
// minute, then seconds, a point and three digits of milliseconds, each
// truncated ("1:15.500", "5.250", "0.007").
std::string time_text(double seconds);
