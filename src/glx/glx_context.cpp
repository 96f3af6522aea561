// GlxContext: configuration choice, context creation and destruction, shared contexts, video memory.
#include "glx/glx_context.h"

#include <vector>

#include "core/current_context.h"
#include "core/log_message.h"
#include "core/pixel_format_request.h"
#include "glx/context_bindings.h"
#include "glx/x_display.h"

using vindra::Context;
using vindra::ContextInitData;
using vindra::currentContext;
using vindra::LogMessage;
using vindra::MessageLevel;

namespace {

// Set after the first successful bootstrap, never reset; read without a lock, so the first
// CreateContext calls of a process must not run on several threads at once.
bool extensionsLoaded = false;

// swapMethod: GLX_SWAP_COPY_OML, GLX_SWAP_EXCHANGE_OML, or 0 for any.
std::vector<int> ConfigAttributes(const vindra::PixelFormatRequest& request, int swapMethod) {
    std::vector<int> list = {
        GLX_X_RENDERABLE,  True,
        GLX_DRAWABLE_TYPE, GLX_WINDOW_BIT,
        GLX_DOUBLEBUFFER,  True,
        GLX_DEPTH_SIZE,    24,
    };
    if (swapMethod != 0) list.insert(list.end(), {GLX_SWAP_METHOD_OML, swapMethod});
    auto colour = [&list](int red, int green, int blue, int alpha) {
        list.insert(list.end(), {GLX_RED_SIZE, red, GLX_GREEN_SIZE, green, GLX_BLUE_SIZE, blue, GLX_ALPHA_SIZE, alpha});
    };
    if (request.floatColor) {
        list.insert(list.end(), {GLX_RENDER_TYPE, GLX_RGBA_FLOAT_BIT_ARB});
        colour(16, 16, 16, 16);
    } else if (request.bits16) {
        colour(16, 16, 16, 16);
    } else if (request.bits10) {
        colour(10, 10, 10, 2);
    } else if (request.bits8) {
        colour(8, 8, 8, 8);
    }
    if (request.multisample) list.insert(list.end(), {GLX_SAMPLE_BUFFERS, 1, GLX_SAMPLES, 8});
    list.push_back(None);
    return list;
}

std::vector<int> ContextAttributes(bool coreProfile, int32_t majorVersion, int32_t minorVersion) {
    if (coreProfile && majorVersion > 0)
        return {GLX_CONTEXT_MAJOR_VERSION_ARB, majorVersion, GLX_CONTEXT_MINOR_VERSION_ARB, minorVersion,
                GLX_CONTEXT_PROFILE_MASK_ARB, GLX_CONTEXT_CORE_PROFILE_BIT_ARB, None, None};
    return {None, None};
}

}  // namespace

int32_t GlxContext::GetType() { return 1; }
int32_t GlxContext::ReservedQuery20() { return 1; }
bool GlxContext::ReservedQuery21() { return true; }

bool GlxContext::Init(ContextInitData& init) {
    CopyName(init.name);

    display = GetProcessDisplay();
    if (display == nullptr) return false;

    if (!extensionsLoaded) {
        if (!LoadGlExtensions(display)) {
            LogMessage(MessageLevel::Error, "GLX: Failed to init GL extensions");
            return false;
        }
        extensionsLoaded = true;
    }

    window = static_cast<Window>(init.window);
    int screen = DefaultScreen(display);
    VisualID windowVisual = 0;
    if (window != 0) {
        XErrorTrap trap;
        XWindowAttributes attributes{};
        if (!XGetWindowAttributes(display, window, &attributes) || trap.Sync() != 0) {
            LogMessage(MessageLevel::Error, "GLX: Invalid window 0x%lx", static_cast<unsigned long>(window));
            trap.ReportCaught();
            window = 0;  // not ours to touch again
            return false;
        }
        screen = XScreenNumberOfScreen(attributes.screen);
        windowVisual = XVisualIDFromVisual(attributes.visual);
    }

    majorVersion = init.majorVersion;
    minorVersion = init.minorVersion;
    coreProfile = init.coreProfile;
    swapExchange = init.swapExchange;
    // The share context must be one this library made: its GLX context is taken as is.
    GLXContext share = init.shareContext ? static_cast<GlxContext*>(init.shareContext)->glrc : nullptr;

    bool chosen = (GLXEW_VERSION_1_3 && glXChooseFBConfig != nullptr) ? ChooseConfig(init, screen, windowVisual)
                                                                      : ChooseLegacyVisual(screen);
    if (!chosen) return false;
    if (window == 0 && !CreateHeadlessWindow(screen)) return false;

    {
        XErrorTrap trap;
        glrc = CreateGlContext(share);
        if (trap.Sync() != 0 && glrc != nullptr) {
            glXDestroyContext(display, glrc);
            glrc = nullptr;
        }
        if (glrc == nullptr) {
            LogMessage(MessageLevel::Error, "GLX: Failed to create context");
            trap.ReportCaught();
            return false;
        }
    }
    if (!MakeCurrentOnThread()) {
        glXDestroyContext(display, glrc);
        glrc = nullptr;
        return false;
    }
    currentContext = this;

    SetUpGlObjects();
    return true;
}

