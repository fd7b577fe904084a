#pragma once

// Whether a GL context exists; set when the window opens. Without one, texture
// and font lookups upload nothing and hand out the texture name 0, so that
// levels, worlds and menus can be built headless (tools, unit tests) by the
// same code that builds them in the game.
bool gl_ready();
void set_gl_ready(bool ready);
// Counts the contexts made (each set_gl_ready(true)): what was made in an
// earlier one must be made again.
int gl_context_number();

// Whether drawing takes the shortcuts that pay on a renderer that rasterises
// on the processor: fewer pixels written, fewer draw calls, the same picture.
// The shell turns them on for such renderers; graphics cards keep the plain way.
bool lean_drawing();
void set_lean_drawing(bool lean);

// Plain drawing for as long as it lives, for pictures: they may be drawn at
// any scale, where lean filtering (chosen for the game's) would not hold.
class PlainDrawing {
public:
    PlainDrawing() : lean_(lean_drawing()) { set_lean_drawing(false); }
    ~PlainDrawing() { set_lean_drawing(lean_); }
    PlainDrawing(const PlainDrawing&) = delete;
    PlainDrawing& operator=(const PlainDrawing&) = delete;

private:
    bool lean_;
};
