#include "gl/gl_uniform_buffer.h"

#include <GL/glew.h>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/gl_buffer.h"

namespace vindra {

GlUniformBuffer::~GlUniformBuffer() {
    if (name != 0) glDeleteBuffers(1, &name);
}

ResultCode GlUniformBuffer::BufferData(uint64_t newSize, const void* data) {
    if (name == 0) glGenBuffers(1, &name);
    if (name != 0) {
        glBindBuffer(GL_UNIFORM_BUFFER, name);
        // Without initial contents the host fills the buffer later and, as a rule, again and again.
        glBufferData(GL_UNIFORM_BUFFER, static_cast<GLsizeiptr>(newSize), data,
                     data != nullptr ? GL_STATIC_DRAW : GL_DYNAMIC_DRAW);
        glBindBuffer(GL_UNIFORM_BUFFER, 0);
        size = newSize;
    }
    return CheckGlError("GlUniformBuffer::BufferData");
}

ResultCode GlUniformBuffer::BufferSubData(uint64_t offset, uint64_t length, const void* data) {
    if (name == 0) {
        LogMessage(MessageLevel::Error, "GlUniformBuffer::BufferSubData: Buffer not initialized");
        return ResultCode::InvalidOperation;
    }
    ResultCode range = CheckWriteRange("GlUniformBuffer::BufferSubData", offset, length, data, size);
    if (range != ResultCode::Success) return range;
    glBindBuffer(GL_UNIFORM_BUFFER, name);
    glBufferSubData(GL_UNIFORM_BUFFER, static_cast<GLintptr>(offset), static_cast<GLsizeiptr>(length), data);
    glBindBuffer(GL_UNIFORM_BUFFER, 0);
    return CheckGlError("GlUniformBuffer::BufferSubData");
}

ResultCode GlUniformBuffer::Bind(uint32_t point) {
    if (name == 0) {
        LogMessage(MessageLevel::Error, "GlUniformBuffer::Bind: Buffer not initialized");
        return ResultCode::InvalidOperation;
    }
    bindingPoint = point;
    glBindBufferBase(GL_UNIFORM_BUFFER, point, name);
    return CheckGlError("GlUniformBuffer::Bind");
}

ResultCode GlUniformBuffer::UnBind(uint32_t point) {
    glBindBufferBase(GL_UNIFORM_BUFFER, point, 0);
    return CheckGlError("GlUniformBuffer::UnBind");
}

}  // namespace vindra
