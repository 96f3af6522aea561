// Vertex arrays, clearing, drawing and fences on real GL: pixels read back from what was drawn, vertex
// array state read back from GL, results and reported messages.
#include <gtest/gtest.h>

#include <GL/glew.h>

#include "gl_test.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "core/current_context.h"
#include "core/gl_context.h"
#include "gl/gl_fence_sync.h"
#include "gl/gl_vertex_array.h"
#include "gl/gl_vertex_buffer.h"

using vindra::ClearColorBuffer;
using vindra::ClearDepthBuffer;
using vindra::ClearStencilBuffer;
using vindra::Context;
using vindra::FenceSync;
using vindra::GlContext;
using vindra::GlFenceSync;
using vindra::GlVertexArray;
using vindra::IndexBuffer;
using vindra::IndexType;
using vindra::PrimitiveType;
using vindra::ResultCode;
using vindra::VertexArray;
using vindra::VertexAttributeType;
using vindra::VertexBuffer;
using vindra::VertexLayout;
using vindra_test::Message;

namespace {

constexpr int kError = 4;
constexpr int kSize = 64;  // side of the render target, pixels

using Rgba = std::array<uint8_t, 4>;
constexpr Rgba kBlack = {0, 0, 0, 255};
constexpr Rgba kRed = {255, 0, 0, 255};
constexpr Rgba kGreen = {0, 255, 0, 255};
constexpr Rgba kBlue = {0, 0, 255, 255};
constexpr float kBlackClear[4] = {0.0f, 0.0f, 0.0f, 1.0f};

struct Vertex {
    float x, y;
    uint8_t rgba[4];
};

// Position at location 0, normalised byte colour at location 1.
VertexLayout ColoredLayout() {
    VertexLayout layout{};
    layout.stride = sizeof(Vertex);
    layout.attributeCount = 2;
    layout.attributes[0] = {0, VertexAttributeType::Float32, 2, 0, false};
    layout.attributes[1] = {1, VertexAttributeType::UInt8, 4, offsetof(Vertex, rgba), true};
    return layout;
}

VertexLayout PositionOnlyLayout() {
    VertexLayout layout = ColoredLayout();
    layout.attributeCount = 1;
    return layout;
}

// NDC of the centre of pixel `i` of the render target.
float Centre(int i) { return (i + 0.5f) * 2.0f / kSize - 1.0f; }

Vertex At(float x, float y, const Rgba& c) { return Vertex{x, y, {c[0], c[1], c[2], c[3]}}; }

// Quads as triangle strips: left half red (vertices 0-3), right half green (4-7).
std::vector<Vertex> HalfQuads() {
    return {At(-1, -1, kRed), At(0, -1, kRed), At(-1, 1, kRed), At(0, 1, kRed),
            At(0, -1, kGreen), At(1, -1, kGreen), At(0, 1, kGreen), At(1, 1, kGreen)};
}

const char* const kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 position;
layout(location = 1) in vec4 color;
out vec4 vertexColor;
void main() {
    gl_Position = vec4(position, 0.0, 1.0);
    vertexColor = color;
})";

const char* const kFragmentShader = R"(#version 450 core
in vec4 vertexColor;
out vec4 fragColor;
void main() { fragColor = vertexColor; })";

// Slow on purpose, so that a fence placed behind it is still ahead of the GPU when first polled.
const char* const kSlowFragmentShader = R"(#version 450 core
in vec4 vertexColor;
uniform int iterations;
out vec4 fragColor;
void main() {
    float value = gl_FragCoord.x;
    for (int i = 0; i < iterations; ++i) value = fract(sin(value) * 43758.5453 + 0.1);
    fragColor = vec4(vertexColor.rgb, value < 2.0 ? 1.0 : 0.0);
})";

GLuint Compile(GLenum stage, const char* source) {
    GLuint shader = glCreateShader(stage);
    glShaderSource(shader, 1, &source, nullptr);
    glCompileShader(shader);
    GLint ok = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &ok);
    EXPECT_EQ(ok, GL_TRUE);
    return shader;
}

GLuint Link(const char* vertexSource, const char* fragmentSource) {
    GLuint program = glCreateProgram();
    GLuint vs = Compile(GL_VERTEX_SHADER, vertexSource);
    GLuint fs = Compile(GL_FRAGMENT_SHADER, fragmentSource);
    glAttachShader(program, vs);
    glAttachShader(program, fs);
    glLinkProgram(program);
    glDeleteShader(vs);
    glDeleteShader(fs);
    GLint ok = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &ok);
    EXPECT_EQ(ok, GL_TRUE);
    return program;
}

GLint GetInteger(GLenum name) {
    GLint value = -1;
    glGetIntegerv(name, &value);
    return value;
}

GLint Attribute(GLuint location, GLenum name) {
    GLint value = -1;
    glGetVertexAttribiv(location, name, &value);
    return value;
}

uintptr_t AttributeOffset(GLuint location) {
    void* pointer = nullptr;
    glGetVertexAttribPointerv(location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
    return reinterpret_cast<uintptr_t>(pointer);
}

std::array<float, 4> CurrentAttribute(GLuint location) {
    std::array<float, 4> value{};
    glGetVertexAttribfv(location, GL_CURRENT_VERTEX_ATTRIB, value.data());
    return value;
}

// Whether attribute arrays are enabled in vertex array object `vao`, read with `vao` bound for a moment.
std::vector<GLint> EnabledIn(GLuint vao, std::initializer_list<GLuint> locations) {
    GLint previous = GetInteger(GL_VERTEX_ARRAY_BINDING);
    glBindVertexArray(vao);
    std::vector<GLint> enabled;
    for (GLuint location : locations) enabled.push_back(Attribute(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED));
    glBindVertexArray(static_cast<GLuint>(previous));
    return enabled;
}

GlContext* Gl(Context* context) { return static_cast<GlContext*>(context); }
GlVertexArray* Gl(VertexArray* array) { return static_cast<GlVertexArray*>(array); }

// A framebuffer object in the current GL context on renderbuffers that every sharing context sees:
// colour RGBA8 and depth 24 with stencil 8, whatever the window offers.
struct RenderTarget {
    GLuint renderbuffers[2] = {0, 0};
    GLuint fbo = 0;

    void Create() {
        glGenRenderbuffers(2, renderbuffers);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[0]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_RGBA8, kSize, kSize);
        glBindRenderbuffer(GL_RENDERBUFFER, renderbuffers[1]);
        glRenderbufferStorage(GL_RENDERBUFFER, GL_DEPTH24_STENCIL8, kSize, kSize);
        glBindRenderbuffer(GL_RENDERBUFFER, 0);
        Attach();
    }
    // Framebuffer objects are not shared: each context attaches the renderbuffers to one of its own.
    GLuint Attach() {
        GLuint made = 0;
        glGenFramebuffers(1, &made);
        glBindFramebuffer(GL_FRAMEBUFFER, made);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffers[0]);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_DEPTH_STENCIL_ATTACHMENT, GL_RENDERBUFFER, renderbuffers[1]);
        EXPECT_EQ(glCheckFramebufferStatus(GL_FRAMEBUFFER), static_cast<GLenum>(GL_FRAMEBUFFER_COMPLETE));
        glViewport(0, 0, kSize, kSize);
        if (fbo == 0) fbo = made;
        return made;
    }
    void Delete() {
        glBindFramebuffer(GL_FRAMEBUFFER, 0);
        glDeleteFramebuffers(1, &fbo);
        glDeleteRenderbuffers(2, renderbuffers);
    }
};

