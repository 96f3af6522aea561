// WglContext: pixel-format choice, context creation and destruction, shared contexts, video memory.
#include "wgl/wgl_context.h"

#include <vector>

#include "core/current_context.h"
#include "core/log_message.h"
#include "core/pixel_format_request.h"

using vindra::Context;
using vindra::ContextInitData;
using vindra::currentContext;
using vindra::LogMessage;
using vindra::MessageLevel;

namespace {

// Set after the first successful bootstrap, never reset; read without a lock, so the first
// CreateContext calls of a process must not run on several threads at once.
bool extensionsLoaded = false;

std::vector<int> FormatAttributes(const vindra::PixelFormatRequest& request, bool swapExchange) {
    std::vector<int> list = {
        WGL_DRAW_TO_WINDOW_ARB, 1,
        WGL_SUPPORT_OPENGL_ARB, 1,
        WGL_ACCELERATION_ARB,   WGL_FULL_ACCELERATION_ARB,
        WGL_SWAP_METHOD_ARB,    swapExchange ? WGL_SWAP_EXCHANGE_ARB : WGL_SWAP_COPY_ARB,
        WGL_DOUBLE_BUFFER_ARB,  1,
        WGL_DEPTH_BITS_ARB,     24,
    };
    auto colour = [&list](int red, int green, int blue, int alpha) {
        list.insert(list.end(), {WGL_RED_BITS_ARB, red, WGL_GREEN_BITS_ARB, green, WGL_BLUE_BITS_ARB, blue,
                                 WGL_ALPHA_BITS_ARB, alpha});
    };
    if (request.floatColor) {
        list.insert(list.end(), {WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_FLOAT_ARB});
        colour(16, 16, 16, 16);
    } else if (request.bits16) {
        colour(16, 16, 16, 16);
    } else if (request.bits10) {
        colour(10, 10, 10, 2);
    } else if (request.bits8) {
        colour(8, 8, 8, 8);
    }
    if (request.multisample) list.insert(list.end(), {WGL_SAMPLES_ARB, 8});
    list.insert(list.end(), {0, 0});
    return list;
}

std::vector<int> ContextAttributes(bool coreProfile, int32_t majorVersion, int32_t minorVersion) {
    if (coreProfile && majorVersion > 0)
        return {WGL_CONTEXT_MAJOR_VERSION_ARB, majorVersion, WGL_CONTEXT_MINOR_VERSION_ARB, minorVersion,
                WGL_CONTEXT_PROFILE_MASK_ARB, WGL_CONTEXT_CORE_PROFILE_BIT_ARB, 0, 0};
    return {0, 0};
}

// A hidden window of the bootstrap's class, for contexts made without a window (offscreen work).
HWND CreateHiddenWindow() {
    return CreateWindowExA(0, "Dummy_WGL_Marovane", "vindra", WS_POPUP, 0, 0, WglContext::kHeadlessSize,
                           WglContext::kHeadlessSize, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

}  // namespace

int32_t WglContext::GetType() { return 1; }
int32_t WglContext::ReservedQuery20() { return 1; }
bool WglContext::ReservedQuery21() { return true; }

bool WglContext::Init(ContextInitData& init) {
    CopyName(init.name);

    if (!extensionsLoaded) {
        if (!LoadGlExtensions()) {
            LogMessage(MessageLevel::Error, "WGL: Failed to init GL extansions");
            return false;
        }
        extensionsLoaded = true;
    }

    // A null window would hand out the whole screen's device context; a context without a window gets
    // a hidden one of its own instead, as on the other platforms.
    window = init.window;
    if (window == nullptr) {
        window = CreateHiddenWindow();
        ownsWindow = window != nullptr;
        if (window == nullptr) {
            LogMessage(MessageLevel::Error, "WGL: Failed to create window");
            return false;
        }
    } else if (!IsWindow(window)) {
        LogMessage(MessageLevel::Error, "WGL: Invalid window handle %p", static_cast<void*>(window));
        window = nullptr;
        return false;
    }
    dc = GetDC(window);
    ownsDc = true;

    majorVersion = init.majorVersion;
    minorVersion = init.minorVersion;
    coreProfile = init.coreProfile;
    swapExchange = init.swapExchange;
    // The share context must be one this library made: its rendering context is taken as is.
    HGLRC share = init.shareContext ? static_cast<WglContext*>(init.shareContext)->glrc : nullptr;

    int format = 0;
    PIXELFORMATDESCRIPTOR descriptor{};
    if (WGLEW_ARB_pixel_format && wglChoosePixelFormatARB != nullptr) {
        if (!ChoosePixelFormat(init, &format)) return false;
        if (!SetPixelFormat(dc, format, &descriptor))
            LogMessage(MessageLevel::Warning, "WGL: Failed to set pixel format");
        glrc = CreateGlContext(share);
    } else {
        if (!ChooseLegacyPixelFormat(&format, &descriptor)) return false;
        if (!SetPixelFormat(dc, format, &descriptor))
            LogMessage(MessageLevel::Warning, "WGL: Failed to set pixel format");
        // The legacy path ignores colour, samples, version and profile.
        glrc = wglCreateContext(dc);
        if (glrc != nullptr && share != nullptr) wglShareLists(share, glrc);
    }
    if (glrc == nullptr) {
        LogMessage(MessageLevel::Error, "WGL: Failed to create context");
        return false;
    }
    if (!wglMakeCurrent(dc, glrc)) {
        LogMessage(MessageLevel::Error, "WGL: Failed to make context current");
        wglDeleteContext(glrc);
        glrc = nullptr;
        return false;
    }
    currentContext = this;

    SetUpGlObjects();
    return true;
}

bool WglContext::ChoosePixelFormat(const ContextInitData& init, int* format) {
    vindra::PixelFormatRequest request = vindra::PixelFormatRequest::From(init);
    const float noFloatAttributes[] = {0, 0};
    for (;;) {
        std::vector<int> attributes = FormatAttributes(request, swapExchange);
        UINT count = 0;
        if (wglChoosePixelFormatARB(dc, attributes.data(), noFloatAttributes, 1, format, &count) && count != 0)
            return true;
        if (!request.DropOne("WGL")) return false;  // the plain attempt failed: silently
    }
}

bool WglContext::ChooseLegacyPixelFormat(int* format, PIXELFORMATDESCRIPTOR* descriptor) {
    descriptor->nSize = sizeof *descriptor;
    descriptor->nVersion = 1;
    descriptor->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER |
                          (swapExchange ? PFD_SWAP_EXCHANGE : PFD_SWAP_COPY);
    descriptor->iPixelType = PFD_TYPE_RGBA;
    descriptor->cColorBits = 24;
    descriptor->cAlphaBits = 8;
    descriptor->cDepthBits = 24;
    descriptor->cStencilBits = 8;
    descriptor->iLayerType = PFD_MAIN_PLANE;
    *format = ::ChoosePixelFormat(dc, descriptor);
    if (*format == 0) {
        LogMessage(MessageLevel::Error, "WGL: Failed to choose pixel format");
        return false;
    }
    return true;
}

HGLRC WglContext::CreateGlContext(HGLRC share) {
    if (wglCreateContextAttribsARB != nullptr) {
        std::vector<int> attributes = ContextAttributes(coreProfile, majorVersion, minorVersion);
        return wglCreateContextAttribsARB(dc, share, attributes.data());
    }
    HGLRC context = wglCreateContext(dc);
    if (context != nullptr && share != nullptr) wglShareLists(share, context);
    return context;
}

WglContext::~WglContext() {
    if (glrc != nullptr) {
        // The context's own vertex array and framebuffer names are deleted while its GL context is
        // current: in any other GL context they would name someone else's objects. Current on another
        // thread, the switch fails and the names go with the GL context.
        HDC previousDc = wglGetCurrentDC();
        HGLRC previous = wglGetCurrentContext();
        bool wasCurrent = previous == glrc;
        bool current = wasCurrent || wglMakeCurrent(dc, glrc);
        if (current) DeleteGlObjects();
        AbandonGlObjects();
        if (wasCurrent || previous == nullptr)
            wglMakeCurrent(nullptr, nullptr);
        else if (current)
            wglMakeCurrent(previousDc, previous);
        wglDeleteContext(glrc);
        glrc = nullptr;
    }
    if (dc != nullptr && ownsDc) ReleaseDC(window, dc);
    if (ownsWindow) DestroyWindow(window);
}

// Reports nothing when no rendering context can be made: the caller learns it from the null result.
Context* WglContext::CreateSharedContext() {
    HGLRC sharedGlrc = nullptr;
    if (wglCreateContextAttribsARB != nullptr) {
        std::vector<int> attributes = ContextAttributes(coreProfile, majorVersion, minorVersion);
        sharedGlrc = wglCreateContextAttribsARB(dc, glrc, attributes.data());
    } else {
        sharedGlrc = wglCreateContext(dc);
        if (sharedGlrc != nullptr) wglShareLists(glrc, sharedGlrc);
    }
    if (sharedGlrc == nullptr) return nullptr;

    WglContext* shared = new WglContext;
    shared->glrc = sharedGlrc;
    shared->window = window;
    shared->dc = dc;
    shared->majorVersion = majorVersion;
    shared->minorVersion = minorVersion;
    shared->coreProfile = coreProfile;

    return FinishSharedContext(shared);
}

int64_t WglContext::GetTotalVideoMemory() {
    if (videoMemoryCache == 0 && WGLEW_AMD_gpu_association) {
        UINT gpu = wglGetContextGPUIDAMD(wglGetCurrentContext());
        UINT megabytes = 0;
        if (gpu != 0 && wglGetGPUInfoAMD(gpu, WGL_GPU_RAM_AMD, GL_UNSIGNED_INT, 4, &megabytes) == 1)
            videoMemoryCache = static_cast<int64_t>(megabytes) * 1048576;
    }
    return GlContext::GetTotalVideoMemory();
}
