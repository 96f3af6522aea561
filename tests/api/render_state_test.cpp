// Render state through the public API: every setter is read back from GL with raw GL queries.
#include <GL/glew.h>
#include <gtest/gtest.h>

// After gtest: Xlib's None and Bool macros clash with its names.
#include "test_context.h"

#include <climits>
#include <initializer_list>
#include <string>
#include <vector>

#include "message_capture.h"

using vindra::BlendEquation;
using vindra::BlendFactor;
using vindra::CompareFunc;
using vindra::Context;
using vindra::FillMode;
using vindra::PatchParameter;
using vindra::ResultCode;
using vindra::StencilOp;
using vindra_test::Message;

namespace {

constexpr int kError = 4;

// One integer of GL state; `index` picks from multi-valued state (GL_VIEWPORT, GL_POLYGON_MODE).
GLint Get(GLenum pname, int index = 0) {
    GLint values[4] = {-1, -1, -1, -1};
    glGetIntegerv(pname, values);
    return values[index];
}

std::vector<GLint> Get4(GLenum pname) {
    std::vector<GLint> values(4, -1);
    glGetIntegerv(pname, values.data());
    return values;
}

std::vector<GLint> GetEach(std::initializer_list<GLenum> pnames) {
    std::vector<GLint> values;
    for (GLenum pname : pnames) values.push_back(Get(pname));
    return values;
}

class RenderStateTest : public ::testing::Test {
protected:
    void SetUp() override {
        context = vindra_test::CreateHeadless();
        ASSERT_NE(context, nullptr);
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

// --- enumerations: each library value reaches GL as its own enum ---

struct Readback {
    GLenum pname;
    int index;
};

struct EnumCase {
    const char* operation;
    ResultCode (*set)(Context&, int32_t);
    std::vector<Readback> reads;   // each reads back the GL enum of the value just set
    std::vector<GLenum> expected;  // GL enum of library value 0, 1, 2, ...
};

const std::vector<GLenum> kCompareEnums = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                           GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};
const std::vector<GLenum> kStencilEnums = {GL_KEEP,      GL_ZERO, GL_REPLACE,   GL_INCR,
                                           GL_INCR_WRAP, GL_DECR, GL_DECR_WRAP, GL_INVERT};
const std::vector<GLenum> kEquationEnums = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};
const std::vector<GLenum> kFactorEnums = {
    GL_ZERO,           GL_ONE,                      GL_SRC_COLOR,      GL_ONE_MINUS_SRC_COLOR,
    GL_DST_COLOR,      GL_ONE_MINUS_DST_COLOR,      GL_SRC_ALPHA,      GL_ONE_MINUS_SRC_ALPHA,
    GL_DST_ALPHA,      GL_ONE_MINUS_DST_ALPHA,      GL_CONSTANT_COLOR, GL_ONE_MINUS_CONSTANT_COLOR,
    GL_CONSTANT_ALPHA, GL_ONE_MINUS_CONSTANT_ALPHA, GL_SRC_ALPHA_SATURATE, GL_SRC1_COLOR,
    GL_ONE_MINUS_SRC1_COLOR, GL_SRC1_ALPHA,         GL_ONE_MINUS_SRC1_ALPHA};

// Each argument position of the multi-argument setters gets its own row, so swapped arguments show.
std::vector<EnumCase> EnumCases() {
    using C = Context&;
    const auto keep = StencilOp::Keep;
    const auto add = BlendEquation::Add;
    const auto zero = BlendFactor::Zero;
    return {
        {"SetDepthFunc", [](C c, int32_t v) { return c.SetDepthFunc(CompareFunc(v)); }, {{GL_DEPTH_FUNC, 0}},
         kCompareEnums},
        {"SetStencilFunc", [](C c, int32_t v) { return c.SetStencilFunc(CompareFunc(v), 0, 0xFF); },
         {{GL_STENCIL_FUNC, 0}, {GL_STENCIL_BACK_FUNC, 0}}, kCompareEnums},
        {"SetStencilOp stencilFail", [](C c, int32_t v) { return c.SetStencilOp(StencilOp(v), keep, keep); },
         {{GL_STENCIL_FAIL, 0}, {GL_STENCIL_BACK_FAIL, 0}}, kStencilEnums},
        {"SetStencilOp depthFail", [](C c, int32_t v) { return c.SetStencilOp(keep, StencilOp(v), keep); },
         {{GL_STENCIL_PASS_DEPTH_FAIL, 0}, {GL_STENCIL_BACK_PASS_DEPTH_FAIL, 0}}, kStencilEnums},
        {"SetStencilOp depthPass", [](C c, int32_t v) { return c.SetStencilOp(keep, keep, StencilOp(v)); },
         {{GL_STENCIL_PASS_DEPTH_PASS, 0}, {GL_STENCIL_BACK_PASS_DEPTH_PASS, 0}}, kStencilEnums},
        {"SetBlendEquation rgb", [](C c, int32_t v) { return c.SetBlendEquation(BlendEquation(v), add); },
         {{GL_BLEND_EQUATION_RGB, 0}}, kEquationEnums},
        {"SetBlendEquation alpha", [](C c, int32_t v) { return c.SetBlendEquation(add, BlendEquation(v)); },
         {{GL_BLEND_EQUATION_ALPHA, 0}}, kEquationEnums},
        {"SetBlendFunc srcRgb", [](C c, int32_t v) { return c.SetBlendFunc(BlendFactor(v), zero, zero, zero); },
         {{GL_BLEND_SRC_RGB, 0}}, kFactorEnums},
        {"SetBlendFunc dstRgb", [](C c, int32_t v) { return c.SetBlendFunc(zero, BlendFactor(v), zero, zero); },
         {{GL_BLEND_DST_RGB, 0}}, kFactorEnums},
        {"SetBlendFunc srcAlpha", [](C c, int32_t v) { return c.SetBlendFunc(zero, zero, BlendFactor(v), zero); },
         {{GL_BLEND_SRC_ALPHA, 0}}, kFactorEnums},
        {"SetBlendFunc dstAlpha", [](C c, int32_t v) { return c.SetBlendFunc(zero, zero, zero, BlendFactor(v)); },
         {{GL_BLEND_DST_ALPHA, 0}}, kFactorEnums},
        {"SetTriangleFillMode", [](C c, int32_t v) { return c.SetTriangleFillMode(FillMode(v)); },
         {{GL_POLYGON_MODE, 0}, {GL_POLYGON_MODE, 1}}, {GL_FILL, GL_LINE}},
    };
}

TEST_F(RenderStateTest, EveryEnumerationValueReachesGlAsItsEnum) {
    for (const EnumCase& row : EnumCases()) {
        for (size_t value = 0; value < row.expected.size(); ++value) {
            SCOPED_TRACE(std::string(row.operation) + " value " + std::to_string(value));
            ASSERT_EQ(row.set(*context, static_cast<int32_t>(value)), ResultCode::Success);
            for (const Readback& read : row.reads)
                EXPECT_EQ(Get(read.pname, read.index), static_cast<GLint>(row.expected[value]))
                    << "pname 0x" << std::hex << read.pname << " [" << read.index << "]";
        }
    }
    ExpectMessages({});
}

TEST_F(RenderStateTest, MixedArgumentsLandInTheirOwnSlots) {
    ASSERT_EQ(context->SetStencilOp(StencilOp::Keep, StencilOp::Zero, StencilOp::Replace), ResultCode::Success);
    EXPECT_EQ(GetEach({GL_STENCIL_FAIL, GL_STENCIL_PASS_DEPTH_FAIL, GL_STENCIL_PASS_DEPTH_PASS}),
              (std::vector<GLint>{GL_KEEP, GL_ZERO, GL_REPLACE}));
    ASSERT_EQ(context->SetBlendFunc(BlendFactor::SrcAlpha, BlendFactor::OneMinusSrcAlpha, BlendFactor::One,
                                    BlendFactor::DstColor),
              ResultCode::Success);
    EXPECT_EQ(GetEach({GL_BLEND_SRC_RGB, GL_BLEND_DST_RGB, GL_BLEND_SRC_ALPHA, GL_BLEND_DST_ALPHA}),
              (std::vector<GLint>{GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA, GL_ONE, GL_DST_COLOR}));
    ASSERT_EQ(context->SetBlendEquation(BlendEquation::ReverseSubtract, BlendEquation::Max), ResultCode::Success);
    EXPECT_EQ(GetEach({GL_BLEND_EQUATION_RGB, GL_BLEND_EQUATION_ALPHA}),
              (std::vector<GLint>{GL_FUNC_REVERSE_SUBTRACT, GL_MAX}));
    ExpectMessages({});
}

// Every refused value is reported under the operation's name and changes no GL state at all, also not
// the valid arguments that came with it.
TEST_F(RenderStateTest, OutOfRangeEnumerationsAreRefusedWithoutTouchingGl) {
    auto snapshot = [] {
        std::vector<GLint> state = GetEach(
            {GL_DEPTH_FUNC, GL_STENCIL_FUNC, GL_STENCIL_REF, GL_STENCIL_VALUE_MASK, GL_STENCIL_FAIL,
             GL_STENCIL_PASS_DEPTH_FAIL, GL_STENCIL_PASS_DEPTH_PASS, GL_BLEND_EQUATION_RGB, GL_BLEND_EQUATION_ALPHA,
             GL_BLEND_SRC_RGB, GL_BLEND_DST_RGB, GL_BLEND_SRC_ALPHA, GL_BLEND_DST_ALPHA, GL_POLYGON_MODE});
        state.push_back(Get(GL_POLYGON_MODE, 1));
        return state;
    };
    struct BadCall {
        ResultCode (*call)(Context&);
        const char* message;
    };
    using C = Context&;
    const BadCall calls[] = {
        {[](C c) { return c.SetDepthFunc(CompareFunc(9)); }, "GlContext::SetDepthFunc: invalid CompareFunc 9"},
        {[](C c) { return c.SetDepthFunc(CompareFunc(-1)); }, "GlContext::SetDepthFunc: invalid CompareFunc -1"},
        {[](C c) { return c.SetStencilFunc(CompareFunc(8), 1, 0x0F); },
         "GlContext::SetStencilFunc: invalid CompareFunc 8"},
        {[](C c) { return c.SetStencilOp(StencilOp::Replace, StencilOp(8), StencilOp::Invert); },
         "GlContext::SetStencilOp: invalid StencilOp 8"},
        {[](C c) { return c.SetStencilOp(StencilOp::Replace, StencilOp::Invert, StencilOp(-3)); },
         "GlContext::SetStencilOp: invalid StencilOp -3"},
        {[](C c) { return c.SetBlendEquation(BlendEquation::Subtract, BlendEquation(5)); },
         "GlContext::SetBlendEquation: invalid BlendEquation 5"},
        {[](C c) { return c.SetBlendFunc(BlendFactor::SrcColor, BlendFactor::DstColor, BlendFactor::SrcAlpha,
                                         BlendFactor(19)); },
         "GlContext::SetBlendFunc: invalid BlendFactor 19"},
        {[](C c) { return c.SetBlendFunc(BlendFactor(INT_MIN), BlendFactor::One, BlendFactor::One,
                                         BlendFactor::One); },
         "GlContext::SetBlendFunc: invalid BlendFactor -2147483648"},
        {[](C c) { return c.SetTriangleFillMode(FillMode(-1)); },
         "GlContext::SetTriangleFillMode: invalid FillMode -1"},
        {[](C c) { return c.SetTriangleFillMode(FillMode(2)); },
         "GlContext::SetTriangleFillMode: invalid FillMode 2"},
    };
    const std::vector<GLint> before = snapshot();
    for (const BadCall& bad : calls) {
        SCOPED_TRACE(bad.message);
        EXPECT_EQ(bad.call(*context), ResultCode::InvalidEnum);
        ExpectMessages({{kError, bad.message}});
        EXPECT_EQ(snapshot(), before);
        EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
}

// --- plain values ---

TEST_F(RenderStateTest, CapabilitiesSwitchOnlyTheirOwnGlCapability) {
    struct Capability {
        ResultCode (*set)(Context&, bool);
        GLenum cap;
    };
    using C = Context&;
    const Capability caps[] = {
        {[](C c, bool on) { return c.EnableScissor(on); }, GL_SCISSOR_TEST},
        {[](C c, bool on) { return c.EnableDepthTest(on); }, GL_DEPTH_TEST},
        {[](C c, bool on) { return c.EnableStencilTest(on); }, GL_STENCIL_TEST},
        {[](C c, bool on) { return c.EnableBlend(on); }, GL_BLEND},
        {[](C c, bool on) { return c.EnableClipDistance(2, on); }, GL_CLIP_DISTANCE2},
        {[](C c, bool on) { return c.EnableClipDistance(0, on); }, GL_CLIP_DISTANCE0},
    };
    const GLenum watched[] = {GL_SCISSOR_TEST,    GL_DEPTH_TEST,      GL_STENCIL_TEST,   GL_BLEND,
                              GL_CLIP_DISTANCE0,  GL_CLIP_DISTANCE1,  GL_CLIP_DISTANCE2, GL_CLIP_DISTANCE3};
    for (const Capability& row : caps) {
        SCOPED_TRACE("capability " + std::to_string(row.cap));
        for (bool on : {true, false}) {
            ASSERT_EQ(row.set(*context, on), ResultCode::Success);
            for (GLenum cap : watched) EXPECT_EQ(glIsEnabled(cap), (on && cap == row.cap) ? GL_TRUE : GL_FALSE);
        }
    }

    // IsScissorEnabled reads GL, not a copy of its own.
    glEnable(GL_SCISSOR_TEST);
    EXPECT_TRUE(context->IsScissorEnabled());
    glDisable(GL_SCISSOR_TEST);
    EXPECT_FALSE(context->IsScissorEnabled());
    ExpectMessages({});
}

TEST_F(RenderStateTest, ViewportAndScissorRectanglesRoundTrip) {
    struct Rectangle {
        const char* name;
        ResultCode (Context::*set)(int32_t, int32_t, int32_t, int32_t);
        ResultCode (Context::*get)(int32_t*, int32_t*, int32_t*, int32_t*);
        void (*raw)(GLint, GLint, GLsizei, GLsizei);
        GLenum pname;
    };
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

        int32_t out[4] = {-1, -1, -1, -1};
        EXPECT_EQ((c.*rect.get)(&out[0], &out[1], &out[2], &out[3]), ResultCode::Success);
        EXPECT_EQ(std::vector<GLint>(out, out + 4), (std::vector<GLint>{10, 20, 300, 400}));

        rect.raw(1, 2, 33, 44);
        EXPECT_EQ((c.*rect.get)(&out[0], &out[1], &out[2], &out[3]), ResultCode::Success);
        EXPECT_EQ(std::vector<GLint>(out, out + 4), (std::vector<GLint>{1, 2, 33, 44}));
        ExpectMessages({});

        // GL refuses a negative size; the rectangle stays.
        EXPECT_EQ((c.*rect.set)(0, 0, -1, 10), ResultCode::InvalidValue);
        EXPECT_EQ(Get4(rect.pname), (std::vector<GLint>{1, 2, 33, 44}));

        // A null output is refused once the others are written.
        rect.raw(5, 6, 77, 88);
        EXPECT_EQ((c.*rect.get)(&out[0], nullptr, nullptr, &out[3]), ResultCode::InvalidValue);
        EXPECT_EQ(out[0], 5);
        EXPECT_EQ(out[3], 88);
        EXPECT_EQ((c.*rect.get)(nullptr, nullptr, nullptr, nullptr), ResultCode::InvalidValue);
        ExpectMessages({{kError, "GlContext::Set" + std::string(rect.name) + ": GL_INVALID_VALUE"},
                        {kError, "GlContext::Get" + std::string(rect.name) + ": null output pointer"},
                        {kError, "GlContext::Get" + std::string(rect.name) + ": null output pointer"}});
    }
}

TEST_F(RenderStateTest, MasksStencilReferenceAndBlendColourRoundTrip) {
    ASSERT_EQ(context->SetDepthMask(false), ResultCode::Success);
    EXPECT_EQ(Get(GL_DEPTH_WRITEMASK), GL_FALSE);
    ASSERT_EQ(context->SetDepthMask(true), ResultCode::Success);
    EXPECT_EQ(Get(GL_DEPTH_WRITEMASK), GL_TRUE);

    const bool colorMasks[][4] = {{true, false, true, false}, {false, true, false, true}, {true, true, true, true}};
    for (const auto& mask : colorMasks) {
        ASSERT_EQ(context->SetColorMask(mask[0], mask[1], mask[2], mask[3]), ResultCode::Success);
        GLboolean read[4] = {2, 2, 2, 2};
        glGetBooleanv(GL_COLOR_WRITEMASK, read);
        for (int i = 0; i < 4; ++i) EXPECT_EQ(read[i], mask[i] ? GL_TRUE : GL_FALSE) << "channel " << i;
    }

    // The window's configuration has no stencil bits and GL clamps the reference to them on query:
    // read it back through a framebuffer with an 8-bit stencil buffer.
    GLuint framebuffer = 0, renderbuffer = 0;
    glGenRenderbuffers(1, &renderbuffer);
    glBindRenderbuffer(GL_RENDERBUFFER, renderbuffer);
    glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, 4, 4);
    glGenFramebuffers(1, &framebuffer);
    glBindFramebuffer(GL_FRAMEBUFFER, framebuffer);
    glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffer);
    ASSERT_EQ(Get(GL_STENCIL_BITS), 8);
    ASSERT_EQ(context->SetStencilFunc(CompareFunc::Equal, 5, 0x0F), ResultCode::Success);
    for (GLenum pname : {GL_STENCIL_REF, GL_STENCIL_BACK_REF}) EXPECT_EQ(Get(pname), 5);
    for (GLenum pname : {GL_STENCIL_VALUE_MASK, GL_STENCIL_BACK_VALUE_MASK}) EXPECT_EQ(Get(pname), 0x0F);
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
    ExpectMessages({});

    EXPECT_EQ(context->SetPatchParameter(PatchParameter::PatchVertices, three), ResultCode::Success);
    EXPECT_EQ(Get(GL_PATCH_VERTICES), 3);

    EXPECT_EQ(context->SetPatchParameter(PatchParameter::PatchVertices, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(Get(GL_PATCH_VERTICES), 3);
    ExpectMessages({{kError, "GlContext::SetPatchParameter: null values"}});
}

// --- GL errors ---

TEST_F(RenderStateTest, GlErrorsAreReportedUnderTheOperationsCheckName) {
    GLint maxClipDistances = 0;
    glGetIntegerv(GL_MAX_CLIP_DISTANCES, &maxClipDistances);
    ASSERT_GT(maxClipDistances, 0);
    EXPECT_EQ(context->EnableClipDistance(static_cast<uint32_t>(maxClipDistances), true), ResultCode::InvalidEnum);
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
}

// Errors left by unchecked calls are all drained, reported in the order GL returns them, and the last
// one answers. Mesa keeps a single error flag (the first error), so there only a prefix of the errors
// raised comes back.
TEST_F(RenderStateTest, PendingErrorsAreDrainedInOrderAndTheLastOneAnswers) {
    glEnable(0xFFFF);          // GL_INVALID_ENUM
    glViewport(0, 0, -1, -1);  // GL_INVALID_VALUE
    const ResultCode result = context->SetDepthMask(true);
    const std::vector<Message> raised = {{kError, "GlContext::SetDepthMask: GL_INVALID_ENUM"},
                                         {kError, "GlContext::SetDepthMask: GL_INVALID_VALUE"}};
    const ResultCode codes[] = {ResultCode::InvalidEnum, ResultCode::InvalidValue};
    const std::vector<Message> reported = messages.Take();
    ASSERT_GE(reported.size(), 1u);
    ASSERT_LE(reported.size(), raised.size());
    EXPECT_EQ(reported, std::vector<Message>(raised.begin(), raised.begin() + reported.size()))
        << vindra_test::Describe(reported);
    EXPECT_EQ(result, codes[reported.size() - 1]);
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));
}

TEST_F(RenderStateTest, FlushAndFinishAnswerZero) {
    EXPECT_EQ(context->Flush(), 0u);
    EXPECT_EQ(context->Finish(), 0u);
    ExpectMessages({});
}

}  // namespace