class RenderFixture : public vindra_test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) return;
        target.Create();
        program = Link(kVertexShader, kFragmentShader);
        glUseProgram(program);
        ASSERT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
    }

    void TearDown() override {
        if (context) {
            context->MakeCurrent();
            delete shared;  // first: its records may name the arrays released below
            shared = nullptr;
            for (VertexArray*& array : arrays) context->ReleaseVertexArray(&array);
            for (VertexBuffer*& buffer : vertexBuffers) context->ReleaseVertexBuffer(&buffer);
            for (IndexBuffer*& buffer : indexBuffers) context->ReleaseIndexBuffer(&buffer);
            glUseProgram(0);
            glDeleteProgram(program);
            target.Delete();
        }
        GlTest::TearDown();
    }

    VertexBuffer* MakeVertexBuffer(const std::vector<Vertex>& vertices, const VertexLayout& layout) {
        VertexBuffer* buffer = context->CreateVertexBuffer();
        vertexBuffers.push_back(buffer);
        const uint64_t bytes = vertices.size() * sizeof(Vertex);
        EXPECT_EQ(buffer->BufferData(bytes, vertices.data(), vindra::BufferUsage::StaticDraw), ResultCode::Success);
        EXPECT_EQ(buffer->SetVertexLayout(&layout), ResultCode::Success);
        return buffer;
    }

    template <typename Index>
    IndexBuffer* MakeIndexBuffer(IndexType type, const std::vector<Index>& indices) {
        IndexBuffer* buffer = context->CreateIndexBuffer();
        indexBuffers.push_back(buffer);
        EXPECT_EQ(buffer->SetIndexType(type), ResultCode::Success);
        EXPECT_EQ(buffer->BufferData(indices.size() * sizeof(Index), indices.data(), vindra::BufferUsage::StaticDraw),
                  ResultCode::Success);
        return buffer;
    }

    // A vertex array of the fixture's context listing `buffer` at entry 0. The fixture releases it.
    VertexArray* MakeArray(VertexBuffer* buffer = nullptr) {
        VertexArray* array = context->CreateVertexArray();
        arrays.push_back(array);
        if (buffer != nullptr) {
            EXPECT_EQ(array->SetVertexBuffer(buffer, 0, 0), ResultCode::Success);
        }
        return array;
    }

    // The shared context, current on the test's thread, drawing into the fixture's renderbuffers.
    Context* MakeSharedCurrent() {
        shared = context->CreateSharedContext();
        if (shared == nullptr || shared->MakeCurrent() != 0) return nullptr;
        sharedFbo = target.Attach();
        glUseProgram(program);  // programs are shared objects
        return shared;
    }

    void ClearBlack(Context* on) { EXPECT_EQ(on->Clear(ClearColorBuffer, kBlackClear, 1.0, 0), ResultCode::Success); }

    void ExpectMessages(const std::vector<Message>& expected) {
        std::vector<Message> taken = Messages();
        EXPECT_EQ(taken, expected) << vindra_test::Describe(taken);
    }

    RenderTarget target;
    GLuint program = 0;
    Context* shared = nullptr;
    GLuint sharedFbo = 0;  // deleted with the shared context
    std::vector<VertexArray*> arrays;
    std::vector<VertexBuffer*> vertexBuffers;
    std::vector<IndexBuffer*> indexBuffers;
};

class DrawTest : public RenderFixture {};
class VertexArrayTest : public RenderFixture {};
class FenceTest : public RenderFixture {};

// --- Clear ---------------------------------------------------------------------------------------

