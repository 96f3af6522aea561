// Hosts call every interface through its vtable and fill the public records with their own copy of
// the headers: a reordered, inserted or dropped operation, a moved field or a widened enumeration
// breaks every host built against an earlier header.
#include <gtest/gtest.h>

#include "gl/gl_context.h"
#include "vindra/vindra.h"
#include "vtable_slots.h"

namespace vindra {
namespace {

// Records: field offsets and sizes of 64-bit targets. Tables, laid out by hand.
// clang-format off
#if UINTPTR_MAX == UINT64_MAX
#define AT(Record, field, offset) static_assert(offsetof(Record, field) == (offset), #Record "::" #field " moved");
#define SIZE(Record, size) static_assert(sizeof(Record) == (size), #Record " changed size");
AT(ContextInitData, name, 0) AT(ContextInitData, type, 8) AT(ContextInitData, window, 16)
AT(ContextInitData, shareContext, 24) AT(ContextInitData, deepColor, 32) AT(ContextInitData, floatColor, 33)
AT(ContextInitData, reserved, 34) AT(ContextInitData, multisample, 35) AT(ContextInitData, swapExchange, 36)
AT(ContextInitData, majorVersion, 40) AT(ContextInitData, minorVersion, 44) AT(ContextInitData, coreProfile, 48)
AT(ContextInitData, clPlatformIndex, 52) AT(ContextInitData, clDeviceIndex, 56) SIZE(ContextInitData, 64)
AT(VertexAttribute, location, 0) AT(VertexAttribute, type, 4) AT(VertexAttribute, components, 8)
AT(VertexAttribute, offset, 16) AT(VertexAttribute, normalized, 24) SIZE(VertexAttribute, 32)
AT(VertexLayout, stride, 0) AT(VertexLayout, attributeCount, 4) AT(VertexLayout, attributes, 8)
SIZE(VertexLayout, 8 + 8 * 32)
AT(TextureDesc, format, 0) AT(TextureDesc, width, 4) AT(TextureDesc, height, 8) AT(TextureDesc, depth, 12)
AT(TextureDesc, reserved, 16) AT(TextureDesc, target2D, 24) AT(TextureDesc, flags, 28)
AT(TextureDesc, externalName, 32) SIZE(TextureDesc, 40)
AT(FramebufferDesc, colorTexture, 0) AT(FramebufferDesc, samples, 8) AT(FramebufferDesc, width, 12)
AT(FramebufferDesc, height, 16) AT(FramebufferDesc, colorBuffer, 20) AT(FramebufferDesc, colorFormat, 24)
AT(FramebufferDesc, depthBuffer, 28) AT(FramebufferDesc, depthFormat, 32) AT(FramebufferDesc, stencilBuffer, 36)
AT(FramebufferDesc, stencilFormat, 40) SIZE(FramebufferDesc, 48)
AT(UniformVariable, name, 0) AT(UniformVariable, type, 8) AT(UniformVariable, components, 12)
AT(UniformVariable, count, 16) AT(UniformVariable, location, 20) SIZE(UniformVariable, 24)
AT(VertexBufferBinding, buffer, 0) AT(VertexBufferBinding, offset, 8) SIZE(VertexBufferBinding, 16)
#endif

// Enumerations cross the interface as 32-bit integers of a fixed signedness.
#define WIDTH(Enum, Type) static_assert(std::is_same<std::underlying_type<Enum>::type, Type>::value, #Enum " width");
WIDTH(ResultCode, uint32_t) WIDTH(ContextInfo, uint32_t) WIDTH(CompareFunc, int32_t) WIDTH(IndexType, uint32_t)
WIDTH(BufferUsage, int32_t) WIDTH(MapAccess, int32_t) WIDTH(VertexAttributeType, int32_t) WIDTH(PixelFormat, int32_t)
WIDTH(TextureWrap, int32_t) WIDTH(TextureFilter, int32_t) WIDTH(ShaderStage, uint32_t) WIDTH(UniformType, int32_t)
WIDTH(KernelArgKind, uint32_t)
    // clang-format on

