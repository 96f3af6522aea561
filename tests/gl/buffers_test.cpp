// Buffers: sub-range writes, mappings, targets, binds and refusals, each read back from GL with raw
// queries; driver-specific paths driven by the context's quirks.
#include "gl_test.h"

#include <cstring>

#include "gl/gl_context.h"
#include "gl/gl_index_buffer.h"
#include "gl/gl_pixel_buffer.h"
#include "gl/gl_uniform_buffer.h"

using namespace vindra;
using namespace vindra_test;

namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kBytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const Bytes kPatch = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};

GLint Param(GLuint name, GLenum pname) {
    GLint value = -1;
    glGetNamedBufferParameteriv(name, pname, &value);
    return value;
}
Bytes Contents(GLuint name) {
    Bytes out(16);
    glGetNamedBufferSubData(name, 0, 16, out.data());
    return out;
}
template <typename Gl, typename Buffer>
GLuint Name(Buffer* buffer) {
    return static_cast<Gl*>(buffer)->GetName();
}

class BufferTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        glCreateBuffers(1, &sentinel);  // deleted with the context
    }
    // Quirks are per context, and each test has its own context: nothing to restore.
    void SetQuirk(DriverQuirk quirk, bool on) { static_cast<GlContext*>(context.get())->Quirks().Set(quirk, on); }

    GLuint sentinel = 0;  // a raw buffer left on a binding, to see whether an operation touched it
};

// Sub-range writes reach only their range and leave the target unbound; ranges that leave the buffer
// are refused before GL sees them, however they are made to wrap around.
TEST_F(BufferTest, SubDataWritesOnlyAValidRange) {
    const std::string outside = "GlBuffer::BufferSubData: ";
    const ResultCode bad = ResultCode::InvalidValue;
    const BufferUsage draw = BufferUsage::StaticDraw;
    // clang-format off
    const std::tuple<const char*, BufferUsage, uint64_t, uint64_t, ResultCode, std::string> rows[] = {
        {"static draw", draw, 5, 6, ResultCode::Success, ""},
        {"read-only storage", BufferUsage::StreamRead, 5, 6, ResultCode::InvalidOperation, outside + "GL_INVALID_OPERATION"},
        {"past the end", draw, 10, 7, bad, outside + "7 bytes at offset 10 lie outside the buffer's 16 bytes"},
        {"offset near the top", draw, 0x7fffffffffffffff, 8, bad, outside + "8 bytes at offset 9223372036854775807 lie outside the buffer's 16 bytes"},
        {"sum wraps", draw, UINT64_MAX, 2, bad, outside + "2 bytes at offset 18446744073709551615 lie outside the buffer's 16 bytes"},
    };
    // clang-format on
    for (const auto& [name, usage, offset, length, result, message] : rows) {
        SCOPED_TRACE(name);
        IndexBuffer* buffer = context->CreateIndexBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), usage), ResultCode::Success);
        EXPECT_EQ(buffer->BufferSubData(offset, length, kPatch.data()), result);
        EXPECT_EQ(Get(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
        ExpectMessages(ErrorOrNone(message));
        Bytes expected = kBytes;
        if (result == ResultCode::Success) std::memcpy(expected.data() + offset, kPatch.data(), length);
        EXPECT_EQ(Contents(Name<GlIndexBuffer>(buffer)), expected);
        context->ReleaseIndexBuffer(&buffer);
    }
}

