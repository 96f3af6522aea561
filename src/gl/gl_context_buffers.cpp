// GlContext: buffer factories, releases and binds.
#include "gl/gl_context.h"
#include "core/log_message.h"
#include "gl/gl_index_buffer.h"
#include "gl/gl_pixel_buffer.h"
#include "gl/gl_uniform_buffer.h"
#include "gl/gl_vertex_array.h"
#include "gl/gl_vertex_buffer.h"
#include "gl/release_object.h"

namespace vindra {

// Only this context makes buffers, so the host's interface pointer converts back to its Gl class.
VertexBuffer* GlContext::CreateVertexBuffer() { return new GlVertexBuffer(); }

// The vertex arrays this context made, and the one bound here, let go of the buffer first, so that no
// later bind reaches freed memory. Arrays made by another context must be told by the host
// (RemoveVertexBuffer) before it releases the buffer, or the buffer released through that context.
uint32_t GlContext::ReleaseVertexBuffer(VertexBuffer** buffer) {
    return ReleaseObject<GlVertexBuffer>(buffer, "GlContext::ReleaseVertexBuffer", [this](GlVertexBuffer* released) {
        for (GlVertexArray* array : vertexArrays) array->ForgetVertexBuffer(released);
        if (boundVertexArray != nullptr) boundVertexArray->ForgetVertexBuffer(released);
    });
}

IndexBuffer* GlContext::CreateIndexBuffer() { return new GlIndexBuffer(); }

// The bound-index-buffer record is left as it is: it is only ever compared with null, and the next
// unbind clears GL's binding whatever the record points at. GL takes the deleted buffer out of the
// vertex array object bound now.
uint32_t GlContext::ReleaseIndexBuffer(IndexBuffer** buffer) {
    return ReleaseObject<GlIndexBuffer>(buffer, "GlContext::ReleaseIndexBuffer", [this](GlIndexBuffer* released) {
        if (*elementBinding == released) *elementBinding = nullptr;
    });
}

ResultCode GlContext::BindIndexBuffer(IndexBuffer* buffer) {
    if (buffer == nullptr) {
        if (boundIndexBuffer == nullptr) return ResultCode::Success;
        // Reported by the check; an unbind has nothing left to undo, so it answers Success.
        GlIndexBuffer::UnBind();
        boundIndexBuffer = nullptr;
        *elementBinding = nullptr;
        return ResultCode::Success;
    }
    GlIndexBuffer* indexBuffer = static_cast<GlIndexBuffer*>(buffer);
    indexType = indexBuffer->GetIndexGlType();
    // Recorded even when the bind fails, so that the next unbind still reaches GL.
    boundIndexBuffer = indexBuffer;
    ResultCode result = indexBuffer->Bind();
    if (result == ResultCode::Success) *elementBinding = indexBuffer;
    return result;
}

UniformBuffer* GlContext::CreateUniformBuffer() { return new GlUniformBuffer(); }

// The binding point the buffer may still occupy is not unbound: the context keeps no record of
// uniform bindings to clear.
uint32_t GlContext::ReleaseUniformBuffer(UniformBuffer** buffer) {
    return ReleaseObject<GlUniformBuffer>(buffer, "GlContext::ReleaseUniformBuffer");
}

ResultCode GlContext::BindUniformBuffer(UniformBuffer* buffer, int32_t, uint32_t bindingPoint) {
    if (buffer == nullptr) {
        // Reported by the check; the point is free either way.
        GlUniformBuffer::UnBind(bindingPoint);
        return ResultCode::Success;
    }
    return static_cast<GlUniformBuffer*>(buffer)->Bind(bindingPoint);
}

ResultCode GlContext::UnBindUniformBuffer(UniformBuffer* buffer) {
    if (buffer == nullptr) {
        LogMessage(MessageLevel::Error, "GlContext::UnBindUniformBuffer: null buffer");
        return ResultCode::InvalidValue;
    }
    GlUniformBuffer* uniformBuffer = static_cast<GlUniformBuffer*>(buffer);
    return GlUniformBuffer::UnBind(uniformBuffer->GetBindingPoint());
}

PixelBuffer* GlContext::CreatePixelBuffer() { return new GlPixelBuffer(); }

uint32_t GlContext::ReleasePixelBuffer(PixelBuffer** buffer) {
    return ReleaseObject<GlPixelBuffer>(buffer, "GlContext::ReleasePixelBuffer");
}

}  // namespace vindra
