// GlShaderLibrary: one GL shader object of one stage, compiled from the host's source strings.
#ifndef VINDRA_SRC_GL_GL_SHADER_LIBRARY_H
#define VINDRA_SRC_GL_GL_SHADER_LIBRARY_H

#include <cstdint>

#include "vindra/resources.h"

namespace vindra {

class GlShaderLibrary : public ShaderLibrary {
public:
    static constexpr uint32_t kNoShaderType = 0x0500;  // GL_INVALID_ENUM: not compiled yet

    GlShaderLibrary() = default;
    GlShaderLibrary(const GlShaderLibrary&) = delete;
    GlShaderLibrary& operator=(const GlShaderLibrary&) = delete;
    // Deletes the GL shader, unchecked: a pending error is the next checked operation's to report.
    ~GlShaderLibrary() override;

    uint32_t ReservedQuery0() override;
    // Replaces the GL shader with a new one compiled from the strings, failed or not. InvalidValue,
    // with nothing changed, for a stage outside 0 to 4 or null source strings.
    ResultCode Compile(ShaderStage stage, uint32_t count, const char* const* strings, const int32_t* lengths) override;

    uint32_t GetShader() const { return shader; }          // GL shader name, 0 before Compile
    uint32_t GetShaderType() const { return shaderType; }  // GL type of the last stage compiled

private:
    uint32_t shader = 0;
    uint32_t shaderType = kNoShaderType;
};

// Reports a failed compile (`object` a shader) or link (`object` a program) at error level, then, when
// the driver has a log of two characters or more, the log's header at debug level and, only when the
// host took the header, the log as one continuation line. A host that answers 0 to the header does not
// want the log, so it is not even fetched.
void ReportDriverLog(bool isProgram, uint32_t object);

}  // namespace vindra

#endif
