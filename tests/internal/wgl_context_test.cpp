// The WGL backend under Wine: pixel-format fall-backs (with the chooser replaced), the legacy path,
// version and profile, current-context bookkeeping, swap control and presentation.
#include <gtest/gtest.h>

#include <GL/glew.h>
#include <GL/wglew.h>
#include <windows.h>

#include <functional>
#include <thread>
#include <vector>

#include "core/current_context.h"
#include "message_capture.h"
#include "test_context.h"
#include "wgl/wgl_context.h"

namespace {

using vindra::Context;
using vindra::currentContext;
using vindra::ResultCode;
using vindra_test::ContextPtr;
using vindra_test::Message;
using vindra_test::MessageCapture;

WglContext* Wgl(Context* context) { return static_cast<WglContext*>(context); }
WglContext* Wgl(const ContextPtr& context) { return Wgl(context.get()); }

int Attribute(const int* list, int name) {
    for (; list[0] != 0; list += 2)
        if (list[0] == name) return list[1];
    return 0;
}

// Replaces GLEW's wglChoosePixelFormatARB for one test, recording each attempt's red bits and samples.
class ChooserOverride {
public:
    using Decide = std::function<BOOL(HDC, const int*, const FLOAT*, UINT, int*, UINT*)>;

    explicit ChooserOverride(Decide decide) : real(__wglewChoosePixelFormatARB), decide(std::move(decide)) {
        active = this;
        __wglewChoosePixelFormatARB = &ChooserOverride::Choose;
    }
    ~ChooserOverride() {
        __wglewChoosePixelFormatARB = real;
        active = nullptr;
    }

    // The real answer to `list` with its colour request lowered to 8 bits and no samples: a driver
    // that offers what `list` asks for, as far as the library can tell.
    BOOL RealWithEightBits(HDC dc, const int* list, const FLOAT* floats, UINT max, int* formats, UINT* count) {
        std::vector<int> copy;
        for (; list[0] != 0; list += 2) {
            bool colour = list[0] == WGL_RED_BITS_ARB || list[0] == WGL_GREEN_BITS_ARB ||
                          list[0] == WGL_BLUE_BITS_ARB || list[0] == WGL_ALPHA_BITS_ARB;
            if (list[0] == WGL_SAMPLES_ARB || list[0] == WGL_PIXEL_TYPE_ARB) continue;
            copy.push_back(list[0]);
            copy.push_back(colour ? 8 : list[1]);
        }
        copy.insert(copy.end(), {0, 0});
        return real(dc, copy.data(), floats, max, formats, count);
    }

    std::vector<int> redBits;
    std::vector<int> samples;

private:
    static BOOL WINAPI Choose(HDC dc, const int* list, const FLOAT* floats, UINT max, int* formats, UINT* count) {
        active->redBits.push_back(Attribute(list, WGL_RED_BITS_ARB));
        active->samples.push_back(Attribute(list, WGL_SAMPLES_ARB));
        return active->decide(dc, list, floats, max, formats, count);
    }

    static ChooserOverride* active;
    PFNWGLCHOOSEPIXELFORMATARBPROC real;
    Decide decide;
};
ChooserOverride* ChooserOverride::active = nullptr;

BOOL Refuse(UINT* count) {
    *count = 0;
    return FALSE;
}

class WglContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The bootstrap runs once per process: afterwards replaced GLEW entry points stay replaced.
        ContextPtr first = vindra_test::CreateHeadless("bootstrap");
        ASSERT_TRUE(first);
        first.reset();
        capture.Clear();
    }

    MessageCapture capture;
};

TEST_F(WglContextTest, MultisampleAndDeepColourGiveUpSamplesFirst) {
    ChooserOverride chooser([&chooser](HDC dc, const int* list, const FLOAT* f, UINT max, int* formats, UINT* count) {
        if (Attribute(list, WGL_SAMPLES_ARB) != 0) return Refuse(count);
        return chooser.RealWithEightBits(dc, list, f, max, formats, count);
    });
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.deepColor = true;
    init.multisample = true;
    ContextPtr context = vindra_test::Create(init);
    ASSERT_TRUE(context);
    EXPECT_EQ(chooser.redBits, (std::vector<int>{16, 16}));
    EXPECT_EQ(chooser.samples, (std::vector<int>{8, 0}));
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{3, "WGL failed to find pixel format with multi sampling"}}));
}

TEST_F(WglContextTest, DeepColourFallsBackToTenBits) {
    ChooserOverride chooser([&chooser](HDC dc, const int* list, const FLOAT* f, UINT max, int* formats, UINT* count) {
        if (Attribute(list, WGL_RED_BITS_ARB) == 16) return Refuse(count);
        return chooser.RealWithEightBits(dc, list, f, max, formats, count);
    });
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.deepColor = true;
    ASSERT_TRUE(vindra_test::Create(init));
    EXPECT_EQ(chooser.redBits, (std::vector<int>{16, 10}));
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{3, "WGL failed to find 16-bit pixel format"}}));
}

