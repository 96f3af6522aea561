// The GLX layer's own calls as the driver sees them, with GLEW entry points replaced where Mesa shows
// no path: configuration attempts, the host window's visual, a refused release, swap groups, memory.
#include "window_system_test.h"

#include <GL/glew.h>
#include <GL/glxew.h>

#include "core/current_context.h"

namespace vindra_test {

const char* const kApi = "GLX";

const void* NativeCurrentContext() { return glXGetCurrentContext(); }

void UseLegacyPath(bool legacy) {
    static const PFNGLXCHOOSEFBCONFIGPROC chooser = __glewXChooseFBConfig;
    __glewXChooseFBConfig = legacy ? nullptr : chooser;
}

HostGlContext::HostGlContext() {
    Display* display = XOpenDisplay(nullptr);
    connection = display;
    window = XCreateSimpleWindow(display, DefaultRootWindow(display), 0, 0, 64, 64, 0, 0, 0);
    XVisualInfo wanted{};
    wanted.visualid = XVisualIDFromVisual(DefaultVisual(display, DefaultScreen(display)));
    int count = 0;
    XVisualInfo* visual = XGetVisualInfo(display, VisualIDMask, &wanted, &count);
    context = glXCreateContext(display, visual, nullptr, True);
    XFree(visual);
}

HostGlContext::~HostGlContext() {
    Display* display = static_cast<Display*>(connection);
    if (glXGetCurrentContext() == context) glXMakeCurrent(display, None, nullptr);
    glXDestroyContext(display, static_cast<GLXContext>(context));
    XDestroyWindow(display, window);
    XCloseDisplay(display);
}

void HostGlContext::MakeCurrent() {
    EXPECT_TRUE(glXMakeCurrent(static_cast<Display*>(connection), window, static_cast<GLXContext>(context)));
}

}  // namespace vindra_test

namespace {

using namespace vindra_test;
using GlxContextTest = WindowSystemTest;

int Attribute(const int* list, int name) {
    for (; list[0] != None; list += 2)
        if (list[0] == name) return list[1];
    return 0;
}

PFNGLXCHOOSEFBCONFIGPROC realChooser = nullptr;
std::vector<std::string> attempts;

// Records each attempt in GLX's tokens and lets only the plain one reach the driver. An attempt the
// layer repeats without the swap method (the driver has none of the method asked for) counts once.
GLXFBConfig* RecordingChooser(Display* display, int screen, const int* list, int* count) {
    if (!GLXEW_OML_swap_method || Attribute(list, GLX_SWAP_METHOD_OML) != 0)
        attempts.push_back(AttemptText(Attribute(list, GLX_RED_SIZE), Attribute(list, GLX_GREEN_SIZE),
                                       Attribute(list, GLX_BLUE_SIZE), Attribute(list, GLX_ALPHA_SIZE),
                                       Attribute(list, GLX_RENDER_TYPE) == GLX_RGBA_FLOAT_BIT_ARB,
                                       Attribute(list, GLX_SAMPLE_BUFFERS) == 1 ? Attribute(list, GLX_SAMPLES) : 0));
    *count = 0;
    return Attribute(list, GLX_RED_SIZE) == 0 ? realChooser(display, screen, list, count) : nullptr;
}

TEST_F(GlxContextTest, ChooserSeesEachAttemptInGlxTokens) {
    realChooser = __glewXChooseFBConfig;
    Replaced<PFNGLXCHOOSEFBCONFIGPROC> chooser(__glewXChooseFBConfig, &RecordingChooser);
    vindra::ContextInitData init = DefaultInit();
    init.multisample = init.floatColor = init.deepColor = true;
    ASSERT_TRUE(Create(init));
    EXPECT_EQ(attempts, kEveryAttempt);
    EXPECT_EQ(capture.Take(), EveryDropWarning("GLX"));
}

// Only configurations of the host window's own visual can draw to it.
TEST_F(GlxContextTest, ContextOnAHostWindowHasTheWindowsVisual) {
    HostGlContext host;
    vindra::ContextInitData init = DefaultInit();
    init.window = host.id();
    ContextPtr context = Create(init);
    ASSERT_TRUE(context);
    XWindowAttributes attributes{};
    XGetWindowAttributes(glXGetCurrentDisplay(), host.id(), &attributes);
    int visual = 0;
    glXQueryContext(glXGetCurrentDisplay(), glXGetCurrentContext(), GLX_VISUAL_ID_EXT, &visual);
    EXPECT_EQ(static_cast<VisualID>(visual), XVisualIDFromVisual(attributes.visual));
}

Bool RefuseBinding(Display*, GLXDrawable, GLXDrawable, GLXContext) { return False; }

TEST_F(GlxContextTest, RefusedBindingsAreReportedAndChangeNothing) {
    ContextPtr context = CreateHeadless(), other = CreateHeadless();
    ASSERT_TRUE(context && other);
    const void* native = glXGetCurrentContext();
    {
        Replaced<PFNGLXMAKECONTEXTCURRENTPROC> refuse(__glewXMakeContextCurrent, &RefuseBinding);
        EXPECT_EQ(context->MakeCurrent(), 1u);
        EXPECT_EQ(context->ClearCurrent(), 1u);
    }
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{4, "GLX: Failed to make context current"},
                                                    {4, "GLX: Failed to clear current context"}}));
    EXPECT_EQ(vindra::currentContext, other.get());
    EXPECT_EQ(glXGetCurrentContext(), native);
}

