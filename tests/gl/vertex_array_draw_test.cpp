// Vertex arrays, clearing, drawing and fences on real GL: pixels read back from what was drawn, vertex
// array state read back from GL, results and reported messages.
#include "gl_test.h"

#include <cstddef>

#include "core/current_context.h"
#include "gl/gl_context.h"
#include "gl/gl_fence_sync.h"
#include "gl/gl_vertex_array.h"
#include "gl/gl_vertex_buffer.h"

using namespace vindra;
using namespace vindra_test;

namespace {

using Rgba = std::array<uint8_t, 4>;
using Halves = std::array<Rgba, 2>;  // pixels (16, 32) and (48, 32) of the 64x64 target
using Floats = std::array<float, 4>;
using Flags = std::vector<GLint>;
// Every channel of the background differs, so that a clear colour taken from the wrong channel shows.
const float kClearColor[4] = {0.2f, 0.4f, 0.6f, 1.0f};
constexpr Rgba kBackground = {51, 102, 153, 255}, kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255};

struct Vertex {
    float x, y;
    Rgba rgba;
};
// Triangle strips: left half red (vertices 0-3), right half green (4-7).
const std::vector<Vertex> kHalves = {{-1, -1, kRed},  {0, -1, kRed},   {-1, 1, kRed},  {0, 1, kRed},
                                     {0, -1, kGreen}, {1, -1, kGreen}, {0, 1, kGreen}, {1, 1, kGreen}};

// Position at `position`; with `colored`, a normalised byte colour at location 1.
VertexLayout Layout(bool colored = true, int32_t position = 0) {
    VertexLayout layout{sizeof(Vertex), colored ? 2 : 1, {}};
    layout.attributes[0] = {position, VertexAttributeType::Float32, 2, 0, false};
    layout.attributes[1] = {1, VertexAttributeType::UInt8, 4, offsetof(Vertex, rgba), true};
    return layout;
}
VertexLayout ConstantLayout(int32_t location, int32_t components, int32_t count = 1) {
    VertexLayout layout{0, count, {}};
    for (VertexAttribute& attribute : layout.attributes) attribute = {3, VertexAttributeType::Float32, 1, 0, false};
    layout.attributes[0] = {location, VertexAttributeType::Float32, components, 0, false};
    return layout;
}

// The fragment loop is slow on purpose when `iterations` is set, so that a fence placed behind it is still
// ahead of the GPU when first polled.
const char* const kShaders[] = {
    "#version 450 core\nlayout(location = 0) in vec2 position;\nlayout(location = 1) in vec4 color;\n"
    "out vec4 vertexColor;\nvoid main() { gl_Position = vec4(position, 0.0, 1.0); vertexColor = color; }\n",
    "#version 450 core\nin vec4 vertexColor;\nuniform int iterations;\nout vec4 fragColor;\nvoid main() {\n"
    "  float value = gl_FragCoord.x;\n"
    "  for (int i = 0; i < iterations; ++i) value = fract(sin(value) * 43758.5453 + 0.1);\n"
    "  fragColor = vec4(vertexColor.rgb, value != -1.0 ? 1.0 : 0.0);\n}\n"};

GLint Attribute(GLuint location, GLenum pname) {
    GLint value = -1;
    glGetVertexAttribiv(location, pname, &value);
    return value;
}
GLint Enabled(GLuint location) { return Attribute(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED); }
uintptr_t AttributeOffset(GLuint location) {
    void* pointer = nullptr;
    glGetVertexAttribPointerv(location, GL_VERTEX_ATTRIB_ARRAY_POINTER, &pointer);
    return reinterpret_cast<uintptr_t>(pointer);
}
Floats CurrentAttribute(GLuint location) {
    Floats value{};
    glGetVertexAttribfv(location, GL_CURRENT_VERTEX_ATTRIB, value.data());
    return value;
}
GlVertexArray* Gl(VertexArray* array) { return static_cast<GlVertexArray*>(array); }

