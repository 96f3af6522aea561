// WglContext: the WGL window-system layer of a context on Windows: once-per-process bootstrap,
// pixel-format chain with fall-backs, context creation with version, profile and sharing, making
// current, presentation and swap control. The GLX layer (src/glx/) mirrors it step by step.
#ifndef VINDRA_SRC_WGL_WGL_CONTEXT_H
#define VINDRA_SRC_WGL_WGL_CONTEXT_H

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

#include "gl/gl_context.h"

// Runs the once-per-process bootstrap on a hidden dummy window: a legacy WGL context on which GLEW
// resolves the GL and WGL entry points and extension flags. True when GLEW initialised.
bool LoadGlExtensions();

class WglContext : public vindra::GlContext {
public:
    // Side of the hidden window the library makes for a context without a window.
    static constexpr int kHeadlessSize = 256;

    WglContext() = default;
    ~WglContext() override;

    int32_t GetType() override;
    uint32_t MakeCurrent() override;
    uint32_t ClearCurrent() override;
    vindra::Context* CreateSharedContext() override;
    int32_t GetSwapInterval() override;
    void SetSwapInterval(int32_t interval) override;
    uint32_t SwapBuffers(bool withClient) override;
    bool IsBackBufferPreserved() override;
    bool JoinSwapGroup(uint32_t group) override;
    bool BindSwapBarrier(uint32_t group, uint32_t barrier) override;
    int32_t ReservedQuery20() override;
    bool ReservedQuery21() override;
    bool Init(vindra::ContextInitData& init) override;
    int64_t GetTotalVideoMemory() override;

    HGLRC GetGlrc() const { return glrc; }
    HWND GetWindow() const { return window; }

private:
    bool ChoosePixelFormat(const vindra::ContextInitData& init, int* format);
    bool ChooseLegacyPixelFormat(int* format, PIXELFORMATDESCRIPTOR* descriptor);
    HGLRC CreateGlContext(HGLRC share);
    // Runs `query` with this context current on the calling thread, switching to it and back when
    // another one is current. False when the switch failed (reported).
    template <typename Query>
    bool WithThisContextCurrent(Query query);

    HWND window = nullptr;
    HDC dc = nullptr;
    HGLRC glrc = nullptr;
    int32_t majorVersion = 0;
    int32_t minorVersion = 0;
    bool coreProfile = false;
    bool swapExchange = false;
    bool ownsDc = false;

    bool ownsWindow = false;  // the hidden window of a context made without one
    // Last interval this context set: what GetSwapInterval answers without WGL_EXT_swap_control.
    int32_t swapInterval = 1;
};

#endif
