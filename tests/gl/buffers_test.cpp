// Buffers: sub-range writes, mappings, targets, binds and refusals, each read back from GL with raw
// queries; driver-specific paths driven by the context's quirks.
#include "gl_test.h"

#include "gl/gl_context.h"
#include "gl/gl_index_buffer.h"
#include "gl/gl_pixel_buffer.h"
#include "gl/gl_uniform_buffer.h"

using namespace vindra;
using namespace vindra_test;

namespace {

using Bytes = std::vector<uint8_t>;
using Flags = std::vector<GLint>;
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
GLint UniformPoint(GLuint point) {
    GLint value = -1;
    glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, point, &value);
    return value;
}

using BufferTest = GlTest;

// Sub-range writes reach only their range and leave the target unbound; ranges that leave the buffer
// are refused before GL sees them, however they are made to wrap around. Index buffers write through
// GlBuffer, uniform buffers their own way.
TEST_F(BufferTest, SubDataWritesOnlyAValidRange) {
    const ResultCode bad = ResultCode::InvalidValue, ok = ResultCode::Success;
    // clang-format off
    const std::tuple<const char*, bool, BufferUsage, uint64_t, uint64_t, ResultCode, std::string> rows[] = {
        // name, uniform buffer, usage, offset, length, result, message
        {"static draw", false, BufferUsage::StaticDraw, 5, 6, ok, ""},
        {"read-only storage", false, BufferUsage::StreamRead, 5, 6, ResultCode::InvalidOperation, "GlBuffer::BufferSubData: GL_INVALID_OPERATION"},
        {"past the end", false, BufferUsage::StaticDraw, 10, 7, bad, "GlBuffer::BufferSubData: 7 bytes at offset 10 lie outside the buffer's 16 bytes"},
        {"sum wraps", false, BufferUsage::StaticDraw, UINT64_MAX, 2, bad, "GlBuffer::BufferSubData: 2 bytes at offset 18446744073709551615 lie outside the buffer's 16 bytes"},
        {"uniform", true, BufferUsage::StaticDraw, 12, 4, ok, ""},
        {"uniform, nothing at the end", true, BufferUsage::StaticDraw, 16, 0, ok, ""},
        {"uniform past the end", true, BufferUsage::StaticDraw, 10, 7, bad, "GlUniformBuffer::BufferSubData: 7 bytes at offset 10 lie outside the buffer's 16 bytes"},
    };
    // clang-format on
    for (const auto& [name, isUniform, usage, offset, length, result, message] : rows) {
        SCOPED_TRACE(name);
        IndexBuffer* ib = context->CreateIndexBuffer();
        UniformBuffer* ub = context->CreateUniformBuffer();
        ASSERT_EQ(isUniform ? ub->BufferData(16, kBytes.data()) : ib->BufferData(16, kBytes.data(), usage), ok);
        EXPECT_EQ(isUniform ? ub->BufferSubData(offset, length, kPatch.data())
                            : ib->BufferSubData(offset, length, kPatch.data()),
                  result);
        EXPECT_EQ(Get(GL_ELEMENT_ARRAY_BUFFER_BINDING) + Get(GL_UNIFORM_BUFFER_BINDING), 0);
        ExpectMessages(OneOrNone(message));
        Bytes expected = kBytes;
        if (result == ok) std::memcpy(expected.data() + offset, kPatch.data(), length);
        EXPECT_EQ(Contents(isUniform ? static_cast<GlUniformBuffer*>(ub)->GetName()
                                     : static_cast<GlIndexBuffer*>(ib)->GetName()),
                  expected);
        context->ReleaseIndexBuffer(&ib), context->ReleaseUniformBuffer(&ub);
    }
}

