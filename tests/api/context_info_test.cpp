// Identity and GetInfo through the public API, compared with what raw GL and GLX answer.
#include <GL/glew.h>
#include <gtest/gtest.h>

// After gtest: Xlib's None and Bool macros clash with its names.
#if !defined(_WIN32)
#  include <GL/glxew.h>
#endif

#include "test_context.h"

#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "message_capture.h"

using vindra::ContextInfo;
using vindra::ResultCode;

namespace {

constexpr size_t kUnset = 0xDEAD;

bool HasGlExtension(const char* name) {
    GLint count = 0;
    glGetIntegerv(GL_NUM_EXTENSIONS, &count);
    for (GLint i = 0; i < count; ++i)
        if (std::strcmp(reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i)), name) == 0) return true;
    return false;
}

std::string GlString(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }

// GetInfo reports nothing and leaves no GL error behind, whatever it answers.
class ContextInfoTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = vindra_test::CreateHeadless();
        ASSERT_NE(context, nullptr) << vindra_test::Describe(messages.Peek());
        messages.Clear();
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_TRUE(messages.Peek().empty()) << vindra_test::Describe(messages.Peek());
    }
    // GetInfo's result and the size it reported (kUnset when it wrote none).
    std::pair<ResultCode, size_t> Info(ContextInfo query, size_t size, void* data) {
        size_t sizeRet = kUnset;
        ResultCode result = context->GetInfo(query, size, data, &sizeRet);
        return {result, sizeRet};
    }

    vindra_test::MessageCapture messages;  // outlives the context
    vindra_test::ContextPtr context;
};
using Answer = std::pair<ResultCode, size_t>;
constexpr ResultCode kSuccess = ResultCode::Success, kInvalid = ResultCode::InvalidValue;

TEST_F(ContextInfoTest, IntegerQueriesAnswerWhatGlAnswers) {
    const std::pair<ContextInfo, std::vector<GLenum>> queries[] = {
        {ContextInfo::MaxTextureSize, {GL_MAX_TEXTURE_SIZE}},
        {ContextInfo::MaxTextureImageUnits, {GL_MAX_TEXTURE_IMAGE_UNITS}},
        {ContextInfo::ColorBits, {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS}},
        {ContextInfo::Samples, {GL_SAMPLES}},
        {ContextInfo::MaxSamples, {GL_MAX_SAMPLES}},
    };
    for (const auto& [query, pnames] : queries) {
        SCOPED_TRACE("query " + std::to_string(int(query)));
        const size_t bytes = pnames.size() * sizeof(int32_t);
        std::vector<int32_t> expected, out(pnames.size(), -7);
        for (GLenum pname : pnames) glGetIntegerv(pname, &expected.emplace_back(-1));
        // Too small or null: refused with the size it needs, nothing written.
        EXPECT_EQ(Info(query, bytes - 1, out.data()), Answer(kInvalid, bytes));
        EXPECT_EQ(out, std::vector<int32_t>(pnames.size(), -7));
        EXPECT_EQ(Info(query, bytes, nullptr), Answer(kInvalid, bytes));
        EXPECT_EQ(Info(query, bytes, out.data()), Answer(kSuccess, bytes));
        EXPECT_EQ(out, expected);
        EXPECT_EQ(context->GetInfo(query, bytes, out.data(), nullptr), kSuccess);
    }
}

// This build's contexts have no compute state yet, so ComputeVersion answers its fall-back text.
TEST_F(ContextInfoTest, StringQueriesAnswerTheirTextAndTruncateToTheBuffer) {
    const std::pair<ContextInfo, std::string> queries[] = {
        {ContextInfo::Renderer, GlString(GL_RENDERER)},
        {ContextInfo::Version, "OpenGL " + GlString(GL_VERSION)},
        {ContextInfo::ComputeVersion, "OpenCL: Unknown"},
    };
    for (const auto& [query, text] : queries) {
        SCOPED_TRACE(text);
        ASSERT_GT(text.size(), 9u);
        const Answer refused(kInvalid, text.size() + 1), answered(kSuccess, text.size() + 1);
        EXPECT_EQ(Info(query, 0, nullptr), refused);
        EXPECT_EQ(Info(query, 64, nullptr), refused);
        std::vector<char> buffer(512, 'x');
        EXPECT_EQ(Info(query, buffer.size(), buffer.data()), answered);
        EXPECT_EQ(std::string(buffer.data()), text);
        // A short buffer gets a terminated prefix and nothing past its end.
        std::fill(buffer.begin(), buffer.end(), 'x');
        EXPECT_EQ(Info(query, 10, buffer.data()), answered);
        EXPECT_EQ(std::string(buffer.data(), 11), text.substr(0, 9) + '\0' + 'x');
    }
}

