// The WGL layer under Wine: its calls as the driver sees them, with GLEW entry points replaced where
// Wine on Mesa shows no path: format attempts and swap method, the legacy path, a refused format, the
// system's error text.
#include "window_system_test.h"

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

#include <thread>

#include "gl/gl_context.h"

namespace vindra_test {

const char* const kApi = "WGL";

const void* NativeCurrentContext() { return wglGetCurrentContext(); }

void UseLegacyPath(bool legacy) {
    static const GLboolean reported = __WGLEW_ARB_pixel_format;
    __WGLEW_ARB_pixel_format = legacy ? GL_FALSE : reported;
}

HostGlContext::HostGlContext() {
    window = CreateWindowExA(0, "STATIC", "host", WS_POPUP, 0, 0, 64, 64, nullptr, nullptr, nullptr, nullptr);
    HDC dc = GetDC(window);
    connection = dc;
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor;
    descriptor.nVersion = 1;
    descriptor.dwFlags = PFD_DRAW_TO_WINDOW | PFD_SUPPORT_OPENGL | PFD_DOUBLEBUFFER;
    descriptor.cColorBits = 24;
    SetPixelFormat(dc, ChoosePixelFormat(dc, &descriptor), &descriptor);
    context = wglCreateContext(dc);
}

HostGlContext::~HostGlContext() {
    if (wglGetCurrentContext() == context) wglMakeCurrent(nullptr, nullptr);
    wglDeleteContext(static_cast<HGLRC>(context));
    ReleaseDC(window, static_cast<HDC>(connection));
    DestroyWindow(window);
}

void HostGlContext::MakeCurrent() {
    EXPECT_TRUE(wglMakeCurrent(static_cast<HDC>(connection), static_cast<HGLRC>(context)));
}

}  // namespace vindra_test

namespace {

using namespace vindra_test;
using WglContextTest = WindowSystemTest;

int Attribute(const int* list, int name) {
    for (; list[0] != 0; list += 2)
        if (list[0] == name) return list[1];
    return 0;
}

PFNWGLCHOOSEPIXELFORMATARBPROC realChooser = nullptr;
std::vector<std::string> attempts;
int offeredFormat = 0;

// Records each attempt in WGL's tokens and lets only the plain one reach the driver, without the swap
// method: Wine on Mesa has no exchange formats, and a driver that has them is stood in for.
BOOL WINAPI RecordingChooser(HDC dc, const int* list, const FLOAT* floats, UINT max, int* formats, UINT* count) {
    attempts.push_back(AttemptText(Attribute(list, WGL_RED_BITS_ARB), Attribute(list, WGL_GREEN_BITS_ARB),
                                   Attribute(list, WGL_BLUE_BITS_ARB), Attribute(list, WGL_ALPHA_BITS_ARB),
                                   Attribute(list, WGL_PIXEL_TYPE_ARB) == WGL_TYPE_RGBA_FLOAT_ARB,
                                   Attribute(list, WGL_SAMPLES_ARB)));
    EXPECT_EQ(Attribute(list, WGL_SWAP_METHOD_ARB), WGL_SWAP_EXCHANGE_ARB);
    std::vector<int> withoutMethod;
    for (const int* entry = list; entry[0] != 0; entry += 2)
        if (entry[0] != WGL_SWAP_METHOD_ARB) withoutMethod.insert(withoutMethod.end(), {entry[0], entry[1]});
    withoutMethod.insert(withoutMethod.end(), {0, 0});
    *count = 0;
    return Attribute(list, WGL_RED_BITS_ARB) == 0 && realChooser(dc, withoutMethod.data(), floats, max, formats, count);
}

TEST_F(WglContextTest, ChooserSeesEachAttemptAndTheSwapMethodInWglTokens) {
    ContextPtr copy = CreateHeadless();
    realChooser = __wglewChoosePixelFormatARB;
    Replaced<PFNWGLCHOOSEPIXELFORMATARBPROC> chooser(__wglewChoosePixelFormatARB, &RecordingChooser);
    vindra::ContextInitData init = DefaultInit();
    init.multisample = init.floatColor = init.deepColor = init.swapExchange = true;
    ContextPtr exchange = Create(init);
    ASSERT_TRUE(copy && exchange);
    EXPECT_EQ(attempts, kEveryAttempt);
    EXPECT_EQ(capture.Take(), EveryDropWarning("WGL"));
    EXPECT_TRUE(copy->IsBackBufferPreserved());
    EXPECT_FALSE(exchange->IsBackBufferPreserved());
    EXPECT_FALSE(ContextPtr(exchange->CreateSharedContext())->IsBackBufferPreserved());  // same window, same format
    Replaced<GLboolean> noSwapGroups(__WGLEW_NV_swap_group, GL_FALSE);
    EXPECT_FALSE(exchange->JoinSwapGroup(1));
    EXPECT_FALSE(exchange->BindSwapBarrier(1, 1));
}

// A window takes one pixel format for life: a context offered another one on a host's window goes on.
TEST_F(WglContextTest, FailedSetPixelFormatIsOnlyAWarning) {
    HostGlContext host;
    HDC dc = GetDC(host.id());
    offeredFormat = GetPixelFormat(dc) == 1 ? 2 : 1;
    ReleaseDC(host.id(), dc);
    Replaced<PFNWGLCHOOSEPIXELFORMATARBPROC> chooser(__wglewChoosePixelFormatARB,
                                                     [](HDC, const int*, const FLOAT*, UINT, int* chosen, UINT* count) {
                                                         *chosen = offeredFormat;
                                                         *count = 1;
                                                         return TRUE;
                                                     });
    vindra::ContextInitData init = DefaultInit();
    init.window = host.id();
    ContextPtr context = Create(init);
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{3, "WGL: Failed to set pixel format"}}));
    ASSERT_TRUE(context);
    EXPECT_EQ(wglGetCurrentContext(), static_cast<vindra::GlContext*>(context.get())->NativeHandle());
}

TEST_F(WglContextTest, FailureCarriesTheSystemsText) {
    ContextPtr context = CreateHeadless();
    ASSERT_TRUE(context);
    std::thread([&context] { EXPECT_EQ(context->MakeCurrent(), 1u); }).join();
    std::vector<Message> messages = capture.Take();
    ASSERT_EQ(messages.size(), 2u) << Describe(messages);
    EXPECT_EQ(messages[0], (Message{4, "WGL: Failed to make context current"}));
    EXPECT_EQ(messages[1].level, 0);
    EXPECT_EQ(messages[1].text.rfind("    : ", 0), 0u);
    EXPECT_EQ(messages[1].text.find("unknown"), std::string::npos) << messages[1].text;
}

}  // namespace