class RenderFixture : public GlTest {
protected:
    // Renders into an RGBA8 renderbuffer that every sharing context sees.
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) return;
        glCreateRenderbuffers(1, &renderbuffer);
        glNamedRenderbufferStorage(renderbuffer, GL_RGBA8, 64, 64);
        AttachTarget();
        program = glCreateProgram();
        for (GLenum stage : {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER}) {
            GLuint shader = glCreateShader(stage);
            glShaderSource(shader, 1, &kShaders[stage == GL_FRAGMENT_SHADER], nullptr);
            glCompileShader(shader);
            glAttachShader(program, shader);
            glDeleteShader(shader);
        }
        glLinkProgram(program);
        glUseProgram(program);
        ASSERT_EQ(glGetError(), GLenum(GL_NO_ERROR));
    }
    void TearDown() override {
        if (!context) return GlTest::TearDown();
        context->MakeCurrent();
        delete shared;  // first: its records may name the arrays released below
        for (VertexArray*& array : arrays) context->ReleaseVertexArray(&array);
        for (VertexBuffer*& buffer : vertexBuffers) context->ReleaseVertexBuffer(&buffer);
        for (IndexBuffer*& buffer : indexBuffers) context->ReleaseIndexBuffer(&buffer);
        glDeleteProgram(program);
        glDeleteRenderbuffers(1, &renderbuffer);
        GlTest::TearDown();
    }
    // Framebuffer objects are not shared: each context attaches the renderbuffer to one of its own,
    // deleted with the context.
    void AttachTarget() {
        GLuint fbo = 0;
        glGenFramebuffers(1, &fbo);
        glBindFramebuffer(GL_FRAMEBUFFER, fbo);
        glFramebufferRenderbuffer(GL_FRAMEBUFFER, GL_COLOR_ATTACHMENT0, GL_RENDERBUFFER, renderbuffer);
        glViewport(0, 0, 64, 64);
    }
    VertexBuffer* MakeVertexBuffer(const VertexLayout& layout, const std::vector<Vertex>& vertices = kHalves) {
        VertexBuffer* buffer = vertexBuffers.emplace_back(context->CreateVertexBuffer());
        buffer->BufferData(vertices.size() * sizeof(Vertex), vertices.data(), BufferUsage::StaticDraw);
        buffer->SetVertexLayout(&layout);
        return buffer;
    }
    // A vertex array of the fixture's context listing `buffer` at entry 0. The fixture releases it.
    VertexArray* MakeArray(VertexBuffer* buffer = nullptr) {
        VertexArray* array = arrays.emplace_back(context->CreateVertexArray());
        if (buffer != nullptr) array->SetVertexBuffer(buffer, 0, 0);
        return array;
    }
    // The shared context, current on the test's thread, drawing into the fixture's renderbuffers.
    Context* MakeSharedCurrent() {
        shared = context->CreateSharedContext();
        if (shared == nullptr || shared->MakeCurrent() != 0) return nullptr;
        AttachTarget();
        glUseProgram(program);  // programs are shared objects
        return shared;
    }
    void ClearBackground(Context* on) {
        EXPECT_EQ(on->Clear(ClearColorBuffer, kClearColor, 1.0, 0), ResultCode::Success);
    }
    // Clears, draws the strip from `first` (0: the red left half, 4: the green right half), reads both halves.
    Halves DrawStrip(Context* on, int32_t first) {
        ClearBackground(on);
        EXPECT_EQ(on->DrawPrimitives(PrimitiveType::TriangleStrip, first, 4), ResultCode::Success);
        return Read();
    }
    Halves Read() { return {ReadPixel(16, 32), ReadPixel(48, 32)}; }

    GLuint renderbuffer = 0, program = 0;
    Context* shared = nullptr;
    std::vector<VertexArray*> arrays;
    std::vector<VertexBuffer*> vertexBuffers;
    std::vector<IndexBuffer*> indexBuffers;
};

using DrawTest = RenderFixture;
using VertexArrayTest = RenderFixture;

