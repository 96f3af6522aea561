#include "gl/gl_texture.h"

#include <GL/glew.h>

#include <algorithm>

#include "cl/cl_gl_objects.h"
#include "core/check_gl_error.h"
#include "core/live_objects.h"
#include "core/log_message.h"
#include "gl/enum_argument.h"
#include "gl/gl_context.h"
#include "gl/pixel_format_table.h"
#include "gl/render_state_tables.h"

namespace vindra {
namespace {

constexpr GLenum kWrapModes[] = {GL_CLAMP_TO_EDGE, GL_MIRROR_CLAMP_TO_EDGE, GL_REPEAT, GL_MIRRORED_REPEAT,
                                 GL_CLAMP_TO_BORDER};
constexpr GLenum kFilters[] = {GL_NEAREST,
                               GL_LINEAR,
                               GL_NEAREST_MIPMAP_NEAREST,
                               GL_LINEAR_MIPMAP_NEAREST,
                               GL_NEAREST_MIPMAP_LINEAR,
                               GL_LINEAR_MIPMAP_LINEAR};
constexpr uint32_t kBorderBit = 0x10;

// The setters' slots, in the order GL receives them (the border colour goes after the wrap modes): wrap S,
// T and R, then the minification and magnification filters.
struct SamplerSlot {
    const char* operation;
    const char* typeName;
    const GLenum* values;
    size_t valueCount;
    GLenum parameter;
    uint32_t pendingBit;
};
constexpr int kFirstFilterSlot = 3;
constexpr SamplerSlot kSamplerSlots[GlTexture::kSamplerSlotCount] = {
    {"GlTexture::SetWrapS", "TextureWrap", kWrapModes, TableSize(kWrapModes), GL_TEXTURE_WRAP_S, 0x01},
    {"GlTexture::SetWrapT", "TextureWrap", kWrapModes, TableSize(kWrapModes), GL_TEXTURE_WRAP_T, 0x02},
    {"GlTexture::SetWrapR", "TextureWrap", kWrapModes, TableSize(kWrapModes), GL_TEXTURE_WRAP_R, 0x04},
    {"GlTexture::SetMinFilter", "TextureFilter", kFilters, TableSize(kFilters), GL_TEXTURE_MIN_FILTER, 0x20},
    {"GlTexture::SetMagFilter", "TextureFilter", kFilters, TableSize(kFilters), GL_TEXTURE_MAG_FILTER, 0x40},
};

// Live textures: a pointer the host passes as a texture is checked here before it is read as one.
LiveObjects<Texture, GlTexture> liveTextures("texture");

// Restores the binding of `query`'s target found on entry when it differs from `name`.
class KeepTextureBinding {
public:
    KeepTextureBinding(GLenum query, GLenum target, GLuint name) : target(target), name(name) {
        glGetIntegerv(query, &previous);
    }
    ~KeepTextureBinding() {
        if (static_cast<GLuint>(previous) != name) glBindTexture(target, previous);
    }

private:
    GLint previous = 0;
    GLenum target;
    GLuint name;
};

// A null data pointer is a byte offset 0 into a bound pixel buffer, and otherwise nothing to read or write.
bool DataOrBoundBuffer(const void* data, GLenum bindingQuery, const char* operation) {
    if (data != nullptr) return true;
    GLint buffer = 0;
    glGetIntegerv(bindingQuery, &buffer);
    if (buffer != 0) return true;
    LogMessage(MessageLevel::Error, "%s: null data and no pixel buffer bound", operation);
    return false;
}

}  // namespace

GlTexture::GlTexture() { liveTextures.Add(this); }

GlTexture::~GlTexture() {
    liveTextures.Remove(this);
    // Every context whose units still hold the texture forgets it, whichever context releases it.
    std::vector<GlContext*> contexts;
    contexts.swap(boundOn);
    std::sort(contexts.begin(), contexts.end());
    contexts.erase(std::unique(contexts.begin(), contexts.end()), contexts.end());
    for (GlContext* context : contexts) context->ForgetTexture(this);
    ReleaseComputeMemory(computeHandle);
    if (name != 0 && (desc.flags & TextureFlagExternal) == 0) glDeleteTextures(1, &name);
}

GlTexture* GlTexture::FromInterface(Texture* texture, const char* operation) {
    return liveTextures.Find(texture, operation);
}

bool GlTexture::IsLive(const Texture* texture) { return liveTextures.Contains(texture); }

void GlTexture::NoteUnboundFrom(GlContext* context) {
    auto entry = std::find(boundOn.begin(), boundOn.end(), context);
    if (entry != boundOn.end()) boundOn.erase(entry);
}

bool GlTexture::WithinDeviceLimits(const char* operation) const {
    GLenum limitName = target == GL_TEXTURE_3D          ? GL_MAX_3D_TEXTURE_SIZE
                       : target == GL_TEXTURE_RECTANGLE ? GL_MAX_RECTANGLE_TEXTURE_SIZE
                                                        : GL_MAX_TEXTURE_SIZE;
    GLint limit = 0;
    glGetIntegerv(limitName, &limit);
    int32_t extents[3] = {desc.width, target == GL_TEXTURE_1D ? 1 : desc.height,
                          target == GL_TEXTURE_3D ? desc.depth : 1};
    for (int32_t extent : extents) {
        if (extent < 0 || (limit > 0 && extent > limit)) {
            LogMessage(MessageLevel::Error, "%s: extent %dx%dx%d outside 0 to the device's limit %d", operation,
                       desc.width, desc.height, desc.depth, limit);
            return false;
        }
    }
    return true;
}

ResultCode GlTexture::Init(const TextureDesc& newDesc) {
    constexpr const char* kOperation = "GlTexture::Init";
    desc = newDesc;
    GLenum newTarget = 0;
    if (desc.depth >= 1)
        newTarget = GL_TEXTURE_3D;
    else if (desc.height >= 1)
        newTarget = desc.target2D != 0 ? GL_TEXTURE_2D : GL_TEXTURE_RECTANGLE;
    else if (desc.width >= 1)
        newTarget = GL_TEXTURE_1D;
    else
        return ResultCode::InvalidValue;  // no extent: no message, target and GL object as they were
    const PixelFormatRow* row = FindPixelFormat(desc.format, kOperation);
    if (row == nullptr) return ResultCode::InvalidEnum;
    target = newTarget;
    ReleaseComputeMemory(computeHandle);  // made for the storage that goes now
    bindingQuery = target == GL_TEXTURE_3D          ? GL_TEXTURE_BINDING_3D
                   : target == GL_TEXTURE_2D        ? GL_TEXTURE_BINDING_2D
                   : target == GL_TEXTURE_RECTANGLE ? GL_TEXTURE_BINDING_RECTANGLE
                                                    : GL_TEXTURE_BINDING_1D;
    pendingMask = 0xFFFFFFFFu;
    if ((desc.flags & TextureFlagExternal) != 0) {
        // Only the name is recorded: the texture belongs to whoever made it.
        name = desc.externalName;
        return name != 0 ? ResultCode::Success : ResultCode::InvalidValue;
    }
    // Checked before GL allocates: an oversized request would otherwise try to allocate first.
    if (!WithinDeviceLimits(kOperation)) return ResultCode::InvalidValue;
    if (name == 0) glGenTextures(1, &name);
    glBindTexture(target, name);
    if (target == GL_TEXTURE_1D)
        glTexImage1D(target, 0, row->internalFormat, desc.width, 0, row->pixelFormat, row->pixelType, nullptr);
    else if (target == GL_TEXTURE_3D)
        glTexImage3D(target, 0, row->internalFormat, desc.width, desc.height, desc.depth, 0, row->pixelFormat,
                     row->pixelType, nullptr);
    else
        glTexImage2D(target, 0, row->internalFormat, desc.width, desc.height, 0, row->pixelFormat, row->pixelType,
                     nullptr);
    if (row->swizzle[0] != 0) {
        glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, row->swizzle);
        swizzled = true;
    } else if (swizzled) {
        const GLint identity[4] = {GL_RED, GL_GREEN, GL_BLUE, GL_ALPHA};
        glTexParameteriv(target, GL_TEXTURE_SWIZZLE_RGBA, identity);
        swizzled = false;
    }
    glTexParameteri(target, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    glTexParameteri(target, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glBindTexture(target, 0);
    if (row->computeImageAtInit) GetHandle(2);  // kernels use it as is: failures are reported, not answered
    return CheckGlError(kOperation);
}

ResultCode GlTexture::LoadSubImage(int32_t level, int32_t x, int32_t y, int32_t z, int32_t width, int32_t height,
                                   int32_t depth, uint64_t, const void* data) {
    constexpr const char* kOperation = "GlTexture::LoadSubImage";
    if (target == kNoTarget) return ResultCode::InvalidOperation;
    if (!DataOrBoundBuffer(data, GL_PIXEL_UNPACK_BUFFER_BINDING, kOperation)) return ResultCode::InvalidValue;
    const PixelFormatRow* row = FindPixelFormat(desc.format, kOperation);
    {
        KeepTextureBinding keep(bindingQuery, target, name);
        glBindTexture(target, name);
        if (target == GL_TEXTURE_1D)
            glTexSubImage1D(target, level, x, width, row->pixelFormat, row->pixelType, data);
        else if (target == GL_TEXTURE_3D)
            glTexSubImage3D(target, level, x, y, z, width, height, depth, row->pixelFormat, row->pixelType, data);
        else
            glTexSubImage2D(target, level, x, y, width, height, row->pixelFormat, row->pixelType, data);
    }
    return CheckGlError(kOperation);
}

ResultCode GlTexture::ReadImage(int32_t level, void* data) {
    constexpr const char* kOperation = "GlTexture::ReadImage";
    if (!DataOrBoundBuffer(data, GL_PIXEL_PACK_BUFFER_BINDING, kOperation)) return ResultCode::InvalidValue;
    // Before the first Init the format is not known; GL refuses the unset target.
    const PixelFormatRow* row = target == kNoTarget ? nullptr : FindPixelFormat(desc.format, kOperation);
    glBindTexture(target, name);
    if (row != nullptr) glGetTexImage(target, level, row->pixelFormat, row->pixelType, data);
    glBindTexture(target, 0);
    return CheckGlError(kOperation);
}

ResultCode GlTexture::GenerateMipmap() {
    {
        KeepTextureBinding keep(bindingQuery, target, name);
        glBindTexture(target, name);
        glGenerateMipmap(target);
    }
    return CheckGlError("GlTexture::GenerateMipmap");
}

ResultCode GlTexture::SetSampler(int32_t value, int slot) {
    const SamplerSlot& setter = kSamplerSlots[slot];
    if (!IsValidEnum(value, setter.valueCount, setter.operation, setter.typeName)) return ResultCode::InvalidEnum;
    GLenum glValue = setter.values[value];
    if (glValue != sampler[slot]) {
        sampler[slot] = glValue;
        pendingMask |= setter.pendingBit;
    }
    return ResultCode::Success;
}

ResultCode GlTexture::SetBorderColor(const float rgba[4]) {
    if (rgba == nullptr) {
        LogMessage(MessageLevel::Error, "GlTexture::SetBorderColor: null colour");
        return ResultCode::InvalidValue;
    }
    std::copy(rgba, rgba + 4, borderColor);
    pendingMask |= kBorderBit;
    return ResultCode::Success;
}

uint64_t GlTexture::GetHandle(uint32_t kind) {
    if (kind == 0) return name;
    if (kind == 1) return target;
    if (kind != 2) return 0;
    if (computeHandle == nullptr) computeHandle = MakeComputeImage(target, name);
    return reinterpret_cast<uintptr_t>(computeHandle);
}

ResultCode GlTexture::AcquireForCompute() { return EnqueueGlAcquire(computeHandle, true); }
ResultCode GlTexture::ReleaseFromCompute() { return EnqueueGlAcquire(computeHandle, false); }

void GlTexture::SendPendingParameters() {
    for (int slot = 0; slot < kSamplerSlotCount; ++slot) {
        if (slot == kFirstFilterSlot && (pendingMask & kBorderBit) != 0)
            glTexParameterfv(target, GL_TEXTURE_BORDER_COLOR, borderColor);
        if ((pendingMask & kSamplerSlots[slot].pendingBit) != 0)
            glTexParameteri(target, kSamplerSlots[slot].parameter, sampler[slot]);
    }
    pendingMask = 0;
}

}  // namespace vindra
