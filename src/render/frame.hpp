#pragma once

// Starts drawing a frame: clears colour, depth and stencil. Polygons count
// their coverage in the stencil from 0 (and each leaves it at 0 for the next),
// but what the last frame left there is not to be trusted: a driver may
// discard depth and stencil when the buffers are swapped, and the fills would
// come out inverted. Depth needs no clearing (each polygon's interior writes
// its own), but clearing it with the stencil is no dearer: the two share one
// buffer, and a full clear spares the driver keeping half of it. The frame
// loop and the benches all start here.
void begin_frame();

// How many frames have begun: what is dear to make can wait for the next.
long frames_begun();
