// Buffers: storage paths, sub-range writes, mappings, targets, binds and releases, each read back
// from GL with raw queries; fall-backs driven by clearing GLEW's entry point or forcing the vendor.
#include "gl_test.h"

#include <cstdint>
#include <cstring>
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

GLint Param(GLuint name, GLenum pname) { GLint value = -1; glGetNamedBufferParameteriv(name, pname, &value); return value; }
GLint Binding(GLenum binding) { GLint value = -1; glGetIntegerv(binding, &value); return value; }
Bytes Contents(GLuint name) {
    Bytes out(16);
    glGetNamedBufferSubData(name, 0, 16, out.data());
    return out;
}
template <typename Gl, typename Buffer>
GLuint Name(Buffer* buffer) { return static_cast<Gl*>(buffer)->GetName(); }

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
    // The vendor is per context, and each test has its own context: nothing to restore.
    void ForceVendor(GpuVendor vendor) {
        DriverQuirks& quirks = static_cast<GlContext*>(context.get())->Quirks();
        quirks.Set(DriverQuirk::NvidiaClientStorageInHostMemory, vendor == GpuVendor::Nvidia);
        quirks.Set(DriverQuirk::AmdWriteMappingStalls, vendor == GpuVendor::Amd);
    }
    std::string Log() { return vindra_test::Describe(Messages()); }
    // A raw GL buffer to leave on a binding, so that a test sees whether an operation touched it.
    GLuint Sentinel() {
        if (sentinel == 0) glCreateBuffers(1, &sentinel);
        return sentinel;
    }

    PFNGLBUFFERSTORAGEPROC savedBufferStorage = nullptr;
    GLuint sentinel = 0;  // deleted with the context
};

TEST_F(BufferTest, StoragePathFollowsUsageVendorAndEntryPoint) {
    // storageEntry false: __glewBufferStorage cleared. storageFlags 0: mutable storage with usage hint `hint`.
    struct Row { BufferUsage usage; GpuVendor vendor; bool storageEntry; GLint storageFlags, hint; uint32_t subDataAccess; };
    const GpuVendor other = GpuVendor::Other;
    const Row rows[] = {
        {BufferUsage::StreamDraw, other, true, 0x2C2, 0, 0x06},
        {BufferUsage::StreamRead, GpuVendor::Intel, true, 0x2C1, 0, 0x06},
        {BufferUsage::DynamicDraw, GpuVendor::Amd, true, 0x3C2, 0, 0x26},
        {BufferUsage::StreamDraw, GpuVendor::Nvidia, true, 0, GL_STREAM_DRAW, 0x06},
        {BufferUsage::DynamicDraw, other, false, 0, GL_DYNAMIC_DRAW, 0x26},
        {BufferUsage::StreamCopy, other, true, 0, GL_STREAM_COPY, 0x06},
        {BufferUsage::StaticDraw, other, true, 0, GL_STATIC_DRAW, 0x06},
        {BufferUsage::DynamicRead, other, true, 0, GL_DYNAMIC_READ, 0x26},
        {BufferUsage::DynamicCopy, other, true, 0, GL_DYNAMIC_COPY, 0x26},
        {BufferUsage::StagingDraw, other, true, 0, GL_STATIC_DRAW, 0x06},
        {BufferUsage::StagingCopy, other, true, 0, GL_STATIC_COPY, 0x06},
        {BufferUsage::HostDraw, other, true, 0, GL_STREAM_DRAW, 0x06},
        {BufferUsage::HostRead, other, true, 0, GL_STREAM_READ, 0x06},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "usage " << int(row.usage) << ", vendor " << int(row.vendor)
                                        << ", storage entry " << row.storageEntry);
        ForceVendor(row.vendor);
        __glewBufferStorage = row.storageEntry ? savedBufferStorage : nullptr;
        VertexBuffer* buffer = context->CreateVertexBuffer();
        ASSERT_EQ(buffer->BufferData(kBytes.size(), kBytes.data(), row.usage), ResultCode::Success) << Log();
        GLuint name = Name<GlVertexBuffer>(buffer);
        EXPECT_EQ(Param(name, GL_BUFFER_IMMUTABLE_STORAGE), row.storageFlags != 0 ? GL_TRUE : GL_FALSE);
        EXPECT_EQ(Param(name, row.storageFlags != 0 ? GL_BUFFER_STORAGE_FLAGS : GL_BUFFER_USAGE),
                  row.storageFlags != 0 ? row.storageFlags : row.hint);
        EXPECT_EQ(Param(name, GL_BUFFER_SIZE), 16);
        EXPECT_EQ(Contents(name), kBytes);
        EXPECT_EQ(static_cast<GlVertexBuffer*>(buffer)->GetSubDataAccess(), row.subDataAccess);
        EXPECT_EQ(Binding(GL_ARRAY_BUFFER_BINDING), 0);
        EXPECT_EQ(context->ReleaseVertexBuffer(&buffer), 0u);
        EXPECT_FALSE(glIsBuffer(name));
    }
    EXPECT_EQ(Log(), kNoMessages);
}

