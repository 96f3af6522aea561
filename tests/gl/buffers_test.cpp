// Buffers: storage paths, sub-range writes, mappings, targets, binds and releases, each read back
// from GL with raw queries; fall-backs driven by clearing GLEW's entry point or forcing the vendor.
#include "gl_test.h"

#include <cstdint>
#include <cstring>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "core/gl_context.h"
#include "gl/gl_index_buffer.h"
#include "gl/gl_pixel_buffer.h"
#include "gl/gl_uniform_buffer.h"
#include "gl/gl_vertex_buffer.h"

using namespace vindra;

namespace {

using Bytes = std::vector<uint8_t>;
const Bytes kBytes = {0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15};

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
    GlContext* Gl() { return static_cast<GlContext*>(context.get()); }
    void ForceVendor(GpuVendor vendor) { Gl()->SetGpuVendorForTesting(vendor); }
    std::string Log() { return vindra_test::Describe(Messages()); }

    static GLint Param(GLuint name, GLenum pname) {
        GLint value = -1;
        glGetNamedBufferParameteriv(name, pname, &value);
        return value;
    }
    static Bytes Contents(GLuint name, size_t size) {
        Bytes out(size);
        glGetNamedBufferSubData(name, 0, static_cast<GLsizeiptr>(size), out.data());
        return out;
    }
    static GLint Binding(GLenum binding) {
        GLint value = -1;
        glGetIntegerv(binding, &value);
        return value;
    }
    // A raw GL buffer to leave on a binding, so that a test sees whether an operation touched it.
    GLuint Sentinel() {
        if (sentinel == 0) glCreateBuffers(1, &sentinel);
        return sentinel;
    }

    PFNGLBUFFERSTORAGEPROC savedBufferStorage = nullptr;
    GLuint sentinel = 0;  // deleted with the context
};

const char* const kNoMessages = "(no messages)\n";

TEST_F(BufferTest, StoragePathFollowsUsageVendorAndEntryPoint) {
    enum Storage { Present, Cleared };
    struct Row {
        BufferUsage usage;
        GpuVendor vendor;
        Storage storage;
        GLint storageFlags;  // 0: mutable storage expected
        GLint hint;          // usage hint of mutable storage
        uint32_t subDataAccess;
    };
    const Row rows[] = {
        {BufferUsage::StreamDraw, GpuVendor::Other, Present, 0x2C2, 0, 0x06},
        {BufferUsage::StreamRead, GpuVendor::Intel, Present, 0x2C1, 0, 0x06},
        {BufferUsage::DynamicDraw, GpuVendor::Amd, Present, 0x3C2, 0, 0x26},
        {BufferUsage::StreamDraw, GpuVendor::Nvidia, Present, 0, GL_STREAM_DRAW, 0x06},
        {BufferUsage::DynamicDraw, GpuVendor::Other, Cleared, 0, GL_DYNAMIC_DRAW, 0x26},
        {BufferUsage::StreamCopy, GpuVendor::Other, Present, 0, GL_STREAM_COPY, 0x06},
        {BufferUsage::StaticDraw, GpuVendor::Other, Present, 0, GL_STATIC_DRAW, 0x06},
        {BufferUsage::DynamicRead, GpuVendor::Other, Present, 0, GL_DYNAMIC_READ, 0x26},
        {BufferUsage::DynamicCopy, GpuVendor::Other, Present, 0, GL_DYNAMIC_COPY, 0x26},
        {BufferUsage::StagingDraw, GpuVendor::Other, Present, 0, GL_STATIC_DRAW, 0x06},
        {BufferUsage::StagingCopy, GpuVendor::Other, Present, 0, GL_STATIC_COPY, 0x06},
        {BufferUsage::HostDraw, GpuVendor::Other, Present, 0, GL_STREAM_DRAW, 0x06},
        {BufferUsage::HostRead, GpuVendor::Other, Present, 0, GL_STREAM_READ, 0x06},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "usage " << static_cast<int>(row.usage) << ", vendor "
                                        << static_cast<int>(row.vendor) << ", storage " << row.storage);
        ForceVendor(row.vendor);
        __glewBufferStorage = row.storage == Present ? savedBufferStorage : nullptr;
        VertexBuffer* buffer = context->CreateVertexBuffer();
        auto* gl = static_cast<GlVertexBuffer*>(buffer);
        ASSERT_EQ(buffer->BufferData(kBytes.size(), kBytes.data(), row.usage), ResultCode::Success) << Log();
        GLuint name = gl->GetName();
        ASSERT_NE(name, 0u);
        EXPECT_EQ(Param(name, GL_BUFFER_IMMUTABLE_STORAGE), row.storageFlags != 0 ? GL_TRUE : GL_FALSE);
        if (row.storageFlags != 0) {
            EXPECT_EQ(Param(name, GL_BUFFER_STORAGE_FLAGS), row.storageFlags);
        } else {
            EXPECT_EQ(Param(name, GL_BUFFER_USAGE), row.hint);
        }
        EXPECT_EQ(Param(name, GL_BUFFER_SIZE), 16);
        EXPECT_EQ(Contents(name, 16), kBytes);
        EXPECT_EQ(gl->GetSubDataAccess(), row.subDataAccess);
        EXPECT_EQ(Binding(GL_ARRAY_BUFFER_BINDING), 0);
        EXPECT_EQ(context->ReleaseVertexBuffer(&buffer), 0u);
        EXPECT_EQ(buffer, nullptr);
        EXPECT_FALSE(glIsBuffer(name));
    }
    EXPECT_EQ(Log(), kNoMessages);
}

