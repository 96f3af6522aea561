#include "cl/cl_buffer.h"

#include "cl/cl_error_string.h"
#include "cl/cl_state.h"
#include "core/live_objects.h"
#include "core/log_message.h"

namespace vindra {

namespace {

LiveObjects<ComputeBuffer, ClBufferImpl> liveBuffers("compute buffer");

// Indexed by BufferUsage: what kernels do with the buffer, which is the opposite of what GL draws do
// with it. The host families (12 to 14) get memory the host reaches directly.
// clang-format off
constexpr cl_mem_flags kUsageFlags[] = {
    CL_MEM_READ_ONLY, CL_MEM_WRITE_ONLY, CL_MEM_READ_WRITE,
    CL_MEM_READ_ONLY, CL_MEM_WRITE_ONLY, CL_MEM_READ_WRITE,
    CL_MEM_READ_ONLY, CL_MEM_WRITE_ONLY, CL_MEM_READ_WRITE,
    CL_MEM_READ_ONLY, CL_MEM_WRITE_ONLY, CL_MEM_READ_WRITE,
    CL_MEM_ALLOC_HOST_PTR | CL_MEM_READ_ONLY, CL_MEM_ALLOC_HOST_PTR | CL_MEM_WRITE_ONLY,
    CL_MEM_ALLOC_HOST_PTR | CL_MEM_READ_WRITE,
};
constexpr cl_map_flags kMapFlags[] = {CL_MAP_READ, CL_MAP_WRITE_INVALIDATE_REGION, CL_MAP_READ | CL_MAP_WRITE};
// clang-format on

}  // namespace

ClBufferImpl::ClBufferImpl(std::shared_ptr<ClState> state) : state(std::move(state)) { liveBuffers.Add(this); }

ClBufferImpl::~ClBufferImpl() {
    liveBuffers.Remove(this);
    if (buffer == nullptr) return;
    if (mapped != nullptr) Cl().clEnqueueUnmapMemObject(state->Queue(), buffer, mapped, 0, nullptr, nullptr);
    Cl().clReleaseMemObject(buffer);
}

ClBufferImpl* ClBufferImpl::FromInterface(ComputeBuffer* buffer, const char* operation) {
    return liveBuffers.Find(buffer, operation);
}

// A later call keeps the first storage and its flags and only records the new size.
ResultCode ClBufferImpl::Create(size_t newSize, const void* hostData, BufferUsage usage) {
    if (buffer == nullptr) {
        uint32_t index = static_cast<uint32_t>(usage);
        cl_mem_flags flags =
            index < sizeof kUsageFlags / sizeof kUsageFlags[0] ? kUsageFlags[index] : CL_MEM_READ_WRITE;
        if (newSize != 0 && hostData != nullptr) flags |= CL_MEM_COPY_HOST_PTR;
        cl_int error = CL_SUCCESS;
        buffer = Cl().clCreateBuffer(state->Context(), flags, newSize, const_cast<void*>(hostData), &error);
        if (buffer == nullptr) {
            LogMessage(MessageLevel::Error, "OpenCL: Failed to create buffer: %s", ClErrorString(error));
            return ResultCode::InvalidOperation;
        }
    }
    size = newSize;
    return ResultCode::Success;
}

ResultCode ClBufferImpl::WriteBuffer(size_t offset, size_t length, const void* data) {
    if (buffer == nullptr) return ResultCode::InvalidValue;
    cl_int error =
        Cl().clEnqueueWriteBuffer(state->Queue(), buffer, CL_TRUE, offset, length, data, 0, nullptr, nullptr);
    return error == CL_SUCCESS ? ResultCode::Success : ResultCode::InvalidOperation;
}

ResultCode ClBufferImpl::ReadBuffer(size_t offset, size_t length, void* data) {
    if (buffer == nullptr) return ResultCode::InvalidValue;
    cl_int error = Cl().clEnqueueReadBuffer(state->Queue(), buffer, CL_TRUE, offset, length, data, 0, nullptr, nullptr);
    return error == CL_SUCCESS ? ResultCode::Success : ResultCode::InvalidOperation;
}

ResultCode ClBufferImpl::FillBuffer(size_t offset, size_t length, uint8_t pattern) {
    if (buffer == nullptr) return ResultCode::InvalidOperation;
    cl_int error = Cl().clEnqueueFillBuffer(state->Queue(), buffer, &pattern, 1, offset, length, 0, nullptr, nullptr);
    return error == CL_SUCCESS ? ResultCode::Success : ResultCode::InvalidOperation;
}

void* ClBufferImpl::MapBuffer(MapAccess access) {
    uint32_t index = static_cast<uint32_t>(access);
    cl_map_flags flags = index < 3 ? kMapFlags[index] : CL_MAP_READ | CL_MAP_WRITE;
    cl_int error = CL_INVALID_MEM_OBJECT;  // without storage, as OpenCL would answer
    mapped = buffer == nullptr ? nullptr
                               : Cl().clEnqueueMapBuffer(state->Queue(), buffer, CL_TRUE, flags, 0, size, 0, nullptr,
                                                         nullptr, &error);
    if (error != CL_SUCCESS) LogMessage(MessageLevel::Error, "OpenCL: Failed to map buffer: %d", error);
    return mapped;
}

// The mapping is forgotten once ended, so that a second call cannot end it again.
ResultCode ClBufferImpl::UnmapBuffer() {
    if (mapped == nullptr) return ResultCode::InvalidOperation;
    cl_int error = Cl().clEnqueueUnmapMemObject(state->Queue(), buffer, mapped, 0, nullptr, nullptr);
    if (error != CL_SUCCESS) {
        LogMessage(MessageLevel::Error, "OpenCL: Failed to unmap buffer: %d", error);
        return ResultCode::InvalidOperation;
    }
    mapped = nullptr;
    return ResultCode::Success;
}

}  // namespace vindra
