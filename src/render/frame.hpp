#pragma once

// Starts drawing a frame: clears the colour and the stencil. Polygons count
// their coverage in the stencil from 0 (and each leaves it at 0 for the next),
// but what the last frame left there is not to be trusted: a driver may
// discard depth and stencil when the buffers are swapped, and the fills would
// come out inverted. The frame loop and the draw bench both start here.
void begin_frame();
