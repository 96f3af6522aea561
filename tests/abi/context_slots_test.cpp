// Hosts call the context through its vtable: every operation must stay at its slot, or hosts built
// against an earlier header call the wrong operation.
#include <gtest/gtest.h>

#include <type_traits>

#include "vindra/context.h"
#include "vtable_slots.h"

namespace vindra {
namespace {

struct Slot {
    int slot;
    std::ptrdiff_t entry;
    const char* name;
};

TEST(ContextSlots, EveryOperationSitsAtItsSlot) {
    SKIP_UNLESS_ITANIUM();
    // The destructor holds slot 0 (two vtable entries under this ABI).
    EXPECT_TRUE(std::has_virtual_destructor<Context>::value);
    constexpr int destructorSlot = 0;
    const Slot slots[] = {
        {1, VtableIndex(&Context::GetName), "GetName"},
        {2, VtableIndex(&Context::GetType), "GetType"},
        {3, VtableIndex(&Context::ReservedQuery3), "ReservedQuery3"},
        {4, VtableIndex(&Context::GetInfo), "GetInfo"},
        {5, VtableIndex(&Context::MakeCurrent), "MakeCurrent"},
        {6, VtableIndex(&Context::ClearCurrent), "ClearCurrent"},
        {7, VtableIndex(&Context::CreateSharedContext), "CreateSharedContext"},
        {8, VtableIndex(&Context::GetSwapInterval), "GetSwapInterval"},
        {9, VtableIndex(&Context::SetSwapInterval), "SetSwapInterval"},
        {10, VtableIndex(&Context::ReservedQuery10), "ReservedQuery10"},
        {11, VtableIndex(&Context::SetClient), "SetClient"},
        {12, VtableIndex(&Context::SwapBuffers), "SwapBuffers"},
        {13, VtableIndex(&Context::IsBackBufferPreserved), "IsBackBufferPreserved"},
        {14, VtableIndex(&Context::JoinSwapGroup), "JoinSwapGroup"},
        {15, VtableIndex(&Context::BindSwapBarrier), "BindSwapBarrier"},
        {16, VtableIndex(&Context::ReservedQuery16), "ReservedQuery16"},
        {17, VtableIndex(&Context::ReservedQuery17), "ReservedQuery17"},
        {18, VtableIndex(&Context::Flush), "Flush"},
        {19, VtableIndex(&Context::Finish), "Finish"},
        {20, VtableIndex(&Context::ReservedQuery20), "ReservedQuery20"},
        {21, VtableIndex(&Context::ReservedQuery21), "ReservedQuery21"},
        {22, VtableIndex(&Context::SetViewPort), "SetViewPort"},
        {23, VtableIndex(&Context::GetViewPort), "GetViewPort"},
        {24, VtableIndex(&Context::EnableScissor), "EnableScissor"},
        {25, VtableIndex(&Context::IsScissorEnabled), "IsScissorEnabled"},
        {26, VtableIndex(&Context::SetScissorRect), "SetScissorRect"},
        {27, VtableIndex(&Context::GetScissorRect), "GetScissorRect"},
        {28, VtableIndex(&Context::EnableDepthTest), "EnableDepthTest"},
        {29, VtableIndex(&Context::SetDepthMask), "SetDepthMask"},
        {30, VtableIndex(&Context::SetDepthFunc), "SetDepthFunc"},
        {31, VtableIndex(&Context::EnableStencilTest), "EnableStencilTest"},
        {32, VtableIndex(&Context::SetStencilFunc), "SetStencilFunc"},
        {33, VtableIndex(&Context::SetStencilOp), "SetStencilOp"},
        {34, VtableIndex(&Context::SetColorMask), "SetColorMask"},
        {35, VtableIndex(&Context::EnableBlend), "EnableBlend"},
        {36, VtableIndex(&Context::SetBlendEquation), "SetBlendEquation"},
        {37, VtableIndex(&Context::SetBlendFunc), "SetBlendFunc"},
        {38, VtableIndex(&Context::SetBlendColor), "SetBlendColor"},
        {39, VtableIndex(&Context::SetTriangleFillMode), "SetTriangleFillMode"},
        {40, VtableIndex(&Context::EnableClipDistance), "EnableClipDistance"},
        {41, VtableIndex(&Context::SetPatchParameter), "SetPatchParameter"},
        {42, VtableIndex(&Context::Clear), "Clear"},
        {43, VtableIndex(&Context::CreateVertexBuffer), "CreateVertexBuffer"},
        {44, VtableIndex(&Context::ReleaseVertexBuffer), "ReleaseVertexBuffer"},
        {45, VtableIndex(&Context::CreateVertexArray), "CreateVertexArray"},
        {46, VtableIndex(&Context::ReleaseVertexArray), "ReleaseVertexArray"},
        {47, VtableIndex(&Context::BindVertexArray), "BindVertexArray"},
        {48, VtableIndex(&Context::CreateIndexBuffer), "CreateIndexBuffer"},
        {49, VtableIndex(&Context::ReleaseIndexBuffer), "ReleaseIndexBuffer"},
        {50, VtableIndex(&Context::BindIndexBuffer), "BindIndexBuffer"},
        {51, VtableIndex(&Context::CreateUniformBuffer), "CreateUniformBuffer"},
        {52, VtableIndex(&Context::ReleaseUniformBuffer), "ReleaseUniformBuffer"},
        {53, VtableIndex(&Context::BindUniformBuffer), "BindUniformBuffer"},
        {54, VtableIndex(&Context::UnBindUniformBuffer), "UnBindUniformBuffer"},
        {55, VtableIndex(&Context::CreatePixelBuffer), "CreatePixelBuffer"},
        {56, VtableIndex(&Context::ReleasePixelBuffer), "ReleasePixelBuffer"},
        {57, VtableIndex(&Context::CreateShaderLibrary), "CreateShaderLibrary"},
        {58, VtableIndex(&Context::ReleaseShaderLibrary), "ReleaseShaderLibrary"},
        {59, VtableIndex(&Context::CreateShaderProgram), "CreateShaderProgram"},
        {60, VtableIndex(&Context::ReleaseShaderProgram), "ReleaseShaderProgram"},
        {61, VtableIndex(&Context::BindShaderProgram), "BindShaderProgram"},
        {62, VtableIndex(&Context::GetBoundShaderProgram), "GetBoundShaderProgram"},
        {63, VtableIndex(&Context::CreateTexture), "CreateTexture"},
        {64, VtableIndex(&Context::ReleaseTexture), "ReleaseTexture"},
        {65, VtableIndex(&Context::BindTexture), "BindTexture"},
        {66, VtableIndex(&Context::CreateFramebuffer), "CreateFramebuffer"},
        {67, VtableIndex(&Context::ReleaseFramebuffer), "ReleaseFramebuffer"},
        {68, VtableIndex(&Context::BindFramebuffer), "BindFramebuffer"},
        {69, VtableIndex(&Context::GetBoundFramebuffer), "GetBoundFramebuffer"},
        {70, VtableIndex(&Context::DrawPrimitives), "DrawPrimitives"},
        {71, VtableIndex(&Context::DrawIndexedPrimitives), "DrawIndexedPrimitives"},
        {72, VtableIndex(&Context::CreateFenceSync), "CreateFenceSync"},
        {73, VtableIndex(&Context::ReleaseFenceSync), "ReleaseFenceSync"},
        {74, VtableIndex(&Context::CopyFramebuffer), "CopyFramebuffer"},
        {75, VtableIndex(&Context::ReadPixels), "ReadPixels"},
        {76, VtableIndex(&Context::CopyTextureToBuffer), "CopyTextureToBuffer"},
        {77, VtableIndex(&Context::CopyBufferToTexture), "CopyBufferToTexture"},
        {78, VtableIndex(&Context::SyncPreCompute), "SyncPreCompute"},
        {79, VtableIndex(&Context::SyncPostCompute), "SyncPostCompute"},
        {80, VtableIndex(&Context::CreateComputeProgram), "CreateComputeProgram"},
        {81, VtableIndex(&Context::ReleaseComputeProgram), "ReleaseComputeProgram"},
        {82, VtableIndex(&Context::ExecuteComputeKernel), "ExecuteComputeKernel"},
        {83, VtableIndex(&Context::CreateComputeBuffer), "CreateComputeBuffer"},
        {84, VtableIndex(&Context::ReleaseComputeBuffer), "ReleaseComputeBuffer"},
        {85, VtableIndex(&Context::CopyComputeBuffer), "CopyComputeBuffer"},
    };
    static_assert(sizeof slots / sizeof slots[0] == 85, "Context has 85 operations besides its destructor");
    for (const Slot& s : slots) EXPECT_EQ(s.entry, Entry(s.slot, destructorSlot)) << s.name;
}

TEST(ContextSlots, InitDataLayout) {
    // Hosts compiled against their own copy of the record rely on these offsets (64-bit).
    EXPECT_EQ(offsetof(ContextInitData, name), 0u);
    EXPECT_EQ(offsetof(ContextInitData, type), 8u);
    EXPECT_EQ(offsetof(ContextInitData, window), 16u);
    EXPECT_EQ(offsetof(ContextInitData, shareContext), 24u);
    EXPECT_EQ(offsetof(ContextInitData, deepColor), 32u);
    EXPECT_EQ(offsetof(ContextInitData, floatColor), 33u);
    EXPECT_EQ(offsetof(ContextInitData, reserved), 34u);
    EXPECT_EQ(offsetof(ContextInitData, multisample), 35u);
    EXPECT_EQ(offsetof(ContextInitData, swapExchange), 36u);
    EXPECT_EQ(offsetof(ContextInitData, majorVersion), 40u);
    EXPECT_EQ(offsetof(ContextInitData, minorVersion), 44u);
    EXPECT_EQ(offsetof(ContextInitData, coreProfile), 48u);
    EXPECT_EQ(offsetof(ContextInitData, clPlatformIndex), 52u);
    EXPECT_EQ(offsetof(ContextInitData, clDeviceIndex), 56u);
    EXPECT_EQ(sizeof(ContextInitData), 64u);
    EXPECT_EQ(sizeof(ResultCode), 4u);
    EXPECT_EQ(sizeof(ContextInfo), 4u);
    EXPECT_EQ(sizeof(CompareFunc), 4u);
}

}  // namespace
}  // namespace vindra
