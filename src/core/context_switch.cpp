#include "core/context_switch.h"

#include "core/current_context.h"
#include "gl/gl_context.h"

namespace vindra {

ContextSwitch::ContextSwitch(GlContext& target, OnExit onExit)
    : target(target),
      onExit(onExit),
      saved(NativeBinding::Save()),
      savedCurrent(currentContext),
      targetWasCurrent(saved.context == target.NativeHandle()),
      active(targetWasCurrent || target.MakeCurrent() == 0) {}

// What was current goes back also after a failed switch: a driver may unbind the thread's context
// before it refuses.
ContextSwitch::~ContextSwitch() {
    if (targetWasCurrent && onExit == OnExit::ReleaseTarget) {
        NativeBinding{}.Restore();
        if (currentContext == &target) currentContext = nullptr;
    } else if (!targetWasCurrent) {
        saved.Restore();
        currentContext = savedCurrent;
    }
}

}  // namespace vindra
