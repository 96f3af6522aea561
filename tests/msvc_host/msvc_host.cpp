// A host built as Microsoft's compiler builds one (clang in Microsoft mode, lld-link, vindra.lib and
// Tamrik.lib): it reaches operations spread over the whole vtable of Context and of every resource
// interface, draws a frame and reads pixels back and deletes objects itself.
// A call that lands in another slot answers wrongly or crashes, so each check names the slots it reaches.
#include <GL/gl.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "tamrik/tamrik.h"
#include "vindra/vindra.h"

using namespace vindra;

namespace {

// Beyond opengl32's GL 1.1 header.
constexpr GLenum kBlendEquationRgb = 0x8009, kMax = 0x8008;

int failures = 0;
void Check(const char* slots, bool passed, int line, const char* condition) {
    if (!passed) printf("FAILED (%s) line %d: %s\n", slots, line, condition), ++failures;
}
#define CHECK(slots, condition) Check(slots, condition, __LINE__, #condition)

bool ok(ResultCode result) { return result == ResultCode::Success; }

// Errors the library reports go to the host's output beside its own failures.
void PrintErrors(int level, const char* text, void*) {
    if (level >= 4) printf("vindra: %s\n", text);
}

bool hasCompute = false;  // Wine's OpenCL has no GL sharing

// Slots 86 to 88 are the implementation's; a host that knows the slot table reaches them like this.
struct ContextWithVideoMemory : Context {
    using Context::GetAvailableVideoMemory;
    using Context::GetTotalVideoMemory;
};

// Within one step of 8-bit rounding.
bool PixelIs(int x, int y, int red, int green, int blue) {
    unsigned char rgba[4] = {};
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
    bool matches = abs(rgba[0] - red) <= 1 && abs(rgba[1] - green) <= 1 && abs(rgba[2] - blue) <= 1;
    if (!matches)
        printf("pixel %d,%d is %d %d %d, expected %d %d %d\n", x, y, rgba[0], rgba[1], rgba[2], red, green, blue);
    return matches;
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

// clang-format off
void IdentityAndPresentation(Context* c) {
    int32_t units = 0;
    size_t needed = 0;
    uint64_t total = 0;
    CHECK("1-3", strcmp(c->GetName(), "msvc host") == 0 && c->GetType() == 1 && c->ReservedQuery3());
    CHECK("4", ok(c->GetInfo(ContextInfo::MaxTextureImageUnits, 4, &units, &needed)) && units >= 16 && needed == 4);
    CHECK("6 ClearCurrent", c->ClearCurrent() == 0 && wglGetCurrentContext() == nullptr);
    CHECK("5 MakeCurrent", c->MakeCurrent() == 0 && wglGetCurrentContext() != nullptr);
    Context* shared = c->CreateSharedContext();
    CHECK("7 CreateSharedContext", shared != nullptr && wglGetCurrentContext() != nullptr);
    delete shared;  // slot 0 of a context current on no thread
    c->SetSwapInterval(0);
    c->SetClient(nullptr);
    CHECK("8-12", c->GetSwapInterval() == 0 && !c->ReservedQuery10() && c->SwapBuffers(true) == 0);
    CHECK("13-15", c->IsBackBufferPreserved() && !c->JoinSwapGroup(1) && !c->BindSwapBarrier(1, 1));
    CHECK("16-21", !c->ReservedQuery16() && c->ReservedQuery17() == 0 && c->Flush() == 0 && c->Finish() == 0 &&
                   c->ReservedQuery20() == 1 && c->ReservedQuery21());
    c->GetInfo(ContextInfo::TotalVideoMemory, sizeof total, &total, nullptr);
    auto* view = static_cast<ContextWithVideoMemory*>(c);
    CHECK("87, 88", view->GetTotalVideoMemory() == int64_t(total) && view->GetAvailableVideoMemory() >= 0);
}

void RenderState(Context* c) {
    int32_t box[4] = {};
    GLint value = 0;
    CHECK("22, 23", ok(c->SetViewPort(0, 0, 64, 64)) && ok(c->GetViewPort(box, box + 1, box + 2, box + 3)) &&
                    box[3] == 64);
    CHECK("24, 25", ok(c->EnableScissor(true)) && c->IsScissorEnabled() && ok(c->EnableScissor(false)));
    CHECK("26, 27", ok(c->SetScissorRect(1, 2, 3, 4)) && ok(c->GetScissorRect(box, box + 1, box + 2, box + 3)) &&
                    box[3] == 4);
    CHECK("28-30", ok(c->EnableDepthTest(false)) && ok(c->SetDepthMask(true)) &&
                   ok(c->SetDepthFunc(CompareFunc::Greater)) &&
                   (glGetIntegerv(GL_DEPTH_FUNC, &value), value == GL_GREATER));
    CHECK("31-33", ok(c->EnableStencilTest(false)) && ok(c->SetStencilFunc(CompareFunc::Equal, 3, 0xff)) &&
                   ok(c->SetStencilOp(StencilOp::Keep, StencilOp::Zero, StencilOp::Invert)) &&
                   (glGetIntegerv(GL_STENCIL_PASS_DEPTH_PASS, &value), value == GL_INVERT));
    const float black[4] = {0, 0, 0, 0}, blue[4] = {0, 0, 1, 1};
    CHECK("34-38", ok(c->SetColorMask(true, true, true, true)) && ok(c->EnableBlend(false)) &&
                   ok(c->SetBlendEquation(BlendEquation::Max, BlendEquation::Add)) &&
                   (glGetIntegerv(kBlendEquationRgb, &value), value == GLint(kMax)) &&
                   ok(c->SetBlendFunc(BlendFactor::One, BlendFactor::Zero, BlendFactor::One, BlendFactor::Zero)) &&
                   ok(c->SetBlendColor(black)));
    const int32_t three = 3;
    CHECK("39-41", ok(c->SetTriangleFillMode(FillMode::Fill)) && ok(c->EnableClipDistance(0, false)) &&
                   ok(c->SetPatchParameter(PatchParameter::PatchVertices, &three)) &&
                   c->SetPatchParameter(PatchParameter(7), &three) == ResultCode::InvalidEnum);
    CHECK("42 Clear", ok(c->Clear(ClearColorBuffer, blue, 1.0, 0)) && PixelIs(32, 32, 0, 0, 255));
}

// Draws the left half with an indexed draw and the right half, at half the brightness, without indices.
void DrawFrame(Context* c) {
    const float corners[16] = {-1, -1, 0, -1, 0, 1, -1, 1, 0, -1, 1, -1, 0, 1, 1, 1};
    const float tint[4] = {1, 0.5f, 0, 1}, white[4] = {1, 1, 1, 1}, half = 0.5f;
    const uint16_t quad[6] = {0, 1, 2, 0, 2, 3};
    VertexLayout layout = {8, 1, {{0, VertexAttributeType::Float32, 2, 0, false}}};
    VertexLayout constant = {0, 1, {{1, VertexAttributeType::Float32, 4, 0, false}}};
    VertexBuffer* vertices = c->CreateVertexBuffer();
    CHECK("43, VertexBuffer 0-2", vertices != nullptr && ok(vertices->SetVertexLayout(&layout)) &&
                                  ok(vertices->BufferData(sizeof corners, corners, BufferUsage::StaticDraw)) &&
                                  ok(vertices->BufferSubData(60, 4, &corners[15])));
    VertexArray* array = c->CreateVertexArray();
    CHECK("45, VertexArray 0, 3, 4", array != nullptr && ok(array->SetVertexBuffer(vertices, 0, 0)) &&
                                      ok(array->SetConstantData(&constant, sizeof tint, tint)) &&
                                      ok(array->UpdateConstantData(4, 4, &white[0])));
    IndexBuffer* indices = c->CreateIndexBuffer();
    CHECK("48, IndexBuffer 0-2", indices != nullptr && ok(indices->SetIndexType(IndexType::UInt16)) &&
                                 ok(indices->BufferData(sizeof quad, quad, BufferUsage::StaticDraw)) &&
                                 ok(indices->BufferSubData(0, 2, quad)));
    UniformBuffer* light = c->CreateUniformBuffer();
    CHECK("51, 53, UniformBuffer 0, 1", light != nullptr && ok(light->BufferData(sizeof white, white)) &&
                                        ok(light->BufferSubData(0, 4, &half)) && ok(c->BindUniformBuffer(light, 0, 1)));
    ShaderLibrary* library = c->CreateShaderLibrary();
    CHECK("57, ShaderLibrary 0, 1", library != nullptr && library->ReservedQuery0() == 0 &&
                                    ok(library->Compile(ShaderStage::Fragment, 1, &kShadeLibrary, nullptr)));
    ShaderProgram* program = c->CreateShaderProgram();
    CHECK("59, ShaderProgram 0-5", program != nullptr && program->ReservedQuery0() == 0 &&
                                   ok(program->AddShader(ShaderStage::Vertex, 1, &kVertexShader, nullptr)) &&
                                   ok(program->AddShader(ShaderStage::Fragment, 1, &kFragmentShader, nullptr)) &&
                                   ok(program->AttachShaderLibrary(library)) && ok(program->Link()) &&
                                   program->ReservedQuery4() == 0 && program->ReservedQuery5() == 0);
    CHECK("ShaderProgram 6-12", ok(program->SetUniformBlockBinding("Light", 1)) &&
                                program->AddUniformVariable(0, "scale", UniformType::Float, 1, 1) == 0 &&
                                ok(program->ResolveUniformVariables()) && ok(program->SetUniformValue(0, white, 4)) &&
                                program->ReservedQuery10() == 0 && program->ReservedQuery11() == 4 &&
                                program->ReservedQuery12() == 4);
    CHECK("61, 62", ok(c->BindShaderProgram(program)) && c->GetBoundShaderProgram() == program);
    CHECK("47, 50, 71", ok(c->BindVertexArray(array)) && ok(c->BindIndexBuffer(indices)) &&
                        ok(c->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 0)));
    CHECK("70", ok(program->SetUniformValue(0, &half, 4)) && ok(c->DrawPrimitives(PrimitiveType::TriangleStrip, 4, 4)));
    CHECK("frame", PixelIs(16, 32, 128, 255, 0) && PixelIs(48, 32, 64, 128, 0));

    CHECK("VertexArray 1, 2", ok(array->RemoveVertexBuffer(vertices)) && ok(array->ClearVertexBuffers()) &&
                              array->RemoveVertexBuffer(vertices) == ResultCode::InvalidValue);
    CHECK("54", ok(c->UnBindUniformBuffer(light)));
    CHECK("44, 46", !c->ReleaseVertexBuffer(&vertices) && !c->ReleaseVertexArray(&array) && !vertices && !array);
    CHECK("49, 52", !c->ReleaseIndexBuffer(&indices) && !c->ReleaseUniformBuffer(&light) && !indices && !light);
    CHECK("60", c->ReleaseShaderProgram(&program) == 0 && program == nullptr);
    delete library;  // ShaderLibrary's slot 2, the scalar deleting destructor
}

void PixelBuffersAndFences(Context* c) {
    const uint8_t bytes[8] = {1, 2, 3, 4, 5, 6, 7, 8}, nine = 9;
    ResultCode status = ResultCode::Failed;
    PixelBuffer* pixels = c->CreatePixelBuffer();
    CHECK("55, PixelBuffer 0, 1", pixels != nullptr &&
                                  ok(pixels->BufferData(sizeof bytes, bytes, BufferUsage::DynamicRead)) &&
                                  ok(pixels->BufferSubData(1, 1, &nine)));
    const uint8_t* mapped = static_cast<const uint8_t*>(pixels->MapBuffer(MapAccess::Read, &status));
    CHECK("PixelBuffer 2, 3", mapped && ok(status) && mapped[1] == 9 && mapped[7] == 8 && ok(pixels->UnmapBuffer()));
    CHECK("56", c->ReleasePixelBuffer(&pixels) == 0 && pixels == nullptr);
    FenceSync* fence = c->CreateFenceSync();
    CHECK("72, FenceSync 0-3", fence && ok(fence->SetFence()) && ok(fence->Wait()) && ok(fence->ClientWait()) &&
                               ok(fence->ClientCheck()));
    delete fence;  // FenceSync's slot 4
    fence = c->CreateFenceSync();
    CHECK("73", fence->Wait() == ResultCode::InvalidOperation && c->ReleaseFenceSync(&fence) == 0 && fence == nullptr);
}

// A texture rendered into through a framebuffer, read back and copied through a pixel buffer.
void TexturesAndFramebuffers(Context* c) {
    const TextureDesc desc = {PixelFormat::RGBA8, 2, 2, 0, 0, 1, 0, 0};
    const uint8_t texels[16] = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16};
    uint8_t out[16] = {};
    const float border[4] = {0, 0, 0, 1}, red[4] = {1, 0, 0, 1};
    float rgba[4] = {};
    Texture* texture = c->CreateTexture();
    CHECK("63, Texture 0-4", texture && ok(texture->Init(desc)) && texture->GetDesc()->height == 2 &&
                             texture->ReservedQuery2() == ResultCode::InvalidOperation &&
                             ok(texture->LoadSubImage(0, 0, 0, 0, 2, 2, 1, 0, texels)) &&
                             ok(texture->ReadImage(0, out)) && out[15] == 16);
    CHECK("Texture 5-10", ok(texture->SetWrapS(TextureWrap::Repeat)) && ok(texture->SetWrapT(TextureWrap::Repeat)) &&
                          ok(texture->SetWrapR(TextureWrap::Repeat)) && ok(texture->SetBorderColor(border)) &&
                          ok(texture->SetMinFilter(TextureFilter::Nearest)) &&
                          ok(texture->SetMagFilter(TextureFilter::Nearest)));
    CHECK("Texture 11-14, 65", texture->GetHandle(1) == GL_TEXTURE_2D && ok(texture->GenerateMipmap()) &&
                               ok(texture->AcquireForCompute()) == hasCompute &&
                               ok(texture->ReleaseFromCompute()) == hasCompute &&
                               ok(c->BindTexture(texture, 0, 1)));
    Texture* target = c->CreateTexture();
    target->Init(TextureDesc{PixelFormat::RGBA8, 64, 64, 0, 0, 1, 0, 0});
    FramebufferDesc frame = {target, 1, 0, 0, 0, PixelFormat::RGBA8, 0, PixelFormat::Depth16, 0, PixelFormat::Stencil8};
    Framebuffer* framebuffer = c->CreateFramebuffer();
    CHECK("66, Framebuffer 0-3", framebuffer && ok(framebuffer->Init(frame)) &&
                                 ok(framebuffer->AttachColorTexture(texture, 1)) &&
                                 ok(framebuffer->AttachColorTexture(nullptr, 1)) &&
                                 ok(framebuffer->ResolveMultisample()) && framebuffer->GetHandle() != 0);
    CHECK("68, 69, 75", ok(c->BindFramebuffer(framebuffer)) && c->GetBoundFramebuffer() == framebuffer &&
                        ok(c->Clear(ClearColorBuffer, red, 1, 0)) && ok(c->ReadPixels(0, 5, 5, 1, 1, rgba)) &&
                        rgba[0] == 1 && ok(c->BindFramebuffer(nullptr)));
    CHECK("74", ok(c->CopyFramebuffer(1, texture)) && ok(texture->ReadImage(0, out)) && out[1] == 255 && out[2] == 0);
    PixelBuffer* pixels = c->CreatePixelBuffer();
    pixels->BufferData(64 * 64 * 4 + 8, nullptr, BufferUsage::DynamicRead);
    CHECK("76, 77", ok(c->CopyTextureToBuffer(target, pixels, 8)) && c->CopyBufferToTexture(pixels, 8, target) == 0 &&
                    c->CopyBufferToTexture(pixels, 9, target) == uint32_t(ResultCode::InvalidValue));
    c->ReleasePixelBuffer(&pixels);
    CHECK("67", c->ReleaseFramebuffer(&framebuffer) == 0 && !framebuffer);
    CHECK("64", c->ReleaseTexture(&target) == 0 && !target);
    delete texture;  // Texture's slot 15, while bound on unit 1
    CHECK("draw after", ok(c->DrawPrimitives(PrimitiveType::Points, 0, 0)));
}

