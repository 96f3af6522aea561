// GlShaderProgram: one GL program object, the shaders waiting for its next link and the table of
// uniforms that the host declares by name and uploads by index.
#ifndef VINDRA_SRC_GL_GL_SHADER_PROGRAM_H
#define VINDRA_SRC_GL_GL_SHADER_PROGRAM_H

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "vindra/resources.h"

namespace vindra {

class GlShaderLibrary;

class GlShaderProgram : public ShaderProgram {
public:
    GlShaderProgram();
    GlShaderProgram(const GlShaderProgram&) = delete;
    GlShaderProgram& operator=(const GlShaderProgram&) = delete;
    // Deletes the GL program and the shaders it compiled itself; the host's libraries stay.
    ~GlShaderProgram() override;

    uint32_t ReservedQuery0() override;
    ResultCode AddShader(ShaderStage stage, uint32_t count, const char* const* strings,
                         const int32_t* lengths) override;
    ResultCode AttachShaderLibrary(ShaderLibrary* library) override;
    ResultCode Link() override;
    uint32_t ReservedQuery4() override;
    uint32_t ReservedQuery5() override;
    ResultCode SetUniformBlockBinding(const char* blockName, uint32_t binding) override;
    int32_t AddUniformVariable(uint64_t reserved, const char* name, UniformType type, int32_t components,
                               int32_t count) override;
    ResultCode ResolveUniformVariables() override;
    ResultCode SetUniformValue(int32_t index, const void* data, size_t size) override;
    uint32_t ReservedQuery10() override;
    uint32_t ReservedQuery11() override;
    uint32_t ReservedQuery12() override;

    // Makes the program current (glUseProgram), checked under "GlShaderProgram::Bind". A program
    // never linked makes no program current, with a warning.
    ResultCode Bind();
    // Makes no program current, checked under "GlShaderProgram::UnBind".
    static ResultCode UnBind();

    // GL program name; 0 before the first Link.
    uint32_t GetProgram() const { return program; }
    // The uniform table in index order.
    const std::vector<UniformVariable>& GetUniforms() const { return uniforms; }

private:
    uint32_t program = 0;
    std::vector<std::unique_ptr<GlShaderLibrary>> ownedShaders;
    std::vector<ShaderLibrary*> attachedLibraries;
    std::vector<UniformVariable> uniforms;
};

}  // namespace vindra

#endif
