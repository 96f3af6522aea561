// GlxContext: the X11/GLX window-system layer of a context on Linux. It mirrors the WGL layer step
// by step, with the calls of GLX only: configuration choice with fall-backs, context creation with
// version, profile and sharing, making current, presentation and swap control.
#ifndef VINDRA_SRC_GLX_GLX_CONTEXT_H
#define VINDRA_SRC_GLX_GLX_CONTEXT_H

#include <GL/glew.h>
#include <GL/glxew.h>

#include <vector>

#include "core/context_settings.h"
#include "gl/gl_context.h"
#include "glx/x_display.h"

namespace vindra {

// The double-buffered RGBA8 visual with depth 24 and stencil 8 of the bootstrap and of GLX without
// frame-buffer configurations; null when the server has none. Free it with XFree.
XVisualInfo* ChooseRgba8Visual(Display* display, int screen);

class GlxContext : public GlContext {
public:
    GlxContext() = default;
    ~GlxContext() override;

    bool Init(ContextInitData& init) override;
    uint32_t MakeCurrent() override;
    uint32_t ClearCurrent() override;
    Context* CreateSharedContext() override;
    int32_t GetSwapInterval() override;
    void SetSwapInterval(int32_t interval) override;
    bool IsBackBufferPreserved() override;
    bool JoinSwapGroup(uint32_t group) override;
    bool BindSwapBarrier(uint32_t group, uint32_t barrier) override;
    const void* NativeHandle() const override;

protected:
    uint32_t PresentBackBuffer() override;
    void ReportClientSwapFailure() override;
    uint32_t QueryDriverVideoMemoryMiB() override;
    void GetClSharingProperties(intptr_t (&properties)[4]) const override;

private:
    bool ChooseConfig(const ContextInitData& init, int screen, VisualID windowVisual);
    GLXFBConfig FindConfig(const std::vector<int>& attributes, int screen, VisualID windowVisual);
    bool ChooseLegacyVisual(int screen);
    bool CreateHeadlessWindow(int screen);
    GLXContext CreateGlContext(GLXContext share, XErrorTrap& trap);

    // What the GL context is made for and with; a shared context on the same window takes it over whole,
    // and owns neither the window nor anything else of this one's.
    struct Setup {
        ContextSettings settings;  // swapExchange: what the chosen configuration does
        Display* display = nullptr;
        Window window = 0;
        GLXFBConfig fbConfig = nullptr;  // null on the legacy path
        bool legacyPath = false;         // GLX without frame-buffer configurations
        XVisualInfo legacyVisual{};      // the visual chosen on the legacy path
        int renderType = GLX_RGBA_TYPE;
    };
    GlxContext(const Setup& setup, GLXContext glrc) : setup(setup), glrc(glrc) {}

    Setup setup;
    GLXContext glrc = nullptr;
    bool ownsWindow = false;  // a headless context's own window, destroyed with the context
    Colormap colormap = 0;    // of that window
    // Last interval this context set: what GetSwapInterval answers where the driver cannot be asked.
    // GLX starts drawables at interval 1.
    int32_t swapInterval = 1;
};

}  // namespace vindra

#endif
