// GlVertexArray: the vertex buffers and constant attribute values of a draw, kept in a GL vertex
// array object of the context that created it.
#ifndef VINDRA_SRC_GL_GL_VERTEX_ARRAY_H
#define VINDRA_SRC_GL_GL_VERTEX_ARRAY_H

#include <cstddef>
#include <cstdint>
#include <map>
#include <vector>

#include "vindra/resources.h"

namespace vindra {

class GlContext;
class GlIndexBuffer;
class GlVertexBuffer;

// GL does not share vertex array objects between contexts. On its owner the array keeps its
// attribute state in its own VAO and re-specifies it only when the buffer list changed; bound on any
// other context it re-specifies every attribute on that context's own VAO at every bind.
//
// Emptying an entry (SetVertexBuffer with null, RemoveVertexBuffer, ClearVertexBuffers, the release of
// a listed buffer) never changes which vertex array GL has bound: where the array is bound on the
// calling thread's context its attribute state changes in place, and the owner's VAO, wherever it is
// not bound now, drops the emptied buffer's attributes at the owner's next bind.
//
// Listed vertex buffers are not owned. A buffer released through the context that made this array
// (or the one it is bound on) leaves the list on its own. A buffer released through any other context
// must first be removed from the list by the host: the array cannot learn of that release.
class GlVertexArray final : public VertexArray {
public:
    explicit GlVertexArray(GlContext* owner);
    GlVertexArray(const GlVertexArray&) = delete;
    GlVertexArray& operator=(const GlVertexArray&) = delete;
    // Deletes the VAO on the owner, making the owner current for a moment when another context is
    // current on the calling thread, and clears the record of every context it is bound on.
    ~GlVertexArray() override;

    ResultCode SetVertexBuffer(VertexBuffer* buffer, int32_t index, uint64_t offset) override;
    ResultCode RemoveVertexBuffer(VertexBuffer* buffer) override;
    ResultCode ClearVertexBuffers() override;
    ResultCode SetConstantData(const VertexLayout* layout, size_t size, const void* data) override;
    ResultCode UpdateConstantData(size_t offset, size_t size, const void* data) override;

    // Binds every listed buffer with its entry's offset (GlVertexBuffer::Bind), in index order; stops
    // at the first failure and returns it.
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
    // Empties every entry that lists `buffer`: for the release of a buffer, while it still exists.
    void ForgetVertexBuffer(VertexBuffer* buffer);

    // Bookkeeping with the contexts: which ones record the array as bound, and the owner's end. A
    // deleted owner took the VAO with its GL context.
    void NoteBoundOn(GlContext* context);
    void NoteUnboundFrom(GlContext* context);
    void NoteOwnerDeleted() {
        owner = nullptr;
        vao = 0;
    }

    GlContext* GetOwner() const { return owner; }
    uint32_t GetVao() const { return vao; }  // 0 until the first bind on the owner
    // Entries, the empty ones included (entries past the last set one are counted, not stored).
    int64_t GetEntryCount() const { return entryCount; }
    // The index buffer in the element binding of the owner's VAO, as far as the owner knows.
    GlIndexBuffer*& ElementBuffer() { return elementBuffer; }

private:
    // With `rebindRest`, the buffers still listed enable again, where the array is bound now, the
    // attributes they share with the emptied one.
    void EmptyEntry(std::map<int32_t, VertexBufferBinding>::iterator entry, bool rebindRest = true);
    // Whether the calling thread's context has this array bound in GL right now.
    bool IsBoundHere() const;

    GlContext* owner;
    uint32_t vao = 0;
    // Only the set entries are stored, by index: an entry far past the others costs nothing.
    std::map<int32_t, VertexBufferBinding> entries;
    int64_t entryCount = 0;
    bool dirty = false;
    // Attribute locations of emptied entries still enabled in the VAO, disabled at the owner's next bind.
    std::vector<uint32_t> staleLocations;
    std::vector<GlContext*> boundOn;
    GlIndexBuffer* elementBuffer = nullptr;
    VertexLayout constantLayout = {};
    void* constantData = nullptr;  // malloc'd: grown with realloc, never shrunk
    size_t constantDataSize = 0;
};

}  // namespace vindra

#endif