// Persistent storage is immutable: a second BufferData fails in GL, yet the fields take the new
// values. With mutable storage (NVIDIA) the same sequence reallocates the buffer.
TEST_F(BufferTest, SecondBufferDataOnPersistentStorage) {
    for (GpuVendor vendor : {GpuVendor::Other, GpuVendor::Nvidia}) {
        SCOPED_TRACE(testing::Message() << "vendor " << static_cast<int>(vendor));
        ForceVendor(vendor);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        auto* gl = static_cast<GlPixelBuffer*>(buffer);
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StreamDraw), ResultCode::Success);
        bool persistent = vendor != GpuVendor::Nvidia;
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

TEST_F(BufferTest, SubDataWritesOnlyTheRange) {
    struct Row {
        BufferUsage usage;
        ResultCode result;  // StreamRead storage has no write access: the mapping fails
    };
    const Row rows[] = {{BufferUsage::StaticDraw, ResultCode::Success},
                        {BufferUsage::StreamDraw, ResultCode::Success},
                        {BufferUsage::DynamicDraw, ResultCode::Success},
                        {BufferUsage::DynamicRead, ResultCode::Success},
                        {BufferUsage::StreamRead, ResultCode::InvalidOperation}};
    const Bytes patch = {0xA0, 0xA1, 0xA2, 0xA3, 0xA4, 0xA5};
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "usage " << static_cast<int>(row.usage));
        IndexBuffer* buffer = context->CreateIndexBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), row.usage), ResultCode::Success);
        GLuint name = static_cast<GlIndexBuffer*>(buffer)->GetName();
        glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Sentinel());
        EXPECT_EQ(buffer->BufferSubData(5, patch.size(), patch.data()), row.result);
        Bytes expected = kBytes;
        if (row.result == ResultCode::Success) {
            std::memcpy(expected.data() + 5, patch.data(), patch.size());
            EXPECT_EQ(Log(), kNoMessages);
        } else {
            EXPECT_EQ(Log(), "[4] GlBuffer::BufferSubData: GL_INVALID_OPERATION\n");
        }
        EXPECT_EQ(Contents(name, 16), expected);
        EXPECT_EQ(Param(name, GL_BUFFER_MAPPED), GL_FALSE);
        EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);  // of the vertex array bound now
        context->ReleaseIndexBuffer(&buffer);
    }
}

