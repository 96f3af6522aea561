// ClBufferImpl: an OpenCL-only buffer for compute data, on the compute state of the context that made it.
#ifndef VINDRA_SRC_CL_CL_BUFFER_H
#define VINDRA_SRC_CL_CL_BUFFER_H

#include <memory>

#include "cl/cl_api.h"
#include "vindra/compute.h"

namespace vindra {

class ClState;

class ClBufferImpl final : public ComputeBuffer {
public:
    explicit ClBufferImpl(std::shared_ptr<ClState> state);
    // Ends a mapping still open, then releases the buffer.
    ~ClBufferImpl();
    ClBufferImpl(const ClBufferImpl&) = delete;
    ClBufferImpl& operator=(const ClBufferImpl&) = delete;

    // The buffer behind a host's pointer, or null (reported) when it is not a live one of this library.
    static ClBufferImpl* FromInterface(ComputeBuffer* buffer, const char* operation);

    ResultCode Create(size_t size, const void* hostData, BufferUsage usage) override;
    ResultCode WriteBuffer(size_t offset, size_t size, const void* data) override;
    ResultCode ReadBuffer(size_t offset, size_t size, void* data) override;
    ComputeMemory GetHandle(uint32_t) override { return buffer; }
    ResultCode FillBuffer(size_t offset, size_t size, uint8_t pattern) override;
    void* MapBuffer(MapAccess access) override;
    ResultCode UnmapBuffer() override;

private:
    std::shared_ptr<ClState> state;  // kept alive while the buffer needs its queue
    cl_mem buffer = nullptr;
    size_t size = 0;  // recorded by the last Create; what MapBuffer maps
    void* mapped = nullptr;
};

}  // namespace vindra

#endif
