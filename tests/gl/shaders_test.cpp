// Shader libraries and programs on real GL: stages, linking, driver logs, the uniform table, uploads,
// block bindings and the context's program binding, read back with raw GL.
#include "gl_test.h"

#include "gl/gl_shader_library.h"
#include "gl/gl_shader_program.h"

using namespace vindra;
using namespace vindra_test;

namespace {

// Each stage has a uniform of its own, so that a program shows which stages took part.
const char* const kVertex = "#version 450 core\nuniform vec4 offset;\nvoid main() { gl_Position = offset; }\n";
const char* const kFragment = R"(#version 450 core
uniform int i1; uniform ivec2 i2; uniform ivec3 i3; uniform ivec4 i4[2]; uniform float f1; uniform vec2 f2;
uniform vec3 f3[3]; uniform vec4 f4; uniform mat2 m2; uniform mat3 m3[2]; uniform mat4 m4; uniform Lights { vec4 l; };
out vec4 color;
void main() { color = vec4(i1 + i2.y + i3.z + i4[1].x) + f1 + f2.y + f3[2].x + f4 + m2[1].x + m3[1][0].x + m4[3] + l; })";
const char* const kBadFragment = "#version 450 core\nout vec4 color;\nvoid main() { color = undeclared; }\n";
// Compiles, but calls a function that no shader defines: only the link fails.
const char* const kUnlinkedFragment = "#version 450 core\nvec4 f();\nout vec4 c;\nvoid main() { c = f(); }\n";

// The driver's entry points, replaced by the tests: glCreateShader records every shader it makes, in order.
std::vector<GLuint> made;
PFNGLCREATESHADERPROC createShader;
PFNGLCREATEPROGRAMPROC createProgram;

class ShaderTest : public GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        made.clear(), createProgram = __glewCreateProgram;
        createShader = std::exchange(__glewCreateShader, [](GLenum t) { return made.emplace_back(createShader(t)); });
    }
    void TearDown() override {
        for (ShaderProgram*& program : programs) context->ReleaseShaderProgram(&program);
        for (ShaderLibrary*& library : libraries) context->ReleaseShaderLibrary(&library);
        __glewCreateShader = createShader, __glewCreateProgram = createProgram;
        GlTest::TearDown();
    }
    auto* Library() { return static_cast<GlShaderLibrary*>(libraries.emplace_back(context->CreateShaderLibrary())); }
    auto* Program() { return static_cast<GlShaderProgram*>(programs.emplace_back(context->CreateShaderProgram())); }
    // A linked program of kVertex and kFragment.
    GlShaderProgram* Linked() {
        GlShaderProgram* program = Program();
        for (auto stage : {0u, 1u}) program->AddShader(ShaderStage(stage), 1, stage ? &kFragment : &kVertex, nullptr);
        EXPECT_EQ(program->Link(), ResultCode::Success) << Describe(capture.Take());
        return program;
    }

    std::vector<ShaderLibrary*> libraries;
    std::vector<ShaderProgram*> programs;
};

