// Buffers: storage paths, sub-range writes, mappings, targets, binds and releases, each read back
// from GL with raw queries; fall-backs driven by clearing GLEW's entry point or forcing the vendor.
#include "gl_test.h"

#include <cstdint>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "gl/gl_context.h"
#include "gl/gl_index_buffer.h"
#include "gl/gl_pixel_buffer.h"
#include "gl/gl_uniform_buffer.h"
#include "gl/gl_vertex_buffer.h"

using namespace vindra;

namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kBytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};
const char* const kNoMessages = "(no messages)\n";

GLint Param(GLuint name, GLenum pname) {
    GLint value = -1;
    glGetNamedBufferParameteriv(name, pname, &value);
    return value;
}
using vindra_test::Get;
Bytes Contents(GLuint name) {
    Bytes out(16);
    glGetNamedBufferSubData(name, 0, 16, out.data());
    return out;
}
template <typename Gl, typename Buffer>
GLuint Name(Buffer* buffer) {
    return static_cast<Gl*>(buffer)->GetName();
}

class BufferTest : public vindra_test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();  // the first context of the process loads GLEW
        savedBufferStorage = __glewBufferStorage;
    }
    void TearDown() override {
        __glewBufferStorage = savedBufferStorage;  // process-wide: later tests need it back
        GlTest::TearDown();
    }
    // Quirks are per context, and each test has its own context: nothing to restore.
    void SetQuirk(DriverQuirk quirk, bool on) { static_cast<GlContext*>(context.get())->Quirks().Set(quirk, on); }
    std::string Log() { return vindra_test::Describe(Messages()); }
    // A raw GL buffer to leave on a binding, so that a test sees whether an operation touched it.
    GLuint Sentinel() {
        if (sentinel == 0) glCreateBuffers(1, &sentinel);
        return sentinel;
    }

    PFNGLBUFFERSTORAGEPROC savedBufferStorage = nullptr;
    GLuint sentinel = 0;  // deleted with the context
};

constexpr DriverQuirk kNvidia = DriverQuirk::NvidiaClientStorageInHostMemory;
constexpr DriverQuirk kAmd = DriverQuirk::AmdWriteMappingStalls;

TEST_F(BufferTest, StoragePathFollowsUsageDriverQuirkAndEntryPoint) {
    // storageEntry false: __glewBufferStorage cleared. storageFlags 0: mutable storage with usage hint `hint`.
    struct Row {
        const char* name;
        BufferUsage usage;
        bool nvidia, storageEntry;
        GLint storageFlags, hint;
    };
    const Row rows[] = {
        {"stream draw", BufferUsage::StreamDraw, false, true, 0x2C2, 0},
        {"stream read", BufferUsage::StreamRead, false, true, 0x2C1, 0},
        {"dynamic draw", BufferUsage::DynamicDraw, false, true, 0x3C2, 0},
        {"stream draw, NVIDIA", BufferUsage::StreamDraw, true, true, 0, GL_STREAM_DRAW},
        {"dynamic draw, no glBufferStorage", BufferUsage::DynamicDraw, false, false, 0, GL_DYNAMIC_DRAW},
        {"static draw", BufferUsage::StaticDraw, false, true, 0, GL_STATIC_DRAW},
        {"staging draw", BufferUsage::StagingDraw, false, true, 0, GL_STATIC_DRAW},
        {"host read", BufferUsage::HostRead, false, true, 0, GL_STREAM_READ},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        SetQuirk(kNvidia, row.nvidia);
        __glewBufferStorage = row.storageEntry ? savedBufferStorage : nullptr;
        VertexBuffer* buffer = context->CreateVertexBuffer();
        ASSERT_EQ(buffer->BufferData(kBytes.size(), kBytes.data(), row.usage), ResultCode::Success) << Log();
        GLuint name = Name<GlVertexBuffer>(buffer);
        EXPECT_EQ(Param(name, GL_BUFFER_IMMUTABLE_STORAGE), row.storageFlags != 0 ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(Param(name, row.storageFlags != 0 ? GL_BUFFER_STORAGE_FLAGS : GL_BUFFER_USAGE),
                  row.storageFlags != 0 ? row.storageFlags : row.hint);
        EXPECT_EQ(Contents(name), kBytes);
        EXPECT_EQ(Get(GL_ARRAY_BUFFER_BINDING), 0);
        EXPECT_EQ(context->ReleaseVertexBuffer(&buffer), 0u);
        EXPECT_FALSE(glIsBuffer(name));
    }
    EXPECT_EQ(Log(), kNoMessages);
}

// Persistent storage is immutable: a second BufferData fails in GL, yet the fields take the new
// values. With mutable storage (NVIDIA) the same sequence reallocates the buffer.
TEST_F(BufferTest, SecondBufferDataOnPersistentStorage) {
    for (bool nvidia : {false, true}) {
        SCOPED_TRACE(nvidia ? "NVIDIA" : "other");
        SetQuirk(kNvidia, nvidia);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        auto* gl = static_cast<GlPixelBuffer*>(buffer);
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StreamDraw), ResultCode::Success);
        EXPECT_EQ(buffer->BufferData(64, nullptr, BufferUsage::DynamicRead),
                  nvidia ? ResultCode::Success : ResultCode::InvalidOperation);
        EXPECT_EQ(Log(), nvidia ? kNoMessages : "[4] GlBuffer::BufferData: GL_INVALID_OPERATION\n");
        EXPECT_EQ(gl->GetSize(), 64u);
        EXPECT_EQ(gl->GetUsage(), BufferUsage::DynamicRead);
        EXPECT_EQ(Param(gl->GetName(), GL_BUFFER_SIZE), nvidia ? 64 : 16);
        context->ReleasePixelBuffer(&buffer);
    }
}