bool GlxContext::ChooseConfig(const ContextInitData& init, int screen, VisualID windowVisual) {
    vindra::PixelFormatRequest request = vindra::PixelFormatRequest::From(init);
    int swapMethod = GLXEW_OML_swap_method ? (swapExchange ? GLX_SWAP_EXCHANGE_OML : GLX_SWAP_COPY_OML) : 0;
    for (;;) {
        fbConfig = FindConfig(ConfigAttributes(request, swapMethod), screen, windowVisual);
        // Some drivers (Mesa's software rasteriser) offer no exchange configurations at all: the swap
        // method is then a preference, not a reason to fail, and the context reports what it got.
        if (fbConfig == nullptr && swapMethod != 0) {
            fbConfig = FindConfig(ConfigAttributes(request, 0), screen, windowVisual);
            if (fbConfig != nullptr) {
                LogMessage(MessageLevel::Warning, "GLX failed to find pixel format with %s swap method",
                           swapExchange ? "exchange" : "copy");
                swapMethod = 0;
            }
        }
        if (fbConfig != nullptr) break;
        if (!request.DropOne("GLX")) return false;  // the plain attempt failed: silently
    }
    renderType = request.floatColor ? GLX_RGBA_FLOAT_TYPE_ARB : GLX_RGBA_TYPE;
    if (GLXEW_OML_swap_method) {
        int method = 0;
        glXGetFBConfigAttrib(display, fbConfig, GLX_SWAP_METHOD_OML, &method);
        swapExchange = method != GLX_SWAP_COPY_OML;  // only a copy swap keeps the back buffer
    }
    return true;
}

// The first configuration that matches `attributes` and can draw to the window (with a host window,
// only those of the window's own visual can).
GLXFBConfig GlxContext::FindConfig(const std::vector<int>& attributes, int screen, VisualID windowVisual) {
    int count = 0;
    GLXFBConfig* configs = glXChooseFBConfig(display, screen, attributes.data(), &count);
    GLXFBConfig found = nullptr;
    for (int i = 0; configs != nullptr && i < count && found == nullptr; ++i) {
        int visual = 0;
        glXGetFBConfigAttrib(display, configs[i], GLX_VISUAL_ID, &visual);
        if (visual != 0 && (windowVisual == 0 || static_cast<VisualID>(visual) == windowVisual)) found = configs[i];
    }
    if (configs != nullptr) XFree(configs);
    return found;
}

// Without frame-buffer configurations: the request's colour, samples, version and profile are ignored.
bool GlxContext::ChooseLegacyVisual(int screen) {
    int attributes[] = {GLX_RGBA,       GLX_DOUBLEBUFFER, GLX_RED_SIZE,     8, GLX_GREEN_SIZE, 8, GLX_BLUE_SIZE, 8,
                        GLX_ALPHA_SIZE, 8,                GLX_DEPTH_SIZE,   24, GLX_STENCIL_SIZE, 8, None};
    XVisualInfo* visual = glXChooseVisual(display, screen, attributes);
    if (visual == nullptr) {
        LogMessage(MessageLevel::Error, "GLX: Failed to choose pixel format");
        return false;
    }
    legacyVisual = *visual;
    legacyPath = true;
    XFree(visual);
    return true;
}

