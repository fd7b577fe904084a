#pragma once

// Drains the GL error queue, one line on the error stream per error, tagged
// with where the check was made ("init", "draw", "texture upload").
void gl_errors(const char* label);
