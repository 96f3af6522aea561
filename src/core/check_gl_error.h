// Turns the GL error state of the current context into messages and a ResultCode.
#ifndef VINDRA_SRC_CORE_CHECK_GL_ERROR_H
#define VINDRA_SRC_CORE_CHECK_GL_ERROR_H

#include "vindra/types.h"

namespace vindra {

// Drains every pending GL error, reports each at error level under `operation`
// ("GlContext::SetViewPort: GL_INVALID_VALUE"), and returns the code of the last one, or Success.
ResultCode CheckGlError(const char* operation);

}  // namespace vindra

#endif