TEST_F(ContextInfoTest, ComputeQueriesWithoutComputeStateAnswerInvalidValue) {
    // Handle queries write a null handle (all 8 bytes) before finding there is none.
    for (ContextInfo query : {ContextInfo::ComputeQueue, ContextInfo::ComputeContext, ContextInfo::ComputePlatform,
                              ContextInfo::ComputeDevice}) {
        SCOPED_TRACE("query " + std::to_string(int(query)));
        uint64_t handle = 0xAAAAAAAAAAAAAAAAull;
        EXPECT_EQ(Info(query, sizeof handle, &handle), Answer(kInvalid, 8));
        EXPECT_EQ(handle, 0u);
        EXPECT_EQ(Info(query, sizeof handle, nullptr), Answer(kInvalid, 8));
    }
    // The others write nothing; unknown queries answer size 0.
    const std::pair<ContextInfo, size_t> unanswered[] = {
        {ContextInfo::ComputeLocalMemSize, 8}, {ContextInfo::ComputeUnits, 4}, {ContextInfo::ComputeDeviceName, 0},
        {ContextInfo(19), 0}, {ContextInfo(0xFFFFFFFFu), 0}};
    for (auto [query, size] : unanswered) {
        SCOPED_TRACE("query " + std::to_string(uint32_t(query)));
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        EXPECT_EQ(Info(query, sizeof buffer, buffer), Answer(kInvalid, size));
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x'));
    }
}

TEST_F(ContextInfoTest, TessellationAndExtensionQueriesFollowTheExtensionList) {
    ASSERT_TRUE(HasGlExtension("GL_ARB_tessellation_shader"));  // llvmpipe has it
    uint8_t supported = 0xEE;
    EXPECT_EQ(Info(ContextInfo::TessellationSupport, 0, &supported), Answer(kInvalid, 1));
    EXPECT_EQ(supported, 0xEE);
    EXPECT_EQ(Info(ContextInfo::TessellationSupport, 1, &supported), Answer(kSuccess, 1));
    EXPECT_EQ(supported, 1);

    const std::pair<const char*, ResultCode> extensions[] = {
        {"GL_ARB_tessellation_shader", kSuccess},
        {"GL_NV_nonexistent", kInvalid},
        {"GL_ARB_tessellation", kInvalid},  // a prefix of a supported name
        {nullptr, kInvalid},
    };
    for (auto [name, expected] : extensions) {
        SCOPED_TRACE(name != nullptr ? name : "(null)");
        EXPECT_EQ(Info(ContextInfo::Extension, 0, const_cast<char*>(name)), Answer(expected, 0));
    }
}

// Without NVX, AMD association or compute state, only GLX_MESA_query_renderer knows the size: on
// WGL (Wine on Mesa) the answer is 0, which GetInfo refuses.
TEST_F(ContextInfoTest, VideoMemoryComesFromTheMesaRendererQuery) {
    ASSERT_FALSE(HasGlExtension("GL_NVX_gpu_memory_info"));
    unsigned int megabytes = 0;
#if defined(_WIN32)
    uint64_t unknown = 1;
    EXPECT_EQ(context->GetInfo(ContextInfo::TotalVideoMemory, sizeof unknown, &unknown, nullptr), kInvalid);
    EXPECT_EQ(unknown, 0u);
    GTEST_SKIP() << "no renderer query on WGL";
#else
    ASSERT_TRUE(GLXEW_MESA_query_renderer);
    ASSERT_TRUE(glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes));
    ASSERT_NE(megabytes, 0u);
#endif
    uint64_t total = 0;
    EXPECT_EQ(Info(ContextInfo::TotalVideoMemory, 7, &total), Answer(kInvalid, 8));
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(Info(ContextInfo::TotalVideoMemory, sizeof total, &total), Answer(kSuccess, 8));
    EXPECT_EQ(total, uint64_t{megabytes} * 1048576);
    // Only GL_NVX_gpu_memory_info tells the available memory.
    uint64_t available = ~0ull;
    EXPECT_EQ(Info(ContextInfo::AvailableVideoMemory, sizeof available, &available), Answer(kInvalid, 8));
    EXPECT_EQ(available, 0u);
}

TEST(ContextIdentityTest, NameTypeAndFixedAnswers) {
    vindra_test::MessageCapture messages;
    const std::string longName = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    {
        vindra_test::ContextPtr context = vindra_test::CreateHeadless(longName.c_str());
        ASSERT_NE(context, nullptr) << vindra_test::Describe(messages.Peek());
        EXPECT_EQ(std::string(context->GetName()), longName.substr(0, 31));
        EXPECT_EQ(context->GetType(), 1);
        EXPECT_EQ((std::vector<int64_t>{context->ReservedQuery3(), context->ReservedQuery10(),
                                        context->ReservedQuery16(), int64_t(context->ReservedQuery17()),
                                        context->ReservedQuery20(), context->ReservedQuery21()}),
                  (std::vector<int64_t>{1, 0, 0, 0, 1, 1}));
    }
    vindra_test::ContextPtr unnamed = vindra_test::Create(vindra_test::DefaultInit(nullptr));
    ASSERT_NE(unnamed, nullptr);
    EXPECT_STREQ(unnamed->GetName(), "");
    EXPECT_TRUE(messages.Peek().empty()) << vindra_test::Describe(messages.Peek());
}

}  // namespace