// Sub-range writes map only their range; ranges that leave the buffer never reach GL, however they
// are made to wrap around.
TEST_F(BufferTest, SubDataWritesOnlyAValidRange) {
    const Bytes patch = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5, 0xA6, 0xA7};
    struct Row {
        const char* name;
        BufferUsage usage;
        bool mapped;
        uint64_t offset, length;
        ResultCode result;
        std::string message;
    };
    const std::string outside = "GlBuffer::BufferSubData: ";
    const Row rows[] = {
        {"static draw", BufferUsage::StaticDraw, false, 5, 6, ResultCode::Success, ""},
        {"dynamic draw", BufferUsage::DynamicDraw, false, 5, 6, ResultCode::Success, ""},
        {"up to the end", BufferUsage::StaticDraw, false, 8, 8, ResultCode::Success, ""},
        {"read-only storage", BufferUsage::StreamRead, false, 5, 6, ResultCode::InvalidOperation,
         "GlBuffer::BufferSubData: GL_INVALID_OPERATION"},
        {"mapped", BufferUsage::StaticDraw, true, 5, 6, ResultCode::InvalidOperation,
         "GlBuffer::BufferSubData: GL_INVALID_OPERATION"},
        {"past the end", BufferUsage::StaticDraw, false, 10, 7, ResultCode::InvalidValue,
         outside + "7 bytes at offset 10 lie outside the buffer's 16 bytes"},
        {"offset past the end", BufferUsage::StaticDraw, false, 17, 0, ResultCode::InvalidValue,
         outside + "0 bytes at offset 17 lie outside the buffer's 16 bytes"},
        {"offset near the top", BufferUsage::StaticDraw, false, 0x7fffffffffffffff, 8, ResultCode::InvalidValue,
         outside + "8 bytes at offset 9223372036854775807 lie outside the buffer's 16 bytes"},
        {"sum wraps", BufferUsage::StaticDraw, false, UINT64_MAX, 2, ResultCode::InvalidValue,
         outside + "2 bytes at offset 18446744073709551615 lie outside the buffer's 16 bytes"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        IndexBuffer* buffer = context->CreateIndexBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), row.usage), ResultCode::Success);
        GLuint name = Name<GlIndexBuffer>(buffer);
        if (row.mapped) {
            ASSERT_NE(glMapNamedBuffer(name, GL_READ_ONLY), nullptr);
        }
        EXPECT_EQ(buffer->BufferSubData(row.offset, row.length, patch.data()), row.result);
        EXPECT_EQ(Log(), row.message.empty() ? kNoMessages : "[4] " + row.message + "\n");
        if (row.mapped) glUnmapNamedBuffer(name);
        Bytes expected = kBytes;
        if (row.result == ResultCode::Success) std::memcpy(expected.data() + row.offset, patch.data(), row.length);
        EXPECT_EQ(Contents(name), expected);
        context->ReleaseIndexBuffer(&buffer);
    }
    // The uniform buffer checks the same way before glBufferSubData.
    UniformBuffer* uniform = context->CreateUniformBuffer();
    ASSERT_EQ(uniform->BufferData(16, kBytes.data()), ResultCode::Success);
    EXPECT_EQ(uniform->BufferSubData(16, 0, patch.data()), ResultCode::Success);  // nothing, at the end
    EXPECT_EQ(uniform->BufferSubData(0x7fffffffffffffff, 8, patch.data()), ResultCode::InvalidValue);
    EXPECT_EQ(Log(),
              "[4] GlUniformBuffer::BufferSubData: 8 bytes at offset 9223372036854775807 lie outside the "
              "buffer's 16 bytes\n");
    context->ReleaseUniformBuffer(&uniform);
}

