// Render state through the public API: every setter is read back from GL with raw GL queries.
#include "gl_test.h"

using namespace vindra;
using namespace vindra_test;
using Messages = std::vector<Message>;

namespace {

// A row's name is the call it makes.
using C = Context&;
#define SET(...) #__VA_ARGS__, [](C c, int32_t v) { return c.__VA_ARGS__; }
#define CALL(...) #__VA_ARGS__, [](C c) { return c.__VA_ARGS__; }
constexpr ResultCode kOk = ResultCode::Success, kBadEnum = ResultCode::InvalidEnum;
constexpr ResultCode kBadValue = ResultCode::InvalidValue;

// GL's enums in the order of the library's values.
// clang-format off
const std::vector<GLenum> kFuncs = {GL_NEVER, GL_LESS, GL_EQUAL, GL_LEQUAL, GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
const std::vector<GLenum> kOps = {GL_KEEP, GL_ZERO, GL_REPLACE, GL_INCR, GL_INCR_WRAP, GL_DECR, GL_DECR_WRAP, GL_INVERT};
const std::vector<GLenum> kEquations = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
const std::vector<GLenum> kFactors = {GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_DST_COLOR,
    GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA,
    GL_CONSTANT_COLOR, GL_ONE_MINUS_CONSTANT_COLOR, GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA,
    GL_SRC_ALPHA_SATURATE, GL_SRC1_COLOR, GL_ONE_MINUS_SRC1_COLOR, GL_SRC1_ALPHA, GL_ONE_MINUS_SRC1_ALPHA};
// clang-format on
// The other arguments of a row differ from GL's initial state, so that a refused call applying them shows.
constexpr StencilOp kInvert = StencilOp::Invert;
constexpr BlendEquation kMax = BlendEquation::Max;
constexpr BlendFactor kSrc = BlendFactor::SrcColor;

// Sets library value v; every value read from `reads` is then expected[v]. Each argument position has its
// own row, so swapped arguments show.
using EnumRow = std::tuple<const char*, ResultCode (*)(C, int32_t), std::vector<GLenum>, std::vector<GLenum>>;
const EnumRow kEnums[] = {
    {SET(SetDepthFunc(CompareFunc(v))), {GL_DEPTH_FUNC}, kFuncs},
    {SET(SetStencilFunc(CompareFunc(v), 1, 0x0F)), {GL_STENCIL_FUNC, GL_STENCIL_BACK_FUNC}, kFuncs},
    {SET(SetStencilOp(StencilOp(v), kInvert, kInvert)), {GL_STENCIL_FAIL, GL_STENCIL_BACK_FAIL}, kOps},
    {SET(SetStencilOp(kInvert, StencilOp(v), kInvert)), {GL_STENCIL_PASS_DEPTH_FAIL}, kOps},
    {SET(SetStencilOp(kInvert, kInvert, StencilOp(v))), {GL_STENCIL_PASS_DEPTH_PASS}, kOps},
    {SET(SetBlendEquation(BlendEquation(v), kMax)), {GL_BLEND_EQUATION_RGB}, kEquations},
    {SET(SetBlendEquation(kMax, BlendEquation(v))), {GL_BLEND_EQUATION_ALPHA}, kEquations},
    {SET(SetBlendFunc(BlendFactor(v), kSrc, kSrc, kSrc)), {GL_BLEND_SRC_RGB}, kFactors},
    {SET(SetBlendFunc(kSrc, BlendFactor(v), kSrc, kSrc)), {GL_BLEND_DST_RGB}, kFactors},
    {SET(SetBlendFunc(kSrc, kSrc, BlendFactor(v), kSrc)), {GL_BLEND_SRC_ALPHA}, kFactors},
    {SET(SetBlendFunc(kSrc, kSrc, kSrc, BlendFactor(v))), {GL_BLEND_DST_ALPHA}, kFactors},
    {SET(SetTriangleFillMode(FillMode(v))), {GL_POLYGON_MODE}, {GL_FILL, GL_LINE}},  // front and back
};

// In order on one context: each row starts from the state the rows above left. A refused call leaves the
// state as it was; its message follows "GlContext::".
struct StateRow {
    const char* name;
    ResultCode (*call)(C);
    std::vector<GLenum> reads;
    std::vector<float> values;
    ResultCode result = ResultCode::Success;
    std::string message = "";
};
const std::vector<GLenum> kCaps = {GL_SCISSOR_TEST, GL_DEPTH_TEST,     GL_STENCIL_TEST,
                                   GL_BLEND,        GL_CLIP_DISTANCE0, GL_CLIP_DISTANCE2};
const float kBlendColor[5] = {0.5f, 0.25f, 1, 0.75f, 0};  // the fifth must not be read
constexpr PatchParameter kPatch = PatchParameter::PatchVertices;
const int32_t kFour[] = {4}, kFive[] = {5};  // GL starts at 3
const StateRow kRoundTrips[] = {
    {CALL(SetViewPort(10, 20, 300, 400)), {GL_VIEWPORT}, {10, 20, 300, 400}},
    {CALL(SetViewPort(0, 0, -1, 10)), {GL_VIEWPORT}, {10, 20, 300, 400}, kBadValue, "SetViewPort: GL_INVALID_VALUE"},
    {CALL(SetScissorRect(1, 2, 30, 40)), {GL_SCISSOR_BOX}, {1, 2, 30, 40}},
    {CALL(EnableScissor(true)), kCaps, {1, 0, 0, 0, 0, 0}},
    {CALL(EnableDepthTest(true)), kCaps, {1, 1, 0, 0, 0, 0}},
    {CALL(EnableStencilTest(true)), kCaps, {1, 1, 1, 0, 0, 0}},
    {CALL(EnableBlend(true)), kCaps, {1, 1, 1, 1, 0, 0}},
    {CALL(EnableClipDistance(2, true)), kCaps, {1, 1, 1, 1, 0, 1}},
    {CALL(EnableScissor(false)), kCaps, {0, 1, 1, 1, 0, 1}},
    {CALL(SetDepthMask(false)), {GL_DEPTH_WRITEMASK}, {0}},
    // Together the two masks tell every pair of channels apart.
    {CALL(SetColorMask(true, true, false, false)), {GL_COLOR_WRITEMASK}, {1, 1, 0, 0}},
    {CALL(SetColorMask(true, false, true, false)), {GL_COLOR_WRITEMASK}, {1, 0, 1, 0}},
    // GL clamps the reference it reports to the stencil bits, and the window has none: the mask tells the
    // arguments apart.
    {CALL(SetStencilFunc(CompareFunc::Equal, 5, 0x0F)), {GL_STENCIL_VALUE_MASK}, {15}},
    {CALL(SetBlendColor(kBlendColor)), {GL_BLEND_COLOR}, {.5, .25, 1, .75}},
    {CALL(SetBlendColor(nullptr)), {GL_BLEND_COLOR}, {.5, .25, 1, .75}, kBadValue, "SetBlendFunc: null blend colour"},
    {CALL(SetPatchParameter(kPatch, kFour)), {GL_PATCH_VERTICES}, {4}},
    {CALL(SetPatchParameter(PatchParameter(1), kFive)), {GL_PATCH_VERTICES}, {4}, kBadEnum},  // without a message
    {CALL(SetPatchParameter(kPatch, nullptr)), {GL_PATCH_VERTICES}, {4}, kBadValue, "SetPatchParameter: null values"},
};

using RenderState = ContextTest;

TEST_F(RenderState, EachEnumerationValueReachesGlAsItsEnumAndNoOtherIsTaken) {
    std::vector<GLenum> watched;  // every state a row sets
    for (const auto& [name, set, reads, expected] : kEnums) watched.insert(watched.end(), reads.begin(), reads.end());
    for (const auto& [rowName, set, reads, expected] : kEnums) {
        const std::vector<float> initial = GetValues(watched);
        for (int32_t bad : {-1, int32_t(expected.size())}) {
            SCOPED_TRACE(std::string(rowName) + " with v = " + std::to_string(bad));
            EXPECT_EQ(set(*context, bad), kBadEnum);
            // The refusal names the operation and the enumeration type as the row writes them.
            const std::string name = rowName, type = name.substr(0, name.find("(v)"));
            ExpectMessages({{kError, "GlContext::" + name.substr(0, name.find('(')) + ": invalid " +
                                         type.substr(type.find_last_of("( ") + 1) + " " + std::to_string(bad)}});
            EXPECT_EQ(GetValues(watched), initial);
        }
        for (size_t value = 0; value < expected.size(); ++value) {
            SCOPED_TRACE(std::string(rowName) + " with v = " + std::to_string(value));
            ASSERT_EQ(set(*context, int32_t(value)), kOk);
            const std::vector<float> read = GetValues(reads);
            EXPECT_EQ(read, std::vector<float>(read.size(), float(expected[value])));
        }
    }
    ExpectMessages({});
}

TEST_F(RenderState, OperationsLeaveTheirStateInGl) {
    for (const StateRow& row : kRoundTrips) {
        SCOPED_TRACE(row.name);
        EXPECT_EQ(row.call(*context), row.result);
        ExpectMessages(row.message.empty() ? Messages{} : Messages{{kError, "GlContext::" + row.message}});
        EXPECT_EQ(GetValues(row.reads), row.values);
    }
    // An error that an unchecked call left is taken by the next check; the blend colour checks under
    // SetBlendFunc's name.
    glEnable(0xFFFF);
    EXPECT_EQ(context->SetBlendColor(kBlendColor), kBadEnum);
    ExpectMessages({{kError, "GlContext::SetBlendFunc: GL_INVALID_ENUM"}});
}

}  // namespace
