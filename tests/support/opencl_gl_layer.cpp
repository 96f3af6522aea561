// OpenCL layer for the compute tests and the demo: the ICD loader puts it in front of every platform when
// OPENCL_LAYERS holds its absolute path. It gives PoCL's CPU device the face of a GPU that shares with GL:
// - the device reports CL_DEVICE_TYPE_GPU and answers GPU device queries; its vendor comes from
//   VINDRA_CL_LAYER_VENDOR and its extensions gain VINDRA_CL_LAYER_EXTENSIONS (by default cl_khr_gl_sharing
//   cl_khr_gl_event), read at every query;
// - GL sharing is emulated by copies on the calling thread's current GL context (OpenGL 4.5 direct state
//   access): clCreateFromGL* make plain OpenCL objects of the GL object's size (textures: level 0 of a 2D
//   RGBA8 one), acquire copies GL to OpenCL, release copies back. PoCL takes and ignores the GL properties
//   of a context. The library leaves no pixel buffer bound, which the copies would otherwise go through.
#define CL_TARGET_OPENCL_VERSION 300
#define GL_GLEXT_PROTOTYPES
#include <CL/cl_icd.h>
#include <CL/cl_layer.h>
#include <GL/gl.h>
#include <GL/glext.h>
#include <dlfcn.h>

#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <string>

