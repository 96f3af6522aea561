// A host built as Microsoft's compiler builds one (clang in Microsoft mode, lld-link, vindra.lib and
// Tamrik.lib): it reaches operations spread over the whole vtable of Context and of every resource
// interface, draws a frame and reads pixels back, deletes objects itself, and makes a second context.
// A call that lands in another slot answers wrongly or crashes, so each check says which slot it reaches.
#include <GL/gl.h>
#include <stdio.h>
#include <string.h>
#include <windows.h>

#include "tamrik/tamrik.h"
#include "vindra/vindra.h"

using namespace vindra;

// Beyond opengl32's GL 1.1 header.
constexpr GLenum kBlendEquationRgb = 0x8009, kMax = 0x8008;

namespace {

int failures = 0;
#define CHECK(slot, condition)                                               \
    do {                                                                     \
        if (!(condition)) {                                                  \
            printf("FAILED (%s) line %d: %s\n", slot, __LINE__, #condition); \
            ++failures;                                                      \
        }                                                                    \
    } while (0)

char lastError[1024];
void KeepErrors(int level, const char* text, void*) {
    if (level >= 4) strncpy(lastError, text, sizeof lastError - 1);
}

// The operation answered "<name>: not implemented" and NotSupported (null for factories).
bool Refused(uint32_t result, const char* name) {
    bool named = strstr(lastError, name) != nullptr && strstr(lastError, "not implemented") != nullptr;
    lastError[0] = 0;
    return result == uint32_t(ResultCode::NotSupported) && named;
}
bool Refused(ResultCode result, const char* name) { return Refused(uint32_t(result), name); }
bool Refused(const void* result, const char* name) {
    return Refused(result == nullptr ? uint32_t(ResultCode::NotSupported) : 0u, name);
}

// Slots 86 to 88 are the implementation's; a host that knows the slot table reaches them like this.
struct ContextWithVideoMemory : Context {
    using Context::GetAvailableVideoMemory;
    using Context::GetTotalVideoMemory;
};

bool PixelIs(int x, int y, int red, int green, int blue) {
    unsigned char rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    int want[3] = {red, green, blue};
    for (int i = 0; i < 3; ++i)
        if (rgba[i] + 1 < want[i] || rgba[i] > want[i] + 1) {
            printf("pixel %d,%d is %d %d %d, expected %d %d %d\n", x, y, rgba[0], rgba[1], rgba[2], red, green, blue);
            return false;
        }
    return true;
}

const char* kVertexShader = R"(#version 330 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 tint;
out vec4 vertexTint;
void main() { vertexTint = tint; gl_Position = vec4(position, 0.0, 1.0); })";
const char* kShadeLibrary = R"(#version 330 core
layout(std140) uniform Light { vec4 light; };
vec4 Shade(vec4 c) { return c * light; })";
const char* kFragmentShader = R"(#version 330 core
in vec4 vertexTint;
uniform float scale;
out vec4 color;
vec4 Shade(vec4 c);
void main() { color = Shade(vertexTint) * scale; })";

void IdentityAndPresentation(Context* context) {
    CHECK("1 GetName", strcmp(context->GetName(), "msvc host") == 0);
    CHECK("2 GetType", context->GetType() == 1);
    CHECK("3 ReservedQuery3", context->ReservedQuery3());
    int32_t units = 0;
    size_t needed = 0;
    CHECK("4 GetInfo", context->GetInfo(ContextInfo::MaxTextureImageUnits, 4, &units, &needed) == ResultCode::Success &&
                           units >= 16 && needed == 4);
    CHECK("6 ClearCurrent", context->ClearCurrent() == 0 && wglGetCurrentContext() == nullptr);
    CHECK("5 MakeCurrent", context->MakeCurrent() == 0 && wglGetCurrentContext() != nullptr);
    Context* shared = context->CreateSharedContext();
    CHECK("7 CreateSharedContext", shared != nullptr && wglGetCurrentContext() != nullptr);
    delete shared;  // slot 0 of a context current on no thread
    context->SetSwapInterval(0);
    CHECK("8, 9 Get/SetSwapInterval", context->GetSwapInterval() == 0);
    CHECK("10 ReservedQuery10", !context->ReservedQuery10());
    context->SetClient(nullptr);
    CHECK("12 SwapBuffers", context->SwapBuffers(true) == 0);
    CHECK("13 IsBackBufferPreserved", context->IsBackBufferPreserved());
    CHECK("14 JoinSwapGroup", !context->JoinSwapGroup(1));
    CHECK("15 BindSwapBarrier", !context->BindSwapBarrier(1, 1));
    CHECK("16, 17 ReservedQuery16/17", !context->ReservedQuery16() && context->ReservedQuery17() == 0);
    CHECK("18, 19 Flush, Finish", context->Flush() == 0 && context->Finish() == 0);
    CHECK("20, 21 ReservedQuery20/21", context->ReservedQuery20() == 1 && context->ReservedQuery21());
    auto* view = static_cast<ContextWithVideoMemory*>(context);
    uint64_t total = 0;
    context->GetInfo(ContextInfo::TotalVideoMemory, sizeof total, &total, nullptr);
    CHECK("87 GetTotalVideoMemory", view->GetTotalVideoMemory() == int64_t(total));
    CHECK("88 GetAvailableVideoMemory", view->GetAvailableVideoMemory() >= 0);
}

