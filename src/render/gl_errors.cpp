#include "render/gl_errors.hpp"

#include "render/gl.hpp"
#include "storage/log.hpp"

void gl_errors(const char* label)
{
    for (GLenum code = glGetError(); code != GL_NO_ERROR; code = glGetError()) {
        log_err() << "(in " << label << ") OpenGL error #" << static_cast<unsigned int>(code) << ": "
                  << reinterpret_cast<const char*>(gluErrorString(code)) << '\n';
    }
}
