// Buffer sub-range writes and uniform uploads against raw GL doing the same work, plus the one glGetError
// that every operation makes. Both sides run on the same headless context of the same process; GLEW's entry
// points are valid here because libvindra initialised the system's shared libGLEW.
//
// BufferSubData writes through a mapping of the range, so the raw side of "SubData/<usage>" maps, copies
// and unmaps too, on a buffer of its own with the storage GL reports for vindra's. SetUniformValue reads the
// current program and switches to its own around the upload when another is current; the raw side of each
// "Uniform/..." pair does the same. Each ".../bare" pair sets the same vindra call against what a host would
// call instead: glNamedBufferSubData, glUniform* with the program current, glProgramUniform* without.
#include <GL/glew.h>

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "context_bench_common.h"
#include "ratio_reporter.h"
#include "vindra/context.h"

using namespace vindra;

namespace {

Context* context = nullptr;

// Times `call(odd)` with `odd` flipping every iteration, so that no call repeats the previous one and a
// driver cannot skip it. Both argument sets must succeed before anything is timed: a pair where one side
// fails measures the error path. `prepare` puts the GL state the pair needs in place first, since with
// random interleaving any other benchmark may have run just before.
template <typename Prepare, typename Call>
void TimeAlternating(benchmark::State& state, Prepare prepare, Call call) {
    if (!prepare()) {
        state.SkipWithError("could not set up the state to time");
        return;
    }
    for (bool odd : {false, true}) {
        if (call(odd) != 0) {
            state.SkipWithError("the call failed on this context");
            return;
        }
    }
    bool odd = false;
    for (auto _ : state) {
        benchmark::DoNotOptimize(call(odd));
        odd = !odd;
    }
}

template <typename Prepare, typename VindraCall, typename RawCall>
void RegisterPair(const std::string& operation, Prepare prepare, VindraCall vindraCall, RawCall rawCall) {
    vindra_bench::WithMinimum(benchmark::RegisterBenchmark(
        ("BM_Vindra/" + operation).c_str(), [prepare, vindraCall](benchmark::State& state) {
            TimeAlternating(state, prepare, [&](bool odd) { return static_cast<uint32_t>(vindraCall(odd)); });
        }));
    vindra_bench::WithMinimum(
        benchmark::RegisterBenchmark(("BM_Raw/" + operation).c_str(), [prepare, rawCall](benchmark::State& state) {
            TimeAlternating(state, prepare, [&](bool odd) { return static_cast<uint32_t>(rawCall(odd)); });
        }));
}

// ---------------------------------------------------------------------------------------------------------
// BufferSubData
// ---------------------------------------------------------------------------------------------------------

constexpr uint64_t kBufferSize = 64 * 1024;
constexpr uint64_t kWriteSize = 256;
// Two ranges far apart, taken in turn.
constexpr uint64_t kWriteOffsets[2] = {0, kBufferSize / 2};
unsigned char writeData[kWriteSize];

struct BufferCase {
    const char* name;
    BufferUsage usage;
    // The access the library maps a written range with for this usage (its per-usage table in
    // gl_buffer.cpp); GL cannot be asked for it once the range is unmapped.
    GLbitfield subDataAccess;
};

const BufferCase kBufferCases[] = {
    {"StaticDraw", BufferUsage::StaticDraw, GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT},
    {"DynamicDraw", BufferUsage::DynamicDraw,
     GL_MAP_WRITE_BIT | GL_MAP_INVALIDATE_RANGE_BIT | GL_MAP_UNSYNCHRONIZED_BIT},
};

struct BufferPair {
    VertexBuffer* vindraBuffer = nullptr;
    GLuint rawBuffer = 0;
};
BufferPair bufferPairs[sizeof kBufferCases / sizeof kBufferCases[0]];

// The GL name behind a vindra vertex buffer, which the public interface does not give out: a vertex array
// listing it is bound for a moment, and GL says which buffer feeds attribute 0.
GLuint GlNameOf(VertexBuffer* buffer) {
    VertexLayout layout{};
    layout.attributeCount = 1;
    layout.attributes[0] = {0, VertexAttributeType::Float32, 4, 0, false};
    buffer->SetVertexLayout(&layout);
    VertexArray* array = context->CreateVertexArray();
    array->SetVertexBuffer(buffer, 0, 0);
    GLint name = 0;
    if (context->BindVertexArray(array) == ResultCode{})
        glGetVertexAttribiv(0, GL_VERTEX_ATTRIB_ARRAY_BUFFER_BINDING, &name);
    context->BindVertexArray(nullptr);
    context->ReleaseVertexArray(&array);
    return static_cast<GLuint>(name);
}

// vindra's buffer through BufferData, and a raw one made the way GL reports vindra's was: immutable storage
// with the same flags, or mutable storage with the same usage hint.
bool MakeBufferPair(const BufferCase& bufferCase, BufferPair& pair) {
    pair.vindraBuffer = context->CreateVertexBuffer();
    if (pair.vindraBuffer->BufferData(kBufferSize, nullptr, bufferCase.usage) != ResultCode{}) return false;
    GLuint vindraName = GlNameOf(pair.vindraBuffer);
    if (vindraName == 0) return false;
    GLint immutable = GL_FALSE, flags = 0, usage = 0;
    glGetNamedBufferParameteriv(vindraName, GL_BUFFER_IMMUTABLE_STORAGE, &immutable);
    glGetNamedBufferParameteriv(vindraName, GL_BUFFER_STORAGE_FLAGS, &flags);
    glGetNamedBufferParameteriv(vindraName, GL_BUFFER_USAGE, &usage);

    glGenBuffers(1, &pair.rawBuffer);
    glBindBuffer(GL_ARRAY_BUFFER, pair.rawBuffer);
    if (immutable != GL_FALSE)
        glBufferStorage(GL_ARRAY_BUFFER, kBufferSize, nullptr, static_cast<GLbitfield>(flags));
    else
        glBufferData(GL_ARRAY_BUFFER, kBufferSize, nullptr, static_cast<GLenum>(usage));
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    std::printf("SubData/%s: %s storage, flags 0x%x, usage 0x%x, write access 0x%x\n", bufferCase.name,
                immutable != GL_FALSE ? "immutable" : "mutable", static_cast<unsigned>(flags),
                static_cast<unsigned>(usage), static_cast<unsigned>(bufferCase.subDataAccess));
    return glGetError() == GL_NO_ERROR;
}

// What the library's BufferSubData does in GL for a written range.
GLenum RawBufferSubData(GLuint buffer, GLbitfield access, uint64_t offset) {
    glBindBuffer(GL_ARRAY_BUFFER, buffer);
    void* mapped = glMapBufferRange(GL_ARRAY_BUFFER, static_cast<GLintptr>(offset), kWriteSize, access);
    if (mapped != nullptr) {
        std::memcpy(mapped, writeData, kWriteSize);
        glUnmapBuffer(GL_ARRAY_BUFFER);
    }
    glBindBuffer(GL_ARRAY_BUFFER, 0);
    return glGetError();
}

bool RegisterBufferPairs() {
    for (uint64_t i = 0; i < kWriteSize; ++i) writeData[i] = static_cast<unsigned char>(i * 7);
    for (size_t i = 0; i < sizeof kBufferCases / sizeof kBufferCases[0]; ++i) {
        const BufferCase& bufferCase = kBufferCases[i];
        BufferPair& pair = bufferPairs[i];
        if (!MakeBufferPair(bufferCase, pair)) {
            std::fprintf(stderr, "buffer_uniform_bench: could not make the %s buffers\n", bufferCase.name);
            return false;
        }
        VertexBuffer* vindraBuffer = pair.vindraBuffer;
        GLuint rawBuffer = pair.rawBuffer;
        GLbitfield access = bufferCase.subDataAccess;
        RegisterPair(
            std::string("SubData/") + bufferCase.name, [] { return true; },
            [vindraBuffer](bool odd) { return vindraBuffer->BufferSubData(kWriteOffsets[odd], kWriteSize, writeData); },
            [rawBuffer, access](bool odd) { return RawBufferSubData(rawBuffer, access, kWriteOffsets[odd]); });
        // The copy a host would hand to GL instead of mapping, on the same raw buffer.
        RegisterPair(
            std::string("SubData/") + bufferCase.name + "/bare", [] { return true; },
            [vindraBuffer](bool odd) { return vindraBuffer->BufferSubData(kWriteOffsets[odd], kWriteSize, writeData); },
            [rawBuffer](bool odd) {
                glNamedBufferSubData(rawBuffer, static_cast<GLintptr>(kWriteOffsets[odd]), kWriteSize, writeData);
                return glGetError();
            });
    }
    return true;
}

void ReleaseBuffers() {
    for (BufferPair& pair : bufferPairs) {
        if (pair.vindraBuffer != nullptr) context->ReleaseVertexBuffer(&pair.vindraBuffer);
        if (pair.rawBuffer != 0) glDeleteBuffers(1, &pair.rawBuffer);
    }
}

// ---------------------------------------------------------------------------------------------------------
// SetUniformValue
// ---------------------------------------------------------------------------------------------------------

const char* const kVertexShader = R"(#version 450 core
layout(location = 0) in vec2 position;
uniform mat4 transform;
void main() { gl_Position = transform * vec4(position, 0.0, 1.0); })";

