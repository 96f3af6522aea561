// WglContext: the thread's binding, making current, swap interval, presentation and swap groups.
#include <cstdarg>
#include <cstdio>

#include "core/context_switch.h"
#include "core/current_context.h"
#include "core/log_message.h"
#include "wgl/wgl_context.h"

namespace vindra {

namespace {

// Reports a failure of WGL at error level, and under it the system's own text for the thread's last
// error ("    : The handle is invalid."), as the GLX layer gives the X error's text.
void ReportFailure(const char* format, ...) VINDRA_PRINTF_FORMAT(1, 2);
void ReportFailure(const char* format, ...) {
    DWORD error = GetLastError();  // before anything else can replace it
    char message[256] = {};
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args);
    va_end(args);
    LogMessage(MessageLevel::Error, "%s", message);
    char text[256] = {};
    DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                                  sizeof text, nullptr);
    while (length > 0 && (text[length - 1] == '\n' || text[length - 1] == '\r' || text[length - 1] == ' '))
        text[--length] = '\0';
    LogMessage(MessageLevel::Continuation, "    : %s", length > 0 ? text : "unknown error");
}

}  // namespace

NativeBinding NativeBinding::Save() {
    NativeBinding binding;
    binding.context = wglGetCurrentContext();
    binding.display = wglGetCurrentDC();
    return binding;
}

void NativeBinding::Restore() const { wglMakeCurrent(static_cast<HDC>(display), static_cast<HGLRC>(context)); }

uint32_t WglContext::MakeCurrent() {
    if (!wglMakeCurrent(setup.dc, glrc)) {
        ReportFailure("WGL: Failed to make context current");
        return 1;
    }
    currentContext = this;
    return 0;
}

// Releases whatever GL context is current on the calling thread, this one or another. With none, there
// is nothing to release (a release then fails on some drivers, Wine among them).
uint32_t WglContext::ClearCurrent() {
    if (wglGetCurrentContext() != nullptr && !wglMakeCurrent(nullptr, nullptr)) {
        ReportFailure("WGL: Failed to clear current context");
        return 1;
    }
    currentContext = nullptr;
    return 0;
}

const void* WglContext::NativeHandle() const { return glrc; }

// Without WGL_EXT_swap_control the driver cannot be asked, nor can it for a context current on another
// thread: the interval this context last set stands in.
int32_t WglContext::GetSwapInterval() {
    if (wglGetSwapIntervalEXT == nullptr) return swapInterval;
    ContextSwitch use(*this);
    return use.Active() ? wglGetSwapIntervalEXT() : swapInterval;
}

// Without WGL_EXT_swap_control, or when the switch to this context fails, the request is reported.
void WglContext::SetSwapInterval(int32_t interval) {
    bool set = false;
    if (wglSwapIntervalEXT != nullptr) {
        ContextSwitch use(*this);
        set = use.Active() && wglSwapIntervalEXT(interval) != FALSE;
    }
    if (!set) {
        LogMessage(MessageLevel::Error, "WGL: Failed to set swap interval: %d", interval);
        return;
    }
    swapInterval = interval;
}

uint32_t WglContext::PresentBackBuffer() {
    if (!::SwapBuffers(setup.dc)) {
        ReportFailure("WGL: Failed to swap buffers: %d", static_cast<int>(GetLastError()));
        return 1;
    }
    return 0;
}

void WglContext::ReportClientSwapFailure() {
    ReportFailure("WGL: Failed to swap client buffers: %d", static_cast<int>(GetLastError()));
}

bool WglContext::IsBackBufferPreserved() { return !setup.settings.swapExchange; }

bool WglContext::JoinSwapGroup(uint32_t group) {
    return WGLEW_NV_swap_group && wglJoinSwapGroupNV(setup.dc, group) != FALSE;
}

bool WglContext::BindSwapBarrier(uint32_t group, uint32_t barrier) {
    return WGLEW_NV_swap_group && wglBindSwapBarrierNV(group, barrier) != FALSE;
}

}  // namespace vindra
