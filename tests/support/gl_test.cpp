#include "gl_test.h"

#include <cmath>
#include <limits>

namespace vindra_test {

GLint Get(GLenum pname) {
    GLint value = -1;
    glGetIntegerv(pname, &value);
    return value;
}

std::vector<float> GetValues(const std::vector<GLenum>& pnames) {
    std::vector<float> values;
    for (GLenum pname : pnames) {
        // GL writes as many values as the state has; the rest keep their NaN.
        const float nan = std::numeric_limits<float>::quiet_NaN();
        float read[4] = {nan, nan, nan, nan};
        glGetFloatv(pname, read);
        if (std::isnan(read[0])) ADD_FAILURE() << "GL has no value for 0x" << std::hex << pname;
        for (int i = 0; i < 4 && !std::isnan(read[i]); ++i) values.push_back(read[i]);
    }
    return values;
}

void ContextTest::SetUp() {
    context = Create(init);
    ASSERT_TRUE(context) << Describe(capture.Peek());
    capture.Clear();
}

void ContextTest::TearDown() {
    if (context && expectNoPendingGlError) {
        EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }
    context.reset();
}

GlTest::GlTest() {
    init.name = "gl-test";
    init.coreProfile = true;
    init.majorVersion = 4;
    init.minorVersion = 5;
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
