// ClProgramImpl: OpenCL C sources built for the context's device, and the kernels made from them by name.
#ifndef VINDRA_SRC_CL_CL_PROGRAM_H
#define VINDRA_SRC_CL_CL_PROGRAM_H

#include <memory>
#include <vector>

#include "cl/cl_api.h"
#include "cl/cl_kernel.h"
#include "vindra/compute.h"

namespace vindra {

class ClProgramImpl final : public ComputeProgram {
public:
    ClProgramImpl(cl_context context, cl_device_id device);
    // Releases the kernels, then the program.
    ~ClProgramImpl();
    ClProgramImpl(const ClProgramImpl&) = delete;
    ClProgramImpl& operator=(const ClProgramImpl&) = delete;

    // The program behind a host's pointer, or null (reported) when it is not a live one of this library.
    static ClProgramImpl* FromInterface(ComputeProgram* program, const char* operation);

    uint32_t ReservedQuery0() override { return 0; }
    uint32_t AddSources(int32_t count, const char* const* strings, const size_t* lengths) override;
    uint32_t Build() override;
    ComputeKernel* GetKernel(const char* name) override;

private:
    // Reports the build log of each device that has one.
    void ReportBuildFailure(cl_int status) const;

    cl_context context;
    cl_device_id device;
    cl_program program = nullptr;
    std::vector<const char*> sources;  // the host's strings, not copied
    std::vector<size_t> sourceLengths;
    std::vector<std::unique_ptr<ClKernelImpl>> kernels;  // in creation order
};

}  // namespace vindra

#endif
