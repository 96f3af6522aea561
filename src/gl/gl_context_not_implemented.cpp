// Operations of the resource, drawing, copy and compute layers that are not built yet. Each reports
// that it is missing and answers NotSupported (factories answer null), so a host learns it at once.
// Each layer removes its own entries from this file as it lands.
#include "core/gl_context.h"
#include "core/log_message.h"

#include <type_traits>

namespace vindra {

namespace {

template <typename Result>
Result NotImplemented(const char* operation) {
    LogMessage(MessageLevel::Error, "%s: not implemented", operation);
    if constexpr (std::is_pointer_v<Result>)
        return nullptr;
    else
        return static_cast<Result>(ResultCode::NotSupported);
}

}  // namespace

ResultCode GlContext::Clear(uint32_t, const float*, double, int32_t) { return NotImplemented<ResultCode>("GlContext::Clear"); }
VertexBuffer* GlContext::CreateVertexBuffer() { return NotImplemented<VertexBuffer*>("GlContext::CreateVertexBuffer"); }
uint32_t GlContext::ReleaseVertexBuffer(VertexBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleaseVertexBuffer"); }
VertexArray* GlContext::CreateVertexArray() { return NotImplemented<VertexArray*>("GlContext::CreateVertexArray"); }
uint32_t GlContext::ReleaseVertexArray(VertexArray**) { return NotImplemented<uint32_t>("GlContext::ReleaseVertexArray"); }
ResultCode GlContext::BindVertexArray(VertexArray*) { return NotImplemented<ResultCode>("GlContext::BindVertexArray"); }
IndexBuffer* GlContext::CreateIndexBuffer() { return NotImplemented<IndexBuffer*>("GlContext::CreateIndexBuffer"); }
uint32_t GlContext::ReleaseIndexBuffer(IndexBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleaseIndexBuffer"); }
ResultCode GlContext::BindIndexBuffer(IndexBuffer*) { return NotImplemented<ResultCode>("GlContext::BindIndexBuffer"); }
UniformBuffer* GlContext::CreateUniformBuffer() { return NotImplemented<UniformBuffer*>("GlContext::CreateUniformBuffer"); }
uint32_t GlContext::ReleaseUniformBuffer(UniformBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleaseUniformBuffer"); }
ResultCode GlContext::BindUniformBuffer(UniformBuffer*, int32_t, uint32_t) { return NotImplemented<ResultCode>("GlContext::BindUniformBuffer"); }
ResultCode GlContext::UnBindUniformBuffer(UniformBuffer*) { return NotImplemented<ResultCode>("GlContext::UnBindUniformBuffer"); }
PixelBuffer* GlContext::CreatePixelBuffer() { return NotImplemented<PixelBuffer*>("GlContext::CreatePixelBuffer"); }
uint32_t GlContext::ReleasePixelBuffer(PixelBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleasePixelBuffer"); }
ShaderLibrary* GlContext::CreateShaderLibrary() { return NotImplemented<ShaderLibrary*>("GlContext::CreateShaderLibrary"); }
uint32_t GlContext::ReleaseShaderLibrary(ShaderLibrary**) { return NotImplemented<uint32_t>("GlContext::ReleaseShaderLibrary"); }
ShaderProgram* GlContext::CreateShaderProgram() { return NotImplemented<ShaderProgram*>("GlContext::CreateShaderProgram"); }
uint32_t GlContext::ReleaseShaderProgram(ShaderProgram**) { return NotImplemented<uint32_t>("GlContext::ReleaseShaderProgram"); }
ResultCode GlContext::BindShaderProgram(ShaderProgram*) { return NotImplemented<ResultCode>("GlContext::BindShaderProgram"); }
ShaderProgram* GlContext::GetBoundShaderProgram() { return NotImplemented<ShaderProgram*>("GlContext::GetBoundShaderProgram"); }
Texture* GlContext::CreateTexture() { return NotImplemented<Texture*>("GlContext::CreateTexture"); }
uint32_t GlContext::ReleaseTexture(Texture**) { return NotImplemented<uint32_t>("GlContext::ReleaseTexture"); }
ResultCode GlContext::BindTexture(Texture*, int32_t, int32_t) { return NotImplemented<ResultCode>("GlContext::BindTexture"); }
Framebuffer* GlContext::CreateFramebuffer() { return NotImplemented<Framebuffer*>("GlContext::CreateFramebuffer"); }
uint32_t GlContext::ReleaseFramebuffer(Framebuffer**) { return NotImplemented<uint32_t>("GlContext::ReleaseFramebuffer"); }
ResultCode GlContext::BindFramebuffer(Framebuffer*) { return NotImplemented<ResultCode>("GlContext::BindFramebuffer"); }
Framebuffer* GlContext::GetBoundFramebuffer() { return NotImplemented<Framebuffer*>("GlContext::GetBoundFramebuffer"); }
ResultCode GlContext::DrawPrimitives(PrimitiveType, int32_t, int32_t) { return NotImplemented<ResultCode>("GlContext::DrawPrimitives"); }
ResultCode GlContext::DrawIndexedPrimitives(PrimitiveType, int32_t, uint64_t, int32_t) { return NotImplemented<ResultCode>("GlContext::DrawIndexedPrimitives"); }
FenceSync* GlContext::CreateFenceSync() { return NotImplemented<FenceSync*>("GlContext::CreateFenceSync"); }
uint32_t GlContext::ReleaseFenceSync(FenceSync**) { return NotImplemented<uint32_t>("GlContext::ReleaseFenceSync"); }
ResultCode GlContext::CopyFramebuffer(uint32_t, Texture*) { return NotImplemented<ResultCode>("GlContext::CopyFramebuffer"); }
ResultCode GlContext::ReadPixels(uint32_t, int32_t, int32_t, int32_t, int32_t, float*) { return NotImplemented<ResultCode>("GlContext::ReadPixels"); }
ResultCode GlContext::CopyTextureToBuffer(Texture*, PixelBuffer*, uint64_t) { return NotImplemented<ResultCode>("GlContext::CopyTextureToBuffer"); }
uint32_t GlContext::CopyBufferToTexture(PixelBuffer*, uint64_t, Texture*) { return NotImplemented<uint32_t>("GlContext::CopyBufferToTexture"); }
ResultCode GlContext::SyncPreCompute() { return NotImplemented<ResultCode>("GlContext::SyncPreCompute"); }
uint32_t GlContext::SyncPostCompute() { return NotImplemented<uint32_t>("GlContext::SyncPostCompute"); }
ComputeProgram* GlContext::CreateComputeProgram() { return NotImplemented<ComputeProgram*>("GlContext::CreateComputeProgram"); }
ResultCode GlContext::ReleaseComputeProgram(ComputeProgram**) { return NotImplemented<ResultCode>("GlContext::ReleaseComputeProgram"); }
ResultCode GlContext::ExecuteComputeKernel(ComputeKernel*, uint32_t, const size_t*, const size_t*) { return NotImplemented<ResultCode>("GlContext::ExecuteComputeKernel"); }
ComputeBuffer* GlContext::CreateComputeBuffer() { return NotImplemented<ComputeBuffer*>("GlContext::CreateComputeBuffer"); }
ResultCode GlContext::ReleaseComputeBuffer(ComputeBuffer**) { return NotImplemented<ResultCode>("GlContext::ReleaseComputeBuffer"); }
ResultCode GlContext::CopyComputeBuffer(ComputeBuffer*, ComputeBuffer*, size_t, size_t, size_t) { return NotImplemented<ResultCode>("GlContext::CopyComputeBuffer"); }

}  // namespace vindra
