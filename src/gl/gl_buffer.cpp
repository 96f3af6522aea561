#include "gl/gl_buffer.h"

#include <GL/glew.h>

#include <cstddef>
#include <cstring>
#include <mutex>
#include <unordered_map>

#include "cl/cl_gl_objects.h"
#include "core/check_gl_error.h"
#include "core/current_context.h"
#include "gl/gl_context.h"
#include "core/log_message.h"
#include "gl/enum_argument.h"

namespace vindra {

namespace {

struct UsageEntry {
    GLenum hint;               // glBufferData usage
    GLbitfield storageFlags;   // glBufferStorage flags; 0: this usage never takes the storage path
    GLbitfield subDataAccess;  // glMapBufferRange access of BufferSubData
};

constexpr GLbitfield kPersistentWrite =
    GL_MAP_WRITE_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT | GL_CLIENT_STORAGE_BIT;
constexpr GLbitfield kPersistentRead =
    GL_MAP_READ_BIT | GL_MAP_PERSISTENT_BIT | GL_MAP_COHERENT_BIT | GL_CLIENT_STORAGE_BIT;
constexpr GLbitfield kWriteRange = GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT;
// Dynamic buffers are rewritten while the GPU may still read other ranges: do not wait for it.
constexpr GLbitfield kWriteRangeUnsynchronized = kWriteRange | GL_MAP_UNSYNCHRONIZED_BIT;

// Indexed by BufferUsage.
constexpr UsageEntry kUsages[] = {
    {GL_STREAM_DRAW, kPersistentWrite, kWriteRange},
    {GL_STREAM_READ, kPersistentRead, kWriteRange},
    {GL_STREAM_COPY, 0, kWriteRange},
    {GL_STATIC_DRAW, 0, kWriteRange},
    {GL_STATIC_READ, 0, kWriteRange},
    {GL_STATIC_COPY, 0, kWriteRange},
    {GL_DYNAMIC_DRAW, kPersistentWrite | GL_DYNAMIC_STORAGE_BIT, kWriteRangeUnsynchronized},
    {GL_DYNAMIC_READ, 0, kWriteRangeUnsynchronized},
    {GL_DYNAMIC_COPY, 0, kWriteRangeUnsynchronized},
    {GL_STATIC_DRAW, 0, kWriteRange},
    {GL_STATIC_READ, 0, kWriteRange},
    {GL_STATIC_COPY, 0, kWriteRange},
    {GL_STREAM_DRAW, 0, kWriteRange},
    {GL_STREAM_READ, 0, kWriteRange},
    {GL_STREAM_COPY, 0, kWriteRange},
};
static_assert(sizeof(kUsages) / sizeof(kUsages[0]) == GlBuffer::kUsageCount, "one entry per BufferUsage");

// A buffer serves every context that shares it, so the driver is the one of the context running the
// call, not of the one that made the buffer.
bool CurrentDriverHas(DriverQuirk quirk) {
    return currentContext != nullptr && static_cast<GlContext*>(currentContext)->Quirks().Has(quirk);
}

// Live buffers by the host's pointer: kernels take any of the three kinds through an untyped pointer.
std::mutex registryMutex;
std::unordered_map<const void*, GlBuffer*>& Registry() {
    static std::unordered_map<const void*, GlBuffer*> live;
    return live;
}

}  // namespace

ResultCode CheckWriteRange(const char* operation, uint64_t offset, uint64_t length, const void* data, uint64_t size) {
    if (data == nullptr && length != 0) {
        LogMessage(MessageLevel::Error, "%s: null data", operation);
        return ResultCode::InvalidValue;
    }
    // Written so that offset + length cannot wrap around.
    if (offset > size || length > size - offset) {
        LogMessage(MessageLevel::Error, "%s: %llu bytes at offset %llu lie outside the buffer's %llu bytes", operation,
                   static_cast<unsigned long long>(length), static_cast<unsigned long long>(offset),
                   static_cast<unsigned long long>(size));
        return ResultCode::InvalidValue;
    }
    return ResultCode::Success;
}

void GlBuffer::BindTarget() {
    glBindBuffer(target, name);
    ++targetBinds;
}

void GlBuffer::Register(const void* host) {
    hostPointer = host;
    std::lock_guard<std::mutex> lock(registryMutex);
    Registry()[host] = this;
}

GlBuffer* GlBuffer::FromHostPointer(const void* buffer, const char* operation) {
    std::lock_guard<std::mutex> lock(registryMutex);
    auto entry = Registry().find(buffer);
    if (entry != Registry().end()) return entry->second;
    LogMessage(MessageLevel::Error, "%s: %p is not a buffer of this library", operation, buffer);
    return nullptr;
}

GlBuffer::~GlBuffer() {
    {
        std::lock_guard<std::mutex> lock(registryMutex);
        Registry().erase(hostPointer);
    }
    ReleaseComputeMemory(computeHandle);
    if (name != 0) glDeleteBuffers(1, &name);
}

ComputeMemory GlBuffer::GetComputeHandle() {
    if (computeHandle == nullptr) computeHandle = MakeComputeBuffer(name);
    return computeHandle;
}

uint32_t GlBuffer::GetMapAccess(MapAccess access) const {
    int32_t index = static_cast<int32_t>(access);
    return index >= 0 && index < kMapAccessCount ? mapAccess[index] : 0;
}

ResultCode GlBuffer::BufferData(uint64_t newSize, const void* data, BufferUsage newUsage) {
    if (!IsValidEnum(newUsage, kUsageCount, "GlBuffer::BufferData", "BufferUsage")) return ResultCode::InvalidEnum;

    ReleaseComputeMemory(computeHandle);  // made for the storage that goes now
    if (name == 0) glGenBuffers(1, &name);
    if (name != 0) {
        const UsageEntry& entry = kUsages[static_cast<size_t>(newUsage)];
        subDataAccess = entry.subDataAccess;
        mapAccess[static_cast<int>(MapAccess::Write)] = CurrentDriverHas(DriverQuirk::AmdWriteMappingStalls)
                                                            ? (GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_BUFFER_BIT)
                                                            : GL_MAP_WRITE_BIT;

        BindTarget();
        bool persistent = entry.storageFlags != 0 && glBufferStorage != nullptr &&
                          !CurrentDriverHas(DriverQuirk::NvidiaClientStorageInHostMemory);
        if (persistent)
            glBufferStorage(target, static_cast<GLsizeiptr>(newSize), data, entry.storageFlags);
        else
            glBufferData(target, static_cast<GLsizeiptr>(newSize), data, entry.hint);
        glBindBuffer(target, 0);
        // Kept even when GL refused the storage: the fields say what the host asked for last.
        size = newSize;
        usage = newUsage;
    }
    return CheckGlError("GlBuffer::BufferData");
}

ResultCode GlBuffer::BufferSubData(uint64_t offset, uint64_t length, const void* data) {
    if (name == 0) {
        LogMessage(MessageLevel::Error, "GlBuffer::BufferSubData: Buffer not initialized");
        return ResultCode::InvalidOperation;
    }
    ResultCode range = CheckWriteRange("GlBuffer::BufferSubData", offset, length, data, size);
    if (range != ResultCode::Success) return range;
    BindTarget();
    // Mapping only the written range lets the driver skip waiting for the rest of the buffer.
    void* mapped =
        glMapBufferRange(target, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(length), subDataAccess);
    if (mapped != nullptr) {
        std::memcpy(mapped, data, static_cast<size_t>(length));
        glUnmapBuffer(target);
    }
    glBindBuffer(target, 0);
    return CheckGlError("GlBuffer::BufferSubData");
}

void* GlBuffer::MapBuffer(MapAccess access, ResultCode* status) {
    if (name == 0) {
        LogMessage(MessageLevel::Error, "GlBuffer::MapBuffer: Buffer not initialized");
        return nullptr;
    }
    if (!IsValidEnum(access, kMapAccessCount, "GlBuffer::MapBuffer", "MapAccess")) {
        if (status != nullptr) *status = ResultCode::InvalidEnum;
        return nullptr;
    }
    BindTarget();
    void* mapped = glMapBufferRange(target, 0, static_cast<GLsizeiptr>(size), mapAccess[static_cast<int>(access)]);
    // GL keeps the mapping of the buffer object, not of the binding.
    glBindBuffer(target, 0);
    ResultCode result = CheckGlError("GlBuffer::MapBuffer");
    if (status != nullptr) *status = result;
    return mapped;
}

ResultCode GlBuffer::UnmapBuffer() {
    if (name == 0) {
        LogMessage(MessageLevel::Error, "GlBuffer::UnmapBuffer: Buffer not initialized");
        return ResultCode::InvalidOperation;
    }
    BindTarget();
    // GL_FALSE means the contents were lost while mapped; the host rewrites them either way.
    glUnmapBuffer(target);
    glBindBuffer(target, 0);
    return CheckGlError("GlBuffer::UnmapBuffer");
}

}  // namespace vindra
