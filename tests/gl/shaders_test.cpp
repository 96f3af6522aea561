// Shader libraries and programs on real GL: stages, linking, driver logs, the uniform table, uploads,
// block bindings and the context's program binding, read back with raw GL.
#include <GL/glew.h>

#include "gl_test.h"

#include <algorithm>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "gl/gl_shader_library.h"
#include "gl/gl_shader_program.h"
#include "tamrik/tamrik.h"

using namespace vindra;
using vindra_test::Message;

namespace {

using vindra_test::kContinuation;
using vindra_test::kDebug;
using vindra_test::kError;
using vindra_test::kWarning;

const char* const kVertex = "#version 450 core\nvoid main() { gl_Position = vec4(0.0); }\n";
const char* const kFragment = R"(#version 450 core
uniform int i1; uniform ivec2 i2; uniform ivec3 i3; uniform ivec4 i4[2]; uniform float f1; uniform vec2 f2;
uniform vec3 f3[4]; uniform vec4 f4; uniform mat2 m2; uniform mat3 m3[2]; uniform mat4 m4; uniform sampler2D tex;
layout(std140) uniform Lights { vec4 light; }; layout(std140) uniform Material { vec4 tint; };
out vec4 color;
void main() {
    float s = float(i1 + i2.y + i3.z + i4[0].w + i4[1].x) + f1 + f2.y + f4.w + m2[1][1] + m3[0][2][2] + m3[1][0][0]
              + m4[3][3] + texture(tex, vec2(0.0)).r + light.x + tint.y;
    for (int i = 0; i < 4; ++i) s += f3[i].x;
    color = vec4(s);
})";
const char* const kBadFragment = "#version 450 core\nout vec4 color;\nvoid main() { color = undeclared; }\n";
// Compiles, but calls a function that no shader defines: only the link fails.
const char* const kUnlinkedFragment =
    "#version 450 core\nvec4 missing();\nout vec4 color;\nvoid main() { color = missing(); }\n";

// One source per stage, in ShaderStage order.
const char* const kStageSources[] = {
    kVertex,
    kFragment,
    "#version 450 core\nlayout(triangles) in;\nlayout(triangle_strip, max_vertices = 3) out;\n"
    "void main() { for (int i = 0; i < 3; ++i) { gl_Position = gl_in[i].gl_Position; EmitVertex(); } }\n",
    "#version 450 core\nlayout(vertices = 3) out;\nvoid main() {\n"
    "  gl_out[gl_InvocationID].gl_Position = gl_in[gl_InvocationID].gl_Position;\n"
    "  gl_TessLevelOuter[0] = gl_TessLevelOuter[1] = gl_TessLevelOuter[2] = gl_TessLevelInner[0] = 1.0; }\n",
    "#version 450 core\nlayout(triangles) in;\nvoid main() { gl_Position = gl_in[0].gl_Position * gl_TessCoord.x; }\n",
};

// GLEW entry points replaced for each test: each records its calls and forwards to the driver.
struct Calls {
    std::vector<GLuint> createdShaders, attachedShaders, usedPrograms;
    int shaderLogFetches = 0, programLogFetches = 0;
    bool createProgramFails = false;  // glCreateProgram answers 0 without a GL error
};
Calls calls;
PFNGLCREATESHADERPROC realCreateShader;
PFNGLATTACHSHADERPROC realAttachShader;
PFNGLUSEPROGRAMPROC realUseProgram;
PFNGLGETSHADERINFOLOGPROC realShaderLog;
PFNGLGETPROGRAMINFOLOGPROC realProgramLog;
PFNGLCREATEPROGRAMPROC realCreateProgram;

