// The GLX backend: configuration fall-backs (with the chooser replaced), version and profile,
// sharing, threads, current-context bookkeeping, swap control and presentation.
#include <gtest/gtest.h>  // before Xlib, whose None macro clashes with gtest's

#include <GL/glew.h>
#include <GL/glxew.h>

#include <algorithm>
#include <functional>
#include <thread>
#include <vector>

#include "core/current_context.h"
#include "glx/glx_context.h"
#include "message_capture.h"
#include "test_context.h"
#include "../abi/vtable_slots.h"

namespace {

using vindra::Context;
using vindra::currentContext;
using vindra::ResultCode;
using vindra_test::ContextPtr;
using vindra_test::Message;
using vindra_test::MessageCapture;

GlxContext* Glx(Context* context) { return static_cast<GlxContext*>(context); }
GlxContext* Glx(const ContextPtr& context) { return Glx(context.get()); }

// Replaces GLEW's glXChooseFBConfig entry point for one test. The real chooser stays reachable, and
// each request's red size (0 when the list has none) and sample request are recorded.
class ChooserOverride {
public:
    using Decide = std::function<GLXFBConfig*(Display*, int, const int*, int*)>;

    explicit ChooserOverride(Decide decide) : real(__glewXChooseFBConfig) {
        active = this;
        this->decide = std::move(decide);
        __glewXChooseFBConfig = &ChooserOverride::Choose;
    }
    ~ChooserOverride() {
        __glewXChooseFBConfig = real;
        active = nullptr;
    }

    static int Attribute(const int* list, int name) {
        for (; list[0] != None; list += 2)
            if (list[0] == name) return list[1];
        return 0;
    }
    GLXFBConfig* Real(Display* display, int screen, const int* list, int* count) {
        return real(display, screen, list, count);
    }
    // The real answer to `list` with its colour request lowered to 8 bits: a driver that offers
    // what `list` asks for, as far as the rest of the library can tell.
    GLXFBConfig* RealWithEightBits(Display* display, int screen, const int* list, int* count) {
        std::vector<int> copy;
        for (; list[0] != None; list += 2) {
            bool colour = list[0] == GLX_RED_SIZE || list[0] == GLX_GREEN_SIZE || list[0] == GLX_BLUE_SIZE ||
                          list[0] == GLX_ALPHA_SIZE;
            bool sampling = list[0] == GLX_SAMPLES || list[0] == GLX_SAMPLE_BUFFERS;
            if (sampling || list[0] == GLX_RENDER_TYPE) continue;
            copy.push_back(list[0]);
            copy.push_back(colour ? 8 : list[1]);
        }
        copy.push_back(None);
        return real(display, screen, copy.data(), count);
    }

    std::vector<int> redSizes;
    std::vector<int> samples;

private:
    // Attempts are recorded once each: the library retries each one without the swap method when
    // the driver has none of the method asked for.
    static GLXFBConfig* Choose(Display* display, int screen, const int* list, int* count) {
        if (!GLXEW_OML_swap_method || Attribute(list, GLX_SWAP_METHOD_OML) != 0) {
            active->redSizes.push_back(Attribute(list, GLX_RED_SIZE));
            active->samples.push_back(Attribute(list, GLX_SAMPLES));
        }
        return active->decide(display, screen, list, count);
    }

    static ChooserOverride* active;
    PFNGLXCHOOSEFBCONFIGPROC real;
    Decide decide;
};
ChooserOverride* ChooserOverride::active = nullptr;

GLXFBConfig* Refuse(int* count) {
    *count = 0;
    return nullptr;
}

class GlxContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        // The bootstrap runs once per process: afterwards replaced GLEW entry points stay replaced.
        ContextPtr first = vindra_test::CreateHeadless("bootstrap");
        ASSERT_TRUE(first);
        first.reset();
        capture.Clear();
    }

    std::vector<Message> Warnings() {
        std::vector<Message> all = capture.Take(), warnings;
        std::copy_if(all.begin(), all.end(), std::back_inserter(warnings), [](const Message& m) { return m.level == 3; });
        return warnings;
    }

    MessageCapture capture;
};

