// GlContext: shader library and program factories, releases and binds.
#include "gl/gl_context.h"
#include "core/log_message.h"
#include "gl/gl_shader_library.h"
#include "gl/gl_shader_program.h"
#include "gl/release_object.h"

namespace vindra {

ShaderLibrary* GlContext::CreateShaderLibrary() { return new GlShaderLibrary(); }

uint32_t GlContext::ReleaseShaderLibrary(ShaderLibrary** library) {
    return ReleaseObject<GlShaderLibrary>(library, "GlContext::ReleaseShaderLibrary");
}

ShaderProgram* GlContext::CreateShaderProgram() { return new GlShaderProgram(); }

// The record is cleared, not left pointing at freed memory: GetBoundShaderProgram answers null rather
// than a pointer nobody may use. GL keeps the deleted program current until the next bind.
uint32_t GlContext::ReleaseShaderProgram(ShaderProgram** program) {
    return ReleaseObject<GlShaderProgram>(program, "GlContext::ReleaseShaderProgram",
                                          [this](GlShaderProgram* released) {
                                              if (boundShaderProgram == released) boundShaderProgram = nullptr;
                                          });
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
