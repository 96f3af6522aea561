// Identity and GetInfo through the public API, compared with what raw GL and GLX answer.
#include "gl_test.h"

// After gtest: Xlib's None and Bool macros clash with its names.
#if !defined(_WIN32)
#include <GL/glxew.h>
#endif

#include <algorithm>
#include <cstring>

using namespace vindra;
using namespace vindra_test;

namespace {

// GetInfo's answers as bytes in strings, which gtest compares and shows byte by byte.
template <typename T>
std::string Raw(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
std::string Text(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)) + std::string(1, '\0'); }
template <typename... GlNames>
std::string Ints(GlNames... pnames) {
    return (std::string() + ... + Raw(Get(pnames)));
}
bool HasGlExtension(const char* name) {
    for (GLint i = 0; i < Get(GL_NUM_EXTENSIONS); ++i)
        if (std::strcmp(reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i)), name) == 0) return true;
    return false;
}
std::string NullHandle() { return std::string(8, '\0'); }
std::string Nothing() { return std::string(); }

constexpr ResultCode kOk = ResultCode::Success, kInvalid = ResultCode::InvalidValue;
#if defined(_WIN32)
constexpr ResultCode kVideoMemory = kInvalid;  // unknown on WGL (Wine on Mesa)
std::string VideoMemory() { return NullHandle(); }
#else
// Without NVX, AMD association or compute state only GLX_MESA_query_renderer tells the video memory.
constexpr ResultCode kVideoMemory = kOk;
std::string VideoMemory() {
    unsigned int megabytes = 0;
    EXPECT_TRUE(GLXEW_MESA_query_renderer &&
                glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes));
    return Raw(uint64_t{megabytes} << 20);
}
#endif
constexpr size_t kAnswerSize = SIZE_MAX;

// A query's result when the answer's size is offered and the answer, learnt from GL itself (written also when
// the query fails); sizeRet (by default the answer's size); whether a shorter buffer takes a terminated prefix.
struct InfoRow {
    ContextInfo query;
    ResultCode result;
    std::string (*answer)();
    size_t sizeRet = kAnswerSize;
    bool text = false;
};
const InfoRow kQueries[] = {
    {ContextInfo::MaxTextureSize, kOk, [] { return Ints(GL_MAX_TEXTURE_SIZE); }},
    {ContextInfo::MaxTextureImageUnits, kOk, [] { return Ints(GL_MAX_TEXTURE_IMAGE_UNITS); }},
    {ContextInfo::ColorBits, kOk, [] { return Ints(GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS); }},
    {ContextInfo::Samples, kOk, [] { return Ints(GL_SAMPLES); }},
    {ContextInfo::MaxSamples, kOk, [] { return Ints(GL_MAX_SAMPLES); }},
    {ContextInfo::Renderer, kOk, [] { return Text(GL_RENDERER); }, kAnswerSize, true},
    {ContextInfo::Version, kOk, [] { return "OpenGL " + Text(GL_VERSION); }, kAnswerSize, true},
    // No compute state in this build yet: the compute queries answer as for a context without it.
    {ContextInfo::ComputeVersion, kOk, [] { return std::string("OpenCL: Unknown", 16); }, kAnswerSize, true},
    {ContextInfo::ComputeQueue, kInvalid, NullHandle},
    {ContextInfo::ComputeContext, kInvalid, NullHandle},
    {ContextInfo::ComputePlatform, kInvalid, NullHandle},
    {ContextInfo::ComputeDevice, kInvalid, NullHandle},
    {ContextInfo::ComputeLocalMemSize, kInvalid, Nothing, 8},
    {ContextInfo::ComputeUnits, kInvalid, Nothing, 4},
    {ContextInfo::ComputeDeviceName, kInvalid, Nothing, 0},
    {ContextInfo(19), kInvalid, Nothing, 0},  // unknown queries need no bytes
    {ContextInfo(0xFFFFFFFFu), kInvalid, Nothing, 0},
    {ContextInfo::TessellationSupport, kOk, [] { return Raw(uint8_t(HasGlExtension("GL_ARB_tessellation_shader"))); }},
    {ContextInfo::TotalVideoMemory, kVideoMemory, VideoMemory},
    {ContextInfo::AvailableVideoMemory, kInvalid, NullHandle},  // needs GL_NVX_gpu_memory_info
};

using ContextInfoTest = ContextTest;

// Every query is offered the answer's size, more (but strings), one byte less, 1 byte (handle queries once
// wrote all 8 bytes of theirs there), none, and a null buffer. Each answer lands in the bytes offered and
// nowhere else (16 bytes either side are watched), the same with or without sizeRet; nothing is reported.
TEST_F(ContextInfoTest, GetInfoAnswersIntoTheBufferOnly) {
    ASSERT_FALSE(HasGlExtension("GL_NVX_gpu_memory_info"));
    constexpr size_t kGuard = 16;
    for (const InfoRow& row : kQueries) {
        const std::string answer = row.answer();
        const int64_t n = int64_t(answer.size());
        for (int64_t offered : {n, n + 8, n - 1, int64_t{1}, int64_t{0}, int64_t{-1}}) {  // -1: null data
            if (row.text && offered > n) continue;  // strings may pad the rest of a larger buffer
            SCOPED_TRACE("query " + std::to_string(uint32_t(row.query)) + ", offered " + std::to_string(offered));
            const size_t size = offered < 0 ? answer.size() : size_t(offered);
            // The answer fits, or a string is cut to a terminated prefix, or nothing is written.
            const bool fits = offered >= n, prefix = !fits && offered > 0 && row.text;
            const std::string before(size + 2 * kGuard, '\xEE');
            std::string expected = before;
            if (fits || prefix)
                expected.replace(kGuard, std::min(size, answer.size()),
                                 fits ? answer : answer.substr(0, size - 1) + '\0');
            const ResultCode result = fits ? row.result : prefix ? kOk : kInvalid;
            for (bool withSizeRet : {true, false}) {
                std::string buffer = before;
                size_t sizeRet = 0xDEAD;
                EXPECT_EQ(context->GetInfo(row.query, size, offered < 0 ? nullptr : &buffer[kGuard],
                                           withSizeRet ? &sizeRet : nullptr),
                          result);
                EXPECT_EQ(buffer, expected);
                EXPECT_EQ(sizeRet, !withSizeRet ? 0xDEAD : row.sizeRet == kAnswerSize ? answer.size() : row.sizeRet);
            }
        }
    }
    ExpectMessages({});
}

// Names keep their first 31 characters; without one the name is empty.
TEST(ContextIdentity, NameKeepsItsFirst31Characters) {
    MessageCapture capture;
    for (const char* name : {"0123456789abcdefghijklmnopqrstuvwxyzABCD", static_cast<const char*>(nullptr)}) {
        ContextPtr context = Create(DefaultInit(name));
        ASSERT_NE(context, nullptr) << Describe(capture.Take());
        EXPECT_STREQ(context->GetName(), name ? "0123456789abcdefghijklmnopqrstu" : "");
    }
    ExpectMessages(capture, {});
}

}  // namespace
