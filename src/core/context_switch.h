// Making another context current for a piece of work, and putting back afterwards exactly what the
// thread had: the window system's binding, which may be a host's own GL context that the library
// never made, and the library's currentContext.
#ifndef VINDRA_SRC_CORE_CONTEXT_SWITCH_H
#define VINDRA_SRC_CORE_CONTEXT_SWITCH_H

#include <cstdint>

namespace vindra {

class Context;
class GlContext;

// The window system's binding of the calling thread, whoever made it. The handles are the layer's own
// and opaque here; each window-system layer defines Save and Restore with its own calls.
struct NativeBinding {
    void* display = nullptr;  // GLX: Display*    WGL: HDC
    void* context = nullptr;  // GLX: GLXContext  WGL: HGLRC
    uintptr_t draw = 0;       // GLX: the draw and read drawables; unused by WGL
    uintptr_t read = 0;
    const void* owner = nullptr;  // GLX: the context the layer's thread record names; unused by WGL

    static NativeBinding Save();
    // An empty binding leaves no GL context current.
    void Restore() const;
};

class ContextSwitch {
public:
    enum class OnExit {
        Restore,        // put back what was current
        ReleaseTarget,  // as Restore, but a target that was current itself is left current nowhere:
                        // it is being destroyed
    };

    // Makes `target` current on the calling thread unless it already is. A failed switch has been
    // reported by the target's MakeCurrent (it is current on another thread).
    explicit ContextSwitch(GlContext& target, OnExit onExit = OnExit::Restore);
    ~ContextSwitch();
    ContextSwitch(const ContextSwitch&) = delete;
    ContextSwitch& operator=(const ContextSwitch&) = delete;

    // True when the target is current on the calling thread, so its GL calls reach its objects.
    bool Active() const { return active; }

private:
    GlContext& target;
    OnExit onExit;
    NativeBinding saved;
    Context* savedCurrent;
    bool targetWasCurrent;
    bool active;
};

}  // namespace vindra

#endif