// Persistent storage is immutable: a second BufferData fails in GL, yet the fields take the new
// values. With mutable storage (NVIDIA) the same sequence reallocates the buffer.
TEST_F(BufferTest, SecondBufferDataOnPersistentStorage) {
    for (GpuVendor vendor : {GpuVendor::Other, GpuVendor::Nvidia}) {
        SCOPED_TRACE(testing::Message() << "vendor " << int(vendor));
        ForceVendor(vendor);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        auto* gl = static_cast<GlPixelBuffer*>(buffer);
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StreamDraw), ResultCode::Success);
        const bool persistent = vendor != GpuVendor::Nvidia;
        EXPECT_EQ(buffer->BufferData(64, nullptr, BufferUsage::DynamicRead),
                  persistent ? ResultCode::InvalidOperation : ResultCode::Success);
        EXPECT_EQ(Log(), persistent ? "[4] GlBuffer::BufferData: GL_INVALID_OPERATION\n" : kNoMessages);
        EXPECT_EQ(gl->GetSize(), 64u);
        EXPECT_EQ(gl->GetUsage(), BufferUsage::DynamicRead);
        EXPECT_EQ(gl->GetSubDataAccess(), 0x26u);
        EXPECT_EQ(Param(gl->GetName(), GL_BUFFER_SIZE), persistent ? 16 : 64);
        EXPECT_EQ(Binding(GL_PIXEL_PACK_BUFFER_BINDING), 0);
        context->ReleasePixelBuffer(&buffer);
    }
}

TEST_F(BufferTest, SubDataWritesOnlyTheRangeUnlessTheBufferIsMappedOrReadOnly) {
    const Bytes patch = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
    Bytes patched = kBytes;
    std::memcpy(patched.data() + 5, patch.data(), patch.size());
    // StreamRead storage has no write access, and a mapped buffer takes no other mapping.
    for (auto [usage, mapped] : {std::pair{BufferUsage::StaticDraw, false}, std::pair{BufferUsage::StreamDraw, false},
                                 std::pair{BufferUsage::DynamicDraw, false}, std::pair{BufferUsage::DynamicRead, false},
                                 std::pair{BufferUsage::StreamRead, false}, std::pair{BufferUsage::StaticDraw, true}}) {
        SCOPED_TRACE(testing::Message() << "usage " << int(usage) << (mapped ? ", mapped" : ""));
        IndexBuffer* buffer = context->CreateIndexBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), usage), ResultCode::Success);
        GLuint name = Name<GlIndexBuffer>(buffer);
        if (mapped) {
            ASSERT_NE(glMapNamedBuffer(name, GL_READ_ONLY), nullptr);
        }
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Sentinel());
        const bool refused = mapped || usage == BufferUsage::StreamRead;
        EXPECT_EQ(buffer->BufferSubData(5, patch.size(), patch.data()),
                  refused ? ResultCode::InvalidOperation : ResultCode::Success);
        EXPECT_EQ(Log(), refused ? "[4] GlBuffer::BufferSubData: GL_INVALID_OPERATION\n" : kNoMessages);
        EXPECT_EQ(Param(name, GL_BUFFER_MAPPED), mapped ? GL_TRUE : GL_FALSE);  // a failed write leaves a mapping
        EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);  // of the vertex array bound now
        if (mapped) glUnmapNamedBuffer(name);
        EXPECT_EQ(Contents(name), refused ? kBytes : patched);
        context->ReleaseIndexBuffer(&buffer);
    }
}

