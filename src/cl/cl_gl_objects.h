// OpenCL objects made from GL buffers and textures, on the compute state of the context current on the
// calling thread (the GL object serves every context that shares it).
#ifndef VINDRA_SRC_CL_CL_GL_OBJECTS_H
#define VINDRA_SRC_CL_CL_GL_OBJECTS_H

#include <cstdint>

#include "vindra/compute.h"

namespace vindra {

// Read-write OpenCL views of a GL buffer and of level 0 of a texture; null without a current context
// with compute state, or when OpenCL refuses (reported).
ComputeMemory MakeComputeBuffer(uint32_t glName);
ComputeMemory MakeComputeImage(uint32_t glTarget, uint32_t glName);
// Releases `memory` if it is set and sets it to null. The object holds its own OpenCL context, so the
// release needs no current context.
void ReleaseComputeMemory(ComputeMemory& memory);
// Acquires (or releases) `memory` for OpenCL on the current context's queue; InvalidOperation without
// memory, a current context with compute state, or when OpenCL refuses.
ResultCode EnqueueGlAcquire(ComputeMemory memory, bool acquire);

}  // namespace vindra

#endif
