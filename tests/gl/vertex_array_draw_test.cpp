// Vertex arrays, clearing, drawing and fences on real GL: pixels read back from what was drawn, vertex
// array state read back from GL, results and reported messages.
#include "gl_test.h"

#include <cstddef>

#include "core/current_context.h"
#include "gl/gl_fence_sync.h"

using namespace vindra;
using namespace vindra_test;

namespace {

using Rgba = std::array<uint8_t, 4>;
using Flags = std::vector<GLint>;
// Every channel of the background differs, so that a clear colour taken from the wrong channel shows.
const float kClearColor[4] = {0.2f, 0.4f, 0.6f, 1.0f};
constexpr Rgba kBackground = {51, 102, 153, 255}, kRed = {255, 0, 0, 255}, kGreen = {0, 255, 0, 255};

struct Vertex {
    float x, y;
    Rgba rgba;
};
// Triangle strips over the 64x64 viewport: left half red (vertices 0-3), right half green (4-7). Tests read
// pixel (48, 32): green there shows that a draw took the right vertices.
const std::vector<Vertex> kHalves = {{-1, -1, kRed},  {0, -1, kRed},   {-1, 1, kRed},  {0, 1, kRed},
                                     {0, -1, kGreen}, {1, -1, kGreen}, {0, 1, kGreen}, {1, 1, kGreen}};

// Position at `position`; with `colored`, a normalised byte colour at location 1 after a record that names no
// location (skipped, never read).
VertexLayout Layout(bool colored = true, int32_t position = 0) {
    VertexLayout layout{sizeof(Vertex), colored ? 3 : 1, {}};
    layout.attributes[0] = {position, VertexAttributeType::Float32, 2, 0, false};
    layout.attributes[1] = {-1, VertexAttributeType(99), 2, 4, false};
    layout.attributes[2] = {1, VertexAttributeType::UInt8, 4, offsetof(Vertex, rgba), true};
    return layout;
}

// The fragment loop is slow on purpose when `iterations` is set, so that a fence placed behind it is still
// ahead of the GPU when first polled.
const char* const kShaders[] = {
    "#version 450 core\nlayout(location = 0) in vec2 position;\nlayout(location = 1) in vec4 color;\n"
    "out vec4 vertexColor;\nvoid main() { gl_Position = vec4(position, 0.0, 1.0); vertexColor = color; }\n",
    "#version 450 core\nin vec4 vertexColor;\nuniform int iterations;\nout vec4 fragColor;\nvoid main() {\n"
    "  float value = gl_FragCoord.x;\n  for (int i = 0; i < iterations; ++i) value = fract(sin(value) * 43758.5453);\n"
    "  fragColor = vec4(vertexColor.rgb, value != -1.0 ? 1.0 : 0.0);\n}\n"};

std::array<float, 4> Attribute(GLuint location, GLenum pname = GL_CURRENT_VERTEX_ATTRIB) {
    std::array<float, 4> value{};
    glGetVertexAttribfv(location, pname, value.data());
    return value;
}
GLint Enabled(GLuint location) { return GLint(Attribute(location, GL_VERTEX_ATTRIB_ARRAY_ENABLED)[0]); }

class DrawTest : public GlTest {
protected:
    // Renders into the corner of the headless window's back buffer, through the library's program of kShaders.
    void SetUp() override {
        GlTest::SetUp();
        if (HasFatalFailure()) return;
        glViewport(0, 0, 64, 64);
        program = context->CreateShaderProgram();
        for (uint32_t stage : {0u, 1u}) program->AddShader(ShaderStage(stage), 1, &kShaders[stage], nullptr);
        ASSERT_EQ(program->Link(), ResultCode::Success);
        ASSERT_EQ(context->BindShaderProgram(program), ResultCode::Success);
    }
    void TearDown() override {
        if (!context) return GlTest::TearDown();
        context->MakeCurrent();
        delete shared;  // first: its records may name the arrays released below
        for (VertexArray*& array : arrays) context->ReleaseVertexArray(&array);
        for (VertexBuffer*& buffer : buffers) context->ReleaseVertexBuffer(&buffer);
        context->ReleaseShaderProgram(&program);
        GlTest::TearDown();
    }
    VertexBuffer* MakeVertexBuffer(const VertexLayout& layout) {
        VertexBuffer* buffer = buffers.emplace_back(context->CreateVertexBuffer());
        buffer->BufferData(kHalves.size() * sizeof(Vertex), kHalves.data(), BufferUsage::StaticDraw);
        buffer->SetVertexLayout(&layout);
        return buffer;
    }
    // A vertex array of the fixture's context listing `buffer` at entry 0. The fixture releases it.
    VertexArray* MakeArray(VertexBuffer* buffer = nullptr, uint64_t offset = 0) {
        VertexArray* array = arrays.emplace_back(context->CreateVertexArray());
        EXPECT_EQ(array->SetVertexBuffer(buffer, 0, offset), ResultCode::Success);  // null: nothing listed
        return array;
    }

