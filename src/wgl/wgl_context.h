// WglContext: the WGL window-system layer of a context on Windows. The GLX layer (src/glx/) mirrors it
// step by step; each holds the calls of its own API only: pixel-format choice with fall-backs, context
// creation with version, profile and sharing, making current, presentation and swap control.
#ifndef VINDRA_SRC_WGL_WGL_CONTEXT_H
#define VINDRA_SRC_WGL_WGL_CONTEXT_H

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

#include "core/context_settings.h"
#include "gl/gl_context.h"

namespace vindra {

class WglContext : public GlContext {
public:
    WglContext() = default;
    ~WglContext() override;

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
    bool ChoosePixelFormat(const ContextInitData& init, int* format);
    bool ChooseLegacyPixelFormat(int* format, PIXELFORMATDESCRIPTOR* descriptor);
    bool CreateHeadlessWindow();
    HGLRC CreateGlContext(HGLRC share);

    // What the GL context is made for and with; a shared context on the same window takes it over whole,
    // and owns neither the window nor its device context.
    struct Setup {
        ContextSettings settings;
        HWND window = nullptr;
        HDC dc = nullptr;
        bool legacyPath = false;  // no WGL_ARB_pixel_format: colour, samples, version and profile ignored
    };
    WglContext(const Setup& setup, HGLRC glrc) : setup(setup), glrc(glrc) {}

    Setup setup;
    HGLRC glrc = nullptr;
    bool ownsDc = false;      // taken with GetDC by this context, released with it
    bool ownsWindow = false;  // the hidden window of a context made without one
    // Last interval this context set: what GetSwapInterval answers without WGL_EXT_swap_control.
    int32_t swapInterval = 1;
};

}  // namespace vindra

#endif