// GL keeps the index buffer binding in the vertex array object, and an index buffer update leaves it at
// 0: a draw must never reach the driver then, which would read indices at address 0.
// Name; whether the draw that follows is refused; the step.
using IndexStep = std::function<void(Context*, IndexBuffer*, VertexArray* other, VertexArray* same)>;
// clang-format off
const std::tuple<const char*, bool, IndexStep> kIndexLossCases[] = {
    {"nothing", false, [](auto...) {}},
    {"BufferSubData", true, [](Context*, IndexBuffer* i, auto...) { i->BufferSubData(10, 2, &i); }},
    {"BufferData", true, [](Context*, IndexBuffer* i, auto...) { i->BufferData(24, nullptr, BufferUsage::StaticDraw); }},
    {"refused BufferSubData", false, [](Context*, IndexBuffer* i, auto...) { i->BufferSubData(1000, 2, &i); }},
    {"BindIndexBuffer(null)", true, [](Context* c, auto...) { c->BindIndexBuffer(nullptr); }},
    {"another vertex array", true, [](Context* c, IndexBuffer*, VertexArray* o, auto) { c->BindVertexArray(o); }},
    {"the same array again", false, [](Context* c, IndexBuffer*, VertexArray* o, VertexArray* same) { c->BindVertexArray(o), c->BindVertexArray(same); }},
    {"unbind and bind again", false, [](Context* c, IndexBuffer*, VertexArray*, VertexArray* same) { c->BindVertexArray(nullptr), c->BindVertexArray(same); }},
};
// clang-format on

const ResultCode kNoIndexBuffer = ResultCode::InvalidOperation;
const std::string kNoIndexBufferMessage =
    "GlContext::DrawIndexedPrimitives: no index buffer in the bound vertex array (binding a vertex array or updating "
    "the index buffer's data takes it out): bind the index buffer again";

TEST_F(DrawTest, IndexedDrawsNeedTheIndexBufferInTheBoundVertexArray) {
    VertexArray* array = MakeArray(MakeVertexBuffer(Layout()));
    VertexArray* other = MakeArray(MakeVertexBuffer(Layout()));
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    // Before any index buffer the type itself is unknown and GL refuses the draw.
    EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 0), ResultCode::InvalidEnum);
    ExpectMessages({{kError, "GlContext::DrawIndexedPrimitives: GL_INVALID_ENUM"}});
    // The quad's indices follow six that would draw garbage (vertex 9 does not exist); base vertex 4
    // moves the quad to the green half. The data is written again after each case.
    const std::vector<uint32_t> indices = {9, 9, 9, 9, 9, 9, 0, 1, 2, 2, 1, 3};
    for (IndexType type : {IndexType::UInt16, IndexType::UInt32}) {
        IndexBuffer* buffer = indexBuffers.emplace_back(context->CreateIndexBuffer());
        buffer->SetIndexType(type);
        const std::vector<uint16_t> shorts(indices.begin(), indices.end());
        const void* data = type == IndexType::UInt32 ? static_cast<const void*>(indices.data()) : shorts.data();
        const uint64_t size = type == IndexType::UInt32 ? 48 : 24, offset = size / 2;
        for (const auto& [name, lost, step] : kIndexLossCases) {
            SCOPED_TRACE(std::string(name) + (type == IndexType::UInt32 ? ", 32-bit" : ", 16-bit"));
            ASSERT_EQ(buffer->BufferData(size, data, BufferUsage::StaticDraw), ResultCode::Success);
            ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
            ASSERT_EQ(context->BindIndexBuffer(buffer), ResultCode::Success);
            step(context.get(), buffer, other, array);
            capture.Clear();
            ClearBackground(context.get());
            if (lost) {
                EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, offset, 4), kNoIndexBuffer);
                ExpectMessages({{kError, kNoIndexBufferMessage}});
                ASSERT_EQ(buffer->BufferData(size, data, BufferUsage::StaticDraw), ResultCode::Success);
                ASSERT_EQ(context->BindIndexBuffer(buffer), ResultCode::Success);
            }
            EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, offset, 4), ResultCode::Success);
            EXPECT_EQ(Read(), (Halves{kBackground, kGreen}));
        }
    }
    // A released index buffer leaves the vertex array object too.
    context->ReleaseIndexBuffer(&indexBuffers.back());
    EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 0), kNoIndexBuffer);
    ExpectMessages({{kError, kNoIndexBufferMessage}});
}