    ShaderProgram* program = nullptr;
    Context* shared = nullptr;
    std::vector<VertexArray*> arrays;
    std::vector<VertexBuffer*> buffers;
};

using VertexArrayTest = DrawTest;

// GL keeps the index buffer binding in the vertex array object, and an index buffer update leaves it at
// 0: a draw must never reach the driver then, which would read indices at address 0.
// Name; whether the draw that follows is refused; the step. A released index buffer leaves the vertex
// array object too.
// clang-format off
const std::tuple<const char*, bool, std::function<void(Context*, IndexBuffer*, VertexArray* other, VertexArray* same)>> kIndexLossCases[] = {
    {"BufferSubData", true, [](Context*, IndexBuffer* i, auto...) { i->BufferSubData(10, 2, &i); }},
    {"BufferData", true, [](Context*, IndexBuffer* i, auto...) { i->BufferData(24, nullptr, BufferUsage::StaticDraw); }},
    {"refused BufferSubData", false, [](Context*, IndexBuffer* i, auto...) { i->BufferSubData(1000, 2, &i); }},
    {"BindIndexBuffer(null)", true, [](Context* c, auto...) { c->BindIndexBuffer(nullptr); }},
    {"another vertex array", true, [](Context* c, IndexBuffer*, VertexArray* o, auto) { c->BindVertexArray(o); }},
    {"the same array again, after itself, none and another", false, [](Context* c, IndexBuffer*, VertexArray* o, VertexArray* same) { c->BindVertexArray(same), c->BindVertexArray(nullptr), c->BindVertexArray(o), c->BindVertexArray(same); }},
    {"ReleaseIndexBuffer (last: the buffer is gone)", true, [](Context* c, IndexBuffer* i, auto...) { c->ReleaseIndexBuffer(&i); }},
};
// clang-format on

const char* const kNoIndexBuffer =
    "GlContext::DrawIndexedPrimitives: no index buffer in the bound vertex array (binding a vertex array or updating "
    "the index buffer's data takes it out): bind the index buffer again";

TEST_F(DrawTest, IndexedDrawsNeedTheIndexBufferInTheBoundVertexArray) {
    VertexArray *array = MakeArray(MakeVertexBuffer(Layout())), *other = MakeArray();
    ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
    // Before any index buffer the type itself is unknown and GL refuses the draw.
    EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 0, 0), ResultCode::InvalidEnum);
    ExpectMessages({{kError, "GlContext::DrawIndexedPrimitives: GL_INVALID_ENUM"}});
    // The quad's indices follow six that would draw garbage (vertex 9 does not exist); base vertex 4
    // moves the quad to the green half. Each case starts from fresh data, bound again.
    const uint32_t indices[] = {9, 9, 9, 9, 9, 9, 0, 1, 2, 2, 1, 3};
    IndexBuffer* buffer = context->CreateIndexBuffer();
    ASSERT_EQ(buffer->SetIndexType(IndexType::UInt32), ResultCode::Success);
    for (const auto& [name, lost, step] : kIndexLossCases) {
        SCOPED_TRACE(name);
        ASSERT_EQ(buffer->BufferData(sizeof indices, indices, BufferUsage::StaticDraw), ResultCode::Success);
        ASSERT_EQ(context->BindVertexArray(array), ResultCode::Success);
        ASSERT_EQ(context->BindIndexBuffer(buffer), ResultCode::Success);
        step(context.get(), buffer, other, array);
        capture.Take();
        EXPECT_EQ(context->Clear(ClearColorBuffer, kClearColor, 1, 0), ResultCode::Success);
        EXPECT_EQ(context->DrawIndexedPrimitives(PrimitiveType::Triangles, 6, 24, 4),
                  lost ? ResultCode::InvalidOperation : ResultCode::Success);
        ExpectMessages(OneOrNone(lost ? kNoIndexBuffer : ""));
        EXPECT_EQ(ReadPixel(48, 32), lost ? kBackground : kGreen);
    }
    // A colour clear needs its colour; other clears read none.
    EXPECT_EQ(context->Clear(ClearColorBuffer | ClearDepthBuffer, nullptr, 1.0, 0), ResultCode::InvalidValue);
    EXPECT_EQ(context->Clear(ClearDepthBuffer, nullptr, 1.0, 0), ResultCode::Success);
    ExpectMessages({{kError, "GlContext::Clear: null color"}});
}

