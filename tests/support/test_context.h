// Contexts for tests, made the way a host makes them.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
// Xlib first, its macros that clash with vindra's and gtest's names undone: tests include GLX headers after this.
#include <X11/Xlib.h>
#undef Success
#undef Always
#endif

#include <GL/glew.h>

#include <memory>

#include "vindra/vindra.h"

namespace vindra_test {

// A creation record as most hosts fill it: type 1, headless, automatic OpenCL choice.
inline vindra::ContextInitData DefaultInit(const char* name = "test") {
    vindra::ContextInitData init{};
    init.name = name;
    init.type = 1;
    init.clPlatformIndex = init.clDeviceIndex = -1;
    return init;
}

using ContextPtr = std::unique_ptr<vindra::Context>;  // deleted through the interface's virtual destructor

// CreateContext on `init`; null when it failed. On Windows the first success also initialises the test
// executable's own GLEW (GLEW lives inside vindra.dll there), so that tests can make raw GL calls beyond GL 1.1.
inline ContextPtr Create(vindra::ContextInitData init) {
    ContextPtr context(vindra::CreateContext(init));
#if defined(_WIN32)
    static bool glewReady = false;
    if (context && !glewReady) glewReady = glewInit() == GLEW_OK;
#endif
    return context;
}

}  // namespace vindra_test
