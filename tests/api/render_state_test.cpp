// Render state through the public API: every setter is read back from GL with raw GL queries.
#include "gl_test.h"

using namespace vindra;
using namespace vindra_test;

namespace {

// clang-format off
// A row's name is the call it makes.
#define SET(...) #__VA_ARGS__, [](Context& c, int32_t v) { return c.__VA_ARGS__; }
#define CALL(...) #__VA_ARGS__, [](Context& c) { return c.__VA_ARGS__; }
constexpr ResultCode kOk = ResultCode::Success, kBadEnum = ResultCode::InvalidEnum, kBadValue = ResultCode::InvalidValue;

// GL's enums in the order of the library's values.
const std::vector<GLenum> kFuncs = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
const std::vector<GLenum> kOps = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_INCR_WRAP, GL_DECR, GL_DECR_WRAP, GL_INVERT};
const std::vector<GLenum> kEquations = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
const std::vector<GLenum> kFactors = {GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA,
    GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_CONSTANT_COLOR, GL_ONE_MINUS_CONSTANT_COLOR, GL_CONSTANT_ALPHA,
    GL_ONE_MINUS_CONSTANT_ALPHA, GL_SRC_ALPHA_SATURATE, GL_SRC1_COLOR, GL_ONE_MINUS_SRC1_COLOR, GL_SRC1_ALPHA, GL_ONE_MINUS_SRC1_ALPHA};

// Sets library value v; every value read from `reads` is then expected[v]. Each argument position has its
// own row, so swapped arguments show; the other arguments differ from GL's initial state, so that a refused
// call applying them shows.
const std::tuple<const char*, ResultCode (*)(Context&, int32_t), std::vector<GLenum>, std::vector<GLenum>> kEnums[] = {
    {SET(SetDepthFunc(CompareFunc(v))), {GL_DEPTH_FUNC}, kFuncs},
    {SET(SetStencilFunc(CompareFunc(v), 1, 0x0F)), {GL_STENCIL_FUNC, GL_STENCIL_BACK_FUNC}, kFuncs},
    {SET(SetStencilOp(StencilOp(v), StencilOp::Invert, StencilOp::Invert)), {GL_STENCIL_FAIL, GL_STENCIL_BACK_FAIL}, kOps},
    {SET(SetStencilOp(StencilOp::Invert, StencilOp(v), StencilOp::Invert)), {GL_STENCIL_PASS_DEPTH_FAIL}, kOps},
    {SET(SetStencilOp(StencilOp::Invert, StencilOp::Invert, StencilOp(v))), {GL_STENCIL_PASS_DEPTH_PASS}, kOps},
    {SET(SetBlendEquation(BlendEquation(v), BlendEquation::Max)), {GL_BLEND_EQUATION_RGB}, kEquations},
    {SET(SetBlendEquation(BlendEquation::Max, BlendEquation(v))), {GL_BLEND_EQUATION_ALPHA}, kEquations},
    {SET(SetBlendFunc(BlendFactor(v), BlendFactor::SrcColor, BlendFactor::SrcColor, BlendFactor::SrcColor)), {GL_BLEND_SRC_RGB}, kFactors},
    {SET(SetBlendFunc(BlendFactor::SrcColor, BlendFactor(v), BlendFactor::SrcColor, BlendFactor::SrcColor)), {GL_BLEND_DST_RGB}, kFactors},
    {SET(SetBlendFunc(BlendFactor::SrcColor, BlendFactor::SrcColor, BlendFactor(v), BlendFactor::SrcColor)), {GL_BLEND_SRC_ALPHA}, kFactors},
    {SET(SetBlendFunc(BlendFactor::SrcColor, BlendFactor::SrcColor, BlendFactor::SrcColor, BlendFactor(v))), {GL_BLEND_DST_ALPHA}, kFactors},
    {SET(SetTriangleFillMode(FillMode(v))), {GL_POLYGON_MODE}, {GL_FILL, GL_LINE}},  // front and back
};

