#pragma once

// The dark band behind text: black at `alpha` between left and right, fading
// to clear over 0.1 beyond each end. Menus and notices share it.
void draw_dark_band(double left, double right, double bottom, double top, double alpha);
