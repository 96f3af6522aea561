// Render state through the public API: every setter is read back from GL with raw GL queries.
#include <GL/glew.h>
#include <gtest/gtest.h>

// After gtest: Xlib's None and Bool macros clash with its names.
#include "gl_test.h"

#include <climits>
#include <string>
#include <tuple>
#include <vector>

using namespace vindra;
using vindra_test::Get;
using vindra_test::GetValues;
using vindra_test::kError;
using Messages = std::vector<vindra_test::Message>;

namespace {

using C = Context&;
// A row's name is the call it makes.
#define SET(...) #__VA_ARGS__, [](C c, int32_t v) { return c.__VA_ARGS__; }
#define CALL(...) #__VA_ARGS__, [](C c) { return c.__VA_ARGS__; }

const std::vector<GLenum> kCompares = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                       GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
const std::vector<GLenum> kStencilOps = {GL_KEEP,      GL_ZERO, GL_REPLACE,   GL_INCR,
                                         GL_INCR_WRAP, GL_DECR, GL_DECR_WRAP, GL_INVERT};
const std::vector<GLenum> kEquations = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
const std::vector<GLenum> kFactors = {GL_ZERO,
                                      GL_ONE,
                                      GL_SRC_COLOR,
                                      GL_ONE_MINUS_SRC_COLOR,
                                      GL_DST_COLOR,
                                      GL_ONE_MINUS_DST_COLOR,
                                      GL_SRC_ALPHA,
                                      GL_ONE_MINUS_SRC_ALPHA,
                                      GL_DST_ALPHA,
                                      GL_ONE_MINUS_DST_ALPHA,
                                      GL_CONSTANT_COLOR,
                                      GL_ONE_MINUS_CONSTANT_COLOR,
                                      GL_CONSTANT_ALPHA,
                                      GL_ONE_MINUS_CONSTANT_ALPHA,
                                      GL_SRC_ALPHA_SATURATE,
                                      GL_SRC1_COLOR,
                                      GL_ONE_MINUS_SRC1_COLOR,
                                      GL_SRC1_ALPHA,
                                      GL_ONE_MINUS_SRC1_ALPHA};
// The other arguments of a row differ from GL's initial state, so that a refused call applying them shows.
constexpr StencilOp invert = StencilOp::Invert;
constexpr BlendEquation maximum = BlendEquation::Max;
constexpr BlendFactor srcColor = BlendFactor::SrcColor;
const char* const kBadStencilOp = "GlContext::SetStencilOp: invalid StencilOp";
const char* const kBadEquation = "GlContext::SetBlendEquation: invalid BlendEquation";
const char* const kBadFactor = "GlContext::SetBlendFunc: invalid BlendFactor";

// Sets library value v; every value read from `reads` is then expected[v]. Each argument position of the
// multi-argument setters has its own row, so swapped arguments show. Values outside the table are refused
// with `refusal` and the value, and change no GL state at all.
struct EnumRow {
    const char* name;
    ResultCode (*set)(C, int32_t);
    std::vector<GLenum> reads, expected;
    const char* refusal;
};
const EnumRow kEnums[] = {
    {SET(SetDepthFunc(CompareFunc(v))), {GL_DEPTH_FUNC}, kCompares, "GlContext::SetDepthFunc: invalid CompareFunc"},
    {SET(SetStencilFunc(CompareFunc(v), 1, 0x0F)),
     {GL_STENCIL_FUNC, GL_STENCIL_BACK_FUNC},
     kCompares,
     "GlContext::SetStencilFunc: invalid CompareFunc"},
    {SET(SetStencilOp(StencilOp(v), invert, invert)),
     {GL_STENCIL_FAIL, GL_STENCIL_BACK_FAIL},
     kStencilOps,
     kBadStencilOp},
    {SET(SetStencilOp(invert, StencilOp(v), invert)),
     {GL_STENCIL_PASS_DEPTH_FAIL, GL_STENCIL_BACK_PASS_DEPTH_FAIL},
     kStencilOps,
     kBadStencilOp},
    {SET(SetStencilOp(invert, invert, StencilOp(v))),
     {GL_STENCIL_PASS_DEPTH_PASS, GL_STENCIL_BACK_PASS_DEPTH_PASS},
     kStencilOps,
     kBadStencilOp},
    {SET(SetBlendEquation(BlendEquation(v), maximum)), {GL_BLEND_EQUATION_RGB}, kEquations, kBadEquation},
    {SET(SetBlendEquation(maximum, BlendEquation(v))), {GL_BLEND_EQUATION_ALPHA}, kEquations, kBadEquation},
    {SET(SetBlendFunc(BlendFactor(v), srcColor, srcColor, srcColor)), {GL_BLEND_SRC_RGB}, kFactors, kBadFactor},
    {SET(SetBlendFunc(srcColor, BlendFactor(v), srcColor, srcColor)), {GL_BLEND_DST_RGB}, kFactors, kBadFactor},
    {SET(SetBlendFunc(srcColor, srcColor, BlendFactor(v), srcColor)), {GL_BLEND_SRC_ALPHA}, kFactors, kBadFactor},
    {SET(SetBlendFunc(srcColor, srcColor, srcColor, BlendFactor(v))), {GL_BLEND_DST_ALPHA}, kFactors, kBadFactor},
    {SET(SetTriangleFillMode(FillMode(v))),
     {GL_POLYGON_MODE},
     {GL_FILL, GL_LINE},  // front and back
     "GlContext::SetTriangleFillMode: invalid FillMode"},
};
const std::vector<GLenum> kWatched = {GL_DEPTH_FUNC,
                                      GL_STENCIL_FUNC,
                                      GL_STENCIL_VALUE_MASK,
                                      GL_STENCIL_FAIL,
                                      GL_STENCIL_PASS_DEPTH_FAIL,
                                      GL_STENCIL_PASS_DEPTH_PASS,
                                      GL_BLEND_EQUATION_RGB,
                                      GL_BLEND_EQUATION_ALPHA,
                                      GL_BLEND_SRC_RGB,
                                      GL_BLEND_DST_RGB,
                                      GL_BLEND_SRC_ALPHA,
                                      GL_BLEND_DST_ALPHA,
                                      GL_POLYGON_MODE};

// A call, its result and message, and the GL state it leaves: `reads` then hold `values`.
struct StateRow {
    const char* name;
    ResultCode (*call)(C);
    ResultCode result;
    const char* message;
    std::vector<GLenum> reads;
    std::vector<float> values;
};
constexpr ResultCode kOk = ResultCode::Success, kBadEnum = ResultCode::InvalidEnum;
constexpr ResultCode kBadValue = ResultCode::InvalidValue;
const std::vector<GLenum> kCaps = {GL_SCISSOR_TEST, GL_DEPTH_TEST,     GL_STENCIL_TEST,
                                   GL_BLEND,        GL_CLIP_DISTANCE0, GL_CLIP_DISTANCE2};
const float kBlendColor[4] = {0.25f, 0.5f, 0.75f, 1.0f}, kOtherBlendColor[4] = {1.0f, 0.75f, 0.5f, 0.0f};
const int32_t kFour[] = {4}, kFive[] = {5};  // GL starts at 3
// In order on one context: each row starts from the state the rows above left.
const StateRow kRoundTrips[] = {
    {CALL(SetViewPort(10, 20, 300, 400)), kOk, nullptr, {GL_VIEWPORT}, {10, 20, 300, 400}},
    {CALL(SetViewPort(0, 0, -1, 10)),
     kBadValue,
     "GlContext::SetViewPort: GL_INVALID_VALUE",
     {GL_VIEWPORT},
     {10, 20, 300, 400}},
    {CALL(SetScissorRect(1, 2, 30, 40)), kOk, nullptr, {GL_SCISSOR_BOX}, {1, 2, 30, 40}},
    {CALL(SetScissorRect(0, 0, 5, -1)),
     kBadValue,
     "GlContext::SetScissorRect: GL_INVALID_VALUE",
     {GL_SCISSOR_BOX},
     {1, 2, 30, 40}},
    {CALL(EnableScissor(true)), kOk, nullptr, kCaps, {1, 0, 0, 0, 0, 0}},
    {CALL(EnableDepthTest(true)), kOk, nullptr, kCaps, {1, 1, 0, 0, 0, 0}},
    {CALL(EnableStencilTest(true)), kOk, nullptr, kCaps, {1, 1, 1, 0, 0, 0}},
    {CALL(EnableBlend(true)), kOk, nullptr, kCaps, {1, 1, 1, 1, 0, 0}},
    {CALL(EnableClipDistance(2, true)), kOk, nullptr, kCaps, {1, 1, 1, 1, 0, 1}},
    {CALL(EnableScissor(false)), kOk, nullptr, kCaps, {0, 1, 1, 1, 0, 1}},
    {CALL(EnableDepthTest(false)), kOk, nullptr, kCaps, {0, 0, 1, 1, 0, 1}},
    {CALL(EnableStencilTest(false)), kOk, nullptr, kCaps, {0, 0, 0, 1, 0, 1}},
    {CALL(EnableBlend(false)), kOk, nullptr, kCaps, {0, 0, 0, 0, 0, 1}},
    {CALL(EnableClipDistance(2, false)), kOk, nullptr, kCaps, {0, 0, 0, 0, 0, 0}},
    // The index is GL's to refuse.
    {CALL(EnableClipDistance(uint32_t(Get(GL_MAX_CLIP_DISTANCES)), true)),
     kBadEnum,
     "GlContext::EnableClipDistance: GL_INVALID_ENUM",
     kCaps,
     {0, 0, 0, 0, 0, 0}},
    {CALL(SetDepthMask(false)), kOk, nullptr, {GL_DEPTH_WRITEMASK}, {0}},
    {CALL(SetDepthMask(true)), kOk, nullptr, {GL_DEPTH_WRITEMASK}, {1}},
    // Together the two masks tell every pair of channels apart.
    {CALL(SetColorMask(true, true, false, false)), kOk, nullptr, {GL_COLOR_WRITEMASK}, {1, 1, 0, 0}},
    {CALL(SetColorMask(true, false, true, false)), kOk, nullptr, {GL_COLOR_WRITEMASK}, {1, 0, 1, 0}},
    {CALL(SetStencilFunc(CompareFunc::Equal, 5, 0x0F)),
     kOk,
     nullptr,
     {GL_STENCIL_REF, GL_STENCIL_BACK_REF, GL_STENCIL_VALUE_MASK, GL_STENCIL_BACK_VALUE_MASK},
     {5, 5, 15, 15}},
    {CALL(SetBlendColor(kBlendColor)), kOk, nullptr, {GL_BLEND_COLOR}, {0.25f, 0.5f, 0.75f, 1.0f}},
    {CALL(SetBlendColor(nullptr)),
     kBadValue,
     "GlContext::SetBlendFunc: null blend colour",
     {GL_BLEND_COLOR},
     {0.25f, 0.5f, 0.75f, 1.0f}},
    // An error that an unchecked call left is taken by the next check; the blend colour checks under
    // SetBlendFunc's name.
    {"glEnable(0xFFFF), SetBlendColor",
     [](C c) {
         glEnable(0xFFFF);
         return c.SetBlendColor(kOtherBlendColor);
     },
     kBadEnum,
     "GlContext::SetBlendFunc: GL_INVALID_ENUM",
     {GL_BLEND_COLOR},
     {1.0f, 0.75f, 0.5f, 0.0f}},
    {CALL(SetPatchParameter(PatchParameter::PatchVertices, kFour)), kOk, nullptr, {GL_PATCH_VERTICES}, {4}},
    {CALL(SetPatchParameter(PatchParameter(1), kFive)), kBadEnum, nullptr, {GL_PATCH_VERTICES}, {4}},  // no message
    {CALL(SetPatchParameter(PatchParameter::PatchVertices, nullptr)),
     kBadValue,
     "GlContext::SetPatchParameter: null values",
     {GL_PATCH_VERTICES},
     {4}},
};

using RenderState = vindra_test::ContextTest;

TEST_F(RenderState, EachEnumerationValueReachesGlAsItsEnumAndNoOtherIsTaken) {
    for (const EnumRow& row : kEnums) {
        const std::vector<float> initial = GetValues(kWatched);
        for (int32_t bad : {-1, INT_MIN, int32_t(row.expected.size())}) {
            SCOPED_TRACE(std::string(row.name) + " with v = " + std::to_string(bad));
            EXPECT_EQ(row.set(*context, bad), kBadEnum);
            ExpectMessages({{kError, row.refusal + (" " + std::to_string(bad))}});
            EXPECT_EQ(GetValues(kWatched), initial);
        }
        for (size_t value = 0; value < row.expected.size(); ++value) {
            SCOPED_TRACE(std::string(row.name) + " with v = " + std::to_string(value));
            ASSERT_EQ(row.set(*context, int32_t(value)), kOk);
            const std::vector<float> read = GetValues(row.reads);
            EXPECT_EQ(read, std::vector<float>(read.size(), float(row.expected[value])));
        }
    }
    ExpectMessages({});
}

TEST_F(RenderState, OperationsLeaveTheirStateInGl) {
    // GL clamps the stencil reference to the stencil bits on query, and the window has none: read it
    // back through a framebuffer with an 8-bit stencil buffer (deleted with the context).
    GLuint framebuffer = 0, renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, 4, 4);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
    ASSERT_EQ(Get(GL_STENCIL_BITS), 8);
    for (const StateRow& row : kRoundTrips) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.call(*context), row.result);
        ExpectMessages(row.message ? Messages{{kError, row.message}} : Messages{});
        EXPECT_EQ(GetValues(row.reads), row.values);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// The getters read GL, not a copy of their own. Each output but a null one is written; the null one is
