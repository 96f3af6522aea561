// GlVertexArray: buffer list, constant values and the vertex array object on the owner context.
#include "gl/gl_vertex_array.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdlib>
#include <iterator>
#include <cstring>

#include "core/check_gl_error.h"
#include "core/context_switch.h"
#include "core/current_context.h"
#include "gl/gl_context.h"
#include "core/log_message.h"
#include "gl/gl_vertex_buffer.h"

namespace vindra {

namespace {

// Listed buffers are always GlVertexBuffers: the host gets vertex buffers only from a context.
GlVertexBuffer* AsGl(VertexBuffer* buffer) { return static_cast<GlVertexBuffer*>(buffer); }

}  // namespace

GlVertexArray::GlVertexArray(GlContext* owner) : owner(owner) { owner->AddVertexArray(this); }

GlVertexArray::~GlVertexArray() {
    // Copied: each context takes itself out of the list.
    for (GlContext* context : std::vector<GlContext*>(boundOn)) context->ForgetVertexArray(this);
    if (owner != nullptr) {
        owner->RemoveVertexArray(this);
        if (vao != 0) {
            // The name means another object in any other GL context. The owner current on another thread
            // (its MakeCurrent reported it): the name goes with the owner's GL context.
            ContextSwitch use(*owner);
            if (use.Active()) glDeleteVertexArrays(1, &vao);
        }
    }
    std::free(constantData);
}

bool GlVertexArray::IsBoundHere() const {
    return currentContext != nullptr && static_cast<GlContext*>(currentContext)->GetBoundVertexArray() == this;
}

void GlVertexArray::NoteBoundOn(GlContext* context) {
    if (std::find(boundOn.begin(), boundOn.end(), context) == boundOn.end()) boundOn.push_back(context);
}

void GlVertexArray::NoteUnboundFrom(GlContext* context) {
    boundOn.erase(std::remove(boundOn.begin(), boundOn.end(), context), boundOn.end());
}

void GlVertexArray::EmptyEntry(std::map<int32_t, VertexBufferBinding>::iterator entry, bool rebindRest) {
    GlVertexBuffer* buffer = AsGl(entry->second.buffer);
    entries.erase(entry);
    dirty = true;
    bool boundHere = IsBoundHere();
    // The owner's VAO keeps the buffer's attributes enabled until the owner binds it next, unless it
    // is the VAO bound right now.
    if (vao != 0 && !(boundHere && currentContext == owner)) {
        const VertexLayout& layout = buffer->GetLayout();
        for (int32_t i = 0; i < layout.attributeCount && i < GlVertexBuffer::kMaxAttributes; ++i)
            if (layout.attributes[i].location >= 0)
                staleLocations.push_back(static_cast<uint32_t>(layout.attributes[i].location));
    }
    if (boundHere) {
        // Changed in place, so the next draw sees the list as it is now; the buffers still listed
        // enable again what they share with the emptied one.
        buffer->UnBind();  // reports its own errors
        if (rebindRest) BindVertexBuffers();
        if (currentContext == owner) dirty = false;
    }
}

ResultCode GlVertexArray::SetVertexBuffer(VertexBuffer* buffer, int32_t index, uint64_t offset) {
    if (index < 0) return ResultCode::Success;
    auto entry = entries.find(index);
    if (entry != entries.end()) {
        if (buffer == nullptr) {
            EmptyEntry(entry);
            return ResultCode::Success;
        }
        // Replaced by another buffer: the old one's attributes stay enabled, as GL leaves them.
        entry->second = VertexBufferBinding{buffer, offset};
    } else if (buffer != nullptr) {
        entries.emplace(index, VertexBufferBinding{buffer, offset});
    }
    entryCount = std::max<int64_t>(entryCount, int64_t{index} + 1);
    dirty = true;
    return ResultCode::Success;
}

ResultCode GlVertexArray::RemoveVertexBuffer(VertexBuffer* buffer) {
    if (buffer == nullptr) {
        LogMessage(MessageLevel::Error, "GlVertexArray::RemoveVertexBuffer: null buffer");
        return ResultCode::InvalidValue;
    }
    for (auto entry = entries.begin(); entry != entries.end(); ++entry)
        if (entry->second.buffer == buffer) return SetVertexBuffer(nullptr, entry->first, 0);
    LogMessage(MessageLevel::Error, "GlVertexArray::RemoveVertexBuffer: buffer not listed");
    return ResultCode::InvalidValue;
}

void GlVertexArray::ForgetVertexBuffer(VertexBuffer* buffer) {
    if (buffer == nullptr) return;
    for (auto entry = entries.begin(); entry != entries.end();) {
        auto next = std::next(entry);
        if (entry->second.buffer == buffer) EmptyEntry(entry);
        entry = next;
    }
}

// The dirty flag keeps its value: an empty list has nothing to apply, and the stale attributes go at
// the owner's next bind whatever it says.
ResultCode GlVertexArray::ClearVertexBuffers() {
    bool wasDirty = dirty;
    // Nothing stays listed, so nothing is enabled again after each entry.
    while (!entries.empty()) EmptyEntry(entries.begin(), false);
    entryCount = 0;
    dirty = wasDirty;
    return ResultCode::Success;
}

ResultCode GlVertexArray::SetConstantData(const VertexLayout* layout, size_t size, const void* data) {
    if (layout == nullptr) {
        LogMessage(MessageLevel::Error, "GlVertexArray::SetConstantData: null layout");
        return ResultCode::InvalidValue;
    }
    constantLayout = *layout;
    if (size > constantDataSize) {
        void* grown = std::realloc(constantData, size);
        if (grown == nullptr) {
            // The old block goes too, so that no stale values are sent; the values arrive with the
            // next SetConstantData that can be met.
            std::free(constantData);
            constantData = nullptr;
            constantDataSize = 0;
            LogMessage(MessageLevel::Error, "GlVertexArray::SetConstantData: out of memory");
            return ResultCode::Success;
        }
        constantData = grown;
        constantDataSize = size;
    }
    if (data != nullptr && constantData != nullptr && size > 0) std::memcpy(constantData, data, size);
    return ResultCode::Success;
}

ResultCode GlVertexArray::UpdateConstantData(size_t offset, size_t size, const void* data) {
    // Written so that offset + size cannot wrap around.
    if (constantData == nullptr || offset > constantDataSize || size > constantDataSize - offset) {
        LogMessage(MessageLevel::Error, "GlVertexArray::UpdateConstantData: range outside the constant data");
        return ResultCode::InvalidValue;
    }
    if (data == nullptr && size > 0) {
        LogMessage(MessageLevel::Error, "GlVertexArray::UpdateConstantData: null data");
        return ResultCode::InvalidValue;
    }
    if (size > 0) std::memcpy(static_cast<unsigned char*>(constantData) + offset, data, size);
    // Sent at once only where the array is bound now; elsewhere the next bind sends them.
    if (IsBoundHere()) SetConstantValues();  // reports its own failures
    return ResultCode::Success;
}

ResultCode GlVertexArray::BindVertexBuffers() {
    for (const auto& [index, entry] : entries) {
        ResultCode result = AsGl(entry.buffer)->Bind(entry.offset);
        if (result != ResultCode::Success) return result;
    }
    return ResultCode::Success;
}

ResultCode GlVertexArray::SetConstantValues() {
    constexpr const char* kOperation = "GlVertexArray::SetConstantValues";
    int32_t count = constantLayout.attributeCount;
    if (constantData != nullptr && count > 0) {
        if (count > GlVertexBuffer::kMaxAttributes) {
            LogMessage(MessageLevel::Error, "%s: invalid attributeCount %d", kOperation, count);
            return ResultCode::InvalidValue;
        }
        for (int32_t i = 0; i < count; ++i) {
            const VertexAttribute& attribute = constantLayout.attributes[i];
            // Records before this one are already sent; GL keeps them, as it would any value.
            if (attribute.type != VertexAttributeType::Float32) {
                LogMessage(MessageLevel::Error, "%s: constant attribute %d has type %d; only Float32 is supported",
                           kOperation, i, static_cast<int32_t>(attribute.type));
                return ResultCode::NotSupported;
            }
            if (attribute.components < 1 || attribute.components > 4) {
                LogMessage(MessageLevel::Error, "%s: constant attribute %d has %d components", kOperation, i,
                           attribute.components);
                return ResultCode::InvalidValue;
            }
            size_t bytes = static_cast<size_t>(attribute.components) * sizeof(GLfloat);
            if (attribute.offset > constantDataSize || bytes > constantDataSize - attribute.offset) {
                LogMessage(MessageLevel::Error, "%s: constant attribute %d lies outside the constant data", kOperation,
                           i);
                return ResultCode::InvalidValue;
            }
            // Copied out: the host's offsets need not be float-aligned.
            GLfloat values[4] = {0.0f, 0.0f, 0.0f, 1.0f};
            std::memcpy(values, static_cast<const unsigned char*>(constantData) + attribute.offset, bytes);
            // The location goes to GL as given: GL answers a bad one with GL_INVALID_VALUE.
            GLuint location = static_cast<GLuint>(attribute.location);
            switch (attribute.components) {
                case 1:
                    glVertexAttrib1fv(location, values);
                    break;
                case 2:
                    glVertexAttrib2fv(location, values);
                    break;
                case 3:
                    glVertexAttrib3fv(location, values);
                    break;
                default:
                    glVertexAttrib4fv(location, values);
                    break;
            }
        }
    }
    return CheckGlError(kOperation);
}

ResultCode GlVertexArray::BindOn(GlContext* context) {
    if (context == owner) {
        if (vao == 0) glGenVertexArrays(1, &vao);
        glBindVertexArray(vao);
        // Emptied while the VAO was not bound: their attributes would override the constant values.
        for (uint32_t location : staleLocations) glDisableVertexAttribArray(location);
        staleLocations.clear();
        if (dirty) {
            ResultCode result = BindVertexBuffers();
            // A failed application is not retried by the next bind: the host fixes the buffer and
            // lists it again, which marks the array dirty.
            dirty = false;
            if (result != ResultCode::Success) return result;
        }
    } else {
        // A core-profile context without its own VAO (0) lets GL answer the draw with its error.
        glBindVertexArray(context->GetOwnVao());
        ResultCode result = BindVertexBuffers();
        if (result != ResultCode::Success) return result;
    }
    return SetConstantValues();
}

void GlVertexArray::UnBindFrom(GlContext* context) {
    // On the owner the VAO holds the attribute state and simply stops being bound; elsewhere the
    // context's own VAO carries it and would pass it on to the next array.
    if (context != owner)
        for (const auto& [index, entry] : entries) AsGl(entry.buffer)->UnBind();
    glBindVertexArray(0);
}

}  // namespace vindra