TEST_F(WglContextTest, PlainRequestTriesEightBitsThenNoColour) {
    ChooserOverride chooser([&chooser](HDC dc, const int* list, const FLOAT* f, UINT max, int* formats, UINT* count) {
        if (Attribute(list, WGL_RED_BITS_ARB) != 0) return Refuse(count);
        return chooser.RealWithEightBits(dc, list, f, max, formats, count);
    });
    ASSERT_TRUE(vindra_test::CreateHeadless());
    EXPECT_EQ(chooser.redBits, (std::vector<int>{8, 0}));
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{3, "WGL failed to find 8-bit pixel format"}}));
}

TEST_F(WglContextTest, EveryRequestDroppedThenSilentFailure) {
    ChooserOverride chooser([](HDC, const int*, const FLOAT*, UINT, int*, UINT* count) { return Refuse(count); });
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.multisample = init.floatColor = init.deepColor = true;
    EXPECT_FALSE(vindra_test::Create(init));
    EXPECT_EQ(chooser.redBits, (std::vector<int>{16, 16, 16, 10, 8, 0}));
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{3, "WGL failed to find pixel format with multi sampling"},
                                                    {3, "WGL failed to find 16-bit float pixel format"},
                                                    {3, "WGL failed to find 16-bit pixel format"},
                                                    {3, "WGL failed to find 10-bit pixel format"},
                                                    {3, "WGL failed to find 8-bit pixel format"}}));
    EXPECT_EQ(currentContext, nullptr);
}

TEST_F(WglContextTest, LegacyPathIgnoresTheRequests) {
    GLboolean reported = __WGLEW_ARB_pixel_format;
    __WGLEW_ARB_pixel_format = GL_FALSE;
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.deepColor = init.multisample = init.floatColor = true;
    ContextPtr context = vindra_test::Create(init);
    __WGLEW_ARB_pixel_format = reported;
    ASSERT_TRUE(context);
    EXPECT_TRUE(capture.Take().empty());
    GLint samples = -1;
    glGetIntegerv(GL_SAMPLES, &samples);
    EXPECT_EQ(samples, 0);
}

TEST_F(WglContextTest, CoreProfileGetsTheVersionAskedFor) {
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.coreProfile = true;
    init.majorVersion = 4;
    init.minorVersion = 5;
    ContextPtr core = vindra_test::Create(init);
    ASSERT_TRUE(core);
    GLint major = 0, minor = 0, profile = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_EQ(major * 10 + minor, 45);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
    EXPECT_NE(Wgl(core)->GetOwnVao(), 0u);

    init.coreProfile = false;  // the driver's default context
    ContextPtr fallback = vindra_test::Create(init);
    ASSERT_TRUE(fallback);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_FALSE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
    EXPECT_EQ(Wgl(fallback)->GetOwnVao(), 0u);
}

TEST_F(WglContextTest, BadWindowsAreRefused) {
    vindra_test::TestWindow window;
    HWND destroyed = static_cast<HWND>(window.id());
    window.Destroy();
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.window = destroyed;
    EXPECT_FALSE(vindra_test::Create(init));
    std::vector<Message> messages = capture.Take();
    ASSERT_EQ(messages.size(), 1u) << vindra_test::Describe(messages);
    EXPECT_EQ(messages[0].text.rfind("WGL: Invalid window handle", 0), 0u) << messages[0].text;
}

TEST_F(WglContextTest, FailedSetPixelFormatIsOnlyAWarning) {
    vindra_test::TestWindow window;
    vindra::ContextInitData init = vindra_test::DefaultInit("first");
    init.window = window.id();
    ContextPtr first = vindra_test::Create(init);
    ASSERT_TRUE(first);
    // A window takes one pixel format for life: offer the second context another one.
    HDC dc = GetDC(window.id());
    int taken = GetPixelFormat(dc), other = 0;
    PIXELFORMATDESCRIPTOR descriptor{};
    int formats = DescribePixelFormat(dc, 1, sizeof descriptor, &descriptor);
    for (int i = 1; i <= formats && other == 0; ++i) {
        DescribePixelFormat(dc, i, sizeof descriptor, &descriptor);
        if (i != taken && (descriptor.dwFlags & PFD_SUPPORT_OPENGL) && (descriptor.dwFlags & PFD_DRAW_TO_WINDOW))
            other = i;
    }
    ReleaseDC(window.id(), dc);
    ASSERT_NE(other, 0);
    capture.Clear();
    ChooserOverride chooser([other](HDC, const int*, const FLOAT*, UINT, int* chosen, UINT* count) {
        *chosen = other;
        *count = 1;
        return TRUE;
    });
    init.name = "second";
    ContextPtr second = vindra_test::Create(init);
    std::vector<Message> messages = capture.Take();
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages[0], (Message{3, "WGL: Failed to set pixel format"}));
    // The context creation that follows decides: here it is made for the format the window kept.
    ASSERT_TRUE(second) << vindra_test::Describe(messages);
    EXPECT_EQ(messages.size(), 1u) << vindra_test::Describe(messages);
    EXPECT_EQ(wglGetCurrentContext(), Wgl(second)->GetGlrc());
}