TEST_F(BufferTest, MapAccessFollowsTheDriverOfTheLastBufferData) {
    struct Row {
        bool amd;
        MapAccess access;
        GLint flags;
    };
    const Row rows[] = {
        {false, MapAccess::Read, GL_MAP_READ_BIT},
        {false, MapAccess::Write, GL_MAP_WRITE_BIT},
        {true, MapAccess::Write, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT},
        {true, MapAccess::ReadWrite, GL_MAP_READ_BIT | GL_MAP_WRITE_BIT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << (row.amd ? "AMD" : "other") << ", access " << int(row.access));
        SetQuirk(kAmd, row.amd);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticRead), ResultCode::Success);
        GLuint name = Name<GlPixelBuffer>(buffer);
        SetQuirk(kAmd, false);  // the driver at BufferData decides, not the one at MapBuffer
        ResultCode status = ResultCode::NotReady;
        auto* mapped = static_cast<uint8_t*>(buffer->MapBuffer(row.access, &status));
        ASSERT_NE(mapped, nullptr) << Log();
        EXPECT_EQ(status, ResultCode::Success);
        EXPECT_EQ(Param(name, GL_BUFFER_ACCESS_FLAGS), row.flags);
        if (row.access != MapAccess::Write) {
            EXPECT_EQ(Bytes(mapped, mapped + 16), kBytes);
        }
        if (row.access != MapAccess::Read) std::memset(mapped, 0x5A, 16);
        EXPECT_EQ(buffer->UnmapBuffer(), ResultCode::Success);
        EXPECT_EQ(Param(name, GL_BUFFER_MAPPED), GL_FALSE);
        EXPECT_EQ(Contents(name), row.access == MapAccess::Read ? kBytes : Bytes(16, 0x5A));
        context->ReleasePixelBuffer(&buffer);
    }
    EXPECT_EQ(Log(), kNoMessages);
}

// Each operation binds and unbinds its own target: a buffer left on the other target stays.
TEST_F(BufferTest, PixelBufferTargetFollowsUsage) {
    PixelBuffer* buffer = context->CreatePixelBuffer();
    for (int usage = 0; usage < GlBuffer::kUsageCount; ++usage) {
        SCOPED_TRACE(testing::Message() << "usage " << usage);
        const bool unpack = usage == 0 || usage == 3 || usage == 6;
        glBindBuffer(GL_PIXEL_PACK_BUFFER, Sentinel());
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, Sentinel());
        // Mutable storage throughout: persistent storage could not change its target's contents again.
        SetQuirk(kNvidia, true);
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage(usage)), ResultCode::Success);
        EXPECT_EQ(Get(GL_PIXEL_UNPACK_BUFFER_BINDING), unpack ? 0 : GLint(Sentinel()));
        EXPECT_EQ(Get(GL_PIXEL_PACK_BUFFER_BINDING), unpack ? GLint(Sentinel()) : 0);
    }
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    EXPECT_EQ(Log(), kNoMessages);
    context->ReleasePixelBuffer(&buffer);
}

