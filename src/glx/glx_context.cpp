// GlxContext: configuration choice, context creation and destruction, shared contexts, video memory.
#include "glx/glx_context.h"

#include <algorithm>

#include "cl/cl_api.h"
#include "core/glew_bootstrap.h"
#include "core/log_message.h"
#include "core/pixel_format_request.h"
#include "glx/thread_ownership.h"
#include "glx/x_display.h"

namespace vindra {

namespace {

static_assert(GLX_CONTEXT_MAJOR_VERSION_ARB == kContextMajorVersionToken &&
                  GLX_CONTEXT_MINOR_VERSION_ARB == kContextMinorVersionToken &&
                  GLX_CONTEXT_PROFILE_MASK_ARB == kContextProfileMaskToken &&
                  GLX_CONTEXT_CORE_PROFILE_BIT_ARB == kContextCoreProfileBit && None == 0,
              "the shared create-context list holds GLX's tokens");

// swapMethod: GLX_SWAP_COPY_OML, GLX_SWAP_EXCHANGE_OML, or 0 for any.
std::vector<int> ConfigAttributes(const PixelFormatRequest& request, int swapMethod) {
    std::vector<int> list = {
        GLX_X_RENDERABLE, True, GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT, GLX_DOUBLEBUFFER, True, GLX_DEPTH_SIZE, 24,
    };
    if (swapMethod != 0) list.insert(list.end(), {GLX_SWAP_METHOD_OML, swapMethod});
    ColourBits colour = request.Colour();
    if (colour.floatingPoint) list.insert(list.end(), {GLX_RENDER_TYPE, GLX_RGBA_FLOAT_BIT_ARB});
    if (colour.red != 0)
        list.insert(list.end(), {GLX_RED_SIZE, colour.red, GLX_GREEN_SIZE, colour.green, GLX_BLUE_SIZE, colour.blue,
                                 GLX_ALPHA_SIZE, colour.alpha});
    if (request.Samples() != 0) list.insert(list.end(), {GLX_SAMPLE_BUFFERS, 1, GLX_SAMPLES, request.Samples()});
    list.push_back(None);
    return list;
}

}  // namespace

bool GlxContext::Init(ContextInitData& init) {
    CopyName(init.name);

    setup.display = GetProcessDisplay();
    if (setup.display == nullptr) return false;
    if (!EnsureGlExtensionsLoaded()) {
        LogMessage(MessageLevel::Error, "GLX: Failed to init GL extensions");
        return false;
    }

    setup.window = static_cast<Window>(init.window);
    int screen = DefaultScreen(setup.display);
    VisualID windowVisual = 0;
    if (setup.window != 0) {
        XErrorTrap trap;
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(setup.display, setup.window, &attributes) || trap.Sync() != 0) {
            LogMessage(MessageLevel::Error, "GLX: Invalid window 0x%lx", static_cast<unsigned long>(setup.window));
            trap.ReportCaught();
            setup.window = 0;  // not ours to touch again
            return false;
        }
        screen = XScreenNumberOfScreen(attributes.screen);
        windowVisual = XVisualIDFromVisual(attributes.visual);
    }

    setup.settings = ContextSettings::From(init);
    // The share context must be one this library made: its GLX context is taken as is.
    GLXContext share = init.shareContext ? static_cast<GlxContext*>(init.shareContext)->glrc : nullptr;

    bool chosen = (GLXEW_VERSION_1_3 && glXChooseFBConfig != nullptr) ? ChooseConfig(init, screen, windowVisual)
                                                                      : ChooseLegacyVisual(screen);
    if (!chosen) return false;
    if (setup.window == 0 && !CreateHeadlessWindow(screen)) return false;

    {
        XErrorTrap trap;
        glrc = CreateGlContext(share, trap);
        if (glrc == nullptr) {
            LogMessage(MessageLevel::Error, "GLX: Failed to create context");
            trap.ReportCaught();
            return false;
        }
    }
    if (MakeCurrent() != 0) {
        glXDestroyContext(setup.display, glrc);
        glrc = nullptr;
        return false;
    }

    SetUpGlObjects();
    InitCompute(init);
    return true;
}

bool GlxContext::ChooseConfig(const ContextInitData& init, int screen, VisualID windowVisual) {
    PixelFormatRequest request = PixelFormatRequest::From(init);
    bool exchange = setup.settings.swapExchange;
    int swapMethod = GLXEW_OML_swap_method ? (exchange ? GLX_SWAP_EXCHANGE_OML : GLX_SWAP_COPY_OML) : 0;
    for (;;) {
        setup.fbConfig = FindConfig(ConfigAttributes(request, swapMethod), screen, windowVisual);
        // Some drivers (Mesa's software rasteriser) offer no exchange configurations at all: the swap
        // method is then a preference, not a reason to fail, and the context reports what it got.
        if (setup.fbConfig == nullptr && swapMethod != 0) {
            setup.fbConfig = FindConfig(ConfigAttributes(request, 0), screen, windowVisual);
            if (setup.fbConfig != nullptr) {
                LogMessage(MessageLevel::Warning, "GLX failed to find pixel format with %s swap method",
                           exchange ? "exchange" : "copy");
                swapMethod = 0;
            }
        }
        if (setup.fbConfig != nullptr) break;
        if (!request.DropOne("GLX")) return false;  // the plain attempt failed: silently
    }
    setup.renderType = request.Colour().floatingPoint ? GLX_RGBA_FLOAT_TYPE_ARB : GLX_RGBA_TYPE;
    if (GLXEW_OML_swap_method) {
        int method = 0;
        glXGetFBConfigAttrib(setup.display, setup.fbConfig, GLX_SWAP_METHOD_OML, &method);
        setup.settings.swapExchange = method != GLX_SWAP_COPY_OML;  // only a copy swap keeps the back buffer
    }
    return true;
}