TEST_F(BufferTest, MapAccessFollowsVendorOfLastBufferData) {
    struct Row { GpuVendor vendor; MapAccess access; GLint flags; };
    const Row rows[] = {
        {GpuVendor::Other, MapAccess::Read, GL_MAP_READ_BIT},
        {GpuVendor::Other, MapAccess::Write, GL_MAP_WRITE_BIT},
        {GpuVendor::Nvidia, MapAccess::Write, GL_MAP_WRITE_BIT},
        {GpuVendor::Amd, MapAccess::Write, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT},
        {GpuVendor::Amd, MapAccess::Read, GL_MAP_READ_BIT},
        {GpuVendor::Amd, MapAccess::ReadWrite, GL_MAP_READ_BIT | GL_MAP_WRITE_BIT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "vendor " << int(row.vendor) << ", access " << int(row.access));
        ForceVendor(row.vendor);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticRead), ResultCode::Success);
        GLuint name = Name<GlPixelBuffer>(buffer);
        ForceVendor(GpuVendor::Other);  // the vendor at BufferData decides, not the one at MapBuffer
        ResultCode status = ResultCode::NotReady;
        auto* mapped = static_cast<uint8_t*>(buffer->MapBuffer(row.access, &status));
        ASSERT_NE(mapped, nullptr) << Log();
        EXPECT_EQ(status, ResultCode::Success);
        EXPECT_EQ(Param(name, GL_BUFFER_ACCESS_FLAGS), row.flags);
        EXPECT_EQ(Binding(GL_PIXEL_PACK_BUFFER_BINDING), 0);
        Bytes expected = kBytes;
        if (row.access != MapAccess::Write) {
            EXPECT_EQ(Bytes(mapped, mapped + 16), kBytes);
        }
        if (row.access != MapAccess::Read) {
            std::memset(mapped, 0x5A, 16);
            expected.assign(16, 0x5A);
        }
        EXPECT_EQ(buffer->UnmapBuffer(), ResultCode::Success);
        EXPECT_EQ(Param(name, GL_BUFFER_MAPPED), GL_FALSE);
        EXPECT_EQ(Contents(name), expected);
        context->ReleasePixelBuffer(&buffer);
    }
    EXPECT_EQ(Log(), kNoMessages);
}

