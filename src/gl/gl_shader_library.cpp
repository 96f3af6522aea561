// GlShaderLibrary: compiling one shader object, and the driver-log report shared with program links.
#include "gl/gl_shader_library.h"

#include <GL/glew.h>

#include <vector>

#include "core/check_gl_error.h"
#include "core/log_message.h"

namespace vindra {

namespace {

// GL shader type of each ShaderStage, indexed by the stage.
constexpr GLenum kShaderTypes[] = {GL_VERTEX_SHADER, GL_FRAGMENT_SHADER, GL_GEOMETRY_SHADER, GL_TESS_CONTROL_SHADER,
                                   GL_TESS_EVALUATION_SHADER};
constexpr uint32_t kStageCount = sizeof kShaderTypes / sizeof kShaderTypes[0];

}  // namespace

void ReportDriverLog(bool isProgram, uint32_t object) {
    GLint length = 0;
    if (isProgram) {
        LogMessage(MessageLevel::Error, "GL: Failed to link shader program");
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    } else {
        LogMessage(MessageLevel::Error, "GL: Failed to compile shader");
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    }
    // A length of 1 is the terminating NUL alone.
    if (length < 2) return;
    int32_t taken = isProgram ? LogMessage(MessageLevel::Debug, "GL: Shader program link info:")
                              : LogMessage(MessageLevel::Debug, "GL: Shader compilation info:");
    if (taken == 0) return;

    std::vector<GLchar> log(static_cast<size_t>(length), '\0');
    GLsizei written = 0;
    if (isProgram)
        glGetProgramInfoLog(object, length, &written, log.data());
    else
        glGetShaderInfoLog(object, length, &written, log.data());
    if (written < 1) return;
    log[static_cast<size_t>(length) - 1] = '\0';
    // The driver's text may hold '%': it is an argument, never the format.
    LogMessage(MessageLevel::Continuation, "%s", log.data());
}

GlShaderLibrary::~GlShaderLibrary() {
    if (shader != 0) glDeleteShader(shader);
}

uint32_t GlShaderLibrary::ReservedQuery0() { return 0; }

ResultCode GlShaderLibrary::Compile(ShaderStage stage, uint32_t count, const char* const* strings,
                                    const int32_t* lengths) {
    // An unknown stage is answered without a message: the caller learns it from the result alone.
    uint32_t stageIndex = static_cast<uint32_t>(stage);
    if (stageIndex >= kStageCount) return ResultCode::InvalidValue;
    // Drivers read every string before they could object; a null one must not reach them. A count that
    // GL sees as negative is GL's to reject, without reading the strings.
    bool missingSource = strings == nullptr;
    if (static_cast<GLsizei>(count) > 0)
        for (uint32_t i = 0; !missingSource && i < count; ++i) missingSource = strings[i] == nullptr;
    if (missingSource) {
        LogMessage(MessageLevel::Error, "GlShaderLibrary::Compile: null source string");
        return ResultCode::InvalidValue;
    }

    shaderType = kShaderTypes[stageIndex];
    // Unchecked: an error from the delete is drained by the check of the create below.
    if (shader != 0) glDeleteShader(shader);

    shader = glCreateShader(shaderType);
    ResultCode result = CheckGlError("glCreateShader");
    if (result != ResultCode::Success) return result;

    glShaderSource(shader, static_cast<GLsizei>(count), strings, lengths);
    result = CheckGlError("glShaderSource");
    if (result != ResultCode::Success) return result;

    glCompileShader(shader);
    result = CheckGlError("glCompileShader");
    if (result != ResultCode::Success) return result;

    GLint compiled = GL_FALSE;
    glGetShaderiv(shader, GL_COMPILE_STATUS, &compiled);
    if (compiled != GL_FALSE) return ResultCode::Success;

    // The failed shader stays in `shader` until the next Compile or the destructor.
    ReportDriverLog(false, shader);
    return ResultCode::InvalidOperation;
}

}  // namespace vindra
