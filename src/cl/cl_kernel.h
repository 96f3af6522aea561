// ClKernelImpl: one kernel of a program, its arguments, and its launch with the GL objects it shares.
#ifndef VINDRA_SRC_CL_CL_KERNEL_H
#define VINDRA_SRC_CL_CL_KERNEL_H

#include <map>
#include <string>

#include "cl/cl_api.h"
#include "vindra/compute.h"

namespace vindra {

class ClKernelImpl final : public ComputeKernel {
public:
    ClKernelImpl(const char* name, cl_kernel kernel, cl_device_id device);
    ~ClKernelImpl();
    ClKernelImpl(const ClKernelImpl&) = delete;
    ClKernelImpl& operator=(const ClKernelImpl&) = delete;

    // The kernel behind a host's pointer, or null (reported) when it is not a live one of this library.
    static ClKernelImpl* FromInterface(ComputeKernel* kernel, const char* operation);

    const std::string& Name() const { return name; }
    ResultCode GetWorkGroupSize(size_t* size) override;
    ResultCode SetArgument(uint32_t index, KernelArgKind kind, size_t size, const void* value) override;
    // Acquires the GL objects among the arguments in ascending argument order, enqueues the kernel on
    // `queue` without waiting, and releases them again, whether or not the enqueue succeeded.
    ResultCode Launch(cl_command_queue queue, uint32_t workDim, const size_t* globalWorkSize,
                      const size_t* localWorkSize);

private:
    // The OpenCL object of a resource argument (kinds 0 to 4), made on first use; null (reported) when
    // the value is not such a resource or it has none.
    cl_mem ResourceHandle(KernelArgKind kind, const void* value);

    std::string name;
    cl_kernel kernel;
    cl_device_id device;
    // The GL-shared object set at each argument index, in ascending order. Not owned: the GL objects own
    // them. An index set to another kind of argument leaves the map.
    std::map<uint32_t, cl_mem> glObjects;
};

}  // namespace vindra

#endif