TEST_F(GlxContextTest, DeepColourFallsBackToTenBitsAfterOneWarning) {
    ChooserOverride chooser([&chooser](Display* d, int s, const int* list, int* count) {
        if (ChooserOverride::Attribute(list, GLX_RED_SIZE) == 16) return Refuse(count);
        return chooser.RealWithEightBits(d, s, list, count);
    });
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.deepColor = true;
    ContextPtr context = vindra_test::Create(init);
    ASSERT_TRUE(context);
    EXPECT_EQ(chooser.redSizes, (std::vector<int>{16, 10}));
    EXPECT_EQ(Warnings(), (std::vector<Message>{{3, "GLX failed to find 16-bit pixel format"}}));
}

TEST_F(GlxContextTest, MultisampleIsGivenUpBeforeColour) {
    ChooserOverride chooser([&chooser](Display* d, int s, const int* list, int* count) {
        if (ChooserOverride::Attribute(list, GLX_SAMPLES) != 0) return Refuse(count);
        return chooser.RealWithEightBits(d, s, list, count);
    });
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.deepColor = true;
    init.multisample = true;
    ContextPtr context = vindra_test::Create(init);
    ASSERT_TRUE(context);
    EXPECT_EQ(chooser.redSizes, (std::vector<int>{16, 16}));
    EXPECT_EQ(chooser.samples, (std::vector<int>{8, 0}));
    EXPECT_EQ(Warnings(), (std::vector<Message>{{3, "GLX failed to find pixel format with multi sampling"}}));
}

TEST_F(GlxContextTest, PlainRequestTriesEightBitsThenNoColour) {
    ChooserOverride chooser([&chooser](Display* d, int s, const int* list, int* count) {
        if (ChooserOverride::Attribute(list, GLX_RED_SIZE) != 0) return Refuse(count);
        return chooser.Real(d, s, list, count);
    });
    ContextPtr context = vindra_test::CreateHeadless();
    ASSERT_TRUE(context);
    EXPECT_EQ(chooser.redSizes, (std::vector<int>{8, 0}));
    EXPECT_EQ(Warnings(), (std::vector<Message>{{3, "GLX failed to find 8-bit pixel format"}}));
}

TEST_F(GlxContextTest, EveryRequestDroppedThenSilentFailure) {
    ChooserOverride chooser([](Display*, int, const int*, int* count) { return Refuse(count); });
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.multisample = init.floatColor = init.deepColor = true;
    EXPECT_FALSE(vindra_test::Create(init));
    EXPECT_EQ(chooser.redSizes, (std::vector<int>{16, 16, 16, 10, 8, 0}));
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{3, "GLX failed to find pixel format with multi sampling"},
                                                    {3, "GLX failed to find 16-bit float pixel format"},
                                                    {3, "GLX failed to find 16-bit pixel format"},
                                                    {3, "GLX failed to find 10-bit pixel format"},
                                                    {3, "GLX failed to find 8-bit pixel format"}}));
    EXPECT_EQ(currentContext, nullptr);
}

TEST_F(GlxContextTest, CoreProfileGetsTheVersionAskedForAndItsOwnVertexArray) {
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.coreProfile = true;
    init.majorVersion = 4;
    init.minorVersion = 5;
    ContextPtr core = vindra_test::Create(init);
    ASSERT_TRUE(core);
    GLint major = 0, minor = 0, profile = 0, boundVao = 0;
    glGetIntegerv(GL_MAJOR_VERSION, &major);
    glGetIntegerv(GL_MINOR_VERSION, &minor);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    glGetIntegerv(GL_VERTEX_ARRAY_BINDING, &boundVao);
    EXPECT_EQ(major * 10 + minor, 45);
    EXPECT_TRUE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
    EXPECT_NE(Glx(core)->GetOwnVao(), 0u);
    EXPECT_EQ(static_cast<GLuint>(boundVao), Glx(core)->GetOwnVao());
    GLint packAlignment = 0, unpackAlignment = 0;
    glGetIntegerv(GL_PACK_ALIGNMENT, &packAlignment);
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpackAlignment);
    EXPECT_EQ(packAlignment, 1);
    EXPECT_EQ(unpackAlignment, 1);

    // The profile is asked for only together with a version: otherwise the driver's default.
    init.majorVersion = 0;
    ContextPtr fallback = vindra_test::Create(init);
    ASSERT_TRUE(fallback);
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profile);
    EXPECT_FALSE(profile & GL_CONTEXT_CORE_PROFILE_BIT);
    EXPECT_EQ(Glx(fallback)->GetOwnVao(), 0u);
}

