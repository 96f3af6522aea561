// Contexts and windows for tests, made the way a host makes them.
#ifndef VINDRA_TESTS_SUPPORT_TEST_CONTEXT_H
#define VINDRA_TESTS_SUPPORT_TEST_CONTEXT_H

#include <X11/Xlib.h>
#undef Success
#undef Always

#include <memory>

#include "vindra/vindra.h"

namespace vindra_test {

// A creation record as most hosts fill it: type 1, headless, automatic OpenCL choice.
vindra::ContextInitData DefaultInit(const char* name = "test");

struct ContextDeleter {
    void operator()(vindra::Context* context) const { delete context; }
};
using ContextPtr = std::unique_ptr<vindra::Context, ContextDeleter>;

// CreateContext on `init`; null when it failed.
ContextPtr Create(vindra::ContextInitData init);
ContextPtr CreateHeadless(const char* name = "test");

// A mapped X window on the host's own display connection, as an application would own it. Windows are
// placed apart from each other (up to 150x150 pixels each).
class TestWindow {
public:
    TestWindow(int width = 64, int height = 64);
    ~TestWindow();
    TestWindow(const TestWindow&) = delete;
    TestWindow& operator=(const TestWindow&) = delete;

    Window id() const { return window; }
    Display* display() const { return connection; }
    void Destroy();  // destroys the X window now, as a host closing it would

private:
    Display* connection = nullptr;
    Window window = 0;
};

}  // namespace vindra_test

#endif
