#include "core/glew_bootstrap.h"

#include <GL/glew.h>

#include <mutex>

#include "core/log_message.h"

namespace vindra {

namespace {

// Held for the whole bootstrap: glewInit writes process-wide entry points that no other thread may
// read half-written.
std::mutex bootstrapMutex;
bool extensionsLoaded = false;  // set after the first successful bootstrap, never reset
int bootstrapRuns = 0;

}  // namespace

bool EnsureGlExtensionsLoaded() {
    std::lock_guard<std::mutex> lock(bootstrapMutex);
    if (!extensionsLoaded) {
        ++bootstrapRuns;
        extensionsLoaded = LoadGlExtensions();
    }
    return extensionsLoaded;
}

int GlExtensionBootstrapRuns() {
    std::lock_guard<std::mutex> lock(bootstrapMutex);
    return bootstrapRuns;
}

bool InitializeGlew() {
    glewExperimental = GL_FALSE;
    GLenum error = glewInit();
    if (error == GLEW_OK) return true;
    LogMessage(MessageLevel::Error, "GLEW: Initialization Error");
    LogMessage(MessageLevel::Continuation, "    : %s", reinterpret_cast<const char*>(glewGetErrorString(error)));
    return false;
}

}  // namespace vindra