TEST_F(DrawTest, ClearWritesEachFlaggedBufferOnly) {
    auto depthAt = [] {
        float depth = -1.0f;
        glReadPixels(8, 8, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
        return depth;
    };
    auto stencilAt = [] {
        uint8_t stencil = 0;
        glReadPixels(8, 8, 1, 1, GL_STENCIL_INDEX, GL_UNSIGNED_BYTE, &stencil);
        return stencil;
    };
    const float color[4] = {0.25f, 0.5f, 0.75f, 1.0f};
    struct Case {
        uint32_t flags;
        Rgba pixel;
        float depth;
        uint8_t stencil;
    };
    // Each case starts from red, depth 1 and stencil 0.
    const Case cases[] = {
        {ClearColorBuffer, {64, 128, 191, 255}, 1.0f, 0},
        {ClearDepthBuffer, kRed, 0.25f, 0},
        {ClearStencilBuffer, kRed, 1.0f, 0x5a},
        {ClearColorBuffer | ClearDepthBuffer | ClearStencilBuffer, {64, 128, 191, 255}, 0.25f, 0x5a},
        {0, kRed, 1.0f, 0},
        {8, kRed, 1.0f, 0},  // unknown bits are ignored
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("flags " + std::to_string(c.flags));
        const float red[4] = {1, 0, 0, 1};
        ASSERT_EQ(context->Clear(7, red, 1.0, 0), ResultCode::Success);
        EXPECT_EQ(context->Clear(c.flags, color, 0.25, 0x5a), ResultCode::Success);
        Rgba pixel = ReadPixel(8, 8);
        for (int i = 0; i < 4; ++i) EXPECT_NEAR(pixel[i], c.pixel[i], 1) << "channel " << i;
        EXPECT_NEAR(depthAt(), c.depth, 1e-5);
        EXPECT_EQ(stencilAt(), c.stencil);
    }
    ExpectMessages({});
}

TEST_F(DrawTest, ClearReadsColourOnlyForTheColourBuffer) {
    // Without the colour flag, color may be null.
    EXPECT_EQ(context->Clear(ClearDepthBuffer | ClearStencilBuffer, nullptr, 0.5, 3), ResultCode::Success);
    float depth = -1.0f;
    glReadPixels(8, 8, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.5f, 1e-5);
    ExpectMessages({});

    // With it, a null color is refused before any GL call: the depth flag is not acted on either.
    EXPECT_EQ(context->Clear(ClearColorBuffer | ClearDepthBuffer, nullptr, 0.0, 0), ResultCode::InvalidValue);
    ExpectMessages({{kError, "GlContext::Clear: null color"}});
    glReadPixels(8, 8, 1, 1, GL_DEPTH_COMPONENT, GL_FLOAT, &depth);
    EXPECT_NEAR(depth, 0.5f, 1e-5);
}

TEST_F(DrawTest, ClearWithNoKnownFlagMakesNoGlCall) {
    glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
    glEnable(0xFFFF);  // leaves GL_INVALID_ENUM pending: a check would take and report it
    const float color[4] = {1, 1, 1, 1};
    EXPECT_EQ(context->Clear(0, color, 0.0, 0), ResultCode::Success);
    EXPECT_EQ(context->Clear(8 | 16, color, 0.0, 0), ResultCode::Success);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    float clearValue[4] = {};
    glGetFloatv(GL_COLOR_CLEAR_VALUE, clearValue);
    EXPECT_FLOAT_EQ(clearValue[0], 0.5f);
    ExpectMessages({});
}

// --- Drawing -------------------------------------------------------------------------------------

TEST_F(DrawTest, EachPrimitiveTypeDrawsItsGlMode) {
    // Corners at pixel centres (8, 8), (56, 8), (8, 56), (56, 56).
    const int lo = 8, hi = 56;
    VertexBuffer* buffer = MakeVertexBuffer({At(Centre(lo), Centre(lo), kBlue), At(Centre(hi), Centre(lo), kBlue),
                                             At(Centre(lo), Centre(hi), kBlue), At(Centre(hi), Centre(hi), kBlue)},
                                            ColoredLayout());
    ASSERT_EQ(context->BindVertexArray(MakeArray(buffer)), ResultCode::Success);

    struct Probe {
        int x, y;
        bool drawn;
    };
    struct Case {
        PrimitiveType type;
        int count;
        std::vector<Probe> probes;
    };
    const Case cases[] = {
        {PrimitiveType::Points, 4, {{lo, lo, true}, {hi, hi, true}, {32, lo, false}, {32, 32, false}}},
        // Segments 0-1 and 2-3 only.
        {PrimitiveType::Lines, 4, {{32, lo, true}, {32, hi, true}, {40, 24, false}, {lo, 32, false}}},
        // 0-1, 1-2 (the anti-diagonal) and 2-3.
        {PrimitiveType::LineStrip, 4, {{32, lo, true}, {40, 24, true}, {32, hi, true}, {lo, 32, false}}},
        // Triangle 0-1-2: the lower-left half.
        {PrimitiveType::Triangles, 3, {{16, 16, true}, {48, 48, false}}},
        {PrimitiveType::TriangleStrip, 4, {{16, 16, true}, {48, 48, true}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("PrimitiveType " + std::to_string(static_cast<int>(c.type)));
        ClearBlack(context.get());
        EXPECT_EQ(context->DrawPrimitives(c.type, 0, c.count), ResultCode::Success);
        for (const Probe& p : c.probes)
            EXPECT_EQ(ReadPixel(p.x, p.y), p.drawn ? kBlue : kBlack) << "pixel " << p.x << "," << p.y;
    }
    // Patches need a tessellation stage, which this program lacks: GL refuses GL_PATCHES draws.
    EXPECT_EQ(context->DrawPrimitives(PrimitiveType::Patches, 0, 3), ResultCode::InvalidOperation);
    ExpectMessages({{kError, "GlContext::DrawPrimitives: GL_INVALID_OPERATION"}});
}

TEST_F(DrawTest, IndexedDrawsUseIndexTypeOffsetAndBaseVertex) {
    ASSERT_EQ(context->BindVertexArray(MakeArray(MakeVertexBuffer(HalfQuads(), ColoredLayout()))), ResultCode::Success);
    // The quad's indices follow six that would draw garbage (vertex 9 does not exist).
    const std::vector<uint16_t> shortIndices = {9, 9, 9, 9, 9, 9, 0, 1, 2, 2, 1, 3};
    const std::vector<uint32_t> intIndices(shortIndices.begin(), shortIndices.end());
    IndexBuffer* shorts = MakeIndexBuffer(IndexType::UInt16, shortIndices);
    IndexBuffer* ints = MakeIndexBuffer(IndexType::UInt32, intIndices);

    struct Case {
        IndexBuffer* buffer;
        uint64_t byteOffset;
        int32_t baseVertex;
        Rgba left, right;
    };
    const Case cases[] = {
        {shorts, 12, 0, kRed, kBlack},
        {shorts, 12, 4, kBlack, kGreen},
        {ints, 24, 0, kRed, kBlack},
        {ints, 24, 4, kBlack, kGreen},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((c.buffer == shorts ? "16-bit, base " : "32-bit, base ") + std::to_string(c.baseVertex));
        ClearBlack(context.get());
        ASSERT_EQ(context->BindIndexBuffer(c.buffer), ResultCode::Success);
        EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, c.byteOffset, c.baseVertex),
                  ResultCode::Success);
        EXPECT_EQ(ReadPixel(16, 32), c.left);
        EXPECT_EQ(ReadPixel(48, 32), c.right);
    }
    ExpectMessages({});
}

TEST_F(DrawTest, IndexedDrawBeforeAnyIndexBufferGetsGlInvalidEnum) {
    ASSERT_EQ(context->BindVertexArray(MakeArray(MakeVertexBuffer(HalfQuads(), ColoredLayout()))), ResultCode::Success);
    EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 0), ResultCode::InvalidEnum);
    ExpectMessages({{kError, "GlContext::DrawIndexedPrimitives: GL_INVALID_ENUM"}});
}