void RenderState(Context* context) {
    int32_t box[4] = {};
    CHECK("22, 23 Set/GetViewPort",
          context->SetViewPort(0, 0, 64, 64) == ResultCode::Success &&
              context->GetViewPort(&box[0], &box[1], &box[2], &box[3]) == ResultCode::Success && box[2] == 64 &&
              box[3] == 64);
    CHECK("24, 25 EnableScissor", context->EnableScissor(true) == ResultCode::Success && context->IsScissorEnabled());
    CHECK("26, 27 Set/GetScissorRect",
          context->SetScissorRect(1, 2, 3, 4) == ResultCode::Success &&
              context->GetScissorRect(&box[0], &box[1], &box[2], &box[3]) == ResultCode::Success && box[0] == 1 &&
              box[3] == 4);
    context->EnableScissor(false);
    GLint value = 0;
    CHECK("30 SetDepthFunc", context->SetDepthFunc(CompareFunc::Greater) == ResultCode::Success &&
                                 (glGetIntegerv(GL_DEPTH_FUNC, &value), value == GL_GREATER));
    CHECK("28, 29 depth",
          context->EnableDepthTest(false) == ResultCode::Success && context->SetDepthMask(true) == ResultCode::Success);
    CHECK("31-33 stencil",
          context->EnableStencilTest(false) == ResultCode::Success &&
              context->SetStencilFunc(CompareFunc::Equal, 3, 0xff) == ResultCode::Success &&
              context->SetStencilOp(StencilOp::Keep, StencilOp::Zero, StencilOp::Invert) == ResultCode::Success &&
              (glGetIntegerv(GL_STENCIL_PASS_DEPTH_PASS, &value), value == GL_INVERT));
    CHECK("34 SetColorMask", context->SetColorMask(true, true, true, true) == ResultCode::Success);
    const float black[4] = {0, 0, 0, 0};
    CHECK("35-38 blend", context->EnableBlend(false) == ResultCode::Success &&
                             context->SetBlendEquation(BlendEquation::Max, BlendEquation::Add) == ResultCode::Success &&
                             (glGetIntegerv(kBlendEquationRgb, &value), value == GLint(kMax)) &&
                             context->SetBlendFunc(BlendFactor::One, BlendFactor::Zero, BlendFactor::One,
                                                   BlendFactor::Zero) == ResultCode::Success &&
                             context->SetBlendColor(black) == ResultCode::Success);
    CHECK("39 SetTriangleFillMode", context->SetTriangleFillMode(FillMode::Fill) == ResultCode::Success);
    CHECK("40 EnableClipDistance", context->EnableClipDistance(0, false) == ResultCode::Success);
    const int32_t three = 3;
    CHECK("41 SetPatchParameter",
          context->SetPatchParameter(PatchParameter::PatchVertices, &three) == ResultCode::Success &&
              context->SetPatchParameter(PatchParameter(7), &three) == ResultCode::InvalidEnum);
    const float blue[4] = {0, 0, 1, 1};
    CHECK("42 Clear",
          context->Clear(ClearColorBuffer, blue, 1.0, 0) == ResultCode::Success && PixelIs(32, 32, 0, 0, 255));
}