GLuint GLAPIENTRY CreateShader(GLenum type) { return calls.createdShaders.emplace_back(realCreateShader(type)); }
void GLAPIENTRY AttachShader(GLuint p, GLuint s) {
    calls.attachedShaders.push_back(s);
    realAttachShader(p, s);
}
void GLAPIENTRY UseProgram(GLuint p) {
    calls.usedPrograms.push_back(p);
    realUseProgram(p);
}
void GLAPIENTRY ShaderLog(GLuint s, GLsizei n, GLsizei* w, GLchar* t) {
    ++calls.shaderLogFetches;
    realShaderLog(s, n, w, t);
}
void GLAPIENTRY ProgramLog(GLuint p, GLsizei n, GLsizei* w, GLchar* t) {
    ++calls.programLogFetches;
    realProgramLog(p, n, w, t);
}
GLuint GLAPIENTRY CreateProgram() { return calls.createProgramFails ? 0 : realCreateProgram(); }

GLint ProgramInt(GLuint program, GLenum pname) {
    GLint value = -1;
    glGetProgramiv(program, pname, &value);
    return value;
}

class ShaderTest : public vindra_test::GlTest {
protected:
    void SetUp() override {
        GlTest::SetUp();
        calls = Calls{};
        realCreateShader = std::exchange(__glewCreateShader, &CreateShader);
        realAttachShader = std::exchange(__glewAttachShader, &AttachShader);
        realUseProgram = std::exchange(__glewUseProgram, &UseProgram);
        realShaderLog = std::exchange(__glewGetShaderInfoLog, &ShaderLog);
        realProgramLog = std::exchange(__glewGetProgramInfoLog, &ProgramLog);
        realCreateProgram = std::exchange(__glewCreateProgram, &CreateProgram);
    }
    void TearDown() override {
        for (ShaderProgram*& program : programs) context->ReleaseShaderProgram(&program);
        for (ShaderLibrary*& library : libraries) context->ReleaseShaderLibrary(&library);
        __glewCreateShader = realCreateShader;
        __glewAttachShader = realAttachShader;
        __glewUseProgram = realUseProgram;
        __glewGetShaderInfoLog = realShaderLog;
        __glewGetProgramInfoLog = realProgramLog;
        __glewCreateProgram = realCreateProgram;
        GlTest::TearDown();
    }
    GlShaderLibrary* Library() {
        return static_cast<GlShaderLibrary*>(libraries.emplace_back(context->CreateShaderLibrary()));
    }
    GlShaderProgram* Program() {
        return static_cast<GlShaderProgram*>(programs.emplace_back(context->CreateShaderProgram()));
    }
    // A linked program of kVertex and kFragment.
    GlShaderProgram* Linked() {
        GlShaderProgram* program = Program();
        EXPECT_EQ(program->AddShader(ShaderStage::Vertex, 1, &kVertex, nullptr), ResultCode::Success);
        EXPECT_EQ(program->AddShader(ShaderStage::Fragment, 1, &kFragment, nullptr), ResultCode::Success);
        EXPECT_EQ(program->Link(), ResultCode::Success) << vindra_test::Describe(capture.Peek());
        return program;
    }

    std::vector<ShaderLibrary*> libraries;
    std::vector<ShaderProgram*> programs;
};

using ShaderLibraryTest = ShaderTest;
using ShaderLinkTest = ShaderTest;
using ShaderUniformTest = ShaderTest;
using ShaderBindTest = ShaderTest;

// --- libraries and linking ---