namespace {

// GL from the process, found at run time: a library of ours that needed libGL would change the order in
// which glvnd and Mesa go at exit, and LeakSanitizer would lose the names of what Mesa keeps.
// clang-format off
#define LAYER_GL_ENTRIES(X)                                                                                \
    X(glGetString) X(glIsBuffer) X(glIsTexture) X(glGetNamedBufferParameteriv) X(glGetNamedBufferSubData)  \
    X(glNamedBufferSubData) X(glGetTextureLevelParameteriv) X(glGetTextureImage) X(glTextureSubImage2D)
// clang-format on
struct {
#define LAYER_GL_POINTER(name) decltype(&::name) name;
    LAYER_GL_ENTRIES(LAYER_GL_POINTER)
} gl;

const cl_icd_dispatch* next;  // the platform below: PoCL, through the loader
cl_icd_dispatch layer;

// The GL object behind each OpenCL object made from one, and its size (a buffer's: width bytes by 1).
struct Shared {
    GLuint name;
    bool texture;
    size_t width, height;
};
std::mutex sharedMutex;
std::map<cl_mem, Shared> shared;

cl_int Put(const void* data, size_t bytes, size_t size, void* value, size_t* sizeRet) {
    if (sizeRet != nullptr) *sizeRet = bytes;
    if (value != nullptr && size < bytes) return CL_INVALID_VALUE;
    if (value != nullptr) std::memcpy(value, data, bytes);
    return CL_SUCCESS;
}

cl_int CL_API_CALL GetDeviceIDs(cl_platform_id platform, cl_device_type type, cl_uint count, cl_device_id* devices,
                                cl_uint* found) {
    return next->clGetDeviceIDs(platform, type & CL_DEVICE_TYPE_GPU ? CL_DEVICE_TYPE_ALL : type, count, devices, found);
}

cl_int CL_API_CALL GetDeviceInfo(cl_device_id device, cl_device_info name, size_t size, void* value, size_t* sizeRet) {
    const cl_device_type gpu = CL_DEVICE_TYPE_GPU;
    const char* vendor = std::getenv("VINDRA_CL_LAYER_VENDOR");
    const char* extra = std::getenv("VINDRA_CL_LAYER_EXTENSIONS");
    char extensions[8192] = {};
    if (name == CL_DEVICE_TYPE) return Put(&gpu, sizeof gpu, size, value, sizeRet);
    if (name == CL_DEVICE_VENDOR && vendor != nullptr)
        return Put(vendor, std::strlen(vendor) + 1, size, value, sizeRet);
    if (name != CL_DEVICE_EXTENSIONS) return next->clGetDeviceInfo(device, name, size, value, sizeRet);
    next->clGetDeviceInfo(device, name, sizeof extensions, extensions, nullptr);
    std::string all = std::string(extensions) + " " + (extra != nullptr ? extra : "cl_khr_gl_sharing cl_khr_gl_event");
    return Put(all.c_str(), all.size() + 1, size, value, sizeRet);
}

// Every GL context is driven by the platform's first device.
cl_int CL_API_CALL GetGLContextInfoKHR(const cl_context_properties* properties, cl_gl_context_info, size_t size,
                                       void* value, size_t* sizeRet) {
    cl_platform_id platform = nullptr;
    for (; properties != nullptr && properties[0] != 0; properties += 2)
        if (properties[0] == CL_CONTEXT_PLATFORM) platform = reinterpret_cast<cl_platform_id>(properties[1]);
    cl_device_id device = nullptr;
    cl_int error = next->clGetDeviceIDs(platform, CL_DEVICE_TYPE_ALL, 1, &device, nullptr);
    return error != CL_SUCCESS ? error : Put(&device, sizeof device, size, value, sizeRet);
}

bool GlCurrent() { return gl.glGetString != nullptr && gl.glGetString(GL_VERSION) != nullptr; }

void CL_CALLBACK Forget(cl_mem memory, void*) {
    std::lock_guard<std::mutex> lock(sharedMutex);
    shared.erase(memory);
}

cl_mem Remember(cl_mem memory, GLuint name, bool texture, size_t width, size_t height) {
    if (memory == nullptr) return nullptr;
    std::lock_guard<std::mutex> lock(sharedMutex);
    shared[memory] = Shared{name, texture, width, height};
    next->clSetMemObjectDestructorCallback(memory, Forget, nullptr);  // called when the object goes, not now
    return memory;
}

cl_mem Refuse(cl_int code, cl_int* error) {
    if (error != nullptr) *error = code;
    return nullptr;
}

cl_mem CL_API_CALL CreateFromGLBuffer(cl_context context, cl_mem_flags flags, cl_GLuint buffer, cl_int* error) {
    GLint size = 0;
    if (GlCurrent() && gl.glIsBuffer(buffer)) gl.glGetNamedBufferParameteriv(buffer, GL_BUFFER_SIZE, &size);
    if (size <= 0) return Refuse(CL_INVALID_GL_OBJECT, error);
    return Remember(next->clCreateBuffer(context, flags, size_t(size), nullptr, error), buffer, false, size, 1);
}

cl_mem CL_API_CALL CreateFromGLTexture(cl_context context, cl_mem_flags flags, cl_GLenum target, cl_GLint level,
                                       cl_GLuint texture, cl_int* error) {
    if (!GlCurrent() || target != GL_TEXTURE_2D || level != 0 || !gl.glIsTexture(texture))
        return Refuse(CL_INVALID_GL_OBJECT, error);
    GLint width = 0, height = 0, format = 0;
    gl.glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_WIDTH, &width);
    gl.glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_HEIGHT, &height);
    gl.glGetTextureLevelParameteriv(texture, 0, GL_TEXTURE_INTERNAL_FORMAT, &format);
    if (format != GL_RGBA8) return Refuse(CL_INVALID_IMAGE_FORMAT_DESCRIPTOR, error);
    const cl_image_format rgba8 = {CL_RGBA, CL_UNORM_INT8};
    const cl_image_desc desc = {CL_MEM_OBJECT_IMAGE2D, size_t(width), size_t(height), 0, 0, 0, 0, 0, 0, {}};
    return Remember(next->clCreateImage(context, flags, &rgba8, &desc, nullptr, error), texture, true, width, height);
}

