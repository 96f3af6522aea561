// Hosts call resource operations through the vtable, so every operation must stay at its slot:
// a reordered, inserted or dropped declaration breaks every host built against an older header.
// These tests read the slot of each operation back from its pointer-to-member value.

#include <gtest/gtest.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <type_traits>

#include "vindra/compute.h"
#include "vindra/resources.h"
#include "vtable_slots.h"

namespace vindra {
namespace {

// Interfaces without a virtual destructor must not be deletable by hosts either.
template <typename Interface>
void ExpectNoVirtualDestructor() {
    EXPECT_FALSE(std::has_virtual_destructor<Interface>::value);
    EXPECT_FALSE(std::is_destructible<Interface>::value);
}

TEST(ResourceSlots, IndexBuffer) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = kNoDestructor;
    ExpectNoVirtualDestructor<IndexBuffer>();
    EXPECT_EQ(VtableIndex(&IndexBuffer::SetIndexType), Entry(0, d));
    EXPECT_EQ(VtableIndex(&IndexBuffer::BufferData), Entry(1, d));
    EXPECT_EQ(VtableIndex(&IndexBuffer::BufferSubData), Entry(2, d));
}

TEST(ResourceSlots, VertexBuffer) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = kNoDestructor;
    ExpectNoVirtualDestructor<VertexBuffer>();
    EXPECT_EQ(VtableIndex(&VertexBuffer::SetVertexLayout), Entry(0, d));
    EXPECT_EQ(VtableIndex(&VertexBuffer::BufferData), Entry(1, d));
    EXPECT_EQ(VtableIndex(&VertexBuffer::BufferSubData), Entry(2, d));
}

TEST(ResourceSlots, PixelBuffer) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = kNoDestructor;
    ExpectNoVirtualDestructor<PixelBuffer>();
    EXPECT_EQ(VtableIndex(&PixelBuffer::BufferData), Entry(0, d));
    EXPECT_EQ(VtableIndex(&PixelBuffer::BufferSubData), Entry(1, d));
    EXPECT_EQ(VtableIndex(&PixelBuffer::MapBuffer), Entry(2, d));
    EXPECT_EQ(VtableIndex(&PixelBuffer::UnmapBuffer), Entry(3, d));
}

TEST(ResourceSlots, UniformBuffer) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = kNoDestructor;
    ExpectNoVirtualDestructor<UniformBuffer>();
    EXPECT_EQ(VtableIndex(&UniformBuffer::BufferData), Entry(0, d));
    EXPECT_EQ(VtableIndex(&UniformBuffer::BufferSubData), Entry(1, d));
}

TEST(ResourceSlots, Texture) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = 15;
    // Every operation pinned below the destructor and the destructor virtual leaves it no
    // other place than slot 15.
    EXPECT_TRUE(std::has_virtual_destructor<Texture>::value);
    EXPECT_EQ(VtableIndex(&Texture::Init), Entry(0, d));
    EXPECT_EQ(VtableIndex(&Texture::GetDesc), Entry(1, d));
    EXPECT_EQ(VtableIndex(&Texture::ReservedQuery2), Entry(2, d));
    EXPECT_EQ(VtableIndex(&Texture::LoadSubImage), Entry(3, d));
    EXPECT_EQ(VtableIndex(&Texture::ReadImage), Entry(4, d));
    EXPECT_EQ(VtableIndex(&Texture::SetWrapS), Entry(5, d));
    EXPECT_EQ(VtableIndex(&Texture::SetWrapT), Entry(6, d));
    EXPECT_EQ(VtableIndex(&Texture::SetWrapR), Entry(7, d));
    EXPECT_EQ(VtableIndex(&Texture::SetBorderColor), Entry(8, d));
    EXPECT_EQ(VtableIndex(&Texture::SetMinFilter), Entry(9, d));
    EXPECT_EQ(VtableIndex(&Texture::SetMagFilter), Entry(10, d));
    EXPECT_EQ(VtableIndex(&Texture::GetHandle), Entry(11, d));
    EXPECT_EQ(VtableIndex(&Texture::GenerateMipmap), Entry(12, d));
    EXPECT_EQ(VtableIndex(&Texture::AcquireForCompute), Entry(13, d));
    EXPECT_EQ(VtableIndex(&Texture::ReleaseFromCompute), Entry(14, d));
}