// The first configuration that matches `attributes` and can draw to the window (with a host window,
// only those of the window's own visual can).
GLXFBConfig GlxContext::FindConfig(const std::vector<int>& attributes, int screen, VisualID windowVisual) {
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(setup.display, screen, attributes.data(), &count);
    GLXFBConfig found = nullptr;
    for (int i = 0; configs != nullptr && i < count && found == nullptr; ++i) {
        int visual = 0;
        glXGetFBConfigAttrib(setup.display, configs[i], GLX_VISUAL_ID, &visual);
        if (visual != 0 && (windowVisual == 0 || static_cast<VisualID>(visual) == windowVisual)) found = configs[i];
    }
    if (configs != nullptr) XFree(configs);
    return found;
}

// Without frame-buffer configurations: the request's colour, samples, version and profile are ignored.
bool GlxContext::ChooseLegacyVisual(int screen) {
    XVisualInfo* visual = ChooseRgba8Visual(setup.display, screen);
    if (visual == nullptr) {
        LogMessage(MessageLevel::Error, "GLX: Failed to choose pixel format");
        return false;
    }
    setup.legacyVisual = *visual;
    setup.legacyPath = true;
    XFree(visual);
    return true;
}

bool GlxContext::CreateHeadlessWindow(int screen) {
    XVisualInfo* visual = setup.legacyPath ? nullptr : glXGetVisualFromFBConfig(setup.display, setup.fbConfig);
    const XVisualInfo& info = setup.legacyPath ? setup.legacyVisual : *visual;
    XErrorTrap trap;
    Window root = RootWindow(setup.display, screen);
    colormap = XCreateColormap(setup.display, root, info.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap;
    setup.window = XCreateWindow(setup.display, root, 0, 0, kHeadlessWindowSize, kHeadlessWindowSize, 0, info.depth,
                                 InputOutput, info.visual, CWColormap | CWBorderPixel, &attributes);
    if (visual != nullptr) XFree(visual);
    ownsWindow = true;
    if (trap.Sync() != 0 || setup.window == 0) {
        LogMessage(MessageLevel::Error, "GLX: Failed to create window");
        trap.ReportCaught();
        return false;
    }
    return true;
}

// An unsupported version or profile is an X error, caught by the caller's trap: the context made is
// then discarded, and the caller reports the error (or not) under its own message.
GLXContext GlxContext::CreateGlContext(GLXContext share, XErrorTrap& trap) {
    GLXContext made = nullptr;
    if (setup.legacyPath) {
        made = glXCreateContext(setup.display, &setup.legacyVisual, share, True);
    } else if (glXCreateContextAttribsARB != nullptr) {
        std::array<int, 8> attributes = setup.settings.Attributes();
        made = glXCreateContextAttribsARB(setup.display, setup.fbConfig, share, True, attributes.data());
    } else {
        made = glXCreateNewContext(setup.display, setup.fbConfig, setup.renderType, share, True);
    }
    if (trap.Sync() != 0 && made != nullptr) {
        glXDestroyContext(setup.display, made);
        made = nullptr;
    }
    return made;
}

GlxContext::~GlxContext() {
    if (glrc != nullptr) {
        ReleaseGlObjects();
        glXDestroyContext(setup.display, glrc);
    }
    ThreadOwnership::Forget(this);
    if (ownsWindow) {
        XErrorTrap trap;
        if (setup.window != 0) XDestroyWindow(setup.display, setup.window);
        if (colormap != 0) XFreeColormap(setup.display, colormap);
    }
}

// Reports nothing when no GL context can be made: the caller learns it from the null result.
Context* GlxContext::CreateSharedContext() {
    GLXContext sharedGlrc = nullptr;
    {
        XErrorTrap trap;
        sharedGlrc = CreateGlContext(glrc, trap);
    }
    return sharedGlrc != nullptr ? FinishSharedContext(new GlxContext(setup, sharedGlrc)) : nullptr;
}

// AMD drivers answer for the GPU of the current context, Mesa drivers for its renderer.
uint32_t GlxContext::QueryDriverVideoMemoryMiB() {
    unsigned int megabytes = 0;
    if (GLXEW_AMD_gpu_association) {
        unsigned int gpu = glXGetContextGPUIDAMD(glXGetCurrentContext());
        if (gpu != 0 && glXGetGPUInfoAMD(gpu, GLX_GPU_RAM_AMD, GL_UNSIGNED_INT, 4, &megabytes) == 1) return megabytes;
    }
    if (GLXEW_MESA_query_renderer && glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes))
        return megabytes;
    return 0;
}

void GlxContext::GetClSharingProperties(intptr_t (&properties)[4]) const {
    const intptr_t list[4] = {CL_GL_CONTEXT_KHR, reinterpret_cast<intptr_t>(glXGetCurrentContext()), CL_GLX_DISPLAY_KHR,
                              reinterpret_cast<intptr_t>(glXGetCurrentDisplay())};
    std::copy(list, list + 4, properties);
}

}  // namespace vindra
