#include "test_context.h"

#include <GL/glew.h>

#include <chrono>
#include <thread>

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

// Windows go side by side, never overlapping: pixels of an obscured window cannot be read back.
static int windowsPlaced = 0;

unsigned long TestWindow::PresentedPixel(int x, int y, unsigned long expected) const {
    for (int attempt = 0; attempt < 50 && Pixel(x, y) != expected; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    return Pixel(x, y);
}

#if !defined(_WIN32)

TestWindow::TestWindow(int width, int height) {
    connection = XOpenDisplay(nullptr);
    if (connection == nullptr) return;
    const int place = windowsPlaced++;
    window = XCreateSimpleWindow(connection, DefaultRootWindow(connection), place % 8 * 160, place / 8 % 6 * 160, width,
                                 height, 0, 0, 0);
    XMapWindow(connection, window);
    XSync(connection, False);
}

TestWindow::~TestWindow() {
    Destroy();
    if (connection != nullptr) XCloseDisplay(connection);
}

void TestWindow::Destroy() {
    if (window == 0) return;
    XDestroyWindow(connection, window);
    XSync(connection, False);
    window = 0;
}

unsigned long TestWindow::Pixel(int x, int y) const {
    XImage* image = XGetImage(connection, window, x, y, 1, 1, AllPlanes, ZPixmap);
    if (image == nullptr) return 0xdeadbeef;
    unsigned long pixel = XGetPixel(image, 0, 0) & 0xffffff;
    XDestroyImage(image);
    return pixel;
}

#else

TestWindow::TestWindow(int width, int height) {
    const int place = windowsPlaced++;
    window = CreateWindowExA(0, "STATIC", "vindra test", WS_POPUP | WS_VISIBLE, place % 8 * 160, place / 8 % 6 * 160,
                             width, height, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
}

TestWindow::~TestWindow() { Destroy(); }

void TestWindow::Destroy() {
    if (window != nullptr) DestroyWindow(window);
    window = nullptr;
}

unsigned long TestWindow::Pixel(int x, int y) const {
    HDC dc = GetDC(window);
    COLORREF colour = GetPixel(dc, x, y);
    ReleaseDC(window, dc);
    if (colour == CLR_INVALID) return 0xdeadbeef;
    return (static_cast<unsigned long>(GetRValue(colour)) << 16) | (GetGValue(colour) << 8) | GetBValue(colour);
}

#endif

}  // namespace vindra_test
