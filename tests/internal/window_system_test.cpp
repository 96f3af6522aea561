// The window-system layers (GLX natively, WGL under Wine) through the public API on real windows, with
// GLEW entry points replaced where the driver shows no path.
#include "gl_test.h"  // gtest before Xlib, whose None macro clashes with gtest's

#include <thread>

#include "core/current_context.h"
#include "gl/gl_context.h"
#if defined(_WIN32)
#include <GL/wglew.h>
#else
#include <GL/glxew.h>
#endif

namespace {

using namespace vindra_test;
using vindra::currentContext;
using Flags = std::vector<GLint>;
using Lines = std::vector<std::string>;

// Puts `value` into a GLEW entry point or extension flag for one scope, and the driver's own back after.
// Made after the fixture's context: the bootstrap, which resolves GLEW's entry points once per process,
// would undo it.
template <typename T>
struct Replaced {
    Replaced(T& slot, T value) : slot(slot), saved(slot) { slot = value; }
    ~Replaced() { slot = saved; }
    T& slot;
    T saved;
};

// The value of `name` in a list of attribute pairs that ends with 0 (GLX's None); 0 when absent.
int Attribute(const int* list, int name) {
    for (; list[0] != 0; list += 2)
        if (list[0] == name) return list[1];
    return 0;
}

// What one pixel-format attempt asks for: "16/16/16/16 float x8", "10/10/10/2", "none".
std::vector<std::string> attempts;  // what a recording chooser saw
void Record(int red, int green, int blue, int alpha, bool floatingPoint, int samples) {
    std::string colour = std::to_string(red) + "/" + std::to_string(green) + "/" + std::to_string(blue) + "/";
    attempts.push_back((red == 0 ? "none" : colour + std::to_string(alpha)) + (floatingPoint ? " float" : "") +
                       (samples != 0 ? " x" + std::to_string(samples) : ""));
}

// A mapped window on the host's own display connection, as an application would own it. Destroy destroys it at
// once, as a host closing it would.
class TestWindow {
public:
    ~TestWindow() { Destroy(); }
    vindra::NativeWindow id() const { return vindra::NativeWindow(window); }
#if defined(_WIN32)
    TestWindow()
        : window(CreateWindowExA(0, "STATIC", "vindra test", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr)) {}
    void Destroy() {
        if (window != nullptr) DestroyWindow(std::exchange(window, nullptr));
    }

private:
    HWND window;
#else
    TestWindow() : window(XCreateSimpleWindow(display.get(), DefaultRootWindow(display.get()), 0, 0, 64, 64, 0, 0, 0)) {
        XMapWindow(display.get(), window);
        XSync(display.get(), False);
    }
    void Destroy() {
        if (window != 0) XDestroyWindow(display.get(), std::exchange(window, 0)), XSync(display.get(), False);
    }

private:
    std::unique_ptr<Display, int (*)(Display*)> display{XOpenDisplay(nullptr), XCloseDisplay};  // before the window
    Window window;
#endif
};

// Tests end with a context of the host or none current, where GL errors are not the library's.
struct WindowSystemTest : ContextTest {
    WindowSystemTest() { expectNoPendingGlError = false; }
};

#if defined(_WIN32)

const std::string kApi = "WGL";
using WglContextTest = WindowSystemTest;
const void* NativeCurrentContext() { return wglGetCurrentContext(); }
// Without WGL_ARB_pixel_format the layer takes its legacy path.
GLboolean& legacySlot = __WGLEW_ARB_pixel_format;
const GLboolean kLegacy = GL_FALSE;
PFNWGLCHOOSEPIXELFORMATARBPROC realChooser = nullptr, &chooserSlot = __wglewChoosePixelFormatARB;

// Records each attempt in WGL's tokens and lets only the plain one reach the driver, without the swap
// method: Wine on Mesa has no exchange formats, and a driver that has them is stood in for.
BOOL WINAPI RecordingChooser(HDC dc, const int* list, const FLOAT* floats, UINT max, int* formats, UINT* count) {
    Record(Attribute(list, WGL_RED_BITS_ARB), Attribute(list, WGL_GREEN_BITS_ARB), Attribute(list, WGL_BLUE_BITS_ARB),
           Attribute(list, WGL_ALPHA_BITS_ARB), Attribute(list, WGL_PIXEL_TYPE_ARB) == WGL_TYPE_RGBA_FLOAT_ARB,
           Attribute(list, WGL_SAMPLES_ARB));
    EXPECT_EQ(Attribute(list, WGL_SWAP_METHOD_ARB), WGL_SWAP_EXCHANGE_ARB);
    std::vector<int> withoutMethod;
    for (const int* entry = list; entry[0] != 0; entry += 2)
        if (entry[0] != WGL_SWAP_METHOD_ARB) withoutMethod.insert(withoutMethod.end(), {entry[0], entry[1]});
    withoutMethod.insert(withoutMethod.end(), {0, 0});
    *count = 0;
    return Attribute(list, WGL_RED_BITS_ARB) == 0 && realChooser(dc, withoutMethod.data(), floats, max, formats, count);
}

int offeredFormat = 0;

// A window takes one pixel format for life: a context offered another one on a host's window goes on.
TEST_F(WglContextTest, FailedSetPixelFormatIsOnlyAWarning) {
    TestWindow window;
    HDC dc = GetDC(window.id());
    PIXELFORMATDESCRIPTOR descriptor{};
    descriptor.nSize = sizeof descriptor, descriptor.nVersion = 1;
    ASSERT_TRUE(SetPixelFormat(dc, 1, &descriptor) && GetPixelFormat(dc) == 1);
    offeredFormat = 2;
    ReleaseDC(window.id(), dc);
    Replaced<PFNWGLCHOOSEPIXELFORMATARBPROC> chooser(
        chooserSlot, [](HDC, const int*, const FLOAT*, UINT, int* formats, UINT* count) -> BOOL {
            return *formats = offeredFormat, *count = 1, TRUE;
        });
    init.window = window.id();
    ContextPtr made = Create(init);
    ExpectMessages({{kWarning, "WGL: Failed to set pixel format"}});
    ASSERT_TRUE(made);
    EXPECT_EQ(wglGetCurrentContext(), static_cast<vindra::GlContext*>(made.get())->NativeHandle());
}

#else

const std::string kApi = "GLX";
const void* NativeCurrentContext() { return glXGetCurrentContext(); }
// Without GLX 1.3's frame-buffer configurations the layer takes its legacy path.
PFNGLXCHOOSEFBCONFIGPROC& legacySlot = __glewXChooseFBConfig;
const PFNGLXCHOOSEFBCONFIGPROC kLegacy = nullptr;
PFNGLXCHOOSEFBCONFIGPROC realChooser = nullptr, &chooserSlot = __glewXChooseFBConfig;

// Records each attempt in GLX's tokens and lets only the plain one reach the driver. An attempt the
// layer repeats without the swap method (the driver has none of the method asked for) counts once.
GLXFBConfig* RecordingChooser(Display* display, int screen, const int* list, int* count) {
    if (!GLXEW_OML_swap_method || Attribute(list, GLX_SWAP_METHOD_OML) != 0)
        Record(Attribute(list, GLX_RED_SIZE), Attribute(list, GLX_GREEN_SIZE), Attribute(list, GLX_BLUE_SIZE),
               Attribute(list, GLX_ALPHA_SIZE), Attribute(list, GLX_RENDER_TYPE) == GLX_RGBA_FLOAT_BIT_ARB,
               Attribute(list, GLX_SAMPLE_BUFFERS) == 1 ? Attribute(list, GLX_SAMPLES) : 0);
    *count = 0;
    return Attribute(list, GLX_RED_SIZE) == 0 ? realChooser(display, screen, list, count) : nullptr;
}

#endif

const std::string kPrefix = kApi + ": ";

// The first lines (not the system's own text under them, which differs by platform) after "<API>: ", each up
// to the colon where the failed call's own text begins.
Lines Failures(const std::vector<Message>& messages) {
    Lines lines;
    for (const Message& message : messages)
        if (message.level != kContinuation)
            lines.push_back(
                message.text.substr(kPrefix.size(), message.text.find(':', kPrefix.size()) - kPrefix.size()));
    return lines;
}

// Each attempt in the layer's own tokens, as the driver sees it (it accepts only the last, which asks for no
// colour), and a warning for each request dropped on the way.
// Name, multisample, float colour, deep colour; the attempts; what each warning names as it drops a request.
// clang-format off
const std::tuple<const char*, bool, bool, bool, Lines, Lines> kChainCases[] = {
    {"DeepColour", false, false, true,  {"16/16/16/16", "10/10/10/2", "8/8/8/8", "none"}, {"16-bit pixel format", "10-bit pixel format", "8-bit pixel format"}},
    {"Float",      false, true,  false, {"16/16/16/16 float", "8/8/8/8", "none"}, {"16-bit float pixel format", "8-bit pixel format"}},
    {"Samples",    true,  false, false, {"8/8/8/8 x8", "8/8/8/8", "none"}, {"pixel format with multi sampling", "8-bit pixel format"}},
    {"Everything", true,  true,  true,  {"16/16/16/16 float x8", "16/16/16/16 float", "16/16/16/16", "10/10/10/2", "8/8/8/8", "none"}, {"pixel format with multi sampling", "16-bit float pixel format", "16-bit pixel format", "10-bit pixel format", "8-bit pixel format"}},
};
// clang-format on

// Every row asks for an exchange swap; the fixture's context asked for a copy swap.
TEST_F(WindowSystemTest, ChooserSeesEachAttemptAndTheSwapMethod) {
    std::vector<Message> exchangeWarning;
#if !defined(_WIN32)
    // Mesa's software rasteriser has no exchange configurations: the method is a preference there.
    int count = 0;
    const int exchangeOnly[] = {GLX_SWAP_METHOD_OML, GLX_SWAP_EXCHANGE_OML, None};
    if (GLXFBConfig* configs = glXChooseFBConfig(glXGetCurrentDisplay(), 0, exchangeOnly, &count)) XFree(configs);
    if (count == 0) exchangeWarning.push_back({kWarning, "GLX failed to find pixel format with exchange swap method"});
#endif
    for (const auto& [name, multisample, floatColor, deepColor, expected, dropped] : kChainCases) {
        SCOPED_TRACE(name);
        init.multisample = multisample, init.floatColor = floatColor, init.deepColor = deepColor,
        init.swapExchange = true;
        attempts.clear(), realChooser = chooserSlot;
        Replaced<decltype(realChooser)> chooser(chooserSlot, &RecordingChooser);
        ContextPtr exchange = Create(init);
        ASSERT_TRUE(exchange);
        EXPECT_EQ(attempts, expected);
        std::vector<Message> warnings;
        for (const std::string& format : dropped) warnings.push_back({kWarning, kApi + " failed to find " + format});
        warnings.insert(warnings.end(), exchangeWarning.begin(), exchangeWarning.end());
        ExpectMessages(warnings);
        EXPECT_FALSE(exchange->IsBackBufferPreserved());
        EXPECT_FALSE(ContextPtr(exchange->CreateSharedContext())->IsBackBufferPreserved());  // same format
    }
    EXPECT_TRUE(context->IsBackBufferPreserved());
}

// Name; type, core profile, version and window asked for; on the legacy path, asking for multisample, float and
// deep colour too; sharing with the fixture's context. Then major * 10 + minor of a core profile (0: the driver's
// default; -1: no context), and how the one message begins after "<API>: " (null: no message).
// clang-format off
const std::tuple<const char*, uint32_t, bool, int32_t, int32_t, uintptr_t, bool, bool, int, const char*> kCreationCases[] = {
    {"CoreProfileWithVersion",       1, true,  4, 5, 0,         false, false, 45, nullptr},
    {"VersionWithoutProfile",        1, false, 4, 5, 0,         false, false, 0,  nullptr},
    {"ProfileWithoutVersion",        7, true,  0, 0, 0,         false, false, 0,  nullptr},  // any type but 2 is GL
    {"UnsupportedVersion",           1, true,  9, 9, 0,         false, false, -1, "Failed to create context"},
    {"WindowThatDoesNotExist",       1, false, 0, 0, 0x7ffffff, false, false, -1, "Invalid window"},
    {"TypeTwoAsksForNoContext",      2, false, 0, 0, 0,         false, false, -1, nullptr},
    {"SharedSeesTheOthersBuffers",   1, false, 0, 0, 0,         false, true,  0,  nullptr},
    {"LegacyPathIgnoresTheRequests", 1, true,  4, 5, 0,         true,  true,  0,  nullptr},
};
// clang-format on

TEST_F(WindowSystemTest, CreationFollowsTheRequest) {
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);  // the name becomes a buffer of the fixture's context
    for (const auto& [name, type, core, major, minor, window, legacy, share, version, failure] : kCreationCases) {
        SCOPED_TRACE(name);
        vindra::ContextInitData request = DefaultInit();
        request.type = type, request.coreProfile = core, request.majorVersion = major, request.minorVersion = minor;
        request.window = vindra::NativeWindow(window), request.shareContext = share ? context.get() : nullptr;
        request.multisample = request.floatColor = request.deepColor = legacy;
        Replaced<std::remove_reference_t<decltype(legacySlot)>> path(legacySlot, legacy ? kLegacy : legacySlot);
        ContextPtr made = Create(request);
        std::vector<Message> messages = capture.Take();
        const Lines lines = Failures(messages);
        EXPECT_TRUE(failure ? lines.size() == 1 && lines[0].rfind(failure, 0) == 0 : lines.empty())
            << Describe(messages);
#if !defined(_WIN32)
        // What the X server refused comes with its text under the message of the step that failed.
        EXPECT_EQ(messages.size() == 2 && messages[1].text.rfind("    : X error ", 0) == 0, failure != nullptr);
#endif
        ASSERT_EQ(made != nullptr, version >= 0);
        if (made == nullptr) continue;
        EXPECT_EQ(currentContext, made.get());
        bool coreMade = Get(GL_CONTEXT_PROFILE_MASK) & GL_CONTEXT_CORE_PROFILE_BIT;
        EXPECT_EQ(coreMade ? Get(GL_MAJOR_VERSION) * 10 + Get(GL_MINOR_VERSION) : 0, version);
        // A core profile has no default vertex array: the context binds its own. Only a shared one sees the buffer.
        EXPECT_EQ(Flags({Get(GL_VERTEX_ARRAY_BINDING) != 0, Get(GL_PACK_ALIGNMENT), Get(GL_UNPACK_ALIGNMENT),
                         Get(GL_SAMPLES), glIsBuffer(buffer)}),
                  Flags({coreMade, 1, 1, 0, share}));
    }
}

