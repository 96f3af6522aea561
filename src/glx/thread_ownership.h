// Which thread each GL context of the library is current on, as far as the library made it so.
//
// GLX forbids making a context current on a second thread, but Mesa does not enforce it
// (DriverQuirk::MesaMakeCurrentOnAnyThread), and two threads driving one context corrupt it. The
// layer keeps this record for every driver, so that MakeCurrent fails on a second thread as it does on
// drivers that enforce the rule: the record has to be right before the driver is known.
#ifndef VINDRA_SRC_GLX_THREAD_OWNERSHIP_H
#define VINDRA_SRC_GLX_THREAD_OWNERSHIP_H

namespace vindra {

class ThreadOwnership {
public:
    // True when `context` is recorded as current on a thread other than the calling one.
    static bool HeldElsewhere(const void* context);
    // Records `context` as current on the calling thread, replacing what the thread had.
    static void Take(const void* context);
    // Records that nothing of the library's is current on the calling thread.
    static void ReleaseThisThread();
    // Drops every record of `context` (it is being destroyed).
    static void Forget(const void* context);
    // The context recorded as current on the calling thread, or null.
    static const void* HeldHere();
};

}  // namespace vindra

#endif
