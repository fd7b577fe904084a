#pragma once

// A hidden drawable of the window's own kind (a GLX pbuffer of its visual)
// that keeps a copy of some of the window's pixels. A software renderer
// copies between two drawables of one kind as bytes, where a copy between
// the window and a texture shades every pixel through a quad: for a
// full-screen picture that is the difference between a tenth of a
// millisecond and several.
//
// Both copies work on the window's back buffer and the twin's corner at
// (0, 0); they return false, having copied nothing, when there is no twin to
// be had (no GLX pbuffers, a framebuffer object bound, no current context).
// The twin is made on first use and made anew only when the window's visual
// changes or it is too small.
class WindowTwin {
public:
    bool copy_from_window(int left, int bottom, int width, int height);
    bool copy_to_window(int left, int bottom, int width, int height);

private:
    bool copy(bool to_twin, int left, int bottom, int width, int height);

    // The X display and the GLX pbuffer, kept opaque to spare every user the
    // X headers.
    void* display_ = nullptr;
    unsigned long pbuffer_ = 0;
    int visual_ = 0;
    int width_ = 0;
    int height_ = 0;
    // A visual whose twin could not be made is not tried again.
    int refused_visual_ = 0;
};

// Frees every twin, which must happen while the display is still open: the
// renderer's side of a pbuffer outlives the connection otherwise. Set to run
// at exit when the first twin is made, so it runs before an SDL_Quit set to
// run at exit earlier; whoever calls SDL_Quit itself calls this first.
void free_window_twins();