// Operations on a context other than the current one, and what the thread has current before them.
enum class After { AsBefore, NothingIfTargetWas, Nothing };
const std::tuple<const char*, After, void (*)(ContextPtr& target)> kOtherContextCases[] = {
    {"DeleteContext", After::NothingIfTargetWas, [](ContextPtr& target) { target.reset(); }},
    {"SetSwapInterval", After::AsBefore, [](ContextPtr& target) { target->SetSwapInterval(0); }},
    {"CreateSharedContext", After::AsBefore, [](ContextPtr& target) { ContextPtr(target->CreateSharedContext()); }},
    {"ClearCurrentReleasesAnyContext", After::Nothing, [](ContextPtr& target) { target->ClearCurrent(); }},
};
enum class Before { Nothing, LibraryContext, Target };
const char* const kBeforeNames[] = {"nothing", "another library context", "the target"};

TEST_F(WindowSystemTest, OtherContextsLeaveTheThreadAsItWas) {
    init.coreProfile = true, init.majorVersion = 4;  // each has its own vertex array, named alike in its own GL context
    for (const auto& [name, after, run] : kOtherContextCases)
        for (Before before : {Before::Nothing, Before::LibraryContext, Before::Target}) {
            SCOPED_TRACE(std::string(name) + " with current: " + kBeforeNames[static_cast<int>(before)]);
            ContextPtr target = Create(init), library = Create(init);
            ASSERT_TRUE(target && library);
            GLuint libraryVao = Get(GL_VERTEX_ARRAY_BINDING);
            if (before == Before::Nothing) library->ClearCurrent();
            if (before == Before::Target) target->MakeCurrent();
            bool gone = after == After::Nothing || (after == After::NothingIfTargetWas && before == Before::Target);
            const void* native = gone ? nullptr : NativeCurrentContext();
            vindra::Context* current = gone ? nullptr : currentContext;
            run(target);
            EXPECT_EQ(NativeCurrentContext(), native);
            EXPECT_EQ(currentContext, current);
            // The target's own names went in its own GL context, not in this one.
            bool libraryStays = before == Before::LibraryContext && !gone;
            EXPECT_TRUE(!libraryStays || glIsVertexArray(libraryVao));
            // And the library context is still this thread's: no other thread takes it. Released here, it moves.
            if (before == Before::LibraryContext)
                std::thread([&] {
                    EXPECT_EQ(library->MakeCurrent(), libraryStays ? 1u : 0u);
                    if (!libraryStays) library->ClearCurrent();
                }).join();
            EXPECT_EQ(Failures(capture.Take()), libraryStays ? Lines{"Failed to make context current"} : Lines{});
        }
}

