// WglContext: making current, presentation, swap interval and swap groups.
#include "core/current_context.h"
#include "core/log_message.h"
#include "wgl/wgl_context.h"

using vindra::currentContext;
using vindra::LogMessage;
using vindra::MessageLevel;

uint32_t WglContext::MakeCurrent() {
    if (!wglMakeCurrent(dc, glrc)) {
        LogMessage(MessageLevel::Error, "WGL: Failed to make context current");
        return 1;
    }
    currentContext = this;
    return 0;
}

// Releases whatever GL context is current on the calling thread, this one or another.
uint32_t WglContext::ClearCurrent() {
    if (!wglMakeCurrent(nullptr, nullptr)) {
        LogMessage(MessageLevel::Error, "WGL: Failed to clear current context");
        return 1;
    }
    currentContext = nullptr;
    return 0;
}

template <typename Query>
bool WglContext::WithThisContextCurrent(Query query) {
    HGLRC previous = wglGetCurrentContext();
    if (previous == glrc) {
        query();
        return true;
    }
    HDC previousDc = wglGetCurrentDC();
    // Fails while this context is current on another thread; the caller then answers from what it knows.
    if (!wglMakeCurrent(dc, glrc)) {
        LogMessage(MessageLevel::Error, "WGL: Failed to make context current");
        return false;
    }
    query();
    wglMakeCurrent(previousDc, previous);
    return true;
}

// Without WGL_EXT_swap_control the driver cannot be asked: the interval this context last set stands in.
int32_t WglContext::GetSwapInterval() {
    if (wglGetSwapIntervalEXT == nullptr) return swapInterval;
    int32_t interval = swapInterval;
    WithThisContextCurrent([&interval] { interval = wglGetSwapIntervalEXT(); });
    return interval;
}

// Without WGL_EXT_swap_control, or when the switch to this context fails, the request is reported.
void WglContext::SetSwapInterval(int32_t interval) {
    bool set = false;
    if (wglSwapIntervalEXT != nullptr)
        WithThisContextCurrent([&set, interval] { set = wglSwapIntervalEXT(interval) != FALSE; });
    if (!set) {
        LogMessage(MessageLevel::Error, "WGL: Failed to set swap interval: %d", interval);
        return;
    }
    swapInterval = interval;
}

uint32_t WglContext::SwapBuffers(bool withClient) {
    if (withClient && client != nullptr && client->SwapBuffers(withClient) != 0)
        LogMessage(MessageLevel::Error, "WGL: Failed to swap client buffers: %d", static_cast<int>(GetLastError()));
    if (!::SwapBuffers(dc)) {
        LogMessage(MessageLevel::Error, "WGL: Failed to swap buffers: %d", static_cast<int>(GetLastError()));
        return 1;
    }
    return 0;
}

bool WglContext::IsBackBufferPreserved() { return !swapExchange; }

bool WglContext::JoinSwapGroup(uint32_t group) {
    return WGLEW_NV_swap_group && wglJoinSwapGroupNV(dc, group) != FALSE;
}

bool WglContext::BindSwapBarrier(uint32_t group, uint32_t barrier) {
    return WGLEW_NV_swap_group && wglBindSwapBarrierNV(group, barrier) != FALSE;
}
