// Library enumeration values to GL enums, indexed by the value: render state and primitive types.
#ifndef VINDRA_SRC_GL_RENDER_STATE_TABLES_H
#define VINDRA_SRC_GL_RENDER_STATE_TABLES_H

#include <GL/glew.h>

namespace vindra {

constexpr GLenum kCompareFuncs[] = {GL_NEVER,   GL_LESS,     GL_EQUAL,  GL_LEQUAL,
                                    GL_GREATER, GL_NOTEQUAL, GL_GEQUAL, GL_ALWAYS};

// Keep is 0 and Zero is 1; the wrapping forms follow their saturating forms.
constexpr GLenum kStencilOps[] = {GL_KEEP,      GL_ZERO, GL_REPLACE,   GL_INCR,
                                  GL_INCR_WRAP, GL_DECR, GL_DECR_WRAP, GL_INVERT};

constexpr GLenum kBlendEquations[] = {GL_FUNC_ADD, GL_FUNC_SUBTRACT, GL_FUNC_REVERSE_SUBTRACT, GL_MIN, GL_MAX};

// The destination-colour pair comes before the source-alpha pair.
constexpr GLenum kBlendFactors[] = {
    GL_ZERO,
    GL_ONE,
    GL_SRC_COLOR,
    GL_ONE_MINUS_SRC_COLOR,
    GL_DST_COLOR,
    GL_ONE_MINUS_DST_COLOR,
    GL_SRC_ALPHA,
    GL_ONE_MINUS_SRC_ALPHA,
    GL_DST_ALPHA,
    GL_ONE_MINUS_DST_ALPHA,
    GL_CONSTANT_COLOR,
    GL_ONE_MINUS_CONSTANT_COLOR,
    GL_CONSTANT_ALPHA,
    GL_ONE_MINUS_CONSTANT_ALPHA,
    GL_SRC_ALPHA_SATURATE,
    GL_SRC1_COLOR,
    GL_ONE_MINUS_SRC1_COLOR,
    GL_SRC1_ALPHA,
    GL_ONE_MINUS_SRC1_ALPHA,
};

constexpr GLenum kFillModes[] = {GL_FILL, GL_LINE};

// PrimitiveType: no line loop and no triangle fan.
constexpr GLenum kPrimitiveModes[] = {GL_POINTS, GL_LINES, GL_LINE_STRIP, GL_TRIANGLES, GL_TRIANGLE_STRIP, GL_PATCHES};

template <typename T, size_t N>
constexpr size_t TableSize(const T (&)[N]) {
    return N;
}

}  // namespace vindra

#endif
