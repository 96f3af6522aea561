// Identity and GetInfo through the public API, compared with what raw GL and GLX answer.
#include <GL/glew.h>
#include <gtest/gtest.h>

// After gtest: Xlib's None and Bool macros clash with its names.
#if !defined(_WIN32)
#include <GL/glxew.h>
#endif

#include "gl_test.h"

#include <cstring>
#include <string>

using namespace vindra;
using vindra_test::Get;

namespace {

// GetInfo's answers as bytes in strings, which gtest compares and shows byte by byte.
template <typename T>
std::string Raw(T value) {
    return std::string(reinterpret_cast<const char*>(&value), sizeof value);
}
std::string Text(const std::string& text) { return text + '\0'; }
std::string GlText(GLenum name) { return reinterpret_cast<const char*>(glGetString(name)); }
std::string Ints(std::initializer_list<GLenum> pnames) {
    std::string bytes;
    for (GLenum pname : pnames) bytes += Raw(Get(pname));
    return bytes;
}
bool HasGlExtension(const char* name) {
    for (GLint i = 0; i < Get(GL_NUM_EXTENSIONS); ++i)
        if (std::strcmp(reinterpret_cast<const char*>(glGetStringi(GL_EXTENSIONS, i)), name) == 0) return true;
    return false;
}
// Without NVX, AMD association or compute state only GLX_MESA_query_renderer tells the video memory: on WGL
// (Wine on Mesa) it is unknown.
uint64_t VideoMemory() {
    unsigned int megabytes = 0;
#if !defined(_WIN32)
    EXPECT_TRUE(GLXEW_MESA_query_renderer &&
                glXQueryCurrentRendererIntegerMESA(GLX_RENDERER_VIDEO_MEMORY_MESA, &megabytes));
#endif
    return uint64_t{megabytes} << 20;
}

// What GetInfo should answer, learnt from GL itself.
std::string Answer(ContextInfo query) {
    switch (query) {
        case ContextInfo::MaxTextureSize:
            return Ints({GL_MAX_TEXTURE_SIZE});
        case ContextInfo::MaxTextureImageUnits:
            return Ints({GL_MAX_TEXTURE_IMAGE_UNITS});
        case ContextInfo::ColorBits:
            return Ints({GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS});
        case ContextInfo::Samples:
            return Ints({GL_SAMPLES});
        case ContextInfo::MaxSamples:
            return Ints({GL_MAX_SAMPLES});
        case ContextInfo::Renderer:
            return Text(GlText(GL_RENDERER));
        case ContextInfo::Version:
            return Text("OpenGL " + GlText(GL_VERSION));
        case ContextInfo::ComputeVersion:
            return Text("OpenCL: Unknown");  // no compute state in this build yet
        case ContextInfo::TessellationSupport:
            return Raw(uint8_t(HasGlExtension("GL_ARB_tessellation_shader")));
        case ContextInfo::TotalVideoMemory:
            return Raw(VideoMemory());
        default:
            return std::string(8, '\0');  // null handles; available memory needs GL_NVX_gpu_memory_info
    }
}

// Sizes offered: the answer's, one byte less, the answer's with null data.
constexpr size_t kFit = SIZE_MAX, kShort = SIZE_MAX - 1, kNull = SIZE_MAX - 2;
enum Written { kNothing, kAnswer, kPrefix };  // kPrefix: size - 1 bytes of the answer and a NUL
constexpr ResultCode kSuccess = ResultCode::Success, kInvalid = ResultCode::InvalidValue;
#if defined(_WIN32)
constexpr ResultCode kVideoMemory = kInvalid;
#else
constexpr ResultCode kVideoMemory = kSuccess;
#endif

// Offers `size` bytes (kFit, kShort, kNull, or a number) and expects `result`, `sizeRet` (kFit: the answer's
// size) and what was written. Extension reads the name it is asked about from the buffer: `input`.
struct InfoRow {
    const char* name;
    ContextInfo query;
    size_t size;
    ResultCode result;
    size_t sizeRet;
    Written written;
    const char* input = nullptr;
};
const InfoRow kQueries[] = {
    {"MaxTextureSize", ContextInfo::MaxTextureSize, kFit, kSuccess, kFit, kAnswer},
    {"MaxTextureImageUnits", ContextInfo::MaxTextureImageUnits, kFit, kSuccess, kFit, kAnswer},
    {"ColorBits", ContextInfo::ColorBits, kFit, kSuccess, kFit, kAnswer},
    {"ColorBits one byte short", ContextInfo::ColorBits, kShort, kInvalid, kFit, kNothing},
    {"Samples", ContextInfo::Samples, kFit, kSuccess, kFit, kAnswer},
    {"MaxSamples", ContextInfo::MaxSamples, kFit, kSuccess, kFit, kAnswer},
    {"MaxSamples into null", ContextInfo::MaxSamples, kNull, kInvalid, kFit, kNothing},
    // A short buffer gets a terminated prefix of a string.
    {"Renderer", ContextInfo::Renderer, kFit, kSuccess, kFit, kAnswer},
    {"Renderer truncated", ContextInfo::Renderer, 10, kSuccess, kFit, kPrefix},
    {"Renderer into null", ContextInfo::Renderer, kNull, kInvalid, kFit, kNothing},
    {"Renderer into 0 bytes", ContextInfo::Renderer, 0, kInvalid, kFit, kNothing},
    {"Version", ContextInfo::Version, kFit, kSuccess, kFit, kAnswer},
    {"Version truncated", ContextInfo::Version, 10, kSuccess, kFit, kPrefix},
    {"Version into null", ContextInfo::Version, kNull, kInvalid, kFit, kNothing},
    {"Version into 0 bytes", ContextInfo::Version, 0, kInvalid, kFit, kNothing},
    {"ComputeVersion", ContextInfo::ComputeVersion, kFit, kSuccess, kFit, kAnswer},
    {"ComputeVersion truncated", ContextInfo::ComputeVersion, 10, kSuccess, kFit, kPrefix},
    {"ComputeVersion into null", ContextInfo::ComputeVersion, kNull, kInvalid, kFit, kNothing},
    {"ComputeVersion into 0 bytes", ContextInfo::ComputeVersion, 0, kInvalid, kFit, kNothing},
    // Handle queries write a null handle before finding there is none, but never past the buffer.
    {"ComputeQueue", ContextInfo::ComputeQueue, kFit, kInvalid, kFit, kAnswer},
    {"ComputeQueue into null", ContextInfo::ComputeQueue, kNull, kInvalid, kFit, kNothing},
    {"ComputeQueue into 1 byte", ContextInfo::ComputeQueue, 1, kInvalid, 8, kNothing},
    {"ComputeContext into 1 byte", ContextInfo::ComputeContext, 1, kInvalid, 8, kNothing},
    {"ComputePlatform into 1 byte", ContextInfo::ComputePlatform, 1, kInvalid, 8, kNothing},
    {"ComputeDevice into 1 byte", ContextInfo::ComputeDevice, 1, kInvalid, 8, kNothing},
    // Unanswered without compute state; unknown queries need no bytes.
    {"ComputeLocalMemSize", ContextInfo::ComputeLocalMemSize, 64, kInvalid, 8, kNothing},
    {"ComputeUnits", ContextInfo::ComputeUnits, 64, kInvalid, 4, kNothing},
    {"ComputeDeviceName", ContextInfo::ComputeDeviceName, 64, kInvalid, 0, kNothing},
    {"unknown query 19", ContextInfo(19), 64, kInvalid, 0, kNothing},
    {"unknown query 0xFFFFFFFF", ContextInfo(0xFFFFFFFFu), 64, kInvalid, 0, kNothing},
    {"TessellationSupport", ContextInfo::TessellationSupport, kFit, kSuccess, kFit, kAnswer},
    {"TessellationSupport into 0 bytes", ContextInfo::TessellationSupport, 0, kInvalid, kFit, kNothing},
    {"TotalVideoMemory", ContextInfo::TotalVideoMemory, kFit, kVideoMemory, kFit, kAnswer},
    {"TotalVideoMemory one byte short", ContextInfo::TotalVideoMemory, kShort, kInvalid, kFit, kNothing},
    {"AvailableVideoMemory", ContextInfo::AvailableVideoMemory, kFit, kInvalid, kFit, kAnswer},
    {"Extension supported", ContextInfo::Extension, 0, kSuccess, 0, kNothing, "GL_ARB_tessellation_shader"},
    {"Extension unknown", ContextInfo::Extension, 0, kInvalid, 0, kNothing, "GL_NV_nonexistent"},
    {"Extension prefix of a supported one", ContextInfo::Extension, 0, kInvalid, 0, kNothing, "GL_ARB_tessellation"},
    {"Extension null", ContextInfo::Extension, kNull, kInvalid, 0, kNothing},
};

using ContextInfoTest = vindra_test::ContextTest;

// Every answer lands in the bytes offered and nowhere else (16 bytes either side are watched), the same
// with or without sizeRet; nothing is reported.
TEST_F(ContextInfoTest, GetInfoAnswersIntoTheBufferOnly) {
    ASSERT_FALSE(HasGlExtension("GL_NVX_gpu_memory_info"));
    constexpr size_t kGuard = 16;
    for (const InfoRow& row : kQueries) {
        SCOPED_TRACE(row.name);
        const std::string answer = Answer(row.query), input = row.input ? Text(row.input) : "";
        const size_t size = row.size == kShort ? answer.size() - 1 : row.size >= kNull ? answer.size() : row.size;
        const std::string before = std::string(kGuard, '\xEE') + input + std::string(size + kGuard, '\xEE');
        std::string expected = before;
        if (row.written == kAnswer) expected.replace(kGuard, answer.size(), answer);
        if (row.written == kPrefix) expected.replace(kGuard, size, answer.substr(0, size - 1) + '\0');
        for (bool withSizeRet : {true, false}) {
            std::string buffer = before;
            size_t sizeRet = 0xDEAD;
            EXPECT_EQ(context->GetInfo(row.query, size, row.size == kNull ? nullptr : &buffer[kGuard],
                                       withSizeRet ? &sizeRet : nullptr),
                      row.result);
            EXPECT_EQ(buffer, expected);
            EXPECT_EQ(sizeRet, !withSizeRet ? 0xDEAD : row.sizeRet == kFit ? answer.size() : row.sizeRet);
        }
    }
    ExpectMessages({});
}

// Names keep their first 31 characters. The fixed answers are those of the header.
TEST(ContextIdentity, NameTypeAndFixedAnswers) {
    vindra_test::MessageCapture capture;
    for (auto [name, kept] : {std::pair<const char*, const char*>{"0123456789abcdefghijklmnopqrstuvwxyzABCD",
                                                                  "0123456789abcdefghijklmnopqrstu"},
                              {nullptr, ""}}) {
        vindra_test::ContextPtr context = vindra_test::Create(vindra_test::DefaultInit(name));
        ASSERT_NE(context, nullptr) << vindra_test::Describe(capture.Peek());
        EXPECT_STREQ(context->GetName(), kept);
        EXPECT_EQ(context->GetType(), 1);
        EXPECT_EQ((std::vector<int64_t>{context->ReservedQuery3(), context->ReservedQuery10(),
                                        context->ReservedQuery16(), int64_t(context->ReservedQuery17()),
                                        context->ReservedQuery20(), context->ReservedQuery21()}),
                  (std::vector<int64_t>{1, 0, 0, 0, 1, 1}));
    }
    vindra_test::ExpectMessages(capture, {});
}

}  // namespace