// reported.
TEST_F(RenderState, GettersReadGl) {
    glViewport(1, 2, 33, 44);
    glScissor(5, 6, 77, 88);
    using Getter = ResultCode (Context::*)(int32_t*, int32_t*, int32_t*, int32_t*);
    const std::tuple<Getter, std::string, std::vector<int32_t>> getters[] = {
        {&Context::GetViewPort, "GetViewPort", {1, 2, 33, 44}},
        {&Context::GetScissorRect, "GetScissorRect", {5, 6, 77, 88}}};
    for (const auto& [get, name, values] : getters) {
        for (int null = -1; null < 4; ++null) {
            SCOPED_TRACE(name + " with null output " + std::to_string(null));
            int32_t out[4] = {-1, -1, -1, -1}, *to[4] = {&out[0], &out[1], &out[2], &out[3]};
            std::vector<int32_t> expected = values;
            if (null >= 0) {
                to[null] = nullptr;
                expected[null] = -1;
            }
            EXPECT_EQ((*context.*get)(to[0], to[1], to[2], to[3]), null < 0 ? kOk : kBadValue);
            EXPECT_EQ(std::vector<int32_t>(out, out + 4), expected);
            ExpectMessages(null < 0 ? Messages{} : Messages{{kError, "GlContext::" + name + ": null output pointer"}});
        }
    }
    for (bool on : {true, false}) {
        on ? glEnable(GL_SCISSOR_TEST) : glDisable(GL_SCISSOR_TEST);
        EXPECT_EQ(context->IsScissorEnabled(), on);
    }
}

}  // namespace
