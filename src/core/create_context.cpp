// The library's only export.
#if defined(_WIN32)
#include "wgl/wgl_context.h"
#else
#include "glx/glx_context.h"
#endif

namespace vindra {

namespace {
#if defined(_WIN32)
using PlatformContext = WglContext;
#else
using PlatformContext = GlxContext;
#endif
}  // namespace

// Type 2 asks for no context. Every other type makes a GL context: further types are not defined yet.
// Reports nothing of its own: a failed Init has said why.
Context* CreateContext(ContextInitData& init) {
    if (init.type == 2) return nullptr;
    GlContext* context = new PlatformContext;
    if (context->Init(init)) return context;
    delete context;
    return nullptr;
}

}  // namespace vindra