// Emptying entries changes the array's attribute state where it is bound, and never which vertex array
// GL has bound: the next draw runs on what is left. Other arrays drop theirs at their next bind.
// Name; whether the bound array loses location 2; locations 0 and 2 of the idle array at its next bind.
// clang-format off
const std::tuple<const char*, bool, Flags, std::function<void(Context*, VertexArray* bound, VertexArray* idle, VertexBuffer** extra)>> kEmptyingCases[] = {
    {"RemoveVertexBuffer", true, {GL_TRUE, GL_TRUE}, [](Context*, VertexArray* b, VertexArray*, VertexBuffer** e) { b->RemoveVertexBuffer(*e); }},
    {"ClearVertexBuffers of another array", false, {GL_FALSE, GL_FALSE}, [](Context*, VertexArray*, VertexArray* i, auto) { i->ClearVertexBuffers(); }},
    {"release of a buffer both list", true, {GL_TRUE, GL_FALSE}, [](Context* c, VertexArray*, VertexArray*, VertexBuffer** e) { c->ReleaseVertexBuffer(e); }},
};
// clang-format on

TEST_F(VertexArrayTest, EmptyingEntriesKeepsTheBoundArrayDrawing) {
    for (const auto& [name, boundLoses, idleEnabled, empty] : kEmptyingCases) {
        SCOPED_TRACE(name);
        VertexBuffer *colored = MakeVertexBuffer(Layout()), *extra = MakeVertexBuffer(Layout(false, 2));
        VertexArray* idle = MakeArray(colored);
        idle->SetVertexBuffer(extra, 1, 0);
        VertexArray* bound = MakeArray(colored, 4 * sizeof(Vertex));  // the green half at vertex 0
        for (int32_t index : {2, -1}) EXPECT_EQ(bound->SetVertexBuffer(extra, index, 0), ResultCode::Success);
        // Entries far past the others cost nothing and bind like any other.
        for (int32_t index : {1024, INT32_MAX}) bound->SetVertexBuffer(colored, index, 4 * sizeof(Vertex));
        ASSERT_EQ(context->BindVertexArray(idle), ResultCode::Success);  // makes idle's VAO
        ASSERT_EQ(context->BindVertexArray(bound), ResultCode::Success);
        empty(context.get(), bound, idle, &buffers.back());  // a release leaves null for the fixture
        EXPECT_EQ(context->Clear(ClearColorBuffer, kClearColor, 1, 0), ResultCode::Success);
        EXPECT_EQ(context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4), ResultCode::Success);
        EXPECT_EQ(ReadPixel(48, 32), kGreen);
        EXPECT_EQ(Enabled(2), boundLoses ? GL_FALSE : GL_TRUE);
        ASSERT_EQ(context->BindVertexArray(idle), ResultCode::Success);
        EXPECT_EQ(Flags({Enabled(0), Enabled(2)}), idleEnabled);
    }
}

