#include "test_context.h"

#include <GL/glew.h>

namespace vindra_test {

vindra::ContextInitData DefaultInit(const char* name) {
    vindra::ContextInitData init{};
    init.name = name;
    init.type = 1;
    init.clPlatformIndex = init.clDeviceIndex = -1;
    return init;
}

ContextPtr Create(vindra::ContextInitData init) {
    ContextPtr context(vindra::CreateContext(init));
#if defined(_WIN32)
    // GLEW lives inside vindra.dll there: tests calling GL entry points need their own copy resolved.
    static bool glewReady = false;
    if (context && !glewReady) glewReady = glewInit() == GLEW_OK;
#endif
    return context;
}

#if !defined(_WIN32)

TestWindow::TestWindow() {
    window = XCreateSimpleWindow(connection.get(), DefaultRootWindow(connection.get()), 0, 0, 64, 64, 0, 0, 0);
    XMapWindow(connection.get(), window);
    XSync(connection.get(), False);
}

void TestWindow::Destroy() {
    if (window == 0) return;
    XDestroyWindow(connection.get(), window);
    XSync(connection.get(), False);
    window = 0;
}

#else

TestWindow::TestWindow() {
    window = CreateWindowExA(0, "STATIC", "vindra test", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                             GetModuleHandleW(nullptr), nullptr);
}

void TestWindow::Destroy() {
    if (window != nullptr) DestroyWindow(window);
    window = nullptr;
}

#endif

}  // namespace vindra_test
