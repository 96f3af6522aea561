// The GL error drain, on a real GL context.
#include "core/check_gl_error.h"
#include "gl_test.h"

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

using namespace vindra_test;
using CheckGlError = ContextTest;

// Every pending error is reported in GL's order under the operation's name, one GL does not name with its
// value in four columns, and the last one answers.
TEST_F(CheckGlError, DrainsEveryPendingErrorAndAnswersTheLast) {
    scriptedErrors = {GL_INVALID_VALUE, GL_STACK_UNDERFLOW, GL_INVALID_ENUM, GL_OUT_OF_MEMORY};
    EXPECT_EQ(vindra::CheckGlError("Test"), vindra::ResultCode::OutOfMemory);
    ExpectMessages({{kError, "Test: GL_INVALID_VALUE"},
                    {kError, "Test: GL error ( 504)"},
                    {kError, "Test: GL_INVALID_ENUM"},
                    {kError, "Test: GL_OUT_OF_MEMORY"}});
    EXPECT_TRUE(scriptedErrors.empty());
}

#endif
