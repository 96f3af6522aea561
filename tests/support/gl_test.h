// Fixture for tests of GL resources and drawing: a headless OpenGL 4.5 core context, current on the
// test's thread, with the messages it reports captured.
#ifndef VINDRA_TESTS_SUPPORT_GL_TEST_H
#define VINDRA_TESTS_SUPPORT_GL_TEST_H

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <cstdint>
#include <vector>

#include "message_capture.h"
#include "test_context.h"

namespace vindra_test {

class GlTest : public ::testing::Test {
protected:
    void SetUp() override;
    void TearDown() override;

    // RGBA8 of one pixel of the bound read framebuffer.
    std::array<uint8_t, 4> ReadPixel(int x, int y);
    // Messages reported since the last call (or since SetUp), in order.
    std::vector<Message> Messages() { return capture.Take(); }
    // Drains GL errors left by raw calls of the test itself.
    static void DrainGlErrors();

    MessageCapture capture;
    ContextPtr context;
    // Extra check for TearDown: each test ends with no GL error left pending.
    bool expectNoPendingGlError = true;
};

}  // namespace vindra_test

#endif
