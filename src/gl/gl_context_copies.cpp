// GlContext: pixels between the window's colour buffers, framebuffers, textures, pixel buffers and host
// memory. Rows are tightly packed: the context set pack and unpack alignment 1 when it was made.
#include <GL/glew.h>

#include <algorithm>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/gl_context.h"
#include "gl/gl_framebuffer.h"
#include "gl/gl_pixel_buffer.h"
#include "gl/gl_texture.h"
#include "gl/pixel_format_table.h"

namespace vindra {
namespace {

// The pixel buffer of a copy, with storage that holds the texture's texels at byteOffset; reported if not.
GlPixelBuffer* CopyBuffer(PixelBuffer* buffer, const GlTexture& texture, uint64_t byteOffset, const char* operation) {
    auto* pixels = static_cast<GlPixelBuffer*>(buffer);
    if (pixels == nullptr || pixels->GetName() == 0) {
        LogMessage(MessageLevel::Error, "%s: %s", operation,
                   pixels == nullptr ? "null pixel buffer" : "the pixel buffer has no storage (BufferData first)");
        return nullptr;
    }
    const TextureDesc& desc = texture.Desc();
    const PixelFormatRow* row = FindPixelFormat(desc.format, operation);
    if (row == nullptr) return nullptr;
    uint64_t bytes = uint64_t(std::max(desc.width, 0)) * uint64_t(std::max(desc.height, 1)) *
                     uint64_t(std::max(desc.depth, 1)) * row->bytesPerTexel;
    if (byteOffset > pixels->GetSize() || bytes > pixels->GetSize() - byteOffset) {
        LogMessage(MessageLevel::Error, "%s: %llu bytes at offset %llu leave the pixel buffer of %llu bytes", operation,
                   static_cast<unsigned long long>(bytes), static_cast<unsigned long long>(byteOffset),
                   static_cast<unsigned long long>(pixels->GetSize()));
        return nullptr;
    }
    return pixels;
}

}  // namespace

ResultCode GlContext::CopyFramebuffer(uint32_t buffer, Texture* destination) {
    constexpr const char* kOperation = "GlContext::CopyFramebuffer";
    GlTexture* texture = GlTexture::FromInterface(destination, kOperation);
    if (texture == nullptr) return ResultCode::InvalidValue;
    const TextureDesc& desc = texture->Desc();
    glReadBuffer(buffer != 0 ? GL_BACK : GL_FRONT);
    if (glCopyTextureSubImage2DEXT != nullptr) {
        glCopyTextureSubImage2DEXT(texture->GetName(), texture->GetTarget(), 0, 0, 0, 0, 0, desc.width, desc.height);
    } else {
        // Through the active unit's binding, restored afterwards.
        GLint previous = 0;
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &previous);
        glBindTexture(texture->GetTarget(), texture->GetName());
        glCopyTexSubImage2D(GL_TEXTURE_2D, 0, 0, 0, 0, 0, desc.width, desc.height);
        glBindTexture(texture->GetTarget(), previous);
    }
    glReadBuffer(GL_FRONT);
    return CheckGlError(kOperation);
}

ResultCode GlContext::ReadPixels(uint32_t bufferId, int32_t x, int32_t y, int32_t width, int32_t height,
                                 float* rgba) {
    constexpr const char* kOperation = "GlContext::ReadPixels";
    if (rgba == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null rgba", kOperation);
        return ResultCode::InvalidValue;
    }
    GLenum readBuffer = GL_FRONT;
    if (boundFramebuffer == nullptr && bufferId <= 1)
        readBuffer = bufferId == 1 ? GL_BACK : GL_FRONT;
    else if (boundFramebuffer != nullptr && bufferId == 0)
        readBuffer = GL_COLOR_ATTACHMENT0;
    else
        LogMessage(MessageLevel::Warning, "GlContext::ReadPixel: Unknown buffer id: %d", bufferId);
    glReadBuffer(readBuffer);
    glReadPixels(x, y, width, height, GL_RGBA, GL_FLOAT, rgba);
    if (readBuffer == GL_BACK) glReadBuffer(GL_FRONT);
    return CheckGlError(kOperation);
}

ResultCode GlContext::CopyTextureToBuffer(Texture* source, PixelBuffer* destination, uint64_t byteOffset) {
    constexpr const char* kOperation = "GlContext::CopyTextureToBuffer";
    if (copyFbo == 0) return ResultCode::InvalidOperation;
    GlTexture* texture = GlTexture::FromInterface(source, kOperation);
    if (texture == nullptr) return ResultCode::InvalidValue;
    GlPixelBuffer* pixels = CopyBuffer(destination, *texture, byteOffset, kOperation);
    if (pixels == nullptr) return ResultCode::InvalidValue;
    const TextureDesc& desc = texture->Desc();
    const PixelFormatRow* row = FindPixelFormat(desc.format, kOperation);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, pixels->GetName());
    GLint previous = 0;
    glGetIntegerv(GL_FRAMEBUFFER_BINDING, &previous);
    glBindFramebuffer(GL_FRAMEBUFFER, copyFbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, texture->GetTarget(), texture->GetName(), 0);
    glReadBuffer(GL_COLOR_ATTACHMENT0);
    glReadPixels(0, 0, desc.width, desc.height, row->pixelFormat, row->pixelType,
                 reinterpret_cast<void*>(static_cast<uintptr_t>(byteOffset)));
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, texture->GetTarget(), 0, 0);
    glBindFramebuffer(GL_FRAMEBUFFER, previous);
    glBindBuffer(GL_PIXEL_PACK_BUFFER, 0);
    return CheckGlError(kOperation);
}

uint32_t GlContext::CopyBufferToTexture(PixelBuffer* source, uint64_t byteOffset, Texture* destination) {
    constexpr const char* kOperation = "GlContext::CopyBufferToTexture";
    GlTexture* texture = GlTexture::FromInterface(destination, kOperation);
    GlPixelBuffer* pixels = texture != nullptr ? CopyBuffer(source, *texture, byteOffset, kOperation) : nullptr;
    if (pixels == nullptr) return static_cast<uint32_t>(ResultCode::InvalidValue);
    const TextureDesc& desc = texture->Desc();
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, pixels->GetName());
    ResultCode result = texture->LoadSubImage(0, 0, 0, 0, desc.width, desc.height, desc.depth, 0,
                                              reinterpret_cast<const void*>(static_cast<uintptr_t>(byteOffset)));
    glBindBuffer(GL_PIXEL_UNPACK_BUFFER, 0);
    return static_cast<uint32_t>(result);
}

}  // namespace vindra
