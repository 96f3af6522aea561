// GlContext: shader library and program factories, releases and binds.
#include "core/gl_context.h"
#include "core/log_message.h"
#include "gl/gl_shader_library.h"
#include "gl/gl_shader_program.h"

namespace vindra {

ShaderLibrary* GlContext::CreateShaderLibrary() { return new GlShaderLibrary(); }

uint32_t GlContext::ReleaseShaderLibrary(ShaderLibrary** library) {
    if (library == nullptr) {
        LogMessage(MessageLevel::Error, "GlContext::ReleaseShaderLibrary: null address");
        return static_cast<uint32_t>(ResultCode::InvalidValue);
    }
    if (*library == nullptr) return 0;
    delete *library;
    *library = nullptr;
    return 0;
}

ShaderProgram* GlContext::CreateShaderProgram() { return new GlShaderProgram(); }

uint32_t GlContext::ReleaseShaderProgram(ShaderProgram** program) {
    if (program == nullptr) {
        LogMessage(MessageLevel::Error, "GlContext::ReleaseShaderProgram: null address");
        return static_cast<uint32_t>(ResultCode::InvalidValue);
    }
    if (*program == nullptr) return 0;
    // The record is cleared, not left pointing at freed memory: GetBoundShaderProgram answers null
    // rather than a pointer nobody may use. GL keeps the deleted program current until the next bind.
    if (boundShaderProgram == *program) boundShaderProgram = nullptr;
    delete *program;
    *program = nullptr;
    return 0;
}

ResultCode GlContext::BindShaderProgram(ShaderProgram* program) {
    if (program == nullptr) {
        boundShaderProgram = nullptr;
        return GlShaderProgram::UnBind();
    }
    auto* glProgram = static_cast<GlShaderProgram*>(program);
    // Recorded even when it has no GL program yet, as index buffers are.
    boundShaderProgram = glProgram;
    return glProgram->Bind();
}

ShaderProgram* GlContext::GetBoundShaderProgram() { return boundShaderProgram; }

}  // namespace vindra
