// GlContext: compute, forwarded to the compute state (shared by the contexts that share GL objects), and
// the synchronisation of GL and OpenCL that is this context's own.
#include <GL/glew.h>

#include "cl/cl_state.h"
#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/gl_context.h"

namespace vindra {

bool GlContext::IsExplicitInteropSync() {
    if (clState != nullptr && interopSyncPending) {
        interopSyncPending = false;
        explicitInteropSync = clState->NeedsExplicitInteropSync();
        LogMessage(MessageLevel::Info, "OpenCL: GL interop using %s synchronization",
                   explicitInteropSync ? "explicit" : "implicit");
    }
    return explicitInteropSync;
}

ResultCode GlContext::SyncPreCompute() {
    if (clState == nullptr) return ResultCode::Success;
    if (IsExplicitInteropSync())
        glFinish();
    else
        glFlush();
    return CheckGlError("GlContext::SyncPreCompute");
}

uint32_t GlContext::SyncPostCompute() { return clState != nullptr ? clState->Synchronise(IsExplicitInteropSync()) : 0; }

ComputeProgram* GlContext::CreateComputeProgram() { return clState != nullptr ? clState->CreateProgram() : nullptr; }

ResultCode GlContext::ReleaseComputeProgram(ComputeProgram** program) {
    return clState != nullptr ? clState->ReleaseProgram(program) : ResultCode::InvalidOperation;
}

ResultCode GlContext::ExecuteComputeKernel(ComputeKernel* kernel, uint32_t workDim, const size_t* globalWorkSize,
                                           const size_t* localWorkSize) {
    return clState != nullptr ? clState->ExecuteKernel(kernel, workDim, globalWorkSize, localWorkSize)
                              : ResultCode::InvalidOperation;
}

ComputeBuffer* GlContext::CreateComputeBuffer() { return clState != nullptr ? clState->CreateBuffer() : nullptr; }

ResultCode GlContext::ReleaseComputeBuffer(ComputeBuffer** buffer) {
    return clState != nullptr ? clState->ReleaseBuffer(buffer) : ResultCode::InvalidOperation;
}

ResultCode GlContext::CopyComputeBuffer(ComputeBuffer* source, ComputeBuffer* destination, size_t sourceOffset,
                                        size_t destinationOffset, size_t size) {
    return clState != nullptr ? clState->CopyBuffer(source, destination, sourceOffset, destinationOffset, size)
                              : ResultCode::InvalidOperation;
}

}  // namespace vindra