// Record 0 (four components at location 2) goes first; record 1 (location 3) picks the GL call by its
// component count, or is refused; any further records send one component to location 4.
TEST_F(VertexArrayTest, ConstantRecordsPickTheGlCallOrAreRefused) {
    // None of these is 0, 1 or 9, so a component that was not sent cannot pass for one that was.
    const float data[8] = {0.5f, 0.25f, 0.125f, 0.75f, 0.5f, 0.25f, 0.125f, 0.75f};
    const auto f32 = VertexAttributeType::Float32;
    const ResultCode ok = ResultCode::Success, bad = ResultCode::InvalidValue;
    // clang-format off
    const std::tuple<VertexAttributeType, int32_t, uint64_t, int32_t, size_t, ResultCode, std::string> rows[] = {
        // type and components of record 1, its offset, the record count, the bytes of data; the result and the error
        {f32, 1, 16, 2, 32, ok, ""}, {f32, 2, 16, 8, 32, ok, ""}, {f32, 3, 16, 2, 32, ok, ""}, {f32, 4, 16, 2, 32, ok, ""},
        {VertexAttributeType::Int32, 4, 0, 2, 32, ResultCode::NotSupported, "constant attribute 1 has type 4; only Float32 is supported"},
        {f32, 0, 0, 2, 32, bad, "constant attribute 1 has 0 components"},
        {f32, 5, 0, 2, 32, bad, "constant attribute 1 has 5 components"},
        {f32, 2, 28, 2, 32, bad, "constant attribute 1 lies outside the constant data"},
        {f32, 1, 0, 9, 32, bad, "invalid attributeCount 9"},
        {f32, 4, 0, 2, 0, ok, ""}};  // without data nothing is sent, and that is no error
    // clang-format on
    for (const auto& [type, components, offset, count, bytes, result, message] : rows) {
        SCOPED_TRACE(std::to_string(components) + " components, " + std::to_string(bytes) + " bytes " + message);
        VertexLayout constant{0, count, {}};
        for (VertexAttribute& attribute : constant.attributes) attribute = {4, f32, 1, 0, false};
        constant.attributes[0] = {2, f32, 4, 0, false};
        constant.attributes[1] = {3, type, components, offset, false};
        MakeArray()->SetConstantData(&constant, bytes, bytes ? data : nullptr);
        for (GLuint location : {2, 3}) glVertexAttrib4f(location, 9, 9, 9, 9);
        EXPECT_EQ(context->BindVertexArray(arrays.back()), result);
        ExpectMessages(OneOrNone(message.empty() ? "" : "GlVertexArray::SetConstantValues: " + message));
        EXPECT_EQ(Attribute(2)[0], count <= 8 && bytes ? 0.5f : 9.0f);  // records ahead of a bad one are sent
        auto sent = Attribute(3);  // Mesa keeps the components not sent until a draw
        for (int i = 0; result == ok && i < 4; ++i) EXPECT_EQ(sent[i] == data[i], bytes && i < components) << i;
    }
    // Updates stay inside the block, however the range is made to wrap around; without a block nothing fits.
    // The values reach GL at every bind, and from an update at once only where the array is bound.
    for (auto [offset, size, result] :
         {std::tuple<size_t, size_t, ResultCode>{28, 4, ok}, {28, 8, bad}, {SIZE_MAX, 2, bad}, {32, 1, bad}})
        EXPECT_EQ(arrays.front()->UpdateConstantData(offset, size, data), result) << offset;
    EXPECT_EQ(arrays.back()->UpdateConstantData(0, 4, data), bad);
    ExpectMessages(
        std::vector<Message>(4, {kError, "GlVertexArray::UpdateConstantData: range outside the constant data"}));
    EXPECT_EQ(Attribute(2)[0], 9.0f);                         // the first array is not bound: its update waits
    ASSERT_EQ(context->BindVertexArray(arrays.front()), ok);  // bound before, nothing to apply: sent all the same
    EXPECT_EQ(Attribute(2)[0], 0.5f);
    EXPECT_EQ(arrays.front()->UpdateConstantData(0, 4, data + 1), ok);
    EXPECT_EQ(Attribute(2)[0], 0.25f);
}