TEST(ResourceSlots, Framebuffer) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = 4;
    EXPECT_TRUE(std::has_virtual_destructor<Framebuffer>::value);
    EXPECT_EQ(VtableIndex(&Framebuffer::Init), Entry(0, d));
    EXPECT_EQ(VtableIndex(&Framebuffer::AttachColorTexture), Entry(1, d));
    EXPECT_EQ(VtableIndex(&Framebuffer::ResolveMultisample), Entry(2, d));
    EXPECT_EQ(VtableIndex(&Framebuffer::GetHandle), Entry(3, d));
}

TEST(ResourceSlots, ShaderLibrary) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = 2;
    EXPECT_TRUE(std::has_virtual_destructor<ShaderLibrary>::value);
    EXPECT_EQ(VtableIndex(&ShaderLibrary::ReservedQuery0), Entry(0, d));
    EXPECT_EQ(VtableIndex(&ShaderLibrary::Compile), Entry(1, d));
}

TEST(ResourceSlots, ShaderProgram) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = 13;
    EXPECT_TRUE(std::has_virtual_destructor<ShaderProgram>::value);
    EXPECT_EQ(VtableIndex(&ShaderProgram::ReservedQuery0), Entry(0, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::AddShader), Entry(1, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::AttachShaderLibrary), Entry(2, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::Link), Entry(3, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::ReservedQuery4), Entry(4, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::ReservedQuery5), Entry(5, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::SetUniformBlockBinding), Entry(6, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::AddUniformVariable), Entry(7, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::ResolveUniformVariables), Entry(8, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::SetUniformValue), Entry(9, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::ReservedQuery10), Entry(10, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::ReservedQuery11), Entry(11, d));
    EXPECT_EQ(VtableIndex(&ShaderProgram::ReservedQuery12), Entry(12, d));
}

TEST(ResourceSlots, VertexArray) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = 5;
    EXPECT_TRUE(std::has_virtual_destructor<VertexArray>::value);
    EXPECT_EQ(VtableIndex(&VertexArray::SetVertexBuffer), Entry(0, d));
    EXPECT_EQ(VtableIndex(&VertexArray::RemoveVertexBuffer), Entry(1, d));
    EXPECT_EQ(VtableIndex(&VertexArray::ClearVertexBuffers), Entry(2, d));
    EXPECT_EQ(VtableIndex(&VertexArray::SetConstantData), Entry(3, d));
    EXPECT_EQ(VtableIndex(&VertexArray::UpdateConstantData), Entry(4, d));
}

TEST(ResourceSlots, FenceSync) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = 4;
    EXPECT_TRUE(std::has_virtual_destructor<FenceSync>::value);
    EXPECT_EQ(VtableIndex(&FenceSync::SetFence), Entry(0, d));
    EXPECT_EQ(VtableIndex(&FenceSync::Wait), Entry(1, d));
    EXPECT_EQ(VtableIndex(&FenceSync::ClientWait), Entry(2, d));
    EXPECT_EQ(VtableIndex(&FenceSync::ClientCheck), Entry(3, d));
}

TEST(ResourceSlots, ComputeProgram) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = kNoDestructor;
    ExpectNoVirtualDestructor<ComputeProgram>();
    EXPECT_EQ(VtableIndex(&ComputeProgram::ReservedQuery0), Entry(0, d));
    EXPECT_EQ(VtableIndex(&ComputeProgram::AddSources), Entry(1, d));
    EXPECT_EQ(VtableIndex(&ComputeProgram::Build), Entry(2, d));
    EXPECT_EQ(VtableIndex(&ComputeProgram::GetKernel), Entry(3, d));
}

TEST(ResourceSlots, ComputeKernel) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = kNoDestructor;
    ExpectNoVirtualDestructor<ComputeKernel>();
    EXPECT_EQ(VtableIndex(&ComputeKernel::GetWorkGroupSize), Entry(0, d));
    EXPECT_EQ(VtableIndex(&ComputeKernel::SetArgument), Entry(1, d));
}

TEST(ResourceSlots, ComputeBuffer) {
    SKIP_UNLESS_ITANIUM();
    constexpr int d = kNoDestructor;
    ExpectNoVirtualDestructor<ComputeBuffer>();
    EXPECT_EQ(VtableIndex(&ComputeBuffer::Create), Entry(0, d));
    EXPECT_EQ(VtableIndex(&ComputeBuffer::WriteBuffer), Entry(1, d));
    EXPECT_EQ(VtableIndex(&ComputeBuffer::ReadBuffer), Entry(2, d));
    EXPECT_EQ(VtableIndex(&ComputeBuffer::GetHandle), Entry(3, d));
    EXPECT_EQ(VtableIndex(&ComputeBuffer::FillBuffer), Entry(4, d));
    EXPECT_EQ(VtableIndex(&ComputeBuffer::MapBuffer), Entry(5, d));
    EXPECT_EQ(VtableIndex(&ComputeBuffer::UnmapBuffer), Entry(6, d));
}