// --- Vertex arrays ---------------------------------------------------------------------------------

TEST_F(VertexArrayTest, OwnerBindPointsAttributesIntoItsVao) {
    VertexLayout layout{20, 3, {}};
    layout.attributes[0] = {0, VertexAttributeType::Float32, 3, 0, false};
    layout.attributes[1] = {-1, VertexAttributeType(99), 2, 4, false};  // skipped, never read
    layout.attributes[2] = {3, VertexAttributeType::UInt16, 2, 12, true};
    VertexBuffer* buffer = MakeVertexBuffer(layout);
    VertexArray* array = MakeArray();
    // Entry 1 of the list (entry 0 stays empty); negative indices are ignored.
    EXPECT_EQ(array->SetVertexBuffer(buffer, 1, 100), ResultCode::Success);
    EXPECT_EQ(array->SetVertexBuffer(buffer, -1, 0), ResultCode::Success);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(Get(GL_VERTEX_ARRAY_BINDING), GLint(Gl(array)->GetVao()));
    const GLint name = GLint(static_cast<GlVertexBuffer*>(buffer)->GetName());
    const GLenum pnames[] = {GL_VERTEX_ATTRIB_ARRAY_ENABLED, GL_VERTEX_ATTRIB_ARRAY_SIZE,
                             GL_VERTEX_ATTRIB_ARRAY_TYPE,    GL_VERTEX_ATTRIB_ARRAY_NORMALIZED,
                             GL_VERTEX_ATTRIB_ARRAY_STRIDE,  GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING};
    const Flags expected[2] = {{GL_TRUE, 3, GL_FLOAT, GL_FALSE, 20, name},
                               {GL_TRUE, 2, GL_UNSIGNED_SHORT, GL_TRUE, 20, name}};
    for (GLuint location : {0, 3}) {
        Flags got;
        for (GLenum pname : pnames) got.push_back(Attribute(location, pname));
        EXPECT_EQ(got, expected[location / 3]) << location;
        EXPECT_EQ(AttributeOffset(location), location == 0 ? 100u : 112u);
    }
    EXPECT_EQ(Flags({Enabled(1), Get(GL_ARRAY_BUFFER_BINDING)}), Flags({GL_FALSE, 0}));
    // Entries far past the others cost nothing and bind like any other.
    for (int32_t index : {1024, INT32_MAX}) EXPECT_EQ(array->SetVertexBuffer(buffer, index, 0), ResultCode::Success);
    EXPECT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_EQ(Get(GL_VERTEX_ARRAY_BINDING), 0);
    ExpectMessages({});
}

// Emptying entries changes the array's attribute state where it is bound, and never which vertex array
// GL has bound: the next draw runs on what is left. Other arrays drop theirs at their next bind.
// Name; whether the bound array loses location 2; locations 0 and 2 of the idle array at its next bind.
using Emptying = std::function<void(Context*, VertexArray* bound, VertexArray* idle, VertexBuffer** extra)>;
// clang-format off
const std::tuple<const char*, bool, Flags, Emptying> kEmptyingCases[] = {
    {"SetVertexBuffer(null)", true, {GL_TRUE, GL_TRUE}, [](Context*, VertexArray* b, auto...) { b->SetVertexBuffer(nullptr, 2, 0); }},
    {"RemoveVertexBuffer", true, {GL_TRUE, GL_TRUE}, [](Context*, VertexArray* b, VertexArray*, VertexBuffer** e) { b->RemoveVertexBuffer(*e); }},
    {"ClearVertexBuffers of another array", false, {GL_FALSE, GL_FALSE}, [](Context*, VertexArray*, VertexArray* i, auto) { i->ClearVertexBuffers(); }},
    {"release of a buffer both list", true, {GL_TRUE, GL_FALSE}, [](Context* c, VertexArray*, VertexArray*, VertexBuffer** e) { c->ReleaseVertexBuffer(e); }},
};
// clang-format on

