// Contexts and windows for tests, made the way a host makes them.
#pragma once

#if defined(_WIN32)
#include <windows.h>
#else
#include <X11/Xlib.h>
#include <X11/Xutil.h>
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

// A mapped X window on the host's own display connection, as an application would own it. Windows are
// placed apart from each other (up to 150x150 pixels each).
class TestWindow {
public:
    TestWindow(int width = 64, int height = 64);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    vindra::NativeWindow id() const { return window; }
    void Destroy();  // destroys the window now, as a host closing it would
    // Colour of one pixel as the window system shows it, 0xRRGGBB (0xdeadbeef when unreadable).
    unsigned long Pixel(int x, int y) const;
    // The pixel once it shows `expected`, or what it shows after about a second: presentation can
    // reach the window system after the swap call returned (Wine hands it on to X asynchronously).
    unsigned long PresentedPixel(int x, int y, unsigned long expected) const;

private:
#if !defined(_WIN32)
    Display* connection = nullptr;
    Window window = 0;
#else
    HWND window = nullptr;
#endif
};

}  // namespace vindra_test
