// Which thread each GL context of the library is current on, as far as the library made it so.
//
// GLX forbids making a context current on a second thread, but Mesa does not enforce it, and two
// threads driving one context corrupt it. The library keeps its own record, so that MakeCurrent
// fails on a second thread as it does on drivers that enforce the rule.
#ifndef VINDRA_SRC_GLX_CONTEXT_BINDINGS_H
#define VINDRA_SRC_GLX_CONTEXT_BINDINGS_H

namespace context_bindings {

// True when `context` is recorded as current on a thread other than the calling one.
bool IsCurrentElsewhere(const void* context);
// Records `context` as current on the calling thread, replacing what the thread had.
void BindToThisThread(const void* context);
// Records that nothing of the library's is current on the calling thread.
void ReleaseThisThread();
// Drops every record of `context` (it is being destroyed).
void Forget(const void* context);
// The context recorded as current on the calling thread, or null.
const void* BoundToThisThread();

}  // namespace context_bindings

#endif