// What the X server refuses comes with its text under the message of the step that failed.
TEST_F(GlxContextTest, XErrorsComeWithTheirText) {
    vindra::ContextInitData badWindow = DefaultInit(), badVersion = DefaultInit();
    badWindow.window = 0x7ffffff;
    badVersion.coreProfile = true;
    badVersion.majorVersion = 9;
    for (const vindra::ContextInitData& init : {badWindow, badVersion}) {
        EXPECT_FALSE(Create(init));
        std::vector<Message> messages = capture.Take();
        ASSERT_EQ(messages.size(), 2u) << Describe(messages);
        EXPECT_EQ(messages[1].text.rfind("    : X error ", 0), 0u) << messages[1].text;
    }
}

Bool driverAnswer = False;
std::vector<GLuint> swapGroupCalls;  // the group joined, or the group and barrier bound

// Mesa has no GLX_NV_swap_group: a driver that has it is stood in for.
TEST_F(GlxContextTest, SwapGroupsAnswerWhatTheDriverAnswers) {
    ContextPtr context = CreateHeadless();
    ASSERT_TRUE(context);
    Replaced<PFNGLXJOINSWAPGROUPNVPROC> join(__glewXJoinSwapGroupNV, [](Display*, GLXDrawable, GLuint group) {
        swapGroupCalls.push_back(group);
        return driverAnswer;
    });
    Replaced<PFNGLXBINDSWAPBARRIERNVPROC> bind(__glewXBindSwapBarrierNV, [](Display*, GLuint group, GLuint barrier) {
        swapGroupCalls.insert(swapGroupCalls.end(), {group, barrier});
        return driverAnswer;
    });
    for (GLboolean extension : {GL_FALSE, GL_TRUE})
        for (Bool answer : {False, True}) {
            SCOPED_TRACE(testing::Message() << "extension " << int(extension) << ", driver answers " << answer);
            Replaced<GLboolean> swapGroups(__GLXEW_NV_swap_group, extension);
            driverAnswer = answer;
            swapGroupCalls.clear();
            EXPECT_EQ(context->JoinSwapGroup(5), extension && answer);
            EXPECT_EQ(context->BindSwapBarrier(5, 6), extension && answer);
            EXPECT_EQ(swapGroupCalls, (extension ? std::vector<GLuint>{5, 5, 6} : std::vector<GLuint>{}));
        }
}

unsigned int amdGpu = 0;
unsigned int GpuOfContext(GLXContext) { return amdGpu; }
// An AMD driver with 4096 MiB on GPU 7: it answers the RAM query only.
int GpuInfo(unsigned int gpu, int property, GLenum type, unsigned int, void* data) {
    if (gpu != 7 || property != GLX_GPU_RAM_AMD || type != GL_UNSIGNED_INT) return 0;
    *static_cast<unsigned int*>(data) = 4096;
    return 1;
}

// AMD's GPU association first; without a GPU for the context, Mesa's renderer query.
TEST_F(GlxContextTest, VideoMemoryComesFromTheDriversOwnQuery) {
    Replaced<GLboolean> amd(__GLXEW_AMD_gpu_association, GL_TRUE);
    Replaced<PFNGLXGETCONTEXTGPUIDAMDPROC> gpuOf(__glewXGetContextGPUIDAMD, &GpuOfContext);
    Replaced<PFNGLXGETGPUINFOAMDPROC> gpuInfo(__glewXGetGPUInfoAMD, &GpuInfo);
    for (unsigned int gpu : {7u, 0u}) {
        amdGpu = gpu;
        ContextPtr context = CreateHeadless();  // each context learns the size once
        ASSERT_TRUE(context);
        unsigned int megabytes = 4096;
        ASSERT_TRUE(gpu != 0 || glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes));
        uint64_t bytes = 0;
        context->GetInfo(vindra::ContextInfo::TotalVideoMemory, sizeof bytes, &bytes, nullptr);
        EXPECT_EQ(bytes, uint64_t{megabytes} * 1048576) << "GPU " << gpu;
    }
}

TEST_F(GlxContextTest, BackBufferPreservedFollowsTheSwapMethodGot) {
    ContextPtr copy = CreateHeadless();
    vindra::ContextInitData init = DefaultInit();
    init.swapExchange = true;
    ContextPtr exchange = Create(init);
    ASSERT_TRUE(copy && exchange);
    EXPECT_TRUE(copy->IsBackBufferPreserved());
    EXPECT_FALSE(exchange->IsBackBufferPreserved());
    EXPECT_FALSE(ContextPtr(exchange->CreateSharedContext())->IsBackBufferPreserved());  // same window, same format
    // Mesa's software rasteriser has no exchange configurations: the method is a preference there.
    int count = 0;
    const int exchangeOnly[] = {GLX_SWAP_METHOD_OML, GLX_SWAP_EXCHANGE_OML, None};
    GLXFBConfig* configs = glXChooseFBConfig(glXGetCurrentDisplay(), 0, exchangeOnly, &count);
    if (configs) XFree(configs);
    EXPECT_EQ(capture.Contains(3, "GLX failed to find pixel format with exchange swap method"), count == 0);
}

}  // namespace
