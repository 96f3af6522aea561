// GlUniformBuffer: a GL_UNIFORM_BUFFER with plain mutable storage, bound to indexed binding points.
#ifndef VINDRA_SRC_GL_GL_UNIFORM_BUFFER_H
#define VINDRA_SRC_GL_GL_UNIFORM_BUFFER_H

#include <cstdint>

#include "vindra/resources.h"

namespace vindra {

class GlUniformBuffer final : public UniformBuffer {
public:
    GlUniformBuffer() = default;
    GlUniformBuffer(const GlUniformBuffer&) = delete;
    GlUniformBuffer& operator=(const GlUniformBuffer&) = delete;
    // Deletes the GL name; the binding point it may still occupy is left as it is.
    ~GlUniformBuffer();

    ResultCode BufferData(uint64_t size, const void* data) override;
    ResultCode BufferSubData(uint64_t offset, uint64_t size, const void* data) override;

    // Binds the buffer to bindingPoint and remembers the point; InvalidOperation, with a
    // message, when it has no GL name yet (the point is then not remembered).
    ResultCode Bind(uint32_t bindingPoint);
    // Binds 0 to bindingPoint of GL_UNIFORM_BUFFER.
    static ResultCode UnBind(uint32_t bindingPoint);

    uint32_t GetName() const { return name; }
    uint64_t GetSize() const { return size; }
    uint32_t GetBindingPoint() const { return bindingPoint; }

private:
    uint32_t name = 0;
    uint64_t size = 0;
    uint32_t bindingPoint = 0;
};

}  // namespace vindra

#endif