TEST_F(WglContextTest, MakeCurrentFailsWhileCurrentOnAnotherThread) {
    ContextPtr context = vindra_test::CreateHeadless();
    ASSERT_TRUE(context);
    std::thread worker([&context] {
        EXPECT_EQ(context->MakeCurrent(), 1u);
        EXPECT_EQ(currentContext, nullptr);
    });
    worker.join();
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{4, "WGL: Failed to make context current"}}));
    EXPECT_EQ(currentContext, context.get());

    // Released here, it moves.
    ASSERT_EQ(context->ClearCurrent(), 0u);
    std::thread mover([&context] {
        EXPECT_EQ(context->MakeCurrent(), 0u);
        EXPECT_EQ(currentContext, context.get());
        EXPECT_EQ(context->ClearCurrent(), 0u);
    });
    mover.join();
    EXPECT_EQ(context->MakeCurrent(), 0u);
}

TEST_F(WglContextTest, ClearCurrentOnAnotherContextReleasesTheCurrentOne) {
    ContextPtr first = vindra_test::CreateHeadless("first");
    ContextPtr second = vindra_test::CreateHeadless("second");
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->ClearCurrent(), 0u);
    EXPECT_EQ(currentContext, nullptr);
    EXPECT_EQ(wglGetCurrentContext(), nullptr);
}

TEST_F(WglContextTest, SwapIntervalOfAContextThatIsNotCurrent) {
    ContextPtr context = vindra_test::CreateHeadless("asked");
    ASSERT_TRUE(context);
    context->SetSwapInterval(0);
    int expected = wglGetSwapIntervalEXT ? wglGetSwapIntervalEXT() : 0;
    ContextPtr other = vindra_test::CreateHeadless("other");
    ASSERT_TRUE(other);
    EXPECT_EQ(context->GetSwapInterval(), expected);
    EXPECT_EQ(wglGetCurrentContext(), Wgl(other)->GetGlrc());
    EXPECT_EQ(currentContext, other.get());
}

TEST_F(WglContextTest, SwapBuffersPresentsAndReportsAFailingClient) {
    vindra_test::TestWindow mainWindow, clientWindow;
    vindra::ContextInitData init = vindra_test::DefaultInit("client");
    init.window = clientWindow.id();
    ContextPtr client = vindra_test::Create(init);
    init = vindra_test::DefaultInit("main");
    init.window = mainWindow.id();
    ContextPtr main = vindra_test::Create(init);
    ASSERT_TRUE(client && main);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    main->SetClient(client.get());
    EXPECT_EQ(main->SwapBuffers(true), 0u);
    EXPECT_EQ(mainWindow.PresentedPixel(5, 5, 0xff0000ul), 0xff0000ul);
    EXPECT_TRUE(capture.Take().empty());

    clientWindow.Destroy();
    EXPECT_EQ(main->SwapBuffers(false), 0u);
    EXPECT_TRUE(capture.Take().empty());
    EXPECT_EQ(main->SwapBuffers(true), 0u);
    std::vector<Message> messages = capture.Take();
    ASSERT_EQ(messages.size(), 2u) << vindra_test::Describe(messages);
    EXPECT_EQ(messages[0].text.rfind("WGL: Failed to swap buffers: ", 0), 0u);
    EXPECT_EQ(messages[1].text.rfind("WGL: Failed to swap client buffers: ", 0), 0u);
    main->SetClient(nullptr);
}

TEST_F(WglContextTest, SwapMethodsAndSwapGroups) {
    ContextPtr copy = vindra_test::CreateHeadless();
    ASSERT_TRUE(copy);
    // Wine on Mesa has no exchange formats; a driver that has them is stood in for by one that
    // answers the request as if the method were not part of it.
    ChooserOverride chooser([&chooser](HDC dc, const int* list, const FLOAT* f, UINT max, int* formats, UINT* count) {
        EXPECT_EQ(Attribute(list, WGL_SWAP_METHOD_ARB), WGL_SWAP_EXCHANGE_ARB);
        std::vector<int> withoutMethod;
        for (; list[0] != 0; list += 2)
            if (list[0] != WGL_SWAP_METHOD_ARB) withoutMethod.insert(withoutMethod.end(), {list[0], list[1]});
        withoutMethod.insert(withoutMethod.end(), {0, 0});
        return chooser.RealWithEightBits(dc, withoutMethod.data(), f, max, formats, count);
    });
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.swapExchange = true;
    ContextPtr exchange = vindra_test::Create(init);
    ASSERT_TRUE(exchange);
    EXPECT_TRUE(copy->IsBackBufferPreserved());
    EXPECT_FALSE(exchange->IsBackBufferPreserved());
    if (WGLEW_NV_swap_group) GTEST_SKIP() << "driver has WGL_NV_swap_group";
    EXPECT_FALSE(exchange->JoinSwapGroup(1));
    EXPECT_FALSE(exchange->BindSwapBarrier(1, 1));
}

}  // namespace
