// GlContext: vertex arrays, fences, clearing and drawing.
#include "core/gl_context.h"
#include "gl/not_implemented.h"

namespace vindra {

ResultCode GlContext::Clear(uint32_t, const float*, double, int32_t) { return NotImplemented<ResultCode>("GlContext::Clear"); }
VertexArray* GlContext::CreateVertexArray() { return NotImplemented<VertexArray*>("GlContext::CreateVertexArray"); }
uint32_t GlContext::ReleaseVertexArray(VertexArray**) { return NotImplemented<uint32_t>("GlContext::ReleaseVertexArray"); }
ResultCode GlContext::BindVertexArray(VertexArray*) { return NotImplemented<ResultCode>("GlContext::BindVertexArray"); }
ResultCode GlContext::DrawPrimitives(PrimitiveType, int32_t, int32_t) { return NotImplemented<ResultCode>("GlContext::DrawPrimitives"); }
ResultCode GlContext::DrawIndexedPrimitives(PrimitiveType, int32_t, uint64_t, int32_t) { return NotImplemented<ResultCode>("GlContext::DrawIndexedPrimitives"); }
FenceSync* GlContext::CreateFenceSync() { return NotImplemented<FenceSync*>("GlContext::CreateFenceSync"); }
uint32_t GlContext::ReleaseFenceSync(FenceSync**) { return NotImplemented<uint32_t>("GlContext::ReleaseFenceSync"); }

}  // namespace vindra
