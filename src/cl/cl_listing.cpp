// The platform and device listing a context writes when it brings compute up.
#include <algorithm>
#include <cstdio>

#include "cl/cl_error_string.h"
#include "cl/cl_state.h"
#include "core/log_message.h"

namespace vindra {

namespace {

constexpr const char kSeparator[] = "-------------------------------------------------";
constexpr cl_uint kMaxPlatforms = 8;
constexpr cl_uint kMaxDevices = 32;

struct Text {
    char value[256];
};

template <typename Query, typename Object, typename Name>
Text TextOf(Query query, Object object, Name name, const char* fallback) {
    Text text{};
    if (query(object, name, sizeof text.value, text.value, nullptr) != CL_SUCCESS)
        std::snprintf(text.value, sizeof text.value, "%s", fallback);
    return text;
}

cl_uint NumberOf(cl_device_id device, cl_device_info name) {
    cl_uint value = 0;
    if (Cl().clGetDeviceInfo(device, name, sizeof value, &value, nullptr) != CL_SUCCESS) value = 0;
    return value;
}

void LogDevices(cl_platform_id platform, cl_device_id inUse) {
    const ClApi& cl = Cl();
    cl_uint count = 0;
    cl_int error = cl.clGetDeviceIDs(platform, CL_DEVICE_TYPE_GPU, 0, nullptr, &count);
    if (error != CL_SUCCESS || count == 0) {
        LogMessage(MessageLevel::Continuation, "            : No GPU Devices were found/supported.");
        if (error != CL_DEVICE_NOT_FOUND)
            LogMessage(MessageLevel::Continuation, "            : %s", ClErrorString(error));
        return;
    }
    cl_device_id devices[kMaxDevices] = {};
    count = std::min(count, kMaxDevices);
    if (cl.clGetDeviceIDs(platform, CL_DEVICE_TYPE_GPU, count, devices, nullptr) != CL_SUCCESS) return;
    for (cl_uint j = 0; j < count; ++j) {
        Text name = TextOf(cl.clGetDeviceInfo, devices[j], CL_DEVICE_NAME, "Unknown");
        Text version = TextOf(cl.clGetDeviceInfo, devices[j], CL_DEVICE_VERSION, "Unknown");
        Text vendor = TextOf(cl.clGetDeviceInfo, devices[j], CL_DEVICE_VENDOR, "Unknown");
        LogMessage(MessageLevel::Continuation,
                   devices[j] == inUse ? " *Device %3d: %-36s - %-28s - [%4d/%4d] %s"
                                       : "  Device %3d: %-36s - %-28s - [%4d/%4d] %s",
                   static_cast<int>(j), name.value, version.value,
                   static_cast<int>(NumberOf(devices[j], CL_DEVICE_MAX_COMPUTE_UNITS)),
                   static_cast<int>(NumberOf(devices[j], CL_DEVICE_MAX_CLOCK_FREQUENCY)), vendor.value);
    }
}

}  // namespace

void LogClPlatformsAndDevices(cl_device_id inUse) {
    const ClApi& cl = Cl();
    LogMessage(MessageLevel::Info, "OpenCL: Platforms & Devices");
    LogMessage(MessageLevel::Continuation, "%s", kSeparator);
    cl_platform_id platforms[kMaxPlatforms] = {};
    cl_uint count = 0;
    if (cl.clGetPlatformIDs(kMaxPlatforms, platforms, &count) == CL_SUCCESS) {
        for (cl_uint i = 0; i < std::min(count, kMaxPlatforms); ++i) {
            Text name = TextOf(cl.clGetPlatformInfo, platforms[i], CL_PLATFORM_NAME, "Unknown");
            Text version = TextOf(cl.clGetPlatformInfo, platforms[i], CL_PLATFORM_VERSION, "0.0");
            Text vendor = TextOf(cl.clGetPlatformInfo, platforms[i], CL_PLATFORM_VENDOR, "N/A");
            LogMessage(MessageLevel::Continuation, "Platform %3d: %-36s - %-28s -             %s", static_cast<int>(i),
                       name.value, version.value, vendor.value);
            LogDevices(platforms[i], inUse);
        }
    }
    LogMessage(MessageLevel::Continuation, "%s", kSeparator);
}

}  // namespace vindra
