// GlBuffer: the GL buffer object shared by vertex, index and pixel buffers. It owns the GL name,
// picks mutable or persistent client storage, writes sub-ranges through mappings and maps the
// whole buffer for the host.
#ifndef VINDRA_SRC_GL_GL_BUFFER_H
#define VINDRA_SRC_GL_GL_BUFFER_H

#include <cstdint>

#include "vindra/compute.h"
#include "vindra/resources.h"

namespace vindra {

// Checks a write of `length` bytes from `data` at `offset` into a buffer of `size` bytes before GL
// sees it, without overflow: reports "<operation>: ..." and answers InvalidValue when the range leaves
// the buffer or data is null; Success otherwise.
ResultCode CheckWriteRange(const char* operation, uint64_t offset, uint64_t length, const void* data, uint64_t size);

class GlBuffer {
public:
    static constexpr int kUsageCount = 15;  // BufferUsage values 0 to 14
    static constexpr int kMapAccessCount = 3;

    GlBuffer(const GlBuffer&) = delete;
    GlBuffer& operator=(const GlBuffer&) = delete;

    // Makes the GL name on first use and (re)allocates the storage; the result of the GL check.
    ResultCode BufferData(uint64_t size, const void* data, BufferUsage usage);
    // Writes size bytes at offset through a mapping of that range only.
    ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data);
    // Maps the whole buffer; the mapping outlives the call. status (may be null) gets the check.
    void* MapBuffer(MapAccess access, ResultCode* status);
    ResultCode UnmapBuffer();

    uint32_t GetTarget() const { return target; }
    uint32_t GetName() const { return name; }       // 0 until the first BufferData
    uint64_t GetSize() const { return size; }       // as given to the last BufferData
    BufferUsage GetUsage() const { return usage; }  // as given to the last BufferData
    uint32_t GetSubDataAccess() const { return subDataAccess; }
    uint32_t GetMapAccess(MapAccess access) const;  // 0 for a value outside MapAccess
    // How many times the buffer's operations bound its target: each left it bound to 0 after.
    uint32_t GetTargetBindCount() const { return targetBinds; }

    // The OpenCL view of the buffer, made on the current context's compute state at the first call after
    // each BufferData; null (tried again next time) without one, or when OpenCL refuses (reported).
    ComputeMemory GetComputeHandle();
    // The GlBuffer behind a host's vertex, index or pixel buffer pointer, whichever it is; null (reported
    // under `operation`) when it is not a live one of this library.
    static GlBuffer* FromHostPointer(const void* buffer, const char* operation);

protected:
    GlBuffer() = default;
    // Deletes the GL name. Runs only through the context's release, on a thread whose current GL
    // context shares objects with the one that made the buffer.
    ~GlBuffer();

    // glBindBuffer(target, name), counted.
    void BindTarget();
    // Records the host's pointer to this buffer (its interface), for FromHostPointer.
    void Register(const void* host);

    uint32_t target = 0;  // set by each derived class's constructor
    uint32_t name = 0;
    uint64_t size = 0;
    BufferUsage usage = BufferUsage::StaticDraw;
    uint32_t subDataAccess = 0;
    uint32_t mapAccess[kMapAccessCount] = {0x1, 0x2, 0x3};  // READ, WRITE, READ|WRITE
    uint32_t targetBinds = 0;
    ComputeMemory computeHandle = nullptr;
    const void* hostPointer = nullptr;
};

}  // namespace vindra

#endif