TEST_F(GlxContextTest, UnsupportedVersionFailsWithTheXErrorReported) {
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.coreProfile = true;
    init.majorVersion = 9;
    init.minorVersion = 9;
    EXPECT_FALSE(vindra_test::Create(init));
    std::vector<Message> messages = capture.Take();
    ASSERT_EQ(messages.size(), 2u) << vindra_test::Describe(messages);
    EXPECT_EQ(messages[0], (Message{4, "GLX: Failed to create context"}));
    EXPECT_EQ(messages[1].level, 0);
    EXPECT_EQ(messages[1].text.rfind("    : X error ", 0), 0u) << messages[1].text;
    EXPECT_EQ(currentContext, nullptr);
}

TEST_F(GlxContextTest, WindowThatDoesNotExistFails) {
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.window = 0x7ffffff;
    EXPECT_FALSE(vindra_test::Create(init));
    std::vector<Message> messages = capture.Take();
    ASSERT_EQ(messages.size(), 2u) << vindra_test::Describe(messages);
    EXPECT_EQ(messages[0], (Message{4, "GLX: Invalid window 0x7ffffff"}));
    EXPECT_EQ(messages[1].text.rfind("    : X error 3 (BadWindow", 0), 0u) << messages[1].text;
}

TEST_F(GlxContextTest, ContextTypes) {
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.type = 2;
    EXPECT_FALSE(vindra_test::Create(init));
    EXPECT_TRUE(capture.Take().empty());
    for (uint32_t type : {0u, 7u}) {
        init.type = type;
        ContextPtr context = vindra_test::Create(init);
        ASSERT_TRUE(context) << type;
        EXPECT_EQ(context->GetType(), 1);
        EXPECT_EQ(currentContext, context.get());
    }
}

TEST_F(GlxContextTest, GlContextAddsItsOperationsAfterTheInterface) {
    SKIP_UNLESS_ITANIUM();
    EXPECT_EQ(vindra::VtableIndex(&vindra::GlContext::Init), vindra::Entry(86, 0));
    EXPECT_EQ(vindra::VtableIndex(&vindra::GlContext::GetTotalVideoMemory), vindra::Entry(87, 0));
    EXPECT_EQ(vindra::VtableIndex(&vindra::GlContext::GetAvailableVideoMemory), vindra::Entry(88, 0));
}

TEST_F(GlxContextTest, SharedContextsSeeEachOthersBuffers) {
    ContextPtr first = vindra_test::CreateHeadless("first");
    ASSERT_TRUE(first);
    const unsigned char bytes[4] = {1, 2, 3, 4};
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    glBufferData(GL_ARRAY_BUFFER, sizeof bytes, bytes, GL_STATIC_DRAW);
    glFinish();

    // Both ways of sharing: CreateSharedContext, and a new context with shareContext set.
    ContextPtr derived(first->CreateSharedContext());
    ASSERT_TRUE(derived);
    EXPECT_EQ(currentContext, first.get());
    EXPECT_EQ(glXGetCurrentContext(), Glx(first)->GetGlxContext());
    vindra::ContextInitData init = vindra_test::DefaultInit("second");
    init.shareContext = first.get();
    ContextPtr second = vindra_test::Create(init);
    ASSERT_TRUE(second);

    for (Context* context : {derived.get(), second.get()}) {
        ASSERT_EQ(context->MakeCurrent(), 0u);
        EXPECT_TRUE(glIsBuffer(buffer));
        unsigned char read[4] = {};
        glBindBuffer(GL_ARRAY_BUFFER, buffer);
        glGetBufferSubData(GL_ARRAY_BUFFER, 0, sizeof read, read);
        EXPECT_EQ(std::vector<unsigned char>(read, read + 4), std::vector<unsigned char>(bytes, bytes + 4));
    }
    EXPECT_STREQ(derived->GetName(), "");
    EXPECT_TRUE(capture.Take().empty());
}