TEST_F(DrawTest, PrimitiveTypeOutsideTheTableIsRefusedWithoutGlCall) {
    ASSERT_EQ(context->BindVertexArray(MakeArray(MakeVertexBuffer(HalfQuads(), ColoredLayout()))), ResultCode::Success);
    IndexBuffer* indices = MakeIndexBuffer(IndexType::UInt16, std::vector<uint16_t>{0, 1, 2, 2, 1, 3});
    ASSERT_EQ(context->BindIndexBuffer(indices), ResultCode::Success);
    ClearBlack(context.get());
    glEnable(0xFFFF);  // a pending GL error that only a check would take
    for (int32_t value : {6, -1, 1000}) {
        SCOPED_TRACE(value);
        PrimitiveType type = static_cast<PrimitiveType>(value);
        EXPECT_EQ(context->DrawPrimitives(type, 0, 4), ResultCode::InvalidEnum);
        EXPECT_EQ(context->DrawIndexedPrimitives(type, 6, 0, 0), ResultCode::InvalidEnum);
        std::string suffix = ": invalid PrimitiveType " + std::to_string(value);
        ExpectMessages({{kError, "GlContext::DrawPrimitives" + suffix},
                        {kError, "GlContext::DrawIndexedPrimitives" + suffix}});
    }
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_INVALID_ENUM));
    EXPECT_EQ(ReadPixel(16, 32), kBlack);
}

// --- Vertex arrays: the buffer list ----------------------------------------------------------------

TEST_F(VertexArrayTest, SetVertexBufferGrowsTheListAndIgnoresNegativeIndices) {
    VertexBuffer* buffer = MakeVertexBuffer(HalfQuads(), ColoredLayout());
    VertexArray* array = MakeArray();
    EXPECT_EQ(array->SetVertexBuffer(buffer, 3, 16), ResultCode::Success);
    const auto& list = Gl(array)->GetBuffers();
    ASSERT_EQ(list.size(), 4u);
    for (int i = 0; i < 3; ++i) EXPECT_EQ(list[i].buffer, nullptr);
    EXPECT_EQ(list[3].buffer, buffer);
    EXPECT_EQ(list[3].offset, 16u);
    EXPECT_TRUE(Gl(array)->IsDirty());

    EXPECT_EQ(array->SetVertexBuffer(buffer, -1, 0), ResultCode::Success);
    EXPECT_EQ(list.size(), 4u);
    EXPECT_EQ(array->SetVertexBuffer(buffer, 4, 0), ResultCode::Success);  // appends
    EXPECT_EQ(list.size(), 5u);
    EXPECT_EQ(array->SetVertexBuffer(nullptr, 3, 0), ResultCode::Success);  // empties, keeps the length
    EXPECT_EQ(list.size(), 5u);
    EXPECT_EQ(list[3].buffer, nullptr);
    ExpectMessages({});

    EXPECT_EQ(array->SetVertexBuffer(buffer, GlVertexArray::kMaxBufferEntries, 0), ResultCode::InvalidValue);
    EXPECT_EQ(list.size(), 5u);
    ExpectMessages({{kError, "GlVertexArray::SetVertexBuffer: index 1024 out of range (at most 1024 entries)"}});
}

TEST_F(VertexArrayTest, BindOnOwnerPointsAttributesIntoItsOwnVao) {
    VertexLayout layout{};
    layout.stride = 20;
    layout.attributeCount = 2;
    layout.attributes[0] = {0, VertexAttributeType::Float32, 3, 0, false};
    layout.attributes[1] = {3, VertexAttributeType::UInt16, 2, 12, true};
    VertexBuffer* buffer = MakeVertexBuffer(HalfQuads(), layout);
    VertexArray* array = MakeArray();
    array->SetVertexBuffer(buffer, 1, 100);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);

    GLuint vao = Gl(array)->GetVao();
    ASSERT_NE(vao, 0u);
    EXPECT_NE(vao, Gl(context.get())->GetOwnVao());
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(vao));
    EXPECT_TRUE(Gl(array)->IsBound());
    EXPECT_FALSE(Gl(array)->IsDirty());
    EXPECT_EQ(GetInteger(GL_ARRAY_BUFFER_BINDING), 0);

    GLint name = static_cast<GLint>(static_cast<vindra::GlVertexBuffer*>(buffer)->GetName());
    ASSERT_NE(name, 0);
    struct Expected {
        GLuint location;
        GLint size, type, normalized;
        uintptr_t offset;
    };
    const Expected expected[] = {{0, 3, GL_FLOAT, GL_FALSE, 100}, {3, 2, GL_UNSIGNED_SHORT, GL_TRUE, 112}};
    for (const Expected& e : expected) {
        SCOPED_TRACE(e.location);
        EXPECT_EQ(Attribute(e.location, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE);
        EXPECT_EQ(Attribute(e.location, GL_VERTEX_ATTRIB_ARRAY_SIZE), e.size);
        EXPECT_EQ(Attribute(e.location, GL_VERTEX_ATTRIB_ARRAY_TYPE), e.type);
        EXPECT_EQ(Attribute(e.location, GL_VERTEX_ATTRIB_ARRAY_NORMALIZED), e.normalized);
        EXPECT_EQ(Attribute(e.location, GL_VERTEX_ATTRIB_ARRAY_STRIDE), 20);
        EXPECT_EQ(Attribute(e.location, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING), name);
        EXPECT_EQ(AttributeOffset(e.location), e.offset);
    }
    EXPECT_EQ(Attribute(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE);

    EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_FALSE(Gl(array)->IsBound());
    EXPECT_EQ(EnabledIn(vao, {0, 3}), (std::vector<GLint>{GL_TRUE, GL_TRUE}));  // the VAO keeps its state
    EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);  // nothing bound: nothing to do
    ExpectMessages({});
}