// A recompile replaces the library's shader. The link consumes the owned shaders, whatever its status, and
// leaves borrowed libraries to their host. Each failure is an error, followed at debug level by the
// driver's log, whatever its text.
TEST_F(ShaderTest, LinksConsumeOwnedShadersOnlyAndFailuresReportTheDriversLog) {
    GlShaderLibrary* fragment = Library();
    ASSERT_EQ(fragment->Compile(ShaderStage::Vertex, 1, &kVertex, nullptr), ResultCode::Success);
    ASSERT_EQ(fragment->Compile(ShaderStage::Fragment, 1, &kFragment, nullptr), ResultCode::Success);
    GlShaderProgram* program = Program();
    EXPECT_EQ(program->AttachShaderLibrary(fragment), ResultCode::Success);
    ASSERT_EQ(program->AddShader(ShaderStage::Vertex, 1, &kVertex, nullptr), ResultCode::Success);
    ASSERT_EQ(program->Link(), ResultCode::Success) << Describe(capture.Take());
    EXPECT_EQ(program->Link(), ResultCode::InvalidValue);  // nothing pending: the linked program stays
    const GLuint name = program->GetProgram();
    GLint attached = -1;
    glGetProgramiv(name, GL_ATTACHED_SHADERS, &attached);
    // None stays attached, and both stages took part.
    EXPECT_EQ(attached, 0);
    EXPECT_GE(glGetUniformLocation(name, "offset"), 0);
    EXPECT_GE(glGetUniformLocation(name, "f1"), 0);
    // A failed compile keeps no shader; a failed link consumes its shaders too.
    EXPECT_EQ(program->AddShader(ShaderStage::Fragment, 1, &kBadFragment, nullptr), ResultCode::InvalidOperation);
    EXPECT_FALSE(glIsShader(made.back()));
    ASSERT_EQ(program->AddShader(ShaderStage::Fragment, 1, &kUnlinkedFragment, nullptr), ResultCode::Success);
    EXPECT_EQ(program->Link(), ResultCode::InvalidOperation);
    // Of every shader made only the library's is left: the one its recompile replaced, the owned ones after
    // each link and the one that failed to compile are gone.
    for (GLuint shader : made) EXPECT_EQ(glIsShader(shader) == GL_TRUE, shader == fragment->GetShader()) << shader;
    std::vector<Message> said = capture.Take();
    for (Message& m : said) m.text = m.level == kContinuation && !m.text.empty() ? "log" : m.text;
    // clang-format off
    EXPECT_EQ(said, (std::vector<Message>{{kError, "GL: Failed to compile shader"}, {kDebug, "GL: Shader compilation info:"}, {kContinuation, "log"},
                                          {kError, "GL: Failed to link shader program"}, {kDebug, "GL: Shader program link info:"}, {kContinuation, "log"}}));
    // clang-format on
}

// Each row uploads one declared shape from exactly `size` bytes on the heap (a read past them is an
// ASan report) into a fresh program, with the previous row's program current; the element read back
// then holds `expected`, and the previous program is current again.
TEST_F(ShaderTest, UploadsAreTypedClampedToSizeAndCountAndRestoreTheCurrentProgram) {
    // clang-format off
    const std::tuple<const char*, const char*, UniformType, int, int, size_t, std::vector<float>, std::string> rows[] = {
        // name, element read back, type, components, count, size, expected; a warning
        {"i1", "i1", UniformType::Int, 1, 1, 4, {1}, ""},
        {"i2", "i2", UniformType::Int, 2, 1, 8, {1, 2}, ""},
        {"i3", "i3", UniformType::IntAlias, 3, 1, 12, {1, 2, 3}, ""},
        {"i4", "i4[1]", UniformType::Int, 4, 2, 32, {5, 6, 7, 8}, ""},
        {"f1", "f1", UniformType::Float, 1, 1, 4, {1}, ""},
        {"f2", "f2", UniformType::Float, 2, 1, 8, {1, 2}, ""},
        {"f3", "f3[1]", UniformType::Float, 3, 3, 24, {4, 5, 6}, ""},
        {"f3", "f3[2]", UniformType::Float, 3, 2, 100, {0, 0, 0}, ""},  // 100 bytes hold more than the count
        {"f4", "f4", UniformType::Float, 4, 1, 16, {1, 2, 3, 4}, ""},
        {"m2", "m2", UniformType::Mat2, 1, 1, 16, {1, 2, 3, 4}, ""},
        {"m3", "m3[1]", UniformType::Mat3, 1, 2, 72, {10, 11, 12, 13, 14, 15, 16, 17, 18}, ""},
        {"m4", "m4", UniformType::Mat4, 1, 1, 64, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}, ""},
        // The component count multiplies a matrix's size, and a shape whose byte size overflows 64 bits uploads
        // what size holds: not one whole element.
        {"m4", "m4", UniformType::Mat4, INT32_MAX, INT32_MAX, 64, std::vector<float>(16), ""},
        // A type outside the table uploads nothing and is no error.
        {"f4", "f4", UniformType(9), 4, 1, 16, {0, 0, 0, 0}, "GlShaderProgram::SetUniformValue: uniform 0 has type 9, which uploads nothing"},
    };
    // clang-format on
    int32_t ints[25];
    float floats[25];
    for (int i = 0; i < 25; ++i) floats[i] = float(ints[i] = i + 1);
    GLuint previous = 0;
    for (const auto& [name, element, type, components, count, size, expected, warning] : rows) {
        SCOPED_TRACE(std::string(element) + " size " + std::to_string(size));
        GlShaderProgram* program = Linked();
        int index = program->AddUniformVariable(0, name, type, components, count);
        ASSERT_EQ(program->ResolveUniformVariables(), ResultCode::Success);
        std::vector<uint8_t> data(size);  // the int types come before Float
        std::memcpy(data.data(), type < UniformType::Float ? static_cast<void*>(ints) : floats, size);
        glUseProgram(previous);
        EXPECT_EQ(program->SetUniformValue(index, data.data(), size), ResultCode::Success);
        EXPECT_EQ(Get(GL_CURRENT_PROGRAM), GLint(previous));
        previous = program->GetProgram();
        std::vector<float> got(expected.size());
        glGetUniformfv(previous, glGetUniformLocation(previous, element), got.data());
        EXPECT_EQ(got, expected);
        ExpectMessages(OneOrNone(warning, kWarning));
    }
}

