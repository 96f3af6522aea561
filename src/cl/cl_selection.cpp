// The OpenCL platform and GPU device that share with the current GL context, and the CL context on them.
#include <GL/glew.h>

#include <algorithm>
#include <cstring>

#include "cl/cl_state.h"
#include "core/log_message.h"

namespace vindra {

namespace {

constexpr cl_uint kMaxPlatforms = 8;

void CL_CALLBACK ClContextNotify(const char* errinfo, const void*, size_t, void*) {
    LogMessage(MessageLevel::Debug, "OpenCL CB: '%s'", errinfo);
}

// An Intel platform serves an automatic choice only where Intel also drives GL (or either vendor is unknown):
// elsewhere it would be an integrated GPU beside the one that renders.
bool IsIntelBesideOtherGl(cl_platform_id platform) {
    char vendor[128] = {};
    if (Cl().clGetPlatformInfo(platform, CL_PLATFORM_VENDOR, sizeof vendor, vendor, nullptr) != CL_SUCCESS ||
        std::strstr(vendor, "Intel") == nullptr)
        return false;
    const char* glVendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    return glVendor != nullptr && std::strstr(glVendor, "Intel") == nullptr;
}

// Entry `index` of the platform's GPU devices; null when there is no such entry.
cl_device_id GpuDeviceAt(cl_platform_id platform, int32_t index) {
    const ClApi& cl = Cl();
    cl_uint count = 0;
    if (cl.clGetDeviceIDs(platform, CL_DEVICE_TYPE_GPU, 0, nullptr, &count) != CL_SUCCESS ||
        static_cast<cl_uint>(index) >= count)
        return nullptr;
    std::unique_ptr<cl_device_id[]> devices(new cl_device_id[count]);
    if (cl.clGetDeviceIDs(platform, CL_DEVICE_TYPE_GPU, count, devices.get(), nullptr) != CL_SUCCESS) return nullptr;
    return devices[index];
}

// The device that drives the GL context named in `properties`, as the platform's runtime reports it.
cl_device_id DeviceOfGlContext(cl_platform_id platform, const cl_context_properties* properties) {
    const ClApi& cl = Cl();
    // Platforms of OpenCL 1.0 and 1.1 know only the lookup without a platform.
    char version[256] = {};
    bool perPlatform =
        cl.clGetPlatformInfo(platform, CL_PLATFORM_VERSION, sizeof version, version, nullptr) == CL_SUCCESS &&
        std::strncmp(version, "OpenCL 1.0", 10) != 0 && std::strncmp(version, "OpenCL 1.1", 10) != 0 &&
        cl.clGetExtensionFunctionAddressForPlatform != nullptr;
    void* lookup = perPlatform ? cl.clGetExtensionFunctionAddressForPlatform(platform, "clGetGLContextInfoKHR")
                               : cl.clGetExtensionFunctionAddress("clGetGLContextInfoKHR");
    if (lookup == nullptr) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to query proc address for clGetGLContextInfoKHR");
        return nullptr;
    }
    cl_device_id device = nullptr;
    cl_int error = reinterpret_cast<clGetGLContextInfoKHR_fn>(lookup)(properties, CL_CURRENT_DEVICE_FOR_GL_CONTEXT_KHR,
                                                                      sizeof device, &device, nullptr);
    // A GL context of another platform's device is not this platform's to report.
    if (error != CL_SUCCESS && error != CL_INVALID_GL_SHAREGROUP_REFERENCE_KHR)
        LogMessage(MessageLevel::Error, "OpenCL: Error in clGetGLContextInfoKHR: %d", error);
    return error == CL_SUCCESS ? device : nullptr;
}

}  // namespace

cl_context CreateClContext(const ClGlSharing& sharing, int32_t platformIndex, int32_t deviceIndex) {
    if (!LoadClRuntime()) return nullptr;
    const ClApi& cl = Cl();
    if (cl.clGetExtensionFunctionAddressForPlatform == nullptr)
        LogMessage(MessageLevel::Warning, "OpenCL: clGetExtensionFunctionAddressForPlatform not present");
    cl_platform_id platforms[kMaxPlatforms] = {};
    cl_uint count = 0;
    if (cl.clGetPlatformIDs(kMaxPlatforms, platforms, &count) != CL_SUCCESS) return nullptr;

    cl_context_properties properties[7] = {};
    cl_device_id device = nullptr;
    bool chosen = false;
    for (cl_uint i = 0; i < std::min(count, kMaxPlatforms) && !chosen; ++i) {
        if (platformIndex >= 0 && static_cast<cl_uint>(platformIndex) != i) continue;
        if (platformIndex < 0 && IsIntelBesideOtherGl(platforms[i])) {
            LogMessage(MessageLevel::Info, "OpenCL: Skipping Intel platform");
            continue;
        }
        device = deviceIndex >= 0 ? GpuDeviceAt(platforms[i], deviceIndex) : nullptr;
        const cl_context_properties list[7] = {CL_CONTEXT_PLATFORM,
                                               reinterpret_cast<cl_context_properties>(platforms[i]),
                                               sharing[0],
                                               sharing[1],
                                               sharing[2],
                                               sharing[3],
                                               0};
        std::copy(list, list + 7, properties);
        if (device == nullptr) device = DeviceOfGlContext(platforms[i], properties);
        if (device == nullptr) continue;
        cl_device_type type = 0;
        cl_int error = cl.clGetDeviceInfo(device, CL_DEVICE_TYPE, sizeof type, &type, nullptr);
        if (error != CL_SUCCESS) {
            LogMessage(MessageLevel::Error, "OpenCL: Failed to get device type: %d", error);
            continue;
        }
        chosen = type == CL_DEVICE_TYPE_GPU;  // exactly: a GPU that is also something else is passed over
    }
    if (!chosen) return nullptr;

    cl_int error = CL_SUCCESS;
    cl_context context = cl.clCreateContext(properties, 1, &device, ClContextNotify, nullptr, &error);
    if (context == nullptr) LogMessage(MessageLevel::Error, "OpenCL: Failed to create context: %d", error);
    return context;
}

}  // namespace vindra