TEST_F(VertexArrayTest, OwnerReappliesBuffersOnlyWhenTheListChanged) {
    VertexLayout layout = ColoredLayout();
    VertexBuffer* buffer = MakeVertexBuffer(HalfQuads(), layout);
    VertexArray* array = MakeArray();
    array->SetVertexBuffer(buffer, 0, 100);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(AttributeOffset(1), 108u);

    // A new layout in the buffer alone does not reach a VAO that was already applied.
    layout.attributes[1].offset = 4;
    buffer->SetVertexLayout(&layout);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(AttributeOffset(1), 108u);
    EXPECT_FALSE(Gl(array)->IsDirty());

    // Listing the buffer again marks the array, and the next bind applies it.
    array->SetVertexBuffer(buffer, 0, 100);
    EXPECT_TRUE(Gl(array)->IsDirty());
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(AttributeOffset(1), 104u);
    EXPECT_FALSE(Gl(array)->IsDirty());
    ExpectMessages({});
}

TEST_F(VertexArrayTest, RemoveAndClearDisableTheBuffersAttributes) {
    VertexLayout third = PositionOnlyLayout();
    third.attributes[0].location = 2;
    VertexBuffer* colored = MakeVertexBuffer(HalfQuads(), ColoredLayout());
    VertexBuffer* extra = MakeVertexBuffer(HalfQuads(), third);
    VertexArray* array = MakeArray(colored);
    array->SetVertexBuffer(extra, 2, 0);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    GLuint vao = Gl(array)->GetVao();
    ASSERT_EQ(EnabledIn(vao, {0, 1, 2}), (std::vector<GLint>{GL_TRUE, GL_TRUE, GL_TRUE}));

    EXPECT_EQ(array->RemoveVertexBuffer(extra), ResultCode::Success);
    EXPECT_EQ(Gl(array)->GetBuffers().size(), 3u);
    EXPECT_EQ(Gl(array)->GetBuffers()[2].buffer, nullptr);
    EXPECT_EQ(EnabledIn(vao, {0, 1, 2}), (std::vector<GLint>{GL_TRUE, GL_TRUE, GL_FALSE}));
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), 0);  // the removal leaves vertex array 0 bound
    ExpectMessages({});

    EXPECT_EQ(array->RemoveVertexBuffer(extra), ResultCode::InvalidValue);
    EXPECT_EQ(array->RemoveVertexBuffer(nullptr), ResultCode::InvalidValue);
    ExpectMessages({{kError, "GlVertexArray::RemoveVertexBuffer: buffer not listed"},
                    {kError, "GlVertexArray::RemoveVertexBuffer: null buffer"}});

    EXPECT_EQ(array->ClearVertexBuffers(), ResultCode::Success);
    EXPECT_TRUE(Gl(array)->GetBuffers().empty());
    EXPECT_EQ(EnabledIn(vao, {0, 1, 2}), (std::vector<GLint>{GL_FALSE, GL_FALSE, GL_FALSE}));

    // Before its first bind an array has no VAO: clearing only empties the list.
    VertexArray* fresh = MakeArray(colored);
    EXPECT_EQ(fresh->ClearVertexBuffers(), ResultCode::Success);
    EXPECT_TRUE(Gl(fresh)->GetBuffers().empty());
    EXPECT_EQ(Gl(fresh)->GetVao(), 0u);
    ExpectMessages({});
}

TEST_F(VertexArrayTest, BufferWithoutStorageStopsTheBindButTheArrayIsRecorded) {
    VertexBuffer* empty = context->CreateVertexBuffer();
    vertexBuffers.push_back(empty);
    VertexLayout layout = ColoredLayout();
    empty->SetVertexLayout(&layout);
    VertexLayout constant = PositionOnlyLayout();
    constant.attributes[0] = {2, VertexAttributeType::Float32, 1, 0, false};
    const float value = 7.0f;
    VertexArray* array = MakeArray(empty);
    array->SetConstantData(&constant, sizeof value, &value);

    EXPECT_EQ(context->BindVertexArray(array), ResultCode::InvalidOperation);
    ExpectMessages({{kError, "GlVertexBuffer::Bind: Buffer not initialized"}});
    EXPECT_FALSE(Gl(array)->IsBound());
    EXPECT_NE(CurrentAttribute(2)[0], 7.0f);  // the constant values were not reached
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(Gl(array)->GetVao()));
    // Recorded all the same: the unbind goes to GL.
    EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), 0);
}

// --- Vertex arrays: constant values ----------------------------------------------------------------

TEST_F(VertexArrayTest, ConstantColourFeedsTheDrawAndUpdatesWhileBound) {
    VertexBuffer* positions = MakeVertexBuffer(HalfQuads(), PositionOnlyLayout());
    VertexArray* array = MakeArray(positions);
    VertexLayout constant{};
    constant.attributeCount = 1;
    constant.attributes[0] = {1, VertexAttributeType::Float32, 4, 0, false};
    const float blue[4] = {0, 0, 1, 1};
    EXPECT_EQ(array->SetConstantData(&constant, sizeof blue, blue), ResultCode::Success);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(CurrentAttribute(1), (std::array<float, 4>{0, 0, 1, 1}));
    ClearBlack(context.get());
    EXPECT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(16, 32), kBlue);

    // Bound: an update reaches GL at once.
    const float green[2] = {1, 0};  // g, b
    EXPECT_EQ(array->UpdateConstantData(4, sizeof green, green), ResultCode::Success);
    EXPECT_EQ(CurrentAttribute(1), (std::array<float, 4>{0, 1, 0, 1}));
    EXPECT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 4, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(48, 32), kGreen);

    // Sent at every bind, even when the buffers need nothing.
    glVertexAttrib4f(1, 9, 9, 9, 9);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(CurrentAttribute(1), (std::array<float, 4>{0, 1, 0, 1}));

    // Not bound: an update waits for the next bind.
    ASSERT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    const float red[3] = {1, 0, 0};
    EXPECT_EQ(array->UpdateConstantData(0, sizeof red, red), ResultCode::Success);
    EXPECT_EQ(CurrentAttribute(1), (std::array<float, 4>{0, 1, 0, 1}));
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(CurrentAttribute(1), (std::array<float, 4>{1, 0, 0, 1}));
    ExpectMessages({});
}