TEST_F(BufferTest, UniformBufferDataAndBindingPoints) {
    UniformBuffer* filled = context->CreateUniformBuffer();
    UniformBuffer* empty = context->CreateUniformBuffer();
    ASSERT_EQ(filled->BufferData(16, kBytes.data()), ResultCode::Success);
    ASSERT_EQ(empty->BufferData(32, nullptr), ResultCode::Success);
    GLuint filledName = Name<GlUniformBuffer>(filled), emptyName = Name<GlUniformBuffer>(empty);
    EXPECT_EQ(Param(filledName, GL_BUFFER_USAGE), GL_STATIC_DRAW);
    EXPECT_EQ(Param(emptyName, GL_BUFFER_USAGE), GL_DYNAMIC_DRAW);
    EXPECT_EQ(Get(GL_UNIFORM_BUFFER_BINDING), 0);
    const Bytes patch = {0xC0, 0xC1, 0xC2, 0xC3};
    EXPECT_EQ(filled->BufferSubData(12, patch.size(), patch.data()), ResultCode::Success);
    Bytes expected = kBytes;
    std::memcpy(expected.data() + 12, patch.data(), patch.size());
    EXPECT_EQ(Contents(filledName), expected);
    EXPECT_EQ(Get(GL_UNIFORM_BUFFER_BINDING), 0);
    auto at = [](GLuint point) {
        GLint value = -1;
        glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, point, &value);
        return value;
    };
    EXPECT_EQ(context->BindUniformBuffer(filled, 0, 3), ResultCode::Success);
    EXPECT_EQ(context->BindUniformBuffer(empty, 0, 5), ResultCode::Success);
    EXPECT_EQ(at(3), GLint(filledName));
    EXPECT_EQ(context->UnBindUniformBuffer(filled), ResultCode::Success);  // from the point it was bound to
    EXPECT_EQ(at(3), 0);
    EXPECT_EQ(at(5), GLint(emptyName));
    EXPECT_EQ(context->BindUniformBuffer(nullptr, 0, 5), ResultCode::Success);
    EXPECT_EQ(at(5), 0);
    EXPECT_EQ(Log(), kNoMessages);
    EXPECT_EQ(context->ReleaseUniformBuffer(&filled), 0u);
    EXPECT_EQ(context->ReleaseUniformBuffer(&empty), 0u);
    EXPECT_FALSE(glIsBuffer(emptyName));
}

TEST_F(BufferTest, BindIndexBufferRecordsTypeAndBinds) {
    IndexBuffer* buffer = context->CreateIndexBuffer();
    auto* gl = static_cast<GlContext*>(context.get());
    // Without a GL name the bind fails, yet type and buffer are recorded so that the unbind reaches GL.
    ASSERT_EQ(buffer->SetIndexType(IndexType::UInt32), ResultCode::Success);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Sentinel());
    EXPECT_EQ(context->BindIndexBuffer(buffer), ResultCode::InvalidOperation);
    EXPECT_EQ(Log(), "[4] GlIndexBuffer::Bind: Buffer not initialized\n");
    EXPECT_EQ(gl->GetIndexGlType(), uint32_t(GL_UNSIGNED_INT));
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Get(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticDraw), ResultCode::Success);
    for (auto [type, glType] :
         {std::pair{IndexType::UInt16, GL_UNSIGNED_SHORT}, std::pair{IndexType::UInt32, GL_UNSIGNED_INT}}) {
        EXPECT_EQ(buffer->SetIndexType(type), ResultCode::Success);
        EXPECT_EQ(context->BindIndexBuffer(buffer), ResultCode::Success);
        EXPECT_EQ(gl->GetIndexGlType(), uint32_t(glType));
        EXPECT_EQ(Get(GL_ELEMENT_ARRAY_BUFFER_BINDING), GLint(Name<GlIndexBuffer>(buffer)));
    }
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(gl->GetIndexGlType(), uint32_t(GL_UNSIGNED_INT));  // kept by the unbind
    // With nothing recorded an unbind makes no GL call: a raw binding survives it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Sentinel());
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Get(GL_ELEMENT_ARRAY_BUFFER_BINDING), GLint(Sentinel()));
    EXPECT_EQ(Log(), kNoMessages);
    context->ReleaseIndexBuffer(&buffer);
}