// A presents as its own client, or with B whose client is A again: each returns, and each window is
// presented once, as the failures show once the windows are gone: a gone client's is reported only.
// Whether A's client is A (else B, whose client is A); what A->SwapBuffers(true) reports once B's window is
// gone, then once both are.
const std::string kSwap = "Failed to swap buffers", kClient = "Failed to swap client buffers";
const std::tuple<const char*, bool, Lines, Lines> kSwapCases[] = {
    {"SelfClient", true, {}, {kSwap}}, {"CycleThroughB", false, {kSwap, kClient}, {kSwap, kClient, kSwap}}};

TEST_F(WindowSystemTest, SwapBuffersPresentsEachContextOfTheClientChainOnce) {
    for (const auto& [name, selfClient, bGone, bothGone] : kSwapCases) {
        SCOPED_TRACE(name);
        TestWindow aWindow, bWindow;
        init.window = bWindow.id();
        ContextPtr b = Create(init);
        init.window = aWindow.id();
        ContextPtr a = Create(init);  // current from here: B's window may go
        ASSERT_TRUE(a && b);
        a->SetClient(selfClient ? a.get() : b.get());
        b->SetClient(a.get());
        capture.Take();  // configuration warnings of the windows' visuals are not this test's concern
        // The result and the failures of one swap; without the client, the client's window is never touched.
        auto swap = [&](bool client) {
            const uint32_t result = a->SwapBuffers(client);
            return std::make_pair(result, Failures(capture.Take()));
        };
        EXPECT_EQ(swap(true), std::make_pair(0u, Lines()));
        bWindow.Destroy();
        EXPECT_EQ(swap(false), std::make_pair(0u, Lines()));
        EXPECT_EQ(swap(true), std::make_pair(0u, bGone));
        context->MakeCurrent();  // no window of a current context goes
        aWindow.Destroy();
        EXPECT_EQ(swap(true), std::make_pair(1u, bothGone));
    }
    // The last pair goes without its windows: neither can be made current to release its GL objects.
    EXPECT_EQ(Failures(capture.Take()), Lines(2, "Failed to make context current"));
}

}  // namespace