// The write mapping of an AMD driver invalidates the buffer; the driver at BufferData decides, not the
// one at MapBuffer.
TEST_F(BufferTest, MapAccessFollowsTheDriverOfTheLastBufferData) {
    const std::tuple<bool, MapAccess, GLint> rows[] = {
        {false, MapAccess::Read, GL_MAP_READ_BIT},
        {false, MapAccess::Write, GL_MAP_WRITE_BIT},
        {true, MapAccess::Write, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT},
        {true, MapAccess::ReadWrite, GL_MAP_READ_BIT | GL_MAP_WRITE_BIT},
    };
    for (const auto& [amd, access, flags] : rows) {
        SCOPED_TRACE(testing::Message() << (amd ? "AMD" : "other") << ", access " << int(access));
        SetQuirk(DriverQuirk::AmdWriteMappingStalls, amd);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticRead), ResultCode::Success);
        SetQuirk(DriverQuirk::AmdWriteMappingStalls, false);
        ResultCode status = ResultCode::NotReady;
        auto* mapped = static_cast<uint8_t*>(buffer->MapBuffer(access, &status));
        ASSERT_NE(mapped, nullptr);
        EXPECT_EQ(status, ResultCode::Success);
        const GLuint name = Name<GlPixelBuffer>(buffer);
        EXPECT_EQ(Param(name, GL_BUFFER_ACCESS_FLAGS), flags);
        if (access != MapAccess::Read) std::memset(mapped, 0x5A, 16);
        EXPECT_EQ(buffer->UnmapBuffer(), ResultCode::Success);
        EXPECT_EQ(Contents(name), access == MapAccess::Read ? kBytes : Bytes(16, 0x5A));
        context->ReleasePixelBuffer(&buffer);
    }
    ExpectMessages({});
}

// Without initial contents the usage hint is dynamic. Data and sub-range writes leave the target
// unbound; ranges are checked as GlBuffer's are. Binding points are GL's indexed bindings.
TEST_F(BufferTest, UniformBufferHintSubRangesAndBindingPoints) {
    UniformBuffer* filled = context->CreateUniformBuffer();
    UniformBuffer* empty = context->CreateUniformBuffer();
    ASSERT_EQ(filled->BufferData(16, kBytes.data()), ResultCode::Success);
    ASSERT_EQ(empty->BufferData(32, nullptr), ResultCode::Success);
    GLuint filledName = Name<GlUniformBuffer>(filled), emptyName = Name<GlUniformBuffer>(empty);
    EXPECT_EQ(std::pair(Param(filledName, GL_BUFFER_USAGE), Param(emptyName, GL_BUFFER_USAGE)),
              std::pair(GL_STATIC_DRAW, GL_DYNAMIC_DRAW));
    EXPECT_EQ(Get(GL_UNIFORM_BUFFER_BINDING), 0);
    EXPECT_EQ(filled->BufferSubData(12, 4, kPatch.data()), ResultCode::Success);
    EXPECT_EQ(filled->BufferSubData(16, 0, kPatch.data()), ResultCode::Success);
    EXPECT_EQ(filled->BufferSubData(10, 7, kPatch.data()), ResultCode::InvalidValue);
    ExpectMessages(
        {{kError, "GlUniformBuffer::BufferSubData: 7 bytes at offset 10 lie outside the buffer's 16 bytes"}});
    Bytes expected = kBytes;
    std::memcpy(expected.data() + 12, kPatch.data(), 4);
    EXPECT_EQ(Contents(filledName), expected);
    EXPECT_EQ(Get(GL_UNIFORM_BUFFER_BINDING), 0);  // the writes too left it unbound
    auto at = [](GLuint point) {
        GLint value = -1;
        glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, point, &value);
        return value;
    };
    EXPECT_EQ(context->BindUniformBuffer(filled, 0, 3), ResultCode::Success);
    EXPECT_EQ(context->BindUniformBuffer(empty, 0, 5), ResultCode::Success);
    EXPECT_EQ(std::pair(at(3), at(5)), std::pair(GLint(filledName), GLint(emptyName)));
    EXPECT_EQ(context->UnBindUniformBuffer(filled), ResultCode::Success);  // from the point it was bound to
    EXPECT_EQ(std::pair(at(3), at(5)), std::pair(0, GLint(emptyName)));
    EXPECT_EQ(context->BindUniformBuffer(nullptr, 0, 5), ResultCode::Success);
    EXPECT_EQ(at(5), 0);
    context->ReleaseUniformBuffer(&filled);
    context->ReleaseUniformBuffer(&empty);
    EXPECT_FALSE(glIsBuffer(filledName) || glIsBuffer(emptyName));
    ExpectMessages({});
}