// Before the first BufferData nothing has a GL object; bad enumerations and null pointers are refused
// before any GL call.
TEST_F(BufferTest, RefusalsChangeNothing) {
    VertexBuffer* vertex = context->CreateVertexBuffer();
    PixelBuffer* pixel = context->CreatePixelBuffer();
    IndexBuffer* index = context->CreateIndexBuffer();
    UniformBuffer* uniform = context->CreateUniformBuffer();
    PixelBuffer* allocated = context->CreatePixelBuffer();
    UniformBuffer* allocatedUniform = context->CreateUniformBuffer();
    ASSERT_EQ(allocated->BufferData(8, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
    ASSERT_EQ(allocatedUniform->BufferData(8, nullptr), ResultCode::Success);
    uint8_t byte = 1;
    ResultCode status = ResultCode::NotReady;
    struct Case {
        const char* name;
        std::function<ResultCode()> call;
        ResultCode result;
        std::string message;
    };
    const Case cases[] = {
        {"sub-data before data", [&] { return vertex->BufferSubData(0, 1, &byte); }, ResultCode::InvalidOperation,
         "GlBuffer::BufferSubData: Buffer not initialized"},
        {"map before data", [&] { return pixel->MapBuffer(MapAccess::Read, &status) ? ResultCode::Success : status; },
         ResultCode::NotReady, "GlBuffer::MapBuffer: Buffer not initialized"},
        {"unmap before data", [&] { return pixel->UnmapBuffer(); }, ResultCode::InvalidOperation,
         "GlBuffer::UnmapBuffer: Buffer not initialized"},
        {"uniform sub-data before data", [&] { return uniform->BufferSubData(0, 1, &byte); },
         ResultCode::InvalidOperation, "GlUniformBuffer::BufferSubData: Buffer not initialized"},
        {"uniform bind before data", [&] { return context->BindUniformBuffer(uniform, 0, 4); },
         ResultCode::InvalidOperation, "GlUniformBuffer::Bind: Buffer not initialized"},
        {"usage 17", [&] { return vertex->BufferData(4, &byte, BufferUsage(17)); }, ResultCode::InvalidEnum,
         "GlBuffer::BufferData: invalid BufferUsage 17"},
        {"pixel usage -1", [&] { return pixel->BufferData(4, &byte, BufferUsage(-1)); }, ResultCode::InvalidEnum,
         "GlBuffer::BufferData: invalid BufferUsage -1"},
        {"index type 2", [&] { return index->SetIndexType(IndexType(2)); }, ResultCode::InvalidEnum,
         "GlIndexBuffer::SetIndexType: invalid IndexType 2"},
        {"null layout", [&] { return vertex->SetVertexLayout(nullptr); }, ResultCode::InvalidValue,
         "GlVertexBuffer::SetVertexLayout: null layout"},
        {"map access 3", [&] { return allocated->MapBuffer(MapAccess(3), &status) ? ResultCode::Success : status; },
         ResultCode::InvalidEnum, "GlBuffer::MapBuffer: invalid MapAccess 3"},
        {"null data", [&] { return allocated->BufferSubData(0, 4, nullptr); }, ResultCode::InvalidValue,
         "GlBuffer::BufferSubData: null data"},
        {"uniform null data", [&] { return allocatedUniform->BufferSubData(0, 4, nullptr); }, ResultCode::InvalidValue,
         "GlUniformBuffer::BufferSubData: null data"},
        {"unbind null uniform buffer", [&] { return context->UnBindUniformBuffer(nullptr); }, ResultCode::InvalidValue,
         "GlContext::UnBindUniformBuffer: null buffer"},
        {"release null address", [&] { return ResultCode(context->ReleaseVertexBuffer(nullptr)); },
         ResultCode::InvalidValue, "GlContext::ReleaseVertexBuffer: null address"},
    };
    glEnable(0xFFFF);  // refusals make no GL call: the error stays pending
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.call(), c.result);
        EXPECT_EQ(Log(), "[4] " + c.message + "\n");
    }
    EXPECT_EQ(glGetError(), GLenum(GL_INVALID_ENUM));
    EXPECT_EQ(Name<GlVertexBuffer>(vertex), 0u);
    EXPECT_EQ(static_cast<GlPixelBuffer*>(pixel)->GetTarget(), uint32_t(GL_PIXEL_PACK_BUFFER));
    EXPECT_EQ(static_cast<GlIndexBuffer*>(index)->GetIndexType(), IndexType::UInt16);
    // Releasing twice: the second time through a pointer that holds null, which does nothing.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(context->ReleaseVertexBuffer(&vertex), 0u);
        EXPECT_EQ(context->ReleasePixelBuffer(&pixel), 0u);
        EXPECT_EQ(context->ReleaseIndexBuffer(&index), 0u);
        EXPECT_EQ(context->ReleaseUniformBuffer(&uniform), 0u);
    }
    context->ReleasePixelBuffer(&allocated);
    context->ReleaseUniformBuffer(&allocatedUniform);
    EXPECT_EQ(Log(), kNoMessages);
}

}  // namespace
