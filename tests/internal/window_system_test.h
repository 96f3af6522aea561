// What the suites of the window-system layers share: a fixture, scoped replacement of GLEW entry
// points and flags, and what each layer's suite defines for the platform-neutral cases.
#ifndef VINDRA_TESTS_INTERNAL_WINDOW_SYSTEM_TEST_H
#define VINDRA_TESTS_INTERNAL_WINDOW_SYSTEM_TEST_H

#include <gtest/gtest.h>  // before Xlib, whose None macro clashes with gtest's

#include <string>
#include <vector>

#include "message_capture.h"
#include "test_context.h"

namespace vindra_test {

extern const char* const kApi;  // "GLX" or "WGL": how the layer's messages begin

// The bootstrap resolves GLEW's entry points once per process: a replacement made before it would be
// undone by it.
class WindowSystemTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(CreateHeadless("bootstrap"));
        capture.Clear();
    }
    MessageCapture capture;
};

// Puts `value` into a GLEW entry point or extension flag for one scope, and the driver's own back after.
template <typename T>
class Replaced {
public:
    Replaced(T& slot, T value) : slot(slot), saved(slot) { slot = value; }
    ~Replaced() { slot = saved; }

private:
    T& slot;
    T saved;
};

// What one pixel-format attempt asks for: "16/16/16/16 float x8", "10/10/10/2", "none".
inline std::string AttemptText(int red, int green, int blue, int alpha, bool floatingPoint, int samples) {
    std::string colour =
        std::to_string(red) + "/" + std::to_string(green) + "/" + std::to_string(blue) + "/" + std::to_string(alpha);
    return (red == 0 ? "none" : colour) + (floatingPoint ? " float" : "") +
           (samples != 0 ? " x" + std::to_string(samples) : "");
}

// The attempts of a request for everything (multisample, float, deep colour) until the plain one, and
// the warnings "<api> failed to find ..." as the requests are dropped on the way.
inline const std::vector<std::string> kEveryAttempt = {"16/16/16/16 float x8", "16/16/16/16 float", "16/16/16/16",
                                                       "10/10/10/2",           "8/8/8/8",           "none"};
inline std::vector<Message> EveryDropWarning(const std::string& api) {
    std::vector<Message> warnings;
    for (const char* format : {"pixel format with multi sampling", "16-bit float pixel format", "16-bit pixel format",
                               "10-bit pixel format", "8-bit pixel format"})
        warnings.push_back({3, api + " failed to find " + format});
    return warnings;
}

// The layer's handle of the GL context current on this thread (GLXContext, HGLRC), whoever made it.
const void* NativeCurrentContext();
// Takes from the layer, or gives back, what it chooses formats with (GLX 1.3's frame-buffer
// configurations, WGL_ARB_pixel_format), so that it takes its legacy path.
void UseLegacyPath(bool legacy);

// A GL context of the host's own, made with raw window-system calls on a window of the host's that is
// never shown: windows shown by tests that run side by side would hide each other's pixels.
class HostGlContext {
public:
    HostGlContext();
    ~HostGlContext();
    void MakeCurrent();
    vindra::NativeWindow id() const { return window; }

private:
    void* connection = nullptr;  // GLX: the host's Display*; WGL: the window's HDC
    vindra::NativeWindow window{};
    void* context = nullptr;
};

}  // namespace vindra_test

#endif
