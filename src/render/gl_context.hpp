#pragma once

// Whether a GL context exists; set when the window opens. Without one, texture
// and font lookups upload nothing and hand out the texture name 0, so that
// levels, worlds and menus can be built headless (tools, unit tests) by the
// same code that builds them in the game.
bool gl_ready();
void set_gl_ready(bool ready);