TEST_F(BufferTest, MapAccessFollowsVendorOfLastBufferData) {
    struct Row {
        GpuVendor vendor;
        MapAccess access;
        GLint flags;
    };
    const Row rows[] = {
        {GpuVendor::Other, MapAccess::Read, GL_MAP_READ_BIT},
        {GpuVendor::Other, MapAccess::Write, GL_MAP_WRITE_BIT},
        {GpuVendor::Nvidia, MapAccess::Write, GL_MAP_WRITE_BIT},
        {GpuVendor::Amd, MapAccess::Write, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT},
        {GpuVendor::Amd, MapAccess::Read, GL_MAP_READ_BIT},
        {GpuVendor::Amd, MapAccess::ReadWrite, GL_MAP_READ_BIT | GL_MAP_WRITE_BIT},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(testing::Message() << "vendor " << static_cast<int>(row.vendor) << ", access "
                                        << static_cast<int>(row.access));
        ForceVendor(row.vendor);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticRead), ResultCode::Success);
        GLuint name = static_cast<GlPixelBuffer*>(buffer)->GetName();
        ForceVendor(GpuVendor::Other);  // the vendor at BufferData decides, not the one at MapBuffer
        ResultCode status = ResultCode::NotReady;
        auto* mapped = static_cast<uint8_t*>(buffer->MapBuffer(row.access, &status));
        ASSERT_NE(mapped, nullptr) << Log();
        EXPECT_EQ(status, ResultCode::Success);
        EXPECT_EQ(Param(name, GL_BUFFER_MAPPED), GL_TRUE);
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
        EXPECT_EQ(Contents(name, 16), expected);
        context->ReleasePixelBuffer(&buffer);
    }
    EXPECT_EQ(Log(), kNoMessages);
}

TEST_F(BufferTest, SubDataOnMappedBufferCopiesNothing) {
    PixelBuffer* buffer = context->CreatePixelBuffer();
    ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticDraw), ResultCode::Success);
    GLuint name = static_cast<GlPixelBuffer*>(buffer)->GetName();
    ASSERT_NE(buffer->MapBuffer(MapAccess::Read, nullptr), nullptr);
    const Bytes patch(4, 0xEE);
    EXPECT_EQ(buffer->BufferSubData(0, patch.size(), patch.data()), ResultCode::InvalidOperation);
    EXPECT_EQ(Log(), "[4] GlBuffer::BufferSubData: GL_INVALID_OPERATION\n");
    EXPECT_EQ(Param(name, GL_BUFFER_MAPPED), GL_TRUE);  // the failed write did not unmap it
    EXPECT_EQ(buffer->UnmapBuffer(), ResultCode::Success);
    EXPECT_EQ(Contents(name, 16), kBytes);
    context->ReleasePixelBuffer(&buffer);
}

// Each operation binds and unbinds its own target: a buffer left on the other target stays.
TEST_F(BufferTest, PixelBufferTargetFollowsUsage) {
    // StreamRead storage can only be mapped for reading; Draw storage only for writing.
    auto expectTarget = [&](PixelBuffer* buffer, bool unpack, MapAccess access = MapAccess::Write) {
        EXPECT_EQ(static_cast<GlPixelBuffer*>(buffer)->GetTarget(),
                  static_cast<uint32_t>(unpack ? GL_PIXEL_UNPACK_BUFFER : GL_PIXEL_PACK_BUFFER));
        glBindBuffer(GL_PIXEL_PACK_BUFFER, Sentinel());
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, Sentinel());
        ASSERT_NE(buffer->MapBuffer(access, nullptr), nullptr) << Log();
        EXPECT_EQ(Binding(GL_PIXEL_UNPACK_BUFFER_BINDING), unpack ? 0 : static_cast<GLint>(Sentinel()));
        EXPECT_EQ(Binding(GL_PIXEL_PACK_BUFFER_BINDING), unpack ? static_cast<GLint>(Sentinel()) : 0);
        glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
        glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
        EXPECT_EQ(buffer->UnmapBuffer(), ResultCode::Success);
    };
    for (int usage = 0; usage < GlBuffer::kUsageCount; ++usage) {
        SCOPED_TRACE(testing::Message() << "usage " << usage);
        PixelBuffer* buffer = context->CreatePixelBuffer();
        EXPECT_EQ(static_cast<GlPixelBuffer*>(buffer)->GetTarget(), static_cast<uint32_t>(GL_PIXEL_PACK_BUFFER));
        ASSERT_EQ(buffer->BufferData(16, nullptr, static_cast<BufferUsage>(usage)), ResultCode::Success);
        expectTarget(buffer, usage == 0 || usage == 3 || usage == 6, usage == 1 ? MapAccess::Read : MapAccess::Write);
        context->ReleasePixelBuffer(&buffer);
    }
    // The same GL buffer changes target with its usage.
    PixelBuffer* buffer = context->CreatePixelBuffer();
    ASSERT_EQ(buffer->BufferData(16, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
    GLuint name = static_cast<GlPixelBuffer*>(buffer)->GetName();
    expectTarget(buffer, true);
    ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticRead), ResultCode::Success);
    EXPECT_EQ(static_cast<GlPixelBuffer*>(buffer)->GetName(), name);
    expectTarget(buffer, false);
    EXPECT_EQ(Log(), kNoMessages);
    context->ReleasePixelBuffer(&buffer);
}

