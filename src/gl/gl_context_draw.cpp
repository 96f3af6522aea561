// GlContext: vertex arrays, fences, clearing and drawing.
#include <algorithm>

#include <GL/glew.h>

#include <cstdint>

#include "core/check_gl_error.h"
#include "gl/gl_context.h"
#include "core/log_message.h"
#include "gl/enum_argument.h"
#include "gl/gl_fence_sync.h"
#include "gl/gl_vertex_array.h"
#include "gl/release_object.h"
#include "gl/render_state_tables.h"

namespace vindra {

ResultCode GlContext::Clear(uint32_t clearFlags, const float color[4], double depth, int32_t stencil) {
    constexpr const char* kOperation = "GlContext::Clear";
    // color is read only for the colour buffer; without it no clear value is sent at all.
    if ((clearFlags & ClearColorBuffer) != 0 && color == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null color", kOperation);
        return ResultCode::InvalidValue;
    }
    GLbitfield mask = 0;
    if (clearFlags & ClearColorBuffer) {
        glClearColor(color[0], color[1], color[2], color[3]);
        mask |= GL_COLOR_BUFFER_BIT;
    }
    if (clearFlags & ClearDepthBuffer) {
        glClearDepth(depth);
        mask |= GL_DEPTH_BUFFER_BIT;
    }
    if (clearFlags & ClearStencilBuffer) {
        glClearStencil(stencil);
        mask |= GL_STENCIL_BUFFER_BIT;
    }
    if (mask == 0) return ResultCode::Success;
    glClear(mask);
    // One check after glClear also reports what the clear-value calls raised.
    return CheckGlError(kOperation);
}

VertexArray* GlContext::CreateVertexArray() { return new GlVertexArray(this); }

void GlContext::AddVertexArray(GlVertexArray* array) { vertexArrays.push_back(array); }

void GlContext::RemoveVertexArray(GlVertexArray* array) {
    vertexArrays.erase(std::remove(vertexArrays.begin(), vertexArrays.end(), array), vertexArrays.end());
}

// Unbound on this context only: a context that bound it elsewhere keeps a record that the host clears
// there first (BindVertexArray with null).
uint32_t GlContext::ReleaseVertexArray(VertexArray** array) {
    return ReleaseObject<GlVertexArray>(array, "GlContext::ReleaseVertexArray", [this](GlVertexArray* released) {
        if (released == boundVertexArray) BindVertexArray(nullptr);
    });
}

void GlContext::ForgetVertexArray(GlVertexArray* array) {
    if (array != boundVertexArray) return;
    boundVertexArray = nullptr;
    // Deleting a bound VAO leaves vertex array 0 bound; a VAO of ours elsewhere stays bound.
    if (elementBinding == &array->ElementBuffer()) elementBinding = NoVaoElementBinding();
}

ResultCode GlContext::BindVertexArray(VertexArray* array) {
    if (array == nullptr) {
        if (boundVertexArray == nullptr) return ResultCode::Success;
        boundVertexArray->UnBindFrom(this);
        boundVertexArray->NoteUnboundFrom(this);
        boundVertexArray = nullptr;
        elementBinding = NoVaoElementBinding();
        return ResultCode::Success;
    }
    GlVertexArray* vertexArray = static_cast<GlVertexArray*>(array);
    // An array of another context left its attributes enabled in this context's own VAO, where the next
    // array would inherit them.
    if (boundVertexArray != nullptr && boundVertexArray != vertexArray && boundVertexArray->GetOwner() != this)
        boundVertexArray->UnBindFrom(this);
    ResultCode result = vertexArray->BindOn(this);
    // Recorded even when a buffer failed to bind, so that the unbind that follows undoes what the
    // array did manage to enable.
    if (boundVertexArray != nullptr && boundVertexArray != vertexArray) boundVertexArray->NoteUnboundFrom(this);
    boundVertexArray = vertexArray;
    vertexArray->NoteBoundOn(this);
    elementBinding = vertexArray->GetOwner() == this ? &vertexArray->ElementBuffer() : &ownVaoElementBuffer;
    return result;
}

// Sampler parameters changed on bound textures reach GL just before a draw.
ResultCode GlContext::DrawPrimitives(PrimitiveType type, int32_t first, int32_t count) {
    constexpr const char* kOperation = "GlContext::DrawPrimitives";
    if (!IsValidEnum(type, TableSize(kPrimitiveModes), kOperation, "PrimitiveType")) return ResultCode::InvalidEnum;
    ApplyTextureParameters();
    glDrawArrays(kPrimitiveModes[static_cast<int32_t>(type)], first, count);
    return CheckGlError(kOperation);
}

// The indices come from the GL_ELEMENT_ARRAY_BUFFER that the bound VAO holds now, with the element type
// of the last BindIndexBuffer; before any, GL_INVALID_ENUM stands in and GL rejects the draw.
ResultCode GlContext::DrawIndexedPrimitives(PrimitiveType type, int32_t count, uint64_t indexByteOffset,
                                            int32_t baseVertex) {
    constexpr const char* kOperation = "GlContext::DrawIndexedPrimitives";
    if (!IsValidEnum(type, TableSize(kPrimitiveModes), kOperation, "PrimitiveType")) return ResultCode::InvalidEnum;
    // Before any BindIndexBuffer the type itself is invalid and GL refuses the draw before it reads
    // an index; after one, a vertex array object without an index buffer would be read at address 0.
    if (*elementBinding == nullptr && indexType != kNoIndexType) {
        LogMessage(MessageLevel::Error,
                   "%s: no index buffer in the bound vertex array (binding a vertex array or updating the index "
                   "buffer's data takes it out): bind the index buffer again",
                   kOperation);
        return ResultCode::InvalidOperation;
    }
    ApplyTextureParameters();
    const void* offset = reinterpret_cast<const void*>(static_cast<uintptr_t>(indexByteOffset));
    glDrawElementsBaseVertex(kPrimitiveModes[static_cast<int32_t>(type)], count, indexType, offset, baseVertex);
    return CheckGlError(kOperation);
}

FenceSync* GlContext::CreateFenceSync() { return new GlFenceSync; }

uint32_t GlContext::ReleaseFenceSync(FenceSync** fence) {
    return ReleaseObject<GlFenceSync>(fence, "GlContext::ReleaseFenceSync");
}

}  // namespace vindra
