// Render state through the public API: every setter is read back from GL with raw GL queries.
#include <GL/glew.h>
#include <gtest/gtest.h>

// After gtest: Xlib's None and Bool macros clash with its names.
#include "test_context.h"

#include <climits>
#include <initializer_list>
#include <string>
#include <utility>
#include <vector>

#include "message_capture.h"

using namespace vindra;
using vindra_test::Message;

namespace {

constexpr int kError = 4;
using C = Context&;

GLint Get(GLenum pname) { GLint value = -1; glGetIntegerv(pname, &value); return value; }
std::vector<GLint> GetAll(std::initializer_list<GLenum> pnames) {
    std::vector<GLint> values;
    for (GLenum pname : pnames) values.push_back(Get(pname));
    return values;
}
// Up to four values of multi-valued state (GL_VIEWPORT, GL_POLYGON_MODE); -1 where GL wrote none.
std::vector<GLint> Get4(GLenum pname) {
    std::vector<GLint> values(4, -1);
    glGetIntegerv(pname, values.data());
    return values;
}

class RenderStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = vindra_test::CreateHeadless();
        ASSERT_NE(context, nullptr) << vindra_test::Describe(messages.Peek());
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
        messages.Clear();
    }
    void ExpectMessages(const std::vector<Message>& expected) {
        std::vector<Message> taken = messages.Take();
        EXPECT_EQ(taken, expected) << vindra_test::Describe(taken);
    }

    vindra_test::MessageCapture messages;  // outlives the context
    vindra_test::ContextPtr context;
};

// --- enumerations ---

// Sets library value v; each of `reads` then holds expected[v].
struct EnumCase { const char* operation; ResultCode (*set)(Context&, int32_t); std::vector<GLenum> reads, expected; };

const std::vector<GLenum> kCompareEnums = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                           GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
const std::vector<GLenum> kStencilEnums = {GL_KEEP,      GL_ZERO, GL_REPLACE,   GL_INCR,
                                           GL_INCR_WRAP, GL_DECR, GL_DECR_WRAP, GL_INVERT};
const std::vector<GLenum> kEquationEnums = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
const std::vector<GLenum> kFactorEnums = {
    GL_ZERO, GL_ONE, GL_SRC_COLOR, GL_ONE_MINUS_SRC_COLOR, GL_DST_COLOR, GL_ONE_MINUS_DST_COLOR, GL_SRC_ALPHA,
    GL_ONE_MINUS_SRC_ALPHA, GL_DST_ALPHA, GL_ONE_MINUS_DST_ALPHA, GL_CONSTANT_COLOR, GL_ONE_MINUS_CONSTANT_COLOR,
    GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA, GL_SRC_ALPHA_SATURATE, GL_SRC1_COLOR, GL_ONE_MINUS_SRC1_COLOR,
    GL_SRC1_ALPHA, GL_ONE_MINUS_SRC1_ALPHA};

