#include "render/gl_context.hpp"

namespace {
bool ready = false;
bool lean = false;
int contexts = 0;
}

bool gl_ready() { return ready; }
void set_gl_ready(bool value)
{
    ready = value;
    if (value)
        ++contexts;
}
int gl_context_number() { return contexts; }
bool lean_drawing() { return lean; }
void set_lean_drawing(bool value) { lean = value; }
