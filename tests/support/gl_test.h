// Fixtures for tests on a real GL context: the messages vindra reports, GL state read back with raw queries,
// and refusal tables. Tests include it for GL, gtest and the standard containers that their tables use.
#pragma once

#include <gtest/gtest.h>

#include <GL/glew.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <functional>
#include <mutex>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "tamrik/tamrik.h"
#include "test_context.h"

namespace vindra_test {

// tamrik's message levels, as the capture records them.
constexpr int kContinuation = 0, kDebug = 1, kInfo = 2, kWarning = 3, kError = 4;

struct Message {
    int level;
    std::string text;
    bool operator==(const Message& other) const { return level == other.level && text == other.text; }
};

// One "[level] text" line each.
inline std::string Describe(const std::vector<Message>& messages) {
    std::string out;
    for (const Message& message : messages) out += "[" + std::to_string(message.level) + "] " + message.text + "\n";
    return out.empty() ? "(no messages)\n" : out;
}

// tamrik's sink (minimum level 0) for its lifetime; stderr output again after. Its mutex makes it not copyable.
class MessageCapture {
public:
    MessageCapture() { tamrik::SetMinimumLevel(0), tamrik::SetSink(&MessageCapture::Sink, this); }
    ~MessageCapture() { tamrik::SetSink(nullptr, nullptr); }

    // The messages so far, emptying the capture.
    std::vector<Message> Take() {
        std::lock_guard<std::mutex> lock(mutex);
        return std::exchange(messages, {});
    }
    // Keep what contexts report as they bring OpenCL up, or find no runtime or device (dropped by default).
    bool keepComputeSetUp = false;

private:
    static void Sink(int level, const char* text, void* user) {
        auto* self = static_cast<MessageCapture*>(user);
        // Every context lists its driver quirks at creation; no test reads that listing.
        if (level == kDebug && std::strstr(text, ": driver quirk ") != nullptr) return;
        std::lock_guard<std::mutex> lock(self->mutex);
        // So does every context about OpenCL, with the platform listing under it.
        if (level != kContinuation)
            self->droppingLines = !self->keepComputeSetUp && level >= kInfo &&
                                  (std::strncmp(text, "OpenCL: ", 8) == 0 || std::strncmp(text, "Loaded ", 7) == 0 ||
                                   std::strncmp(text, "Failed to load ", 15) == 0);
        if (!self->droppingLines) self->messages.push_back(Message{level, text});
    }
    std::mutex mutex;
    std::vector<Message> messages;
    bool droppingLines = false;  // the continuation lines of a dropped message
};

// Takes the messages captured so far and expects exactly `expected`, in order; a failure names the caller's
// line and lists both.
inline void ExpectMessages(MessageCapture& capture, const std::vector<Message>& expected,
                           const char* file = __builtin_FILE(), int line = __builtin_LINE()) {
    const std::vector<Message> taken = capture.Take();
    if (taken != expected)
        ADD_FAILURE_AT(file, line) << "messages:\n" << Describe(taken) << "expected:\n" << Describe(expected);
}
// The one message `text` at `level`, or no message at all when it is empty.
inline std::vector<Message> OneOrNone(const std::string& text, int level = kError) {
    return text.empty() ? std::vector<Message>{} : std::vector<Message>{{level, text}};
}

// One integer of GL state (a binding, a limit, an enumeration); -1 when GL wrote none.
inline GLint Get(GLenum pname) {
    GLint value = -1;
    glGetIntegerv(pname, &value);
    return value;
}
// Every value of each pname in turn, read as floats: four of GL_VIEWPORT or GL_COLOR_WRITEMASK, two of
// GL_POLYGON_MODE, one of most. Enables and masks read 0 or 1.
inline std::vector<float> GetValues(const std::vector<GLenum>& pnames) {
    std::vector<float> values;
    for (GLenum pname : pnames) {
        float read[4] = {NAN, NAN, NAN, NAN};  // GL writes as many values as the state has
        glGetFloatv(pname, read);
        if (std::isnan(read[0])) ADD_FAILURE() << "GL has no value for 0x" << std::hex << pname;
        for (int i = 0; i < 4 && !std::isnan(read[i]); ++i) values.push_back(read[i]);
    }
    return values;
}

// One row of a refusal table: the call, its result and the one message it reports ("": none), an error
// unless `level` says otherwise.
struct Refusal {
    const char* name;
    std::function<vindra::ResultCode()> call;
    vindra::ResultCode result;
    std::string message;
    int level = kError;
};

// A context made from `init` (by default as most hosts make it: headless, GL version left to the
// driver), current on the test's thread, with what it reports captured after its creation.
class ContextTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = Create(init);
        ASSERT_TRUE(context) << Describe(capture.Take());
        capture.Take();
    }
    void TearDown() override {
        // Each test ends with no GL error left pending and no message left unread.
        EXPECT_EQ(context && expectNoPendingGlError ? glGetError() : GLenum(GL_NO_ERROR), GLenum(GL_NO_ERROR));
        ExpectMessages({});
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
            ExpectMessages(OneOrNone(row.message, row.level));
        }
    }

    vindra::ContextInitData init = DefaultInit("test");
    MessageCapture capture;  // outlives the context
    ContextPtr context;
    bool expectNoPendingGlError = true;
};

// For tests of GL resources and drawing: an OpenGL 4.5 core context.
class GlTest : public ContextTest {
protected:
    GlTest() { init.coreProfile = true, init.majorVersion = 4, init.minorVersion = 5; }

    // RGBA8 of one pixel of the bound read framebuffer.
    std::array<uint8_t, 4> ReadPixel(int x, int y) {
        std::array<uint8_t, 4> pixel{};
        glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, pixel.data());
        return pixel;
    }
};

}  // namespace vindra_test
