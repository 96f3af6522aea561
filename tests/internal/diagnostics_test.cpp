// LogMessage routing and the GL error drain, on a real GL context.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include <deque>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "message_capture.h"
#include "test_context.h"
#include "tamrik/tamrik.h"

// Mesa keeps one GL error flag, so two errors are never pending at once on a real driver. This
// glGetError, which the library's objects linked into this executable call, hands out scripted
// errors first and then asks the driver. (Windows imports glGetError from opengl32.dll, which
// cannot be replaced this way: the drain test is Linux-only.)
#if !defined(_WIN32)
#  include <dlfcn.h>
#  define VINDRA_SCRIPTED_GL_ERRORS 1
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

using vindra::CheckGlError;
using vindra::LogMessage;
using vindra::MessageLevel;
using vindra::ResultCode;
using vindra_test::Message;
using vindra_test::MessageCapture;

TEST(LogMessage, EachLevelReachesItsFunctionAndUnknownLevelsWarn) {
    MessageCapture capture;
    for (int level : {0, 1, 2, 3, 4, 5, -1})
        LogMessage(static_cast<MessageLevel>(level), "level %d says %s", level, "hi");
    std::vector<Message> expected = {{0, "level 0 says hi"}, {1, "level 1 says hi"}, {2, "level 2 says hi"},
                                     {3, "level 3 says hi"}, {4, "level 4 says hi"}, {3, "level 5 says hi"},
                                     {3, "level -1 says hi"}};
    EXPECT_EQ(capture.Take(), expected);
}

TEST(LogMessage, ReturnsTheHostFunctionsAnswer) {
    MessageCapture capture;
    tamrik::SetMinimumLevel(2);
    EXPECT_EQ(LogMessage(MessageLevel::Debug, "GL: Shader compilation info:"), 0);
    EXPECT_EQ(LogMessage(MessageLevel::Continuation, "%s", "log line follows its header"), 0);
    EXPECT_NE(LogMessage(MessageLevel::Error, "kept"), 0);
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{4, "kept"}}));
}

class CheckGlErrorTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = vindra_test::CreateHeadless();
        ASSERT_TRUE(context);
        while (glGetError() != GL_NO_ERROR) {
        }
        capture.Clear();
    }

    vindra_test::ContextPtr context;
    MessageCapture capture;
};

TEST_F(CheckGlErrorTest, NoPendingErrorIsSilentSuccess) {
    EXPECT_EQ(CheckGlError("Test::Quiet"), ResultCode::Success);
    EXPECT_TRUE(capture.Take().empty());
}

TEST_F(CheckGlErrorTest, RealErrorsMapToTheirCodes) {
    glEnable(0xFFFF);
    EXPECT_EQ(CheckGlError("Test::Enum"), ResultCode::InvalidEnum);
    glViewport(0, 0, -1, -1);
    EXPECT_EQ(CheckGlError("Test::Value"), ResultCode::InvalidValue);
    glEndQuery(GL_SAMPLES_PASSED);  // no query active
    EXPECT_EQ(CheckGlError("Test::Operation"), ResultCode::InvalidOperation);
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{4, "Test::Enum: GL_INVALID_ENUM"},
                                                    {4, "Test::Value: GL_INVALID_VALUE"},
                                                    {4, "Test::Operation: GL_INVALID_OPERATION"}}));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

TEST_F(CheckGlErrorTest, OtherErrorsShowTheirValueInFourColumnsAndFail) {
    GLuint fbo = 0;
    glGenFramebuffers(1, &fbo);
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);  // no attachments: incomplete
    glClear(GL_COLOR_BUFFER_BIT);
    EXPECT_EQ(CheckGlError("Test::Incomplete"), ResultCode::Failed);
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{4, "Test::Incomplete: GL error ( 506)"}}));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &fbo);
}

#if defined(VINDRA_SCRIPTED_GL_ERRORS)
TEST_F(CheckGlErrorTest, DrainsEveryPendingErrorAndAnswersTheLast) {
    scriptedErrors = {GL_INVALID_VALUE, GL_OUT_OF_MEMORY};
    glEnable(0xFFFF);  // and the driver's own, after the scripted ones
    EXPECT_EQ(CheckGlError("Test::Drain"), ResultCode::InvalidEnum);
    EXPECT_EQ(capture.Take(), (std::vector<Message>{{4, "Test::Drain: GL_INVALID_VALUE"},
                                                    {4, "Test::Drain: GL_OUT_OF_MEMORY"},
                                                    {4, "Test::Drain: GL_INVALID_ENUM"}}));
    scriptedErrors = {GL_INVALID_VALUE, GL_OUT_OF_MEMORY};
    EXPECT_EQ(CheckGlError("Test::Drain"), ResultCode::OutOfMemory);
    scriptedErrors = {GL_STACK_OVERFLOW};
    EXPECT_EQ(CheckGlError("Test::Stack"), ResultCode::Failed);
    EXPECT_TRUE(capture.Contains(4, "Test::Stack: GL error ( 503)"));
}
#endif

}  // namespace
