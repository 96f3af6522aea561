// The OpenCL loader, found at run time: OpenCL.dll on Windows, the ICD loader libOpenCL.so.1 elsewhere.
#include "cl/cl_api.h"

#if defined(_WIN32)
#include <windows.h>
#else
#include <dlfcn.h>
#include <link.h>
#endif

#include <cstdio>

#include "core/log_message.h"

namespace vindra {

namespace {

#if defined(_WIN32)
constexpr const char kRuntimeName[] = "OpenCL.dll";
using RuntimeHandle = HMODULE;
RuntimeHandle OpenRuntime() { return LoadLibraryExA(kRuntimeName, nullptr, 0); }
void* Resolve(RuntimeHandle runtime, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(runtime, name));
}
bool RuntimePath(RuntimeHandle runtime, char (&path)[256]) {
    return GetModuleFileNameA(runtime, path, sizeof path) != 0;
}
#else
constexpr const char kRuntimeName[] = "libOpenCL.so.1";
using RuntimeHandle = void*;
RuntimeHandle OpenRuntime() { return dlopen(kRuntimeName, RTLD_NOW | RTLD_LOCAL); }
void* Resolve(RuntimeHandle runtime, const char* name) { return dlsym(runtime, name); }
bool RuntimePath(RuntimeHandle runtime, char (&path)[256]) {
    link_map* map = nullptr;
    if (dlinfo(runtime, RTLD_DI_LINKMAP, &map) != 0 || map == nullptr || map->l_name == nullptr) return false;
    snprintf(path, sizeof path, "%s", map->l_name);
    return true;
}
#endif

ClApi entryPoints;

// Fills every entry of `api` from `runtime`; false (reported) when a required one is missing.
bool ResolveEntries(RuntimeHandle runtime, ClApi& api) {
    bool complete = true;
#define VINDRA_CL_RESOLVE(name)                                                                 \
    api.name = reinterpret_cast<decltype(api.name)>(Resolve(runtime, #name));                   \
    if (api.name == nullptr) {                                                                  \
        LogMessage(MessageLevel::Warning, "OpenCL: %s not present in %s", #name, kRuntimeName); \
        complete = false;                                                                       \
    }
    VINDRA_CL_REQUIRED_ENTRIES(VINDRA_CL_RESOLVE)
#undef VINDRA_CL_RESOLVE
    api.clGetExtensionFunctionAddressForPlatform =
        reinterpret_cast<decltype(&::clGetExtensionFunctionAddressForPlatform)>(
            Resolve(runtime, "clGetExtensionFunctionAddressForPlatform"));
    return complete;
}

}  // namespace

ClApi& Cl() { return entryPoints; }

// Each context that brings up compute asks again, as the first may have found no runtime; loading a
// library that is loaded already only counts one more reference, and the handle is never freed.
bool LoadClRuntime() {
    RuntimeHandle runtime = OpenRuntime();
    if (runtime == nullptr) {
        LogMessage(MessageLevel::Warning, "Failed to load %s", kRuntimeName);
        return false;
    }
    char path[256] = {};
    if (RuntimePath(runtime, path))
        LogMessage(MessageLevel::Info, "Loaded %s from: %s", kRuntimeName, path);
    else
        LogMessage(MessageLevel::Warning, "Failed to get %s path", kRuntimeName);
    static bool resolved = false;
    if (!resolved) resolved = ResolveEntries(runtime, entryPoints);
    return resolved;
}

}  // namespace vindra