// Draws the left half with an indexed draw and the right half, at half the brightness, without indices.
void DrawFrame(Context* context) {
    VertexBuffer* vertices = context->CreateVertexBuffer();
    const float corners[16] = {-1, -1, 0, -1, 0, 1, -1, 1, 0, -1, 1, -1, 0, 1, 1, 1};
    VertexLayout layout = {8, 1, {{0, VertexAttributeType::Float32, 2, 0, false}}};
    CHECK("43 CreateVertexBuffer",
          vertices != nullptr && vertices->SetVertexLayout(&layout) == ResultCode::Success &&
              vertices->BufferData(sizeof corners, corners, BufferUsage::StaticDraw) == ResultCode::Success &&
              vertices->BufferSubData(60, 4, &corners[15]) == ResultCode::Success);
    VertexArray* array = context->CreateVertexArray();
    const float tint[4] = {1, 0.5f, 0, 1}, green = 1;
    VertexLayout constant = {0, 1, {{1, VertexAttributeType::Float32, 4, 0, false}}};
    CHECK("45 CreateVertexArray", array != nullptr && array->SetVertexBuffer(vertices, 0, 0) == ResultCode::Success &&
                                      array->SetConstantData(&constant, sizeof tint, tint) == ResultCode::Success &&
                                      array->UpdateConstantData(4, 4, &green) == ResultCode::Success);
    IndexBuffer* indices = context->CreateIndexBuffer();
    const uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
    CHECK("48 CreateIndexBuffer",
          indices != nullptr && indices->SetIndexType(IndexType::UInt16) == ResultCode::Success &&
              indices->BufferData(sizeof quad, quad, BufferUsage::StaticDraw) == ResultCode::Success &&
              indices->BufferSubData(0, 2, quad) == ResultCode::Success);
    UniformBuffer* light = context->CreateUniformBuffer();
    const float white[4] = {1, 1, 1, 1}, half = 0.5f;
    CHECK("51 CreateUniformBuffer", light != nullptr && light->BufferData(sizeof white, white) == ResultCode::Success &&
                                        light->BufferSubData(0, 4, &half) == ResultCode::Success &&
                                        context->BindUniformBuffer(light, 0, 1) == ResultCode::Success);
    ShaderLibrary* library = context->CreateShaderLibrary();
    CHECK("57 CreateShaderLibrary",
          library != nullptr && library->ReservedQuery0() == 0 &&
              library->Compile(ShaderStage::Fragment, 1, &kShadeLibrary, nullptr) == ResultCode::Success);
    ShaderProgram* program = context->CreateShaderProgram();
    CHECK("59 CreateShaderProgram", program != nullptr);
    CHECK("ShaderProgram 0-5",
          program->ReservedQuery0() == 0 &&
              program->AddShader(ShaderStage::Vertex, 1, &kVertexShader, nullptr) == ResultCode::Success &&
              program->AddShader(ShaderStage::Fragment, 1, &kFragmentShader, nullptr) == ResultCode::Success &&
              program->AttachShaderLibrary(library) == ResultCode::Success && program->Link() == ResultCode::Success &&
              program->ReservedQuery4() == 0 && program->ReservedQuery5() == 0);
    CHECK("ShaderProgram 6-12", program->SetUniformBlockBinding("Light", 1) == ResultCode::Success &&
                                    program->AddUniformVariable(0, "scale", UniformType::Float, 1, 1) == 0 &&
                                    program->ResolveUniformVariables() == ResultCode::Success &&
                                    program->SetUniformValue(0, &white[0], 4) == ResultCode::Success &&
                                    program->ReservedQuery10() == 0 && program->ReservedQuery11() == 4 &&
                                    program->ReservedQuery12() == 4);
    CHECK("61, 62 Bind/GetBoundShaderProgram",
          context->BindShaderProgram(program) == ResultCode::Success && context->GetBoundShaderProgram() == program);
    CHECK("47, 50 BindVertexArray, BindIndexBuffer", context->BindVertexArray(array) == ResultCode::Success &&
                                                         context->BindIndexBuffer(indices) == ResultCode::Success);
    CHECK("71 DrawIndexedPrimitives",
          context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 0) == ResultCode::Success);
    CHECK("ShaderProgram 9", program->SetUniformValue(0, &half, 4) == ResultCode::Success);
    CHECK("70 DrawPrimitives", context->DrawPrimitives(PrimitiveType::TriangleStrip, 4, 4) == ResultCode::Success);
    CHECK("frame", PixelIs(16, 32, 128, 255, 0) && PixelIs(48, 32, 64, 128, 0));

    CHECK("VertexArray 1, 2", array->RemoveVertexBuffer(vertices) == ResultCode::Success &&
                                  array->RemoveVertexBuffer(vertices) == ResultCode::InvalidValue &&
                                  array->ClearVertexBuffers() == ResultCode::Success);
    CHECK("54 UnBindUniformBuffer", context->UnBindUniformBuffer(light) == ResultCode::Success);
    CHECK("44 ReleaseVertexBuffer", context->ReleaseVertexBuffer(&vertices) == 0 && vertices == nullptr);
    CHECK("46 ReleaseVertexArray", context->ReleaseVertexArray(&array) == 0 && array == nullptr);
    CHECK("49 ReleaseIndexBuffer", context->ReleaseIndexBuffer(&indices) == 0 && indices == nullptr);
    CHECK("52 ReleaseUniformBuffer", context->ReleaseUniformBuffer(&light) == 0 && light == nullptr);
    CHECK("60 ReleaseShaderProgram", context->ReleaseShaderProgram(&program) == 0 && program == nullptr);
    delete library;  // ShaderLibrary's slot 2, the scalar deleting destructor
}