// In order: the context's program binding follows BindShaderProgram; a program never linked is recorded and
// makes no program current, which GL accepts. Then refusals on one program: the answer (a ResultCode, or
// AddUniformVariable's -1) and the one message, if any. The last rows run after a relink whose
// glCreateProgram fails left no GL program.
TEST_F(ShaderTest, BindAndRefusalsAnswerAndReport) {
    GlShaderProgram* program = Linked();
    const ResultCode ok = ResultCode::Success, bad = ResultCode::InvalidValue, failed = ResultCode::Failed;
    // The bind's result where GL has `current` current and the context records `recorded`; Failed otherwise.
    auto bound = [&](ResultCode result, GLint current, ShaderProgram* recorded) {
        return Get(GL_CURRENT_PROGRAM) == current && context->GetBoundShaderProgram() == recorded ? result : failed;
    };
    const int f1 = program->AddUniformVariable(0, "f1", UniformType::Float, 1, 1);
    const int fiveFloats = program->AddUniformVariable(0, "f2", UniformType::Float, 5, 1);
    const int noInts = program->AddUniformVariable(0, "i2", UniformType::Int, 0, 1);
    ASSERT_EQ(program->ResolveUniformVariables(), ResultCode::Success);
    const float value[4] = {};
    // clang-format off
    ExpectRefusals({
        {"bind", [&] { return bound(context->BindShaderProgram(program), GLint(program->GetProgram()), program); }, ok, ""},
        {"bind unlinked", [&] { auto* unlinked = Program(); return bound(context->BindShaderProgram(unlinked), 0, unlinked); }, ok, "GlShaderProgram::Bind: Program not linked; no program is current", kWarning},
        // Releasing the bound program clears the record rather than leave it dangling.
        {"release the bound program", [&] { return bound(ResultCode(context->ReleaseShaderProgram(&programs.back())), 0, nullptr); }, ok, ""},
        {"unbind", [&] { context->BindShaderProgram(program); return bound(context->BindShaderProgram(nullptr), 0, nullptr); }, ok, ""},
        {"block binding", [&] { GLint binding = -1; ResultCode result = program->SetUniformBlockBinding("Lights", 3);
                                glGetActiveUniformBlockiv(program->GetProgram(), 0, GL_UNIFORM_BLOCK_BINDING, &binding); return binding == 3 ? result : failed; }, ok, ""},
        // From here to "no GL call so far" a call that reached GL would take this error.
        {"error left pending", [] { glEnable(0xFFFF); return ok; }, ok, ""},
        // An index past the table, as a negative one, uploads nothing: here the table of a program with none.
        {"index past the table", [&] { return Program()->SetUniformValue(0, value, sizeof value); }, ok, ""},
        {"unknown stage", [&] { return Library()->Compile(ShaderStage(5), 1, &kVertex, nullptr); }, bad, ""},
        {"null string", [&] { const char* withNull[] = {kVertex, nullptr}; return Library()->Compile(ShaderStage::Vertex, 2, withNull, nullptr); }, bad, "GlShaderLibrary::Compile: null source string"},
        {"null strings", [&] { return Library()->Compile(ShaderStage::Vertex, 1, nullptr, nullptr); }, bad, "GlShaderLibrary::Compile: null source string"},
        {"null library", [&] { return program->AttachShaderLibrary(nullptr); }, bad, ""},
        {"matrix of 0 components", [&] { return ResultCode(program->AddUniformVariable(0, "m4", UniformType::Mat4, 0, 4)); }, ResultCode(-1), "GlShaderProgram::AddUniformVariable: matrix uniform \"m4\" declared with 0 components (1 or more)"},
        {"null uniform name", [&] { return ResultCode(program->AddUniformVariable(0, nullptr, UniformType::Float, 1, 4)); }, ResultCode(-1), "GlShaderProgram::AddUniformVariable: null name"},
        // A vector component count that has no GL call is told by the result alone.
        {"five floats", [&] { return program->SetUniformValue(fiveFloats, value, sizeof value); }, bad, ""},
        {"no ints", [&] { return program->SetUniformValue(noInts, value, sizeof value); }, bad, ""},
        {"null data", [&] { return program->SetUniformValue(f1, nullptr, 4); }, bad, "GlShaderProgram::SetUniformValue: null data"},
        {"null block name", [&] { return program->SetUniformBlockBinding(nullptr, 1); }, bad, "GlShaderProgram::SetUniformBlockBinding: null block name"},
        // The refused uploads that switched programs put the current one (none) back.
        {"no GL call so far, no program current", [] { return glGetError() == GL_INVALID_ENUM && Get(GL_CURRENT_PROGRAM) == 0 ? ok : failed; }, ok, ""},
        // GL rejects the count without reading the strings.
        {"count read as negative", [&] { return Library()->Compile(ShaderStage::Vertex, 0x80000000u, &kVertex, nullptr); }, bad, "glShaderSource: GL_INVALID_VALUE"},
        // GL refuses a block it does not know as it refuses any without a GL program.
        {"unknown block", [&] { return program->SetUniformBlockBinding("NoSuchBlock", 1); }, bad, "GlShaderProgram::SetUniformBlockBinding: GL_INVALID_VALUE"},
        // A relink deletes the linked program first; glCreateProgram then answers 0, without a GL error.
        {"relink without a GL program", [&] { GLuint linked = program->GetProgram(); program->AddShader(ShaderStage::Vertex, 1, &kVertex, nullptr); __glewCreateProgram = [] { return GLuint(0); };
                                              ResultCode result = program->Link(); return glIsProgram(linked) ? failed : result; }, bad, "glAttachShader: GL_INVALID_VALUE"},
        {"upload without a GL program", [&] { return program->SetUniformValue(f1, value, sizeof value); }, ResultCode::InvalidOperation, "GlShaderProgram::SetUniformValue: GL_INVALID_OPERATION"},
        {"resolve without a GL program", [&] { return program->ResolveUniformVariables(); }, bad, "GlShaderProgram::ResolveUniformVariables: GL_INVALID_VALUE"},
        // The failed resolve left every location -1, as for a uniform no stage uses: the upload is ignored.
        {"upload once unresolved", [&] { return program->SetUniformValue(f1, value, sizeof value); }, ok, ""},
    });
    // clang-format on
}

}  // namespace
