#include "render/still_layer.hpp"

#include <bit>

#include "render/framebuffer_calls.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"
#include "render/window_twin.hpp"

void LayerKey::add(std::uint64_t word)
{
    // FNV-1a, a byte at a time.
    for (int i = 0; i < 8; ++i) {
        hash_ ^= (word >> (8 * i)) & 0xff;
        hash_ *= 1099511628211ull;
    }
}

void LayerKey::add(double value) { add(std::bit_cast<std::uint64_t>(value)); }

void LayerKey::add(const Vector2& point)
{
    add(point.x);
    add(point.y);
}

void LayerKey::add(const std::string& text)
{
    add(static_cast<std::uint64_t>(text.size()));
    for (unsigned char c : text)
        add(static_cast<std::uint64_t>(c));
}

struct KeptLayer {
    WindowTwin twin;
    GLuint texture = 0;
    GLuint framebuffer = 0;        // reads the texture, for a copy back
    bool copies_back = false;      // whether the framebuffer is complete
    int texture_width = 0;
    int texture_height = 0;
    int context = -1;              // the GL context the texture was made in
    std::uint64_t last_key = 0;    // drawn the frame before
    bool last_valid = false;
    std::uint64_t kept_key = 0;    // held by the twin or the texture
    bool kept_valid = false;
    bool in_twin = false;          // kept in the twin, not the texture
    int kept_context = -1;         // the GL context it was kept in
};

namespace {

int next_power_of_two(int n)
{
    int p = 1;
    while (p < n)
        p *= 2;
    return p;
}

// The key of the layer as it would be drawn now: the caller's, the view and
// the matrices the layer is drawn through.
std::uint64_t full_key(const LayerKey& key, const GLint viewport[4])
{
    LayerKey full = key;
    for (int i = 0; i < 4; ++i)
        full.add(static_cast<std::uint64_t>(viewport[i]));
    GLdouble matrix[16];
    for (GLenum which : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX}) {
        glGetDoublev(which, matrix);
        for (double m : matrix)
            full.add(m);
    }
    return full.value();
}

// A framebuffer that reads the kept texture: a software renderer copies its
// pixels back as bytes, where drawing them through a quad shades each one.
void attach_framebuffer(KeptLayer& kept)
{
    const FramebufferCalls& gl = framebuffer_calls();
    if (!gl.complete)
        return;
    if (kept.framebuffer == 0)
        gl.gen_framebuffers(1, &kept.framebuffer);
    GLint reading = 0;
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &reading);
    gl.bind_framebuffer(GL_READ_FRAMEBUFFER, kept.framebuffer);
    gl.framebuffer_texture_2d(GL_READ_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, kept.texture, 0);
    kept.copies_back = gl.check_framebuffer_status(GL_READ_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    gl.bind_framebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(reading));
}

// Keeps the viewport's pixels in the window's twin where there is one, else
// in the texture, made to fit when needed.
bool keep(KeptLayer& kept, const GLint viewport[4])
{
    const int width = viewport[2], height = viewport[3];
    kept.in_twin = width > 0 && height > 0 && kept.twin.copy_from_window(viewport[0], viewport[1], width, height);
    if (kept.in_twin)
        return true;
    GLint largest = 0;
    glGetIntegerv(GL_MAX_TEXTURE_SIZE, &largest);
    if (width <= 0 || height <= 0 || next_power_of_two(width) > largest || next_power_of_two(height) > largest)
        return false;
    // A name from an earlier context may have gone to another texture since.
    if (kept.texture == 0 || kept.context != gl_context_number()) {
        glGenTextures(1, &kept.texture);
        kept.texture_width = kept.texture_height = 0;
        kept.framebuffer = 0;
        kept.copies_back = false;
    }
    glBindTexture(GL_TEXTURE_2D, kept.texture);
    if (kept.texture_width < width || kept.texture_height < height) {
        kept.texture_width = next_power_of_two(width);
        kept.texture_height = next_power_of_two(height);
        kept.context = gl_context_number();
        // In the window's own byte order, so that copying back is a copy of
        // bytes.
        glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, kept.texture_width, kept.texture_height, 0, GL_BGRA,
                     GL_UNSIGNED_BYTE, nullptr);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    }
    glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, viewport[0], viewport[1], width, height);
    glBindTexture(GL_TEXTURE_2D, 0);
    attach_framebuffer(kept);
    return true;
}

// The kept pixels back onto the viewport, texel for pixel, replacing what is
// there: copied from the twin or through the framebuffer when there is one.
// False when the twin is gone: nothing was shown.
bool show_kept(KeptLayer& kept, const GLint viewport[4])
{
    if (kept.in_twin)
        return kept.twin.copy_to_window(viewport[0], viewport[1], viewport[2], viewport[3]);
    if (kept.copies_back) {
        const FramebufferCalls& gl = framebuffer_calls();
        const GLint left = viewport[0], bottom = viewport[1], width = viewport[2], height = viewport[3];
        GLint reading = 0;
        glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &reading);
        gl.bind_framebuffer(GL_READ_FRAMEBUFFER, kept.framebuffer);
        gl.blit_framebuffer(0, 0, width, height, left, bottom, left + width, bottom + height, GL_COLOR_BUFFER_BIT,
                            GL_NEAREST);
        gl.bind_framebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(reading));
        return true;
    }
    const double s = static_cast<double>(viewport[2]) / kept.texture_width;
    const double t = static_cast<double>(viewport[3]) / kept.texture_height;
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glDisable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);
    glBindTexture(GL_TEXTURE_2D, kept.texture);
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_REPLACE);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2d(-1, -1);
    glTexCoord2d(s, 0);
    glVertex2d(1, -1);
    glTexCoord2d(s, t);
    glVertex2d(1, 1);
    glTexCoord2d(0, t);
    glVertex2d(-1, 1);
    glEnd();
    glTexEnvi(GL_TEXTURE_ENV, GL_TEXTURE_ENV_MODE, GL_MODULATE);
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glEnable(GL_BLEND);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    return true;
}

}  // namespace

StillLayer::StillLayer() : kept_(std::make_unique<KeptLayer>()) {}

// The texture and the twin go with the GL context and the display.
StillLayer::~StillLayer() = default;

void StillLayer::draw(const LayerKey& key, const std::function<void()>& draw_layer)
{
    if (!lean_drawing()) {
        draw_layer();
        return;
    }
    KeptLayer& kept = *kept_;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const std::uint64_t now = full_key(key, viewport);
    if (kept.kept_valid && kept.kept_key == now && kept.kept_context == gl_context_number() &&
        show_kept(kept, viewport))
        return;
    draw_layer();
    const bool twice = kept.last_valid && kept.last_key == now;
    kept.last_key = now;
    kept.last_valid = true;
    kept.kept_valid = twice && keep(kept, viewport);
    kept.kept_key = now;
    kept.kept_context = gl_context_number();
}