const char* const kFragmentShader = R"(#version 450 core
uniform vec4 tint;
out vec4 color;
void main() { color = tint; })";

constexpr float kVec4[2][4] = {{0.25f, 0.5f, 0.75f, 1.0f}, {1.0f, 0.0f, 0.5f, 0.25f}};
constexpr float kMat4[2][16] = {
    {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1},
    {2, 0, 0, 0, 0, 2, 0, 0, 0, 0, 2, 0, 0.5f, 0.25f, 0, 1},
};

// The program whose uniforms are set, and a second one to be current when it is not.
ShaderProgram* program = nullptr;
ShaderProgram* otherProgram = nullptr;
GLuint programName = 0;
int32_t tintIndex = -1, transformIndex = -1;  // vindra's uniform table
GLint tintLocation = -1, transformLocation = -1;

ShaderProgram* LinkProgram() {
    ShaderProgram* made = context->CreateShaderProgram();
    if (made->AddShader(ShaderStage::Vertex, 1, &kVertexShader, nullptr) != ResultCode{} ||
        made->AddShader(ShaderStage::Fragment, 1, &kFragmentShader, nullptr) != ResultCode{} ||
        made->Link() != ResultCode{}) {
        context->ReleaseShaderProgram(&made);
        return nullptr;
    }
    return made;
}