TEST_F(ShaderLibraryTest, RecompileReplacesShaderAndBadArgumentsChangeNothing) {
    GlShaderLibrary* library = Library();
    // Split strings with explicit lengths reach glShaderSource as given.
    const char* parts[] = {"#version 450 core\nvoid main() { gl_Position = vec4(0.0); }XXXX", "\n"};
    const int32_t lengths[] = {58, -1};
    ASSERT_EQ(library->Compile(ShaderStage::Vertex, 2, parts, lengths), ResultCode::Success);
    GLuint first = library->GetShader();
    ASSERT_EQ(library->Compile(ShaderStage::Fragment, 1, &kFragment, nullptr), ResultCode::Success);
    GLuint second = library->GetShader();
    GLint type = 0;
    glGetShaderiv(second, GL_SHADER_TYPE, &type);
    EXPECT_EQ(type, GL_FRAGMENT_SHADER);
    EXPECT_EQ(glIsShader(first), GL_FALSE);
    // An unknown stage is told by the result alone; null strings are reported.
    const char* withNull[] = {kVertex, nullptr};
    EXPECT_EQ(library->Compile(ShaderStage(5), 1, &kVertex, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(library->Compile(ShaderStage::Vertex, 2, withNull, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(library->Compile(ShaderStage::Vertex, 1, nullptr, nullptr), ResultCode::InvalidValue);
    EXPECT_EQ(library->GetShader(), second);
    EXPECT_EQ(library->GetShaderType(), GLenum(GL_FRAGMENT_SHADER));
    const Message nullString = {kError, "GlShaderLibrary::Compile: null source string"};
    ExpectMessages({nullString, nullString});
    // A count GL reads as negative fails at its own checked step; the new shader stays.
    EXPECT_EQ(library->Compile(ShaderStage::Vertex, 0x80000000u, &kVertex, nullptr), ResultCode::InvalidValue);
    ExpectMessages({{kError, "glShaderSource: GL_INVALID_VALUE"}});
    EXPECT_EQ(glIsShader(second), GL_FALSE);
}

// Owned shaders attach in the order added, before borrowed libraries; the link consumes the owned ones
// and leaves the libraries to their host.
TEST_F(ShaderLinkTest, OwnedStagesAttachBeforeBorrowedLibrariesAndAreConsumedOnlyByALink) {
    GlShaderLibrary* fragment = Library();
    ASSERT_EQ(fragment->Compile(ShaderStage::Fragment, 1, &kFragment, nullptr), ResultCode::Success);
    GlShaderProgram* program = Program();
    EXPECT_EQ(program->AttachShaderLibrary(fragment), ResultCode::Success);
    EXPECT_EQ(program->AttachShaderLibrary(nullptr), ResultCode::InvalidValue);
    calls.createdShaders.clear();
    for (uint32_t stage : {0u, 2u, 3u, 4u})
        ASSERT_EQ(program->AddShader(ShaderStage(stage), 1, &kStageSources[stage], nullptr), ResultCode::Success);
    std::vector<GLuint> owned = calls.createdShaders;
    ASSERT_EQ(program->Link(), ResultCode::Success) << vindra_test::Describe(Messages());
    GLuint name = program->GetProgram();
    owned.push_back(fragment->GetShader());
    EXPECT_EQ(calls.attachedShaders, owned);
    EXPECT_EQ(ProgramInt(name, GL_ATTACHED_SHADERS), 0);
    EXPECT_EQ(ProgramInt(name, GL_TESS_CONTROL_OUTPUT_VERTICES), 3);
    EXPECT_EQ(ProgramInt(name, GL_GEOMETRY_VERTICES_OUT), 3);
    for (size_t i = 0; i < 4; ++i) EXPECT_EQ(glIsShader(owned[i]), GL_FALSE) << i;
    EXPECT_EQ(glIsShader(fragment->GetShader()), GL_TRUE);
    // Nothing pending: the linked program stays. A relink replaces it.
    EXPECT_EQ(program->Link(), ResultCode::InvalidValue);
    EXPECT_EQ(program->GetProgram(), name);
    ASSERT_EQ(program->AddShader(ShaderStage::Vertex, 1, &kVertex, nullptr), ResultCode::Success);
    ASSERT_EQ(program->AttachShaderLibrary(fragment), ResultCode::Success);
    ASSERT_EQ(program->Link(), ResultCode::Success);
    EXPECT_EQ(glIsProgram(name), GL_FALSE);
    ExpectMessages({});
    // A failed attach keeps the pending shaders for a retry; the release deletes them.
    calls.createdShaders.clear();
    ASSERT_EQ(program->AddShader(ShaderStage::Vertex, 1, &kVertex, nullptr), ResultCode::Success);
    ASSERT_EQ(program->AttachShaderLibrary(Library()), ResultCode::Success);  // never compiled: shader 0
    for (int attempt = 0; attempt < 2; ++attempt) {
        EXPECT_EQ(program->Link(), ResultCode::InvalidValue);
        ExpectMessages({{kError, "glAttachShader: GL_INVALID_VALUE"}});
    }
    EXPECT_EQ(context->ReleaseShaderProgram(&programs.back()), 0u);
    EXPECT_EQ(glIsShader(calls.createdShaders.at(0)), GL_FALSE);
}

// The driver's log is fetched only when its debug header is taken (minimum level 0), not at level 2.
TEST_F(ShaderLinkTest, CompileAndLinkFailuresReportTheLogOnlyWhenTheHeaderIsTaken) {
    for (int minimumLevel : {0, 2}) {
        SCOPED_TRACE(minimumLevel);
        tamrik::SetMinimumLevel(minimumLevel);
        calls = Calls{};
        const bool taken = minimumLevel == 0;
        GlShaderProgram* program = Program();
        EXPECT_EQ(program->AddShader(ShaderStage::Fragment, 1, &kBadFragment, nullptr), ResultCode::InvalidOperation);
        EXPECT_EQ(glIsShader(calls.createdShaders.at(0)), GL_FALSE);  // not kept by the program
        char log[4096] = {};
        GLuint failed = realCreateShader(GL_FRAGMENT_SHADER);
        glShaderSource(failed, 1, &kBadFragment, nullptr);
        glCompileShader(failed);
        realShaderLog(failed, sizeof log, nullptr, log);
        glDeleteShader(failed);
        std::vector<Message> expected = {{kError, "GL: Failed to compile shader"}};
        if (taken) expected.insert(expected.end(), {{kDebug, "GL: Shader compilation info:"}, {kContinuation, log}});
        ExpectMessages(expected);
        EXPECT_EQ(calls.shaderLogFetches, taken ? 1 : 0);
        ASSERT_EQ(program->AddShader(ShaderStage::Vertex, 1, &kVertex, nullptr), ResultCode::Success);
        ASSERT_EQ(program->AddShader(ShaderStage::Fragment, 1, &kUnlinkedFragment, nullptr), ResultCode::Success);
        EXPECT_EQ(program->Link(), ResultCode::InvalidOperation);
        realProgramLog(program->GetProgram(), sizeof log, nullptr, log);
        expected = {{kError, "GL: Failed to link shader program"}};
        if (taken) expected.insert(expected.end(), {{kDebug, "GL: Shader program link info:"}, {kContinuation, log}});
        ExpectMessages(expected);
        EXPECT_EQ(calls.programLogFetches, taken ? 1 : 0);
        EXPECT_EQ(program->Link(), ResultCode::InvalidValue);  // a failed link consumed the shaders too
    }
}

// --- the uniform table, uploads and block bindings ---

TEST_F(ShaderUniformTest, UploadsAreTypedAndClampedToSizeAndCount) {
    std::vector<float> source(32);
    for (size_t i = 0; i < source.size(); ++i) source[i] = float(i + 1);
    const std::vector<int32_t> ints(source.begin(), source.end());
    // The element read back holds `expected` after the upload (ints compared as ints).
    struct UploadCase {
        const char *name, *element;
        UniformType type;
        int components, count;
        size_t size;
        std::vector<float> expected;
    };
    const std::vector<float> zeros(16, 0.0f);
    const UploadCase cases[] = {
        {"i1", "i1", UniformType::Int, 1, 1, 4, {1}},
        {"i2", "i2", UniformType::Int, 2, 1, 8, {1, 2}},
        {"i3", "i3", UniformType::IntAlias, 3, 1, 12, {1, 2, 3}},
        {"i4", "i4[1]", UniformType::Int, 4, 2, 32, {5, 6, 7, 8}},
        {"f1", "f1", UniformType::Float, 1, 1, 4, {1}},
        {"f2", "f2", UniformType::Float, 2, 1, 8, {1, 2}},
        {"f4", "f4", UniformType::Float, 4, 1, 16, {1, 2, 3, 4}},
        // 24 bytes hold two of four vec3 elements; 100 bytes would hold more than count.
        {"f3", "f3[1]", UniformType::Float, 3, 4, 24, {4, 5, 6}},
        {"f3", "f3[2]", UniformType::Float, 3, 4, 24, {0, 0, 0}},
        {"f3", "f3[3]", UniformType::Float, 3, 4, 100, {10, 11, 12}},
        {"f3", "f3[2]", UniformType::Float, 3, 2, 100, {0, 0, 0}},
        {"m2", "m2", UniformType::Mat2, 1, 1, 16, {1, 2, 3, 4}},
        {"m3", "m3[1]", UniformType::Mat3, 1, 2, 72, {10, 11, 12, 13, 14, 15, 16, 17, 18}},
        {"m4", "m4", UniformType::Mat4, 1, 1, 64, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16}},
        {"m4", "m4", UniformType::Mat4, 1, 1, 63, zeros},  // less than one mat4
        // The component count multiplies a matrix's size: two "components" are 128 bytes an element.
        {"m4", "m4", UniformType::Mat4, 2, 1, 64, zeros},
        // A shape whose byte size overflows 64 bits uploads what size holds: nothing.
        {"m4", "m4", UniformType::Mat4, INT32_MAX, INT32_MAX, 64, zeros},
        // A type outside the table uploads nothing and is no error.
        {"f4", "f4", UniformType(9), 4, 1, 16, {0, 0, 0, 0}},
    };
    for (const UploadCase& c : cases) {
        SCOPED_TRACE(std::string(c.element) + " size " + std::to_string(c.size));
        GlShaderProgram* program = Linked();
        int index = program->AddUniformVariable(0, c.name, c.type, c.components, c.count);
        ASSERT_EQ(program->ResolveUniformVariables(), ResultCode::Success);
        const bool isInt = c.type == UniformType::Int || c.type == UniformType::IntAlias;
        // Exactly `size` bytes on the heap: a read past them is an ASan report.
        std::vector<uint8_t> data(c.size);
        std::memcpy(data.data(), isInt ? static_cast<const void*>(ints.data()) : source.data(),
                    std::min<size_t>(c.size, 128));
        EXPECT_EQ(program->SetUniformValue(index, data.data(), c.size), ResultCode::Success);
        GLint location = glGetUniformLocation(program->GetProgram(), c.element);
        ASSERT_GE(location, 0);
        std::vector<float> got(c.expected.size());
        std::vector<GLint> raw(c.expected.size());
        glGetUniformfv(program->GetProgram(), location, got.data());
        glGetUniformiv(program->GetProgram(), location, raw.data());
        EXPECT_EQ(isInt ? std::vector<float>(raw.begin(), raw.end()) : got, c.expected);
        Messages();
    }
}

TEST_F(ShaderUniformTest, TableResolvesByNameAndUploadsLeaveTheCurrentProgramAsFound) {
    GlShaderProgram* program = Linked();
    GlShaderProgram* other = Linked();
    // Indices follow the calls; each name resolves to its own location, an inactive one to none.
    int inactive = program->AddUniformVariable(0, "notActive", UniformType::Float, 1, 1);
    int badComponents = program->AddUniformVariable(0, "f2", UniformType::Float, 5, 1);
    int f1 = program->AddUniformVariable(0, "f1", UniformType::Float, 1, 1);
    int noComponents = program->AddUniformVariable(0, "i2", UniformType::Int, 0, 1);
    int unresolved = other->AddUniformVariable(0, "f1", UniformType::Float, 1, 1);
    EXPECT_EQ((std::vector<int>{inactive, badComponents, f1, noComponents}), (std::vector<int>{0, 1, 2, 3}));
    ASSERT_EQ(program->ResolveUniformVariables(), ResultCode::Success);
    const char* names[] = {"notActive", "f2", "f1", "i2"};
    for (size_t i = 0; i < 4; ++i)
        EXPECT_EQ(program->GetUniforms().at(i).location, glGetUniformLocation(program->GetProgram(), names[i]))
            << names[i];
    const float value[4] = {2.5f, 0, 0, 0};
    for (GLuint current : {0u, other->GetProgram(), program->GetProgram()}) {
        SCOPED_TRACE(current);
        realUseProgram(current);
        calls.usedPrograms.clear();
        EXPECT_EQ(program->SetUniformValue(f1, value, sizeof value), ResultCode::Success);
        EXPECT_EQ(program->SetUniformValue(badComponents, value, sizeof value), ResultCode::InvalidValue);
        EXPECT_EQ(program->SetUniformValue(noComponents, value, sizeof value), ResultCode::InvalidValue);
        EXPECT_EQ(vindra_test::Get(GL_CURRENT_PROGRAM), GLint(current));
        // Each call switches to the program and back, unless it is current already.
        std::vector<GLuint> switches;
        if (current != program->GetProgram())
            for (int i = 0; i < 3; ++i) switches.insert(switches.end(), {program->GetProgram(), current});
        EXPECT_EQ(calls.usedPrograms, switches);
    }
    ExpectMessages({});  // a bad component count is told by the result alone
    // Ignored and missing arguments make no GL call at all.
    calls.usedPrograms.clear();
    EXPECT_EQ(other->SetUniformValue(unresolved, value, sizeof value), ResultCode::Success);
    EXPECT_EQ(program->SetUniformValue(inactive, value, sizeof value), ResultCode::Success);
    EXPECT_EQ(program->SetUniformValue(-1, value, sizeof value), ResultCode::Success);
    EXPECT_EQ(program->SetUniformValue(4, value, sizeof value), ResultCode::Success);  // just past the table
    EXPECT_EQ(program->SetUniformValue(f1, nullptr, 4), ResultCode::InvalidValue);
    EXPECT_TRUE(calls.usedPrograms.empty());
    ExpectMessages({{kError, "GlShaderProgram::SetUniformValue: null data"}});
    GLfloat got = 0;
    glGetUniformfv(program->GetProgram(), glGetUniformLocation(program->GetProgram(), "f1"), &got);
    EXPECT_EQ(got, 2.5f);
    realUseProgram(0);
}

// Declarations whose uploads could never be bounded by the host's data are refused when declared.
TEST_F(ShaderUniformTest, UnboundedDeclarationsAreRefused) {
    GlShaderProgram* program = Linked();
    struct Case {
        const char* name;
        UniformType type;
        int32_t components;
        std::string message;
    };
    const Case cases[] = {
        {"m4", UniformType::Mat4, 0, "matrix uniform \"m4\" declared with 0 components (1 or more)"},
        {"m2", UniformType::Mat2, -3, "matrix uniform \"m2\" declared with -3 components (1 or more)"},
        {nullptr, UniformType::Float, 1, "null name"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        EXPECT_EQ(program->AddUniformVariable(0, c.name, c.type, c.components, 4), -1);
        ExpectMessages({{kError, "GlShaderProgram::AddUniformVariable: " + c.message}});
    }
    EXPECT_TRUE(program->GetUniforms().empty());
}

// Without a linked program GL answers, and the operations return what it says.
TEST_F(ShaderUniformTest, OperationsOnAProgramWithoutGlProgramReturnWhatGlSays) {
    GlShaderProgram* program = Linked();
    int f1 = program->AddUniformVariable(0, "f1", UniformType::Float, 1, 1);
    ASSERT_EQ(program->ResolveUniformVariables(), ResultCode::Success);
    EXPECT_EQ(program->SetUniformBlockBinding("Lights", 3), ResultCode::Success);
    EXPECT_EQ(program->SetUniformBlockBinding("NoSuchBlock", 1), ResultCode::InvalidValue);
    EXPECT_EQ(program->SetUniformBlockBinding(nullptr, 1), ResultCode::InvalidValue);
    ExpectMessages({{kError, "GlShaderProgram::SetUniformBlockBinding: GL_INVALID_VALUE"},
                    {kError, "GlShaderProgram::SetUniformBlockBinding: null block name"}});
    // A relink that fails at glCreateProgram leaves no GL program behind the old table.
    ASSERT_EQ(program->AddShader(ShaderStage::Vertex, 1, &kVertex, nullptr), ResultCode::Success);
    calls.createProgramFails = true;
    EXPECT_EQ(program->Link(), ResultCode::InvalidValue);
    ASSERT_EQ(program->GetProgram(), 0u);
    const float value = 1.0f;
    EXPECT_EQ(program->SetUniformValue(f1, &value, sizeof value), ResultCode::InvalidOperation);
    EXPECT_EQ(program->SetUniformBlockBinding("Lights", 1), ResultCode::InvalidValue);
    EXPECT_EQ(program->ResolveUniformVariables(), ResultCode::InvalidValue);
    EXPECT_EQ(program->GetUniforms().at(0).location, -1);
    ExpectMessages({{kError, "glAttachShader: GL_INVALID_VALUE"},
                    {kError, "GlShaderProgram::SetUniformValue: GL_INVALID_OPERATION"},
                    {kError, "GlShaderProgram::SetUniformBlockBinding: GL_INVALID_VALUE"},
                    {kError, "GlShaderProgram::ResolveUniformVariables: GL_INVALID_VALUE"}});
    EXPECT_EQ(program->SetUniformValue(f1, &value, sizeof value), ResultCode::Success);  // now unresolved
}

// --- the context's binding, and releases ---

TEST_F(ShaderBindTest, BindRecordsAndMakesCurrentAndReleaseClearsTheRecord) {
    GlShaderProgram* program = Linked();
    EXPECT_EQ(context->BindShaderProgram(program), ResultCode::Success);
    EXPECT_EQ(context->GetBoundShaderProgram(), program);
    EXPECT_EQ(vindra_test::Get(GL_CURRENT_PROGRAM), GLint(program->GetProgram()));
    // A program never linked is recorded and makes no program current, which GL accepts.
    GlShaderProgram* empty = Program();
    EXPECT_EQ(context->BindShaderProgram(empty), ResultCode::Success);
    EXPECT_EQ(context->GetBoundShaderProgram(), empty);
    EXPECT_EQ(vindra_test::Get(GL_CURRENT_PROGRAM), 0);
    ExpectMessages({{kWarning, "GlShaderProgram::Bind: Program not linked; no program is current"}});
    ASSERT_EQ(context->BindShaderProgram(program), ResultCode::Success);
    EXPECT_EQ(context->BindShaderProgram(nullptr), ResultCode::Success);
    EXPECT_EQ(context->GetBoundShaderProgram(), nullptr);
    EXPECT_EQ(vindra_test::Get(GL_CURRENT_PROGRAM), 0);
    // Releasing the bound program clears the record rather than leave it dangling.
    ASSERT_EQ(context->BindShaderProgram(program), ResultCode::Success);
    EXPECT_EQ(context->ReleaseShaderProgram(&programs.front()), 0u);
    EXPECT_EQ(programs.front(), nullptr);
    EXPECT_EQ(context->GetBoundShaderProgram(), nullptr);
    ASSERT_EQ(context->BindShaderProgram(nullptr), ResultCode::Success);
    ExpectMessages({});
    EXPECT_EQ(context->ReleaseShaderProgram(nullptr), uint32_t(ResultCode::InvalidValue));
    EXPECT_EQ(context->ReleaseShaderLibrary(nullptr), uint32_t(ResultCode::InvalidValue));
    ExpectMessages({{kError, "GlContext::ReleaseShaderProgram: null address"},
                    {kError, "GlContext::ReleaseShaderLibrary: null address"}});
}

}  // namespace