void PixelBuffersAndFences(Context* context) {
    PixelBuffer* pixels = context->CreatePixelBuffer();
    const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8}, nine = 9;
    ResultCode status = ResultCode::Failed;
    CHECK("55 CreatePixelBuffer",
          pixels != nullptr &&
              pixels->BufferData(sizeof bytes, bytes, BufferUsage::DynamicRead) == ResultCode::Success &&
              pixels->BufferSubData(1, 1, &nine) == ResultCode::Success);
    const uint8_t* mapped = static_cast<const uint8_t*>(pixels->MapBuffer(MapAccess::Read, &status));
    CHECK("PixelBuffer 2, 3", mapped != nullptr && status == ResultCode::Success && mapped[1] == 9 && mapped[7] == 8 &&
                                  pixels->UnmapBuffer() == ResultCode::Success);
    CHECK("56 ReleasePixelBuffer", context->ReleasePixelBuffer(&pixels) == 0 && pixels == nullptr);

    FenceSync* fence = context->CreateFenceSync();
    CHECK("72 CreateFenceSync",
          fence != nullptr && fence->SetFence() == ResultCode::Success && fence->Wait() == ResultCode::Success &&
              fence->ClientWait() == ResultCode::Success && fence->ClientCheck() == ResultCode::Success);
    delete fence;  // FenceSync's slot 4
    fence = context->CreateFenceSync();
    CHECK("FenceSync 1", fence->Wait() == ResultCode::InvalidOperation);
    CHECK("73 ReleaseFenceSync", context->ReleaseFenceSync(&fence) == 0 && fence == nullptr);
}

// Operations of the layers not built yet each name themselves in their refusal.
void NotYetBuilt(Context* context) {
    CHECK("63", Refused(context->CreateTexture(), "GlContext::CreateTexture"));
    CHECK("65", Refused(context->BindTexture(nullptr, 0, 0), "GlContext::BindTexture"));
    CHECK("66", Refused(context->CreateFramebuffer(), "GlContext::CreateFramebuffer"));
    CHECK("69", Refused(context->GetBoundFramebuffer(), "GlContext::GetBoundFramebuffer"));
    CHECK("74", Refused(context->CopyFramebuffer(0, nullptr), "GlContext::CopyFramebuffer"));
    CHECK("75", Refused(context->ReadPixels(0, 0, 0, 1, 1, nullptr), "GlContext::ReadPixels"));
    CHECK("77", Refused(context->CopyBufferToTexture(nullptr, 0, nullptr), "GlContext::CopyBufferToTexture"));
    CHECK("79", Refused(context->SyncPostCompute(), "GlContext::SyncPostCompute"));
    CHECK("80", Refused(context->CreateComputeProgram(), "GlContext::CreateComputeProgram"));
    CHECK("82",
          Refused(context->ExecuteComputeKernel(nullptr, 1, nullptr, nullptr), "GlContext::ExecuteComputeKernel"));
    CHECK("85", Refused(context->CopyComputeBuffer(nullptr, nullptr, 0, 0, 0), "GlContext::CopyComputeBuffer"));
}

}  // namespace

int main() {
    tamrik::SetSink(KeepErrors, nullptr);
    CHECK("Tamrik", tamrik::GetMinimumLevel() == 0);
    HWND window = CreateWindowExA(0, "STATIC", "vindra msvc host", WS_POPUP | WS_VISIBLE, 0, 0, 64, 64, nullptr,
                                  nullptr, nullptr, nullptr);
    ContextInitData init = {};
    init.name = "msvc host";
    init.type = 1;
    init.window = window;
    init.clPlatformIndex = init.clDeviceIndex = -1;
    Context* context = CreateContext(init);
    CHECK("CreateContext", context != nullptr);
    if (context == nullptr) return 1;
    IdentityAndPresentation(context);
    RenderState(context);
    DrawFrame(context);
    PixelBuffersAndFences(context);
    NotYetBuilt(context);
    delete context;  // slot 0
    CHECK("0 destructor", wglGetCurrentContext() == nullptr);

    init.name = "second";
    Context* second = CreateContext(init);
    const float red[4] = {1, 0, 0, 1};
    CHECK("second context", second != nullptr && strcmp(second->GetName(), "second") == 0 &&
                                second->SetViewPort(0, 0, 64, 64) == ResultCode::Success &&
                                second->Clear(ClearColorBuffer, red, 1.0, 0) == ResultCode::Success &&
                                PixelIs(32, 32, 255, 0, 0));
    delete second;
    DestroyWindow(window);
    printf(failures == 0 ? "msvc host: every check passed\n" : "msvc host: %d checks FAILED\n", failures);
    return failures == 0 ? 0 : 1;
}
