// GlContext: textures on the 16 units, framebuffers, and the sampler parameters sent before each draw.
#include <GL/glew.h>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/gl_context.h"
#include "gl/gl_framebuffer.h"
#include "gl/gl_texture.h"
#include "gl/release_object.h"

namespace vindra {

Texture* GlContext::CreateTexture() { return new GlTexture; }

uint32_t GlContext::ReleaseTexture(Texture** texture) {
    constexpr const char* kOperation = "GlContext::ReleaseTexture";
    return ReleaseLiveObject<GlTexture>(texture, kOperation, GlTexture::FromInterface, [this](GlTexture* released) {
        for (int unit = 0; unit < kTextureUnits; ++unit)
            if (textureUnits[unit] == released) BindTexture(nullptr, 1, unit);
    });
}

ResultCode GlContext::BindTexture(Texture* texture, int32_t, int32_t unit) {
    constexpr const char* kOperation = "GlContext::BindTexture";
    if (unit < 0 || unit >= kTextureUnits) {
        LogMessage(MessageLevel::Error, "%s: unit %d outside 0 to %d", kOperation, unit, kTextureUnits - 1);
        return ResultCode::InvalidValue;
    }
    GlTexture* recorded = textureUnits[unit];
    if (texture == nullptr) {
        if (recorded == nullptr) return ResultCode::Success;
        glActiveTexture(GL_TEXTURE0 + unit);
        glBindTexture(recorded->GetTarget(), 0);
        glActiveTexture(GL_TEXTURE0);
        CheckGlError("GlTexture::UnBind(2)");
        recorded->NoteUnboundFrom(this);
        textureUnits[unit] = nullptr;
        return ResultCode::Success;
    }
    GlTexture* glTexture = GlTexture::FromInterface(texture, kOperation);
    if (glTexture == nullptr) return ResultCode::InvalidValue;
    if (recorded != nullptr) recorded->NoteUnboundFrom(this);
    textureUnits[unit] = glTexture;
    glTexture->NoteBoundOn(this);
    glActiveTexture(GL_TEXTURE0 + unit);
    glBindTexture(glTexture->GetTarget(), glTexture->GetName());
    glActiveTexture(GL_TEXTURE0);
    return CheckGlError("GlTexture::Bind");
}

void GlContext::ForgetTexture(GlTexture* texture) {
    for (GlTexture*& unit : textureUnits)
        if (unit == texture) unit = nullptr;
}

// Textures are bound rarely and drawn with often: the units are scanned, and only a texture with
// pending parameters costs GL calls.
void GlContext::ApplyTextureParameters() {
    for (int unit = 0; unit < kTextureUnits; ++unit) {
        GlTexture* texture = textureUnits[unit];
        if (texture == nullptr || texture->GetPendingMask() == 0) continue;
        glActiveTexture(GL_TEXTURE0 + unit);
        texture->SendPendingParameters();
        glActiveTexture(GL_TEXTURE0);
    }
}

Framebuffer* GlContext::CreateFramebuffer() { return new GlFramebuffer(this); }

uint32_t GlContext::ReleaseFramebuffer(Framebuffer** framebuffer) {
    return ReleaseObject<GlFramebuffer>(framebuffer, "GlContext::ReleaseFramebuffer", [this](GlFramebuffer* released) {
        if (released == boundFramebuffer) BindFramebuffer(nullptr);
    });
}

ResultCode GlContext::BindFramebuffer(Framebuffer* framebuffer) {
    GlFramebuffer* next = static_cast<GlFramebuffer*>(framebuffer);
    if (boundFramebuffer != nullptr && boundFramebuffer != next) boundFramebuffer->UnBind(this);
    boundFramebuffer = next;
    return next != nullptr ? next->Bind(this) : ResultCode::Success;
}

void GlContext::ForgetFramebuffer(GlFramebuffer* framebuffer) {
    if (boundFramebuffer == framebuffer) boundFramebuffer = nullptr;
}

Framebuffer* GlContext::GetBoundFramebuffer() { return boundFramebuffer; }

}  // namespace vindra
