// GlxContext: the thread's binding, making current, swap interval, presentation and swap groups.
#include "core/context_switch.h"
#include "core/current_context.h"
#include "core/log_message.h"
#include "glx/glx_context.h"
#include "glx/thread_ownership.h"
#include "glx/x_display.h"

namespace vindra {

namespace {

// GLX 1.3's call where the driver has it, as it names the read drawable too; GLX 1.0's otherwise.
Bool Bind(Display* display, GLXDrawable draw, GLXDrawable read, GLXContext context) {
    if (glXMakeContextCurrent != nullptr) return glXMakeContextCurrent(display, draw, read, context);
    return glXMakeCurrent(display, draw, context);
}

}  // namespace

NativeBinding NativeBinding::Save() {
    NativeBinding binding;
    binding.context = glXGetCurrentContext();
    if (binding.context != nullptr) {
        binding.display = glXGetCurrentDisplay();
        binding.draw = glXGetCurrentDrawable();
        binding.read = glXGetCurrentReadDrawable != nullptr ? glXGetCurrentReadDrawable() : binding.draw;
    }
    binding.owner = ThreadOwnership::HeldHere();
    return binding;
}

// On the library's display, a drawable gone meanwhile is an X error that the trap takes, never the end
// of the process; a host's own display keeps the host's error handler.
void NativeBinding::Restore() const {
    XErrorTrap trap;
    if (context != nullptr)
        Bind(static_cast<Display*>(display), draw, read, static_cast<GLXContext>(context));
    else if (Display* processDisplay = GetProcessDisplay())
        Bind(processDisplay, None, None, nullptr);
    if (owner != nullptr)
        ThreadOwnership::Take(owner);
    else
        ThreadOwnership::ReleaseThisThread();
}

// Binding a context that is current on another thread is an X error (BadAccess): trapped, reported.
// Drivers that do not raise it themselves are held to the rule by the thread record.
uint32_t GlxContext::MakeCurrent() {
    if (ThreadOwnership::HeldElsewhere(this)) {
        LogMessage(MessageLevel::Error, "GLX: Failed to make context current");
        return 1;
    }
    XErrorTrap trap;
    if (!Bind(setup.display, setup.window, setup.window, glrc) || trap.Sync() != 0) {
        LogMessage(MessageLevel::Error, "GLX: Failed to make context current");
        trap.ReportCaught();
        return 1;
    }
    ThreadOwnership::Take(this);
    currentContext = this;
    return 0;
}

// Releases whatever GL context is current on the calling thread, this one or another.
uint32_t GlxContext::ClearCurrent() {
    XErrorTrap trap;
    if (!Bind(setup.display, None, None, nullptr) || trap.Sync() != 0) {
        LogMessage(MessageLevel::Error, "GLX: Failed to clear current context");
        trap.ReportCaught();
        return 1;
    }
    ThreadOwnership::ReleaseThisThread();
    currentContext = nullptr;
    return 0;
}

const void* GlxContext::NativeHandle() const { return glrc; }

// Drivers without GLX_MESA_swap_control cannot be asked (querying GLX_SWAP_INTERVAL_EXT through
// glXQueryDrawable crashes Mesa), nor can a context current on another thread: the interval this
// context last set stands in.
int32_t GlxContext::GetSwapInterval() {
    if (!GLXEW_MESA_swap_control) return swapInterval;
    ContextSwitch use(*this);
    return use.Active() ? glXGetSwapIntervalMESA() : swapInterval;
}

// With neither GLX_EXT_swap_control nor GLX_MESA_swap_control the request fails and is reported.
void GlxContext::SetSwapInterval(int32_t interval) {
    bool set = false;
    if (GLXEW_EXT_swap_control) {
        XErrorTrap trap;
        glXSwapIntervalEXT(setup.display, setup.window, interval);
        set = trap.Sync() == 0;
    } else if (GLXEW_MESA_swap_control) {
        ContextSwitch use(*this);
        set = use.Active() && glXSwapIntervalMESA(interval) == 0;
    }
    if (!set) {
        LogMessage(MessageLevel::Error, "GLX: Failed to set swap interval: %d", interval);
        return;
    }
    swapInterval = interval;
}

uint32_t GlxContext::PresentBackBuffer() {
    XErrorTrap trap;
    glXSwapBuffers(setup.display, setup.window);
    if (int error = trap.Sync()) {
        LogMessage(MessageLevel::Error, "GLX: Failed to swap buffers: %d", error);
        trap.ReportCaught();
        return 1;
    }
    return 0;
}

void GlxContext::ReportClientSwapFailure() {
    LogMessage(MessageLevel::Error, "GLX: Failed to swap client buffers: %d", LastXError());
}

bool GlxContext::IsBackBufferPreserved() { return !setup.settings.swapExchange; }

bool GlxContext::JoinSwapGroup(uint32_t group) {
    if (!GLXEW_NV_swap_group) return false;
    XErrorTrap trap;
    return glXJoinSwapGroupNV(setup.display, setup.window, group) && trap.Sync() == 0;
}

bool GlxContext::BindSwapBarrier(uint32_t group, uint32_t barrier) {
    if (!GLXEW_NV_swap_group) return false;
    XErrorTrap trap;
    return glXBindSwapBarrierNV(setup.display, group, barrier) && trap.Sync() == 0;
}

}  // namespace vindra