TEST_F(BufferTest, UniformBufferDataBindAndUnbind) {
    const Bytes patch = {0xC0, 0xC1, 0xC2, 0xC3};
    UniformBuffer* filled = context->CreateUniformBuffer();
    UniformBuffer* empty = context->CreateUniformBuffer();
    auto* gl = static_cast<GlUniformBuffer*>(filled);
    ASSERT_EQ(filled->BufferData(16, kBytes.data()), ResultCode::Success);
    ASSERT_EQ(empty->BufferData(32, nullptr), ResultCode::Success);
    GLuint emptyName = static_cast<GlUniformBuffer*>(empty)->GetName();
    EXPECT_EQ(Param(gl->GetName(), GL_BUFFER_USAGE), GL_STATIC_DRAW);
    EXPECT_EQ(Param(emptyName, GL_BUFFER_USAGE), GL_DYNAMIC_DRAW);
    EXPECT_EQ(Param(emptyName, GL_BUFFER_SIZE), 32);
    EXPECT_EQ(filled->BufferSubData(8, patch.size(), patch.data()), ResultCode::Success);
    Bytes expected = kBytes;
    std::memcpy(expected.data() + 8, patch.data(), patch.size());
    EXPECT_EQ(Contents(gl->GetName(), 16), expected);
    EXPECT_EQ(Binding(GL_UNIFORM_BUFFER_BINDING), 0);

    auto indexed = [](GLuint point) {
        GLint value = -1;
        glGetIntegeri_v(GL_UNIFORM_BUFFER_BINDING, point, &value);
        return value;
    };
    EXPECT_EQ(context->BindUniformBuffer(filled, 0, 3), ResultCode::Success);
    EXPECT_EQ(context->BindUniformBuffer(empty, 0, 5), ResultCode::Success);
    EXPECT_EQ(indexed(3), static_cast<GLint>(gl->GetName()));
    EXPECT_EQ(gl->GetBindingPoint(), 3u);
    EXPECT_EQ(context->UnBindUniformBuffer(filled), ResultCode::Success);
    EXPECT_EQ(indexed(3), 0);
    EXPECT_EQ(indexed(5), static_cast<GLint>(emptyName));
    EXPECT_EQ(context->BindUniformBuffer(nullptr, 0, 5), ResultCode::Success);
    EXPECT_EQ(indexed(5), 0);
    EXPECT_EQ(Log(), kNoMessages);

    EXPECT_EQ(context->UnBindUniformBuffer(nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Log(), "[4] GlContext::UnBindUniformBuffer: null buffer\n");
    EXPECT_EQ(context->ReleaseUniformBuffer(&filled), 0u);
    EXPECT_EQ(context->ReleaseUniformBuffer(&empty), 0u);
    EXPECT_FALSE(glIsBuffer(emptyName));
}

TEST_F(BufferTest, BindIndexBufferRecordsTypeAndBinds) {
    IndexBuffer* buffer = context->CreateIndexBuffer();
    auto* gl = static_cast<GlIndexBuffer*>(buffer);
    // Without a GL name the bind fails, yet type and buffer are recorded so that the unbind
    // reaches GL.
    ASSERT_EQ(buffer->SetIndexType(IndexType::UInt32), ResultCode::Success);
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Sentinel());
    EXPECT_EQ(context->BindIndexBuffer(buffer), ResultCode::InvalidOperation);
    EXPECT_EQ(Log(), "[4] GlIndexBuffer::Bind: Buffer not initialized\n");
    EXPECT_EQ(Gl()->GetBoundIndexBuffer(), gl);
    EXPECT_EQ(Gl()->GetIndexGlType(), static_cast<uint32_t>(GL_UNSIGNED_INT));
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), static_cast<GLint>(Sentinel()));
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);

    ASSERT_EQ(buffer->BufferData(16, kBytes.data(), BufferUsage::StaticDraw), ResultCode::Success);
    for (auto [type, glType] : {std::pair{IndexType::UInt16, GL_UNSIGNED_SHORT},
                                std::pair{IndexType::UInt32, GL_UNSIGNED_INT}}) {
        EXPECT_EQ(buffer->SetIndexType(type), ResultCode::Success);
        EXPECT_EQ(context->BindIndexBuffer(buffer), ResultCode::Success);
        EXPECT_EQ(Gl()->GetIndexGlType(), static_cast<uint32_t>(glType));
        EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), static_cast<GLint>(gl->GetName()));
    }
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(Gl()->GetBoundIndexBuffer(), nullptr);
    EXPECT_EQ(Gl()->GetIndexGlType(), static_cast<uint32_t>(GL_UNSIGNED_INT));  // kept by the unbind

    // With nothing recorded an unbind makes no GL call: a raw binding survives it.
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, Sentinel());
    EXPECT_EQ(context->BindIndexBuffer(nullptr), ResultCode::Success);
    EXPECT_EQ(Binding(GL_ELEMENT_ARRAY_BUFFER_BINDING), static_cast<GLint>(Sentinel()));
    EXPECT_EQ(Log(), kNoMessages);
    context->ReleaseIndexBuffer(&buffer);
}

