// GlContext: copies and readback, and compute, which are not built yet. Each layer that lands
// replaces its entries here with its own file.
#include "gl/gl_context.h"
#include "gl/not_implemented.h"

namespace vindra {

Texture* GlContext::CreateTexture() { return NotImplemented<Texture*>("GlContext::CreateTexture"); }
uint32_t GlContext::ReleaseTexture(Texture**) { return NotImplemented<uint32_t>("GlContext::ReleaseTexture"); }
ResultCode GlContext::BindTexture(Texture*, int32_t, int32_t) {
    return NotImplemented<ResultCode>("GlContext::BindTexture");
}
Framebuffer* GlContext::CreateFramebuffer() { return NotImplemented<Framebuffer*>("GlContext::CreateFramebuffer"); }
uint32_t GlContext::ReleaseFramebuffer(Framebuffer**) {
    return NotImplemented<uint32_t>("GlContext::ReleaseFramebuffer");
}
ResultCode GlContext::BindFramebuffer(Framebuffer*) { return NotImplemented<ResultCode>("GlContext::BindFramebuffer"); }
Framebuffer* GlContext::GetBoundFramebuffer() { return NotImplemented<Framebuffer*>("GlContext::GetBoundFramebuffer"); }
ResultCode GlContext::CopyFramebuffer(uint32_t, Texture*) {
    return NotImplemented<ResultCode>("GlContext::CopyFramebuffer");
}
ResultCode GlContext::ReadPixels(uint32_t, int32_t, int32_t, int32_t, int32_t, float*) {
    return NotImplemented<ResultCode>("GlContext::ReadPixels");
}
ResultCode GlContext::CopyTextureToBuffer(Texture*, PixelBuffer*, uint64_t) {
    return NotImplemented<ResultCode>("GlContext::CopyTextureToBuffer");
}
uint32_t GlContext::CopyBufferToTexture(PixelBuffer*, uint64_t, Texture*) {
    return NotImplemented<uint32_t>("GlContext::CopyBufferToTexture");
}
ResultCode GlContext::SyncPreCompute() { return NotImplemented<ResultCode>("GlContext::SyncPreCompute"); }
uint32_t GlContext::SyncPostCompute() { return NotImplemented<uint32_t>("GlContext::SyncPostCompute"); }
ComputeProgram* GlContext::CreateComputeProgram() {
    return NotImplemented<ComputeProgram*>("GlContext::CreateComputeProgram");
}
ResultCode GlContext::ReleaseComputeProgram(ComputeProgram**) {
    return NotImplemented<ResultCode>("GlContext::ReleaseComputeProgram");
}
ResultCode GlContext::ExecuteComputeKernel(ComputeKernel*, uint32_t, const size_t*, const size_t*) {
    return NotImplemented<ResultCode>("GlContext::ExecuteComputeKernel");
}
ComputeBuffer* GlContext::CreateComputeBuffer() {
    return NotImplemented<ComputeBuffer*>("GlContext::CreateComputeBuffer");
}
ResultCode GlContext::ReleaseComputeBuffer(ComputeBuffer**) {
    return NotImplemented<ResultCode>("GlContext::ReleaseComputeBuffer");
}
ResultCode GlContext::CopyComputeBuffer(ComputeBuffer*, ComputeBuffer*, size_t, size_t, size_t) {
    return NotImplemented<ResultCode>("GlContext::CopyComputeBuffer");
}

}  // namespace vindra
