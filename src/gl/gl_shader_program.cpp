// GlShaderProgram: linking pending shaders into a GL program, and the uniform table.
#include "gl/gl_shader_program.h"

#include <GL/glew.h>

#include <cstdint>
#include <limits>

#include "core/check_gl_error.h"
#include "core/log_message.h"
#include "gl/enum_argument.h"
#include "gl/gl_shader_library.h"

namespace vindra {

namespace {

// Bytes of one component of each UniformType, indexed by the type. The matrix types count a whole
// matrix as their component.
constexpr int64_t kComponentBytes[] = {4, 4, 4, 16, 36, 64};
constexpr size_t kUniformTypeCount = sizeof kComponentBytes / sizeof kComponentBytes[0];

// Elements to upload: `count`, cut down to the whole elements that `size` bytes hold.
GLsizei ElementsToUpload(const UniformVariable& variable, size_t size) {
    int64_t elementBytes = int64_t{variable.components} * kComponentBytes[static_cast<int32_t>(variable.type)];
    int64_t available = size > static_cast<size_t>(std::numeric_limits<int64_t>::max())
                            ? std::numeric_limits<int64_t>::max()
                            : static_cast<int64_t>(size);
    int64_t elements = variable.count;
    // Matrix types ignore the component count in the call, so 0 is a likely value there: an element
    // size of 0 or below cuts nothing (and is never divided by).
    if (elementBytes > 0 && available < int64_t{variable.count} * elementBytes) elements = available / elementBytes;
    return static_cast<GLsizei>(elements);
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
                case 1: glUniform1iv(location, n, ints); return true;
                case 2: glUniform2iv(location, n, ints); return true;
                case 3: glUniform3iv(location, n, ints); return true;
                case 4: glUniform4iv(location, n, ints); return true;
                default: return false;
            }
        case UniformType::Float:
            switch (variable.components) {
                case 1: glUniform1fv(location, n, floats); return true;
                case 2: glUniform2fv(location, n, floats); return true;
                case 3: glUniform3fv(location, n, floats); return true;
                case 4: glUniform4fv(location, n, floats); return true;
                default: return false;
            }
        case UniformType::Mat2: glUniformMatrix2fv(location, n, GL_FALSE, floats); return true;
        case UniformType::Mat3: glUniformMatrix3fv(location, n, GL_FALSE, floats); return true;
        case UniformType::Mat4: glUniformMatrix4fv(location, n, GL_FALSE, floats); return true;
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
    if (program == 0) {
        LogMessage(MessageLevel::Error, "%s: Program not initialized", kOperation);
        return ResultCode::InvalidOperation;
    }
    // An unknown block gives GL_INVALID_INDEX, which the binding call answers with GL_INVALID_VALUE.
    GLuint blockIndex = glGetUniformBlockIndex(program, blockName);
    glUniformBlockBinding(program, blockIndex, binding);
    return CheckGlError(kOperation);
}

int32_t GlShaderProgram::AddUniformVariable(uint64_t, const char* name, UniformType type, int32_t components,
                                            int32_t count) {
    // A nameless record could never resolve; -1 is an index that SetUniformValue ignores.
    if (name == nullptr) {
        LogMessage(MessageLevel::Error, "GlShaderProgram::AddUniformVariable: null name");
        return -1;
    }
    int32_t index = static_cast<int32_t>(uniforms.size());
    uniforms.push_back(UniformVariable{name, type, components, count, -1});
    return index;
}

ResultCode GlShaderProgram::ResolveUniformVariables() {
    constexpr const char* kOperation = "GlShaderProgram::ResolveUniformVariables";
    if (uniforms.empty()) return ResultCode::Success;
    if (program == 0) {
        LogMessage(MessageLevel::Error, "%s: Program not initialized", kOperation);
        return ResultCode::InvalidOperation;
    }
    for (UniformVariable& variable : uniforms) variable.location = glGetUniformLocation(program, variable.name);
    return CheckGlError(kOperation);
}

ResultCode GlShaderProgram::SetUniformValue(int32_t index, const void* data, size_t size) {
    constexpr const char* kOperation = "GlShaderProgram::SetUniformValue";
    // An index past the table is treated like a negative one: nothing is declared there to upload.
    if (index < 0 || static_cast<size_t>(index) >= uniforms.size()) return ResultCode::Success;
    const UniformVariable& variable = uniforms[static_cast<size_t>(index)];
    if (variable.location < 0) return ResultCode::Success;
    if (!IsValidEnum(variable.type, kUniformTypeCount, kOperation, "UniformType")) return ResultCode::InvalidEnum;
    if (data == nullptr) {
        LogMessage(MessageLevel::Error, "%s: null data", kOperation);
        return ResultCode::InvalidValue;
    }
    // Reachable when a relink failed at glCreateProgram: the table still holds the old locations.
    if (program == 0) {
        LogMessage(MessageLevel::Error, "%s: Program not initialized", kOperation);
        return ResultCode::InvalidOperation;
    }

    // glUniform* writes to the current program; the host's current program is put back afterwards.
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    const bool switched = static_cast<GLuint>(previous) != program;
    if (switched) glUseProgram(program);

    bool uploaded = Upload(variable, ElementsToUpload(variable, size), data);

    if (switched) glUseProgram(static_cast<GLuint>(previous));
    if (!uploaded) return ResultCode::InvalidValue;
    return CheckGlError(kOperation);
}

ResultCode GlShaderProgram::Bind() {
    if (program == 0) {
        LogMessage(MessageLevel::Error, "GlShaderProgram::Bind: Program not initialized");
        // Draws must not go on with whichever program was current before.
        glUseProgram(0);
        CheckGlError("GlShaderProgram::Bind");
        return ResultCode::InvalidOperation;
    }
    glUseProgram(program);
    return CheckGlError("GlShaderProgram::Bind");
}

ResultCode GlShaderProgram::UnBind() {
    glUseProgram(0);
    return CheckGlError("GlShaderProgram::UnBind");
}

}  // namespace vindra