// clEnqueueAcquireGLObjects and clEnqueueReleaseGLObjects: copies each object GL to OpenCL (acquire) or back
// (release), through a blocking mapping of it; PoCL maps an image with its rows packed, as GL reads and writes
// them. The library asks for no event, so none is made.
template <bool acquire>
cl_int CL_API_CALL Transfer(cl_command_queue queue, cl_uint count, const cl_mem* objects, cl_uint, const cl_event*,
                            cl_event*) {
    const cl_map_flags flags = acquire ? CL_MAP_WRITE_INVALIDATE_REGION : CL_MAP_READ;
    cl_int error = GlCurrent() ? CL_SUCCESS : CL_INVALID_CONTEXT;
    for (cl_uint i = 0; i < count && error == CL_SUCCESS; ++i) {
        std::unique_lock<std::mutex> lock(sharedMutex);
        if (shared.count(objects[i]) == 0) return CL_INVALID_GL_OBJECT;
        const Shared source = shared[objects[i]];
        lock.unlock();
        const size_t origin[3] = {0, 0, 0}, region[3] = {source.width, source.height, 1};
        size_t pitch = 0, bytes = source.width * source.height * (source.texture ? 4 : 1);
        void* mapped = source.texture ? next->clEnqueueMapImage(queue, objects[i], CL_TRUE, flags, origin, region,
                                                                &pitch, nullptr, 0, nullptr, nullptr, &error)
                                      : next->clEnqueueMapBuffer(queue, objects[i], CL_TRUE, flags, 0, bytes, 0,
                                                                 nullptr, nullptr, &error);
        if (mapped == nullptr) break;
        if (source.texture && acquire)
            gl.glGetTextureImage(source.name, 0, GL_RGBA, GL_UNSIGNED_BYTE, GLsizei(bytes), mapped);
        else if (source.texture)
            gl.glTextureSubImage2D(source.name, 0, 0, 0, GLsizei(source.width), GLsizei(source.height), GL_RGBA,
                                   GL_UNSIGNED_BYTE, mapped);
        else if (acquire)
            gl.glGetNamedBufferSubData(source.name, 0, GLsizeiptr(bytes), mapped);
        else
            gl.glNamedBufferSubData(source.name, 0, GLsizeiptr(bytes), mapped);
        error = next->clEnqueueUnmapMemObject(queue, objects[i], mapped, 0, nullptr, nullptr);
    }
    return error;
}

}  // namespace

// What the ICD loader looks the layer up by.
#define LAYER_EXPORT extern "C" __attribute__((visibility("default")))

LAYER_EXPORT cl_int CL_API_CALL clGetLayerInfo(cl_layer_info name, size_t size, void* value, size_t* sizeRet) {
    const cl_layer_api_version version = CL_LAYER_API_VERSION_100;
    return name == CL_LAYER_API_VERSION ? Put(&version, sizeof version, size, value, sizeRet) : CL_INVALID_VALUE;
}

LAYER_EXPORT cl_int CL_API_CALL clInitLayer(cl_uint count, const cl_icd_dispatch* target, cl_uint* countRet,
                                            const cl_icd_dispatch** dispatch) {
    const size_t entries = sizeof(cl_icd_dispatch) / sizeof(void*);
    std::memcpy(&layer, target, (count < entries ? count : entries) * sizeof(void*));
    next = target;
#define LAYER_GL_RESOLVE(name) gl.name = reinterpret_cast<decltype(gl.name)>(dlsym(RTLD_DEFAULT, #name));
    LAYER_GL_ENTRIES(LAYER_GL_RESOLVE)
    layer.clGetDeviceIDs = &GetDeviceIDs;
    layer.clGetDeviceInfo = &GetDeviceInfo;
    layer.clGetGLContextInfoKHR = &GetGLContextInfoKHR;
    layer.clCreateFromGLBuffer = &CreateFromGLBuffer;
    layer.clCreateFromGLTexture = &CreateFromGLTexture;
    layer.clEnqueueAcquireGLObjects = &Transfer<true>;
    layer.clEnqueueReleaseGLObjects = &Transfer<false>;
    *countRet = cl_uint(entries);
    *dispatch = &layer;
    return CL_SUCCESS;
}
