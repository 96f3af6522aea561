// The OpenCL entry points the library calls, resolved at run time from the system's OpenCL loader
// (OpenCL.dll, libOpenCL.so.1): the library never links OpenCL, so it loads and renders on machines
// without it.
#ifndef VINDRA_SRC_CL_CL_API_H
#define VINDRA_SRC_CL_CL_API_H

#define CL_TARGET_OPENCL_VERSION 120
#define CL_USE_DEPRECATED_OPENCL_1_1_APIS  // clGetExtensionFunctionAddress, for 1.1 platforms
#include <CL/cl.h>
#include <CL/cl_gl.h>

namespace vindra {

// Every entry point the loader must export; clGetExtensionFunctionAddressForPlatform is optional.
// clang-format off
#define VINDRA_CL_REQUIRED_ENTRIES(X)                                                                          \
    X(clGetPlatformIDs) X(clGetPlatformInfo) X(clGetDeviceIDs) X(clGetDeviceInfo) X(clCreateContext)           \
    X(clReleaseContext) X(clGetContextInfo) X(clCreateCommandQueue) X(clReleaseCommandQueue) X(clFlush)        \
    X(clFinish) X(clCreateProgramWithSource) X(clBuildProgram) X(clGetProgramBuildInfo) X(clReleaseProgram)    \
    X(clCreateKernel) X(clReleaseKernel) X(clSetKernelArg) X(clGetKernelWorkGroupInfo) X(clEnqueueNDRangeKernel) \
    X(clCreateBuffer) X(clReleaseMemObject) X(clEnqueueReadBuffer) X(clEnqueueWriteBuffer) X(clEnqueueFillBuffer) \
    X(clEnqueueCopyBuffer) X(clEnqueueMapBuffer) X(clEnqueueUnmapMemObject) X(clCreateFromGLBuffer)            \
    X(clCreateFromGLTexture) X(clEnqueueAcquireGLObjects) X(clEnqueueReleaseGLObjects)                        \
    X(clGetExtensionFunctionAddress)
// clang-format on

struct ClApi {
#define VINDRA_CL_POINTER(name) decltype(&::name) name = nullptr;
    VINDRA_CL_REQUIRED_ENTRIES(VINDRA_CL_POINTER)
    VINDRA_CL_POINTER(clGetExtensionFunctionAddressForPlatform)
#undef VINDRA_CL_POINTER
};

// The process's entry points: all null until LoadClRuntime first succeeds, then kept for the life of
// the process. Calls go through this table, so tests may replace an entry to reach a failure path.
ClApi& Cl();

// Loads the runtime (once; the handle is never freed) and reports where it came from at info level,
// or "Failed to load <library>" as a warning. False when it cannot be loaded or lacks an entry point.
bool LoadClRuntime();

}  // namespace vindra

#endif
