// The context whose GL context the library made current on this thread.
#ifndef VINDRA_SRC_CORE_CURRENT_CONTEXT_H
#define VINDRA_SRC_CORE_CURRENT_CONTEXT_H

namespace vindra {

class Context;

// Null at thread start. Set by Init and MakeCurrent, cleared by ClearCurrent and by the destruction of
// the context it points to. Resource objects read it to find the context of the thread they run on.
extern thread_local Context* currentContext;

}  // namespace vindra

#endif
