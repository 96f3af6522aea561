// Contexts and windows for tests, made the way a host makes them.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <X11/Xlib.h>
#undef Success
#undef Always
#endif

#include <memory>

#include "vindra/vindra.h"

namespace vindra_test {

// A creation record as most hosts fill it: type 1, headless, automatic OpenCL choice.
vindra::ContextInitData DefaultInit(const char* name = "test");

using ContextPtr = std::unique_ptr<vindra::Context>;  // deleted through the interface's virtual destructor

// CreateContext on `init`; null when it failed. On Windows the first success also initialises the test
// executable's own GLEW, so that tests can make raw GL calls beyond GL 1.1.
ContextPtr Create(vindra::ContextInitData init);

// A mapped window on the host's own display connection, as an application would own it.
class TestWindow {
public:
    TestWindow();
    ~TestWindow() { Destroy(); }
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    vindra::NativeWindow id() const { return window; }
    void Destroy();  // destroys the window now, as a host closing it would

private:
#if !defined(_WIN32)
    std::unique_ptr<Display, int (*)(Display*)> connection{XOpenDisplay(nullptr), XCloseDisplay};
    Window window = 0;
#else
    HWND window = nullptr;
#endif
};

}  // namespace vindra_test
