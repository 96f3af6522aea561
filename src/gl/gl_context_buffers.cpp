// GlContext: buffer factories, releases and binds.
#include "core/gl_context.h"
#include "core/log_message.h"
#include "gl/gl_index_buffer.h"
#include "gl/gl_pixel_buffer.h"
#include "gl/gl_uniform_buffer.h"
#include "gl/gl_vertex_buffer.h"

namespace vindra {

namespace {

// Every buffer interface is the first base of its Gl class, and only this context makes them, so
// the host's pointer is the concrete object. A null address holds no buffer either: nothing to do.
template <typename Concrete, typename Interface>
uint32_t ReleaseBuffer(Interface** buffer) {
    if (buffer == nullptr || *buffer == nullptr) return static_cast<uint32_t>(ResultCode::Success);
    delete static_cast<Concrete*>(*buffer);
    *buffer = nullptr;
    return static_cast<uint32_t>(ResultCode::Success);
}

}  // namespace

VertexBuffer* GlContext::CreateVertexBuffer() { return new GlVertexBuffer(); }

uint32_t GlContext::ReleaseVertexBuffer(VertexBuffer** buffer) { return ReleaseBuffer<GlVertexBuffer>(buffer); }

IndexBuffer* GlContext::CreateIndexBuffer() { return new GlIndexBuffer(); }

// The bound-index-buffer record is left as it is: it is only ever compared with null, and the next
// unbind clears GL's binding whatever the record points at.
uint32_t GlContext::ReleaseIndexBuffer(IndexBuffer** buffer) { return ReleaseBuffer<GlIndexBuffer>(buffer); }

ResultCode GlContext::BindIndexBuffer(IndexBuffer* buffer) {
    if (buffer == nullptr) {
        if (boundIndexBuffer == nullptr) return ResultCode::Success;
        // Reported by the check; an unbind has nothing left to undo, so it answers Success.
        GlIndexBuffer::UnBind();
        boundIndexBuffer = nullptr;
        return ResultCode::Success;
    }
    GlIndexBuffer* indexBuffer = static_cast<GlIndexBuffer*>(buffer);
    indexType = indexBuffer->GetIndexGlType();
    // Recorded even when the bind fails, so that the next unbind still reaches GL.
    boundIndexBuffer = indexBuffer;
    return indexBuffer->Bind();
}

UniformBuffer* GlContext::CreateUniformBuffer() { return new GlUniformBuffer(); }

// The binding point the buffer may still occupy is not unbound: the context keeps no record of
// uniform bindings to clear.
uint32_t GlContext::ReleaseUniformBuffer(UniformBuffer** buffer) { return ReleaseBuffer<GlUniformBuffer>(buffer); }

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

uint32_t GlContext::ReleasePixelBuffer(PixelBuffer** buffer) { return ReleaseBuffer<GlPixelBuffer>(buffer); }

}  // namespace vindra
