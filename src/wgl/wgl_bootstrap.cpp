// Once-per-process GLEW bootstrap on a hidden dummy window.
#include "core/glew_bootstrap.h"
#include "core/log_message.h"
#include "wgl/wgl_context.h"

namespace vindra {

namespace {

constexpr const char* kDummyClass = "Dummy_WGL_Marovane";

// What the bootstrap made; released whatever step failed, so a failed bootstrap leaks nothing and the
// next attempt starts clean (the window class stays registered and serves again).
struct DummyWindow {
    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC context = nullptr;
    bool current = false;

    ~DummyWindow() {
        if (current) wglMakeCurrent(dc, nullptr);
        if (context != nullptr) wglDeleteContext(context);
        if (dc != nullptr) ReleaseDC(window, dc);
        if (window != nullptr) DestroyWindow(window);
    }
};

}  // namespace

bool LoadGlExtensions() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSA windowClass{};
    windowClass.style = CS_VREDRAW | CS_HREDRAW | CS_OWNDC;
    windowClass.lpfnWndProc = DefWindowProcA;
    windowClass.hInstance = instance;
    windowClass.lpszClassName = kDummyClass;
    if (RegisterClassA(&windowClass) == 0)
        LogMessage(MessageLevel::Error, "WGL: Failed to register dummy OpenGL window.");

    DummyWindow dummy;
    dummy.window = CreateWindowExA(0, kDummyClass, "Dummy OpenGL Window", 0, CW_USEDEFAULT, CW_USEDEFAULT,
                                   CW_USEDEFAULT, CW_USEDEFAULT, nullptr, nullptr, instance, nullptr);
    if (dummy.window == nullptr) {
        LogMessage(MessageLevel::Error, "WGL: Failed to create dummy OpenGL window.");
        // GetDC(NULL) would be the whole screen's device context: never give it a pixel format.
        return false;
    }
    dummy.dc = GetDC(dummy.window);

    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.iPixelType = PFD_TYPE_RGBA;
    descriptor.cColorBits = 32;
    descriptor.cAlphaBits = 8;
    descriptor.cDepthBits = 24;
    descriptor.cStencilBits = 8;
    descriptor.iLayerType = PFD_MAIN_PLANE;
    int format = ::ChoosePixelFormat(dummy.dc, &descriptor);
    if (format == 0) {
        LogMessage(MessageLevel::Error, "WGL: Failed to find a suitable pixel format.");
        return false;
    }
    if (!SetPixelFormat(dummy.dc, format, &descriptor)) {
        LogMessage(MessageLevel::Error, "WGL: Failed to set the pixel format.");
        return false;
    }
    dummy.context = wglCreateContext(dummy.dc);
    if (dummy.context == nullptr) {
        LogMessage(MessageLevel::Error, "WGL: Failed to create a dummy OpenGL rendering context.");
        return false;
    }
    dummy.current = wglMakeCurrent(dummy.dc, dummy.context) != FALSE;
    if (!dummy.current) {
        LogMessage(MessageLevel::Error, "WGL: Failed to activate dummy OpenGL rendering context.");
        return false;
    }

    return InitializeGlew();
}

}  // namespace vindra
