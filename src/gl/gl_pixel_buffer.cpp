#include "gl/gl_pixel_buffer.h"

#include <GL/glew.h>

#include "gl/enum_argument.h"

namespace vindra {

GlPixelBuffer::GlPixelBuffer() {
    target = GL_PIXEL_PACK_BUFFER;
    Register(static_cast<PixelBuffer*>(this));
}

ResultCode GlPixelBuffer::BufferData(uint64_t newSize, const void* data, BufferUsage newUsage) {
    // Checked before the target changes, so that a refused call leaves the buffer as it was.
    if (!IsValidEnum(newUsage, kUsageCount, "GlBuffer::BufferData", "BufferUsage")) return ResultCode::InvalidEnum;
    // Draw usages feed textures (unpack); every other usage receives pixels (pack).
    bool unpack = newUsage == BufferUsage::StreamDraw || newUsage == BufferUsage::StaticDraw ||
                  newUsage == BufferUsage::DynamicDraw;
    target = unpack ? GL_PIXEL_UNPACK_BUFFER : GL_PIXEL_PACK_BUFFER;
    return GlBuffer::BufferData(newSize, data, newUsage);
}

ResultCode GlPixelBuffer::BufferSubData(uint64_t offset, uint64_t length, const void* data) {
    return GlBuffer::BufferSubData(offset, length, data);
}

void* GlPixelBuffer::MapBuffer(MapAccess access, ResultCode* status) { return GlBuffer::MapBuffer(access, status); }

ResultCode GlPixelBuffer::UnmapBuffer() { return GlBuffer::UnmapBuffer(); }

}  // namespace vindra
