// GlContext: buffer factories, releases and binds.
#include "core/gl_context.h"
#include "gl/not_implemented.h"

namespace vindra {

VertexBuffer* GlContext::CreateVertexBuffer() { return NotImplemented<VertexBuffer*>("GlContext::CreateVertexBuffer"); }
uint32_t GlContext::ReleaseVertexBuffer(VertexBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleaseVertexBuffer"); }
IndexBuffer* GlContext::CreateIndexBuffer() { return NotImplemented<IndexBuffer*>("GlContext::CreateIndexBuffer"); }
uint32_t GlContext::ReleaseIndexBuffer(IndexBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleaseIndexBuffer"); }
ResultCode GlContext::BindIndexBuffer(IndexBuffer*) { return NotImplemented<ResultCode>("GlContext::BindIndexBuffer"); }
UniformBuffer* GlContext::CreateUniformBuffer() { return NotImplemented<UniformBuffer*>("GlContext::CreateUniformBuffer"); }
uint32_t GlContext::ReleaseUniformBuffer(UniformBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleaseUniformBuffer"); }
ResultCode GlContext::BindUniformBuffer(UniformBuffer*, int32_t, uint32_t) { return NotImplemented<ResultCode>("GlContext::BindUniformBuffer"); }
ResultCode GlContext::UnBindUniformBuffer(UniformBuffer*) { return NotImplemented<ResultCode>("GlContext::UnBindUniformBuffer"); }
PixelBuffer* GlContext::CreatePixelBuffer() { return NotImplemented<PixelBuffer*>("GlContext::CreatePixelBuffer"); }
uint32_t GlContext::ReleasePixelBuffer(PixelBuffer**) { return NotImplemented<uint32_t>("GlContext::ReleasePixelBuffer"); }

}  // namespace vindra