TEST_F(VertexArrayTest, EmptyingEntriesKeepsTheBoundArrayDrawing) {
    const VertexLayout extraLayout = Layout(false, 2);
    for (const auto& [name, boundLoses, idleEnabled, empty] : kEmptyingCases) {
        SCOPED_TRACE(name);
        VertexBuffer* colored = MakeVertexBuffer(Layout());
        VertexBuffer* extra = MakeVertexBuffer(extraLayout);
        VertexArray* idle = MakeArray(colored);
        idle->SetVertexBuffer(extra, 1, 0);
        VertexArray* bound = MakeArray(colored);
        bound->SetVertexBuffer(extra, 2, 0);
        ASSERT_EQ(context->BindVertexArray(idle), ResultCode::Success);  // makes idle's VAO
        ASSERT_EQ(context->BindVertexArray(bound), ResultCode::Success);
        empty(context.get(), bound, idle, &vertexBuffers.back());  // a release leaves null for the fixture
        EXPECT_EQ(Get(GL_VERTEX_ARRAY_BINDING), GLint(Gl(bound)->GetVao()));
        EXPECT_EQ(DrawStrip(context.get(), 0), (Halves{kRed, kBackground}));
        EXPECT_EQ(Enabled(2), boundLoses ? GL_FALSE : GL_TRUE);
        ASSERT_EQ(context->BindVertexArray(idle), ResultCode::Success);
        EXPECT_EQ(Flags({Enabled(0), Enabled(2)}), idleEnabled);
        ExpectMessages({});
    }
}

// Emptied while another context is current, the owner's VAO cannot be touched: the attributes go at the
// owner's next bind, where they would otherwise override the constant colour. Constant values reach GL
// at every bind, and at once from an update while the array is bound.
TEST_F(VertexArrayTest, EntryEmptiedElsewhereIsDisabledAtTheOwnersNextBind) {
    VertexArray* array = MakeArray(MakeVertexBuffer(Layout(false)));
    array->SetVertexBuffer(MakeVertexBuffer(Layout()), 1, 0);
    VertexLayout constant = ConstantLayout(1, 4);
    const float blue[4] = {0, 0, 1, 1}, green[2] = {1, 0};
    array->SetConstantData(&constant, sizeof blue, blue);
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    EXPECT_EQ(DrawStrip(context.get(), 0), (Halves{kRed, kBackground}));  // the buffer's colour wins
    ASSERT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    ASSERT_NE(MakeSharedCurrent(), nullptr);
    EXPECT_EQ(array->SetVertexBuffer(nullptr, 1, 0), ResultCode::Success);
    EXPECT_EQ(array->UpdateConstantData(4, sizeof green, green), ResultCode::Success);  // not bound here: waits
    EXPECT_NE(CurrentAttribute(1), (Floats{0, 1, 0, 1}));
    ASSERT_EQ(context->MakeCurrent(), 0u);
    for (int bind = 0; bind < 2; ++bind) {  // what stays listed draws at every later bind
        ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
        EXPECT_EQ(DrawStrip(context.get(), 0), (Halves{kGreen, kBackground}));
    }
    EXPECT_EQ(array->UpdateConstantData(0, sizeof blue, blue), ResultCode::Success);  // bound: sent at once
    EXPECT_EQ(CurrentAttribute(1), (Floats{0, 0, 1, 1}));
    ExpectMessages({});
}

