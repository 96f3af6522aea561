// GlContext: shader library and program factories, releases and binds.
#include "core/gl_context.h"
#include "gl/not_implemented.h"

namespace vindra {

ShaderLibrary* GlContext::CreateShaderLibrary() { return NotImplemented<ShaderLibrary*>("GlContext::CreateShaderLibrary"); }
uint32_t GlContext::ReleaseShaderLibrary(ShaderLibrary**) { return NotImplemented<uint32_t>("GlContext::ReleaseShaderLibrary"); }
ShaderProgram* GlContext::CreateShaderProgram() { return NotImplemented<ShaderProgram*>("GlContext::CreateShaderProgram"); }
uint32_t GlContext::ReleaseShaderProgram(ShaderProgram**) { return NotImplemented<uint32_t>("GlContext::ReleaseShaderProgram"); }
ResultCode GlContext::BindShaderProgram(ShaderProgram*) { return NotImplemented<ResultCode>("GlContext::BindShaderProgram"); }
ShaderProgram* GlContext::GetBoundShaderProgram() { return NotImplemented<ShaderProgram*>("GlContext::GetBoundShaderProgram"); }

}  // namespace vindra