// Without compute state (Wine's OpenCL has no GL sharing) each compute operation of Context gives its "no
// compute state" answer. Where a device has compute, the native compute suites cover these operations.
void NoCompute(Context* c) {
    ComputeProgram* program = nullptr;
    ComputeBuffer* buffer = nullptr;
    const ResultCode none = ResultCode::InvalidOperation;
    CHECK("78-85 without compute", ok(c->SyncPreCompute()) && c->SyncPostCompute() == 0 &&
                                   !c->CreateComputeProgram() && c->ReleaseComputeProgram(&program) == none &&
                                   c->ExecuteComputeKernel(nullptr, 1, nullptr, nullptr) == none &&
                                   !c->CreateComputeBuffer() && c->ReleaseComputeBuffer(&buffer) == none &&
                                   c->CopyComputeBuffer(buffer, buffer, 0, 0, 0) == none);
}
// clang-format on

}  // namespace

int main() {
    tamrik::SetSink(PrintErrors, nullptr);
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
    void* queue = nullptr;
    hasCompute = ok(context->GetInfo(ContextInfo::ComputeQueue, sizeof queue, &queue, nullptr));
    IdentityAndPresentation(context);
    RenderState(context);
    DrawFrame(context);
    PixelBuffersAndFences(context);
    TexturesAndFramebuffers(context);
    if (!hasCompute) NoCompute(context);
    delete context;  // slot 0
    CHECK("0 destructor", wglGetCurrentContext() == nullptr);
    DestroyWindow(window);
    printf(failures == 0 ? "msvc host: every check passed\n" : "msvc host: %d checks FAILED\n", failures);
    return failures == 0 ? 0 : 1;
}
