// WglContext: pixel-format choice, context creation and destruction, shared contexts, video memory.
#include "wgl/wgl_context.h"

#include <algorithm>
#include <vector>

#include "cl/cl_api.h"
#include "core/glew_bootstrap.h"
#include "core/log_message.h"
#include "core/pixel_format_request.h"

namespace vindra {

namespace {

static_assert(WGL_CONTEXT_MAJOR_VERSION_ARB == kContextMajorVersionToken &&
                  WGL_CONTEXT_MINOR_VERSION_ARB == kContextMinorVersionToken &&
                  WGL_CONTEXT_PROFILE_MASK_ARB == kContextProfileMaskToken &&
                  WGL_CONTEXT_CORE_PROFILE_BIT_ARB == kContextCoreProfileBit,
              "the shared create-context list holds WGL's tokens");

std::vector<int> FormatAttributes(const PixelFormatRequest& request, bool swapExchange) {
    std::vector<int> list = {
        WGL_DRAW_TO_WINDOW_ARB, 1,
        WGL_SUPPORT_OPENGL_ARB, 1,
        WGL_ACCELERATION_ARB,   WGL_FULL_ACCELERATION_ARB,
        WGL_SWAP_METHOD_ARB,    swapExchange ? WGL_SWAP_EXCHANGE_ARB : WGL_SWAP_COPY_ARB,
        WGL_DOUBLE_BUFFER_ARB,  1,
        WGL_DEPTH_BITS_ARB,     24,
    };
    ColourBits colour = request.Colour();
    if (colour.floatingPoint) list.insert(list.end(), {WGL_PIXEL_TYPE_ARB, WGL_TYPE_RGBA_FLOAT_ARB});
    if (colour.red != 0)
        list.insert(list.end(), {WGL_RED_BITS_ARB, colour.red, WGL_GREEN_BITS_ARB, colour.green, WGL_BLUE_BITS_ARB,
                                 colour.blue, WGL_ALPHA_BITS_ARB, colour.alpha});
    // WGL needs no WGL_SAMPLE_BUFFERS_ARB beside the sample count.
    if (request.Samples() != 0) list.insert(list.end(), {WGL_SAMPLES_ARB, request.Samples()});
    list.insert(list.end(), {0, 0});
    return list;
}

}  // namespace

bool WglContext::Init(ContextInitData& init) {
    CopyName(init.name);

    if (!EnsureGlExtensionsLoaded()) {
        LogMessage(MessageLevel::Error, "WGL: Failed to init GL extansions");
        return false;
    }

    // A null window would hand out the whole screen's device context; a context without a window gets
    // a hidden one of its own instead, as on the other platforms.
    setup.window = init.window;
    if (setup.window == nullptr) {
        if (!CreateHeadlessWindow()) return false;
    } else if (!IsWindow(setup.window)) {
        LogMessage(MessageLevel::Error, "WGL: Invalid window handle %p", static_cast<void*>(setup.window));
        setup.window = nullptr;
        return false;
    }
    setup.dc = GetDC(setup.window);
    ownsDc = true;

    setup.settings = ContextSettings::From(init);
    // The share context must be one this library made: its rendering context is taken as is.
    HGLRC share = init.shareContext ? static_cast<WglContext*>(init.shareContext)->glrc : nullptr;

    int format = 0;
    PIXELFORMATDESCRIPTOR descriptor{};
    setup.legacyPath = !WGLEW_ARB_pixel_format || wglChoosePixelFormatARB == nullptr;
    bool chosen = setup.legacyPath ? ChooseLegacyPixelFormat(&format, &descriptor) : ChoosePixelFormat(init, &format);
    if (!chosen) return false;
    // The context creation that follows decides: a window keeps the format it was given first.
    if (!SetPixelFormat(setup.dc, format, &descriptor))
        LogMessage(MessageLevel::Warning, "WGL: Failed to set pixel format");

    glrc = CreateGlContext(share);
    if (glrc == nullptr) {
        LogMessage(MessageLevel::Error, "WGL: Failed to create context");
        return false;
    }
    if (MakeCurrent() != 0) {
        wglDeleteContext(glrc);
        glrc = nullptr;
        return false;
    }

    SetUpGlObjects();
    InitCompute(init);
    return true;
}

bool WglContext::ChoosePixelFormat(const ContextInitData& init, int* format) {
    PixelFormatRequest request = PixelFormatRequest::From(init);
    const float noFloatAttributes[] = {0, 0};
    for (;;) {
        std::vector<int> attributes = FormatAttributes(request, setup.settings.swapExchange);
        UINT count = 0;
        if (wglChoosePixelFormatARB(setup.dc, attributes.data(), noFloatAttributes, 1, format, &count) && count != 0)
            return true;
        if (!request.DropOne("WGL")) return false;  // the plain attempt failed: silently
    }
}

bool WglContext::ChooseLegacyPixelFormat(int* format, PIXELFORMATDESCRIPTOR* descriptor) {
    descriptor->nSize = sizeof *descriptor;
    descriptor->nVersion = 1;
    descriptor->dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER |
                          (setup.settings.swapExchange ? PFD_SWAP_EXCHANGE : PFD_SWAP_COPY);
    descriptor->iPixelType = PFD_TYPE_RGBA;
    descriptor->cColorBits = 24;
    descriptor->cAlphaBits = 8;
    descriptor->cDepthBits = 24;
    descriptor->cStencilBits = 8;
    descriptor->iLayerType = PFD_MAIN_PLANE;
    *format = ::ChoosePixelFormat(setup.dc, descriptor);
    if (*format == 0) {
        LogMessage(MessageLevel::Error, "WGL: Failed to choose pixel format");
        return false;
    }
    return true;
}

// A hidden window of the bootstrap's class.
bool WglContext::CreateHeadlessWindow() {
    setup.window = CreateWindowExA(0, "Dummy_WGL_Marovane", "vindra", WS_POPUP, 0, 0, kHeadlessWindowSize,
                                   kHeadlessWindowSize, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    ownsWindow = setup.window != nullptr;
    if (!ownsWindow) LogMessage(MessageLevel::Error, "WGL: Failed to create window");
    return ownsWindow;
}

// The legacy path ignores version and profile.
HGLRC WglContext::CreateGlContext(HGLRC share) {
    if (!setup.legacyPath && wglCreateContextAttribsARB != nullptr) {
        std::array<int, 8> attributes = setup.settings.Attributes();
        return wglCreateContextAttribsARB(setup.dc, share, attributes.data());
    }
    HGLRC made = wglCreateContext(setup.dc);
    if (made != nullptr && share != nullptr) wglShareLists(share, made);
    return made;
}

WglContext::~WglContext() {
    if (glrc != nullptr) {
        ReleaseGlObjects();
        wglDeleteContext(glrc);
    }
    if (setup.dc != nullptr && ownsDc) ReleaseDC(setup.window, setup.dc);
    if (ownsWindow) DestroyWindow(setup.window);
}

// Reports nothing when no rendering context can be made: the caller learns it from the null result.
Context* WglContext::CreateSharedContext() {
    HGLRC sharedGlrc = CreateGlContext(glrc);
    return sharedGlrc != nullptr ? FinishSharedContext(new WglContext(setup, sharedGlrc)) : nullptr;
}

// AMD drivers answer for the GPU of the current context.
uint32_t WglContext::QueryDriverVideoMemoryMiB() {
    UINT megabytes = 0;
    if (!WGLEW_AMD_gpu_association) return 0;
    UINT gpu = wglGetContextGPUIDAMD(wglGetCurrentContext());
    if (gpu != 0 && wglGetGPUInfoAMD(gpu, WGL_GPU_RAM_AMD, GL_UNSIGNED_INT, 4, &megabytes) == 1) return megabytes;
    return 0;
}

void WglContext::GetClSharingProperties(intptr_t (&properties)[4]) const {
    const intptr_t list[4] = {CL_GL_CONTEXT_KHR, reinterpret_cast<intptr_t>(wglGetCurrentContext()), CL_WGL_HDC_KHR,
                              reinterpret_cast<intptr_t>(wglGetCurrentDC())};
    std::copy(list, list + 4, properties);
}

}  // namespace vindra