// Record 0 (four components at location 2) goes first; record 1 (location 3) picks the GL call by its
// component count, or is refused.
TEST_F(VertexArrayTest, ConstantRecordsPickTheGlCallOrAreRefused) {
    // None of these is 0, 1 or 9, so a component that was not sent cannot pass for one that was.
    const float data[8] = {0.5f, 0.25f, 0.125f, 0.75f, 0.5f, 0.25f, 0.125f, 0.75f};
    const auto f32 = VertexAttributeType::Float32;
    const ResultCode ok = ResultCode::Success, bad = ResultCode::InvalidValue;
    // clang-format off
    const std::tuple<VertexAttributeType, int32_t, uint64_t, int32_t, ResultCode, std::string> rows[] = {
        {f32, 1, 16, 2, ok, ""}, {f32, 2, 16, 2, ok, ""}, {f32, 3, 16, 2, ok, ""}, {f32, 4, 16, 2, ok, ""},
        {VertexAttributeType::Int32, 4, 0, 2, ResultCode::NotSupported, "constant attribute 1 has type 4; only Float32 is supported"},
        {f32, 0, 0, 2, bad, "constant attribute 1 has 0 components"},
        {f32, 5, 0, 2, bad, "constant attribute 1 has 5 components"},
        {f32, 2, 28, 2, bad, "constant attribute 1 lies outside the constant data"},
        {f32, 1, 0, 9, bad, "invalid attributeCount 9"}};
    // clang-format on
    for (const auto& [type, components, offset, count, result, message] : rows) {
        SCOPED_TRACE(std::to_string(components) + " components " + message);
        VertexLayout constant = ConstantLayout(2, 4, count);
        constant.attributes[1] = {3, type, components, offset, false};
        VertexArray* array = MakeArray();
        array->SetConstantData(&constant, sizeof data, data);
        glVertexAttrib4f(2, 9, 9, 9, 9);
        glVertexAttrib4f(3, 9, 9, 9, 9);
        EXPECT_EQ(context->BindVertexArray(array), result);
        ExpectMessages(ErrorOrNone(message.empty() ? "" : "GlVertexArray::SetConstantValues: " + message));
        EXPECT_EQ(CurrentAttribute(2)[0], count <= 8 ? 0.5f : 9.0f);  // records ahead of a bad one are sent
        Floats sent = CurrentAttribute(3);                            // Mesa keeps the components not sent until a draw
        for (int i = 0; result == ok && i < 4; ++i) EXPECT_EQ(sent[i] == data[i], i < components) << i;
    }
    // A layout without data sends nothing, and is no error.
    const VertexLayout layout = ConstantLayout(2, 4);
    MakeArray()->SetConstantData(&layout, 0, nullptr);
    EXPECT_EQ(context->BindVertexArray(arrays.back()), ok);
    EXPECT_EQ(CurrentAttribute(2)[0], 9.0f);
    // Updates stay inside the block, however the range is made to wrap around; without a block nothing fits.
    EXPECT_EQ(arrays.front()->UpdateConstantData(28, 4, data), ok);
    for (auto [offset, size] : {std::pair<size_t, size_t>{28, 8}, {SIZE_MAX, 2}, {32, 1}})
        EXPECT_EQ(arrays.front()->UpdateConstantData(offset, size, data), bad) << offset;
    EXPECT_EQ(arrays.back()->UpdateConstantData(0, 4, data), bad);
    ExpectMessages(
        std::vector<Message>(4, {kError, "GlVertexArray::UpdateConstantData: range outside the constant data"}));
}

// Every order of releases leaves no record of freed memory (ASan watches): an array released through one
// context while bound on the other, and arrays that outlive their owner.
// Name; released through the owner; bound on the owner; bound on the shared context.
const std::tuple<const char*, bool, bool, bool> kReleaseOrders[] = {
    {"released by its owner while bound on the shared context", true, false, true},
    {"released by the shared context while bound on its owner", false, true, false},
    {"released by the shared context while bound on both", false, true, true},
};

