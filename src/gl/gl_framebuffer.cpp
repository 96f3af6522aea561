#include "gl/gl_framebuffer.h"

#include <GL/glew.h>

#include <algorithm>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/gl_context.h"
#include "gl/gl_texture.h"
#include "gl/pixel_format_table.h"

namespace vindra {
namespace {

// Gives renderbuffer `name` (made when 0) storage of `format`, multisampled when samples > 0.
void MakeRenderbuffer(GLuint& name, GLsizei samples, PixelFormat format, GLsizei width, GLsizei height) {
    if (name == 0) glGenRenderbuffers(1, &name);
    glBindRenderbuffer(GL_RENDERBUFFER, name);
    GLenum internalFormat = FindPixelFormat(format, "GlFramebuffer::Init")->internalFormat;
    if (samples > 0)
        glRenderbufferStorageMultisample(GL_RENDERBUFFER, samples, internalFormat, width, height);
    else
        glRenderbufferStorage(GL_RENDERBUFFER, internalFormat, width, height);
    glBindRenderbuffer(GL_RENDERBUFFER, 0);
}

void AttachRenderbuffer(GLenum attachment, GLuint renderbuffer) {
    if (renderbuffer != 0) glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, renderbuffer);
}

void DetachRenderbuffer(GLenum attachment, GLuint renderbuffer) {
    if (renderbuffer != 0) glFramebufferRenderbuffer(GL_FRAMEBUFFER, attachment, GL_RENDERBUFFER, 0);
}

void ReportIncomplete(const char* which) {
    GLenum status = glCheckFramebufferStatus(GL_FRAMEBUFFER);
    if (status != GL_FRAMEBUFFER_COMPLETE)
        LogMessage(MessageLevel::Error, "GlFramebuffer::AttachBuffers: Framebuffer%s not complete: 0x%x", which, status);
}

GLint Limit(GLenum name) {
    GLint value = 0;
    glGetIntegerv(name, &value);
    return value;
}

bool IsKind(PixelFormat format, FormatKind a, FormatKind b) { return KindOf(format) == a || KindOf(format) == b; }

}  // namespace

GlFramebuffer::~GlFramebuffer() {
    for (GlContext* context : recordedOn) context->ForgetFramebuffer(this);
    for (GLuint* object : {&fbo, &msFbo})
        if (*object != 0) glDeleteFramebuffers(1, object);
    for (GLuint* renderbuffer : {&colorRenderbuffer, &depthRenderbuffer, &stencilRenderbuffer, &msColorRenderbuffer,
                                 &msDepthRenderbuffer, &msStencilRenderbuffer})
        if (*renderbuffer != 0) glDeleteRenderbuffers(1, renderbuffer);
}

ResultCode GlFramebuffer::CheckDesc(const FramebufferDesc& desc, const GlTexture* colorTexture) const {
    constexpr const char* kOperation = "GlFramebuffer::Init";
    struct Use {
        bool wanted;
        PixelFormat format;
        const char* field;
        FormatKind kind, alsoKind;
    };
    const Use uses[] = {
        {colorTexture != nullptr || desc.colorBuffer != 0,
         colorTexture != nullptr ? colorTexture->Desc().format : desc.colorFormat,
         colorTexture != nullptr ? "colour texture format" : "colorFormat", FormatKind::Colour, FormatKind::Colour},
        {desc.depthBuffer != 0, desc.depthFormat, "depthFormat", FormatKind::Depth, FormatKind::DepthStencil},
        {desc.stencilBuffer != 0, desc.stencilFormat, "stencilFormat", FormatKind::Stencil, FormatKind::DepthStencil},
    };
    for (const Use& use : uses) {
        if (!use.wanted) continue;
        const PixelFormatRow* row = FindPixelFormat(use.format, kOperation);
        if (row == nullptr) return ResultCode::InvalidEnum;
        if (!IsKind(use.format, use.kind, use.alsoKind)) {
            LogMessage(MessageLevel::Error, "%s: %s %s does not suit that attachment", kOperation, use.field, row->name);
            return ResultCode::InvalidValue;
        }
    }
    bool renderbuffers = (colorTexture == nullptr && desc.colorBuffer != 0) || desc.depthBuffer != 0 ||
                         desc.stencilBuffer != 0 || desc.samples > 1;
    int32_t w = colorTexture != nullptr ? colorTexture->Desc().width : desc.width;
    int32_t h = colorTexture != nullptr ? colorTexture->Desc().height : desc.height;
    GLint limit = Limit(GL_MAX_RENDERBUFFER_SIZE);
    if (renderbuffers && (w < 1 || h < 1 || (limit > 0 && (w > limit || h > limit)))) {
        LogMessage(MessageLevel::Error, "%s: size %dx%d outside 1 to the device's limit %d", kOperation, w, h, limit);
        return ResultCode::InvalidValue;
    }
    return ResultCode::Success;
}