bool MakePrograms() {
    program = LinkProgram();
    otherProgram = LinkProgram();
    if (program == nullptr || otherProgram == nullptr) return false;
    tintIndex = program->AddUniformVariable(0, "tint", UniformType::Float, 4, 1);
    // A matrix type counts the whole matrix as its one component.
    transformIndex = program->AddUniformVariable(0, "transform", UniformType::Mat4, 1, 1);
    if (program->ResolveUniformVariables() != ResultCode{}) return false;
    // The GL name, which the interface does not give out, is the current program once it is bound.
    if (context->BindShaderProgram(program) != ResultCode{}) return false;
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    programName = static_cast<GLuint>(current);
    tintLocation = glGetUniformLocation(programName, "tint");
    transformLocation = glGetUniformLocation(programName, "transform");
    // An inactive uniform, or a declaration that cuts the upload to no elements, would time a call that
    // uploads nothing: each value must be seen to arrive before anything is timed.
    if (programName == 0 || tintLocation < 0 || transformLocation < 0) return false;
    float tint[4] = {}, transform[16] = {};
    bool arrived = program->SetUniformValue(tintIndex, kVec4[1], sizeof kVec4[1]) == ResultCode{} &&
                   program->SetUniformValue(transformIndex, kMat4[1], sizeof kMat4[1]) == ResultCode{};
    glGetUniformfv(programName, tintLocation, tint);
    glGetUniformfv(programName, transformLocation, transform);
    return arrived && std::memcmp(tint, kVec4[1], sizeof tint) == 0 &&
           std::memcmp(transform, kMat4[1], sizeof transform) == 0 && glGetError() == GL_NO_ERROR;
}