TEST_F(VertexArrayTest, NoReleaseOrderLeavesARecordOfFreedMemory) {
    VertexBuffer* buffer = MakeVertexBuffer(Layout());
    Context* other = MakeSharedCurrent();
    ASSERT_NE(other, nullptr);
    for (const auto& [name, releaseThroughOwner, boundOnOwner, boundOnShared] : kReleaseOrders) {
        SCOPED_TRACE(name);
        ASSERT_EQ(context->MakeCurrent(), 0u);
        VertexArray* array = context->CreateVertexArray();
        array->SetVertexBuffer(buffer, 0, 0);
        if (boundOnOwner) context->BindVertexArray(array);
        ASSERT_EQ(other->MakeCurrent(), 0u);
        // The shared context draws through its own VAO, also where the owner applied the array first: "not
        // dirty" there is no reason to skip the attributes here.
        if (boundOnShared) {
            EXPECT_EQ(other->BindVertexArray(array), ResultCode::Success);
            EXPECT_EQ(DrawStrip(other, 4), (Halves{kBackground, kGreen}));
        }
        GLuint vao = Gl(array)->GetVao();
        EXPECT_EQ((releaseThroughOwner ? context.get() : other)->ReleaseVertexArray(&array), 0u);
        EXPECT_EQ(currentContext, other);  // a release on the owner's behalf switches back
        // Both records are gone: these reach no freed array.
        VertexBuffer* spare = other->CreateVertexBuffer();
        EXPECT_EQ(other->ReleaseVertexBuffer(&spare), 0u);
        EXPECT_EQ(other->BindVertexArray(nullptr), ResultCode::Success);
        ASSERT_EQ(context->MakeCurrent(), 0u);
        EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
        EXPECT_FALSE(glIsVertexArray(vao));
    }
    // Arrays of a context deleted first, with and without a VAO, are released through the other.
    Context* doomed = context->CreateSharedContext();
    ASSERT_EQ(doomed->MakeCurrent(), 0u);
    VertexArray* withoutVao = doomed->CreateVertexArray();
    VertexArray* withVao = doomed->CreateVertexArray();
    withVao->SetVertexBuffer(buffer, 0, 0);
    ASSERT_EQ(doomed->BindVertexArray(withVao), ResultCode::Success);
    ASSERT_EQ(other->MakeCurrent(), 0u);
    ASSERT_EQ(other->BindVertexArray(withVao), ResultCode::Success);
    delete doomed;
    EXPECT_EQ(other->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_EQ(other->BindVertexArray(withoutVao), ResultCode::Success);
    // The unbind took out of the shared context's own VAO what withVao enabled there.
    EXPECT_EQ(Flags({Enabled(0), Enabled(1)}), Flags({GL_FALSE, GL_FALSE}));
    EXPECT_EQ(other->ReleaseVertexArray(&withVao), 0u);
    EXPECT_EQ(other->ReleaseVertexArray(&withoutVao), 0u);
    EXPECT_EQ(currentContext, other);
    ExpectMessages({});
}

// --- Fences --------------------------------------------------------------------------------------

TEST_F(DrawTest, FenceIsNotReadyBehindHeavyWorkAndEachSetFenceReplacesTheSyncObject) {
    glUniform1i(glGetUniformLocation(program, "iterations"), 4000);
    ASSERT_EQ(context->BindVertexArray(MakeArray(MakeVertexBuffer(Layout()))), ResultCode::Success);
    FenceSync* fence = context->CreateFenceSync();
    // Not set yet: every wait answers InvalidOperation, silently.
    EXPECT_EQ(Flags({int(fence->Wait()), int(fence->ClientWait()), int(fence->ClientCheck())}), Flags(3, 4));
    for (int i = 0; i < 20; ++i) context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4);
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);
    EXPECT_EQ(fence->ClientCheck(), ResultCode::NotReady);
    EXPECT_EQ(fence->ClientWait(), ResultCode::Success);
    EXPECT_EQ(fence->ClientCheck(), ResultCode::Success);
    // A new fence replaces the sync object; a shared context's GPU waits for it.
    GLsync first = static_cast<GlFenceSync*>(fence)->GetSync();
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);
    GLsync second = static_cast<GlFenceSync*>(fence)->GetSync();
    EXPECT_TRUE(second == first || !glIsSync(first));  // the driver may reuse the address
    context->Flush();                                  // another context waits for it: it has to reach the GPU
    Context* other = MakeSharedCurrent();
    ASSERT_NE(other, nullptr);
    EXPECT_EQ(fence->Wait(), ResultCode::Success);
    EXPECT_EQ(other->ReleaseFenceSync(&fence), 0u);
    EXPECT_FALSE(glIsSync(second));
    ExpectMessages({});
}

}  // namespace
