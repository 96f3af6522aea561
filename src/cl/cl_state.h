// ClState: the compute state of a context: an OpenCL context on the GPU that drives the GL context,
// made to share objects with it, and its one in-order queue. Contexts that share GL objects share one
// ClState; it goes with the last of them (queue first, then the OpenCL context).
#ifndef VINDRA_SRC_CL_CL_STATE_H
#define VINDRA_SRC_CL_CL_STATE_H

#include <cstdint>
#include <memory>

#include "cl/cl_api.h"
#include "vindra/compute.h"

namespace vindra {

// The window system's half of the OpenCL context properties: two pairs naming the GL context current on
// the calling thread (CL_GL_CONTEXT_KHR, then CL_GLX_DISPLAY_KHR or CL_WGL_HDC_KHR).
using ClGlSharing = intptr_t[4];

class ClState : public std::enable_shared_from_this<ClState> {
public:
    // Brings compute up for the GL context current on this thread: loads the runtime, chooses the platform
    // and GPU device (negative indices: automatic), creates the OpenCL context and queue, and lists the
    // platforms and devices. Null when a step fails (reported; what was made is released).
    static std::shared_ptr<ClState> Create(const ClGlSharing& sharing, int32_t platformIndex, int32_t deviceIndex);

    ClState(const ClState&) = delete;
    ClState& operator=(const ClState&) = delete;
    ~ClState();

    cl_context Context() const { return context; }
    cl_platform_id Platform() const { return platform; }
    cl_device_id Device() const { return device; }
    cl_command_queue Queue() const { return queue; }
    // clGetDeviceInfo on the device.
    cl_int DeviceInfo(cl_device_info name, size_t size, void* value, size_t* sizeRet) const;
    // Whether GL must finish (and the queue finish) around kernels on this device, rather than flush:
    // unless its runtime synchronises shared objects itself (NVIDIA, or cl_khr_gl_event; never AMD's).
    bool NeedsExplicitInteropSync() const;

    // The context operations of compute, for every context that uses this state.
    ComputeProgram* CreateProgram();
    ResultCode ReleaseProgram(ComputeProgram** program);
    ResultCode ExecuteKernel(ComputeKernel* kernel, uint32_t workDim, const size_t* globalWorkSize,
                             const size_t* localWorkSize);
    ComputeBuffer* CreateBuffer();
    ResultCode ReleaseBuffer(ComputeBuffer** buffer);
    ResultCode CopyBuffer(ComputeBuffer* source, ComputeBuffer* destination, size_t sourceOffset,
                          size_t destinationOffset, size_t size);
    // Finishes (explicit) or flushes the queue: 0, or 1 when OpenCL refused.
    uint32_t Synchronise(bool explicitSync);

private:
    ClState() = default;

    cl_context context = nullptr;
    cl_platform_id platform = nullptr;
    cl_device_id device = nullptr;  // the only device of context
    cl_command_queue queue = nullptr;
};

// The platform and GPU device for the GL context current on this thread, and an OpenCL context on it
// with `sharing`; null when none is found (reported where a step failed).
cl_context CreateClContext(const ClGlSharing& sharing, int32_t platformIndex, int32_t deviceIndex);
// Lists every platform and its GPU devices at continuation level, the one in use starred.
void LogClPlatformsAndDevices(cl_device_id inUse);

}  // namespace vindra

#endif