// Before the first BufferData nothing has a GL object; bad enumerations and null pointers are refused
// before any GL call.
TEST_F(BufferTest, RefusalsReachNoGl) {
    VertexBuffer* vertex = context->CreateVertexBuffer();
    PixelBuffer* pixel = context->CreatePixelBuffer();
    IndexBuffer* index = context->CreateIndexBuffer();
    UniformBuffer* uniform = context->CreateUniformBuffer();
    PixelBuffer* allocated = context->CreatePixelBuffer();
    ASSERT_EQ(allocated->BufferData(8, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
    ASSERT_EQ(index->SetIndexType(IndexType::UInt32), ResultCode::Success);
    uint8_t byte = 1;
    ResultCode status = ResultCode::NotReady;
    const ResultCode noData = ResultCode::InvalidOperation, bad = ResultCode::InvalidEnum;
    glEnable(0xFFFF);  // refusals make no GL call: the error stays pending
    // clang-format off
    ExpectRefusals({
        {"sub-data before data", [&] { return vertex->BufferSubData(0, 1, &byte); }, noData, "GlBuffer::BufferSubData: Buffer not initialized"},
        {"map before data", [&] { return pixel->MapBuffer(MapAccess::Read, &status) ? ResultCode::Success : status; }, ResultCode::NotReady, "GlBuffer::MapBuffer: Buffer not initialized"},
        {"unmap before data", [&] { return pixel->UnmapBuffer(); }, noData, "GlBuffer::UnmapBuffer: Buffer not initialized"},
        {"uniform sub-data before data", [&] { return uniform->BufferSubData(0, 1, &byte); }, noData, "GlUniformBuffer::BufferSubData: Buffer not initialized"},
        {"uniform bind before data", [&] { return context->BindUniformBuffer(uniform, 0, 4); }, noData, "GlUniformBuffer::Bind: Buffer not initialized"},
        {"index bind before data", [&] { return context->BindIndexBuffer(index); }, noData, "GlIndexBuffer::Bind: Buffer not initialized"},
        {"usage 17", [&] { return vertex->BufferData(4, &byte, BufferUsage(17)); }, bad, "GlBuffer::BufferData: invalid BufferUsage 17"},
        {"pixel usage -1", [&] { return pixel->BufferData(4, &byte, BufferUsage(-1)); }, bad, "GlBuffer::BufferData: invalid BufferUsage -1"},
        {"index type 2", [&] { return index->SetIndexType(IndexType(2)); }, bad, "GlIndexBuffer::SetIndexType: invalid IndexType 2"},
        {"null layout", [&] { return vertex->SetVertexLayout(nullptr); }, ResultCode::InvalidValue, "GlVertexBuffer::SetVertexLayout: null layout"},
        {"map access 3", [&] { return allocated->MapBuffer(MapAccess(3), &status) ? ResultCode::Success : status; }, bad, "GlBuffer::MapBuffer: invalid MapAccess 3"},
        {"null data", [&] { return allocated->BufferSubData(0, 4, nullptr); }, ResultCode::InvalidValue, "GlBuffer::BufferSubData: null data"},
        {"unbind null uniform buffer", [&] { return context->UnBindUniformBuffer(nullptr); }, ResultCode::InvalidValue, "GlContext::UnBindUniformBuffer: null buffer"},
    });
    // clang-format on
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    // The refused index bind recorded its buffer, so that the unbind reaches GL; with nothing recorded an
    // unbind makes no GL call.
    for (GLint expected : {0, GLint(sentinel)}) {
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, sentinel);
        EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
        EXPECT_EQ(Get(GL_ELEMENT_ARRAY_BUFFER_BINDING), expected);
    }
    // Releasing twice: the second time through a pointer that holds null, which does nothing.
    for (int i = 0; i < 2; ++i) EXPECT_EQ(context->ReleaseVertexBuffer(&vertex), 0u);
    context->ReleasePixelBuffer(&pixel);
    context->ReleaseIndexBuffer(&index);
    context->ReleaseUniformBuffer(&uniform);
    context->ReleasePixelBuffer(&allocated);
    ExpectMessages({});
}

}  // namespace