TEST_F(VertexArrayTest, ConstantComponentCountsPickTheGlCall) {
    // None of these is 0, 1 or 9, so a component that was not sent cannot pass for one that was.
    const float data[4] = {0.5f, 0.25f, 0.125f, 0.75f};
    for (int components = 1; components <= 4; ++components) {
        SCOPED_TRACE(components);
        VertexArray* array = MakeArray();
        VertexLayout constant{};
        constant.attributeCount = 1;
        constant.attributes[0] = {2, VertexAttributeType::Float32, components, 0, false};
        array->SetConstantData(&constant, sizeof data, data);
        glVertexAttrib4f(2, 9, 9, 9, 9);
        ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
        // GL makes the missing components 0, 0, 1; Mesa keeps the previous ones until a draw. Either
        // way they are not the data's.
        std::array<float, 4> current = CurrentAttribute(2);
        for (int i = 0; i < 4; ++i) {
            if (i < components)
                EXPECT_EQ(current[i], data[i]) << "component " << i;
            else
                EXPECT_NE(current[i], data[i]) << "component " << i;
        }
    }
    ExpectMessages({});
}

TEST_F(VertexArrayTest, ConstantRecordsThatCannotBeSentAreRefused) {
    const float data[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    struct Case {
        const char* what;
        VertexAttributeType type;
        int32_t components;
        uint64_t offset;
        int32_t count;
        ResultCode result;
        std::string message;
    };
    const std::string prefix = "GlVertexArray::SetConstantValues: ";
    const Case cases[] = {
        {"Int32", VertexAttributeType::Int32, 4, 0, 2, ResultCode::NotSupported,
         prefix + "constant attribute 1 has type 4; only Float32 is supported"},
        {"Float16", VertexAttributeType::Float16, 2, 0, 2, ResultCode::NotSupported,
         prefix + "constant attribute 1 has type 6; only Float32 is supported"},
        {"no components", VertexAttributeType::Float32, 0, 0, 2, ResultCode::InvalidValue,
         prefix + "constant attribute 1 has 0 components"},
        {"five components", VertexAttributeType::Float32, 5, 0, 2, ResultCode::InvalidValue,
         prefix + "constant attribute 1 has 5 components"},
        {"past the block", VertexAttributeType::Float32, 2, 28, 2, ResultCode::InvalidValue,
         prefix + "constant attribute 1 lies outside the constant data"},
        {"nine records", VertexAttributeType::Float32, 1, 0, 9, ResultCode::InvalidValue,
         prefix + "invalid attributeCount 9"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        VertexArray* array = MakeArray();
        VertexLayout constant{};
        constant.attributeCount = c.count;
        for (auto& attribute : constant.attributes) attribute = {3, VertexAttributeType::Float32, 1, 0, false};
        constant.attributes[0] = {2, VertexAttributeType::Float32, 4, 0, false};
        constant.attributes[1] = {3, c.type, c.components, c.offset, false};
        array->SetConstantData(&constant, sizeof data, data);
        glVertexAttrib4f(2, 9, 9, 9, 9);
        EXPECT_EQ(context->BindVertexArray(array), c.result);
        ExpectMessages({{kError, c.message}});
        // Records ahead of the bad one are already in GL.
        bool firstSent = c.count <= GlVertexArray::kMaxConstantAttributes;
        EXPECT_EQ(CurrentAttribute(2)[0], firstSent ? 1.0f : 9.0f);
        EXPECT_TRUE(Gl(array)->IsBound());
        EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    }
}

TEST_F(VertexArrayTest, ConstantDataRangesAndNullArguments) {
    VertexArray* array = MakeArray();
    const float data[4] = {1, 2, 3, 4};
    EXPECT_EQ(array->UpdateConstantData(0, 4, data), ResultCode::InvalidValue);  // no block yet
    VertexLayout constant{};
    EXPECT_EQ(array->SetConstantData(&constant, 12, data), ResultCode::Success);
    EXPECT_EQ(array->UpdateConstantData(8, 8, data), ResultCode::InvalidValue);
    EXPECT_EQ(array->UpdateConstantData(SIZE_MAX, 2, data), ResultCode::InvalidValue);  // would wrap
    EXPECT_EQ(array->UpdateConstantData(4, 4, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(array->SetConstantData(nullptr, 4, data), ResultCode::InvalidValue);
    const std::string range = "GlVertexArray::UpdateConstantData: range outside the constant data";
    ExpectMessages({{kError, range},
                    {kError, range},
                    {kError, range},
                    {kError, "GlVertexArray::UpdateConstantData: null data"},
                    {kError, "GlVertexArray::SetConstantData: null layout"}});

    // The block grows and never shrinks; null data only sizes it.
    EXPECT_EQ(array->SetConstantData(&constant, 16, nullptr), ResultCode::Success);
    EXPECT_EQ(Gl(array)->GetConstantDataSize(), 16u);
    EXPECT_EQ(array->SetConstantData(&constant, 4, data), ResultCode::Success);
    EXPECT_EQ(Gl(array)->GetConstantDataSize(), 16u);
    EXPECT_EQ(array->UpdateConstantData(8, 8, data), ResultCode::Success);
    EXPECT_EQ(array->UpdateConstantData(16, 0, nullptr), ResultCode::Success);
    ExpectMessages({});
}

// --- Vertex arrays: other contexts and release -----------------------------------------------------

TEST_F(VertexArrayTest, SharedContextDrawsThroughItsOwnVaoAtEveryBind) {
    VertexLayout layout = ColoredLayout();
    VertexBuffer* buffer = MakeVertexBuffer(HalfQuads(), layout);
    VertexArray* array = MakeArray(buffer);
    // Applied on the owner first: the other context must not take "not dirty" as "nothing to do".
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    ASSERT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    GLuint arrayVao = Gl(array)->GetVao();
    Context* other = MakeSharedCurrent();
    ASSERT_NE(other, nullptr) << vindra_test::Describe(Messages());
    GLuint ownVao = Gl(other)->GetOwnVao();
    ASSERT_NE(ownVao, 0u);

    ASSERT_EQ(other->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(ownVao));
    EXPECT_EQ(Gl(array)->GetVao(), arrayVao);  // the owner's VAO is neither used nor remade here
    EXPECT_FALSE(Gl(array)->IsDirty());
    EXPECT_EQ(Attribute(0, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE);
    EXPECT_EQ(Attribute(1, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_TRUE);
    ClearBlack(other);
    EXPECT_EQ(other->DrawPrimitives(PrimitiveType::TriangleStrip, 4, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(48, 32), kGreen);
    EXPECT_EQ(ReadPixel(16, 32), kBlack);

    // Every bind here re-specifies, so a new layout in the buffer shows at once.
    layout.attributes[1].offset = 4;  // reads y's bytes as colour: no longer green
    buffer->SetVertexLayout(&layout);
    ASSERT_EQ(other->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(AttributeOffset(1), 4u);
    layout.attributes[1].offset = offsetof(Vertex, rgba);
    buffer->SetVertexLayout(&layout);

    // The unbind disables on this context's VAO what the array enabled there.
    EXPECT_EQ(other->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), 0);
    EXPECT_EQ(EnabledIn(ownVao, {0, 1}), (std::vector<GLint>{GL_FALSE, GL_FALSE}));

    // Back on the owner, the array draws from its own VAO.
    ASSERT_EQ(context->MakeCurrent(), 0u);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), static_cast<GLint>(arrayVao));
    ClearBlack(context.get());
    EXPECT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(16, 32), kRed);
    ExpectMessages({});
}

TEST_F(VertexArrayTest, IndexedDrawOnSharedContext) {
    VertexArray* array = MakeArray(MakeVertexBuffer(HalfQuads(), ColoredLayout()));
    IndexBuffer* indices = MakeIndexBuffer(IndexType::UInt32, std::vector<uint32_t>{0, 1, 2, 2, 1, 3});
    Context* other = MakeSharedCurrent();
    ASSERT_NE(other, nullptr);
    // The element binding lives in the VAO: bind the array first, then the indices.
    ASSERT_EQ(other->BindVertexArray(array), ResultCode::Success);
    ASSERT_EQ(other->BindIndexBuffer(indices), ResultCode::Success);
    ClearBlack(other);
    EXPECT_EQ(other->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(48, 32), kGreen);
    EXPECT_EQ(ReadPixel(16, 32), kBlack);
    ExpectMessages({});
}

TEST_F(VertexArrayTest, ReleaseDeletesTheVaoOnItsOwnerAndRestoresTheCurrentContext) {
    VertexBuffer* buffer = MakeVertexBuffer(HalfQuads(), ColoredLayout());
    Context* other = context->CreateSharedContext();
    ASSERT_NE(other, nullptr);
    shared = other;
    struct Case {
        const char* what;
        bool otherCurrent;  // else nothing is current at the release
    };
    for (const Case& c : {Case{"another context current", true}, Case{"no context current", false}}) {
        SCOPED_TRACE(c.what);
        ASSERT_EQ(context->MakeCurrent(), 0u);
        VertexArray* array = context->CreateVertexArray();
        array->SetVertexBuffer(buffer, 0, 0);
        ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
        ASSERT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
        GLuint vao = Gl(array)->GetVao();
        ASSERT_TRUE(glIsVertexArray(vao));

        if (c.otherCurrent) {
            ASSERT_EQ(other->MakeCurrent(), 0u);
            glClearColor(0.25f, 0.5f, 0.75f, 1.0f);  // marks the other GL context
            ASSERT_EQ(other->BindVertexArray(array), ResultCode::Success);
            EXPECT_EQ(other->ReleaseVertexArray(&array), 0u);
            EXPECT_EQ(vindra::currentContext, other);
            float marker[4] = {};
            glGetFloatv(GL_COLOR_CLEAR_VALUE, marker);
            EXPECT_EQ(marker[1], 0.5f);  // the other GL context is current again
            EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), 0);  // unbound there by the release
        } else {
            ASSERT_EQ(context->ClearCurrent(), 0u);
            EXPECT_EQ(context->ReleaseVertexArray(&array), 0u);
            EXPECT_EQ(vindra::currentContext, nullptr);
            EXPECT_EQ(glGetString(GL_VERSION), nullptr);  // no GL context left current
        }
        EXPECT_EQ(array, nullptr);
        ASSERT_EQ(context->MakeCurrent(), 0u);
        EXPECT_FALSE(glIsVertexArray(vao));
    }
    ExpectMessages({});
}

TEST_F(VertexArrayTest, ReleaseUnbindsTheArrayAndAcceptsNullPointers) {
    VertexArray* array = context->CreateVertexArray();
    array->SetVertexBuffer(MakeVertexBuffer(HalfQuads(), ColoredLayout()), 0, 0);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(context->ReleaseVertexArray(&array), 0u);
    EXPECT_EQ(array, nullptr);
    EXPECT_EQ(GetInteger(GL_VERTEX_ARRAY_BINDING), 0);
    // The record went with it: binding nothing now has nothing to undo.
    EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);

    EXPECT_EQ(context->ReleaseVertexArray(&array), 0u);
    EXPECT_EQ(context->ReleaseVertexArray(nullptr), uint32_t(ResultCode::InvalidValue));
    FenceSync* fence = nullptr;
    EXPECT_EQ(context->ReleaseFenceSync(&fence), 0u);
    EXPECT_EQ(fence, nullptr);
    EXPECT_EQ(context->ReleaseFenceSync(nullptr), uint32_t(ResultCode::InvalidValue));
    ExpectMessages({{4, "GlContext::ReleaseVertexArray: null address"}, {4, "GlContext::ReleaseFenceSync: null address"}});
}

TEST_F(VertexArrayTest, ReleasingAListedBufferEmptiesItsEntries) {
    VertexBuffer* colored = MakeVertexBuffer(HalfQuads(), ColoredLayout());
    VertexBuffer* doomed = MakeVertexBuffer(HalfQuads(), ColoredLayout());
    VertexArray* bound = MakeArray(colored);
    VertexArray* idle = MakeArray(doomed);
    bound->SetVertexBuffer(doomed, 1, 0);
    ASSERT_EQ(context->BindVertexArray(bound), ResultCode::Success);
    // Released through the context that made both arrays, listed in the bound one and in one that
    // is not bound: both let go of it (ASan would see a later read of the freed buffer).
    VertexBuffer*& listed = vertexBuffers.back();  // the fixture's own copy, released here instead
    EXPECT_EQ(context->ReleaseVertexBuffer(&listed), 0u);
    EXPECT_EQ(Gl(bound)->GetBuffers()[1].buffer, nullptr);
    EXPECT_EQ(Gl(idle)->GetBuffers()[0].buffer, nullptr);
    ASSERT_EQ(context->BindVertexArray(idle), ResultCode::Success);
    ASSERT_EQ(context->BindVertexArray(bound), ResultCode::Success);
    ClearBlack(context.get());
    EXPECT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(16, 32), kRed);
    ExpectMessages({});
}

