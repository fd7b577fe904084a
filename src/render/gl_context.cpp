#include "render/gl_context.hpp"

namespace {
bool ready = false;
bool lean = false;
}

bool gl_ready() { return ready; }
void set_gl_ready(bool value) { ready = value; }
bool lean_drawing() { return lean; }
void set_lean_drawing(bool value) { lean = value; }
