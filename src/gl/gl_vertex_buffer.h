// GlVertexBuffer: a GL_ARRAY_BUFFER with the vertex layout that vertex arrays apply at bind time.
#ifndef VINDRA_SRC_GL_GL_VERTEX_BUFFER_H
#define VINDRA_SRC_GL_GL_VERTEX_BUFFER_H

#include <cstdint>

#include "gl/gl_buffer.h"
#include "vindra/resources.h"

namespace vindra {

class GlVertexBuffer final : public VertexBuffer, public GlBuffer {
public:
    static constexpr int kMaxAttributes = 8;

    GlVertexBuffer();
    ~GlVertexBuffer() = default;

    ResultCode SetVertexLayout(const VertexLayout* layout) override;
    ResultCode BufferData(uint64_t size, const void* data, BufferUsage usage) override;
    ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) override;

    // Enables and points the layout's attributes (negative locations skipped) at this buffer,
    // offset bytes added to every attribute offset; leaves GL_ARRAY_BUFFER bound to 0.
    // InvalidOperation without a GL name; InvalidEnum / InvalidValue for a layout with an
    // unknown attribute type or more than 8 attributes, before any GL call.
    ResultCode Bind(uint64_t offset);
    // Disables the layout's attributes. Success without any GL call when there is no GL name.
    ResultCode UnBind();

    const VertexLayout& GetLayout() const { return layout; }

private:
    // Zeroed, not just stride and attributeCount, so that no read of the record is undefined.
    VertexLayout layout = {};
};

}  // namespace vindra

#endif
