// Identity and GetInfo through the public API, compared with what raw GL and GLX answer.
#include "gl_test.h"

// After gtest: Xlib's None and Bool macros clash with its names.
#if !defined(_WIN32)
#include <GL/glxew.h>
#endif

using namespace vindra;
using namespace vindra_test;

namespace {

// GetInfo's answers as bytes in strings, which gtest compares and shows byte by byte.
const auto Raw = [](auto value) { return std::string(reinterpret_cast<const char*>(&value), sizeof value); };
std::string Text(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)) + std::string(1, '\0'); }

constexpr ResultCode kOk = ResultCode::Success, kInvalid = ResultCode::InvalidValue;
constexpr size_t kAnswerSize = SIZE_MAX, kGuard = 16;  // kGuard: bytes watched either side of the buffer

// A query; its result when the answer's size is offered; the answer, learnt from GL itself (written also when
// the query fails); sizeRet (kAnswerSize: the answer's size); whether a shorter buffer takes a terminated prefix.
using Answer = std::string (*)();
const Answer kNull = [] { return std::string(8, '\0'); }, kNothing = [] { return std::string(); };
// clang-format off
const std::tuple<ContextInfo, ResultCode, Answer, size_t, bool> kQueries[] = {
    {ContextInfo::MaxTextureSize, kOk, [] { return Raw(Get(GL_MAX_TEXTURE_SIZE)); }, kAnswerSize, false},
    {ContextInfo::MaxTextureImageUnits, kOk, [] { return Raw(Get(GL_MAX_TEXTURE_IMAGE_UNITS)); }, kAnswerSize, false},
    {ContextInfo::ColorBits, kOk, [] { return Raw(Get(GL_RED_BITS)) + Raw(Get(GL_GREEN_BITS)) + Raw(Get(GL_BLUE_BITS)) + Raw(Get(GL_ALPHA_BITS)); }, kAnswerSize, false},
    {ContextInfo::Samples, kOk, [] { return Raw(Get(GL_SAMPLES)); }, kAnswerSize, false},
    {ContextInfo::MaxSamples, kOk, [] { return Raw(Get(GL_MAX_SAMPLES)); }, kAnswerSize, false},
    {ContextInfo::Renderer, kOk, [] { return Text(GL_RENDERER); }, kAnswerSize, true},
    {ContextInfo::Version, kOk, [] { return "OpenGL " + Text(GL_VERSION); }, kAnswerSize, true},
    // No compute state in this build yet: the compute queries answer as for a context without it.
    {ContextInfo::ComputeVersion, kOk, [] { return std::string("OpenCL: Unknown", 16); }, kAnswerSize, true},
    {ContextInfo::ComputeQueue, kInvalid, kNull, kAnswerSize, false},
    {ContextInfo::ComputeDevice, kInvalid, kNull, kAnswerSize, false},
    {ContextInfo::ComputeLocalMemSize, kInvalid, kNothing, 8, false},
    {ContextInfo::ComputeUnits, kInvalid, kNothing, 4, false},
    {ContextInfo::ComputeDeviceName, kInvalid, kNothing, 0, false},
    {ContextInfo(19), kInvalid, kNothing, 0, false},  // unknown queries need no bytes
    // Whether GL lists the extension among its own.
    {ContextInfo::TessellationSupport, kOk, [] { GLint i = 0, n = Get(GL_NUM_EXTENSIONS);
        while (i < n && std::strcmp(reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i)), "GL_ARB_tessellation_shader") != 0) ++i;
        return Raw(uint8_t(i < n)); }, kAnswerSize, false},
#if defined(_WIN32)
    {ContextInfo::TotalVideoMemory, kInvalid, kNull, kAnswerSize, false},  // WGL (Wine on Mesa) tells none
#else
    // Without NVX, AMD association or compute state only GLX_MESA_query_renderer tells the video memory.
    {ContextInfo::TotalVideoMemory, kOk, [] { unsigned megabytes = 0; EXPECT_TRUE(GLXEW_MESA_query_renderer && glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes)); return Raw(uint64_t{megabytes} << 20); }, kAnswerSize, false},
#endif
    {ContextInfo::AvailableVideoMemory, kInvalid, kNull, kAnswerSize, false},  // needs GL_NVX_gpu_memory_info
};
// clang-format on

using ContextInfoTest = ContextTest;

// Every query is offered the answer's size, more (but strings), one byte less, 1 byte (handle queries once
// wrote all 8 bytes of theirs there), none, and a null buffer. Each answer lands in the bytes offered and
// nowhere else (16 bytes either side are watched); sizeRet is written when given; nothing is reported.
TEST_F(ContextInfoTest, GetInfoAnswersIntoTheBufferOnly) {
    // Names keep their first 31 characters; without one the name is empty.
    EXPECT_STREQ(Create(DefaultInit("0123456789abcdefghijklmnopqrstuv"))->GetName(), "0123456789abcdefghijklmnopqrstu");
    EXPECT_STREQ(Create(DefaultInit(nullptr))->GetName(), "");
    ASSERT_EQ(context->MakeCurrent(), 0u);
    for (const auto& [query, fullResult, answerOf, fullSizeRet, text] : kQueries) {
        const std::string answer = answerOf();
        const int64_t n = int64_t(answer.size());
        // Strings may pad the rest of a larger buffer: they are offered their size twice. -1: null data.
        for (int64_t offered : {n, text ? n : n + 8, n - 1, int64_t{1}, int64_t{0}, int64_t{-1}}) {
            SCOPED_TRACE("query " + std::to_string(uint32_t(query)) + ", offered " + std::to_string(offered));
            const size_t size = offered < 0 ? answer.size() : size_t(offered);
            // The answer fits, or a string is cut to a terminated prefix, or nothing is written.
            const bool fits = offered >= n, prefix = !fits && offered > 0 && text, withSizeRet = offered != 1;
            const std::string written = fits ? answer : prefix ? answer.substr(0, size - 1) + '\0' : "";
            std::string buffer(size + 2 * kGuard, '\xEE'), expected = buffer;
            expected.replace(kGuard, written.size(), written);
            size_t sizeRet = 0xDEAD;
            const ResultCode result = fits ? fullResult : prefix ? kOk : kInvalid;
            char* data = offered < 0 ? nullptr : &buffer[kGuard];
            EXPECT_EQ(context->GetInfo(query, size, data, withSizeRet ? &sizeRet : nullptr), result);
            EXPECT_EQ(buffer, expected);
            EXPECT_EQ(sizeRet, !withSizeRet ? 0xDEAD : fullSizeRet == kAnswerSize ? answer.size() : fullSizeRet);
        }
    }
}

}  // namespace