TEST_F(BufferTest, VertexBufferBindPointsLayoutAtBuffer) {
    VertexBuffer* buffer = context->CreateVertexBuffer();
    auto* gl = static_cast<GlVertexBuffer*>(buffer);
    VertexLayout layout = {16, 3, {}};
    layout.attributes[0] = {0, VertexAttributeType::Float32, 3, 0, false};
    layout.attributes[1] = {-1, static_cast<VertexAttributeType>(99), 2, 4, false};  // skipped, never read
    layout.attributes[2] = {2, VertexAttributeType::UInt8, 4, 12, true};
    ASSERT_EQ(buffer->SetVertexLayout(&layout), ResultCode::Success);
    ASSERT_EQ(buffer->BufferData(64, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
    auto attrib = [](GLuint location, GLenum pname) {
        GLint value = -1;
        glGetVertexAttribiv(location, pname, &value);
        return value;
    };
    ASSERT_EQ(gl->Bind(32), ResultCode::Success) << Log();
    struct Expect {
        GLuint location;
        GLint size, type, normalized;
        uintptr_t offset;
    };
    for (const Expect& e : {Expect{0, 3, GL_FLOAT, GL_FALSE, 32}, Expect{2, 4, GL_UNSIGNED_BYTE, GL_TRUE, 44}}) {
        SCOPED_TRACE(testing::Message() << "location " << e.location);
        void* pointer = nullptr;
        glGetVertexAttribPointerv(e.location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
        EXPECT_EQ(reinterpret_cast<uintptr_t>(pointer), e.offset);
        EXPECT_EQ(attrib(e.location, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE);
        EXPECT_EQ(attrib(e.location, GL_VERTEX_ATTRIB_ARRAY_SIZE), e.size);
        EXPECT_EQ(attrib(e.location, GL_VERTEX_ATTRIB_ARRAY_TYPE), e.type);
        EXPECT_EQ(attrib(e.location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), e.normalized);
        EXPECT_EQ(attrib(e.location, GL_VERTEX_ATTRIB_ARRAY_STRIDE), 16);
        EXPECT_EQ(attrib(e.location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING), static_cast<GLint>(gl->GetName()));
    }
    EXPECT_EQ(Binding(GL_ARRAY_BUFFER_BINDING), 0);
    EXPECT_EQ(gl->UnBind(), ResultCode::Success);
    EXPECT_EQ(attrib(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED) + attrib(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), 0);
    EXPECT_EQ(Log(), kNoMessages);

    // A bad record is refused before any GL call: attribute 0 stays disabled.
    layout.attributes[2].type = static_cast<VertexAttributeType>(8);
    buffer->SetVertexLayout(&layout);
    EXPECT_EQ(gl->Bind(0), ResultCode::InvalidEnum);
    layout.attributeCount = 9;
    buffer->SetVertexLayout(&layout);
    EXPECT_EQ(gl->Bind(0), ResultCode::InvalidValue);
    EXPECT_EQ(gl->UnBind(), ResultCode::InvalidValue);
    EXPECT_EQ(Log(), "[4] GlVertexBuffer::Bind: invalid VertexAttributeType 8\n"
                     "[4] GlVertexBuffer::Bind: invalid attribute count 9\n"
                     "[4] GlVertexBuffer::UnBind: invalid attribute count 9\n");
    EXPECT_EQ(attrib(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE);
    context->ReleaseVertexBuffer(&buffer);
}

// Before the first BufferData nothing has a GL object: each operation says so and changes nothing.
TEST_F(BufferTest, OperationsWithoutGlObject) {
    VertexBuffer* vertex = context->CreateVertexBuffer();
    PixelBuffer* pixel = context->CreatePixelBuffer();
    UniformBuffer* uniform = context->CreateUniformBuffer();
    auto* glVertex = static_cast<GlVertexBuffer*>(vertex);
    auto* glUniform = static_cast<GlUniformBuffer*>(uniform);
    EXPECT_EQ(glVertex->GetTarget(), static_cast<uint32_t>(GL_ARRAY_BUFFER));
    EXPECT_EQ(glVertex->GetMapAccess(MapAccess::Write), 0x2u);
    uint8_t byte = 1;
    ResultCode status = ResultCode::NotReady;
    struct Row {
        ResultCode result;
        const char* message;
    };
    const Row rows[] = {
        {vertex->BufferSubData(0, 1, &byte), "GlBuffer::BufferSubData: Buffer not initialized"},
        {pixel->MapBuffer(MapAccess::Read, &status) == nullptr ? ResultCode::InvalidOperation : ResultCode::Success,
         "GlBuffer::MapBuffer: Buffer not initialized"},
        {pixel->UnmapBuffer(), "GlBuffer::UnmapBuffer: Buffer not initialized"},
        {glVertex->Bind(0), "GlVertexBuffer::Bind: Buffer not initialized"},
        {uniform->BufferSubData(0, 1, &byte), "GlUniformBuffer::BufferSubData: Buffer not initialized"},
        {context->BindUniformBuffer(uniform, 0, 4), "GlUniformBuffer::Bind: Buffer not initialized"},
    };
    std::vector<vindra_test::Message> messages = Messages();
    ASSERT_EQ(messages.size(), std::size(rows)) << vindra_test::Describe(messages);
    for (size_t i = 0; i < std::size(rows); ++i) {
        EXPECT_EQ(rows[i].result, ResultCode::InvalidOperation) << rows[i].message;
        EXPECT_EQ(messages[i], (vindra_test::Message{4, rows[i].message}));
    }
    EXPECT_EQ(status, ResultCode::NotReady);  // MapBuffer leaves it alone
    EXPECT_EQ(glUniform->GetBindingPoint(), 0u);
    EXPECT_EQ(glVertex->UnBind(), ResultCode::Success);  // nothing to disable
    EXPECT_EQ(glVertex->GetName(), 0u);
    EXPECT_EQ(Log(), kNoMessages);
    context->ReleaseVertexBuffer(&vertex);
    context->ReleasePixelBuffer(&pixel);
    context->ReleaseUniformBuffer(&uniform);
}

TEST_F(BufferTest, BadEnumsAndNullPointers) {
    VertexBuffer* vertex = context->CreateVertexBuffer();
    PixelBuffer* pixel = context->CreatePixelBuffer();
    IndexBuffer* index = context->CreateIndexBuffer();
    UniformBuffer* uniform = context->CreateUniformBuffer();
    auto* glPixel = static_cast<GlPixelBuffer*>(pixel);

    EXPECT_EQ(vertex->BufferData(4, kBytes.data(), static_cast<BufferUsage>(17)), ResultCode::InvalidEnum);
    EXPECT_EQ(static_cast<GlVertexBuffer*>(vertex)->GetName(), 0u);  // no GL call, no name
    EXPECT_EQ(pixel->BufferData(4, kBytes.data(), static_cast<BufferUsage>(-1)), ResultCode::InvalidEnum);
    EXPECT_EQ(glPixel->GetTarget(), static_cast<uint32_t>(GL_PIXEL_PACK_BUFFER));
    EXPECT_EQ(index->SetIndexType(static_cast<IndexType>(2)), ResultCode::InvalidEnum);
    EXPECT_EQ(static_cast<GlIndexBuffer*>(index)->GetIndexType(), IndexType::UInt16);
    EXPECT_EQ(vertex->SetVertexLayout(nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Log(), "[4] GlBuffer::BufferData: invalid BufferUsage 17\n"
                     "[4] GlBuffer::BufferData: invalid BufferUsage -1\n"
                     "[4] GlIndexBuffer::SetIndexType: invalid IndexType 2\n"
                     "[4] GlVertexBuffer::SetVertexLayout: null layout\n");

    // Null data allocates without contents; null data for a write is refused.
    ASSERT_EQ(pixel->BufferData(8, nullptr, BufferUsage::StaticDraw), ResultCode::Success);
    ASSERT_EQ(uniform->BufferData(8, nullptr), ResultCode::Success);
    EXPECT_EQ(Param(glPixel->GetName(), GL_BUFFER_SIZE), 8);
    ResultCode status = ResultCode::NotReady;
    EXPECT_EQ(pixel->MapBuffer(static_cast<MapAccess>(3), &status), nullptr);
    EXPECT_EQ(status, ResultCode::InvalidEnum);
    EXPECT_EQ(Param(glPixel->GetName(), GL_BUFFER_MAPPED), GL_FALSE);
    EXPECT_EQ(pixel->BufferSubData(0, 4, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(uniform->BufferSubData(0, 4, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Log(), "[4] GlBuffer::MapBuffer: invalid MapAccess 3\n"
                     "[4] GlBuffer::BufferSubData: null data\n"
                     "[4] GlUniformBuffer::BufferSubData: null data\n");

    context->ReleaseVertexBuffer(&vertex);
    context->ReleasePixelBuffer(&pixel);
    context->ReleaseIndexBuffer(&index);
    context->ReleaseUniformBuffer(&uniform);
    // Releasing through a pointer that holds null does nothing and says nothing.
    EXPECT_EQ(context->ReleaseVertexBuffer(&vertex), 0u);
    EXPECT_EQ(context->ReleasePixelBuffer(&pixel), 0u);
    EXPECT_EQ(context->ReleaseIndexBuffer(&index), 0u);
    EXPECT_EQ(context->ReleaseUniformBuffer(&uniform), 0u);
    EXPECT_EQ(vertex, nullptr);
    EXPECT_EQ(Log(), kNoMessages);
    // A null address is a host bug: reported, nothing touched.
    EXPECT_EQ(context->ReleaseVertexBuffer(nullptr), uint32_t(ResultCode::InvalidValue));
    EXPECT_TRUE(capture.Contains(4, "GlContext::ReleaseVertexBuffer: null address"));
}

}  // namespace