ResultCode GlFramebuffer::Init(FramebufferDesc& desc) {
    constexpr const char* kOperation = "GlFramebuffer::Init";
    GlTexture* colorTexture = nullptr;
    if (desc.colorTexture != nullptr) {
        colorTexture = GlTexture::FromInterface(desc.colorTexture, kOperation);
        if (colorTexture == nullptr) return ResultCode::InvalidValue;
    }
    ResultCode checked = CheckDesc(desc, colorTexture);
    if (checked != ResultCode::Success) return checked;

    if (fbo == 0) glGenFramebuffers(1, &fbo);
    width = desc.width;
    height = desc.height;
    colorTextures.clear();
    PixelFormat colorFormat = desc.colorFormat;
    if (colorTexture != nullptr) {
        colorTextures.push_back(colorTexture);
        width = colorTexture->Desc().width;
        height = colorTexture->Desc().height;
        colorFormat = colorTexture->Desc().format;
    } else if (desc.colorBuffer != 0) {
        MakeRenderbuffer(colorRenderbuffer, 0, colorFormat, width, height);
    }
    bool depthStencil = KindOf(desc.depthFormat) == FormatKind::DepthStencil;
    depthAttachment = depthStencil ? GL_DEPTH_STENCIL_ATTACHMENT : GL_DEPTH_ATTACHMENT;
    if (desc.samples <= 1) {
        if (desc.depthBuffer != 0) MakeRenderbuffer(depthRenderbuffer, 0, desc.depthFormat, width, height);
        if (desc.stencilBuffer != 0) MakeRenderbuffer(stencilRenderbuffer, 0, desc.stencilFormat, width, height);
    } else {
        // The caller learns the count GL can give.
        GLint maxSamples = 1;
        glGetIntegerv(GL_MAX_SAMPLES, &maxSamples);
        if (desc.samples > maxSamples) desc.samples = maxSamples;
        if (msFbo == 0) glGenFramebuffers(1, &msFbo);
        if (colorTexture != nullptr || desc.colorBuffer != 0)
            MakeRenderbuffer(msColorRenderbuffer, desc.samples, colorFormat, width, height);
        if (desc.depthBuffer != 0) MakeRenderbuffer(msDepthRenderbuffer, desc.samples, desc.depthFormat, width, height);
        if (desc.stencilBuffer != 0)
            MakeRenderbuffer(msStencilRenderbuffer, desc.samples, desc.stencilFormat, width, height);
    }
    AttachBuffers(fbo, msFbo);
    return CheckGlError(kOperation);
}

ResultCode GlFramebuffer::AttachBuffers(uint32_t fboName, uint32_t msFboName) {
    GLint previous = 0;
    glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &previous);
    if (fboName != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, fboName);
        for (size_t i = 0; i < colorTextures.size(); ++i) {
            GlTexture* texture = colorTextures[i];
            if (GlTexture::IsLive(texture))
                glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + GLenum(i), texture->GetTarget(),
                                       texture->GetName(), 0);
        }
        AttachRenderbuffer(GL_COLOR_ATTACHMENT0, colorRenderbuffer);
        AttachRenderbuffer(depthAttachment, depthRenderbuffer);
        AttachRenderbuffer(GL_STENCIL_ATTACHMENT, stencilRenderbuffer);
        ReportIncomplete("");
    }
    if (msFboName != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, msFboName);
        AttachRenderbuffer(GL_COLOR_ATTACHMENT0, msColorRenderbuffer);
        AttachRenderbuffer(depthAttachment, msDepthRenderbuffer);
        AttachRenderbuffer(GL_STENCIL_ATTACHMENT, msStencilRenderbuffer);
        ReportIncomplete("(ms)");
    }
    glBindFramebuffer(GL_FRAMEBUFFER, previous);
    return CheckGlError("GlFramebuffer::AttachBuffers");
}

