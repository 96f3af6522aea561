// The process's one X display connection, and the trap that turns X errors into reported failures.
#ifndef VINDRA_SRC_GLX_X_DISPLAY_H
#define VINDRA_SRC_GLX_X_DISPLAY_H

#include <X11/Xlib.h>

namespace vindra {

// The display every context of the process uses, opened on first use with XOpenDisplay(NULL) after
// XInitThreads (contexts move between threads). Null, reported, when no X server answers; the next
// call tries again.
Display* GetProcessDisplay();

// Collects the X errors that the calls made during its lifetime raise on this thread, instead of
// letting Xlib's default handler end the process. Errors outside any trap are reported at error level.
// Errors are told apart by request serial, so a trap costs one round trip (its Sync), not two.
class XErrorTrap {
public:
    XErrorTrap();
    ~XErrorTrap();
    XErrorTrap(const XErrorTrap&) = delete;
    XErrorTrap& operator=(const XErrorTrap&) = delete;

    // Waits for the server to process what was sent and answers the first error code raised, or 0.
    int Sync();
    // Reports the error caught, if any, as a continuation line ("    : X error 8 (BadMatch ...) in
    // request 152.3") under the message of the step that failed.
    void ReportCaught() const;

private:
    friend int HandleXError(Display*, XErrorEvent*);
    XErrorTrap* outer;
    unsigned long firstSerial;  // errors of earlier requests are not this trap's
    bool synced = false;
    XErrorEvent first{};
    bool caught = false;
};

// The code of the last X error raised on this thread (0 if none): what GetLastError is to Win32.
int LastXError();

}  // namespace vindra

#endif
