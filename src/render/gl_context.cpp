#include "render/gl_context.hpp"

namespace {
bool ready = false;
}

bool gl_ready() { return ready; }
void set_gl_ready(bool value) { ready = value; }
