// GlContext render state: one GL call and one error check per operation, nothing cached.
#include <GL/glew.h>

#include <initializer_list>

#include "core/check_gl_error.h"
#include "gl/gl_context.h"
#include "gl/enum_argument.h"
#include "gl/render_state_tables.h"

namespace vindra {

namespace {

ResultCode SetCapability(GLenum capability, bool enable, const char* operation) {
    if (enable)
        glEnable(capability);
    else
        glDisable(capability);
    return CheckGlError(operation);
}

// Reads four integers of GL state into the host's outputs; every output that is not null is written.
ResultCode GetRectangle(GLenum state, int32_t* x, int32_t* y, int32_t* width, int32_t* height, const char* operation) {
    GLint values[4] = {0, 0, 0, 0};
    glGetIntegerv(state, values);
    if (x != nullptr && y != nullptr && width != nullptr && height != nullptr) {
        *x = values[0];
        *y = values[1];
        *width = values[2];
        *height = values[3];
        return CheckGlError(operation);
    }
    int32_t* outputs[4] = {x, y, width, height};
    bool missing = false;
    for (int i = 0; i < 4; ++i) {
        if (outputs[i] != nullptr)
            *outputs[i] = values[i];
        else
            missing = true;
    }
    ResultCode result = CheckGlError(operation);
    if (missing) {
        LogMessage(MessageLevel::Error, "%s: null output pointer", operation);
        return ResultCode::InvalidValue;
    }
    return result;
}

}  // namespace

uint32_t GlContext::Flush() {
    glFlush();
    return 0;
}

uint32_t GlContext::Finish() {
    glFinish();
    return 0;
}

ResultCode GlContext::SetViewPort(int32_t x, int32_t y, int32_t width, int32_t height) {
    glViewport(x, y, width, height);
    return CheckGlError("GlContext::SetViewPort");
}

ResultCode GlContext::GetViewPort(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    return GetRectangle(GL_VIEWPORT, x, y, width, height, "GlContext::GetViewPort");
}

ResultCode GlContext::EnableScissor(bool enable) {
    return SetCapability(GL_SCISSOR_TEST, enable, "GlContext::EnableScissor");
}

bool GlContext::IsScissorEnabled() { return glIsEnabled(GL_SCISSOR_TEST) != GL_FALSE; }

ResultCode GlContext::SetScissorRect(int32_t x, int32_t y, int32_t width, int32_t height) {
    glScissor(x, y, width, height);
    return CheckGlError("GlContext::SetScissorRect");
}

ResultCode GlContext::GetScissorRect(int32_t* x, int32_t* y, int32_t* width, int32_t* height) {
    return GetRectangle(GL_SCISSOR_BOX, x, y, width, height, "GlContext::GetScissorRect");
}

ResultCode GlContext::EnableDepthTest(bool enable) {
    return SetCapability(GL_DEPTH_TEST, enable, "GlContext::EnableDepthTest");
}

ResultCode GlContext::SetDepthMask(bool write) {
    glDepthMask(write);
    return CheckGlError("GlContext::SetDepthMask");
}

ResultCode GlContext::SetDepthFunc(CompareFunc func) {
    constexpr const char* kOperation = "GlContext::SetDepthFunc";
    if (!IsValidEnum(func, TableSize(kCompareFuncs), kOperation, "CompareFunc")) return ResultCode::InvalidEnum;
    glDepthFunc(kCompareFuncs[static_cast<int32_t>(func)]);
    return CheckGlError(kOperation);
}

ResultCode GlContext::EnableStencilTest(bool enable) {
    return SetCapability(GL_STENCIL_TEST, enable, "GlContext::EnableStencilTest");
}

ResultCode GlContext::SetStencilFunc(CompareFunc func, int32_t reference, uint32_t mask) {
    constexpr const char* kOperation = "GlContext::SetStencilFunc";
    if (!IsValidEnum(func, TableSize(kCompareFuncs), kOperation, "CompareFunc")) return ResultCode::InvalidEnum;
    glStencilFunc(kCompareFuncs[static_cast<int32_t>(func)], reference, mask);
    return CheckGlError(kOperation);
}

ResultCode GlContext::SetStencilOp(StencilOp stencilFail, StencilOp depthFail, StencilOp depthPass) {
    constexpr const char* kOperation = "GlContext::SetStencilOp";
    for (StencilOp op : {stencilFail, depthFail, depthPass})
        if (!IsValidEnum(op, TableSize(kStencilOps), kOperation, "StencilOp")) return ResultCode::InvalidEnum;
    glStencilOp(kStencilOps[static_cast<int32_t>(stencilFail)], kStencilOps[static_cast<int32_t>(depthFail)],
                kStencilOps[static_cast<int32_t>(depthPass)]);
    return CheckGlError(kOperation);
}

ResultCode GlContext::SetColorMask(bool red, bool green, bool blue, bool alpha) {
    glColorMask(red, green, blue, alpha);
    return CheckGlError("GlContext::SetColorMask");
}

ResultCode GlContext::EnableBlend(bool enable) { return SetCapability(GL_BLEND, enable, "GlContext::EnableBlend"); }

ResultCode GlContext::SetBlendEquation(BlendEquation rgb, BlendEquation alpha) {
    constexpr const char* kOperation = "GlContext::SetBlendEquation";
    for (BlendEquation equation : {rgb, alpha})
        if (!IsValidEnum(equation, TableSize(kBlendEquations), kOperation, "BlendEquation"))
            return ResultCode::InvalidEnum;
    glBlendEquationSeparate(kBlendEquations[static_cast<int32_t>(rgb)], kBlendEquations[static_cast<int32_t>(alpha)]);
    return CheckGlError(kOperation);
}

ResultCode GlContext::SetBlendFunc(BlendFactor srcRgb, BlendFactor dstRgb, BlendFactor srcAlpha, BlendFactor dstAlpha) {
    constexpr const char* kOperation = "GlContext::SetBlendFunc";
    for (BlendFactor factor : {srcRgb, dstRgb, srcAlpha, dstAlpha})
        if (!IsValidEnum(factor, TableSize(kBlendFactors), kOperation, "BlendFactor")) return ResultCode::InvalidEnum;
    glBlendFuncSeparate(kBlendFactors[static_cast<int32_t>(srcRgb)], kBlendFactors[static_cast<int32_t>(dstRgb)],
                        kBlendFactors[static_cast<int32_t>(srcAlpha)], kBlendFactors[static_cast<int32_t>(dstAlpha)]);
    return CheckGlError(kOperation);
}

// Blend colour shares its check name with SetBlendFunc: hosts filter both under one name.
ResultCode GlContext::SetBlendColor(const float rgba[4]) {
    constexpr const char* kOperation = "GlContext::SetBlendFunc";
    if (rgba == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null blend colour", kOperation);
        return ResultCode::InvalidValue;
    }
    glBlendColor(rgba[0], rgba[1], rgba[2], rgba[3]);
    return CheckGlError(kOperation);
}

ResultCode GlContext::SetTriangleFillMode(FillMode mode) {
    constexpr const char* kOperation = "GlContext::SetTriangleFillMode";
    if (!IsValidEnum(mode, TableSize(kFillModes), kOperation, "FillMode")) return ResultCode::InvalidEnum;
    glPolygonMode(GL_FRONT_AND_BACK, kFillModes[static_cast<int32_t>(mode)]);
    return CheckGlError(kOperation);
}

// The index is not checked here: GL refuses one at or above GL_MAX_CLIP_DISTANCES with GL_INVALID_ENUM.
ResultCode GlContext::EnableClipDistance(uint32_t index, bool enable) {
    return SetCapability(GL_CLIP_DISTANCE0 + index, enable, "GlContext::EnableClipDistance");
}

ResultCode GlContext::SetPatchParameter(PatchParameter parameter, const int32_t* values) {
    constexpr const char* kOperation = "GlContext::SetPatchParameter";
    if (parameter != PatchParameter::PatchVertices) return ResultCode::InvalidEnum;  // silently, no GL call
    if (values == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null values", kOperation);
        return ResultCode::InvalidValue;
    }
    glPatchParameteri(GL_PATCH_VERTICES, values[0]);
    return CheckGlError(kOperation);
}

}  // namespace vindra
