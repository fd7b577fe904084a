#pragma once

#include <string>

// The GL_RENDERER text of a throwaway GL context on SDL's X display, made
// after SDL_Init but before the game's window exists (whose visual, and so
// its multisampling, is then fixed for good); empty when none can be made.
std::string probe_renderer();

// Whether a GL_RENDERER text names one of Mesa's rasterisers that draw on
// the processor.
bool is_software_renderer(const std::string& renderer);