bool GlxContext::CreateHeadlessWindow(int screen) {
    XVisualInfo* visual = legacyPath ? nullptr : glXGetVisualFromFBConfig(display, fbConfig);
    const XVisualInfo& info = legacyPath ? legacyVisual : *visual;
    XErrorTrap trap;
    Window root = RootWindow(display, screen);
    colormap = XCreateColormap(display, root, info.visual, AllocNone);
    XSetWindowAttributes attributes{};
    attributes.colormap = colormap;
    window = XCreateWindow(display, root, 0, 0, kHeadlessSize, kHeadlessSize, 0, info.depth, InputOutput,
                           info.visual, CWColormap | CWBorderPixel, &attributes);
    if (visual != nullptr) XFree(visual);
    ownsWindow = true;
    if (trap.Sync() != 0 || window == 0) {
        LogMessage(MessageLevel::Error, "GLX: Failed to create window");
        trap.ReportCaught();
        return false;
    }
    return true;
}

// Callers hold an XErrorTrap: an unsupported version or profile is an X error, reported (or not)
// under the caller's own message.
GLXContext GlxContext::CreateGlContext(GLXContext share) {
    if (legacyPath) return glXCreateContext(display, &legacyVisual, share, True);
    if (glXCreateContextAttribsARB != nullptr) {
        std::vector<int> attributes = ContextAttributes(coreProfile, majorVersion, minorVersion);
        return glXCreateContextAttribsARB(display, fbConfig, share, True, attributes.data());
    }
    return glXCreateNewContext(display, fbConfig, renderType, share, True);
}

GlxContext::~GlxContext() {
    if (glrc != nullptr) {
        XErrorTrap trap;
        // The context's own vertex array and framebuffer names are deleted while its GL context is
        // current: in any other GL context they would name someone else's objects.
        Display* previousDisplay = glXGetCurrentDisplay();
        GLXContext previous = glXGetCurrentContext();
        GLXDrawable previousDraw = glXGetCurrentDrawable();
        GLXDrawable previousRead = glXGetCurrentReadDrawable();
        bool wasCurrent = previous == glrc;
        bool current = wasCurrent || (!context_bindings::IsCurrentElsewhere(this) &&
                                      glXMakeCurrent(display, window, glrc) && trap.Sync() == 0);
        if (current) DeleteGlObjects();
        // Current on another thread: the names go with the GL context when that thread lets it go.
        AbandonGlObjects();
        if (wasCurrent || previous == nullptr || previousDisplay == nullptr)
            glXMakeCurrent(display, None, nullptr);
        else if (current)
            glXMakeContextCurrent(previousDisplay, previousDraw, previousRead, previous);
        glXDestroyContext(display, glrc);
        glrc = nullptr;
    }
    context_bindings::Forget(this);
    if (ownsWindow) {
        XErrorTrap trap;
        if (window != 0) XDestroyWindow(display, window);
        if (colormap != 0) XFreeColormap(display, colormap);
    }
}

// Reports nothing when no GL context can be made: the caller learns it from the null result.
Context* GlxContext::CreateSharedContext() {
    GLXContext sharedGlrc = nullptr;
    {
        XErrorTrap trap;
        sharedGlrc = CreateGlContext(glrc);
        if (trap.Sync() != 0 && sharedGlrc != nullptr) {
            glXDestroyContext(display, sharedGlrc);
            sharedGlrc = nullptr;
        }
    }
    if (sharedGlrc == nullptr) return nullptr;

    GlxContext* shared = new GlxContext;
    shared->glrc = sharedGlrc;
    shared->display = display;
    shared->window = window;
    shared->fbConfig = fbConfig;
    shared->legacyPath = legacyPath;
    shared->legacyVisual = legacyVisual;
    shared->renderType = renderType;
    shared->majorVersion = majorVersion;
    shared->minorVersion = minorVersion;
    shared->coreProfile = coreProfile;

    return FinishSharedContext(shared);
}

int64_t GlxContext::GetTotalVideoMemory() {
    if (videoMemoryCache == 0 && GLXEW_AMD_gpu_association) {
        unsigned int gpu = glXGetContextGPUIDAMD(glXGetCurrentContext());
        unsigned int megabytes = 0;
        if (gpu != 0 && glXGetGPUInfoAMD(gpu, GLX_GPU_RAM_AMD, GL_UNSIGNED_INT, 4, &megabytes) == 1)
            videoMemoryCache = static_cast<int64_t>(megabytes) * 1048576;
    }
    // Mesa drivers answer for the renderer of the current context, in MiB.
    if (videoMemoryCache == 0 && GLXEW_MESA_query_renderer) {
        unsigned int megabytes = 0;
        if (glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes) && megabytes != 0)
            videoMemoryCache = static_cast<int64_t>(megabytes) * 1048576;
    }
    return GlContext::GetTotalVideoMemory();
}
