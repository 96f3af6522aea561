// ClState: bringing compute up and down, the interop decision, and the context operations of compute.
#include "cl/cl_state.h"

#include <cstring>

#include "cl/cl_buffer.h"
#include "cl/cl_kernel.h"
#include "cl/cl_program.h"
#include "core/log_message.h"
#include "gl/release_object.h"

namespace vindra {

std::shared_ptr<ClState> ClState::Create(const ClGlSharing& sharing, int32_t platformIndex, int32_t deviceIndex) {
    std::shared_ptr<ClState> state(new ClState);
    state->context = CreateClContext(sharing, platformIndex, deviceIndex);
    if (state->context == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to create contex.");
        return nullptr;
    }
    const ClApi& cl = Cl();
    cl_int error =
        cl.clGetContextInfo(state->context, CL_CONTEXT_DEVICES, sizeof state->device, &state->device, nullptr);
    if (state->device == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to get the device id: %d", error);
        return nullptr;
    }
    error = state->DeviceInfo(CL_DEVICE_PLATFORM, sizeof state->platform, &state->platform, nullptr);
    if (state->platform == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to get the platform id: %d", error);
        return nullptr;
    }
    state->queue = cl.clCreateCommandQueue(state->context, state->device, 0, &error);
    if (state->queue == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to create the command queue: %d", error);
        return nullptr;
    }
    LogClPlatformsAndDevices(state->device);
    return state;
}

ClState::~ClState() {
    if (queue != nullptr) Cl().clReleaseCommandQueue(queue);
    if (context != nullptr) Cl().clReleaseContext(context);
}

cl_int ClState::DeviceInfo(cl_device_info name, size_t size, void* value, size_t* sizeRet) const {
    return Cl().clGetDeviceInfo(device, name, size, value, sizeRet);
}

bool ClState::NeedsExplicitInteropSync() const {
    char extensions[4096] = {};
    bool hasGlEvent = DeviceInfo(CL_DEVICE_EXTENSIONS, sizeof extensions, extensions, nullptr) == CL_SUCCESS &&
                      std::strstr(extensions, "cl_khr_gl_event") != nullptr;
    char vendor[256] = {};
    if (DeviceInfo(CL_DEVICE_VENDOR, sizeof vendor, vendor, nullptr) != CL_SUCCESS || vendor[0] == '\0') return true;
    // AMD's runtimes list the extension and still need GL to finish first.
    if (std::strstr(vendor, "Advanced Micro Devices") != nullptr) return true;
    return !(std::strstr(vendor, "NVIDIA") != nullptr || hasGlEvent);
}

ComputeProgram* ClState::CreateProgram() { return new ClProgramImpl(context, device); }

// Unlike the other releases, a pointer that holds null is refused: there is no program to release.
ResultCode ClState::ReleaseProgram(ComputeProgram** program) {
    constexpr const char* kOperation = "GlContext::ReleaseComputeProgram";
    if (program != nullptr && *program == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null program", kOperation);
        return ResultCode::InvalidValue;
    }
    return static_cast<ResultCode>(
        ReleaseLiveObject<ClProgramImpl>(program, kOperation, ClProgramImpl::FromInterface, [](ClProgramImpl*) {}));
}

ResultCode ClState::ExecuteKernel(ComputeKernel* kernel, uint32_t workDim, const size_t* globalWorkSize,
                                  const size_t* localWorkSize) {
    ClKernelImpl* launched = ClKernelImpl::FromInterface(kernel, "GlContext::ExecuteComputeKernel");
    if (launched == nullptr) return ResultCode::InvalidValue;
    return launched->Launch(queue, workDim, globalWorkSize, localWorkSize);
}

ComputeBuffer* ClState::CreateBuffer() { return new ClBufferImpl(shared_from_this()); }

ResultCode ClState::ReleaseBuffer(ComputeBuffer** buffer) {
    return static_cast<ResultCode>(ReleaseLiveObject<ClBufferImpl>(buffer, "GlContext::ReleaseComputeBuffer",
                                                                   ClBufferImpl::FromInterface, [](ClBufferImpl*) {}));
}

ResultCode ClState::CopyBuffer(ComputeBuffer* source, ComputeBuffer* destination, size_t sourceOffset,
                               size_t destinationOffset, size_t size) {
    constexpr const char* kOperation = "GlContext::CopyComputeBuffer";
    ClBufferImpl* from = ClBufferImpl::FromInterface(source, kOperation);
    ClBufferImpl* to = from != nullptr ? ClBufferImpl::FromInterface(destination, kOperation) : nullptr;
    if (to == nullptr) return ResultCode::InvalidValue;
    if (from->GetHandle(0) == nullptr || to->GetHandle(0) == nullptr) return ResultCode::InvalidOperation;
    cl_int error = Cl().clEnqueueCopyBuffer(queue, from->GetHandle(0), to->GetHandle(0), sourceOffset,
                                            destinationOffset, size, 0, nullptr, nullptr);
    return error == CL_SUCCESS ? ResultCode::Success : ResultCode::InvalidOperation;
}

uint32_t ClState::Synchronise(bool explicitSync) {
    cl_int error = explicitSync ? Cl().clFinish(queue) : Cl().clFlush(queue);
    return error == CL_SUCCESS ? 0 : 1;
}

}  // namespace vindra
