#include "render/still_layer.hpp"

#include <algorithm>
#include <bit>
#include <cmath>

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

void add_placement(LayerKey& key, const int viewport[4])
{
    GLdouble matrix[16];
    for (GLenum which : {GL_MODELVIEW_MATRIX, GL_PROJECTION_MATRIX}) {
        glGetDoublev(which, matrix);
        for (double m : matrix)
            key.add(m);
    }
    for (int i = 0; i < 4; ++i)
        key.add(static_cast<std::uint64_t>(viewport[i]));
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
    std::uint64_t kept_base = 0;   // the key without the parts
    std::vector<LayerPart> kept_parts;
};

namespace {

// How many layers are being drawn again in part: a layer drawn inside one
// shows only the part's box, so it must not keep what it drew.
int redrawing_in_part = 0;

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
    add_placement(full, viewport);
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

// The pixels of every part that came, went or changed between two lists in
// the order of their names.
PixelBox changed_pixels(const std::vector<LayerPart>& before, const std::vector<LayerPart>& now,
                        const GLint viewport[4])
{
    const auto pixel_box = [viewport](const LayerPart& part) { return window_pixels(part.lo, part.hi, viewport); };
    PixelBox changed;
    std::size_t i = 0, j = 0;
    while (i < before.size() || j < now.size()) {
        if (j == now.size() || (i < before.size() && before[i].name < now[j].name)) {
            changed.add(pixel_box(before[i++]));
        } else if (i == before.size() || now[j].name < before[i].name) {
            changed.add(pixel_box(now[j++]));
        } else {
            if (before[i].look != now[j].look || before[i].lo != now[j].lo || before[i].hi != now[j].hi) {
                changed.add(pixel_box(before[i]));
                changed.add(pixel_box(now[j]));
            }
            ++i;
            ++j;
        }
    }
    return changed;
}

}  // namespace

void PixelBox::add(const PixelBox& other)
{
    if (other.empty())
        return;
    if (empty()) {
        *this = other;
        return;
    }
    left = std::min(left, other.left);
    bottom = std::min(bottom, other.bottom);
    right = std::max(right, other.right);
    top = std::max(top, other.top);
}

WindowProjection::WindowProjection(const int viewport[4])
{
    glGetDoublev(GL_MODELVIEW_MATRIX, model_);
    glGetDoublev(GL_PROJECTION_MATRIX, projection_);
    std::copy(viewport, viewport + 4, viewport_);
}

bool WindowProjection::land(const Vector2& point, Vector2& at) const
{
    double eye[4];
    double clip[4] = {0, 0, 0, 0};
    for (int row = 0; row < 4; ++row)
        eye[row] = model_[row] * point.x + model_[4 + row] * point.y + model_[12 + row];
    for (int row = 0; row < 4; ++row)
        for (int k = 0; k < 4; ++k)
            clip[row] += projection_[k * 4 + row] * eye[k];
    if (!(clip[3] > 0))
        return false;
    at = {viewport_[0] + (clip[0] / clip[3] + 1) / 2 * viewport_[2],
          viewport_[1] + (clip[1] / clip[3] + 1) / 2 * viewport_[3]};
    return std::isfinite(at.x) && std::isfinite(at.y);
}

bool WindowProjection::holds(const Vector2& lo, const Vector2& hi) const
{
    for (int corner = 0; corner < 4; ++corner) {
        Vector2 at;
        if (!land(Vector2(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y), at) || at.x < viewport_[0] ||
            at.y < viewport_[1] || at.x > viewport_[0] + viewport_[2] || at.y > viewport_[1] + viewport_[3])
            return false;
    }
    return true;
}