ResultCode GlFramebuffer::DetachBuffers(uint32_t fboName, uint32_t msFboName) {
    if (fboName != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, fboName);
        // With texture 0 GL reads no target: a texture released meanwhile is detached all the same.
        for (size_t i = 0; i < colorTextures.size(); ++i)
            if (colorTextures[i] != nullptr)
                glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + GLenum(i), GL_TEXTURE_2D, 0, 0);
        DetachRenderbuffer(GL_COLOR_ATTACHMENT0, colorRenderbuffer);
        DetachRenderbuffer(depthAttachment, depthRenderbuffer);
        DetachRenderbuffer(GL_STENCIL_ATTACHMENT, stencilRenderbuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    if (msFboName != 0) {
        glBindFramebuffer(GL_FRAMEBUFFER, msFboName);
        DetachRenderbuffer(GL_COLOR_ATTACHMENT0, msColorRenderbuffer);
        DetachRenderbuffer(depthAttachment, msDepthRenderbuffer);
        DetachRenderbuffer(GL_STENCIL_ATTACHMENT, msStencilRenderbuffer);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
    }
    return CheckGlError("GlFramebuffer::DetachBuffers");
}

ResultCode GlFramebuffer::AttachColorTexture(Texture* texture, int32_t index) {
    constexpr const char* kOperation = "GlFramebuffer::AttachColorTexture";
    if (index < 0) return ResultCode::InvalidOperation;
    if (texture == nullptr) {
        if (static_cast<size_t>(index) >= colorTextures.size()) return ResultCode::InvalidOperation;
        GlTexture* old = colorTextures[index];
        colorTextures[index] = nullptr;
        if (old == nullptr || fbo == 0) return ResultCode::InvalidOperation;
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + index, GL_TEXTURE_2D, 0, 0);
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        return CheckGlError(kOperation);
    }
    GlTexture* colorTexture = GlTexture::FromInterface(texture, kOperation);
    if (colorTexture == nullptr) return ResultCode::InvalidValue;
    // The list grows to the index: an index GL cannot attach would only grow it.
    GLint maxAttachments = Limit(GL_MAX_COLOR_ATTACHMENTS);
    if (index >= maxAttachments) {
        LogMessage(MessageLevel::Error, "%s: index %d beyond the device's %d colour attachments", kOperation, index,
                   maxAttachments);
        return ResultCode::InvalidValue;
    }
    if (static_cast<size_t>(index) >= colorTextures.size()) colorTextures.resize(index + 1, nullptr);
    colorTextures[index] = colorTexture;
    if (index == 0) {
        width = colorTexture->Desc().width;
        height = colorTexture->Desc().height;
    }
    if (fbo == 0) return ResultCode::InvalidOperation;
    glBindFramebuffer(GL_FRAMEBUFFER, fbo);
    glFramebufferTexture2D(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0 + index, colorTexture->GetTarget(),
                           colorTexture->GetName(), 0);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    return CheckGlError(kOperation);
}

ResultCode GlFramebuffer::ResolveMultisample() {
    if (boundMsFbo == 0) return ResultCode::Success;
    glBindFramebuffer(GL_READ_FRAMEBUFFER, boundMsFbo);
    glBindFramebuffer(GL_DRAW_FRAMEBUFFER, boundFbo);
    glBlitFramebuffer(0, 0, width, height, 0, 0, width, height, GL_COLOR_BUFFER_BIT, GL_NEAREST);
    glBindFramebuffer(GL_READ_FRAMEBUFFER, boundFbo);
    return CheckGlError("GlFramebuffer::ResolveMultisample");
}

ResultCode GlFramebuffer::Bind(GlContext* context) {
    boundContext = context;
    if (std::find(recordedOn.begin(), recordedOn.end(), context) == recordedOn.end()) recordedOn.push_back(context);
    if (context == owner) {
        boundFbo = fbo;
        boundMsFbo = msFbo;
    } else {
        boundFbo = context->SpareFramebuffer(0);
        boundMsFbo = msFbo != 0 ? context->SpareFramebuffer(1) : 0;
    }
    if (boundFbo != fbo) AttachBuffers(boundFbo, boundMsFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, boundMsFbo != 0 ? boundMsFbo : boundFbo);
    return CheckGlError("GlFramebuffer::Bind");
}

ResultCode GlFramebuffer::UnBind(GlContext* context) {
    recordedOn.erase(std::remove(recordedOn.begin(), recordedOn.end(), context), recordedOn.end());
    if (boundFbo != fbo) DetachBuffers(boundFbo, boundMsFbo);
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    boundFbo = boundMsFbo = 0;
    boundContext = nullptr;
    return CheckGlError("GlFramebuffer::UnBind");
}

void GlFramebuffer::NoteContextDeleted(GlContext* context) {
    recordedOn.erase(std::remove(recordedOn.begin(), recordedOn.end(), context), recordedOn.end());
    if (boundContext != context) return;
    boundContext = nullptr;
    boundFbo = boundMsFbo = 0;
}

}  // namespace vindra
