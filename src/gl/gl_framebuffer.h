// GlFramebuffer: off-screen rendering into colour textures or a colour renderbuffer, with depth and
// stencil renderbuffers, and a multisample twin that ResolveMultisample blits into the single-sample
// object. GL framebuffer objects are not shared between GL contexts: on a context other than its
// owner it is bound through that context's spare framebuffer objects.
#ifndef VINDRA_SRC_GL_GL_FRAMEBUFFER_H
#define VINDRA_SRC_GL_GL_FRAMEBUFFER_H

#include <cstdint>
#include <vector>

#include "vindra/resources.h"

namespace vindra {

class GlContext;
class GlTexture;

class GlFramebuffer final : public Framebuffer {
public:
    explicit GlFramebuffer(GlContext* owner) : owner(owner) {}
    ~GlFramebuffer() override;
    GlFramebuffer(const GlFramebuffer&) = delete;
    GlFramebuffer& operator=(const GlFramebuffer&) = delete;

    ResultCode Init(FramebufferDesc& desc) override;
    ResultCode AttachColorTexture(Texture* texture, int32_t index) override;
    ResultCode ResolveMultisample() override;
    uint32_t GetHandle() override { return fbo; }

    // Attaches (or detaches) this framebuffer's textures and renderbuffers to the given framebuffer
    // objects (0: skipped); an incomplete object is reported, not returned.
    ResultCode AttachBuffers(uint32_t fboName, uint32_t msFboName);
    ResultCode DetachBuffers(uint32_t fboName, uint32_t msFboName);
    // Run by the context's BindFramebuffer: binds on `context` (its spare objects unless it is the owner),
    // and unbinds there.
    ResultCode Bind(GlContext* context);
    ResultCode UnBind(GlContext* context);
    // A context that records the framebuffer as bound is being deleted.
    void NoteContextDeleted(GlContext* context);

    uint32_t GetMultisampleHandle() const { return msFbo; }
    uint32_t GetBoundHandle() const { return boundFbo; }

private:
    // Checks the description before GL sees any of it; reported under "GlFramebuffer::Init".
    ResultCode CheckDesc(const FramebufferDesc& desc, const GlTexture* colorTexture) const;

    GlContext* owner;
    uint32_t fbo = 0;
    uint32_t colorRenderbuffer = 0, depthRenderbuffer = 0, stencilRenderbuffer = 0;
    uint32_t msFbo = 0;
    uint32_t msColorRenderbuffer = 0, msDepthRenderbuffer = 0, msStencilRenderbuffer = 0;
    // By attachment index; not owned, may be null, and may have been released since (GlTexture::IsLive).
    std::vector<GlTexture*> colorTextures;
    uint32_t depthAttachment = 0x8D00;      // GL_DEPTH_ATTACHMENT
    int32_t width = 0, height = 0;
    uint32_t boundFbo = 0, boundMsFbo = 0;
    GlContext* boundContext = nullptr;       // whose framebuffer objects boundFbo and boundMsFbo are
    std::vector<GlContext*> recordedOn;      // contexts whose record holds this framebuffer
};

}  // namespace vindra

#endif