// The GL work of SetUniformValue: read the current program, switch to this one when another is current,
// upload, and switch back.
template <typename Upload>
GLenum RawSetUniform(Upload upload) {
    GLint previous = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &previous);
    const bool switched = static_cast<GLuint>(previous) != programName;
    if (switched) glUseProgram(programName);
    upload();
    if (switched) glUseProgram(static_cast<GLuint>(previous));
    return glGetError();
}

void RegisterUniformPairs() {
    auto programCurrent = [] { return context->BindShaderProgram(program) == ResultCode{}; };
    auto otherCurrent = [] { return context->BindShaderProgram(otherProgram) == ResultCode{}; };
    auto setVec4 = [](bool odd) { return program->SetUniformValue(tintIndex, kVec4[odd], sizeof kVec4[odd]); };
    auto setMat4 = [](bool odd) { return program->SetUniformValue(transformIndex, kMat4[odd], sizeof kMat4[odd]); };

    // The program is current: the library reads that back and uploads.
    RegisterPair("Uniform/vec4", programCurrent, setVec4,
                 [](bool odd) { return RawSetUniform([odd] { glUniform4fv(tintLocation, 1, kVec4[odd]); }); });
    RegisterPair("Uniform/vec4/bare", programCurrent, setVec4, [](bool odd) {
        glUniform4fv(tintLocation, 1, kVec4[odd]);
        return glGetError();
    });
    RegisterPair("Uniform/mat4", programCurrent, setMat4, [](bool odd) {
        return RawSetUniform([odd] { glUniformMatrix4fv(transformLocation, 1, GL_FALSE, kMat4[odd]); });
    });
    RegisterPair("Uniform/mat4/bare", programCurrent, setMat4, [](bool odd) {
        glUniformMatrix4fv(transformLocation, 1, GL_FALSE, kMat4[odd]);
        return glGetError();
    });

    // Another program is current: the library switches to its own and back around the upload.
    RegisterPair("Uniform/vec4/switch", otherCurrent, setVec4,
                 [](bool odd) { return RawSetUniform([odd] { glUniform4fv(tintLocation, 1, kVec4[odd]); }); });
    RegisterPair("Uniform/vec4/switch/bare", otherCurrent, setVec4, [](bool odd) {
        glProgramUniform4fv(programName, tintLocation, 1, kVec4[odd]);
        return glGetError();
    });
    RegisterPair("Uniform/mat4/switch", otherCurrent, setMat4, [](bool odd) {
        return RawSetUniform([odd] { glUniformMatrix4fv(transformLocation, 1, GL_FALSE, kMat4[odd]); });
    });
    RegisterPair("Uniform/mat4/switch/bare", otherCurrent, setMat4, [](bool odd) {
        glProgramUniformMatrix4fv(programName, transformLocation, 1, GL_FALSE, kMat4[odd]);
        return glGetError();
    });
}

void ReleasePrograms() {
    context->BindShaderProgram(nullptr);
    if (program != nullptr) context->ReleaseShaderProgram(&program);
    if (otherProgram != nullptr) context->ReleaseShaderProgram(&otherProgram);
}

}  // namespace

int main(int argc, char** argv) {
    return vindra_bench::RunPairs(
        argc, argv, "buffer_uniform_bench", context, "the buffers or the programs could not be made",
        "Buffer writes and uniform uploads: vindra vs the same raw GL + glGetError", 1.10,
        [] { return RegisterBufferPairs() && MakePrograms(); }, RegisterUniformPairs,
        [] {
            ReleasePrograms();
            ReleaseBuffers();
        });
}
