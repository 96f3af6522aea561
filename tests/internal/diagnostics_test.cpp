// The GL error drain, on a real GL context.
#include "core/check_gl_error.h"
#include "gl_test.h"

using namespace vindra_test;
using vindra::ResultCode;

// Mesa keeps one GL error flag, so two errors are never pending at once on a real driver. This glGetError,
// which the library's objects linked into this executable call, hands out scripted errors first and then
// asks the driver. (Windows imports glGetError from opengl32.dll, which cannot be replaced this way.)
#if !defined(_WIN32)
#include <dlfcn.h>

static std::vector<GLenum> scriptedErrors;

extern "C" GLenum glGetError() {
    if (scriptedErrors.empty()) return reinterpret_cast<GLenum (*)()>(dlsym(RTLD_NEXT, "glGetError"))();
    const GLenum error = scriptedErrors.front();
    scriptedErrors.erase(scriptedErrors.begin());
    return error;
}
#endif

namespace {

// Each error is reported under the operation's name and answers as its code; any other error shows its value
// in four columns. (The default context has the compatibility profile.)
// clang-format off
const std::tuple<void (*)(), ResultCode, std::vector<Message>> kErrors[] = {
    {[] { glPopMatrix(); }, ResultCode::Failed, {{kError, "Test: GL error ( 504)"}}},  // stack underflow
#if !defined(_WIN32)
    // Every pending error is reported in GL's order and the last one answers.
    {[] { scriptedErrors = {GL_INVALID_VALUE, GL_INVALID_ENUM, GL_OUT_OF_MEMORY}; }, ResultCode::OutOfMemory, {{kError, "Test: GL_INVALID_VALUE"}, {kError, "Test: GL_INVALID_ENUM"}, {kError, "Test: GL_OUT_OF_MEMORY"}}},
#endif
};
// clang-format on

using CheckGlError = ContextTest;
TEST_F(CheckGlError, DrainsEveryPendingErrorAndAnswersTheLast) {
    for (const auto& [raise, result, messages] : kErrors) {
        SCOPED_TRACE(messages.back().text);
        raise();
        EXPECT_EQ(vindra::CheckGlError("Test"), result);
        ExpectMessages(messages);  // an error left behind would show in the next row's, or at the end
    }
}

}  // namespace
