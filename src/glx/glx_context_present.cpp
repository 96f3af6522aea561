// GlxContext: making current, presentation, swap interval and swap groups.
#include "core/current_context.h"
#include "core/log_message.h"
#include "glx/context_bindings.h"
#include "glx/glx_context.h"
#include "glx/x_display.h"

using vindra::currentContext;
using vindra::LogMessage;
using vindra::MessageLevel;

// Binding a context that is current on another thread is an X error (BadAccess): trapped, reported.
// Drivers that do not raise it themselves are held to the rule by the library's own record.
bool GlxContext::MakeCurrentOnThread() {
    if (context_bindings::IsCurrentElsewhere(this)) {
        LogMessage(MessageLevel::Error, "GLX: Failed to make context current");
        return false;
    }
    XErrorTrap trap;
    bool made = glXMakeCurrent(display, window, glrc) && trap.Sync() == 0;
    if (!made) {
        LogMessage(MessageLevel::Error, "GLX: Failed to make context current");
        trap.ReportCaught();
        return false;
    }
    context_bindings::BindToThisThread(this);
    return true;
}

uint32_t GlxContext::MakeCurrent() {
    if (!MakeCurrentOnThread()) return 1;
    currentContext = this;
    return 0;
}

// Releases whatever GL context is current on the calling thread, this one or another.
uint32_t GlxContext::ClearCurrent() {
    XErrorTrap trap;
    if (!glXMakeCurrent(display, None, nullptr) || trap.Sync() != 0) {
        LogMessage(MessageLevel::Error, "GLX: Failed to clear current context");
        trap.ReportCaught();
        return 1;
    }
    context_bindings::ReleaseThisThread();
    currentContext = nullptr;
    return 0;
}

template <typename Query>
bool GlxContext::WithThisContextCurrent(Query query) {
    GLXContext previous = glXGetCurrentContext();
    if (previous == glrc) {
        query();
        return true;
    }
    Display* previousDisplay = glXGetCurrentDisplay();
    GLXDrawable previousDraw = glXGetCurrentDrawable();
    GLXDrawable previousRead = glXGetCurrentReadDrawable();
    const void* previousBound = context_bindings::BoundToThisThread();
    // Fails while this context is current on another thread; the caller then answers from what it knows.
    if (!MakeCurrentOnThread()) return false;
    query();
    XErrorTrap trap;
    if (previous != nullptr && previousDisplay != nullptr)
        glXMakeContextCurrent(previousDisplay, previousDraw, previousRead, previous);
    else
        glXMakeCurrent(display, None, nullptr);
    if (previousBound != nullptr)
        context_bindings::BindToThisThread(previousBound);
    else
        context_bindings::ReleaseThisThread();
    return true;
}

// Drivers without GLX_MESA_swap_control cannot be asked (querying GLX_SWAP_INTERVAL_EXT through
// glXQueryDrawable crashes Mesa), so the interval this context last set stands in.
int32_t GlxContext::GetSwapInterval() {
    if (!GLXEW_MESA_swap_control) return swapInterval;
    int32_t interval = swapInterval;
    WithThisContextCurrent([&interval] { interval = glXGetSwapIntervalMESA(); });
    return interval;
}

// With neither GLX_EXT_swap_control nor GLX_MESA_swap_control the request fails and is reported.
void GlxContext::SetSwapInterval(int32_t interval) {
    bool set = false;
    if (GLXEW_EXT_swap_control) {
        XErrorTrap trap;
        glXSwapIntervalEXT(display, window, interval);
        set = trap.Sync() == 0;
    } else if (GLXEW_MESA_swap_control) {
        WithThisContextCurrent([&set, interval] { set = glXSwapIntervalMESA(interval) == 0; });
    }
    if (!set) {
        LogMessage(MessageLevel::Error, "GLX: Failed to set swap interval: %d", interval);
        return;
    }
    swapInterval = interval;
}

uint32_t GlxContext::SwapBuffers(bool withClient) {
    if (withClient && client != nullptr && client->SwapBuffers(withClient) != 0)
        LogMessage(MessageLevel::Error, "GLX: Failed to swap client buffers: %d", LastXError());
    XErrorTrap trap;
    glXSwapBuffers(display, window);
    if (int error = trap.Sync()) {
        LogMessage(MessageLevel::Error, "GLX: Failed to swap buffers: %d", error);
        trap.ReportCaught();
        return 1;
    }
    return 0;
}

bool GlxContext::IsBackBufferPreserved() { return !swapExchange; }

bool GlxContext::JoinSwapGroup(uint32_t group) {
    if (!GLXEW_NV_swap_group) return false;
    XErrorTrap trap;
    return glXJoinSwapGroupNV(display, window, group) && trap.Sync() == 0;
}

bool GlxContext::BindSwapBarrier(uint32_t group, uint32_t barrier) {
    if (!GLXEW_NV_swap_group) return false;
    XErrorTrap trap;
    return glXBindSwapBarrierNV(display, group, barrier) && trap.Sync() == 0;
}
