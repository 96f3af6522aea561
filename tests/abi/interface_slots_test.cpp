// Hosts call every interface through its vtable and fill the public records with their own copy of
// the headers: a reordered, inserted or dropped operation breaks every host built against an earlier
// header.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <type_traits>

#include "gl/gl_context.h"
#include "vindra/vindra.h"

namespace vindra {
namespace {

// The slot of each interface's virtual destructor (-1: none, and hosts cannot delete the object either).
// Record layouts are asserted in the headers themselves.
// clang-format off
template <typename Interface> constexpr int kDestructorSlot = -1;
#define DESTRUCTOR(Interface, slot) template <> constexpr int kDestructorSlot<Interface> = slot
DESTRUCTOR(Context, 0); DESTRUCTOR(GlContext, 0); DESTRUCTOR(Texture, 15); DESTRUCTOR(Framebuffer, 4);
DESTRUCTOR(ShaderLibrary, 2); DESTRUCTOR(ShaderProgram, 13); DESTRUCTOR(VertexArray, 5); DESTRUCTOR(FenceSync, 4);
// clang-format on

// The vtable entry of a virtual member function, read from its member pointer as the Itanium C++ ABI
// encodes it (GCC and Clang, mingw-w64 included); -1 for a member that is not virtual.
template <typename Member>
std::ptrdiff_t VtableIndex(Member member) {
    static_assert(sizeof(Member) == 2 * sizeof(std::uintptr_t), "an Itanium member pointer is two words");
    std::uintptr_t words[2];
    std::memcpy(words, &member, sizeof words);
    // On x86-64 the first word is 1 + the byte offset of the entry in the vtable.
    return (words[0] & 1) != 0 ? std::ptrdiff_t((words[0] - 1) / sizeof(void*)) : -1;
}

// Windows has Microsoft's layout, where the destructor takes one entry, held for GCC by
// VindraDeletingDestructor. Elsewhere a virtual destructor takes two entries (complete and deleting):
// operations declared after it sit one entry further than their slot.
template <typename Interface, typename Member>
void ExpectSlot(const char* operation, Member member, int slot) {
    constexpr int destructor = kDestructorSlot<Interface>;
    static_assert(destructor < 0
                      ? !std::has_virtual_destructor<Interface>::value && !std::is_destructible<Interface>::value
                      : std::has_virtual_destructor<Interface>::value,
                  "the destructor is declared as kDestructorSlot says");
#if VINDRA_MSVC_VTABLE_FOR_GCC
    if constexpr (destructor >= 0) {
        EXPECT_EQ(VtableIndex(&Interface::VindraDeletingDestructor), destructor) << operation << ": destructor";
    }
    EXPECT_EQ(VtableIndex(member), slot) << operation;
#else
    EXPECT_EQ(VtableIndex(member), destructor >= 0 && slot > destructor ? slot + 1 : slot) << operation;
#endif
}
#define S(Interface, operation, slot) ExpectSlot<Interface>(#Interface "::" #operation, &Interface::operation, slot);
#define C(operation, slot) S(Context, operation, slot)

TEST(InterfaceSlots, EveryOperationKeepsItsSlot) {
    // clang-format off
    C(GetName, 1) C(GetType, 2) C(ReservedQuery3, 3) C(GetInfo, 4) C(MakeCurrent, 5) C(ClearCurrent, 6)
    C(CreateSharedContext, 7) C(GetSwapInterval, 8) C(SetSwapInterval, 9) C(ReservedQuery10, 10) C(SetClient, 11)
    C(SwapBuffers, 12) C(IsBackBufferPreserved, 13) C(JoinSwapGroup, 14) C(BindSwapBarrier, 15) C(ReservedQuery16, 16)
    C(ReservedQuery17, 17) C(Flush, 18) C(Finish, 19) C(ReservedQuery20, 20) C(ReservedQuery21, 21) C(SetViewPort, 22)
    C(GetViewPort, 23) C(EnableScissor, 24) C(IsScissorEnabled, 25) C(SetScissorRect, 26) C(GetScissorRect, 27)
    C(EnableDepthTest, 28) C(SetDepthMask, 29) C(SetDepthFunc, 30) C(EnableStencilTest, 31) C(SetStencilFunc, 32)
    C(SetStencilOp, 33) C(SetColorMask, 34) C(EnableBlend, 35) C(SetBlendEquation, 36) C(SetBlendFunc, 37)
    C(SetBlendColor, 38) C(SetTriangleFillMode, 39) C(EnableClipDistance, 40) C(SetPatchParameter, 41) C(Clear, 42)
    C(CreateVertexBuffer, 43) C(ReleaseVertexBuffer, 44) C(CreateVertexArray, 45) C(ReleaseVertexArray, 46)
    C(BindVertexArray, 47) C(CreateIndexBuffer, 48) C(ReleaseIndexBuffer, 49) C(BindIndexBuffer, 50)
    C(CreateUniformBuffer, 51) C(ReleaseUniformBuffer, 52) C(BindUniformBuffer, 53) C(UnBindUniformBuffer, 54)
    C(CreatePixelBuffer, 55) C(ReleasePixelBuffer, 56) C(CreateShaderLibrary, 57) C(ReleaseShaderLibrary, 58)
    C(CreateShaderProgram, 59) C(ReleaseShaderProgram, 60) C(BindShaderProgram, 61) C(GetBoundShaderProgram, 62)
    C(CreateTexture, 63) C(ReleaseTexture, 64) C(BindTexture, 65) C(CreateFramebuffer, 66) C(ReleaseFramebuffer, 67)
    C(BindFramebuffer, 68) C(GetBoundFramebuffer, 69) C(DrawPrimitives, 70) C(DrawIndexedPrimitives, 71)
    C(CreateFenceSync, 72) C(ReleaseFenceSync, 73) C(CopyFramebuffer, 74) C(ReadPixels, 75) C(CopyTextureToBuffer, 76)
    C(CopyBufferToTexture, 77) C(SyncPreCompute, 78) C(SyncPostCompute, 79) C(CreateComputeProgram, 80)
    C(ReleaseComputeProgram, 81) C(ExecuteComputeKernel, 82) C(CreateComputeBuffer, 83) C(ReleaseComputeBuffer, 84)
    C(CopyComputeBuffer, 85)
    // GlContext adds its own operations after the interface's.
    S(GlContext, Init, 86) S(GlContext, GetTotalVideoMemory, 87) S(GlContext, GetAvailableVideoMemory, 88)
    S(IndexBuffer, SetIndexType, 0) S(IndexBuffer, BufferData, 1) S(IndexBuffer, BufferSubData, 2)
    S(VertexBuffer, SetVertexLayout, 0) S(VertexBuffer, BufferData, 1) S(VertexBuffer, BufferSubData, 2)
    S(PixelBuffer, BufferData, 0) S(PixelBuffer, BufferSubData, 1) S(PixelBuffer, MapBuffer, 2)
    S(PixelBuffer, UnmapBuffer, 3) S(UniformBuffer, BufferData, 0) S(UniformBuffer, BufferSubData, 1)
    S(Texture, Init, 0) S(Texture, GetDesc, 1) S(Texture, ReservedQuery2, 2) S(Texture, LoadSubImage, 3)
    S(Texture, ReadImage, 4) S(Texture, SetWrapS, 5) S(Texture, SetWrapT, 6) S(Texture, SetWrapR, 7)
    S(Texture, SetBorderColor, 8) S(Texture, SetMinFilter, 9) S(Texture, SetMagFilter, 10) S(Texture, GetHandle, 11)
    S(Texture, GenerateMipmap, 12) S(Texture, AcquireForCompute, 13) S(Texture, ReleaseFromCompute, 14)
    S(Framebuffer, Init, 0) S(Framebuffer, AttachColorTexture, 1) S(Framebuffer, ResolveMultisample, 2)
    S(Framebuffer, GetHandle, 3) S(ShaderLibrary, ReservedQuery0, 0) S(ShaderLibrary, Compile, 1)
    S(ShaderProgram, ReservedQuery0, 0) S(ShaderProgram, AddShader, 1) S(ShaderProgram, AttachShaderLibrary, 2)
    S(ShaderProgram, Link, 3) S(ShaderProgram, ReservedQuery4, 4) S(ShaderProgram, ReservedQuery5, 5)
    S(ShaderProgram, SetUniformBlockBinding, 6) S(ShaderProgram, AddUniformVariable, 7)
    S(ShaderProgram, ResolveUniformVariables, 8) S(ShaderProgram, SetUniformValue, 9)
    S(ShaderProgram, ReservedQuery10, 10) S(ShaderProgram, ReservedQuery11, 11) S(ShaderProgram, ReservedQuery12, 12)
    S(VertexArray, SetVertexBuffer, 0) S(VertexArray, RemoveVertexBuffer, 1) S(VertexArray, ClearVertexBuffers, 2)
    S(VertexArray, SetConstantData, 3) S(VertexArray, UpdateConstantData, 4) S(FenceSync, SetFence, 0)
    S(FenceSync, Wait, 1) S(FenceSync, ClientWait, 2) S(FenceSync, ClientCheck, 3) S(ComputeProgram, ReservedQuery0, 0)
    S(ComputeProgram, AddSources, 1) S(ComputeProgram, Build, 2) S(ComputeProgram, GetKernel, 3)
    S(ComputeKernel, GetWorkGroupSize, 0) S(ComputeKernel, SetArgument, 1) S(ComputeBuffer, Create, 0)
    S(ComputeBuffer, WriteBuffer, 1) S(ComputeBuffer, ReadBuffer, 2) S(ComputeBuffer, GetHandle, 3)
    S(ComputeBuffer, FillBuffer, 4) S(ComputeBuffer, MapBuffer, 5) S(ComputeBuffer, UnmapBuffer, 6)
    // clang-format on
}

}  // namespace
}  // namespace vindra