// Each operation binds and unbinds its own target: a buffer left on the other target stays.
TEST_F(BufferTest, PixelBufferTargetFollowsUsage) {
    // StreamRead storage can only be mapped for reading; Draw storage only for writing.
    auto expectTarget = [&](PixelBuffer* buffer, bool unpack, MapAccess access = MapAccess::Write) {
        EXPECT_EQ(static_cast<GlPixelBuffer*>(buffer)->GetTarget(),
                  uint32_t(unpack ? GL_PIXEL_UNPACK_BUFFER : GL_PIXEL_PACK_BUFFER));
        glBindBuffer(GL_PIXEL_PACK_BUFFER, Sentinel());
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, Sentinel());
        ASSERT_NE(buffer->MapBuffer(access, nullptr), nullptr) << Log();
        EXPECT_EQ(Binding(GL_PIXEL_UNPACK_BUFFER_BINDING), unpack ? 0 : GLint(Sentinel()));
        EXPECT_EQ(Binding(GL_PIXEL_PACK_BUFFER_BINDING), unpack ? GLint(Sentinel()) : 0);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
        EXPECT_EQ(buffer->UnmapBuffer(), ResultCode::Success);
    };
    for (int usage = 0; usage < GlBuffer::kUsageCount; ++usage) {
        SCOPED_TRACE(testing::Message() << "usage " << usage);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        ASSERT_EQ(buffer->BufferData(16, nullptr, BufferUsage(usage)), ResultCode::Success);
        expectTarget(buffer, usage == 0 || usage == 3 || usage == 6, usage == 1 ? MapAccess::Read : MapAccess::Write);
        context->ReleasePixelBuffer(&buffer);
    }
    // The same GL buffer changes target with its usage.
    PixelBuffer* buffer = context->CreatePixelBuffer();
    ASSERT_EQ(buffer->BufferData(16, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
    GLuint name = Name<GlPixelBuffer>(buffer);
    expectTarget(buffer, true);
    ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticRead), ResultCode::Success);
    EXPECT_EQ(Name<GlPixelBuffer>(buffer), name);
    expectTarget(buffer, false);
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
    EXPECT_EQ(Param(emptyName, GL_BUFFER_SIZE), 32);
    const Bytes patch = {0xC0, 0xC1, 0xC2, 0xC3};
    EXPECT_EQ(filled->BufferSubData(8, patch.size(), patch.data()), ResultCode::Success);
    Bytes expected = kBytes;
    std::memcpy(expected.data() + 8, patch.data(), patch.size());
    EXPECT_EQ(Contents(filledName), expected);
    EXPECT_EQ(Binding(GL_UNIFORM_BUFFER_BINDING), 0);
    auto at = [](GLuint point) { GLint value = -1; glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, point, &value); return value; };
    EXPECT_EQ(context->BindUniformBuffer(filled, 0, 3), ResultCode::Success);
    EXPECT_EQ(context->BindUniformBuffer(empty, 0, 5), ResultCode::Success);
    EXPECT_EQ(at(3), GLint(filledName));
    EXPECT_EQ(context->UnBindUniformBuffer(filled), ResultCode::Success);  // from the point it was bound to
    EXPECT_EQ(at(3), 0);
    EXPECT_EQ(at(5), GLint(emptyName));
    EXPECT_EQ(context->BindUniformBuffer(nullptr, 0, 5), ResultCode::Success);
    EXPECT_EQ(at(5), 0);
    EXPECT_EQ(context->UnBindUniformBuffer(nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Log(), "[4] GlContext::UnBindUniformBuffer: null buffer\n");
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
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), GLint(Sentinel()));
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticDraw), ResultCode::Success);
    for (auto [type, glType] : {std::pair{IndexType::UInt16, GL_UNSIGNED_SHORT}, std::pair{IndexType::UInt32, GL_UNSIGNED_INT}}) {
        EXPECT_EQ(buffer->SetIndexType(type), ResultCode::Success);
        EXPECT_EQ(context->BindIndexBuffer(buffer), ResultCode::Success);
        EXPECT_EQ(gl->GetIndexGlType(), uint32_t(glType));
        EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), GLint(Name<GlIndexBuffer>(buffer)));
    }
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(gl->GetIndexGlType(), uint32_t(GL_UNSIGNED_INT));  // kept by the unbind
    // With nothing recorded an unbind makes no GL call: a raw binding survives it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Sentinel());
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), GLint(Sentinel()));
    EXPECT_EQ(Log(), kNoMessages);
    context->ReleaseIndexBuffer(&buffer);
}

