#include "gl/gl_vertex_buffer.h"

#include <GL/glew.h>

#include <cstddef>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/enum_argument.h"

namespace vindra {

namespace {

// Indexed by VertexAttributeType.
constexpr GLenum kAttributeTypes[] = {
    GL_BYTE, GL_UNSIGNED_BYTE, GL_SHORT, GL_UNSIGNED_SHORT, GL_INT, GL_UNSIGNED_INT, GL_HALF_FLOAT, GL_FLOAT,
};
constexpr size_t kAttributeTypeCount = sizeof(kAttributeTypes) / sizeof(kAttributeTypes[0]);

// The layout is the host's record, copied unchecked; it is checked where it is used, before any GL
// call, so that a bad record neither reads past the attribute array nor half-applies.
ResultCode CheckLayout(const VertexLayout& layout, bool checkTypes, const char* operation) {
    if (layout.attributeCount > GlVertexBuffer::kMaxAttributes) {
        LogMessage(MessageLevel::Error, "%s: invalid attribute count %d", operation, layout.attributeCount);
        return ResultCode::InvalidValue;
    }
    if (!checkTypes) return ResultCode::Success;
    for (int32_t i = 0; i < layout.attributeCount; ++i) {
        const VertexAttribute& attribute = layout.attributes[i];
        if (attribute.location < 0) continue;
        if (!IsValidEnum(attribute.type, kAttributeTypeCount, operation, "VertexAttributeType"))
            return ResultCode::InvalidEnum;
    }
    return ResultCode::Success;
}

}  // namespace

GlVertexBuffer::GlVertexBuffer() {
    target = GL_ARRAY_BUFFER;
    Register(static_cast<VertexBuffer*>(this));
}

ResultCode GlVertexBuffer::SetVertexLayout(const VertexLayout* source) {
    if (source == nullptr) {
        LogMessage(MessageLevel::Error, "GlVertexBuffer::SetVertexLayout: null layout");
        return ResultCode::InvalidValue;
    }
    layout = *source;
    return ResultCode::Success;
}

ResultCode GlVertexBuffer::BufferData(uint64_t newSize, const void* data, BufferUsage newUsage) {
    return GlBuffer::BufferData(newSize, data, newUsage);
}

ResultCode GlVertexBuffer::BufferSubData(uint64_t offset, uint64_t length, const void* data) {
    return GlBuffer::BufferSubData(offset, length, data);
}

ResultCode GlVertexBuffer::Bind(uint64_t offset) {
    if (name == 0) {
        LogMessage(MessageLevel::Error, "GlVertexBuffer::Bind: Buffer not initialized");
        return ResultCode::InvalidOperation;
    }
    ResultCode valid = CheckLayout(layout, true, "GlVertexBuffer::Bind");
    if (valid != ResultCode::Success) return valid;

    glBindBuffer(GL_ARRAY_BUFFER, name);
    for (int32_t i = 0; i < layout.attributeCount; ++i) {
        const VertexAttribute& attribute = layout.attributes[i];
        if (attribute.location < 0) continue;
        GLuint location = static_cast<GLuint>(attribute.location);
        glEnableVertexAttribArray(location);
        // With a buffer bound to GL_ARRAY_BUFFER the pointer argument is a byte offset into it.
        glVertexAttribPointer(location, attribute.components, kAttributeTypes[static_cast<size_t>(attribute.type)],
                              attribute.normalized ? GL_TRUE : GL_FALSE, static_cast<GLsizei>(layout.stride),
                              reinterpret_cast<const void*>(static_cast<uintptr_t>(offset + attribute.offset)));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return CheckGlError("GlVertexBuffer::Bind");
}

ResultCode GlVertexBuffer::UnBind() {
    if (name == 0) return ResultCode::Success;
    ResultCode valid = CheckLayout(layout, false, "GlVertexBuffer::UnBind");
    if (valid != ResultCode::Success) return valid;

    glBindBuffer(GL_ARRAY_BUFFER, name);
    for (int32_t i = 0; i < layout.attributeCount; ++i) {
        if (layout.attributes[i].location >= 0)
            glDisableVertexAttribArray(static_cast<GLuint>(layout.attributes[i].location));
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return CheckGlError("GlVertexBuffer::UnBind");
}

}  // namespace vindra
