// Turns the GL error state of the current context into messages and a ResultCode.
#ifndef VINDRA_SRC_CORE_CHECK_GL_ERROR_H
#define VINDRA_SRC_CORE_CHECK_GL_ERROR_H

#include <GL/glew.h>

#include "vindra/types.h"

namespace vindra {

// Reports `error` and every GL error still pending, each at error level under `operation`, and
// returns the code of the last one.
ResultCode ReportGlErrors(const char* operation, GLenum error);

// Drains every pending GL error, reports each at error level under `operation`
// ("GlContext::SetViewPort: GL_INVALID_VALUE"), and returns the code of the last one, or Success.
// Runs after nearly every GL call, so the quiet case stays inline: one glGetError and a compare.
inline ResultCode CheckGlError(const char* operation) {
    GLenum error = glGetError();
    if (error == GL_NO_ERROR) return ResultCode::Success;
    return ReportGlErrors(operation, error);
}

}  // namespace vindra

#endif