    // Interfaces with a virtual destructor; the others cannot be deleted through the interface at all.
    template <>
    constexpr int kDestructorSlot<Context> = 0;
template <>
constexpr int kDestructorSlot<GlContext> = 0;
template <>
constexpr int kDestructorSlot<Texture> = 15;
template <>
constexpr int kDestructorSlot<Framebuffer> = 4;
template <>
constexpr int kDestructorSlot<ShaderLibrary> = 2;
template <>
constexpr int kDestructorSlot<ShaderProgram> = 13;
template <>
constexpr int kDestructorSlot<VertexArray> = 5;
template <>
constexpr int kDestructorSlot<FenceSync> = 4;

#define C(operation, slot) VINDRA_SLOT(Context, operation, slot)
#define R VINDRA_SLOT
TEST(InterfaceSlots, EveryOperationKeepsItsSlot) {
    SKIP_UNLESS_ITANIUM();
    // clang-format off
    ExpectSlots({
        C(GetName, 1), C(GetType, 2), C(ReservedQuery3, 3), C(GetInfo, 4), C(MakeCurrent, 5), C(ClearCurrent, 6),
        C(CreateSharedContext, 7), C(GetSwapInterval, 8), C(SetSwapInterval, 9), C(ReservedQuery10, 10),
        C(SetClient, 11), C(SwapBuffers, 12), C(IsBackBufferPreserved, 13), C(JoinSwapGroup, 14),
        C(BindSwapBarrier, 15), C(ReservedQuery16, 16), C(ReservedQuery17, 17), C(Flush, 18), C(Finish, 19),
        C(ReservedQuery20, 20), C(ReservedQuery21, 21), C(SetViewPort, 22), C(GetViewPort, 23), C(EnableScissor, 24),
        C(IsScissorEnabled, 25), C(SetScissorRect, 26), C(GetScissorRect, 27), C(EnableDepthTest, 28),
        C(SetDepthMask, 29), C(SetDepthFunc, 30), C(EnableStencilTest, 31), C(SetStencilFunc, 32),
        C(SetStencilOp, 33), C(SetColorMask, 34), C(EnableBlend, 35), C(SetBlendEquation, 36), C(SetBlendFunc, 37),
        C(SetBlendColor, 38), C(SetTriangleFillMode, 39), C(EnableClipDistance, 40), C(SetPatchParameter, 41),
        C(Clear, 42), C(CreateVertexBuffer, 43), C(ReleaseVertexBuffer, 44), C(CreateVertexArray, 45),
        C(ReleaseVertexArray, 46), C(BindVertexArray, 47), C(CreateIndexBuffer, 48), C(ReleaseIndexBuffer, 49),
        C(BindIndexBuffer, 50), C(CreateUniformBuffer, 51), C(ReleaseUniformBuffer, 52), C(BindUniformBuffer, 53),
        C(UnBindUniformBuffer, 54), C(CreatePixelBuffer, 55), C(ReleasePixelBuffer, 56), C(CreateShaderLibrary, 57),
        C(ReleaseShaderLibrary, 58), C(CreateShaderProgram, 59), C(ReleaseShaderProgram, 60),
        C(BindShaderProgram, 61), C(GetBoundShaderProgram, 62), C(CreateTexture, 63), C(ReleaseTexture, 64),
        C(BindTexture, 65), C(CreateFramebuffer, 66), C(ReleaseFramebuffer, 67), C(BindFramebuffer, 68),
        C(GetBoundFramebuffer, 69), C(DrawPrimitives, 70), C(DrawIndexedPrimitives, 71), C(CreateFenceSync, 72),
        C(ReleaseFenceSync, 73), C(CopyFramebuffer, 74), C(ReadPixels, 75), C(CopyTextureToBuffer, 76),
        C(CopyBufferToTexture, 77), C(SyncPreCompute, 78), C(SyncPostCompute, 79), C(CreateComputeProgram, 80),
        C(ReleaseComputeProgram, 81), C(ExecuteComputeKernel, 82), C(CreateComputeBuffer, 83),
        C(ReleaseComputeBuffer, 84), C(CopyComputeBuffer, 85),
        // GlContext adds its own operations after the interface's.
        R(GlContext, Init, 86), R(GlContext, GetTotalVideoMemory, 87), R(GlContext, GetAvailableVideoMemory, 88),
        R(IndexBuffer, SetIndexType, 0), R(IndexBuffer, BufferData, 1), R(IndexBuffer, BufferSubData, 2),
        R(VertexBuffer, SetVertexLayout, 0), R(VertexBuffer, BufferData, 1), R(VertexBuffer, BufferSubData, 2),
        R(PixelBuffer, BufferData, 0), R(PixelBuffer, BufferSubData, 1), R(PixelBuffer, MapBuffer, 2),
        R(PixelBuffer, UnmapBuffer, 3), R(UniformBuffer, BufferData, 0), R(UniformBuffer, BufferSubData, 1),
        R(Texture, Init, 0), R(Texture, GetDesc, 1), R(Texture, ReservedQuery2, 2), R(Texture, LoadSubImage, 3),
        R(Texture, ReadImage, 4), R(Texture, SetWrapS, 5), R(Texture, SetWrapT, 6), R(Texture, SetWrapR, 7),
        R(Texture, SetBorderColor, 8), R(Texture, SetMinFilter, 9), R(Texture, SetMagFilter, 10),
        R(Texture, GetHandle, 11), R(Texture, GenerateMipmap, 12), R(Texture, AcquireForCompute, 13),
        R(Texture, ReleaseFromCompute, 14), R(Framebuffer, Init, 0), R(Framebuffer, AttachColorTexture, 1),
        R(Framebuffer, ResolveMultisample, 2), R(Framebuffer, GetHandle, 3), R(ShaderLibrary, ReservedQuery0, 0),
        R(ShaderLibrary, Compile, 1), R(ShaderProgram, ReservedQuery0, 0), R(ShaderProgram, AddShader, 1),
        R(ShaderProgram, AttachShaderLibrary, 2), R(ShaderProgram, Link, 3), R(ShaderProgram, ReservedQuery4, 4),
        R(ShaderProgram, ReservedQuery5, 5), R(ShaderProgram, SetUniformBlockBinding, 6),
        R(ShaderProgram, AddUniformVariable, 7), R(ShaderProgram, ResolveUniformVariables, 8),
        R(ShaderProgram, SetUniformValue, 9), R(ShaderProgram, ReservedQuery10, 10),
        R(ShaderProgram, ReservedQuery11, 11), R(ShaderProgram, ReservedQuery12, 12),
        R(VertexArray, SetVertexBuffer, 0), R(VertexArray, RemoveVertexBuffer, 1),
        R(VertexArray, ClearVertexBuffers, 2), R(VertexArray, SetConstantData, 3),
        R(VertexArray, UpdateConstantData, 4), R(FenceSync, SetFence, 0), R(FenceSync, Wait, 1),
        R(FenceSync, ClientWait, 2), R(FenceSync, ClientCheck, 3), R(ComputeProgram, ReservedQuery0, 0),
        R(ComputeProgram, AddSources, 1), R(ComputeProgram, Build, 2), R(ComputeProgram, GetKernel, 3),
        R(ComputeKernel, GetWorkGroupSize, 0), R(ComputeKernel, SetArgument, 1), R(ComputeBuffer, Create, 0),
        R(ComputeBuffer, WriteBuffer, 1), R(ComputeBuffer, ReadBuffer, 2), R(ComputeBuffer, GetHandle, 3),
        R(ComputeBuffer, FillBuffer, 4), R(ComputeBuffer, MapBuffer, 5), R(ComputeBuffer, UnmapBuffer, 6),
    });
    // clang-format on
}

}  // namespace
}  // namespace vindra
