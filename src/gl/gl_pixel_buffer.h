// GlPixelBuffer: a buffer for pixel transfers; its usage makes it an unpack or a pack buffer.
#ifndef VINDRA_SRC_GL_GL_PIXEL_BUFFER_H
#define VINDRA_SRC_GL_GL_PIXEL_BUFFER_H

#include <cstdint>

#include "gl/gl_buffer.h"
#include "vindra/resources.h"

namespace vindra {

class GlPixelBuffer final : public PixelBuffer, public GlBuffer {
public:
    GlPixelBuffer();
    ~GlPixelBuffer() = default;

    // Switches the target (GL_PIXEL_UNPACK_BUFFER for StreamDraw, StaticDraw and DynamicDraw,
    // GL_PIXEL_PACK_BUFFER otherwise) before (re)allocating the storage.
    ResultCode BufferData(uint64_t size, const void* data, BufferUsage usage) override;
    ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) override;
    void* MapBuffer(MapAccess access, ResultCode* status) override;
    ResultCode UnmapBuffer() override;
};

}  // namespace vindra

#endif