TEST_F(GlxContextTest, CreateSharedContextLeavesTheCallersCurrentContext) {
    ContextPtr first = vindra_test::CreateHeadless("first");
    ContextPtr other = vindra_test::CreateHeadless("other");
    ASSERT_TRUE(first && other);
    // `other` is current: it stays so.
    ContextPtr shared(first->CreateSharedContext());
    ASSERT_TRUE(shared);
    EXPECT_EQ(currentContext, other.get());
    EXPECT_EQ(glXGetCurrentContext(), Glx(other)->GetGlxContext());
    // Nothing current: nothing current afterwards.
    ASSERT_EQ(other->ClearCurrent(), 0u);
    ContextPtr shared2(first->CreateSharedContext());
    ASSERT_TRUE(shared2);
    EXPECT_EQ(currentContext, nullptr);
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
}

TEST_F(GlxContextTest, ContextMovesToAnotherThread) {
    ContextPtr context = vindra_test::CreateHeadless();
    ASSERT_TRUE(context);
    ASSERT_EQ(context->ClearCurrent(), 0u);
    EXPECT_EQ(currentContext, nullptr);

    std::thread worker([&context] {
        EXPECT_EQ(currentContext, nullptr);
        ASSERT_EQ(context->MakeCurrent(), 0u);
        EXPECT_EQ(currentContext, context.get());
        EXPECT_EQ(context->SetViewPort(3, 4, 50, 60), ResultCode::Success);
        EXPECT_EQ(context->ClearCurrent(), 0u);
    });
    worker.join();

    ASSERT_EQ(context->MakeCurrent(), 0u);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{3, 4, 50, 60}));
    EXPECT_TRUE(capture.Take().empty());
}

TEST_F(GlxContextTest, MakeCurrentFailsWhileCurrentOnAnotherThread) {
    ContextPtr context = vindra_test::CreateHeadless();
    ASSERT_TRUE(context);  // current here
    std::thread worker([&context] {
        EXPECT_EQ(context->MakeCurrent(), 1u);
        EXPECT_EQ(currentContext, nullptr);
        EXPECT_EQ(glXGetCurrentContext(), nullptr);
    });
    worker.join();
    std::vector<Message> messages = capture.Take();
    ASSERT_GE(messages.size(), 1u);
    EXPECT_EQ(messages[0], (Message{4, "GLX: Failed to make context current"}));
    EXPECT_EQ(currentContext, context.get());
    EXPECT_EQ(glXGetCurrentContext(), Glx(context)->GetGlxContext());
}

TEST_F(GlxContextTest, ClearCurrentReleasesWhateverIsCurrent) {
    ContextPtr first = vindra_test::CreateHeadless("first");
    ContextPtr second = vindra_test::CreateHeadless("second");  // now current
    ASSERT_TRUE(first && second);
    EXPECT_EQ(first->ClearCurrent(), 0u);
    EXPECT_EQ(currentContext, nullptr);
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
}

TEST_F(GlxContextTest, DestroyingClearsCurrentContextOnlyWhenItIsThisOne) {
    ContextPtr first = vindra_test::CreateHeadless("first");
    ContextPtr second = vindra_test::CreateHeadless("second");
    ASSERT_TRUE(first && second);
    ASSERT_EQ(first->MakeCurrent(), 0u);
    // The framebuffer names both contexts made for themselves are the same numbers: `second` must
    // delete its own in its own GL context, never these.
    const GLuint names[] = {1, 2, 3};
    for (GLuint name : names) glBindFramebuffer(GL_FRAMEBUFFER, name);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    for (GLuint name : names) ASSERT_TRUE(glIsFramebuffer(name)) << name;
    second.reset();
    for (GLuint name : names) EXPECT_TRUE(glIsFramebuffer(name)) << name;
    EXPECT_EQ(currentContext, first.get());
    EXPECT_EQ(glXGetCurrentContext(), Glx(first)->GetGlxContext());
    first.reset();
    EXPECT_EQ(currentContext, nullptr);
    EXPECT_EQ(glXGetCurrentContext(), nullptr);
    EXPECT_TRUE(capture.Take().empty());
}

