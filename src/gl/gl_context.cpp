// GlContext: identity, device queries, video memory, the context's own GL objects and its lifecycle.
#include "gl/gl_context.h"

#include <GL/glew.h>

#include <cstdio>
#include <cstring>
#include <initializer_list>

#include "cl/cl_state.h"
#include "core/context_switch.h"
#include "core/current_context.h"
#include "gl/gl_framebuffer.h"
#include "gl/gl_texture.h"
#include "gl/gl_vertex_array.h"

namespace vindra {

namespace {

// "OpenCL: Unknown" and its NUL: what ComputeVersion answers without a usable OpenCL device.
constexpr const char kUnknownComputeVersion[] = "OpenCL: Unknown";

// Copies a GL string into the host's buffer, truncating and always terminating.
void CopyTruncated(void* data, size_t size, const char* text) {
    char* out = static_cast<char*>(data);
    std::strncpy(out, text, size);
    out[size - 1] = '\0';
}

GpuVendor VendorFromString(const char* vendor, GpuVendor unknown) {
    if (vendor == nullptr) return unknown;
    if (std::strncmp(vendor, "NVIDIA", 6) == 0) return GpuVendor::Nvidia;
    if (std::strncmp(vendor, "AMD", 3) == 0 || std::strncmp(vendor, "ATI", 3) == 0) return GpuVendor::Amd;
    if (std::strncmp(vendor, "Apple", 5) == 0) return GpuVendor::Apple;
    if (std::strncmp(vendor, "Intel", 5) == 0) return GpuVendor::Intel;
    return unknown;
}

// Reads a GL_NVX_gpu_memory_info counter (KiB) as bytes; 0 when the extension is absent or the query
// raised a GL error. The error is taken, not reported: the query only decides between fall-backs.
int64_t ReadNvxMemory(GLenum counter) {
    if (!GLEW_NVX_gpu_memory_info) return 0;
    GLint kib = 0;
    glGetIntegerv(counter, &kib);
    if (glGetError() != GL_NO_ERROR) return 0;
    return static_cast<int64_t>(kib) * 1024;
}

// The SwapBuffers calls under way on this thread, innermost first.
struct SwapInProgress {
    const GlContext* context;
    const SwapInProgress* outer;
};
thread_local const SwapInProgress* swapsInProgress = nullptr;

}  // namespace

// The layer's destructor has released the context's own GL objects (ReleaseGlObjects).
GlContext::~GlContext() {
    // Vertex arrays outlive the context only as host objects to release: they must not reach it.
    if (boundVertexArray != nullptr) boundVertexArray->NoteUnboundFrom(this);
    for (GlVertexArray* array : vertexArrays) array->NoteOwnerDeleted();
    for (GlTexture* texture : textureUnits)
        if (texture != nullptr) texture->NoteUnboundFrom(this);
    if (boundFramebuffer != nullptr) boundFramebuffer->NoteContextDeleted(this);
    if (currentContext == this) currentContext = nullptr;
}

void GlContext::CopyName(const char* source) {
    if (source == nullptr) return;
    std::strncpy(name, source, kNameCapacity - 1);
    name[kNameCapacity - 1] = '\0';
}

void GlContext::InitCompute(const ContextInitData& init) {
    GlContext* share = static_cast<GlContext*>(init.shareContext);
    if (share != nullptr && share->clState != nullptr) {
        clState = share->clState;
        return;
    }
    intptr_t sharing[4] = {};
    GetClSharingProperties(sharing);
    clState = ClState::Create(sharing, init.clPlatformIndex, init.clDeviceIndex);
}

Context* GlContext::FinishSharedContext(GlContext* shared) {
    shared->clState = clState;
    bool madeCurrent = false;
    {
        ContextSwitch use(*shared);
        madeCurrent = use.Active();  // its own objects must not be made on the caller's context
        if (madeCurrent) shared->SetUpGlObjects();
    }
    if (madeCurrent) return shared;
    delete shared;
    return nullptr;
}

void GlContext::ReleaseGlObjects() {
    clState.reset();  // while the GL context it shares with still exists
    ContextSwitch use(*this, ContextSwitch::OnExit::ReleaseTarget);
    if (use.Active()) {
        if (ownVao != 0) glDeleteVertexArrays(1, &ownVao);
        for (GLuint* object : {&spareFbo[0], &spareFbo[1], &copyFbo})
            if (*object != 0) glDeleteFramebuffers(1, object);
    }
    ownVao = spareFbo[0] = spareFbo[1] = copyFbo = 0;
}

const char* GlContext::GetName() { return name; }
int32_t GlContext::GetType() { return 1; }
bool GlContext::ReservedQuery3() { return true; }
bool GlContext::ReservedQuery10() { return false; }
bool GlContext::ReservedQuery16() { return false; }
uint64_t GlContext::ReservedQuery17() { return 0; }
int32_t GlContext::ReservedQuery20() { return 1; }
bool GlContext::ReservedQuery21() { return true; }

void GlContext::SetClient(Context* newClient) { client = newClient; }

// The client presents first, and its own client before it. A chain of clients that leads back to a
// context whose swap is under way on this thread ends there: each context presents once per call.
uint32_t GlContext::SwapBuffers(bool withClient) {
    for (const SwapInProgress* swap = swapsInProgress; swap != nullptr; swap = swap->outer)
        if (swap->context == this) return 0;
    SwapInProgress self{this, swapsInProgress};
    swapsInProgress = &self;
    if (withClient && client != nullptr && client->SwapBuffers(withClient) != 0) ReportClientSwapFailure();
    swapsInProgress = self.outer;
    return PresentBackBuffer();
}

void GlContext::SetUpGlObjects() {
    const char* vendor = reinterpret_cast<const char*>(glGetString(GL_VENDOR));
    gpuVendor = VendorFromString(vendor, gpuVendor);
    quirks = DriverQuirks::Detect(gpuVendor, vendor, reinterpret_cast<const char*>(glGetString(GL_RENDERER)));
    quirks.Log(name);

    GLint profileMask = 0;
    glGetIntegerv(GL_CONTEXT_PROFILE_MASK, &profileMask);
    // Core profile has no default vertex array; this one also stands in for vertex arrays of other contexts.
    if (profileMask & GL_CONTEXT_CORE_PROFILE_BIT) {
        glGenVertexArrays(1, &ownVao);
        glBindVertexArray(ownVao);
    }

    glGenFramebuffers(1, &spareFbo[0]);
    glGenFramebuffers(1, &spareFbo[1]);
    glGenFramebuffers(1, &copyFbo);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
}

ResultCode GlContext::GetInfo(ContextInfo query, size_t size, void* data, size_t* sizeRet) {
    ResultCode result = ResultCode::InvalidValue;
    size_t needed = 0;

    // Writes `count` integers of glGetIntegerv(names[i]) when the buffer holds them.
    auto integers = [&](std::initializer_list<GLenum> names) {
        needed = names.size() * sizeof(GLint);
        if (size < needed || data == nullptr) return;
        GLint* out = static_cast<GLint*>(data);
        for (GLenum name : names) glGetIntegerv(name, out++);
        result = ResultCode::Success;
    };
    // Handle queries write a null handle without compute state.
    auto handle = [&](void* value) {
        needed = sizeof(void*);
        if (size < needed || data == nullptr) return;
        std::memcpy(data, &value, sizeof value);
        if (value != nullptr) result = ResultCode::Success;
    };
    auto videoMemory = [&](int64_t bytes) {
        needed = sizeof(uint64_t);
        if (size < needed || data == nullptr) return;
        uint64_t value = static_cast<uint64_t>(bytes);
        std::memcpy(data, &value, sizeof value);
        if (value != 0) result = ResultCode::Success;
    };

    // A number of the compute device (a fall-back where the device does not answer); InvalidOperation
    // when it is 0.
    auto deviceNumber = [&](cl_device_info name, auto fallback) {
        needed = sizeof fallback;
        if (size < needed || data == nullptr || clState == nullptr) return;
        auto value = fallback;
        if (clState->DeviceInfo(name, sizeof value, &value, nullptr) != CL_SUCCESS) value = fallback;
        std::memcpy(data, &value, sizeof value);
        result = value != 0 ? ResultCode::Success : ResultCode::InvalidOperation;
    };

    switch (query) {
        case ContextInfo::MaxTextureSize:
            integers({GL_MAX_TEXTURE_SIZE});
            break;
        case ContextInfo::MaxTextureImageUnits:
            integers({GL_MAX_TEXTURE_IMAGE_UNITS});
            break;
        case ContextInfo::ColorBits:
            integers({GL_RED_BITS, GL_GREEN_BITS, GL_BLUE_BITS, GL_ALPHA_BITS});
            break;
        case ContextInfo::Samples:
            integers({GL_SAMPLES});
            break;
        case ContextInfo::MaxSamples:
            integers({GL_MAX_SAMPLES});
            break;
        case ContextInfo::Renderer: {
            const char* renderer = reinterpret_cast<const char*>(glGetString(GL_RENDERER));
            if (renderer == nullptr) break;
            needed = std::strlen(renderer) + 1;
            if (size > 0 && data != nullptr) {
                CopyTruncated(data, size, renderer);
                result = ResultCode::Success;
            }
            break;
        }
        case ContextInfo::Version: {
            const char* version = reinterpret_cast<const char*>(glGetString(GL_VERSION));
            if (version == nullptr) break;
            needed = std::strlen(version) + 8;  // "OpenGL " and the NUL
            if (size > 0 && data != nullptr) {
                std::snprintf(static_cast<char*>(data), size, "OpenGL %s", version);
                result = ResultCode::Success;
            }
            break;
        }
        case ContextInfo::ComputeVersion:
            // Without a device version to give, the answer says so in its place.
            needed = sizeof kUnknownComputeVersion;
            if (clState != nullptr) clState->DeviceInfo(CL_DEVICE_VERSION, 0, nullptr, &needed);
            if (size == 0 || data == nullptr) break;
            if (clState == nullptr || size < needed ||
                clState->DeviceInfo(CL_DEVICE_VERSION, size, data, nullptr) != CL_SUCCESS)
                std::snprintf(static_cast<char*>(data), size, "%s", kUnknownComputeVersion);
            result = ResultCode::Success;
            break;
        case ContextInfo::ComputeQueue:
            handle(clState != nullptr ? clState->Queue() : nullptr);
            break;
        case ContextInfo::ComputeContext:
            handle(clState != nullptr ? clState->Context() : nullptr);
            break;
        case ContextInfo::ComputePlatform:
            handle(clState != nullptr ? clState->Platform() : nullptr);
            break;
        case ContextInfo::ComputeDevice:
            handle(clState != nullptr ? clState->Device() : nullptr);
            break;
        case ContextInfo::ComputeLocalMemSize:
            deviceNumber(CL_DEVICE_LOCAL_MEM_SIZE, uint64_t{16384});
            break;
        case ContextInfo::ComputeUnits:
            deviceNumber(CL_DEVICE_MAX_COMPUTE_UNITS, cl_uint{1});
            break;
        case ContextInfo::ComputeDeviceName:
            if (clState == nullptr || clState->DeviceInfo(CL_DEVICE_NAME, 0, nullptr, &needed) != CL_SUCCESS) break;
            if (size >= needed && data != nullptr &&
                clState->DeviceInfo(CL_DEVICE_NAME, size, data, nullptr) == CL_SUCCESS)
                result = ResultCode::Success;
            break;
        case ContextInfo::TessellationSupport:
            needed = 1;
            if (size >= 1 && data != nullptr) {
                *static_cast<uint8_t*>(data) = GLEW_ARB_tessellation_shader ? 1 : 0;
                result = ResultCode::Success;
            }
            break;
        case ContextInfo::TotalVideoMemory:
            videoMemory(GetTotalVideoMemory());
            break;
        case ContextInfo::AvailableVideoMemory:
            videoMemory(GetAvailableVideoMemory());
            break;
        case ContextInfo::Extension:
            if (data != nullptr && glewGetExtension(static_cast<const char*>(data))) result = ResultCode::Success;
            break;
        default:
            break;  // unknown query: InvalidValue, size 0
    }

    if (sizeRet != nullptr) *sizeRet = needed;
    return result;
}

// Like the GL queries, this asks about the context current on the calling thread.
int64_t GlContext::GetTotalVideoMemory() {
    if (videoMemoryCache == 0) videoMemoryCache = int64_t{QueryDriverVideoMemoryMiB()} * 1048576;
    if (videoMemoryCache == 0) videoMemoryCache = ReadNvxMemory(GL_GPU_MEMORY_INFO_DEDICATED_VIDMEM_NVX);
    if (videoMemoryCache != 0 || clState == nullptr) return videoMemoryCache;
    // The compute device's global memory; a device sharing the host's memory is given half of it.
    cl_ulong global = 0;
    cl_bool unified = CL_FALSE;
    if (clState->DeviceInfo(CL_DEVICE_GLOBAL_MEM_SIZE, sizeof global, &global, nullptr) != CL_SUCCESS) return 0;
    if (clState->DeviceInfo(CL_DEVICE_HOST_UNIFIED_MEMORY, sizeof unified, &unified, nullptr) == CL_SUCCESS &&
        unified != CL_FALSE)
        global >>= 1;
    videoMemoryCache = static_cast<int64_t>(global);
    return videoMemoryCache;
}

int64_t GlContext::GetAvailableVideoMemory() { return ReadNvxMemory(GL_GPU_MEMORY_INFO_CURRENT_AVAILABLE_VIDMEM_NVX); }

}  // namespace vindra