// Every order of releases leaves no record of freed memory (ASan watches): an array released through one
// context while bound on the other, and arrays that outlive their owner.
TEST_F(VertexArrayTest, NoReleaseOrderLeavesARecordOfFreedMemory) {
    VertexBuffer* buffer = MakeVertexBuffer(Layout());
    shared = context->CreateSharedContext();
    ASSERT_NE(shared, nullptr);
    ASSERT_EQ(context->BindVertexArray(MakeArray(buffer)), ResultCode::Success);  // arrays[0]: bound on both
    const GLuint vao = Get(GL_VERTEX_ARRAY_BINDING);                              // the owner's VAO of arrays[0]
    MakeArray(buffer);                                                            // arrays[1]: on the shared only
    ASSERT_EQ(shared->MakeCurrent(), 0u);
    // arrays[1] is released by its owner while bound on the shared context, then arrays[0] by the shared
    // context while bound on both. The shared context binds through its own VAO, also where the owner applied
    // the array first: "not dirty" there is no reason to skip the attributes here.
    for (size_t i : {1, 0}) {
        EXPECT_EQ(shared->BindVertexArray(arrays[i]), ResultCode::Success);  // reaches no freed arrays[1]
        EXPECT_EQ(Flags({Enabled(0), Enabled(1)}), Flags(2, GL_TRUE));
        EXPECT_EQ((i == 1 ? context.get() : shared)->ReleaseVertexArray(&arrays[i]), 0u);
        EXPECT_EQ(currentContext, shared);  // a release on the owner's behalf switches back
    }
    // The owner's record is gone too: its unbind reaches no freed array.
    ASSERT_EQ(context->MakeCurrent(), 0u);
    EXPECT_EQ(context->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_FALSE(glIsVertexArray(vao));
    // Arrays of a context deleted first, with and without a VAO, are released through the shared context.
    Context* doomed = context->CreateSharedContext();
    ASSERT_EQ(doomed->MakeCurrent(), 0u);
    VertexArray *withoutVao = doomed->CreateVertexArray(), *withVao = doomed->CreateVertexArray();
    withVao->SetVertexBuffer(buffer, 0, 0);
    ASSERT_EQ(doomed->BindVertexArray(withVao), ResultCode::Success);
    ASSERT_EQ(shared->MakeCurrent(), 0u);
    ASSERT_EQ(shared->BindVertexArray(withVao), ResultCode::Success);
    delete doomed;
    EXPECT_EQ(shared->BindVertexArray(nullptr), ResultCode::Success);
    EXPECT_EQ(shared->BindVertexArray(withoutVao), ResultCode::Success);
    // The unbind took out of the shared context's own VAO what withVao enabled there.
    EXPECT_EQ(Flags({Enabled(0), Enabled(1)}), Flags({GL_FALSE, GL_FALSE}));
    EXPECT_EQ(shared->ReleaseVertexArray(&withVao) + shared->ReleaseVertexArray(&withoutVao), 0u);
    EXPECT_EQ(currentContext, shared);
}

// Not set yet, a fence answers every wait with InvalidOperation, silently. Behind heavy work it is not
// ready at first; each SetFence replaces the sync object.
TEST_F(DrawTest, FenceIsNotReadyBehindHeavyWorkAndEachSetFenceReplacesTheSyncObject) {
    glUniform1i(glGetUniformLocation(Get(GL_CURRENT_PROGRAM), "iterations"), 4000);
    ASSERT_EQ(context->BindVertexArray(MakeArray(MakeVertexBuffer(Layout()))), ResultCode::Success);
    FenceSync* fence = context->CreateFenceSync();
    EXPECT_EQ(Flags({int(fence->Wait()), int(fence->ClientWait()), int(fence->ClientCheck())}), Flags(3, 4));
    for (int i = 0; i < 20; ++i) context->DrawPrimitives(PrimitiveType::TriangleStrip, 0, 4);
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);
    EXPECT_EQ(Flags({int(fence->ClientCheck()), int(fence->ClientWait()), int(fence->ClientCheck())}),
              Flags({int(ResultCode::NotReady), 0, 0}));
    GLsync first = static_cast<GlFenceSync*>(fence)->GetSync();
    ASSERT_EQ(fence->SetFence(), ResultCode::Success);
    GLsync second = static_cast<GlFenceSync*>(fence)->GetSync();
    EXPECT_TRUE(second == first || !glIsSync(first));  // the driver may reuse the address
    EXPECT_EQ(fence->Wait(), ResultCode::Success);
    EXPECT_EQ(context->ReleaseFenceSync(&fence), 0u);
    EXPECT_FALSE(glIsSync(second));
}

}  // namespace
