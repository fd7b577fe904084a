#include "render/box_texture.hpp"

#include <algorithm>

#include "render/framebuffer_calls.hpp"
#include "render/gl.hpp"
#include "render/gl_context.hpp"

namespace {

// A texture of the box drawn by `draw`; 0 when the GL will not make the
// framebuffer.
GLuint draw_into_texture(const PixelBox& box, const GLint viewport[4], const std::function<void()>& draw)
{
    const FramebufferCalls& gl = framebuffer_calls();
    const int width = box.width(), height = box.height();
    GLint drawing = 0, reading = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &drawing);
    glGetIntegerv(GL_READ_FRAMEBUFFER_BINDING, &reading);
    // What `draw` finds bound, it is given.
    GLint bound = 0;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    GLuint texture = 0;
    glGenTextures(1, &texture);
    glBindTexture(GL_TEXTURE_2D, texture);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_BGRA, GL_UNSIGNED_BYTE, nullptr);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, GL_CLAMP_TO_EDGE);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
    glBindTexture(GL_TEXTURE_2D, static_cast<GLuint>(bound));
    GLuint framebuffer = 0;
    gl.gen_framebuffers(1, &framebuffer);
    gl.bind_framebuffer(GL_FRAMEBUFFER, framebuffer);
    gl.framebuffer_texture_2d(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_TEXTURE_2D, texture, 0);
    const GLuint depth_stencil = attach_depth_stencil(width, height);
    const bool complete = gl.check_framebuffer_status(GL_FRAMEBUFFER) == GL_FRAMEBUFFER_COMPLETE;
    if (complete) {
        // A scissor set for the screen would cut the texture's pixels.
        const GLboolean scissoring = glIsEnabled(GL_SCISSOR_TEST);
        glDisable(GL_SCISSOR_TEST);
        glViewport(viewport[0] - box.left, viewport[1] - box.bottom, viewport[2], viewport[3]);
        GLfloat clear_colour[4];
        glGetFloatv(GL_COLOR_CLEAR_VALUE, clear_colour);
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT | GL_STENCIL_BUFFER_BIT);
        glClearColor(clear_colour[0], clear_colour[1], clear_colour[2], clear_colour[3]);
        draw();
        glViewport(viewport[0], viewport[1], viewport[2], viewport[3]);
        if (scissoring)
            glEnable(GL_SCISSOR_TEST);
    }
    gl.bind_framebuffer(GL_DRAW_FRAMEBUFFER, static_cast<GLuint>(drawing));
    gl.bind_framebuffer(GL_READ_FRAMEBUFFER, static_cast<GLuint>(reading));
    gl.delete_renderbuffers(1, &depth_stencil);
    gl.delete_framebuffers(1, &framebuffer);
    if (!complete) {
        glDeleteTextures(1, &texture);
        return 0;
    }
    return texture;
}

}  // namespace

unsigned int BoxTextures::find(std::uint64_t key, const PixelBox& box, const std::function<void()>& draw,
                               bool may_make)
{
    if (!framebuffer_calls().complete || box.empty())
        return 0;
    // The textures of an earlier context went with it.
    if (context_ != gl_context_number()) {
        made_.clear();
        seen_.clear();
        context_ = gl_context_number();
    }
    ++finds_;
    auto found = made_.find(key);
    if (found == made_.end()) {
        if (seen_.size() >= 8 * most_)
            seen_.clear();
        int& seen = seen_[key];
        seen = std::min(seen + 1, finds_to_make_);
        if (seen < finds_to_make_ || !may_make)
            return 0;
        // Full, and the least recently found was found among the last `most`
        // finds: every texture kept is still in use (more things ask than
        // there is room for), and making one would only drop another.
        const auto oldest = std::min_element(made_.begin(), made_.end(), [](const auto& a, const auto& b) {
            return a.second.used < b.second.used;
        });
        const bool full = made_.size() >= most_;
        if (full && finds_ - oldest->second.used <= most_)
            return 0;
        seen_.erase(key);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        const GLuint texture = draw_into_texture(box, viewport, draw);
        if (texture == 0)
            return 0;
        if (full) {
            glDeleteTextures(1, &oldest->second.texture);
            made_.erase(oldest);
        }
        found = made_.emplace(key, Made{texture, 0}).first;
        ++makes_;
    }
    found->second.used = finds_;
    return found->second.texture;
}

void lay_box_texture(unsigned int texture, const PixelBox& box, const int viewport[4])
{
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(viewport[0], viewport[0] + viewport[2], viewport[1], viewport[1] + viewport[3], -1, 1);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBindTexture(GL_TEXTURE_2D, texture);
    glEnable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glTexCoord2d(0, 0);
    glVertex2d(box.left, box.bottom);
    glTexCoord2d(1, 0);
    glVertex2d(box.right, box.bottom);
    glTexCoord2d(1, 1);
    glVertex2d(box.right, box.top);
    glTexCoord2d(0, 1);
    glVertex2d(box.left, box.top);
    glEnd();
    glBindTexture(GL_TEXTURE_2D, 0);
    glDisable(GL_TEXTURE_2D);
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
}
