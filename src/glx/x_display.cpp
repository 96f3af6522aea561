#include "glx/x_display.h"

#include <atomic>
#include <mutex>

#include "core/log_message.h"

namespace vindra {

namespace {

// Opened once under openMutex; read without it by the error handler and the traps.
std::mutex openMutex;
std::atomic<Display*> processDisplay{nullptr};
int (*previousHandler)(Display*, XErrorEvent*) = nullptr;
thread_local XErrorTrap* activeTrap = nullptr;
thread_local int lastXError = 0;

// "GLX: X error ..." on its own, or as the detail line under the message of the step that failed.
void ReportXError(Display* display, const XErrorEvent& event, MessageLevel level, const char* lead) {
    char text[128] = "unknown";
    XGetErrorText(display, event.error_code, text, sizeof text);
    LogMessage(level, "%sX error %d (%s) in request %d.%d", lead, event.error_code, text, event.request_code,
               event.minor_code);
}

}  // namespace

// X errors of our display never end the process: inside a trap they are the trap's, outside they are
// reported. Errors of the host's own connections go to whatever handler was there before us.
int HandleXError(Display* display, XErrorEvent* event) {
    if (display != processDisplay) return previousHandler ? previousHandler(display, event) : 0;
    lastXError = event->error_code;
    if (activeTrap != nullptr && event->serial >= activeTrap->firstSerial) {
        if (!activeTrap->caught) {
            activeTrap->first = *event;
            activeTrap->caught = true;
        }
        return 0;
    }
    ReportXError(display, *event, MessageLevel::Error, "GLX: ");
    return 0;
}

Display* GetProcessDisplay() {
    if (Display* display = processDisplay.load()) return display;
    std::lock_guard<std::mutex> lock(openMutex);
    if (Display* display = processDisplay.load()) return display;
    XInitThreads();
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) {
        LogMessage(MessageLevel::Error, "GLX: Failed to open X display \"%s\"", XDisplayName(nullptr));
        return nullptr;
    }
    previousHandler = XSetErrorHandler(HandleXError);
    processDisplay = display;
    return display;
}

XErrorTrap::XErrorTrap()
    : outer(activeTrap), firstSerial(processDisplay.load() ? NextRequest(processDisplay.load()) : 0) {
    activeTrap = this;
}

// A trap whose owner already synced sends nothing more; drivers may talk to the server through XCB
// directly, so Xlib's request counter cannot tell whether anything else went out.
XErrorTrap::~XErrorTrap() {
    if (!synced) Sync();
    activeTrap = outer;
}

int XErrorTrap::Sync() {
    if (processDisplay != nullptr) XSync(processDisplay, False);
    synced = true;
    return caught ? first.error_code : 0;
}

void XErrorTrap::ReportCaught() const {
    if (caught) ReportXError(processDisplay, first, MessageLevel::Continuation, "    : ");
}

int LastXError() { return lastXError; }

}  // namespace vindra
