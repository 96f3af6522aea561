// GlVertexArray: the vertex buffers and constant attribute values of a draw, kept in a GL vertex
// array object of the context that created it.
#ifndef VINDRA_SRC_GL_GL_VERTEX_ARRAY_H
#define VINDRA_SRC_GL_GL_VERTEX_ARRAY_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "vindra/resources.h"

namespace vindra {

class GlContext;

// GL does not share vertex array objects between contexts. On its owner the array keeps its
// attribute state in its own VAO and re-specifies it only when the buffer list changed; bound on any
// other context it re-specifies every attribute on that context's own VAO at every bind. Emptying
// entries (SetVertexBuffer with null, RemoveVertexBuffer, ClearVertexBuffers) disables their attributes
// in the VAO only while the owner is current on the calling thread.
//
// Listed vertex buffers are not owned. A buffer released through the context that made this array
// (or the one it is bound on) leaves the list on its own (ForgetVertexBuffer). A buffer released
// through any other context must first be removed from the list by the host (RemoveVertexBuffer,
// ClearVertexBuffers or SetVertexBuffer with null): the array cannot learn of that release, and would
// read the freed buffer at its next bind on another context, after the list changed, or at its removal.
class GlVertexArray final : public VertexArray {
public:
    // More entries than any draw could use; a larger index is a host's mistake, not a request for
    // gigabytes of empty entries.
    static constexpr int32_t kMaxBufferEntries = 1024;
    static constexpr int32_t kMaxConstantAttributes = 8;

    explicit GlVertexArray(GlContext* owner);
    GlVertexArray(const GlVertexArray&) = delete;
    GlVertexArray& operator=(const GlVertexArray&) = delete;
    // Deletes the VAO on the owner, making the owner current for a moment when another context is
    // current on the calling thread. Release the array before its owner context is deleted.
    ~GlVertexArray() override;

    ResultCode SetVertexBuffer(VertexBuffer* buffer, int32_t index, uint64_t offset) override;
    ResultCode RemoveVertexBuffer(VertexBuffer* buffer) override;
    ResultCode ClearVertexBuffers() override;
    ResultCode SetConstantData(const VertexLayout* layout, size_t size, const void* data) override;
    ResultCode UpdateConstantData(size_t offset, size_t size, const void* data) override;

    // Binds every listed buffer with its entry's offset (GlVertexBuffer::Bind), in list order; stops at
    // the first failure and returns it.
    ResultCode BindVertexBuffers();
    // Sends the constant values with glVertexAttrib*fv: NotSupported for a type other than Float32,
    // InvalidValue for a component count outside 1 to 4 or a record outside the block.
    ResultCode SetConstantValues();

    // The GL side of Context::BindVertexArray on `context`, which records the array whatever this
    // returns: the array's VAO on its owner (buffers applied when the list changed), `context`'s own
    // VAO elsewhere (buffers applied every time), then the constant values.
    ResultCode BindOn(GlContext* context);
    // The GL side of Context::BindVertexArray(null) on `context`: disables the attributes that a bind
    // on a context other than the owner enabled, then binds vertex array 0.
    void UnBindFrom(GlContext* context);
    // Empties every entry that lists `buffer`, as SetVertexBuffer with null does, and reports
    // nothing when there is none: for the release of a buffer, while it still exists.
    void ForgetVertexBuffer(VertexBuffer* buffer);

    GlContext* GetOwner() const { return owner; }
    uint32_t GetVao() const { return vao; }  // 0 until the first bind on the owner
    bool IsBound() const { return bound; }
    bool IsDirty() const { return dirty; }
    const std::vector<VertexBufferBinding>& GetBuffers() const { return buffers; }
    const VertexLayout& GetConstantLayout() const { return constantLayout; }
    size_t GetConstantDataSize() const { return constantDataSize; }

private:
    // VAO names mean something only in the owner's GL context.
    bool OwnerIsCurrent() const;
    // Disables the attribute arrays of each listed buffer in [first, last) on the VAO, then binds
    // vertex array 0. Only with the owner current.
    void DisableOnVao(size_t first, size_t last);

    GlContext* const owner;
    uint32_t vao = 0;
    bool bound = false;
    std::vector<VertexBufferBinding> buffers;
    bool dirty = false;
    VertexLayout constantLayout = {};
    void* constantData = nullptr;  // malloc'd: grown with realloc, never shrunk
    size_t constantDataSize = 0;
};

}  // namespace vindra

#endif
