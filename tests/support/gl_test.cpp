#include "gl_test.h"

namespace vindra_test {

void GlTest::SetUp() {
    vindra::ContextInitData init = DefaultInit("gl-test");
    init.coreProfile = true;
    init.majorVersion = 4;
    init.minorVersion = 5;
    context = Create(init);
    ASSERT_TRUE(context) << Describe(capture.Peek());
    capture.Clear();
}

void GlTest::TearDown() {
    if (context && expectNoPendingGlError) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    context.reset();
}

std::array<uint8_t, 4> GlTest::ReadPixel(int x, int y) {
    std::array<uint8_t, 4> pixel{};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
    return pixel;
}

void GlTest::DrainGlErrors() {
    while (glGetError() != GL_NO_ERROR) {
    }
}

}  // namespace vindra_test