// Before the first BufferData nothing has a GL object: each operation says so and changes nothing.
// Bad enumerations and null pointers are refused before any GL call.
TEST_F(BufferTest, MissingGlObjectBadEnumsNullPointersAndNullReleases) {
    VertexBuffer* vertex = context->CreateVertexBuffer();
    PixelBuffer* pixel = context->CreatePixelBuffer();
    IndexBuffer* index = context->CreateIndexBuffer();
    UniformBuffer* uniform = context->CreateUniformBuffer();
    uint8_t byte = 1;
    ResultCode status = ResultCode::NotReady;
    EXPECT_EQ(vertex->BufferSubData(0, 1, &byte), ResultCode::InvalidOperation);
    EXPECT_EQ(pixel->MapBuffer(MapAccess::Read, &status), nullptr);
    EXPECT_EQ(status, ResultCode::NotReady);  // left alone
    EXPECT_EQ(pixel->UnmapBuffer(), ResultCode::InvalidOperation);
    EXPECT_EQ(uniform->BufferSubData(0, 1, &byte), ResultCode::InvalidOperation);
    EXPECT_EQ(context->BindUniformBuffer(uniform, 0, 4), ResultCode::InvalidOperation);
    EXPECT_EQ(Log(), "[4] GlBuffer::BufferSubData: Buffer not initialized\n"
                     "[4] GlBuffer::MapBuffer: Buffer not initialized\n"
                     "[4] GlBuffer::UnmapBuffer: Buffer not initialized\n"
                     "[4] GlUniformBuffer::BufferSubData: Buffer not initialized\n"
                     "[4] GlUniformBuffer::Bind: Buffer not initialized\n");
    EXPECT_EQ(vertex->BufferData(4, kBytes.data(), BufferUsage(17)), ResultCode::InvalidEnum);
    EXPECT_EQ(Name<GlVertexBuffer>(vertex), 0u);  // no GL call, no name
    EXPECT_EQ(pixel->BufferData(4, kBytes.data(), BufferUsage(-1)), ResultCode::InvalidEnum);
    EXPECT_EQ(static_cast<GlPixelBuffer*>(pixel)->GetTarget(), uint32_t(GL_PIXEL_PACK_BUFFER));
    EXPECT_EQ(index->SetIndexType(IndexType(2)), ResultCode::InvalidEnum);
    EXPECT_EQ(static_cast<GlIndexBuffer*>(index)->GetIndexType(), IndexType::UInt16);
    EXPECT_EQ(vertex->SetVertexLayout(nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Log(), "[4] GlBuffer::BufferData: invalid BufferUsage 17\n"
                     "[4] GlBuffer::BufferData: invalid BufferUsage -1\n"
                     "[4] GlIndexBuffer::SetIndexType: invalid IndexType 2\n"
                     "[4] GlVertexBuffer::SetVertexLayout: null layout\n");
    // Null data allocates without contents; null data for a write is refused.
    ASSERT_EQ(pixel->BufferData(8, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
    ASSERT_EQ(uniform->BufferData(8, nullptr), ResultCode::Success);
    EXPECT_EQ(Param(Name<GlPixelBuffer>(pixel), GL_BUFFER_SIZE), 8);
    EXPECT_EQ(pixel->MapBuffer(MapAccess(3), &status), nullptr);
    EXPECT_EQ(status, ResultCode::InvalidEnum);
    EXPECT_EQ(Param(Name<GlPixelBuffer>(pixel), GL_BUFFER_MAPPED), GL_FALSE);
    EXPECT_EQ(pixel->BufferSubData(0, 4, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(uniform->BufferSubData(0, 4, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Log(), "[4] GlBuffer::MapBuffer: invalid MapAccess 3\n"
                     "[4] GlBuffer::BufferSubData: null data\n"
                     "[4] GlUniformBuffer::BufferSubData: null data\n");
    // Releasing twice: the second time through a pointer that holds null, which does nothing.
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(context->ReleaseVertexBuffer(&vertex), 0u);
        EXPECT_EQ(context->ReleasePixelBuffer(&pixel), 0u);
        EXPECT_EQ(context->ReleaseIndexBuffer(&index), 0u);
        EXPECT_EQ(context->ReleaseUniformBuffer(&uniform), 0u);
    }
    EXPECT_EQ(vertex, nullptr);
    EXPECT_EQ(Log(), kNoMessages);
    // A null address is a host bug: reported, nothing touched.
    EXPECT_EQ(context->ReleaseVertexBuffer(nullptr), uint32_t(ResultCode::InvalidValue));
    EXPECT_EQ(Log(), "[4] GlContext::ReleaseVertexBuffer: null address\n");
}

}  // namespace
