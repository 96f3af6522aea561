// Fixtures for tests on a real GL context, GL state read back with raw queries, and refusal tables. Tests
// include it for GL, gtest and the standard containers that their tables use.
#ifndef VINDRA_TESTS_SUPPORT_GL_TEST_H
#define VINDRA_TESTS_SUPPORT_GL_TEST_H

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <tuple>
#include <vector>

#include "message_capture.h"
#include "test_context.h"

namespace vindra_test {

// One integer of GL state (a binding, a limit, an enumeration); -1 when GL wrote none.
GLint Get(GLenum pname);
// Every value of each pname in turn, read as floats: four of GL_VIEWPORT or GL_COLOR_WRITEMASK, two of
// GL_POLYGON_MODE, one of most. Enables and masks read 0 or 1.
std::vector<float> GetValues(const std::vector<GLenum>& pnames);

// One row of a refusal table: the call, its result and the one error it reports ("": none).
struct Refusal {
    const char* name;
    std::function<vindra::ResultCode()> call;
    vindra::ResultCode result;
    std::string message;
};

// A context made from `init` (by default as most hosts make it: headless, GL version left to the
// driver), current on the test's thread, with what it reports captured after its creation.
class ContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = Create(init);
        ASSERT_TRUE(context) << Describe(capture.Take());
        capture.Clear();
    }
    void TearDown() override {
        if (context && expectNoPendingGlError) {
            EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        }
        context.reset();
    }
    void ExpectMessages(const std::vector<Message>& expected, const char* file = __builtin_FILE(),
                        int line = __builtin_LINE()) {
        vindra_test::ExpectMessages(capture, expected, file, line);
    }
    // Runs the rows in order; a failure names its row.
    void ExpectRefusals(const std::vector<Refusal>& rows) {
        for (const Refusal& row : rows) {
            SCOPED_TRACE(row.name);
            EXPECT_EQ(row.call(), row.result);
            ExpectMessages(ErrorOrNone(row.message));
        }
    }

    vindra::ContextInitData init = DefaultInit("test");
    MessageCapture capture;  // outlives the context
    ContextPtr context;
    // Extra check for TearDown: each test ends with no GL error left pending.
    bool expectNoPendingGlError = true;
};

// For tests of GL resources and drawing: an OpenGL 4.5 core context.
class GlTest : public ContextTest {
protected:
    GlTest() {
        init.coreProfile = true;
        init.majorVersion = 4;
        init.minorVersion = 5;
    }

    // RGBA8 of one pixel of the bound read framebuffer.
    std::array<uint8_t, 4> ReadPixel(int x, int y) {
        std::array<uint8_t, 4> pixel{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
        return pixel;
    }
};

}  // namespace vindra_test

#endif