// Hosts fill the public records with their own copy of the header, so field order, sizes and
// natural alignment are binary interface too (64-bit targets).
TEST(ResourceRecords, Layout) {
    if (sizeof(void*) != 8) GTEST_SKIP() << "offsets below are those of 64-bit targets";

    EXPECT_EQ(sizeof(VertexAttribute), 32u);
    EXPECT_EQ(offsetof(VertexAttribute, location), 0u);
    EXPECT_EQ(offsetof(VertexAttribute, type), 4u);
    EXPECT_EQ(offsetof(VertexAttribute, components), 8u);
    EXPECT_EQ(offsetof(VertexAttribute, offset), 16u);
    EXPECT_EQ(offsetof(VertexAttribute, normalized), 24u);

    EXPECT_EQ(sizeof(VertexLayout), 8u + 8u * 32u);
    EXPECT_EQ(offsetof(VertexLayout, stride), 0u);
    EXPECT_EQ(offsetof(VertexLayout, attributeCount), 4u);
    EXPECT_EQ(offsetof(VertexLayout, attributes), 8u);

    EXPECT_EQ(sizeof(TextureDesc), 40u);
    EXPECT_EQ(offsetof(TextureDesc, format), 0u);
    EXPECT_EQ(offsetof(TextureDesc, width), 4u);
    EXPECT_EQ(offsetof(TextureDesc, height), 8u);
    EXPECT_EQ(offsetof(TextureDesc, depth), 12u);
    EXPECT_EQ(offsetof(TextureDesc, reserved), 16u);
    EXPECT_EQ(offsetof(TextureDesc, target2D), 24u);
    EXPECT_EQ(offsetof(TextureDesc, flags), 28u);
    EXPECT_EQ(offsetof(TextureDesc, externalName), 32u);

    EXPECT_EQ(sizeof(FramebufferDesc), 48u);
    EXPECT_EQ(offsetof(FramebufferDesc, colorTexture), 0u);
    EXPECT_EQ(offsetof(FramebufferDesc, samples), 8u);
    EXPECT_EQ(offsetof(FramebufferDesc, width), 12u);
    EXPECT_EQ(offsetof(FramebufferDesc, height), 16u);
    EXPECT_EQ(offsetof(FramebufferDesc, colorBuffer), 20u);
    EXPECT_EQ(offsetof(FramebufferDesc, colorFormat), 24u);
    EXPECT_EQ(offsetof(FramebufferDesc, depthBuffer), 28u);
    EXPECT_EQ(offsetof(FramebufferDesc, depthFormat), 32u);
    EXPECT_EQ(offsetof(FramebufferDesc, stencilBuffer), 36u);
    EXPECT_EQ(offsetof(FramebufferDesc, stencilFormat), 40u);

    EXPECT_EQ(sizeof(UniformVariable), 24u);
    EXPECT_EQ(offsetof(UniformVariable, name), 0u);
    EXPECT_EQ(offsetof(UniformVariable, type), 8u);
    EXPECT_EQ(offsetof(UniformVariable, components), 12u);
    EXPECT_EQ(offsetof(UniformVariable, count), 16u);
    EXPECT_EQ(offsetof(UniformVariable, location), 20u);

    EXPECT_EQ(sizeof(VertexBufferBinding), 16u);
    EXPECT_EQ(offsetof(VertexBufferBinding, buffer), 0u);
    EXPECT_EQ(offsetof(VertexBufferBinding, offset), 8u);
}

// Enumerations cross the interface as 32-bit integers of a fixed signedness.
TEST(ResourceRecords, EnumerationWidths) {
    EXPECT_TRUE((std::is_same<std::underlying_type<IndexType>::type, uint32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<BufferUsage>::type, int32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<MapAccess>::type, int32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<VertexAttributeType>::type, int32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<PixelFormat>::type, int32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<TextureWrap>::type, int32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<TextureFilter>::type, int32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<ShaderStage>::type, uint32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<UniformType>::type, int32_t>::value));
    EXPECT_TRUE((std::is_same<std::underlying_type<KernelArgKind>::type, uint32_t>::value));
}

}  // namespace
}  // namespace vindra
