#include "cl/cl_gl_objects.h"

#include "cl/cl_error_string.h"
#include "cl/cl_state.h"
#include "core/current_context.h"
#include "core/log_message.h"
#include "gl/gl_context.h"

namespace vindra {

namespace {

ClState* CurrentClState() {
    return currentContext != nullptr ? static_cast<GlContext*>(currentContext)->GetClState() : nullptr;
}

}  // namespace

ComputeMemory MakeComputeBuffer(uint32_t glName) {
    ClState* state = CurrentClState();
    if (state == nullptr) return nullptr;
    cl_int error = CL_SUCCESS;
    cl_mem memory = Cl().clCreateFromGLBuffer(state->Context(), CL_MEM_READ_WRITE, glName, &error);
    if (memory == nullptr)
        LogMessage(MessageLevel::Error, "OpenCL: Failed to create buffer from GL buffer: %s", ClErrorString(error));
    return memory;
}

ComputeMemory MakeComputeImage(uint32_t glTarget, uint32_t glName) {
    ClState* state = CurrentClState();
    if (state == nullptr) return nullptr;
    cl_int error = CL_SUCCESS;
    cl_mem memory = Cl().clCreateFromGLTexture(state->Context(), CL_MEM_READ_WRITE, glTarget, 0, glName, &error);
    if (memory == nullptr)
        LogMessage(MessageLevel::Error, "OpenCL: Failed to create image from GL texture: %s", ClErrorString(error));
    return memory;
}

void ReleaseComputeMemory(ComputeMemory& memory) {
    if (memory != nullptr) Cl().clReleaseMemObject(memory);
    memory = nullptr;
}

ResultCode EnqueueGlAcquire(ComputeMemory memory, bool acquire) {
    ClState* state = CurrentClState();
    if (memory == nullptr || state == nullptr) return ResultCode::InvalidOperation;
    const ClApi& cl = Cl();
    cl_int error = acquire ? cl.clEnqueueAcquireGLObjects(state->Queue(), 1, &memory, 0, nullptr, nullptr)
                           : cl.clEnqueueReleaseGLObjects(state->Queue(), 1, &memory, 0, nullptr, nullptr);
    return error == CL_SUCCESS ? ResultCode::Success : ResultCode::InvalidOperation;
}

}  // namespace vindra