TEST_F(VertexArrayTest, ReleasedBufferRemovedFirstLeavesLaterBindsSafe) {
    VertexBuffer* colored = MakeVertexBuffer(HalfQuads(), ColoredLayout());
    VertexLayout third = PositionOnlyLayout();
    third.attributes[0].location = 2;
    VertexBuffer* extra = context->CreateVertexBuffer();
    std::vector<Vertex> vertices = HalfQuads();
    extra->BufferData(vertices.size() * sizeof(Vertex), vertices.data(), vindra::BufferUsage::StaticDraw);
    extra->SetVertexLayout(&third);

    VertexArray* array = MakeArray(colored);
    array->SetVertexBuffer(extra, 1, 0);
    array->SetVertexBuffer(extra, 3, 0);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    GLuint vao = Gl(array)->GetVao();

    // What a buffer release does for the arrays it knows: empty every entry while the buffer exists.
    Gl(array)->ForgetVertexBuffer(extra);
    EXPECT_EQ(Gl(array)->GetBuffers()[1].buffer, nullptr);
    EXPECT_EQ(Gl(array)->GetBuffers()[3].buffer, nullptr);
    EXPECT_EQ(EnabledIn(vao, {0, 1, 2}), (std::vector<GLint>{GL_TRUE, GL_TRUE, GL_FALSE}));
    EXPECT_EQ(context->ReleaseVertexBuffer(&extra), 0u);

    // Both kinds of bind that read the listed buffers run on what is left.
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    ClearBlack(context.get());
    EXPECT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(16, 32), kRed);
    Context* other = MakeSharedCurrent();
    ASSERT_NE(other, nullptr);
    ASSERT_EQ(other->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(Attribute(2, GL_VERTEX_ATTRIB_ARRAY_ENABLED), GL_FALSE);
    ClearBlack(other);
    EXPECT_EQ(other->DrawPrimitives(PrimitiveType::TriangleStrip, 4, 4), ResultCode::Success);
    EXPECT_EQ(ReadPixel(48, 32), kGreen);
    EXPECT_EQ(other->BindVertexArray(nullptr), ResultCode::Success);
    ExpectMessages({});
}

