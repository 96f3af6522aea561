// GlShaderProgram: linking pending shaders into a GL program, and the uniform table.
#include "gl/gl_shader_program.h"

#include <GL/glew.h>

#include <algorithm>
#include <cstdint>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/gl_shader_library.h"

namespace vindra {

namespace {

// Bytes of one component of each UniformType, indexed by the type. The matrix types count a whole
// matrix as their component.
constexpr int64_t kComponentBytes[] = {4, 4, 4, 16, 36, 64};
constexpr size_t kUniformTypeCount = sizeof kComponentBytes / sizeof kComponentBytes[0];

// Elements to upload: `count`, cut down to the whole elements that `size` bytes hold. Divides
// rather than multiplies, so that no declared shape can overflow.
GLsizei ElementsToUpload(const UniformVariable& variable, size_t size) {
    int64_t elementBytes = int64_t{variable.components} * kComponentBytes[static_cast<int32_t>(variable.type)];
    if (elementBytes <= 0) return 0;  // vector types are refused before; matrices at their declaration
    uint64_t whole = static_cast<uint64_t>(size) / static_cast<uint64_t>(elementBytes);
    return static_cast<GLsizei>(
        std::min<int64_t>(variable.count, static_cast<int64_t>(std::min<uint64_t>(whole, INT32_MAX))));
}

// Uploads `n` elements by type and component count; false for a vector type whose component count
// has no GL upload call.
bool Upload(const UniformVariable& variable, GLsizei n, const void* data) {
    const GLint location = variable.location;
    const GLint* ints = static_cast<const GLint*>(data);
    const GLfloat* floats = static_cast<const GLfloat*>(data);
    switch (variable.type) {
        case UniformType::Int:
        case UniformType::IntAlias:
            switch (variable.components) {
                case 1:
                    glUniform1iv(location, n, ints);
                    return true;
                case 2:
                    glUniform2iv(location, n, ints);
                    return true;
                case 3:
                    glUniform3iv(location, n, ints);
                    return true;
                case 4:
                    glUniform4iv(location, n, ints);
                    return true;
                default:
                    return false;
            }
        case UniformType::Float:
            switch (variable.components) {
                case 1:
                    glUniform1fv(location, n, floats);
                    return true;
                case 2:
                    glUniform2fv(location, n, floats);
                    return true;
                case 3:
                    glUniform3fv(location, n, floats);
                    return true;
                case 4:
                    glUniform4fv(location, n, floats);
                    return true;
                default:
                    return false;
            }
        case UniformType::Mat2:
            glUniformMatrix2fv(location, n, GL_FALSE, floats);
            return true;
        case UniformType::Mat3:
            glUniformMatrix3fv(location, n, GL_FALSE, floats);
            return true;
        case UniformType::Mat4:
            glUniformMatrix4fv(location, n, GL_FALSE, floats);
            return true;
    }
    return true;  // not reached: the type was checked against its table
}

}  // namespace

GlShaderProgram::GlShaderProgram() = default;

GlShaderProgram::~GlShaderProgram() {
    if (program != 0) glDeleteProgram(program);
    // The owned shaders still pending go with the vector; the host's libraries are only forgotten.
}

uint32_t GlShaderProgram::ReservedQuery0() { return 0; }
uint32_t GlShaderProgram::ReservedQuery4() { return 0; }
uint32_t GlShaderProgram::ReservedQuery5() { return 0; }
uint32_t GlShaderProgram::ReservedQuery10() { return 0; }
uint32_t GlShaderProgram::ReservedQuery11() { return static_cast<uint32_t>(ResultCode::InvalidOperation); }
uint32_t GlShaderProgram::ReservedQuery12() { return static_cast<uint32_t>(ResultCode::InvalidOperation); }

ResultCode GlShaderProgram::AddShader(ShaderStage stage, uint32_t count, const char* const* strings,
                                      const int32_t* lengths) {
    auto shader = std::make_unique<GlShaderLibrary>();
    ResultCode result = shader->Compile(stage, count, strings, lengths);
    // A shader that did not compile would only fail the link: it is dropped here, with its GL shader.
    if (result != ResultCode::Success) return result;
    ownedShaders.push_back(std::move(shader));
    return ResultCode::Success;
}

ResultCode GlShaderProgram::AttachShaderLibrary(ShaderLibrary* library) {
    if (library == nullptr) return ResultCode::InvalidValue;
    attachedLibraries.push_back(library);
    return ResultCode::Success;
}

ResultCode GlShaderProgram::Link() {
    // Nothing to link: the program linked last stays usable.
    if (ownedShaders.empty() && attachedLibraries.empty()) return ResultCode::InvalidValue;

    if (program != 0) glDeleteProgram(program);
    program = glCreateProgram();
    ResultCode result = CheckGlError("glCreateProgram");
    if (result != ResultCode::Success) return result;

    // On a failed attach or link call the pending shaders stay, so the host can retry.
    for (const auto& shader : ownedShaders) {
        glAttachShader(program, shader->GetShader());
        result = CheckGlError("glAttachShader");
        if (result != ResultCode::Success) return result;
    }
    for (ShaderLibrary* library : attachedLibraries) {
        glAttachShader(program, static_cast<GlShaderLibrary*>(library)->GetShader());
        result = CheckGlError("glAttachShader");
        if (result != ResultCode::Success) return result;
    }
    glLinkProgram(program);
    result = CheckGlError("glLinkProgram");
    if (result != ResultCode::Success) return result;

    // The link consumed the pending shaders, whatever its status: the program keeps no shader objects.
    for (const auto& shader : ownedShaders) glDetachShader(program, shader->GetShader());
    ownedShaders.clear();
    for (ShaderLibrary* library : attachedLibraries)
        glDetachShader(program, static_cast<GlShaderLibrary*>(library)->GetShader());
    attachedLibraries.clear();

    GLint linked = GL_FALSE;
    glGetProgramiv(program, GL_LINK_STATUS, &linked);
    if (linked != GL_FALSE) return ResultCode::Success;
    ReportDriverLog(true, program);
    return ResultCode::InvalidOperation;
}

ResultCode GlShaderProgram::SetUniformBlockBinding(const char* blockName, uint32_t binding) {
    constexpr const char* kOperation = "GlShaderProgram::SetUniformBlockBinding";
    if (blockName == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null block name", kOperation);
        return ResultCode::InvalidValue;
    }
    // Without a linked program GL answers GL_INVALID_VALUE, which the check reports. An unknown block gives
    // GL_INVALID_INDEX, which the binding call answers with GL_INVALID_VALUE.
    GLuint blockIndex = glGetUniformBlockIndex(program, blockName);
    glUniformBlockBinding(program, blockIndex, binding);
    return CheckGlError(kOperation);
}

int32_t GlShaderProgram::AddUniformVariable(uint64_t, const char* name, UniformType type, int32_t components,
                                            int32_t count) {
    // A nameless record could never resolve; -1 is an index that SetUniformValue ignores.
    constexpr const char* kOperation = "GlShaderProgram::AddUniformVariable";
    if (name == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null name", kOperation);
        return -1;
    }
    // A matrix's element size is its component count times the matrix: with no component the upload
    // could never be bounded by the host's data.
    bool matrix = type == UniformType::Mat2 || type == UniformType::Mat3 || type == UniformType::Mat4;
    if (matrix && components < 1) {
        LogMessage(MessageLevel::Error, "%s: matrix uniform \"%s\" declared with %d components (1 or more)", kOperation,
                   name, components);
        return -1;
    }
    int32_t index = static_cast<int32_t>(uniforms.size());
    uniforms.push_back(UniformVariable{name, type, components, count, -1});
    return index;
}

ResultCode GlShaderProgram::ResolveUniformVariables() {
    constexpr const char* kOperation = "GlShaderProgram::ResolveUniformVariables";
    if (uniforms.empty()) return ResultCode::Success;
    // Without a linked program every location comes back -1 and GL reports GL_INVALID_VALUE.
    for (UniformVariable& variable : uniforms) variable.location = glGetUniformLocation(program, variable.name);
    return CheckGlError(kOperation);
}

ResultCode GlShaderProgram::SetUniformValue(int32_t index, const void* data, size_t size) {
    constexpr const char* kOperation = "GlShaderProgram::SetUniformValue";
    // An index past the table is treated like a negative one: nothing is declared there to upload.
    if (index < 0 || static_cast<size_t>(index) >= uniforms.size()) return ResultCode::Success;
    const UniformVariable& variable = uniforms[static_cast<size_t>(index)];
    if (variable.location < 0) return ResultCode::Success;
    if (data == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null data", kOperation);
        return ResultCode::InvalidValue;
    }
    // A type without a table entry has no element size: nothing is uploaded, and the program's GL
    // state stays as it was.
    bool knownType = static_cast<uint32_t>(variable.type) < kUniformTypeCount;
    if (!knownType)
        LogMessage(MessageLevel::Warning, "%s: uniform %d has type %d, which uploads nothing", kOperation, index,
                   static_cast<int32_t>(variable.type));

    // glUniform* writes to the current program; the host's current program is put back afterwards.
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    const bool switched = static_cast<GLuint>(previous) != program;
    if (switched) glUseProgram(program);

    bool uploaded = !knownType || Upload(variable, ElementsToUpload(variable, size), data);

    if (switched) glUseProgram(static_cast<GLuint>(previous));
    if (!uploaded) return ResultCode::InvalidValue;
    return CheckGlError(kOperation);
}

ResultCode GlShaderProgram::Bind() {
    // A program never linked makes no program current (name 0), which GL accepts: draws then go on
    // with no program rather than with whichever was current before.
    if (program == 0)
        LogMessage(MessageLevel::Warning, "GlShaderProgram::Bind: Program not linked; no program is current");
    glUseProgram(program);
    return CheckGlError("GlShaderProgram::Bind");
}

ResultCode GlShaderProgram::UnBind() {
    glUseProgram(0);
    return CheckGlError("GlShaderProgram::UnBind");
}

}  // namespace vindra
