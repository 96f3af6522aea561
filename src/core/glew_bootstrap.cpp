#include "core/glew_bootstrap.h"

#include <GL/glew.h>

#include "core/log_message.h"

namespace vindra {

bool InitializeGlew() {
    glewExperimental = GL_FALSE;
    GLenum error = glewInit();
    if (error == GLEW_OK) return true;
    LogMessage(MessageLevel::Error, "GLEW: Initialization Error");
    LogMessage(MessageLevel::Continuation, "    : %s", reinterpret_cast<const char*>(glewGetErrorString(error)));
    return false;
}

}  // namespace vindra
