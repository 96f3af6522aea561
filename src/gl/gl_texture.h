// GlTexture: one GL texture (1D, 2D, rectangle or 3D) described by a TextureDesc, or a GL texture made
// elsewhere and only wrapped. Sampler parameters are kept here and reach GL at the next draw that has
// the texture bound on a unit.
#ifndef VINDRA_SRC_GL_GL_TEXTURE_H
#define VINDRA_SRC_GL_GL_TEXTURE_H

#include <cstdint>
#include <vector>

#include "vindra/compute.h"
#include "vindra/resources.h"

namespace vindra {

class GlContext;

class GlTexture final : public Texture {
public:
    static constexpr uint32_t kNoTarget = 0x0500;  // before the first Init
    static constexpr int kSamplerSlotCount = 5;    // wrap S, T, R; minification and magnification filters

    GlTexture();
    ~GlTexture() override;
    GlTexture(const GlTexture&) = delete;
    GlTexture& operator=(const GlTexture&) = delete;

    // The GlTexture behind a host's pointer, or null (reported under `operation`) when it is not a live
    // texture of this library: other classes read its GL name and target directly.
    static GlTexture* FromInterface(Texture* texture, const char* operation);
    // Whether `texture` is still a live texture of this library (framebuffers keep unowned pointers).
    static bool IsLive(const Texture* texture);

    ResultCode Init(const TextureDesc& desc) override;
    const TextureDesc* GetDesc() override { return &desc; }
    ResultCode ReservedQuery2() override { return ResultCode::InvalidOperation; }
    ResultCode LoadSubImage(int32_t level, int32_t x, int32_t y, int32_t z, int32_t width, int32_t height,
                            int32_t depth, uint64_t reserved, const void* data) override;
    ResultCode ReadImage(int32_t level, void* data) override;
    ResultCode SetWrapS(TextureWrap wrap) override { return SetSampler(int32_t(wrap), 0); }
    ResultCode SetWrapT(TextureWrap wrap) override { return SetSampler(int32_t(wrap), 1); }
    ResultCode SetWrapR(TextureWrap wrap) override { return SetSampler(int32_t(wrap), 2); }
    ResultCode SetBorderColor(const float rgba[4]) override;
    ResultCode SetMinFilter(TextureFilter filter) override { return SetSampler(int32_t(filter), 3); }
    ResultCode SetMagFilter(TextureFilter filter) override { return SetSampler(int32_t(filter), 4); }
    uint64_t GetHandle(uint32_t kind) override;
    ResultCode GenerateMipmap() override;
    ResultCode AcquireForCompute() override;
    ResultCode ReleaseFromCompute() override;

    const TextureDesc& Desc() const { return desc; }
    uint32_t GetName() const { return name; }
    uint32_t GetTarget() const { return target; }
    uint32_t GetPendingMask() const { return pendingMask; }
    // Sends the pending sampler parameters to the texture bound on the active unit (this one) and
    // clears the mask. No error check: a draw's own check reports what these raise.
    void SendPendingParameters();
    // Units of contexts that hold the texture: a texture released elsewhere is taken out of them.
    void NoteBoundOn(GlContext* context) { boundOn.push_back(context); }
    void NoteUnboundFrom(GlContext* context);

private:
    // Stores the GL value of a setter's `value` and marks it pending when it changed; slots 0 to 2 are the
    // wrap modes S, T and R, 3 and 4 the minification and magnification filters.
    ResultCode SetSampler(int32_t value, int slot);
    // Every extent the target uses lies within 0 and the device's limit for the target; reported if not.
    bool WithinDeviceLimits(const char* operation) const;

    uint32_t name = 0;
    uint32_t target = kNoTarget;
    uint32_t bindingQuery = 0x8069;  // GL_TEXTURE_BINDING_2D
    TextureDesc desc = {};
    uint32_t pendingMask = 0;
    uint32_t sampler[kSamplerSlotCount] = {0x812F, 0x812F, 0x812F, 0x2601, 0x2601};  // CLAMP_TO_EDGE, LINEAR
    float borderColor[4] = {0, 0, 0, 0};
    bool swizzled = false;
    std::vector<GlContext*> boundOn;  // one entry per unit binding
    // The OpenCL image of level 0, made on the current context's compute state (GetHandle kind 2, or at
    // Init for the formats OpenCL images take directly), and released by every Init.
    ComputeMemory computeHandle = nullptr;
};

}  // namespace vindra

#endif
