// LogMessage routing and the GL error drain, on a real GL context.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <deque>
#include <vector>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl_test.h"
#include "tamrik/tamrik.h"

// Mesa keeps one GL error flag, so two errors are never pending at once on a real driver. This
// glGetError, which the library's objects linked into this executable call, hands out scripted
// errors first and then asks the driver. (Windows imports glGetError from opengl32.dll, which
// cannot be replaced this way: the scripted rows are Linux-only.)
#if !defined(_WIN32)
#include <dlfcn.h>
#define VINDRA_SCRIPTED_GL_ERRORS 1
namespace {
std::deque<GLenum> scriptedErrors;
}

extern "C" GLenum glGetError() {
    if (!scriptedErrors.empty()) {
        GLenum error = scriptedErrors.front();
        scriptedErrors.pop_front();
        return error;
    }
    using GetError = GLenum (*)();
    static GetError driver = reinterpret_cast<GetError>(dlsym(RTLD_NEXT, "glGetError"));
    return driver();
}
#endif

namespace {

using namespace vindra_test;
using vindra::ResultCode;

// Each level reaches tamrik's function of that level; unknown ones are shown as warnings rather than lost.
TEST(LogMessage, EachLevelReachesItsFunction) {
    MessageCapture capture;
    const std::pair<int, int> levels[] = {{0, kContinuation}, {1, kDebug},   {2, kInfo},    {3, kWarning},
                                          {4, kError},        {5, kWarning}, {-1, kWarning}};
    std::vector<Message> expected;
    for (auto [level, reached] : levels) {
        EXPECT_NE(vindra::LogMessage(vindra::MessageLevel(level), "level %d says %s", level, "hi"), 0);
        expected.push_back({reached, "level " + std::to_string(level) + " says hi"});
    }
    ExpectMessages(capture, expected);
    // The answer is the host function's: 0 for a message below its minimum level.
    tamrik::SetMinimumLevel(kInfo);
    EXPECT_EQ(vindra::LogMessage(vindra::MessageLevel::Debug, "dropped"), 0);
    ExpectMessages(capture, {});
}

// Scripted errors come before the one that the raw GL calls of `raise` leave pending.
struct DrainRow {
    const char* name;
    std::deque<GLenum> scripted;
    void (*raise)();
    ResultCode result;
    std::vector<Message> messages;
};
const DrainRow kDrains[] = {
    {"nothing pending", {}, [] {}, ResultCode::Success, {}},
    {"invalid enum", {}, [] { glEnable(0xFFFF); }, ResultCode::InvalidEnum, {{kError, "Test: GL_INVALID_ENUM"}}},
    {"invalid value",
     {},
     [] { glViewport(0, 0, -1, -1); },
     ResultCode::InvalidValue,
     {{kError, "Test: GL_INVALID_VALUE"}}},
    {"invalid operation",
     {},
     [] { glEndQuery(GL_SAMPLES_PASSED); },
     ResultCode::InvalidOperation,
     {{kError, "Test: GL_INVALID_OPERATION"}}},
    // Any other error shows its value in four columns. (The default context has the compatibility profile.)
    {"stack underflow", {}, [] { glPopMatrix(); }, ResultCode::Failed, {{kError, "Test: GL error ( 504)"}}},
#if defined(VINDRA_SCRIPTED_GL_ERRORS)
    // Every pending error is reported in GL's order and the last one answers.
    {"three pending",
     {GL_INVALID_VALUE, GL_OUT_OF_MEMORY},
     [] { glEnable(0xFFFF); },
     ResultCode::InvalidEnum,
     {{kError, "Test: GL_INVALID_VALUE"}, {kError, "Test: GL_OUT_OF_MEMORY"}, {kError, "Test: GL_INVALID_ENUM"}}},
    {"out of memory last",
     {GL_INVALID_VALUE, GL_OUT_OF_MEMORY},
     [] {},
     ResultCode::OutOfMemory,
     {{kError, "Test: GL_INVALID_VALUE"}, {kError, "Test: GL_OUT_OF_MEMORY"}}},
    {"stack overflow", {GL_STACK_OVERFLOW}, [] {}, ResultCode::Failed, {{kError, "Test: GL error ( 503)"}}},
#endif
};

using CheckGlError = ContextTest;
TEST_F(CheckGlError, DrainsEveryPendingErrorAndAnswersTheLast) {
    for (const DrainRow& row : kDrains) {
        SCOPED_TRACE(row.name);
        row.raise();
#if defined(VINDRA_SCRIPTED_GL_ERRORS)
        scriptedErrors = row.scripted;
#endif
        EXPECT_EQ(vindra::CheckGlError("Test"), row.result);
        ExpectMessages(row.messages);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

}  // namespace