// Each argument position of the multi-argument setters gets its own row, so swapped arguments show.
TEST_F(RenderStateTest, EveryEnumerationValueReachesGlAsItsEnum) {
    const auto keep = StencilOp::Keep;
    const auto add = BlendEquation::Add;
    const auto zero = BlendFactor::Zero;
    const EnumCase cases[] = {
        {"SetDepthFunc", [](C c, int32_t v) { return c.SetDepthFunc(CompareFunc(v)); }, {GL_DEPTH_FUNC}, kCompareEnums},
        {"SetStencilFunc", [](C c, int32_t v) { return c.SetStencilFunc(CompareFunc(v), 0, 0xFF); },
         {GL_STENCIL_FUNC, GL_STENCIL_BACK_FUNC}, kCompareEnums},
        {"SetStencilOp stencilFail", [](C c, int32_t v) { return c.SetStencilOp(StencilOp(v), keep, keep); },
         {GL_STENCIL_FAIL, GL_STENCIL_BACK_FAIL}, kStencilEnums},
        {"SetStencilOp depthFail", [](C c, int32_t v) { return c.SetStencilOp(keep, StencilOp(v), keep); },
         {GL_STENCIL_PASS_DEPTH_FAIL, GL_STENCIL_BACK_PASS_DEPTH_FAIL}, kStencilEnums},
        {"SetStencilOp depthPass", [](C c, int32_t v) { return c.SetStencilOp(keep, keep, StencilOp(v)); },
         {GL_STENCIL_PASS_DEPTH_PASS, GL_STENCIL_BACK_PASS_DEPTH_PASS}, kStencilEnums},
        {"SetBlendEquation rgb", [](C c, int32_t v) { return c.SetBlendEquation(BlendEquation(v), add); },
         {GL_BLEND_EQUATION_RGB}, kEquationEnums},
        {"SetBlendEquation alpha", [](C c, int32_t v) { return c.SetBlendEquation(add, BlendEquation(v)); },
         {GL_BLEND_EQUATION_ALPHA}, kEquationEnums},
        {"SetBlendFunc srcRgb", [](C c, int32_t v) { return c.SetBlendFunc(BlendFactor(v), zero, zero, zero); },
         {GL_BLEND_SRC_RGB}, kFactorEnums},
        {"SetBlendFunc dstRgb", [](C c, int32_t v) { return c.SetBlendFunc(zero, BlendFactor(v), zero, zero); },
         {GL_BLEND_DST_RGB}, kFactorEnums},
        {"SetBlendFunc srcAlpha", [](C c, int32_t v) { return c.SetBlendFunc(zero, zero, BlendFactor(v), zero); },
         {GL_BLEND_SRC_ALPHA}, kFactorEnums},
        {"SetBlendFunc dstAlpha", [](C c, int32_t v) { return c.SetBlendFunc(zero, zero, zero, BlendFactor(v)); },
         {GL_BLEND_DST_ALPHA}, kFactorEnums},
    };
    for (const EnumCase& row : cases) {
        for (size_t value = 0; value < row.expected.size(); ++value) {
            SCOPED_TRACE(std::string(row.operation) + " value " + std::to_string(value));
            ASSERT_EQ(row.set(*context, int32_t(value)), ResultCode::Success);
            for (GLenum pname : row.reads)
                EXPECT_EQ(Get(pname), GLint(row.expected[value])) << "pname 0x" << std::hex << pname;
        }
    }
    // Front and back faces both take the fill mode.
    for (auto [mode, glMode] : {std::pair{FillMode(0), GL_FILL}, std::pair{FillMode(1), GL_LINE}}) {
        ASSERT_EQ(context->SetTriangleFillMode(mode), ResultCode::Success);
        EXPECT_EQ(Get4(GL_POLYGON_MODE), (std::vector<GLint>{glMode, glMode, -1, -1}));
    }
    ExpectMessages({});
}

