#pragma once

// A hidden drawable of the window's own kind (a GLX pbuffer of its visual)
// that keeps a copy of some of the window's pixels. A software renderer
// copies between two drawables of one kind as bytes, where a copy between
// the window and a texture shades every pixel through a quad: for a
// full-screen layer that is the difference between a tenth of a millisecond
// and several.
//
// Both copies work on the window's back buffer and the twin's corner at
// (0, 0); they return false, having copied nothing, when there is no twin to
// be had (no GLX pbuffers, a framebuffer object bound, no current context).
// A twin is made on first use and remade only when the window's visual
// changes or it is too small.
bool copy_window_to_twin(int left, int bottom, int width, int height);
bool copy_twin_to_window(int left, int bottom, int width, int height);
