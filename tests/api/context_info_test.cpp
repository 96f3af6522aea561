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
#include <vector>

#include "message_capture.h"

using vindra::ContextInfo;
using vindra::ResultCode;

namespace {

constexpr size_t kUnsetSize = 0xDEAD;

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
        ASSERT_NE(context, nullptr);
        messages.Clear();
    }
    void TearDown() override {
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        EXPECT_TRUE(messages.Peek().empty()) << vindra_test::Describe(messages.Peek());
    }

    ResultCode Info(ContextInfo query, size_t size, void* data, size_t* sizeRet) {
        return context->GetInfo(query, size, data, sizeRet);
    }

    vindra_test::MessageCapture messages;  // outlives the context
    vindra_test::ContextPtr context;
};

TEST_F(ContextInfoTest, IntegerQueriesAnswerWhatGlAnswers) {
    struct IntegerQuery {
        ContextInfo query;
        std::vector<GLenum> pnames;
    };
    const IntegerQuery queries[] = {
        {ContextInfo::MaxTextureSize, {GL_MAX_TEXTURE_SIZE}},
        {ContextInfo::MaxTextureImageUnits, {GL_MAX_TEXTURE_IMAGE_UNITS}},
        {ContextInfo::ColorBits, {GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS}},
        {ContextInfo::Samples, {GL_SAMPLES}},
        {ContextInfo::MaxSamples, {GL_MAX_SAMPLES}},
    };
    for (const IntegerQuery& row : queries) {
        SCOPED_TRACE("query " + std::to_string(static_cast<int>(row.query)));
        const size_t bytes = row.pnames.size() * sizeof(int32_t);
        std::vector<int32_t> expected;
        for (GLenum pname : row.pnames) {
            GLint value = -1;
            glGetIntegerv(pname, &value);
            expected.push_back(value);
        }

        size_t sizeRet = kUnsetSize;
        std::vector<int32_t> out(row.pnames.size(), -7);
        EXPECT_EQ(Info(row.query, bytes - 1, out.data(), &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(sizeRet, bytes);
        EXPECT_EQ(out, std::vector<int32_t>(row.pnames.size(), -7));

        sizeRet = kUnsetSize;
        EXPECT_EQ(Info(row.query, bytes, nullptr, &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(sizeRet, bytes);

        sizeRet = kUnsetSize;
        EXPECT_EQ(Info(row.query, bytes, out.data(), &sizeRet), ResultCode::Success);
        EXPECT_EQ(sizeRet, bytes);
        EXPECT_EQ(out, expected);
        EXPECT_EQ(Info(row.query, bytes, out.data(), nullptr), ResultCode::Success);
    }
}

// This build's contexts have no compute state yet, so ComputeVersion answers its fall-back text.
TEST_F(ContextInfoTest, StringQueriesAnswerTheirTextAndTruncateToTheBuffer) {
    struct StringQuery {
        ContextInfo query;
        std::string expected;
    };
    const StringQuery queries[] = {
        {ContextInfo::Renderer, GlString(GL_RENDERER)},
        {ContextInfo::Version, "OpenGL " + GlString(GL_VERSION)},  // size: strlen(GL_VERSION) + 8
        {ContextInfo::ComputeVersion, "OpenCL: Unknown"},           // size 16
    };
    for (const StringQuery& row : queries) {
        SCOPED_TRACE(row.expected);
        ASSERT_GT(row.expected.size(), 9u);
        size_t sizeRet = kUnsetSize;
        EXPECT_EQ(Info(row.query, 0, nullptr, &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(sizeRet, row.expected.size() + 1);

        sizeRet = kUnsetSize;
        EXPECT_EQ(Info(row.query, 64, nullptr, &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(sizeRet, row.expected.size() + 1);

        std::vector<char> buffer(512, 'x');
        sizeRet = kUnsetSize;
        EXPECT_EQ(Info(row.query, buffer.size(), buffer.data(), &sizeRet), ResultCode::Success);
        EXPECT_EQ(std::string(buffer.data()), row.expected);
        EXPECT_EQ(sizeRet, row.expected.size() + 1);

        // A short buffer gets a terminated prefix and nothing past its end.
        std::fill(buffer.begin(), buffer.end(), 'x');
        EXPECT_EQ(Info(row.query, 10, buffer.data(), &sizeRet), ResultCode::Success);
        EXPECT_EQ(std::string(buffer.data()), row.expected.substr(0, 9));
        EXPECT_EQ(buffer[10], 'x');
        EXPECT_EQ(sizeRet, row.expected.size() + 1);
    }
}

TEST_F(ContextInfoTest, ComputeQueriesWithoutComputeStateAnswerInvalidValue) {
    // Handle queries write a null handle (all 8 bytes) before finding there is none.
    for (ContextInfo query : {ContextInfo::ComputeQueue, ContextInfo::ComputeContext, ContextInfo::ComputePlatform,
                              ContextInfo::ComputeDevice}) {
        SCOPED_TRACE("query " + std::to_string(static_cast<int>(query)));
        uint64_t handle = 0xAAAAAAAAAAAAAAAAull;
        size_t sizeRet = kUnsetSize;
        EXPECT_EQ(Info(query, sizeof handle, &handle, &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(handle, 0u);
        EXPECT_EQ(sizeRet, 8u);
        sizeRet = kUnsetSize;
        EXPECT_EQ(Info(query, sizeof handle, nullptr, &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(sizeRet, 8u);
    }
    struct Unanswered {
        ContextInfo query;
        size_t size;
    };
    for (const Unanswered& row : {Unanswered{ContextInfo::ComputeLocalMemSize, 8},
                                  Unanswered{ContextInfo::ComputeUnits, 4},
                                  Unanswered{ContextInfo::ComputeDeviceName, 0}}) {
        SCOPED_TRACE("query " + std::to_string(static_cast<int>(row.query)));
        char buffer[64];
        std::memset(buffer, 'x', sizeof buffer);
        size_t sizeRet = kUnsetSize;
        EXPECT_EQ(Info(row.query, sizeof buffer, buffer, &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(sizeRet, row.size);
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x'));
    }
}

TEST_F(ContextInfoTest, TessellationSupportFollowsTheExtensionList) {
    ASSERT_TRUE(HasGlExtension("GL_ARB_tessellation_shader"));  // llvmpipe has it
    uint8_t supported = 0xEE;
    size_t sizeRet = kUnsetSize;
    EXPECT_EQ(Info(ContextInfo::TessellationSupport, 0, &supported, &sizeRet), ResultCode::InvalidValue);
    EXPECT_EQ(supported, 0xEE);
    EXPECT_EQ(sizeRet, 1u);
    EXPECT_EQ(Info(ContextInfo::TessellationSupport, 1, &supported, &sizeRet), ResultCode::Success);
    EXPECT_EQ(supported, 1);
    EXPECT_EQ(sizeRet, 1u);
}

// Without NVX, AMD association or compute state, only GLX_MESA_query_renderer knows the size: on
// WGL (Wine on Mesa) the answer is 0, which GetInfo refuses.
TEST_F(ContextInfoTest, VideoMemoryComesFromTheMesaRendererQuery) {
    ASSERT_FALSE(HasGlExtension("GL_NVX_gpu_memory_info"));
#if defined(_WIN32)
    uint64_t unknown = 1;
    EXPECT_EQ(Info(ContextInfo::TotalVideoMemory, sizeof unknown, &unknown, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(unknown, 0u);
    unsigned int megabytes = 0;
    GTEST_SKIP() << "no renderer query on WGL";
#else
    ASSERT_TRUE(GLXEW_MESA_query_renderer);
    unsigned int megabytes = 0;
    ASSERT_TRUE(glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes));
    ASSERT_NE(megabytes, 0u);
#endif

    uint64_t total = 0;
    size_t sizeRet = kUnsetSize;
    EXPECT_EQ(Info(ContextInfo::TotalVideoMemory, 7, &total, &sizeRet), ResultCode::InvalidValue);
    EXPECT_EQ(total, 0u);
    EXPECT_EQ(sizeRet, 8u);
    EXPECT_EQ(Info(ContextInfo::TotalVideoMemory, sizeof total, &total, &sizeRet), ResultCode::Success);
    EXPECT_EQ(total, uint64_t{megabytes} * 1048576);
    EXPECT_EQ(sizeRet, 8u);
    uint64_t again = 0;
    EXPECT_EQ(Info(ContextInfo::TotalVideoMemory, sizeof again, &again, nullptr), ResultCode::Success);
    EXPECT_EQ(again, total);

    // Only GL_NVX_gpu_memory_info tells the available memory.
    uint64_t available = 0xFFFFFFFFFFFFFFFFull;
    sizeRet = kUnsetSize;
    EXPECT_EQ(Info(ContextInfo::AvailableVideoMemory, sizeof available, &available, &sizeRet),
              ResultCode::InvalidValue);
    EXPECT_EQ(available, 0u);
    EXPECT_EQ(sizeRet, 8u);
}

TEST_F(ContextInfoTest, ExtensionQueryNamesOneGlExtension) {
    struct ExtensionQuery {
        const char* name;
        ResultCode expected;
    };
    const ExtensionQuery queries[] = {
        {"GL_ARB_tessellation_shader", ResultCode::Success},
        {"GL_NV_nonexistent", ResultCode::InvalidValue},
        {"GL_ARB_tessellation", ResultCode::InvalidValue},  // a prefix of a supported name
        {nullptr, ResultCode::InvalidValue},
    };
    for (const ExtensionQuery& row : queries) {
        SCOPED_TRACE(row.name != nullptr ? row.name : "(null)");
        size_t sizeRet = kUnsetSize;
        EXPECT_EQ(Info(ContextInfo::Extension, 0, const_cast<char*>(row.name), &sizeRet), row.expected);
        EXPECT_EQ(sizeRet, 0u);
    }
}

TEST_F(ContextInfoTest, UnknownQueriesAnswerInvalidValueAndSizeZero) {
    for (uint32_t query : {19u, 0xFFFFFFFFu}) {
        SCOPED_TRACE("query " + std::to_string(query));
        char buffer[16];
        std::memset(buffer, 'x', sizeof buffer);
        size_t sizeRet = kUnsetSize;
        EXPECT_EQ(Info(ContextInfo(query), sizeof buffer, buffer, &sizeRet), ResultCode::InvalidValue);
        EXPECT_EQ(sizeRet, 0u);
        EXPECT_EQ(std::string(buffer, sizeof buffer), std::string(sizeof buffer, 'x'));
    }
}

TEST(ContextIdentityTest, NameTypeAndFixedAnswers) {
    vindra_test::MessageCapture messages;
    const std::string longName = "0123456789abcdefghijklmnopqrstuvwxyzABCD";
    ASSERT_EQ(longName.size(), 40u);
    {
        vindra_test::ContextPtr context = vindra_test::CreateHeadless(longName.c_str());
        ASSERT_NE(context, nullptr);
        EXPECT_EQ(std::string(context->GetName()), longName.substr(0, 31));
        EXPECT_EQ(context->GetType(), 1);
        EXPECT_TRUE(context->ReservedQuery3());
        EXPECT_FALSE(context->ReservedQuery10());
        EXPECT_FALSE(context->ReservedQuery16());
        EXPECT_EQ(context->ReservedQuery17(), 0u);
        EXPECT_EQ(context->ReservedQuery20(), 1);
        EXPECT_TRUE(context->ReservedQuery21());
    }
    vindra_test::ContextPtr unnamed = vindra_test::Create(vindra_test::DefaultInit(nullptr));
    ASSERT_NE(unnamed, nullptr);
    EXPECT_STREQ(unnamed->GetName(), "");
    EXPECT_TRUE(messages.Peek().empty()) << vindra_test::Describe(messages.Peek());
}

}  // namespace