// The write mapping of an AMD driver invalidates the buffer; the driver at BufferData decides, not the
// one at MapBuffer.
TEST_F(BufferTest, MapAccessFollowsTheDriverOfTheLastBufferData) {
    // clang-format off
    const std::tuple<bool, MapAccess, GLint> rows[] = {
        {false, MapAccess::Read, GL_MAP_READ_BIT}, {false, MapAccess::Write, GL_MAP_WRITE_BIT},
        {true, MapAccess::Write, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT}, {true, MapAccess::ReadWrite, GL_MAP_READ_BIT | GL_MAP_WRITE_BIT}};
    // clang-format on
    DriverQuirks& quirks = static_cast<GlContext*>(context.get())->Quirks();
    for (const auto& [amd, access, flags] : rows) {
        SCOPED_TRACE(testing::Message() << (amd ? "AMD" : "other") << ", access " << int(access));
        quirks.Set(DriverQuirk::AmdWriteMappingStalls, amd);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticRead), ResultCode::Success);
        quirks.Set(DriverQuirk::AmdWriteMappingStalls, false);
        auto* mapped = static_cast<uint8_t*>(buffer->MapBuffer(access, nullptr));  // the status may be left out
        ASSERT_NE(mapped, nullptr);
        const GLuint name = static_cast<GlPixelBuffer*>(buffer)->GetName();
        EXPECT_EQ(Param(name, GL_BUFFER_ACCESS_FLAGS), flags);
        if (access != MapAccess::Read) std::memset(mapped, 0x5A, 16);
        EXPECT_EQ(buffer->UnmapBuffer(), ResultCode::Success);
        EXPECT_EQ(Contents(name), access == MapAccess::Read ? kBytes : Bytes(16, 0x5A));
        context->ReleasePixelBuffer(&buffer);
    }
}

// Before the first BufferData nothing has a GL object; bad enumerations and null pointers are refused
// before any GL call. Then uniform buffers are made and bound to points.
TEST_F(BufferTest, RefusalsReachNoGlAndUniformBuffersBindToPoints) {
    VertexBuffer* vertex = context->CreateVertexBuffer();
    PixelBuffer *pixel = context->CreatePixelBuffer(), *allocated = context->CreatePixelBuffer();
    IndexBuffer* index = context->CreateIndexBuffer();
    UniformBuffer* uniform = context->CreateUniformBuffer();
    ASSERT_EQ(allocated->BufferData(8, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
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
        {"index type 2", [&] { return index->SetIndexType(IndexType(2)); }, bad, "GlIndexBuffer::SetIndexType: invalid IndexType 2"},
        {"null layout", [&] { return vertex->SetVertexLayout(nullptr); }, ResultCode::InvalidValue, "GlVertexBuffer::SetVertexLayout: null layout"},
        {"map access 3", [&] { return allocated->MapBuffer(MapAccess(3), &status) ? ResultCode::Success : status; }, bad, "GlBuffer::MapBuffer: invalid MapAccess 3"},
        {"null data", [&] { return allocated->BufferSubData(0, 4, nullptr); }, ResultCode::InvalidValue, "GlBuffer::BufferSubData: null data"},
        {"unbind null uniform buffer", [&] { return context->UnBindUniformBuffer(nullptr); }, ResultCode::InvalidValue, "GlContext::UnBindUniformBuffer: null buffer"},
    });
    // clang-format on
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    // Without initial contents the usage hint is dynamic, and each BufferData decides it again. Binding points
    // are GL's indexed bindings; an unbind empties the point the buffer was bound to last.
    ASSERT_EQ(uniform->BufferData(32, nullptr), ResultCode::Success);
    const GLint name = static_cast<GlUniformBuffer*>(uniform)->GetName(), dynamicUsage = Param(name, GL_BUFFER_USAGE);
    ASSERT_EQ(uniform->BufferData(16, kBytes.data()), ResultCode::Success);
    EXPECT_EQ(Flags({dynamicUsage, Param(name, GL_BUFFER_USAGE)}), Flags({GL_DYNAMIC_DRAW, GL_STATIC_DRAW}));
    EXPECT_EQ(context->BindUniformBuffer(uniform, 0, 3), ResultCode::Success);
    EXPECT_EQ(context->BindUniformBuffer(uniform, 0, 5), ResultCode::Success);
    EXPECT_EQ(context->UnBindUniformBuffer(uniform), ResultCode::Success);  // empties point 5 only
    EXPECT_EQ(Flags({UniformPoint(3), UniformPoint(5)}), Flags({name, 0}));
    EXPECT_EQ(context->BindUniformBuffer(nullptr, 0, 3), ResultCode::Success);  // empties point 3
    EXPECT_EQ(UniformPoint(3), 0);
    context->ReleaseUniformBuffer(&uniform), context->ReleaseIndexBuffer(&index), context->ReleaseVertexBuffer(&vertex);
    context->ReleasePixelBuffer(&pixel), context->ReleasePixelBuffer(&allocated);
    EXPECT_FALSE(glIsBuffer(name));
}

}  // namespace
