#include "cl/cl_program.h"

#include <cstring>

#include "core/live_objects.h"
#include "core/log_message.h"

namespace vindra {

namespace {

LiveObjects<ComputeProgram, ClProgramImpl> livePrograms("compute program");

// A build log's first three lines each as a message of its own, and the rest as one: a driver's log
// can run to thousands of lines.
void ReportLog(const char* log) {
    const char* rest = log;
    for (int line = 0; line < 3; ++line) {
        const char* end = std::strchr(rest, '\n');
        if (end == nullptr) break;
        LogMessage(MessageLevel::Continuation, "%.*s", static_cast<int>(end - rest), rest);
        rest = end + 1;
    }
    size_t length = std::strlen(rest);
    if (length > 0 && rest[length - 1] == '\n') --length;  // messages carry no line end
    if (length > 0) LogMessage(MessageLevel::Continuation, "%.*s", static_cast<int>(length), rest);
}

}  // namespace

ClProgramImpl::ClProgramImpl(cl_context context, cl_device_id device) : context(context), device(device) {
    livePrograms.Add(this);
}

ClProgramImpl::~ClProgramImpl() {
    livePrograms.Remove(this);
    kernels.clear();
    if (program != nullptr) Cl().clReleaseProgram(program);
}

ClProgramImpl* ClProgramImpl::FromInterface(ComputeProgram* program, const char* operation) {
    return livePrograms.Find(program, operation);
}

uint32_t ClProgramImpl::AddSources(int32_t count, const char* const* strings, const size_t* lengths) {
    if (count < 1) return 0;
    if (strings == nullptr) {
        LogMessage(MessageLevel::Error, "ClProgramImpl::AddSources: null strings");
        return static_cast<uint32_t>(ResultCode::InvalidValue);
    }
    for (int32_t i = 0; i < count; ++i) {
        sources.push_back(strings[i]);
        sourceLengths.push_back(lengths != nullptr ? lengths[i] : 0);
    }
    return 0;
}

// A second build makes a new program object; kernels made from the first keep it alive as long as
// they need it.
uint32_t ClProgramImpl::Build() {
    const ClApi& cl = Cl();
    if (program != nullptr) cl.clReleaseProgram(program);
    cl_int error = CL_SUCCESS;
    program = cl.clCreateProgramWithSource(context, static_cast<cl_uint>(sources.size()), sources.data(),
                                           sourceLengths.data(), &error);
    if (program == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to create program: %d", error);
        return 1;
    }
    cl_int status = cl.clBuildProgram(program, 0, nullptr, nullptr, nullptr, nullptr);
    if (status == CL_SUCCESS) return 0;
    ReportBuildFailure(status);
    return 1;
}

void ClProgramImpl::ReportBuildFailure(cl_int status) const {
    const ClApi& cl = Cl();
    cl_device_id devices[16] = {};
    size_t bytes = 0;
    if (cl.clGetContextInfo(context, CL_CONTEXT_DEVICES, sizeof devices, devices, &bytes) != CL_SUCCESS) return;
    for (size_t i = 0; i < bytes / sizeof(cl_device_id); ++i) {
        size_t size = 0;
        if (cl.clGetProgramBuildInfo(program, devices[i], CL_PROGRAM_BUILD_LOG, 0, nullptr, &size) != CL_SUCCESS ||
            size <= 2)
            continue;  // only a NUL and perhaps a line end
        std::unique_ptr<char[]> log(new char[size + 1]());
        if (cl.clGetProgramBuildInfo(program, devices[i], CL_PROGRAM_BUILD_LOG, size, log.get(), nullptr) != CL_SUCCESS)
            continue;
        LogMessage(MessageLevel::Error, "CL: Failed to build program: %d", status);
        ReportLog(log.get());
    }
}

ComputeKernel* ClProgramImpl::GetKernel(const char* name) {
    if (name == nullptr) {
        LogMessage(MessageLevel::Error, "ClProgramImpl::GetKernel: null name");
        return nullptr;
    }
    for (const std::unique_ptr<ClKernelImpl>& kernel : kernels)
        if (kernel->Name() == name) return kernel.get();
    // Before a build there is no program to ask: OpenCL would answer the same.
    cl_int error = CL_INVALID_PROGRAM;
    cl_kernel made = program != nullptr ? Cl().clCreateKernel(program, name, &error) : nullptr;
    if (made == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to create kernel %s for program: (%d)", name, error);
        return nullptr;
    }
    kernels.push_back(std::make_unique<ClKernelImpl>(name, made, device));
    return kernels.back().get();
}

}  // namespace vindra
