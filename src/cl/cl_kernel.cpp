#include "cl/cl_kernel.h"

#include <atomic>

#include "cl/cl_buffer.h"
#include "cl/cl_error_string.h"
#include "core/live_objects.h"
#include "core/log_message.h"
#include "gl/gl_buffer.h"
#include "gl/gl_texture.h"

namespace vindra {

namespace {

constexpr const char* kSetArgument = "ClKernelImpl::SetArgument";

LiveObjects<ComputeKernel, ClKernelImpl> liveKernels("compute kernel");

// Set until the first release of GL objects after a launch in this process, which waits for the queue
// first: some drivers let the first release overtake the kernel. Atomic: contexts launch from any thread.
std::atomic<bool> firstReleaseFinish{true};

bool IsGlObject(KernelArgKind kind) { return static_cast<uint32_t>(kind) <= 3; }
bool IsResource(KernelArgKind kind) { return static_cast<uint32_t>(kind) <= 4; }

}  // namespace

ClKernelImpl::ClKernelImpl(const char* name, cl_kernel kernel, cl_device_id device)
    : name(name), kernel(kernel), device(device) {
    liveKernels.Add(this);
}

ClKernelImpl::~ClKernelImpl() {
    liveKernels.Remove(this);
    if (kernel != nullptr) Cl().clReleaseKernel(kernel);
}

ClKernelImpl* ClKernelImpl::FromInterface(ComputeKernel* kernel, const char* operation) {
    return liveKernels.Find(kernel, operation);
}

ResultCode ClKernelImpl::GetWorkGroupSize(size_t* size) {
    cl_int error =
        Cl().clGetKernelWorkGroupInfo(kernel, device, CL_KERNEL_WORK_GROUP_SIZE, sizeof(size_t), size, nullptr);
    return error == CL_SUCCESS ? ResultCode::Success : ResultCode::InvalidOperation;
}

cl_mem ClKernelImpl::ResourceHandle(KernelArgKind kind, const void* value) {
    void* resource = const_cast<void*>(value);  // the host's object, passed through an untyped pointer
    cl_mem handle = nullptr;
    if (kind == KernelArgKind::ArgTexture) {
        if (GlTexture* texture = GlTexture::FromInterface(static_cast<Texture*>(resource), kSetArgument))
            handle = reinterpret_cast<cl_mem>(static_cast<uintptr_t>(texture->GetHandle(2)));
        else
            return nullptr;
    } else if (kind == KernelArgKind::ArgComputeBuffer) {
        if (ClBufferImpl* buffer = ClBufferImpl::FromInterface(static_cast<ComputeBuffer*>(resource), kSetArgument))
            handle = buffer->GetHandle(0);
        else
            return nullptr;
    } else {
        if (GlBuffer* buffer = GlBuffer::FromHostPointer(resource, kSetArgument))
            handle = buffer->GetComputeHandle();
        else
            return nullptr;
    }
    // No OpenCL object (no compute state here, a buffer without storage): a kernel would read through null.
    if (handle == nullptr)
        LogMessage(MessageLevel::Error, "OpenCL: Failed to set kernel argument: %s",
                   ClErrorString(CL_INVALID_MEM_OBJECT));
    return handle;
}

ResultCode ClKernelImpl::SetArgument(uint32_t index, KernelArgKind kind, size_t size, const void* value) {
    cl_mem handle = nullptr;
    if (IsResource(kind)) {
        if (value == nullptr) {
            LogMessage(MessageLevel::Error, "OpenCL: Failed to set kernel argument: %s",
                       ClErrorString(CL_INVALID_KERNEL_ARGS));
            return ResultCode::InvalidOperation;
        }
        handle = ResourceHandle(kind, value);
        if (handle == nullptr) return ResultCode::InvalidOperation;
    }
    cl_int error = IsResource(kind) ? Cl().clSetKernelArg(kernel, index, sizeof handle, &handle)
                                    : Cl().clSetKernelArg(kernel, index, size, value);
    if (error != CL_SUCCESS) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to set kernel argument: %s", ClErrorString(error));
        return ResultCode::InvalidOperation;
    }
    if (IsGlObject(kind))
        glObjects[index] = handle;
    else
        glObjects.erase(index);
    return ResultCode::Success;
}

ResultCode ClKernelImpl::Launch(cl_command_queue queue, uint32_t workDim, const size_t* globalWorkSize,
                                const size_t* localWorkSize) {
    const ClApi& cl = Cl();
    // Refused before OpenCL sees them, as OpenCL would refuse them: some runtimes read the sizes first.
    if (workDim < 1 || workDim > 3 || globalWorkSize == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to enqueue kernel: %s %d", name.c_str(),
                   globalWorkSize == nullptr ? CL_INVALID_GLOBAL_WORK_SIZE : CL_INVALID_WORK_DIMENSION);
        return ResultCode::InvalidOperation;
    }
    for (const auto& entry : glObjects) {
        cl_int error = cl.clEnqueueAcquireGLObjects(queue, 1, &entry.second, 0, nullptr, nullptr);
        if (error != CL_SUCCESS)
            LogMessage(MessageLevel::Error, "OpenCL: Failed to acquire GL object: %s", ClErrorString(error));
    }
    cl_int enqueued =
        cl.clEnqueueNDRangeKernel(queue, kernel, workDim, nullptr, globalWorkSize, localWorkSize, 0, nullptr, nullptr);
    for (const auto& entry : glObjects) {
        if (firstReleaseFinish.exchange(false)) cl.clFinish(queue);
        cl_int error = cl.clEnqueueReleaseGLObjects(queue, 1, &entry.second, 0, nullptr, nullptr);
        if (error != CL_SUCCESS)
            LogMessage(MessageLevel::Error, "OpenCL: Failed to release GL object: %s", ClErrorString(error));
    }
    if (enqueued != CL_SUCCESS) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to enqueue kernel: %s %d", name.c_str(), enqueued);
        return ResultCode::InvalidOperation;
    }
    return ResultCode::Success;
}

}  // namespace vindra