TEST_F(GlxContextTest, SwapIntervalIsWhatTheDriverReports) {
    ContextPtr context = vindra_test::CreateHeadless();
    ASSERT_TRUE(context);
    context->SetSwapInterval(1);
    int driver = GLXEW_MESA_swap_control ? glXGetSwapIntervalMESA() : 1;
    EXPECT_EQ(context->GetSwapInterval(), driver);
    context->SetSwapInterval(0);
    EXPECT_EQ(context->GetSwapInterval(), GLXEW_MESA_swap_control ? glXGetSwapIntervalMESA() : 0);

    // Asked while another context is current: answered for this one, the other stays current.
    ContextPtr other = vindra_test::CreateHeadless("other");
    ASSERT_TRUE(other);
    EXPECT_EQ(context->GetSwapInterval(), GLXEW_MESA_swap_control ? glXGetSwapIntervalMESA() : 0);
    EXPECT_EQ(glXGetCurrentContext(), Glx(other)->GetGlxContext());
    EXPECT_EQ(currentContext, other.get());
    EXPECT_TRUE(capture.Take().empty());
}

TEST_F(GlxContextTest, SwapBuffersPresentsTheClientFirstAndReportsItsFailure) {
    vindra_test::TestWindow mainWindow, clientWindow;
    vindra::ContextInitData init = vindra_test::DefaultInit("client");
    init.window = clientWindow.id();
    ContextPtr client = vindra_test::Create(init);
    ASSERT_TRUE(client);
    glClearColor(0, 0, 1, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    init = vindra_test::DefaultInit("main");
    init.window = mainWindow.id();
    ContextPtr main = vindra_test::Create(init);
    ASSERT_TRUE(main);
    glClearColor(1, 0, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
    glFinish();
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 64);
    EXPECT_EQ(viewport[3], 64);

    capture.Clear();  // configuration warnings of the window's visual are not this test's concern
    main->SetClient(client.get());
    EXPECT_EQ(main->SwapBuffers(true), 0u);
    EXPECT_EQ(mainWindow.PresentedPixel(5, 5, 0xff0000ul), 0xff0000ul);
    EXPECT_EQ(clientWindow.PresentedPixel(5, 5, 0x0000fful), 0x0000fful);
    std::vector<Message> swapped = capture.Take();
    EXPECT_TRUE(swapped.empty()) << vindra_test::Describe(swapped);

    clientWindow.Destroy();
    EXPECT_EQ(main->SwapBuffers(false), 0u);  // never touches the client
    EXPECT_TRUE(capture.Take().empty());
    EXPECT_EQ(main->SwapBuffers(true), 0u);   // the client's failure is reported only
    std::vector<Message> messages = capture.Take();
    ASSERT_EQ(messages.size(), 3u) << vindra_test::Describe(messages);
    EXPECT_EQ(messages[0], (Message{4, "GLX: Failed to swap buffers: 9"}));
    EXPECT_EQ(messages[1].level, 0);
    EXPECT_EQ(messages[2], (Message{4, "GLX: Failed to swap client buffers: 9"}));
    EXPECT_EQ(client->SwapBuffers(false), 1u);
    main->SetClient(nullptr);
}

TEST_F(GlxContextTest, BackBufferPreservedFollowsTheSwapMethod) {
    ContextPtr copy = vindra_test::CreateHeadless();
    ASSERT_TRUE(copy);
    EXPECT_TRUE(copy->IsBackBufferPreserved());
    vindra::ContextInitData init = vindra_test::DefaultInit();
    init.swapExchange = true;
    ContextPtr exchange = vindra_test::Create(init);
    ASSERT_TRUE(exchange);
    EXPECT_FALSE(exchange->IsBackBufferPreserved());
    // Mesa's software rasteriser has no exchange configurations: the method is a preference there.
    int count = 0;
    const int exchangeOnly[] = {GLX_SWAP_METHOD_OML, GLX_SWAP_EXCHANGE_OML, None};
    GLXFBConfig* configs = glXChooseFBConfig(glXGetCurrentDisplay(), 0, exchangeOnly, &count);
    if (configs) XFree(configs);
    EXPECT_EQ(capture.Contains(3, "GLX failed to find pixel format with exchange swap method"), count == 0);
}

TEST_F(GlxContextTest, SwapGroupsNeedTheExtension) {
    ContextPtr context = vindra_test::CreateHeadless();
    ASSERT_TRUE(context);
    if (GLXEW_NV_swap_group) GTEST_SKIP() << "driver has GLX_NV_swap_group";
    EXPECT_FALSE(context->JoinSwapGroup(1));
    EXPECT_FALSE(context->BindSwapBarrier(1, 1));
}

}  // namespace