// --- Fences --------------------------------------------------------------------------------------

TEST_F(FenceTest, UnsetFenceAnswersInvalidOperationSilently) {
    FenceSync* fence = context->CreateFenceSync();
    EXPECT_EQ(static_cast<GlFenceSync*>(fence)->GetSync(), nullptr);
    EXPECT_EQ(fence->Wait(), ResultCode::InvalidOperation);
    EXPECT_EQ(fence->ClientWait(), ResultCode::InvalidOperation);
    EXPECT_EQ(fence->ClientCheck(), ResultCode::InvalidOperation);
    ExpectMessages({});
    EXPECT_EQ(context->ReleaseFenceSync(&fence), 0u);
    EXPECT_EQ(fence, nullptr);
}

TEST_F(FenceTest, NotReadyBehindHeavyWorkThenSuccessAfterClientWait) {
    GLuint slow = Link(kVertexShader, kSlowFragmentShader);
    glUseProgram(slow);
    glUniform1i(glGetUniformLocation(slow, "iterations"), 4000);
    ASSERT_EQ(context->BindVertexArray(MakeArray(MakeVertexBuffer(HalfQuads(), ColoredLayout()))), ResultCode::Success);
    FenceSync* fence = context->CreateFenceSync();
    ClearBlack(context.get());
    for (int i = 0; i < 20; ++i) {
        ASSERT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4), ResultCode::Success);
    }
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);

    EXPECT_EQ(fence->ClientCheck(), ResultCode::NotReady);
    EXPECT_EQ(fence->ClientWait(), ResultCode::Success);
    EXPECT_EQ(fence->ClientCheck(), ResultCode::Success);
    EXPECT_EQ(fence->ClientWait(), ResultCode::Success);  // already passed: answers at once
    EXPECT_EQ(ReadPixel(16, 32), kRed);
    ExpectMessages({});

    context->ReleaseFenceSync(&fence);
    glUseProgram(program);
    glDeleteProgram(slow);
}

TEST_F(FenceTest, GpuWaitOnASharedContext) {
    VertexArray* array = MakeArray(MakeVertexBuffer(HalfQuads(), ColoredLayout()));
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    FenceSync* fence = context->CreateFenceSync();
    ClearBlack(context.get());
    ASSERT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4), ResultCode::Success);
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);
    context->Flush();  // another context waits for it: it has to reach the GPU

    Context* other = MakeSharedCurrent();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(fence->Wait(), ResultCode::Success);
    // The shared context draws the right half over what the first one drew.
    ASSERT_EQ(other->BindVertexArray(array), ResultCode::Success);
    ASSERT_EQ(other->DrawPrimitives(PrimitiveType::TriangleStrip, 4, 4), ResultCode::Success);
    EXPECT_EQ(fence->ClientWait(), ResultCode::Success);
    EXPECT_EQ(fence->ClientCheck(), ResultCode::Success);
    EXPECT_EQ(ReadPixel(16, 32), kRed);
    EXPECT_EQ(ReadPixel(48, 32), kGreen);
    EXPECT_EQ(other->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_EQ(other->ReleaseFenceSync(&fence), 0u);
    ExpectMessages({});
}

TEST_F(FenceTest, SetFenceReplacesAndReleaseDeletesTheSyncObject) {
    FenceSync* fence = context->CreateFenceSync();
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);
    GLsync first = static_cast<GlFenceSync*>(fence)->GetSync();
    ASSERT_TRUE(glIsSync(first));
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);
    GLsync second = static_cast<GlFenceSync*>(fence)->GetSync();
    EXPECT_TRUE(glIsSync(second));
    if (second != first) {  // the driver may reuse the address of the deleted one
        EXPECT_FALSE(glIsSync(first));
    }
    context->Finish();
    EXPECT_EQ(fence->ClientCheck(), ResultCode::Success);
    EXPECT_EQ(fence->Wait(), ResultCode::Success);

    EXPECT_EQ(context->ReleaseFenceSync(&fence), 0u);
    EXPECT_EQ(fence, nullptr);
    EXPECT_FALSE(glIsSync(second));
    ExpectMessages({});
}

}  // namespace
