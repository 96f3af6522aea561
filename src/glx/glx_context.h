// GlxContext: the X11/GLX window-system layer of a context on Linux. It mirrors the WGL layer step
// by step: once-per-process bootstrap, frame-buffer configuration chain with fall-backs, context
// creation with version, profile and sharing, making current, presentation and swap control.
#ifndef VINDRA_SRC_GLX_GLX_CONTEXT_H
#define VINDRA_SRC_GLX_GLX_CONTEXT_H

#include <GL/glew.h>
#include <GL/glxew.h>

#include <vector>

#include "gl/gl_context.h"

// Runs the once-per-process bootstrap on a hidden dummy window: a legacy GLX context on which GLEW
// resolves the GL and GLX entry points and extension flags. True when GLEW initialised.
bool LoadGlExtensions(Display* display);

class GlxContext : public vindra::GlContext {
public:
    // Side of the window the library makes for a headless context (window 0).
    static constexpr unsigned kHeadlessSize = 256;

    GlxContext() = default;
    ~GlxContext() override;

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

    GLXContext GetGlxContext() const { return glrc; }
    Window GetWindow() const { return window; }

private:
    bool ChooseConfig(const vindra::ContextInitData& init, int screen, VisualID windowVisual);
    GLXFBConfig FindConfig(const std::vector<int>& attributes, int screen, VisualID windowVisual);
    bool ChooseLegacyVisual(int screen);
    bool CreateHeadlessWindow(int screen);
    GLXContext CreateGlContext(GLXContext share);
    bool MakeCurrentOnThread();
    // Runs `query` with this context current on the calling thread, switching to it and back when
    // another one is current. False when the switch failed (reported).
    template <typename Query>
    bool WithThisContextCurrent(Query query);

    // Fields in the order of the Windows layer, with the X11 counterparts of its handles.
    Window window = 0;
    GLXContext glrc = nullptr;
    int32_t majorVersion = 0;
    int32_t minorVersion = 0;
    bool coreProfile = false;
    bool swapExchange = false;  // the request, then what the chosen configuration does
    bool ownsWindow = false;  // a headless context's own window, destroyed with the context

    Display* display = nullptr;
    GLXFBConfig fbConfig = nullptr;   // null on the legacy path
    bool legacyPath = false;          // GLX without frame-buffer configurations
    XVisualInfo legacyVisual{};       // the visual chosen on the legacy path
    int renderType = GLX_RGBA_TYPE;
    Colormap colormap = 0;  // of the headless window
    // Last interval this context set: what GetSwapInterval answers where the driver cannot be asked.
    // GLX starts drawables at interval 1.
    int32_t swapInterval = 1;
};

#endif
