// vindra: OpenCL compute interfaces the host holds: programs, kernels and compute buffers.
//
// Programs and buffers are created and released through the Context; kernels belong to their
// program. The order of the virtual operations is part of the binary interface: never reorder,
// insert or remove an operation.
// Every interface here follows the rules of vindra/abi.h, which keep one layout for every compiler.
#ifndef VINDRA_COMPUTE_H
#define VINDRA_COMPUTE_H

#include <stddef.h>
#include <stdint.h>

#include "vindra/resources.h"
#include "vindra/types.h"

/// OpenCL's own spelling of its memory-object handle (cl_mem), so hosts that include the
/// OpenCL headers can pass handles without casts and without us including them here.
struct _cl_mem;

namespace vindra {

/// An OpenCL memory object (cl_mem).
using ComputeMemory = ::_cl_mem*;

/// What the value of ComputeKernel::SetArgument points at.
enum class KernelArgKind : uint32_t {
    ArgTexture = 0,        ///< a Texture* of this library: its OpenCL image, shared with GL
    ArgVertexBuffer = 1,   ///< a VertexBuffer*: its OpenCL buffer, shared with GL
    ArgIndexBuffer = 2,    ///< an IndexBuffer*: as ArgVertexBuffer (the three buffer kinds take any of the three)
    ArgPixelBuffer = 3,    ///< a PixelBuffer*: as ArgVertexBuffer
    ArgComputeBuffer = 4,  ///< a ComputeBuffer*
    ArgValue = 5,          ///< and above: size bytes at value; a null value asks for size bytes of local memory
};

class ComputeKernel;

// Neither compute interface has a virtual destructor: the context's release operations
// destroy programs (with their kernels) and buffers, knowing the concrete class.

/// OpenCL C sources built for the context's device, handing out kernels by name. Created and released
/// through the Context; owns its kernels.
class ComputeProgram {
public:
    /// Reserved; answers 0.
    virtual uint32_t ReservedQuery0() = 0;
    /// Appends count source strings (kept as given, not copied: they must outlive Build).
    /// lengths may be null; a length of 0 means NUL-terminated. 0 (nothing for a count below 1), or
    /// InvalidValue (reported) for null strings.
    virtual uint32_t AddSources(int32_t count, const char* const* strings, const size_t* lengths) = 0;
    /// Builds the sources for the context's device: 0 on success, 1 on failure (reported, with each
    /// device's build log). A later Build makes a new program; kernels made before keep the old one.
    virtual uint32_t Build() = 0;
    /// The kernel called name, made at the first request and owned by the program (the same pointer
    /// after); null (reported) before a successful Build, for an unknown name or a null one.
    virtual ComputeKernel* GetKernel(const char* name) = 0;

protected:
    ~ComputeProgram() = default;
};
VINDRA_INTERFACE(ComputeProgram);

/// One kernel of a ComputeProgram, with its arguments; launched by Context::ExecuteComputeKernel.
class ComputeKernel {
public:
    /// Stores the kernel's maximum work-group size for the device in *size; InvalidOperation on
    /// error (not reported).
    virtual ResultCode GetWorkGroupSize(size_t* size) = 0;
    /// Sets argument index (size is read for ArgValue only). GL-shared arguments are remembered and
    /// acquired around every launch, in ascending index order, until the index is set to another kind.
    /// InvalidOperation (reported) when OpenCL refuses it, or when a resource value is null, not one of
    /// this library's, or has no OpenCL object (no storage, no compute state on the current context).
    virtual ResultCode SetArgument(uint32_t index, KernelArgKind kind, size_t size, const void* value) = 0;

protected:
    ~ComputeKernel() = default;
};
VINDRA_INTERFACE(ComputeKernel);

/// An OpenCL buffer of the context, created and released through the Context.
class ComputeBuffer {
public:
    /// Makes the OpenCL buffer on first call (size bytes, copied from hostData when both are
    /// non-zero; usage says what kernels do with it: Draw usages read it, Read usages write it, Copy
    /// usages both, Host usages in memory the host reaches directly) and records size; a later call
    /// only records size. InvalidOperation (reported) when OpenCL refuses.
    virtual ResultCode Create(size_t size, const void* hostData, BufferUsage usage) = 0;
    /// Blocking write of size bytes from data at offset. InvalidValue without storage,
    /// InvalidOperation when OpenCL refuses (not reported).
    virtual ResultCode WriteBuffer(size_t offset, size_t size, const void* data) = 0;
    /// Blocking read of size bytes at offset into data. As WriteBuffer.
    virtual ResultCode ReadBuffer(size_t offset, size_t size, void* data) = 0;
    /// The OpenCL buffer, owned by this object (null without storage); selector is ignored.
    virtual ComputeMemory GetHandle(uint32_t selector) = 0;
    /// Fills size bytes at offset with pattern; does not wait for completion. InvalidOperation
    /// without storage or when OpenCL refuses (not reported).
    virtual ResultCode FillBuffer(size_t offset, size_t size, uint8_t pattern) = 0;
    /// Blocking map of the size recorded by Create (Read, Write discarding the contents, or both);
    /// null (reported) on failure.
    virtual void* MapBuffer(MapAccess access) = 0;
    /// Ends the last mapping: Success, InvalidOperation when nothing is mapped or OpenCL refuses
    /// (reported).
    virtual ResultCode UnmapBuffer() = 0;

protected:
    ~ComputeBuffer() = default;
};
VINDRA_INTERFACE(ComputeBuffer);

}  // namespace vindra

#endif  // VINDRA_COMPUTE_H
