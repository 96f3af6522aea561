// GlIndexBuffer: a GL_ELEMENT_ARRAY_BUFFER and the element type that indexed draws use.
#ifndef VINDRA_SRC_GL_GL_INDEX_BUFFER_H
#define VINDRA_SRC_GL_GL_INDEX_BUFFER_H

#include <cstdint>

#include "gl/gl_buffer.h"
#include "vindra/resources.h"

namespace vindra {

class GlIndexBuffer final : public IndexBuffer, public GlBuffer {
public:
    static constexpr int kIndexTypeCount = 2;  // UInt16, UInt32

    GlIndexBuffer();
    ~GlIndexBuffer() = default;

    ResultCode SetIndexType(IndexType type) override;
    ResultCode BufferData(uint64_t size, const void* data, BufferUsage usage) override;
    ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) override;

    IndexType GetIndexType() const { return indexType; }
    // GL_UNSIGNED_SHORT (0x1403) or GL_UNSIGNED_INT (0x1405), as glDrawElements takes it.
    uint32_t GetIndexGlType() const;

    // Binds the buffer to GL_ELEMENT_ARRAY_BUFFER of the vertex array object bound now.
    // InvalidOperation, with a message, when it has no GL name yet.
    ResultCode Bind();
    // Binds 0 to GL_ELEMENT_ARRAY_BUFFER.
    static ResultCode UnBind();

private:
    void NoteTargetCleared(uint32_t bindsBefore) const;

    IndexType indexType = IndexType::UInt16;
};

}  // namespace vindra

#endif