PixelBox window_pixels(const Vector2& lo, const Vector2& hi, const int viewport[4])
{
    const WindowProjection projection(viewport);
    const PixelBox whole{viewport[0], viewport[1], viewport[0] + viewport[2], viewport[1] + viewport[3]};
    double low_x = 0, low_y = 0, high_x = 0, high_y = 0;
    for (int corner = 0; corner < 4; ++corner) {
        Vector2 at;
        if (!projection.land(Vector2(corner & 1 ? hi.x : lo.x, corner & 2 ? hi.y : lo.y), at))
            return whole;
        low_x = corner == 0 ? at.x : std::min(low_x, at.x);
        high_x = corner == 0 ? at.x : std::max(high_x, at.x);
        low_y = corner == 0 ? at.y : std::min(low_y, at.y);
        high_y = corner == 0 ? at.y : std::max(high_y, at.y);
    }
    const auto cut = [](double v, int low, int high) {
        return static_cast<int>(std::clamp(v, static_cast<double>(low), static_cast<double>(high)));
    };
    return {cut(std::floor(low_x) - 1, whole.left, whole.right), cut(std::floor(low_y) - 1, whole.bottom, whole.top),
            cut(std::ceil(high_x) + 1, whole.left, whole.right), cut(std::ceil(high_y) + 1, whole.bottom, whole.top)};
}

StillLayer::StillLayer() : kept_(std::make_unique<KeptLayer>()) {}

// The texture and the twin go with the GL context and the display.
StillLayer::~StillLayer() = default;

void StillLayer::draw(const LayerKey& key, const std::function<void()>& draw_layer)
{
    draw(key, {}, draw_layer);
}

void StillLayer::draw(const LayerKey& key, const std::vector<LayerPart>& parts, const std::function<void()>& draw_layer)
{
    if (!lean_drawing()) {
        draw_layer();
        return;
    }
    KeptLayer& kept = *kept_;
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    const std::uint64_t base = full_key(key, viewport);
    LayerKey with_parts;
    with_parts.add(base);
    for (const LayerPart& part : parts) {
        with_parts.add(part.name);
        with_parts.add(part.look);
        with_parts.add(part.lo);
        with_parts.add(part.hi);
    }
    const std::uint64_t now = with_parts.value();
    const bool held = kept.kept_valid && kept.kept_context == gl_context_number();
    if (held && kept.kept_key == now && show_kept(kept, viewport))
        return;
    if (redrawing_in_part > 0) {
        // Only the outer layer's box is drawn: nothing whole to keep.
        draw_layer();
        return;
    }
    if (held && kept.in_twin && kept.kept_base == base && redraw_in_part(parts, viewport, draw_layer)) {
        kept.last_key = kept.kept_key = now;
        kept.last_valid = true;
        return;
    }
    draw_layer();
    // Copying into the twin costs next to nothing, so once it has worked a
    // new picture is kept at once: a goal that a falling piece makes live
    // for a few frames then costs one drawing of the layer each way, not two.
    const bool twice = kept.last_valid && kept.last_key == now;
    kept.last_key = now;
    kept.last_valid = true;
    kept.kept_valid = (twice || kept.in_twin) && keep(kept, viewport);
    kept.kept_key = now;
    kept.kept_base = base;
    kept.kept_parts = parts;
    kept.kept_context = gl_context_number();
}

bool StillLayer::redraw_in_part(const std::vector<LayerPart>& parts, const GLint viewport[4],
                                const std::function<void()>& draw_layer)
{
    KeptLayer& kept = *kept_;
    const PixelBox changed = changed_pixels(kept.kept_parts, parts, viewport);
    if (!show_kept(kept, viewport))
        return false;
    kept.kept_parts = parts;
    // The scissor cuts the drawing and the copy into the twin alike (the
    // twin's pixels start at the viewport's corner). The copy back above
    // found the twin, so this one cannot make a new, empty one.
    const GLboolean scissoring = glIsEnabled(GL_SCISSOR_TEST);
    GLint scissor[4];
    glGetIntegerv(GL_SCISSOR_BOX, scissor);
    glEnable(GL_SCISSOR_TEST);
    glScissor(changed.left, changed.bottom, changed.right - changed.left, changed.top - changed.bottom);
    ++redrawing_in_part;
    draw_layer();
    --redrawing_in_part;
    glScissor(changed.left - viewport[0], changed.bottom - viewport[1], changed.right - changed.left,
              changed.top - changed.bottom);
    // Not copied, the twin holds the old picture under the box.
    kept.kept_valid = kept.twin.copy_from_window(viewport[0], viewport[1], viewport[2], viewport[3]);
    glScissor(scissor[0], scissor[1], scissor[2], scissor[3]);
    if (!scissoring)
        glDisable(GL_SCISSOR_TEST);
    return true;
}
