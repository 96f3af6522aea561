#include "test_context.h"

namespace vindra_test {

vindra::ContextInitData DefaultInit(const char* name) {
    vindra::ContextInitData init{};
    init.name = name;
    init.type = 1;
    init.window = 0;
    init.clPlatformIndex = -1;
    init.clDeviceIndex = -1;
    return init;
}

ContextPtr Create(vindra::ContextInitData init) { return ContextPtr(vindra::CreateContext(init)); }

ContextPtr CreateHeadless(const char* name) { return Create(DefaultInit(name)); }

TestWindow::TestWindow(int width, int height) {
    connection = XOpenDisplay(nullptr);
    if (connection == nullptr) return;
    // Side by side, never overlapping: pixels of an obscured window cannot be read back.
    static int placed = 0;
    int x = (placed % 8) * 160, y = (placed / 8 % 6) * 160;
    ++placed;
    window = XCreateSimpleWindow(connection, DefaultRootWindow(connection), x, y, width, height, 0, 0, 0);
    XMapWindow(connection, window);
    XSync(connection, False);
}

TestWindow::~TestWindow() {
    Destroy();
    if (connection != nullptr) XCloseDisplay(connection);
}

void TestWindow::Destroy() {
    if (window != 0) {
        XDestroyWindow(connection, window);
        XSync(connection, False);
        window = 0;
    }
}

}  // namespace vindra_test
