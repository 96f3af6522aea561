// A host outside the tree, built against an installed vindra (CMake package, pkg-config, or the
// Windows zip with either import library): a headless context draws one frame and checks a pixel.
// C headers only, so that it also builds in Microsoft mode without a C++ standard library.
#include <stdio.h>

#include "vindra/vindra.h"

using namespace vindra;

int main() {
    ContextInitData init = {};
    init.name = "consumer";
    init.type = 1;
    init.clPlatformIndex = init.clDeviceIndex = -1;
    Context* context = CreateContext(init);
    if (context == nullptr) return printf("consumer: no context\n"), 1;
    const char* stages[2] = {
        "#version 330 core\nvoid main() { gl_Position = vec4(gl_VertexID == 1 ? 3.0 : -1.0, "
        "gl_VertexID == 2 ? 3.0 : -1.0, 0.0, 1.0); }\n",
        "#version 330 core\nout vec4 color;\nvoid main() { color = vec4(1.0, 0.5, 0.0, 1.0); }\n"};
    ShaderProgram* program = context->CreateShaderProgram();
    const float blue[4] = {0, 0, 1, 1};
    float pixel[4] = {};
    bool drawn = program->AddShader(ShaderStage::Vertex, 1, &stages[0], nullptr) == ResultCode::Success &&
                 program->AddShader(ShaderStage::Fragment, 1, &stages[1], nullptr) == ResultCode::Success &&
                 program->Link() == ResultCode::Success && context->BindShaderProgram(program) == ResultCode::Success &&
                 context->SetViewPort(0, 0, 64, 64) == ResultCode::Success &&
                 context->Clear(ClearColorBuffer, blue, 1.0, 0) == ResultCode::Success &&
                 context->DrawPrimitives(PrimitiveType::Triangles, 0, 3) == ResultCode::Success &&
                 context->ReadPixels(1, 32, 32, 1, 1, pixel) == ResultCode::Success;
    bool passed = drawn && pixel[0] == 1.0f && pixel[1] > 0.49f && pixel[1] < 0.51f && pixel[2] == 0.0f;
    printf("consumer: frame %s, pixel %.2f %.2f %.2f\n", passed ? "drawn" : "WRONG", pixel[0], pixel[1], pixel[2]);
    context->BindShaderProgram(nullptr);
    context->ReleaseShaderProgram(&program);
    delete context;
    return passed ? 0 : 1;
}
