// GlContext: compute, which is not built yet; its layer replaces these entries with its own file.
#include "gl/gl_context.h"
#include "gl/not_implemented.h"

namespace vindra {

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
