// What both window-system layers do alike, through the public API on real windows: creation requests,
// sharing, one thread at a time, switching to a context and back, and presentation with clients.
#include "window_system_test.h"

#include <GL/glew.h>

#include <thread>

#include "core/current_context.h"
#include "gl/gl_context.h"

namespace {

using namespace vindra_test;
using vindra::Context;
using vindra::currentContext;

const std::string kPrefix = std::string(kApi) + ": ";

GLint Integer(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}
// The messages without their continuation lines (the system's own text, which differs by platform).
std::vector<std::string> FirstLines(const std::vector<Message>& messages) {
    std::vector<std::string> lines;
    for (const Message& message : messages)
        if (message.level != 0) lines.push_back(message.text);
    return lines;
}

struct CreationCase {
    const char* name;
    uint32_t type;
    bool coreProfile;
    int32_t majorVersion, minorVersion;
    uintptr_t window;
    int version;          // major * 10 + minor of a core profile; 0: the driver's default; -1: no context
    const char* failure;  // how the one message begins after "<API>: "; null: no message
};
const CreationCase kCreationCases[] = {
    {"CoreProfileWithVersion", 1, true, 4, 5, 0, 45, nullptr},
    {"VersionWithoutProfile", 1, false, 4, 5, 0, 0, nullptr},
    {"ProfileWithoutVersion", 7, true, 0, 0, 0, 0, nullptr},  // any type but 2 makes a GL context
    {"UnsupportedVersion", 1, true, 9, 9, 0, -1, "Failed to create context"},
    {"WindowThatDoesNotExist", 1, false, 0, 0, 0x7ffffff, -1, "Invalid window"},
    {"TypeTwoAsksForNoContext", 2, false, 0, 0, 0, -1, nullptr},
};

TEST_F(WindowSystemTest, CreationFollowsTheRequest) {
    for (const CreationCase& row : kCreationCases) {
        SCOPED_TRACE(row.name);
        vindra::ContextInitData init = DefaultInit();
        init.type = row.type;
        init.coreProfile = row.coreProfile;
        init.majorVersion = row.majorVersion;
        init.minorVersion = row.minorVersion;
        init.window = vindra::NativeWindow(row.window);
        ContextPtr context = Create(init);
        std::vector<std::string> lines = FirstLines(capture.Take());
        EXPECT_EQ(lines.size(), row.failure ? 1u : 0u);
        EXPECT_EQ((lines.empty() ? "" : lines[0]).rfind(row.failure ? kPrefix + row.failure : "", 0), 0u);
        ASSERT_EQ(context != nullptr, row.version >= 0);
        if (context == nullptr) continue;
        EXPECT_EQ(currentContext, context.get());
        bool core = Integer(GL_CONTEXT_PROFILE_MASK) & GL_CONTEXT_CORE_PROFILE_BIT;
        EXPECT_EQ(core ? Integer(GL_MAJOR_VERSION) * 10 + Integer(GL_MINOR_VERSION) : 0, row.version);
        EXPECT_EQ(Integer(GL_VERTEX_ARRAY_BINDING) != 0, core);  // core profile has no default vertex array
        EXPECT_EQ(Integer(GL_PACK_ALIGNMENT) + Integer(GL_UNPACK_ALIGNMENT), 2);
    }
}

TEST_F(WindowSystemTest, LegacyPathIgnoresTheRequests) {
    UseLegacyPath(true);
    vindra::ContextInitData init = DefaultInit();
    init.deepColor = init.multisample = init.floatColor = init.coreProfile = true;
    init.majorVersion = 4;
    ContextPtr context = Create(init);
    UseLegacyPath(false);
    ASSERT_TRUE(context);
    EXPECT_TRUE(capture.Take().empty());
    EXPECT_EQ(Integer(GL_SAMPLES), 0);
    EXPECT_FALSE(Integer(GL_CONTEXT_PROFILE_MASK) & GL_CONTEXT_CORE_PROFILE_BIT);
}

TEST_F(WindowSystemTest, ContextMadeToShareSeesTheBuffersOfTheOther) {
    ContextPtr first = CreateHeadless("first");
    ASSERT_TRUE(first);
    GLuint buffer = 0;
    glGenBuffers(1, &buffer);
    glBindBuffer(GL_ARRAY_BUFFER, buffer);  // the name becomes a buffer
    vindra::ContextInitData init = DefaultInit("second");
    for (Context* share : {static_cast<Context*>(nullptr), first.get()}) {
        init.shareContext = share;
        ContextPtr second = Create(init);
        ASSERT_TRUE(second);
        EXPECT_EQ(glIsBuffer(buffer), share != nullptr);
    }
}

TEST_F(WindowSystemTest, AContextIsCurrentOnOneThreadAtATime) {
    ContextPtr context = CreateHeadless();
    ASSERT_TRUE(context);
    std::thread([&context] { EXPECT_EQ(context->MakeCurrent(), 1u); }).join();
    EXPECT_EQ(FirstLines(capture.Take()), std::vector<std::string>{kPrefix + "Failed to make context current"});
    EXPECT_EQ(NativeCurrentContext(), static_cast<vindra::GlContext*>(context.get())->NativeHandle());
    // Released here, it moves, and comes back with what the other thread did.
    ASSERT_EQ(context->ClearCurrent(), 0u);
    std::thread([&context] {
        ASSERT_EQ(context->MakeCurrent(), 0u);
        EXPECT_EQ(context->SetViewPort(3, 4, 50, 60), vindra::ResultCode::Success);
        EXPECT_EQ(context->ClearCurrent(), 0u);
    }).join();
    ASSERT_EQ(context->MakeCurrent(), 0u);
    GLint viewport[4] = {};
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(std::vector<GLint>(viewport, viewport + 4), (std::vector<GLint>{3, 4, 50, 60}));
    EXPECT_TRUE(capture.Take().empty());
}

// Operations on a context other than the current one, and what the thread has current before them.
enum class After { AsBefore, NothingIfTargetWas, Nothing };
struct OtherContextCase {
    const char* name;
    After after;
    void (*run)(ContextPtr& target);
};
const OtherContextCase kOtherContextCases[] = {
    {"DeleteContext", After::NothingIfTargetWas, [](ContextPtr& target) { target.reset(); }},
    {"GetSwapInterval", After::AsBefore, [](ContextPtr& target) { target->GetSwapInterval(); }},
    {"SetSwapInterval", After::AsBefore, [](ContextPtr& target) { target->SetSwapInterval(0); }},
    {"CreateSharedContext", After::AsBefore, [](ContextPtr& target) { ContextPtr(target->CreateSharedContext()); }},
    {"ClearCurrentReleasesAnyContext", After::Nothing, [](ContextPtr& target) { target->ClearCurrent(); }},
};
enum class Before { Nothing, LibraryContext, HostContext, Target };
const char* const kBeforeNames[] = {"nothing", "another library context", "a host context", "the target"};

TEST_F(WindowSystemTest, OtherContextsLeaveTheThreadAsItWas) {
    HostGlContext host;
    for (const OtherContextCase& row : kOtherContextCases)
        for (Before before : {Before::Nothing, Before::LibraryContext, Before::HostContext, Before::Target}) {
            SCOPED_TRACE(std::string(row.name) + " with current: " + kBeforeNames[static_cast<int>(before)]);
            // Both core profile: each has its own vertex array, named alike in its own GL context.
            vindra::ContextInitData init = DefaultInit();
            init.coreProfile = true;
            init.majorVersion = 4;
            ContextPtr target = Create(init), library = Create(init);
            ASSERT_TRUE(target && library);
            GLuint libraryVao = Integer(GL_VERTEX_ARRAY_BINDING);
            if (before == Before::Nothing) library->ClearCurrent();
            if (before == Before::HostContext) host.MakeCurrent();
            if (before == Before::Target) target->MakeCurrent();
            bool gone =
                row.after == After::Nothing || (row.after == After::NothingIfTargetWas && before == Before::Target);
            const void* native = gone ? nullptr : NativeCurrentContext();
            Context* current = gone ? nullptr : currentContext;
            row.run(target);
            EXPECT_EQ(NativeCurrentContext(), native);
            EXPECT_EQ(currentContext, current);
            // The target's own names went in its own GL context, not in this one.
            bool libraryStays = before == Before::LibraryContext && !gone;
            EXPECT_TRUE(!libraryStays || glIsVertexArray(libraryVao));
            // And the library context is still this thread's: no other thread takes it.
            if (libraryStays) std::thread([&library] { EXPECT_EQ(library->MakeCurrent(), 1u); }).join();
            EXPECT_EQ(FirstLines(capture.Take()).size(), libraryStays ? 1u : 0u);
        }
}

// A presents with B as client, as its own client, or with B whose client is A again: each returns, and
// each window is presented once, as the failures show once the windows are gone.
struct SwapCase {
    const char* name;
    bool selfClient;                   // A's client is A, else B
    bool cycle;                        // B's client is A
    std::vector<int> bGone, bothGone;  // failed swaps and failed clients of A->SwapBuffers(true)
};
const SwapCase kSwapCases[] = {
    {"ClientB", false, false, {1, 1}, {2, 1}},
    {"SelfClient", true, false, {0, 0}, {1, 0}},
    {"CycleThroughB", false, true, {1, 1}, {2, 1}},
};

std::vector<int> SwapFailures(const std::vector<Message>& messages) {
    std::vector<int> counts(2);
    for (const std::string& line : FirstLines(messages)) {
        counts[0] += line.rfind(kPrefix + "Failed to swap buffers: ", 0) == 0;
        counts[1] += line.rfind(kPrefix + "Failed to swap client buffers: ", 0) == 0;
    }
    return counts;
}

TEST_F(WindowSystemTest, SwapBuffersPresentsEachContextOfTheClientChainOnce) {
    for (const SwapCase& row : kSwapCases) {
        SCOPED_TRACE(row.name);
        TestWindow aWindow, bWindow;
        ContextPtr contexts[2];
        for (int i : {1, 0}) {  // B, then A, each cleared to its colour
            vindra::ContextInitData init = DefaultInit();
            init.window = i == 0 ? aWindow.id() : bWindow.id();
            contexts[i] = Create(init);
            ASSERT_TRUE(contexts[i]);
            glClearColor(i == 0, 0, i == 1, 1);
            glClear(GL_COLOR_BUFFER_BIT);
            glFinish();
        }
        ContextPtr &a = contexts[0], &b = contexts[1];
        a->SetClient(row.selfClient ? a.get() : b.get());
        if (row.cycle) b->SetClient(a.get());
        capture.Clear();  // configuration warnings of the windows' visuals are not this test's concern
        EXPECT_EQ(a->SwapBuffers(true), 0u);
        EXPECT_EQ(aWindow.PresentedPixel(5, 5, 0xff0000ul), 0xff0000ul);
        EXPECT_EQ(bWindow.PresentedPixel(5, 5, 0x0000fful) == 0x0000fful, !row.selfClient);
        bWindow.Destroy();
        EXPECT_EQ(a->SwapBuffers(false), 0u);  // never touches the client
        EXPECT_EQ(SwapFailures(capture.Take()), std::vector<int>(2));
        EXPECT_EQ(a->SwapBuffers(true), 0u);  // a client's failure is reported only
        EXPECT_EQ(SwapFailures(capture.Take()), row.bGone);
        ContextPtr elsewhere = CreateHeadless();  // no window of a current context goes
        aWindow.Destroy();
        EXPECT_EQ(a->SwapBuffers(true), 1u);
        EXPECT_EQ(SwapFailures(capture.Take()), row.bothGone);
    }
}

}  // namespace
