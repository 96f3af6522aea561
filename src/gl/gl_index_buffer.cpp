#include "gl/gl_index_buffer.h"

#include <GL/glew.h>

#include "core/check_gl_error.h"
#include "core/current_context.h"
#include "core/log_message.h"
#include "gl/gl_context.h"
#include "gl/enum_argument.h"

namespace vindra {

GlIndexBuffer::GlIndexBuffer() {
    target = GL_ELEMENT_ARRAY_BUFFER;
    Register(static_cast<IndexBuffer*>(this));
}

ResultCode GlIndexBuffer::SetIndexType(IndexType type) {
    // Checked here so that the type is always valid when a bind translates it.
    if (!IsValidEnum(type, kIndexTypeCount, "GlIndexBuffer::SetIndexType", "IndexType")) return ResultCode::InvalidEnum;
    indexType = type;
    return ResultCode::Success;
}

// Binding GL_ELEMENT_ARRAY_BUFFER writes the vertex array object bound now: its index buffer is gone
// after the operation leaves the target at 0, and the context running it learns so.
void GlIndexBuffer::NoteTargetCleared(uint32_t bindsBefore) const {
    if (targetBinds != bindsBefore && currentContext != nullptr)
        static_cast<GlContext*>(currentContext)->NoteElementBindingCleared();
}

ResultCode GlIndexBuffer::BufferData(uint64_t newSize, const void* data, BufferUsage newUsage) {
    uint32_t bindsBefore = targetBinds;
    ResultCode result = GlBuffer::BufferData(newSize, data, newUsage);
    NoteTargetCleared(bindsBefore);
    return result;
}

ResultCode GlIndexBuffer::BufferSubData(uint64_t offset, uint64_t length, const void* data) {
    uint32_t bindsBefore = targetBinds;
    ResultCode result = GlBuffer::BufferSubData(offset, length, data);
    NoteTargetCleared(bindsBefore);
    return result;
}

uint32_t GlIndexBuffer::GetIndexGlType() const {
    return indexType == IndexType::UInt32 ? GL_UNSIGNED_INT : GL_UNSIGNED_SHORT;
}

ResultCode GlIndexBuffer::Bind() {
    if (name == 0) {
        LogMessage(MessageLevel::Error, "GlIndexBuffer::Bind: Buffer not initialized");
        return ResultCode::InvalidOperation;
    }
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, name);
    return CheckGlError("GlIndexBuffer::Bind");
}

ResultCode GlIndexBuffer::UnBind() {
    glBindBuffer(GL_ELEMENT_ARRAY_BUFFER, 0);
    return CheckGlError("GlIndexBuffer::UnBind");
}

}  // namespace vindra