// Every refused value is reported under the operation's name and changes no GL state at all, also not
// the valid arguments that came with it.
TEST_F(RenderStateTest, OutOfRangeEnumerationsAreRefusedWithoutTouchingGl) {
    auto snapshot = [] {
        std::vector<GLint> state = GetAll({GL_DEPTH_FUNC, GL_STENCIL_FUNC, GL_STENCIL_REF, GL_STENCIL_VALUE_MASK,
                                        GL_STENCIL_FAIL, GL_STENCIL_PASS_DEPTH_FAIL, GL_STENCIL_PASS_DEPTH_PASS,
                                        GL_BLEND_EQUATION_RGB, GL_BLEND_EQUATION_ALPHA, GL_BLEND_SRC_RGB,
                                        GL_BLEND_DST_RGB, GL_BLEND_SRC_ALPHA, GL_BLEND_DST_ALPHA});
        std::vector<GLint> mode = Get4(GL_POLYGON_MODE);
        state.insert(state.end(), mode.begin(), mode.begin() + 2);
        return state;
    };
    const std::pair<ResultCode (*)(Context&), const char*> calls[] = {
        {[](C c) { return c.SetDepthFunc(CompareFunc(9)); }, "GlContext::SetDepthFunc: invalid CompareFunc 9"},
        {[](C c) { return c.SetDepthFunc(CompareFunc(-1)); }, "GlContext::SetDepthFunc: invalid CompareFunc -1"},
        {[](C c) { return c.SetStencilFunc(CompareFunc(8), 1, 0x0F); }, "GlContext::SetStencilFunc: invalid CompareFunc 8"},
        {[](C c) { return c.SetStencilOp(StencilOp::Replace, StencilOp(8), StencilOp::Invert); },
         "GlContext::SetStencilOp: invalid StencilOp 8"},
        {[](C c) { return c.SetStencilOp(StencilOp::Replace, StencilOp::Invert, StencilOp(-3)); },
         "GlContext::SetStencilOp: invalid StencilOp -3"},
        {[](C c) { return c.SetBlendEquation(BlendEquation::Subtract, BlendEquation(5)); },
         "GlContext::SetBlendEquation: invalid BlendEquation 5"},
        {[](C c) { return c.SetBlendFunc(BlendFactor::SrcColor, BlendFactor::DstColor, BlendFactor::SrcAlpha, BlendFactor(19)); },
         "GlContext::SetBlendFunc: invalid BlendFactor 19"},
        {[](C c) { return c.SetBlendFunc(BlendFactor(INT_MIN), BlendFactor::One, BlendFactor::One, BlendFactor::One); },
         "GlContext::SetBlendFunc: invalid BlendFactor -2147483648"},
        {[](C c) { return c.SetTriangleFillMode(FillMode(-1)); }, "GlContext::SetTriangleFillMode: invalid FillMode -1"},
        {[](C c) { return c.SetTriangleFillMode(FillMode(2)); }, "GlContext::SetTriangleFillMode: invalid FillMode 2"},
    };
    const std::vector<GLint> before = snapshot();
    for (auto [call, message] : calls) {
        SCOPED_TRACE(message);
        EXPECT_EQ(call(*context), ResultCode::InvalidEnum);
        ExpectMessages({{kError, message}});
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// --- plain values ---

TEST_F(RenderStateTest, CapabilitiesSwitchOnlyTheirOwnGlCapability) {
    const std::pair<ResultCode (*)(Context&, bool), GLenum> caps[] = {
        {[](C c, bool on) { return c.EnableScissor(on); }, GL_SCISSOR_TEST},
        {[](C c, bool on) { return c.EnableDepthTest(on); }, GL_DEPTH_TEST},
        {[](C c, bool on) { return c.EnableStencilTest(on); }, GL_STENCIL_TEST},
        {[](C c, bool on) { return c.EnableBlend(on); }, GL_BLEND},
        {[](C c, bool on) { return c.EnableClipDistance(2, on); }, GL_CLIP_DISTANCE2},
        {[](C c, bool on) { return c.EnableClipDistance(0, on); }, GL_CLIP_DISTANCE0},
    };
    const GLenum watched[] = {GL_SCISSOR_TEST,   GL_DEPTH_TEST,     GL_STENCIL_TEST,   GL_BLEND,
                              GL_CLIP_DISTANCE0, GL_CLIP_DISTANCE1, GL_CLIP_DISTANCE2, GL_CLIP_DISTANCE3};
    for (auto [set, capability] : caps) {
        SCOPED_TRACE("capability " + std::to_string(capability));
        for (bool on : {true, false}) {
            ASSERT_EQ(set(*context, on), ResultCode::Success);
            for (GLenum cap : watched) EXPECT_EQ(glIsEnabled(cap), (on && cap == capability) ? GL_TRUE : GL_FALSE);
        }
    }
    // IsScissorEnabled reads GL, not a copy of its own.
    glEnable(GL_SCISSOR_TEST);
    EXPECT_TRUE(context->IsScissorEnabled());
    EXPECT_EQ(context->Flush() + context->Finish(), 0u);
    ExpectMessages({});
}

TEST_F(RenderStateTest, ViewportAndScissorRectanglesRoundTrip) {
    using Setter = ResultCode (Context::*)(int32_t, int32_t, int32_t, int32_t);
    using Getter = ResultCode (Context::*)(int32_t*, int32_t*, int32_t*, int32_t*);
    struct Rectangle { const char* name; Setter set; Getter get; void (*raw)(GLint, GLint, GLsizei, GLsizei); GLenum pname; };
    const Rectangle rectangles[] = {
        {"ViewPort", &Context::SetViewPort, &Context::GetViewPort,
         [](GLint x, GLint y, GLsizei w, GLsizei h) { glViewport(x, y, w, h); }, GL_VIEWPORT},
        {"ScissorRect", &Context::SetScissorRect, &Context::GetScissorRect,
         [](GLint x, GLint y, GLsizei w, GLsizei h) { glScissor(x, y, w, h); }, GL_SCISSOR_BOX},
    };
    for (const Rectangle& rect : rectangles) {
        SCOPED_TRACE(rect.name);
        Context& c = *context;
        ASSERT_EQ((c.*rect.set)(10, 20, 300, 400), ResultCode::Success);
        EXPECT_EQ(Get4(rect.pname), (std::vector<GLint>{10, 20, 300, 400}));
        // The getter reads GL, not a copy of its own.
        rect.raw(1, 2, 33, 44);
        int32_t out[4] = {-1, -1, -1, -1};
        EXPECT_EQ((c.*rect.get)(&out[0], &out[1], &out[2], &out[3]), ResultCode::Success);
        EXPECT_EQ(std::vector<GLint>(out, out + 4), (std::vector<GLint>{1, 2, 33, 44}));
        ExpectMessages({});
        // GL refuses a negative size; the rectangle stays.
        EXPECT_EQ((c.*rect.set)(0, 0, -1, 10), ResultCode::InvalidValue);
        EXPECT_EQ(Get4(rect.pname), (std::vector<GLint>{1, 2, 33, 44}));
        // A null output is refused once the others are written.
        rect.raw(5, 6, 77, 88);
        EXPECT_EQ((c.*rect.get)(&out[0], nullptr, nullptr, &out[3]), ResultCode::InvalidValue);
        EXPECT_EQ(std::vector<GLint>(out, out + 4), (std::vector<GLint>{5, 2, 33, 88}));
        EXPECT_EQ((c.*rect.get)(nullptr, nullptr, nullptr, nullptr), ResultCode::InvalidValue);
        const std::string name = rect.name;
        ExpectMessages({{kError, "GlContext::Set" + name + ": GL_INVALID_VALUE"},
                        {kError, "GlContext::Get" + name + ": null output pointer"},
                        {kError, "GlContext::Get" + name + ": null output pointer"}});
    }
}

TEST_F(RenderStateTest, MasksStencilReferenceAndBlendColourRoundTrip) {
    for (bool on : {false, true}) {
        ASSERT_EQ(context->SetDepthMask(on), ResultCode::Success);
        EXPECT_EQ(Get(GL_DEPTH_WRITEMASK), on ? GL_TRUE : GL_FALSE);
    }
    const bool colorMasks[][4] = {{true, false, true, false}, {false, true, false, true}, {true, true, true, true}};
    for (const auto& mask : colorMasks) {
        ASSERT_EQ(context->SetColorMask(mask[0], mask[1], mask[2], mask[3]), ResultCode::Success);
        GLboolean read[4] = {2, 2, 2, 2};
        glGetBooleanv(GL_COLOR_WRITEMASK, read);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(read[i], mask[i] ? GL_TRUE : GL_FALSE) << "channel " << i;
    }
    // GL clamps the reference to the stencil bits on query, and the window has none: read it back
    // through a framebuffer with an 8-bit stencil buffer.
    GLuint framebuffer = 0, renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, 4, 4);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
    ASSERT_EQ(Get(GL_STENCIL_BITS), 8);
    ASSERT_EQ(context->SetStencilFunc(CompareFunc::Equal, 5, 0x0F), ResultCode::Success);
    EXPECT_EQ(GetAll({GL_STENCIL_REF, GL_STENCIL_BACK_REF, GL_STENCIL_VALUE_MASK, GL_STENCIL_BACK_VALUE_MASK}),
              (std::vector<GLint>{5, 5, 0x0F, 0x0F}));
    glBindFramebuffer(GL_FRAMEBUFFER, 0);
    glDeleteFramebuffers(1, &framebuffer);
    glDeleteRenderbuffers(1, &renderbuffer);
    const float color[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    ASSERT_EQ(context->SetBlendColor(color), ResultCode::Success);
    GLfloat read[4] = {-1, -1, -1, -1};
    glGetFloatv(GL_BLEND_COLOR, read);
    for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(read[i], color[i]) << "channel " << i;
    ExpectMessages({});
}

TEST_F(RenderStateTest, PatchParameterSetsVerticesPerPatchOnly) {
    glPatchParameteri(GL_PATCH_VERTICES, 5);
    const int32_t three[] = {3};
    EXPECT_EQ(context->SetPatchParameter(PatchParameter(1), three), ResultCode::InvalidEnum);
    EXPECT_EQ(Get(GL_PATCH_VERTICES), 5);
    ExpectMessages({});  // told by the result alone
    EXPECT_EQ(context->SetPatchParameter(PatchParameter::PatchVertices, three), ResultCode::Success);
    EXPECT_EQ(Get(GL_PATCH_VERTICES), 3);
    EXPECT_EQ(context->SetPatchParameter(PatchParameter::PatchVertices, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Get(GL_PATCH_VERTICES), 3);
    ExpectMessages({{kError, "GlContext::SetPatchParameter: null values"}});
}

// --- GL errors ---

TEST_F(RenderStateTest, GlErrorsAreDrainedAndReportedUnderTheOperationsCheckName) {
    const GLint maxClipDistances = Get(GL_MAX_CLIP_DISTANCES);
    ASSERT_GT(maxClipDistances, 0);
    EXPECT_EQ(context->EnableClipDistance(uint32_t(maxClipDistances), true), ResultCode::InvalidEnum);
    ExpectMessages({{kError, "GlContext::EnableClipDistance: GL_INVALID_ENUM"}});
    // An error left by an unchecked call is drained by the next checked operation; the blend colour
    // checks under SetBlendFunc's name.
    glEnable(0xFFFF);
    const float color[4] = {0.5f, 0.5f, 0.5f, 0.5f};
    EXPECT_EQ(context->SetBlendColor(color), ResultCode::InvalidEnum);
    ExpectMessages({{kError, "GlContext::SetBlendFunc: GL_INVALID_ENUM"}});
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    GLfloat read[4] = {};
    glGetFloatv(GL_BLEND_COLOR, read);
    EXPECT_FLOAT_EQ(read[0], 0.5f);
    EXPECT_EQ(context->SetBlendColor(nullptr), ResultCode::InvalidValue);
    ExpectMessages({{kError, "GlContext::SetBlendFunc: null blend colour"}});
    // Pending errors are all drained and reported in GL's order; the last one answers. Mesa keeps a single
    // error flag (the first error), so there only a prefix of them comes back.
    glEnable(0xFFFF);          // GL_INVALID_ENUM
    glViewport(0, 0, -1, -1);  // GL_INVALID_VALUE
    const ResultCode result = context->SetDepthMask(true);
    const std::vector<Message> raised = {{kError, "GlContext::SetDepthMask: GL_INVALID_ENUM"},
                                         {kError, "GlContext::SetDepthMask: GL_INVALID_VALUE"}};
    const std::vector<Message> reported = messages.Take();
    ASSERT_TRUE(!reported.empty() && reported.size() <= raised.size()) << vindra_test::Describe(reported);
    EXPECT_EQ(reported, std::vector<Message>(raised.begin(), raised.begin() + reported.size()));
    EXPECT_EQ(result, reported.size() == 1 ? ResultCode::InvalidEnum : ResultCode::InvalidValue);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}


}  // namespace
