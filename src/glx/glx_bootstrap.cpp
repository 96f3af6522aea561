// Once-per-process GLEW bootstrap on a hidden dummy window. Only GLX 1.0 calls here: with
// <GL/glxew.h> included, the GLX 1.3 calls are GLEW pointers that stay null until glewInit has run.
#include "glx/glx_context.h"

#include "core/glew_bootstrap.h"
#include "core/log_message.h"
#include "glx/x_display.h"

namespace vindra {

namespace {

// What the bootstrap made; released whatever step failed, so a failed bootstrap leaks nothing.
struct DummyWindow {
    Display* display;
    XVisualInfo* visual = nullptr;
    Colormap colormap = 0;
    Window window = 0;
    GLXContext context = nullptr;
    bool current = false;

    explicit DummyWindow(Display* d) : display(d) {}
    ~DummyWindow() {
        XErrorTrap trap;
        if (current) glXMakeCurrent(display, None, nullptr);
        if (context != nullptr) glXDestroyContext(display, context);
        if (window != 0) XDestroyWindow(display, window);
        if (colormap != 0) XFreeColormap(display, colormap);
        if (visual != nullptr) XFree(visual);
    }
};

}  // namespace

// GLX 1.0: usable before GLEW has resolved anything.
XVisualInfo* ChooseRgba8Visual(Display* display, int screen) {
    // clang-format off
    int attributes[] = {GLX_RGBA, GLX_DOUBLEBUFFER, GLX_RED_SIZE, 8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                        GLX_ALPHA_SIZE, 8, GLX_DEPTH_SIZE, 24, GLX_STENCIL_SIZE, 8, None};
    // clang-format on
    return glXChooseVisual(display, screen, attributes);
}

bool LoadGlExtensions() {
    Display* display = GetProcessDisplay();
    if (display == nullptr) return false;
    DummyWindow dummy(display);
    int screen = DefaultScreen(display);
    Window root = RootWindow(display, screen);

    dummy.visual = ChooseRgba8Visual(display, screen);
    if (dummy.visual == nullptr) {
        LogMessage(MessageLevel::Error, "GLX: Failed to find a suitable pixel format.");
        return false;
    }

    {
        XErrorTrap trap;
        dummy.colormap = XCreateColormap(display, root, dummy.visual->visual, AllocNone);
        XSetWindowAttributes windowAttributes{};
        windowAttributes.colormap = dummy.colormap;
        dummy.window = XCreateWindow(display, root, 0, 0, 1, 1, 0, dummy.visual->depth, InputOutput,
                                     dummy.visual->visual, CWColormap | CWBorderPixel, &windowAttributes);
        if (trap.Sync() != 0 || dummy.window == 0) {
            LogMessage(MessageLevel::Error, "GLX: Failed to create dummy OpenGL window.");
            trap.ReportCaught();
            return false;
        }
    }

    dummy.context = glXCreateContext(display, dummy.visual, nullptr, True);
    if (dummy.context == nullptr) {
        LogMessage(MessageLevel::Error, "GLX: Failed to create a dummy OpenGL rendering context.");
        return false;
    }

    {
        XErrorTrap trap;
        dummy.current = glXMakeCurrent(display, dummy.window, dummy.context) && trap.Sync() == 0;
        if (!dummy.current) {
            LogMessage(MessageLevel::Error, "GLX: Failed to activate dummy OpenGL rendering context.");
            trap.ReportCaught();
            return false;
        }
    }

    return InitializeGlew();
}

}  // namespace vindra