// In order on one context: each row starts from the state the rows above left. A refused call leaves the
// state as it was; its message follows "GlContext::".
const std::vector<GLenum> kCaps = {GL_SCISSOR_TEST, GL_DEPTH_TEST, GL_STENCIL_TEST, GL_BLEND, GL_CLIP_DISTANCE0, GL_CLIP_DISTANCE2};
const float kBlendColor[5] = {0.5f, 0.25f, 1, 0.75f, 0};  // the fifth must not be read
const int32_t kFour[] = {4}, kFive[] = {5};  // GL starts at 3
const std::tuple<const char*, ResultCode (*)(Context&), std::vector<GLenum>, std::vector<float>, ResultCode, std::string> kRoundTrips[] = {
    {CALL(SetViewPort(10, 20, 300, 400)), {GL_VIEWPORT}, {10, 20, 300, 400}, kOk, ""},
    {CALL(SetViewPort(0, 0, -1, 10)), {GL_VIEWPORT}, {10, 20, 300, 400}, kBadValue, "SetViewPort: GL_INVALID_VALUE"},
    {CALL(SetScissorRect(1, 2, 30, 40)), {GL_SCISSOR_BOX}, {1, 2, 30, 40}, kOk, ""},
    // Each capability is told apart from the others.
    {"EnableScissor, EnableDepthTest, EnableBlend, EnableClipDistance(2)", [](Context& c) { c.EnableScissor(true), c.EnableDepthTest(true), c.EnableBlend(true); return c.EnableClipDistance(2, true); }, kCaps, {1, 1, 0, 1, 0, 1}, kOk, ""},
    {"EnableStencilTest, EnableScissor(false)", [](Context& c) { c.EnableStencilTest(true); return c.EnableScissor(false); }, kCaps, {0, 1, 1, 1, 0, 1}, kOk, ""},
    {CALL(SetDepthMask(false)), {GL_DEPTH_WRITEMASK}, {0}, kOk, ""},
    // Together the two masks tell every pair of channels apart.
    {CALL(SetColorMask(true, true, false, false)), {GL_COLOR_WRITEMASK}, {1, 1, 0, 0}, kOk, ""},
    {CALL(SetColorMask(true, false, true, false)), {GL_COLOR_WRITEMASK}, {1, 0, 1, 0}, kOk, ""},
    // GL clamps the reference it reports to the stencil bits, and the window has none: the mask tells the arguments apart.
    {CALL(SetStencilFunc(CompareFunc::Equal, 5, 0x0F)), {GL_STENCIL_VALUE_MASK}, {15}, kOk, ""},
    {CALL(SetBlendColor(kBlendColor)), {GL_BLEND_COLOR}, {.5, .25, 1, .75}, kOk, ""},
    {CALL(SetBlendColor(nullptr)), {GL_BLEND_COLOR}, {.5, .25, 1, .75}, kBadValue, "SetBlendFunc: null blend colour"},
    // An error that an unchecked call left is taken by the next check, under SetBlendFunc's name here.
    {"left error", [](Context& c) { glEnable(0xFFFF); return c.SetBlendColor(kBlendColor); }, {GL_BLEND_COLOR}, {.5, .25, 1, .75}, kBadEnum, "SetBlendFunc: GL_INVALID_ENUM"},
    {CALL(SetPatchParameter(PatchParameter::PatchVertices, kFour)), {GL_PATCH_VERTICES}, {4}, kOk, ""},
    {CALL(SetPatchParameter(PatchParameter(1), kFive)), {GL_PATCH_VERTICES}, {4}, kBadEnum, ""},
    {CALL(SetPatchParameter(PatchParameter::PatchVertices, nullptr)), {GL_PATCH_VERTICES}, {4}, kBadValue, "SetPatchParameter: null values"},
};
// clang-format on

using RenderState = ContextTest;

TEST_F(RenderState, SettersLeaveTheirStateInGlAndRefusalsLeaveItAsItWas) {
    std::vector<GLenum> watched;  // every state an enumeration row sets
    for (const auto& [name, set, reads, expected] : kEnums) watched.insert(watched.end(), reads.begin(), reads.end());
    for (const auto& [rowName, set, reads, expected] : kEnums) {
        // The refusal names the operation and the enumeration type as the row writes them.
        const std::string name = rowName, type = name.substr(0, name.find("(v)"));
        const std::string refusal = "GlContext::" + name.substr(0, name.find('(')) + ": invalid " +
                                    type.substr(type.find_last_of("( ") + 1) + " ";
        for (int32_t v = -1; v <= int32_t(expected.size()); ++v) {
            SCOPED_TRACE(name + " with v = " + std::to_string(v));
            const bool bad = v < 0 || v == int32_t(expected.size());
            const std::vector<float> before = GetValues(watched);
            EXPECT_EQ(set(*context, v), bad ? kBadEnum : kOk);
            ExpectMessages(OneOrNone(bad ? refusal + std::to_string(v) : ""));
            const std::vector<float> read = GetValues(bad ? watched : reads);
            EXPECT_EQ(read, bad ? before : std::vector<float>(read.size(), float(expected[v])));
        }
    }
    for (const auto& [name, call, reads, values, result, message] : kRoundTrips) {
        SCOPED_TRACE(name);
        EXPECT_EQ(call(*context), result);
        ExpectMessages(OneOrNone(message.empty() ? "" : "GlContext::" + message));
        EXPECT_EQ(GetValues(reads), values);
    }
}

}  // namespace
